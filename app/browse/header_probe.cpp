#include "app/browse/header_probe.h"

#include <QFile>
#include <QFileInfo>
#include <cstdlib>
#include <limits>

#include "platform/base/byte_cursor.h"
#include "platform/base/rounding.h"

namespace browse {

namespace {

// The GIF and BMP fields all lie in the first bytes of a file.
constexpr qint64 kGifBmpHeadBytes = 65536;

// Running out of bytes ends a reader; each reader decides what that means for its result.
struct EndOfHeader {};

[[noreturn]] void StopAtShortRead(std::string_view) {
  throw EndOfHeader{};
}

plat::TByteCursor CursorOver(std::span<const uint8_t> bytes, bool big_endian) {
  return plat::TByteCursor(bytes, StopAtShortRead, big_endian);
}

// A size the header cannot hold as a signed 32-bit number leaves the old value.
void SetSize(int32_t& field, int64_t value) {
  if (value >= 0 && value <= std::numeric_limits<int32_t>::max())
    field = static_cast<int32_t>(value);
}

void SetDpi(int16_t& field, int64_t value) {
  if (value >= std::numeric_limits<int16_t>::min() && value <= std::numeric_limits<int16_t>::max())
    field = static_cast<int16_t>(value);
}

bool StartsWith(std::span<const uint8_t> bytes, std::string_view lead) {
  if (bytes.size() < lead.size()) return false;
  for (size_t i = 0; i < lead.size(); ++i)
    if (bytes[i] != static_cast<uint8_t>(lead[i])) return false;
  return true;
}

void ReadGif(std::span<const uint8_t> bytes, ImageHeader& header) {
  const auto cursor = CursorOver(bytes, false);
  header.Width = cursor.WordAt(6);
  header.Height = cursor.WordAt(8);
  header.BitsPerPixel = static_cast<uint8_t>((cursor.ByteAt(10) & 7) + 1);
}

// Width and height are the info header's signed 32-bit fields; a top-down bitmap stores its
// height negative.
void ReadBmp(std::span<const uint8_t> bytes, ImageHeader& header) {
  const auto cursor = CursorOver(bytes, false);
  SetSize(header.Width, static_cast<int32_t>(cursor.DWordAt(18)));
  SetSize(header.Height, std::llabs(static_cast<int32_t>(cursor.DWordAt(22))));
  header.BitsPerPixel = cursor.ByteAt(28);
}

// XResolution is taken in dots per inch only when the unit says inch; otherwise as dots per
// centimetre.
int64_t TiffDpi(double resolution, uint32_t unit) {
  if (unit == 2) return plat::RoundHalfEven(resolution);
  return plat::Trunc(resolution * 2.54);
}

bool ReadTiff(plat::TByteCursor& cursor, ImageHeader& header) {
  cursor.SetBigEndian(false);
  double resolution = 0;
  uint32_t unit = 0;
  if (!cursor.Holds(cursor.Position(), 6) || cursor.Byte() != 42) return false;
  cursor.Skip(1);
  try {
    cursor.Seek(cursor.DWord());
    const uint16_t count = cursor.Word();
    for (uint16_t i = 0; i < count; ++i) {
      const size_t entry = cursor.Position();
      const uint16_t tag = cursor.WordAt(entry);
      const uint32_t value = cursor.DWordAt(entry + 8);
      if (tag == 256) SetSize(header.Width, value);
      if (tag == 257) SetSize(header.Height, value);
      if (tag == 282) {
        const uint32_t denominator = cursor.DWordAt(uint64_t{value} + 4);
        if (denominator != 0) resolution = static_cast<double>(cursor.DWordAt(value)) / denominator;
      }
      if (tag == 296 && value <= 0xFF) unit = value;
      cursor.Skip(12);
    }
  } catch (const EndOfHeader&) {
    // A directory cut short still gives what it held.
  }
  SetDpi(header.dpi, TiffDpi(resolution, unit));
  header.BitsPerPixel = 24;
  return true;
}

bool IsStartOfFrame(uint8_t marker) {
  return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

void ReadJfifDensity(std::span<const uint8_t> segment, ImageHeader& header) {
  const auto data = CursorOver(segment, true);
  const uint8_t units = data.ByteAt(7);
  const uint16_t density = data.WordAt(8);
  if (units == 1) SetDpi(header.dpi, density);
  if (units == 2) SetDpi(header.dpi, plat::RoundHalfEven(density * 2.54));
}

void ReadFrame(std::span<const uint8_t> segment, ImageHeader& header) {
  const auto data = CursorOver(segment, true);
  header.Height = data.WordAt(1);
  header.Width = data.WordAt(3);
  header.IsGray = data.ByteAt(5) == 1;
}

// Walks the marker segments up to the first byte that is no marker (the scan data). The walk
// ends at the end of the bytes and at a length that would not move it forward.
bool ReadJpeg(plat::TByteCursor& cursor, ImageHeader& header) {
  cursor.SetBigEndian(true);
  try {
    while (cursor.Byte() == 0xFF) {
      const uint8_t marker = cursor.Byte();
      const uint16_t length = cursor.Word();
      if (length < 2) break;
      const auto segment = cursor.Bytes(length - 2u);
      try {
        if (marker == 0xE0) ReadJfifDensity(segment, header);
        if (IsStartOfFrame(marker)) ReadFrame(segment, header);
      } catch (const EndOfHeader&) {
        // A segment too short for its fields gives none of them; the walk goes on.
      }
    }
  } catch (const EndOfHeader&) {
  }
  if (header.dpi == 0) header.dpi = 1;
  header.BitsPerPixel = 24;
  return true;
}

void ReadPngHeaderChunk(std::span<const uint8_t> chunk, ImageHeader& header) {
  const auto data = CursorOver(chunk, true);
  SetSize(header.Width, data.DWordAt(0));
  SetSize(header.Height, data.DWordAt(4));
  header.BitsPerPixel = data.ByteAt(8);
  if (header.BitsPerPixel != 8) return;
  const uint8_t colourType = data.ByteAt(9);
  if (colourType == 0 || colourType == 4) header.IsGray = true;
  if (colourType == 2 || colourType == 6) header.BitsPerPixel = 24;
}

void ReadPngDensity(std::span<const uint8_t> chunk, ImageHeader& header) {
  const auto data = CursorOver(chunk, true);
  if (data.ByteAt(8) == 1) SetDpi(header.dpi, plat::RoundHalfEven(data.DWordAt(0) * 0.0254));
}

bool ReadPng(plat::TByteCursor& cursor, ImageHeader& header) {
  cursor.SetBigEndian(true);
  try {
    if (cursor.Text(6) != std::string_view("NG\r\n\x1a\n", 6)) return false;
    for (;;) {
      const uint32_t length = cursor.DWord();
      const std::string type = cursor.Text(4);
      const auto chunk = cursor.Bytes(length);
      if (type == "IHDR") ReadPngHeaderChunk(chunk, header);
      if (type == "pHYs") ReadPngDensity(chunk, header);
      if (type == "IDAT" || type == "IEND") return true;
      cursor.Skip(4);
    }
  } catch (const EndOfHeader&) {
    return false;
  }
}

}  // namespace

void clsImageHeaderInfo::ReadGIF_BMP_Bytes(std::span<const uint8_t> bytes) {
  header_.Width = 0;
  header_.Height = 0;
  header_.BitsPerPixel = 0;
  try {
    if (StartsWith(bytes, "GIF")) ReadGif(bytes, header_);
    if (StartsWith(bytes, "BM")) ReadBmp(bytes, header_);
  } catch (const EndOfHeader&) {
    header_.Width = 0;
    header_.Height = 0;
    header_.BitsPerPixel = 0;
  }
}

bool clsImageHeaderInfo::ReadJPEG_TIFF_PNG_Bytes(std::span<const uint8_t> bytes) {
  header_ = ImageHeader{};
  if (bytes.size() < 2) return false;
  auto cursor = CursorOver(bytes, true);
  cursor.Skip(2);
  if (StartsWith(bytes, "II")) return ReadTiff(cursor, header_);
  if (StartsWith(bytes, "\xFF\xD8")) return ReadJpeg(cursor, header_);
  if (StartsWith(bytes, "\x89P")) return ReadPng(cursor, header_);
  return false;
}

void clsImageHeaderInfo::ReadGIF_BMP_Header(const QString& FileName) {
  QFile file(FileName);
  QByteArray head;
  if (file.open(QIODevice::ReadOnly)) head = file.read(kGifBmpHeadBytes);
  ReadGIF_BMP_Bytes(std::span(reinterpret_cast<const uint8_t*>(head.constData()),
                              static_cast<size_t>(head.size())));
}

// The file is mapped rather than read: a TIFF directory may sit at its end.
bool clsImageHeaderInfo::ReadJPEG_TIFF_PNG_Header(const QString& FileName) {
  if (!QFileInfo(FileName).isFile()) return false;
  QFile file(FileName);
  if (!file.open(QIODevice::ReadOnly)) {
    header_ = ImageHeader{};
    return false;
  }
  const qint64 size = file.size();
  uchar* mapped = size > 0 ? file.map(0, size) : nullptr;
  if (mapped == nullptr) {
    header_ = ImageHeader{};
    return false;
  }
  const bool read = ReadJPEG_TIFF_PNG_Bytes(std::span(mapped, static_cast<size_t>(size)));
  file.unmap(mapped);
  return read;
}

}  // namespace browse
