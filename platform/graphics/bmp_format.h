#pragma once
// The BMP file format of the platform bitmap.
#include <cstdint>
#include <vector>

namespace plat {

class TBitmap;
class TStream;

// Layout of the two headers our writer produces, counted from the start of the file.
namespace bmp {
constexpr uint16_t kSignature = 0x4D42;  // "BM"
constexpr int64_t kFileHeaderSize = 14;
constexpr int64_t kInfoHeaderSize = 40;
constexpr int64_t kHeadersSize = kFileHeaderSize + kInfoHeaderSize;
constexpr int64_t kFileSizeAt = 2;
constexpr int64_t kPixelsOffsetAt = 10;
constexpr int64_t kHeaderSizeAt = 14;
constexpr int64_t kWidthAt = 18;
constexpr int64_t kHeightAt = 22;
constexpr int64_t kPlanesAt = 26;
constexpr int64_t kBitCountAt = 28;
constexpr int64_t kCompressionAt = 30;
constexpr int64_t kImageSizeAt = 34;
constexpr int64_t kXPelsPerMeterAt = 38;
constexpr int64_t kYPelsPerMeterAt = 42;
constexpr int64_t kColorsUsedAt = 46;

void Put16(uint8_t* at, uint32_t value);
void Put32(uint8_t* at, uint32_t value);
uint32_t Get32(const uint8_t* at);

// What the two headers of a written file say.
struct Layout {
  int32_t width = 0;
  int32_t height = 0;  // positive: rows bottom-up
  int bits = 24;
  int64_t row_bytes = 0;
  int64_t colours = 0;  // colour-table entries
  int32_t x_pels_per_meter = 0;
  int32_t y_pels_per_meter = 0;
};

// A zero-filled file with both headers written: the colour table starts at kHeadersSize and
// the rows follow it, bottom row first.
std::vector<uint8_t> NewFile(const Layout& layout);
// The two headers and the zero-filled colour table alone: what comes before the rows.
std::vector<uint8_t> Headers(const Layout& layout);
// Writes the bitmap's rows to the stream, bottom row first, row_bytes each (each row as far as
// the bitmap and the file row both reach, zeros after that).
void WriteRowsBottomUp(const TBitmap& bitmap, int64_t row_bytes, TStream& stream);
}  // namespace bmp

// Reads a BMP file from the stream's current position into bitmap: core (12-byte), info
// (40-byte) and later (V4, V5) headers, rows bottom-up or top-down, 1, 4, 8, 16, 24 and 32 bits,
// RLE8, RLE4 and bit-field masks. Raises EInvalidGraphic with a message naming what is wrong
// when the data is not a valid bitmap; the bitmap is then unchanged. On success the stream
// stands behind the pixel data.
void ReadBmp(TStream& stream, TBitmap& bitmap);
// Writes bitmap as a BMP file (14-byte file header, 40-byte info header, colour table, rows
// bottom-up) at the stream's current position. 15- and 16-bit images are written as 24-bit.
void WriteBmp(const TBitmap& bitmap, TStream& stream);

}  // namespace plat
