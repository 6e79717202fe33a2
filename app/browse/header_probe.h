#pragma once
// The size, colour depth, resolution and grey flag of an image, read from the first bytes of its
// file without decoding it. The file list fills its "Resolution" column from it.
#include <QString>
#include <cstdint>
#include <span>

namespace browse {

// What the last header read told.
struct ImageHeader {
  int32_t Width = 0;
  int32_t Height = 0;
  uint8_t BitsPerPixel = 0;
  int16_t dpi = 0;
  bool IsGray = false;
};

class clsImageHeaderInfo {
 public:
  int32_t Width() const { return header_.Width; }
  int32_t Height() const { return header_.Height; }
  uint8_t BitsPerPixel() const { return header_.BitsPerPixel; }
  int16_t dpi() const { return header_.dpi; }
  bool IsGray() const { return header_.IsGray; }

  // GIF or BMP. Never raises: a file that cannot be read leaves size and depth at 0.
  void ReadGIF_BMP_Header(const QString& FileName);
  // JPEG, little-endian TIFF or PNG; True when the header was read to its end.
  bool ReadJPEG_TIFF_PNG_Header(const QString& FileName);

  // The same readers over bytes already in memory.
  void ReadGIF_BMP_Bytes(std::span<const uint8_t> bytes);
  bool ReadJPEG_TIFF_PNG_Bytes(std::span<const uint8_t> bytes);

 private:
  ImageHeader header_;
};

}  // namespace browse
