#include "control/formats/bmp/bmpimage.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/base/streams.h"

namespace pictavo {

namespace {

constexpr int64_t kFileHeaderSize = 14;
constexpr int64_t kInfoHeaderSize = 40;
constexpr int64_t kPixelsAt = kFileHeaderSize + kInfoHeaderSize;
// biXPelsPerMeter and biYPelsPerMeter, counted from the start of the file.
constexpr int64_t kResolutionAt = 38;

void Put16(std::vector<uint8_t>& b, int64_t at, uint32_t v) {
  for (int i = 0; i < 2; ++i) b[static_cast<size_t>(at + i)] = static_cast<uint8_t>(v >> (8 * i));
}

void Put32(std::vector<uint8_t>& b, int64_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[static_cast<size_t>(at + i)] = static_cast<uint8_t>(v >> (8 * i));
}

uint32_t Get32(const uint8_t* p) {
  return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}

// The 24-bit file, built whole in memory and written in one piece.
std::vector<uint8_t> Build24BitFile(const plat::TBitmap& bitmap, int32_t x_ppm, int32_t y_ppm) {
  const int64_t row = Bmp24RowSize(bitmap.Width());
  const int64_t image_size = row * bitmap.Height();
  std::vector<uint8_t> out(static_cast<size_t>(kPixelsAt + image_size), 0);
  Put16(out, 0, 0x4D42);
  Put32(out, 2, static_cast<uint32_t>(image_size + kPixelsAt));
  Put32(out, 10, kPixelsAt);
  Put32(out, 14, kInfoHeaderSize);
  Put32(out, 18, static_cast<uint32_t>(bitmap.Width()));
  Put32(out, 22, static_cast<uint32_t>(bitmap.Height()));
  Put16(out, 26, 1);
  Put16(out, 28, 24);
  Put32(out, 34, static_cast<uint32_t>(image_size));
  Put32(out, 38, static_cast<uint32_t>(x_ppm));
  Put32(out, 42, static_cast<uint32_t>(y_ppm));
  const auto stored = static_cast<size_t>(std::min(row, bitmap.RowBytes()));
  for (int y = 0; y < bitmap.Height(); ++y) {
    uint8_t* dest = out.data() + kPixelsAt + (bitmap.Height() - 1 - y) * row;
    if (stored) std::memcpy(dest, bitmap.ScanLine(y), stored);
  }
  return out;
}

}  // namespace

int64_t Bmp24RowSize(int64_t width) {
  // Division truncates toward zero, so a row of width 0 still takes one padded word, as files
  // written by earlier versions have it.
  return ((width * 3 - 1) / 4 + 1) * 4;
}

bool TBMPImage::IsGrayscalePalette() const {
  if (plat::PaletteSizeOf(PixelFormat()) == 0) return false;
  const plat::TColorTable& table = Palette();
  return std::all_of(table.begin(), table.end(), [](const plat::TRGBQuad& q) {
    return q.rgbRed == q.rgbGreen && q.rgbGreen == q.rgbBlue;
  });
}

void TBMPImage::AssignTo(plat::TGraphic& dest) const {
  if (auto* bitmap = dynamic_cast<plat::TBitmap*>(&dest)) {
    bitmap->TBitmap::Assign(*this);
    return;
  }
  TBitmap::AssignTo(dest);
}

void TBMPImage::LoadFromStream(plat::TStream& stream) {
  int32_t x_ppm = x_pels_per_meter_;
  int32_t y_ppm = y_pels_per_meter_;
  if (stream.Size() > kPixelsAt) {
    uint8_t header[kPixelsAt];
    stream.SetPosition(0);
    stream.ReadBuffer(header, kPixelsAt);
    // A core header (12 bytes) has colour table or pixel bytes where the resolution would be.
    if (Get32(header + kFileHeaderSize) >= kInfoHeaderSize) {
      x_ppm = static_cast<int32_t>(Get32(header + kResolutionAt));
      y_ppm = static_cast<int32_t>(Get32(header + kResolutionAt + 4));
    }
    stream.SetPosition(0);
  }
  TBitmap::LoadFromStream(stream);
  x_pels_per_meter_ = x_ppm;
  y_pels_per_meter_ = y_ppm;
}

void TBMPImage::SaveToStream(plat::TStream& stream) const {
  if (PixelFormat() == plat::TPixelFormat::pf24bit) {
    const std::vector<uint8_t> file = Build24BitFile(*this, x_pels_per_meter_, y_pels_per_meter_);
    stream.WriteBuffer(file.data(), static_cast<int64_t>(file.size()));
    return;
  }
  // The resolution is patched relative to where the file starts, so a file written behind
  // other data does not overwrite it.
  const int64_t start = stream.Position();
  TBitmap::SaveToStream(stream);
  if (stream.Size() - start <= kPixelsAt) return;
  std::vector<uint8_t> resolution(8);
  Put32(resolution, 0, static_cast<uint32_t>(x_pels_per_meter_));
  Put32(resolution, 4, static_cast<uint32_t>(y_pels_per_meter_));
  stream.SetPosition(start + kResolutionAt);
  stream.WriteBuffer(resolution.data(), 8);
  stream.SetPosition(start);
}

}  // namespace pictavo
