#include "control/formats/wbmp/wbmp_image.h"

#include <climits>
#include <vector>

#include "platform/base/byte_cursor.h"
#include "platform/base/exceptions.h"
#include "platform/base/streams.h"
#include "platform/graphics/pixel_access.h"
#include "platform/graphics/pixel_budget.h"

namespace pictavo {

namespace {

constexpr char kReadError[] = "Error reading WBMP file.";
constexpr int kMaxIntegerBytes = 5;

[[noreturn]] void Fail() {
  throw plat::EInvalidGraphic(kReadError);
}

[[noreturn]] void ShortRead(std::string_view) {
  Fail();
}

// Up to five bytes (35 bits); a longer integer reads as 0.
uint64_t ReadMultiByteInteger(plat::TByteCursor& cursor) {
  uint64_t value = 0;
  for (int i = 0; i < kMaxIntegerBytes; ++i) {
    const uint8_t b = cursor.Byte();
    value = value << 7 | (b & 0x7F);
    if ((b & 0x80) == 0) return value;
  }
  return 0;
}

size_t RowBytes(uint64_t width) {
  return static_cast<size_t>((width - 1) / 8 + 1);
}

// A black-and-white copy of source (index 0 black, 1 white), white where is_white(r, g, b).
template <typename WhiteTest>
plat::TBitmap BlackAndWhite(const plat::TBitmap& source, WhiteTest is_white) {
  plat::TBitmap colour(source);
  colour.SetPixelFormat(plat::TPixelFormat::pf24bit);
  plat::TBitmap mono(colour.Width(), colour.Height(), plat::TPixelFormat::pf1bit);
  mono.SetColorTable({{0, 0, 0, 0}, {255, 255, 255, 0}});
  for (int y = 0; y < colour.Height(); ++y) {
    const uint8_t* in = colour.ScanLine(y);
    uint8_t* out = mono.ScanLine(y);
    for (int x = 0; x < colour.Width(); ++x) {
      const uint8_t* bgr = in + 3 * x;
      plat::SetIndexAt(out, x, 1, is_white(bgr[2], bgr[1], bgr[0]) ? 1 : 0);
    }
  }
  return mono;
}

}  // namespace

std::string EncodeMultiByteInteger(uint64_t value) {
  std::string out(1, static_cast<char>(value & 0x7F));
  for (value >>= 7; value != 0; value >>= 7)
    out.insert(out.begin(), static_cast<char>(0x80 | (value & 0x7F)));
  return out;
}

void TWBMPImage::LoadFromStream(plat::TStream& stream) {
  stream.SetPosition(0);
  const std::vector<uint8_t> bytes = stream.ReadRest();
  plat::TByteCursor cursor(bytes, ShortRead);
  MonoBitmap = plat::TBitmap();
  uint64_t width = 0;
  uint64_t height = 0;
  if (cursor.Byte() != 0 || (cursor.Byte() & 0x80) != 0) Fail();
  width = ReadMultiByteInteger(cursor);
  height = ReadMultiByteInteger(cursor);
  if (width == 0 || height == 0 || width > INT_MAX || height > INT_MAX) Fail();
  // The rows must all be there before the bitmap is made.
  const size_t row = RowBytes(width);
  if (height > cursor.Remaining() / row) Fail();
  plat::RequirePixelBudget(plat::BytesPerRow(static_cast<int64_t>(width), 1) *
                           static_cast<int64_t>(height));
  try {
    MonoBitmap = plat::TBitmap(static_cast<int>(width), static_cast<int>(height),
                               plat::TPixelFormat::pf1bit);
  } catch (const plat::Exception&) {
    Fail();
  }
  // A set bit is white, as index 1 of the bitmap.
  MonoBitmap.SetColorTable({{0, 0, 0, 0}, {255, 255, 255, 0}});
  for (int y = 0; y < MonoBitmap.Height(); ++y) {
    std::span<const uint8_t> data = cursor.Bytes(row);
    std::copy(data.begin(), data.end(), MonoBitmap.ScanLine(y));
  }
}

void TWBMPImage::SaveToStream(plat::TStream& stream) const {
  const plat::TBitmap mono = BlackAndWhite(
      MonoBitmap, [](uint8_t r, uint8_t g, uint8_t b) { return r > 126 && g > 126 && b > 126; });
  std::string out(2, '\0');
  out += EncodeMultiByteInteger(static_cast<uint64_t>(mono.Width()));
  out += EncodeMultiByteInteger(static_cast<uint64_t>(mono.Height()));
  const size_t row = RowBytes(static_cast<uint64_t>(mono.Width()));
  for (int y = 0; y < mono.Height(); ++y) {
    const uint8_t* line = mono.ScanLine(y);
    out.append(line, line + row);
  }
  stream.WriteBuffer(out.data(), static_cast<int64_t>(out.size()));
  stream.SetPosition(0);
}

void TWBMPImage::Assign(const plat::TGraphic& source) {
  if (&source == this) return;
  const auto* bitmap = dynamic_cast<const plat::TBitmap*>(&source);
  if (bitmap == nullptr) return;
  MonoBitmap =
      BlackAndWhite(*bitmap, [](uint8_t r, uint8_t g, uint8_t b) { return r + g + b >= 384; });
}

void TWBMPImage::AssignTo(plat::TGraphic& dest) const {
  if (auto* bitmap = dynamic_cast<plat::TBitmap*>(&dest)) {
    bitmap->Assign(MonoBitmap);
    return;
  }
  TGraphic::AssignTo(dest);
}

void TWBMPImage::Draw(plat::TCanvas&, const plat::TRect&) const {
  throw plat::EInvalidGraphic("Function not supported.");
}

void TWBMPImage::LoadFromClipboardFormat(uint16_t, plat::THandle, plat::THandle) {
  throw plat::EInvalidGraphic("Clipboard functions not supported.");
}

void TWBMPImage::SaveToClipboardFormat(uint16_t&, plat::THandle&, plat::THandle&) const {
  throw plat::EInvalidGraphic("Clipboard functions not supported.");
}

}  // namespace pictavo
