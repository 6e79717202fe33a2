#include "control/engine/view/cursor_file.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include "platform/base/byte_cursor.h"
#include "platform/base/exceptions.h"

namespace pictavo {

namespace {

VELMORA_EXCEPTION(ECursorFile, plat::Exception);

[[noreturn]] void Refuse(std::string_view) {
  throw ECursorFile("Invalid cursor file");
}
void Require(bool condition) {
  if (!condition) Refuse({});
}

constexpr uint16_t kCursorType = 2;
constexpr int kDefaultSize = 32;
// Neither the directory's one-byte sizes nor a PNG entry may go beyond 256 pixels a side.
constexpr int kMaxSide = 256;
// Several 256 x 256 entries at 32 bits with their masks fit well within this.
constexpr uintmax_t kMaxFileSize = 4u << 20;
constexpr uint8_t kPngSignature[] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

struct TDirEntry {
  int width;
  QPoint hotspot;
  uint32_t size;
  uint32_t offset;
};

// The directory entry whose width is nearest the default cursor size (the first of equals).
TDirEntry ChooseEntry(plat::TByteCursor& in) {
  Require(in.Word() == 0 && in.Word() == kCursorType);
  const uint16_t count = in.Word();
  Require(count > 0);
  std::optional<TDirEntry> best;
  for (uint16_t i = 0; i < count; ++i) {
    const uint8_t width = in.Byte();
    in.Skip(3);  // height, colour count, reserved
    TDirEntry entry;
    entry.width = width == 0 ? kMaxSide : width;
    const int x = in.Word(), y = in.Word();
    entry.hotspot = QPoint(x, y);
    entry.size = in.DWord();
    entry.offset = in.DWord();
    if (!best || std::abs(entry.width - kDefaultSize) < std::abs(best->width - kDefaultSize))
      best = entry;
  }
  return *best;
}

bool InsideImage(const QPoint& point, const QImage& image) {
  return point.x() < image.width() && point.y() < image.height();
}

QImage PngImage(std::span<const uint8_t> data) {
  Require(data.size() <= kMaxFileSize);
  plat::TByteCursor in(data, Refuse);  // PNG numbers are big-endian
  in.Skip(sizeof kPngSignature);
  Require(in.DWord() == 13 && in.Text(4) == "IHDR");
  const uint32_t width = in.DWord(), height = in.DWord();
  Require(width >= 1 && width <= kMaxSide && height >= 1 && height <= kMaxSide);
  QImage image = QImage::fromData(data.data(), static_cast<int>(data.size()), "PNG");
  Require(!image.isNull() && image.width() == static_cast<int>(width) &&
          image.height() == static_cast<int>(height));
  return image.convertToFormat(QImage::Format_ARGB32);
}

int RowBytes(int64_t width, int bits) {
  return static_cast<int>((width * bits + 31) / 32 * 4);
}

int BitAt(const uint8_t* row, int x) {
  return (row[x / 8] >> (7 - x % 8)) & 1;
}

// The colour (RGB) of pixel x of a colour row at 1, 4, 8 or 24 bits.
QRgb RowColour(const uint8_t* row, int x, int bits, const std::vector<QRgb>& palette) {
  if (bits == 24) return qRgb(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
  const int index = bits == 8   ? row[x]
                    : bits == 4 ? (row[x / 2] >> (x % 2 ? 0 : 4)) & 0x0F
                                : BitAt(row, x);
  Require(index < static_cast<int>(palette.size()));
  return palette[static_cast<size_t>(index)];
}

QImage BmpImage(std::span<const uint8_t> data) {
  plat::TByteCursor in(data, Refuse, false);
  const uint32_t header_size = in.DWord();
  Require(header_size >= 40);
  const int32_t width = static_cast<int32_t>(in.DWord());
  const int32_t double_height = static_cast<int32_t>(in.DWord());
  Require(width >= 1 && width <= kMaxSide && double_height >= 2 && double_height <= 2 * kMaxSide &&
          double_height % 2 == 0);
  const int height = double_height / 2;
  Require(in.Word() == 1);
  const int bits = in.Word();
  Require(bits == 1 || bits == 4 || bits == 8 || bits == 24 || bits == 32);
  Require(in.DWord() == 0);  // BI_RGB only
  in.Skip(12);               // image size, resolution
  const uint32_t colours_used = in.DWord();
  const uint32_t palette_size = bits > 8 ? 0 : colours_used ? colours_used : 1u << bits;
  Require(palette_size <= (bits > 8 ? 0u : 1u << bits));
  in.Seek(header_size);
  std::vector<QRgb> palette;
  for (uint32_t i = 0; i < palette_size; ++i) {
    const auto bgr = in.Bytes(4);
    palette.push_back(qRgb(bgr[2], bgr[1], bgr[0]));
  }
  const int colour_stride = RowBytes(width, bits), mask_stride = RowBytes(width, 1);
  const auto colour_rows = in.Bytes(static_cast<uint64_t>(colour_stride) * height);
  const auto mask_rows = in.Bytes(static_cast<uint64_t>(mask_stride) * height);

  QImage image(width, height, QImage::Format_ARGB32);
  bool has_alpha = false;
  for (int y = 0; y < height; ++y) {
    const size_t stored = static_cast<size_t>(height - 1 - y);  // rows are stored bottom-up
    const uint8_t* colour = colour_rows.data() + stored * colour_stride;
    const uint8_t* mask = mask_rows.data() + stored * mask_stride;
    auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < width; ++x) {
      if (bits == 32) {
        const uint8_t* p = colour + 4 * x;
        out[x] = qRgba(p[2], p[1], p[0], p[3]);
        has_alpha = has_alpha || p[3] != 0;
      } else {
        out[x] = RowColour(colour, x, bits, palette);
      }
      if (bits != 32 && BitAt(mask, x)) out[x] = 0;
    }
  }
  // A 32-bit entry whose alpha channel is empty is shaped by its mask, as the older ones are.
  if (bits == 32 && !has_alpha) {
    for (int y = 0; y < height; ++y) {
      const uint8_t* mask = mask_rows.data() + static_cast<size_t>(height - 1 - y) * mask_stride;
      auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
      for (int x = 0; x < width; ++x) out[x] = BitAt(mask, x) ? 0 : out[x] | 0xFF000000u;
    }
  }
  return image;
}

TCursorImage DecodeCursor(std::span<const uint8_t> bytes) {
  plat::TByteCursor in(bytes, Refuse, false);
  const TDirEntry entry = ChooseEntry(in);
  const auto data = in.BytesAt(entry.offset, entry.size);
  const bool png = data.size() >= sizeof kPngSignature &&
                   std::equal(std::begin(kPngSignature), std::end(kPngSignature), data.begin());
  TCursorImage cursor{png ? PngImage(data) : BmpImage(data), entry.hotspot};
  Require(InsideImage(cursor.hotspot, cursor.image));
  return cursor;
}

}  // namespace

std::optional<TCursorImage> ReadCursor(std::span<const uint8_t> bytes) {
  try {
    return DecodeCursor(bytes);
  } catch (const ECursorFile&) {
    return std::nullopt;
  }
}

std::optional<TCursorImage> ReadCursorFile(const std::string& file_name) {
  std::error_code error;
  const uintmax_t size = std::filesystem::file_size(file_name, error);
  if (error || size > kMaxFileSize) return std::nullopt;
  std::ifstream in(file_name, std::ios::binary);
  std::vector<uint8_t> bytes(static_cast<size_t>(size));
  if (!in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size)))
    return std::nullopt;
  return ReadCursor(bytes);
}

}  // namespace pictavo
