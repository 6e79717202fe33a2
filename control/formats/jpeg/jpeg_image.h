#pragma once
// The library's JPEG graphic: the bytes of one JPEG file shared between copies, decoded into a
// TBMPImage only when pixels are needed, and encoded from a bitmap through libjpeg-turbo. It
// carries the file's IPTC file info and EXIF attributes and the estimated save quality.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "control/formats/bmp/bmpimage.h"
#include "control/formats/jpeg/exif.h"
#include "control/formats/jpeg/file_info.h"
#include "control/formats/jpeg/jpeg_errors.h"
#include "platform/graphics/graphic.h"

namespace pictavo {

// The compressed data and what its header says; shared between copies, copied before a write.
struct TJPEGExtraData {
  std::shared_ptr<const std::vector<uint8_t>> Data;  // SOI to EOI; null while empty
  int Width = 0;
  int Height = 0;
  bool Grayscale = false;
  uint16_t XDensity = 0;  // dots per inch
  uint16_t YDensity = 0;
};

enum class TJPEGPixelFormat : uint8_t { jf24Bit = 0, jf8Bit = 1 };

// Colour space of the loaded file.
enum TJPEGColorSpaceKind : uint8_t {
  kColorSpaceRGB = 0,
  kColorSpaceCMYK = 1,  // CMYK or YCCK
  kColorSpaceGrayscale = 2,
  kColorSpaceYCbCr = 3,
  kColorSpaceOther = 4,
};

class TJPEGImageExtra : public plat::TGraphic {
 public:
  TJPEGImageExtra();
  ~TJPEGImageExtra() override;

  // TGraphic
  void Assign(const plat::TGraphic& source) override;
  void AssignTo(plat::TGraphic& dest) const override;
  bool Equals(const plat::TGraphic& other) const override;
  bool GetEmpty() const override;
  int GetWidth() const override;
  int GetHeight() const override;
  // Both raise plat::EInvalidGraphicOperation "Cannot change the size of a JPEG image".
  void SetWidth(int width) override;
  void SetHeight(int height) override;
  void LoadFromStream(plat::TStream& stream) override;
  // Writes the compressed data with the metadata segments and the density in the JFIF header.
  void SaveToStream(plat::TStream& stream) const override;
  std::string ClassName() const override { return "TJPEGImageExtra"; }

  // Reads size bytes from the stream as a complete JPEG file and its header and metadata.
  void ReadStream(int64_t size, plat::TStream& stream);
  // The form a containing stream stores: a 32-bit little-endian length, then the bytes.
  void ReadData(plat::TStream& stream);
  void WriteData(plat::TStream& stream) const;

  // Compresses the bitmap when there is no data yet.
  void JPEGNeeded() const;
  // The bare compressed stream (no metadata segments, the library's default density).
  const std::vector<uint8_t>& CompressedData() const;
  // The decoded pixels; decodes first when needed.
  const TBMPImage& GetBitmap() const;

  bool GetGrayscale() const { return grayscale_; }
  void SetGrayscale(bool value) { grayscale_ = value; }
  TJPEGPixelFormat GetPixelFormat() const { return pixel_format_; }
  void SetPixelFormat(TJPEGPixelFormat value);
  uint16_t GetXDensity() const { return image_->XDensity; }
  uint16_t GetYDensity() const { return image_->YDensity; }
  void SetXDensity(uint16_t value) { MutableImage().XDensity = value; }
  void SetYDensity(uint16_t value) { MutableImage().YDensity = value; }

  uint8_t Quality = 90;
  bool ProgressiveEncoding = false;
  uint8_t ColorSpaceKind = kColorSpaceRGB;
  TFileInfo FileInfo;
  TExif Exif;
  int ApproxQuality = 0;
  double ApproxQualityError = 0;

  // Replaces the EXIF and IPTC segments of an existing JPEG file without touching its image
  // data; the file is replaced through a temporary file. Raises plat::EInvalidGraphic "Error"
  // for a file whose segments run past its end, EJPEG "Error writing file." for EXIF values
  // that cannot be written.
  static void RewriteFileMetadata(const std::string& path, const TFileInfo& info,
                                  const TExif& exif);

 private:
  void NewImage();
  TJPEGExtraData& MutableImage();
  void Compress() const;
  void Decode() const;
  void ReadHeader();
  void ReadMetadata();
  void ApplyExifResolution();
  std::vector<uint8_t> FileBytes() const;

  // The compressed data and the decoded bitmap are caches that const readers fill.
  mutable std::shared_ptr<TJPEGExtraData> image_;
  mutable std::unique_ptr<TBMPImage> bitmap_;
  bool grayscale_ = false;
  TJPEGPixelFormat pixel_format_ = TJPEGPixelFormat::jf24Bit;
};

}  // namespace pictavo
