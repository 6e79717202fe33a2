#include "platform/graphics/bmp_format.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <string>
#include <vector>

#include "platform/base/byte_cursor.h"
#include "platform/base/exceptions.h"
#include "platform/base/streams.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/pixel_budget.h"

namespace plat {

namespace {

enum Compression : uint32_t {
  kRgb = 0,
  kRle8 = 1,
  kRle4 = 2,
  kBitFields = 3,
  kAlphaBitFields = 6,
};

constexpr int64_t kCoreHeaderSize = 12;
// Offsets inside an info header (V2 and later carry the masks in the header itself).
constexpr int64_t kMasksInHeaderAt = 40;
constexpr int64_t kHeaderWithColourMasks = 52;
constexpr int64_t kHeaderWithAlphaMask = 56;
// No run-length encoder reaches this many pixels per compressed byte on a real image; the cap
// keeps a few bytes from making us allocate a huge bitmap.
constexpr int64_t kMaxRlePixelsPerByte = 4096;

[[noreturn]] void Fail(const std::string& reason) {
  throw EInvalidGraphic("Bitmap image is not valid: " + reason);
}

[[noreturn]] void RunsPastEnd(std::string_view what) {
  Fail(std::string(what) + " runs past the end of the file");
}

// The bytes of one file, read little-endian; every offset is checked against the bytes present.
using ByteView = plat::TByteCursor;

// One colour channel of a bit-field pixel: a contiguous run of bits.
struct Channel {
  uint32_t mask = 0;
  int shift = 0;
  int width = 0;

  static Channel FromMask(uint32_t mask) {
    Channel c;
    c.mask = mask;
    if (mask == 0) return c;
    c.shift = std::countr_zero(mask);
    c.width = std::popcount(mask);
    if (c.width < 32 && (mask >> c.shift) != (uint32_t{1} << c.width) - 1)
      Fail("a colour mask has gaps between its bits");
    return c;
  }
  uint8_t Value(uint32_t pixel) const {
    if (width == 0) return 0;
    return ExpandToByte((pixel & mask) >> shift, width);
  }
};

struct Header {
  int64_t header_size = 0;
  int64_t width = 0;
  int64_t height = 0;
  bool top_down = false;
  uint32_t bits = 0;
  uint32_t compression = kRgb;
  int64_t colours_used = 0;
  int64_t table_at = 0;  // first colour-table entry, behind the header and any masks
  int64_t entry_size = 4;
  int64_t pixels_at = 0;
  Channel red, green, blue, alpha;
};

bool IsCompressionKnown(uint32_t compression) {
  return compression == kRgb || compression == kRle8 || compression == kRle4 ||
         compression == kBitFields || compression == kAlphaBitFields;
}

void ReadCoreHeader(const ByteView& file, Header& h) {
  h.width = file.WordAt(bmp::kFileHeaderSize + 4, "the bitmap header");
  h.height = file.WordAt(bmp::kFileHeaderSize + 6, "the bitmap header");
  if (file.WordAt(bmp::kFileHeaderSize + 8, "the bitmap header") != 1)
    Fail("the plane count is not 1");
  h.bits = file.WordAt(bmp::kFileHeaderSize + 10, "the bitmap header");
  h.entry_size = 3;
  h.table_at = bmp::kFileHeaderSize + kCoreHeaderSize;
}

void ReadMasks(const ByteView& file, Header& h) {
  const bool with_alpha = h.compression == kAlphaBitFields;
  int64_t at = bmp::kFileHeaderSize + kMasksInHeaderAt;
  if (h.header_size == bmp::kInfoHeaderSize) {
    // A plain info header keeps the masks in front of the colour table.
    h.table_at += with_alpha ? 16 : 12;
  } else if (h.header_size < kHeaderWithColourMasks) {
    Fail("the header is too short for colour masks");
  }
  h.red = Channel::FromMask(file.DWordAt(at, "the colour masks"));
  h.green = Channel::FromMask(file.DWordAt(at + 4, "the colour masks"));
  h.blue = Channel::FromMask(file.DWordAt(at + 8, "the colour masks"));
  if (with_alpha || h.header_size >= kHeaderWithAlphaMask)
    h.alpha = Channel::FromMask(file.DWordAt(at + 12, "the colour masks"));
  if (h.bits == 16 && ((h.red.mask | h.green.mask | h.blue.mask | h.alpha.mask) >> 16) != 0)
    Fail("a colour mask is wider than the 16-bit pixel");
}

void ReadInfoHeader(const ByteView& file, Header& h) {
  const int64_t at = bmp::kFileHeaderSize;
  h.width = static_cast<int32_t>(file.DWordAt(bmp::kWidthAt, "the bitmap header"));
  h.height = static_cast<int32_t>(file.DWordAt(bmp::kHeightAt, "the bitmap header"));
  if (file.WordAt(bmp::kPlanesAt, "the bitmap header") != 1) Fail("the plane count is not 1");
  h.bits = file.WordAt(bmp::kBitCountAt, "the bitmap header");
  h.compression = file.DWordAt(bmp::kCompressionAt, "the bitmap header");
  h.colours_used = file.DWordAt(bmp::kColorsUsedAt, "the bitmap header");
  h.table_at = at + h.header_size;
  if (h.width < 0) Fail("the width is negative");
  if (h.height < 0) {
    h.top_down = true;
    h.height = -h.height;
  }
  if (!IsCompressionKnown(h.compression))
    Fail("compression method " + std::to_string(h.compression) + " is not supported");
  if (h.compression == kRle8 && h.bits != 8) Fail("RLE8 compression needs 8 bits per pixel");
  if (h.compression == kRle4 && h.bits != 4) Fail("RLE4 compression needs 4 bits per pixel");
  if ((h.compression == kRle8 || h.compression == kRle4) && h.top_down)
    Fail("a compressed bitmap cannot be stored top-down");
  if (h.compression == kBitFields || h.compression == kAlphaBitFields) {
    if (h.bits != 16 && h.bits != 32) Fail("colour masks need 16 or 32 bits per pixel");
    ReadMasks(file, h);
  }
}

Header ReadHeader(const ByteView& file) {
  if (!file.Holds(0, bmp::kFileHeaderSize + 4)) Fail("the file is too short for its headers");
  if (file.WordAt(0, "the file header") != bmp::kSignature) Fail("the signature is not \"BM\"");
  Header h;
  h.header_size = file.DWordAt(bmp::kHeaderSizeAt, "the file header");
  if (h.header_size != kCoreHeaderSize && h.header_size < bmp::kInfoHeaderSize)
    Fail("header size " + std::to_string(h.header_size) + " is not supported");
  file.BytesAt(bmp::kFileHeaderSize, h.header_size, "the bitmap header");
  if (h.header_size == kCoreHeaderSize)
    ReadCoreHeader(file, h);
  else
    ReadInfoHeader(file, h);

  if (h.bits != 1 && h.bits != 4 && h.bits != 8 && h.bits != 16 && h.bits != 24 && h.bits != 32)
    Fail(std::to_string(h.bits) + " bits per pixel are not supported");
  // An image without area still costs a loop over its rows, so each side counts at least 1.
  if (!FitsPixelBudget(BytesPerRow(std::max<int64_t>(h.width, 1), static_cast<int>(h.bits)) *
                       std::max<int64_t>(h.height, 1)))
    Fail("the image is too large");

  h.pixels_at = file.DWordAt(bmp::kPixelsOffsetAt, "the file header");
  if (h.pixels_at < h.table_at) Fail("the pixel data offset points into the headers");
  if (h.pixels_at > static_cast<int64_t>(file.Size()))
    Fail("the pixel data offset lies past the end of the file");
  return h;
}

TPixelFormat IndexedFormat(uint32_t bits) {
  return bits == 1 ? TPixelFormat::pf1bit : bits == 4 ? TPixelFormat::pf4bit : TPixelFormat::pf8bit;
}

// The colour table, limited to what the pixel depth can index and to the room the file gives it.
TColorTable ReadColourTable(const ByteView& file, const Header& h) {
  const int64_t depth_entries = int64_t{1} << h.bits;
  int64_t count = h.colours_used > 0 ? std::min(h.colours_used, depth_entries) : depth_entries;
  count = std::min(count, (h.pixels_at - h.table_at) / h.entry_size);
  TColorTable table(static_cast<size_t>(count));
  const uint8_t* p = file.BytesAt(h.table_at, count * h.entry_size, "the colour table").data();
  for (int64_t i = 0; i < count; ++i, p += h.entry_size)
    table[static_cast<size_t>(i)] = {p[0], p[1], p[2], 0};
  return table;
}

bool MasksAre(const Header& h, uint32_t r, uint32_t g, uint32_t b) {
  return h.red.mask == r && h.green.mask == g && h.blue.mask == b;
}

// The format the pixels are stored in, chosen so that the common layouts are copied unchanged.
TPixelFormat TargetFormat(const Header& h) {
  if (h.bits <= 8) return IndexedFormat(h.bits);
  if (h.bits == 24) return TPixelFormat::pf24bit;
  if (h.bits == 32) return TPixelFormat::pf32bit;
  if (h.compression == kRgb || MasksAre(h, 0x7C00, 0x03E0, 0x001F)) return TPixelFormat::pf15bit;
  if (MasksAre(h, 0xF800, 0x07E0, 0x001F)) return TPixelFormat::pf16bit;
  return TPixelFormat::pf24bit;
}

bool CopiesRowsUnchanged(const Header& h) {
  if (h.compression == kRgb) return true;
  if (h.bits == 16) return TargetFormat(h) != TPixelFormat::pf24bit;
  return MasksAre(h, 0xFF0000, 0x00FF00, 0x0000FF) &&
         (h.alpha.mask == 0 || h.alpha.mask == 0xFF000000);
}

int64_t RowOfFile(const Header& h, int64_t y) {
  return h.top_down ? y : h.height - 1 - y;
}

int64_t FileRowBytes(const Header& h) {
  return BytesPerRow(h.width, static_cast<int>(h.bits));
}

const uint8_t* PixelRows(const ByteView& file, const Header& h) {
  return file.BytesAt(h.pixels_at, FileRowBytes(h) * h.height, "the pixel data").data();
}

int64_t ReadRows(const ByteView& file, const Header& h, TBitmap& out) {
  const int64_t row = FileRowBytes(h);
  const uint8_t* pixels = PixelRows(file, h);
  if (row == 0) return h.pixels_at;
  const bool copy = CopiesRowsUnchanged(h);
  const int bytes_per_pixel = static_cast<int>(h.bits / 8);
  for (int64_t y = 0; y < h.height; ++y) {
    const uint8_t* src = pixels + RowOfFile(h, y) * row;
    uint8_t* dest = out.ScanLine(static_cast<int>(y));
    if (copy) {
      std::memcpy(dest, src, static_cast<size_t>(std::min(row, out.RowBytes())));
      continue;
    }
    const int dest_bytes = out.PixelFormat() == TPixelFormat::pf32bit ? 4 : 3;
    for (int64_t x = 0; x < h.width; ++x, src += bytes_per_pixel, dest += dest_bytes) {
      uint32_t v = src[0] | (src[1] << 8);
      if (bytes_per_pixel == 4) v |= (uint32_t{src[2]} << 16) | (uint32_t{src[3]} << 24);
      dest[0] = h.blue.Value(v);
      dest[1] = h.green.Value(v);
      dest[2] = h.red.Value(v);
      if (dest_bytes == 4) dest[3] = h.alpha.Value(v);
    }
  }
  return h.pixels_at + row * h.height;
}

// Decodes RLE8 or RLE4 data. Pixels that a run places outside the image are dropped; data
// that ends without an end-of-bitmap mark leaves the rest of the image at index 0.
class RleDecoder {
 public:
  RleDecoder(const ByteView& file, const Header& h, TBitmap& out)
      : file_(file), h_(h), out_(out), at_(h.pixels_at) {}

  int64_t Decode() {
    while (y_ < h_.height && file_.Holds(at_, 2)) {
      const uint8_t count = file_.ByteAt(at_, "the compressed data");
      const uint8_t value = file_.ByteAt(at_ + 1, "the compressed data");
      at_ += 2;
      if (count > 0) {
        for (int i = 0; i < count; ++i) Put(RunIndex(value, i));
      } else if (value == 0) {
        x_ = 0;
        ++y_;
      } else if (value == 1) {
        break;
      } else if (value == 2) {
        x_ += file_.ByteAt(at_, "the compressed data");
        y_ += file_.ByteAt(at_ + 1, "the compressed data");
        at_ += 2;
      } else {
        Literal(value);
      }
    }
    return at_;
  }

 private:
  uint8_t RunIndex(uint8_t value, int i) const {
    if (h_.bits == 8) return value;
    return (i & 1) ? (value & 0x0F) : (value >> 4);
  }

  void Literal(int count) {
    const int64_t bytes = h_.bits == 8 ? count : (count + 1) / 2;
    const uint8_t* p = file_.BytesAt(at_, bytes, "the compressed data").data();
    for (int i = 0; i < count; ++i) Put(h_.bits == 8 ? p[i] : RunIndex(p[i / 2], i));
    // Literals are padded to a 16-bit boundary; a missing pad byte at the very end is harmless.
    at_ = std::min(at_ + bytes + (bytes & 1), static_cast<int64_t>(file_.Size()));
  }

  void Put(uint8_t index) {
    if (x_ < h_.width && y_ < h_.height) {
      uint8_t* row = out_.ScanLine(static_cast<int>(h_.height - 1 - y_));
      if (h_.bits == 8)
        row[x_] = index;
      else
        row[x_ >> 1] =
            (x_ & 1) ? ((row[x_ >> 1] & 0xF0) | index) : ((row[x_ >> 1] & 0x0F) | (index << 4));
    }
    ++x_;
  }

  const ByteView& file_;
  const Header& h_;
  TBitmap& out_;
  int64_t at_;
  int64_t x_ = 0;
  int64_t y_ = 0;
};

// Checked before the bitmap is allocated, so its size is bounded by the data present.
void CheckDataSize(const ByteView& file, const Header& h, bool rle) {
  if (!rle) {
    PixelRows(file, h);
    return;
  }
  const int64_t compressed = static_cast<int64_t>(file.Size()) - h.pixels_at;
  if (std::max<int64_t>(h.width, 1) * std::max<int64_t>(h.height, 1) >
      (compressed + 1) * kMaxRlePixelsPerByte)
    Fail("the image is too large for its compressed data");
}

}  // namespace

void ReadBmp(TStream& stream, TBitmap& bitmap) {
  const int64_t start = stream.Position();
  const std::vector<uint8_t> data = stream.ReadRest();
  const ByteView file(data, RunsPastEnd, false);
  const Header h = ReadHeader(file);
  const bool rle = h.compression == kRle8 || h.compression == kRle4;
  CheckDataSize(file, h, rle);

  TBitmap result(static_cast<int>(h.width), static_cast<int>(h.height), TargetFormat(h));
  if (h.bits <= 8) result.SetColorTable(ReadColourTable(file, h));
  const int64_t end = rle ? RleDecoder(file, h, result).Decode() : ReadRows(file, h, result);
  bitmap.Assign(result);
  stream.SetPosition(start + end);
}

namespace bmp {

void Put16(uint8_t* at, uint32_t value) {
  for (int i = 0; i < 2; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

void Put32(uint8_t* at, uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

uint32_t Get32(const uint8_t* at) {
  return uint32_t{at[0]} | (uint32_t{at[1]} << 8) | (uint32_t{at[2]} << 16) |
         (uint32_t{at[3]} << 24);
}

std::vector<uint8_t> NewFile(const Layout& layout) {
  std::vector<uint8_t> out = Headers(layout);
  out.resize(out.size() + static_cast<size_t>(layout.row_bytes * layout.height), 0);
  return out;
}

std::vector<uint8_t> Headers(const Layout& layout) {
  const int64_t pixels_at = kHeadersSize + layout.colours * 4;
  const int64_t image_size = layout.row_bytes * layout.height;
  std::vector<uint8_t> out(static_cast<size_t>(pixels_at), 0);
  uint8_t* p = out.data();
  Put16(p, kSignature);
  Put32(p + kFileSizeAt, static_cast<uint32_t>(pixels_at + image_size));
  Put32(p + kPixelsOffsetAt, static_cast<uint32_t>(pixels_at));
  Put32(p + kHeaderSizeAt, kInfoHeaderSize);
  Put32(p + kWidthAt, static_cast<uint32_t>(layout.width));
  Put32(p + kHeightAt, static_cast<uint32_t>(layout.height));
  Put16(p + kPlanesAt, 1);
  Put16(p + kBitCountAt, static_cast<uint32_t>(layout.bits));
  Put32(p + kImageSizeAt, static_cast<uint32_t>(image_size));
  Put32(p + kXPelsPerMeterAt, static_cast<uint32_t>(layout.x_pels_per_meter));
  Put32(p + kYPelsPerMeterAt, static_cast<uint32_t>(layout.y_pels_per_meter));
  return out;
}

void WriteRowsBottomUp(const TBitmap& bitmap, int64_t row_bytes, TStream& stream) {
  if (row_bytes <= 0) return;
  // Rows are gathered into blocks of about 1 MiB: few writes, and no copy of the whole image.
  const int64_t rows_a_block = std::max<int64_t>(1, (int64_t{1} << 20) / row_bytes);
  const auto stored = static_cast<size_t>(std::min(row_bytes, bitmap.RowBytes()));
  std::vector<uint8_t> block(
      static_cast<size_t>(std::min<int64_t>(rows_a_block, bitmap.Height()) * row_bytes), 0);
  for (int64_t y = bitmap.Height() - 1; y >= 0;) {
    uint8_t* at = block.data();
    for (int64_t n = 0; n < rows_a_block && y >= 0; ++n, --y, at += row_bytes)
      if (stored > 0) std::memcpy(at, bitmap.ScanLine(static_cast<int>(y)), stored);
    stream.WriteBuffer(block.data(), at - block.data());
  }
}

}  // namespace bmp

void WriteBmp(const TBitmap& bitmap, TStream& stream) {
  TBitmap converted;
  const TBitmap* source = &bitmap;
  if (BitsPerPixel(bitmap.PixelFormat()) == 16) {
    converted = bitmap;
    converted.SetPixelFormat(TPixelFormat::pf24bit);
    source = &converted;
  }
  bmp::Layout layout;
  layout.width = source->Width();
  layout.height = source->Height();
  layout.bits = BitsPerPixel(source->PixelFormat());
  layout.row_bytes = source->RowBytes();
  layout.colours = PaletteSizeOf(source->PixelFormat());
  std::vector<uint8_t> out = bmp::Headers(layout);
  const int64_t colours = layout.colours;
  const TColorTable& table = source->Palette();
  for (int64_t i = 0; i < colours && i < static_cast<int64_t>(table.size()); ++i) {
    const TRGBQuad& q = table[static_cast<size_t>(i)];
    const auto at = static_cast<size_t>(bmp::kHeadersSize + 4 * i);
    out[at] = q.rgbBlue;
    out[at + 1] = q.rgbGreen;
    out[at + 2] = q.rgbRed;
  }
  stream.WriteBuffer(out.data(), static_cast<int64_t>(out.size()));
  bmp::WriteRowsBottomUp(*source, layout.row_bytes, stream);
}

}  // namespace plat
