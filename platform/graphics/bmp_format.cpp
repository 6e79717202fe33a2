#include "platform/graphics/bmp_format.h"

#include <cstring>
#include <vector>

#include "platform/base/exceptions.h"
#include "platform/base/streams.h"
#include "platform/graphics/bitmap.h"

namespace plat {

namespace {

void Put16(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  b[at] = static_cast<uint8_t>(v);
  b[at + 1] = static_cast<uint8_t>(v >> 8);
}
void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}
uint32_t Get16(const uint8_t* p) { return p[0] | (p[1] << 8); }
uint32_t Get32(const uint8_t* p) {
  return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}

[[noreturn]] void Invalid() { throw EInvalidGraphic("Bitmap image is not valid"); }

TPixelFormat FormatForBits(uint32_t bits) {
  switch (bits) {
    case 1: return TPixelFormat::pf1bit;
    case 4: return TPixelFormat::pf4bit;
    case 8: return TPixelFormat::pf8bit;
    case 24: return TPixelFormat::pf24bit;
    case 32: return TPixelFormat::pf32bit;
    default: Invalid();
  }
}

}  // namespace

void ReadBmp(TStream& stream, TBitmap& bitmap) {
  int64_t start = stream.Position();
  std::vector<uint8_t> data = stream.ReadRest();
  if (data.size() < 14 + 40 || data[0] != 'B' || data[1] != 'M') Invalid();
  const uint8_t* info = data.data() + 14;
  uint32_t header = Get32(info);
  if (header < 40 || 14 + int64_t{header} > static_cast<int64_t>(data.size())) Invalid();
  int64_t width = static_cast<int32_t>(Get32(info + 4));
  int64_t height = static_cast<int32_t>(Get32(info + 8));
  uint32_t bits = Get16(info + 14);
  if (Get32(info + 16) != 0 || width < 0) Invalid();
  bool top_down = height < 0;
  if (top_down) height = -height;
  TPixelFormat format = FormatForBits(bits);
  if (width * height > TBitmap::kMaxPixels) Invalid();
  int64_t colours = PaletteSizeOf(format);
  uint32_t used = Get32(info + 32);
  if (colours && used && used < colours) colours = used;
  int64_t table_at = 14 + int64_t{header};
  if (table_at + colours * 4 > static_cast<int64_t>(data.size())) Invalid();
  int64_t pixels_at = Get32(data.data() + 10);
  int64_t row = BytesPerRow(width, static_cast<int>(bits));
  if (pixels_at < table_at || pixels_at + row * height > static_cast<int64_t>(data.size())) Invalid();

  TBitmap result(static_cast<int>(width), static_cast<int>(height), format);
  TColorTable table(static_cast<size_t>(colours));
  for (int64_t i = 0; i < colours; ++i) {
    const uint8_t* q = data.data() + table_at + 4 * i;
    table[static_cast<size_t>(i)] = {q[0], q[1], q[2], 0};
  }
  if (colours) result.SetColorTable(table);
  for (int64_t y = 0; y < height; ++y) {
    int64_t file_row = top_down ? y : height - 1 - y;
    std::memcpy(result.ScanLine(static_cast<int>(y)), data.data() + pixels_at + file_row * row,
                static_cast<size_t>(row));
  }
  bitmap.Assign(result);
  stream.SetPosition(start + pixels_at + row * height);
}

void WriteBmp(const TBitmap& bitmap, TStream& stream) {
  TPixelFormat format = bitmap.PixelFormat();
  int bits = BitsPerPixel(format);
  if (bits == 16) bits = 24;  // 15 and 16-bit images are written as 24-bit
  TBitmap converted;
  const TBitmap* source = &bitmap;
  if (bits != BitsPerPixel(format)) {
    converted = bitmap;
    converted.SetPixelFormat(TPixelFormat::pf24bit);
    source = &converted;
  }
  int64_t colours = PaletteSizeOf(source->PixelFormat());
  int64_t row = source->RowBytes();
  int64_t pixels_at = 54 + colours * 4;
  int64_t image_size = row * source->Height();
  std::vector<uint8_t> out(static_cast<size_t>(pixels_at + image_size), 0);
  out[0] = 'B';
  out[1] = 'M';
  Put32(out, 2, static_cast<uint32_t>(pixels_at + image_size));
  Put32(out, 10, static_cast<uint32_t>(pixels_at));
  Put32(out, 14, 40);
  Put32(out, 18, static_cast<uint32_t>(source->Width()));
  Put32(out, 22, static_cast<uint32_t>(source->Height()));
  Put16(out, 26, 1);
  Put16(out, 28, static_cast<uint32_t>(bits));
  Put32(out, 34, static_cast<uint32_t>(image_size));
  const TColorTable& table = source->Palette();
  for (int64_t i = 0; i < colours; ++i) {
    TRGBQuad q = i < static_cast<int64_t>(table.size()) ? table[static_cast<size_t>(i)] : TRGBQuad{};
    out[static_cast<size_t>(54 + 4 * i)] = q.rgbBlue;
    out[static_cast<size_t>(55 + 4 * i)] = q.rgbGreen;
    out[static_cast<size_t>(56 + 4 * i)] = q.rgbRed;
  }
  for (int y = 0; y < source->Height(); ++y)
    std::memcpy(out.data() + pixels_at + (source->Height() - 1 - y) * row, source->ScanLine(y),
                static_cast<size_t>(row));
  stream.WriteBuffer(out.data(), static_cast<int64_t>(out.size()));
}

}  // namespace plat
