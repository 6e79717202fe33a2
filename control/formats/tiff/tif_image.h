#pragma once
// The TIFF graphic: one page of a TIFF file. Loading parses the page's directory and keeps its
// still-compressed strips; assigning it to a bitmap decodes them. Assigning a bitmap to it
// encodes one strip that the writer puts out as a page of a single- or multipage file.
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "control/formats/jpeg/exif.h"
#include "control/formats/jpeg/file_info.h"
#include "platform/base/large_blocks.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/graphic.h"

namespace plat {
class TBitmap;
class TStream;
}  // namespace plat

namespace pictavo {

struct TOutEntry;  // a directory entry on its way into a file

class TTIFImage : public plat::TGraphic {
 public:
  TTIFImage();
  ~TTIFImage() override;
  TTIFImage(const TTIFImage&) = delete;
  TTIFImage& operator=(const TTIFImage&) = delete;

  // Set before loading: the 1-based page to read (below 2 reads the first) and whether LZW data
  // may be decoded.
  int32_t PageNumber = 1;
  bool UseLZW = true;
  // Set by loading, read by the caller; set by the caller before writing.
  uint16_t Compression = 1;
  int32_t XDPI = 0;
  int32_t YDPI = 0;
  bool WasCMYK = false;
  // The page's IPTC file info and EXIF tags: read with the page, written with it.
  TFileInfo FileInfo;
  TExif Exif;

  // Parses page PageNumber of the TIFF data (the whole stream from its start). Decodes nothing.
  void LoadFromStream(plat::TStream& stream) override;
  // Decodes the loaded page into a TBitmap or TBMPImage; dest is unchanged when that fails.
  void AssignTo(plat::TGraphic& dest) const override;
  // Encodes a pf1bit, pf4bit, pf8bit or pf24bit bitmap as one strip, by Compression
  // (1 none, 32773 PackBits, 4 CCITT Group 4). Other sources are ignored.
  void Assign(const plat::TGraphic& source) override;
  // A complete little-endian single-page file.
  void SaveToStream(plat::TStream& stream) const override;
  // Appends the page (directory, sub-directories, values, strips) at the end of `file` and
  // returns the position of its next-directory offset, which holds 0.
  int64_t WriteIFD(plat::TStream& file) const;

  // Nothing draws or sizes a TIFF page; it only converts between a file and a bitmap.
  bool GetEmpty() const override { return strips_.empty(); }
  int GetWidth() const override { return static_cast<int>(imageWidth_); }
  int GetHeight() const override { return static_cast<int>(imageLength_); }
  void SetWidth(int) override;
  void SetHeight(int) override;
  std::string ClassName() const override { return "TTIFImage"; }

  uint32_t ImageWidth() const { return imageWidth_; }
  uint32_t ImageLength() const { return imageLength_; }
  uint16_t PhotometricInterpretation() const { return photometric_; }
  uint16_t WriteKind() const { return writeKind_; }
  size_t StripCount() const { return strips_.size(); }

 private:
  struct TStrip {
    uint64_t offset;     // in data_ (0 when nothing of the strip is there)
    uint64_t size;       // the byte count the file declares
    uint64_t available;  // bytes of it the file holds (less when the file is cut short)
  };
  struct TReadState;

  void ParseEntries(TReadState& r);
  void ApplyDefaults(TReadState& r);
  void ReadStrips(TReadState& r);
  void KeepStripBytes(TReadState& r);
  void ReadExif(TReadState& r);
  void ReadFileInfo(TReadState& r);

  // A strip's bytes: read in place from data_ where they serve as stored, else a buffer of
  // their own (decoded, padded or bit-reversed).
  struct TStripData {
    std::span<const uint8_t> stored;
    std::optional<std::vector<uint8_t>> owned;
    std::span<const uint8_t> Bytes() const {
      return owned ? std::span<const uint8_t>(*owned) : stored;
    }
  };

  // Decoding (tif_decode.cpp).
  TStripData StripBytes(size_t strip, uint64_t padTo) const;
  // The strip's rows decoded: read in place where they are stored uncompressed, else decoded
  // into `out` (whose room is reused from strip to strip).
  std::span<const uint8_t> StripRows(size_t strip, uint32_t rows, size_t rowBytes, size_t stride,
                                     bool checksum, plat::TLargeBytes& out) const;
  std::vector<uint8_t> FaxRows(size_t strip, uint32_t rows) const;
  uint32_t RowsOfStrip(size_t strip) const;
  // The strips' bytes the file holds, added up.
  uint64_t StoredBytes() const;
  // Pixels in one full strip of a plane, to size the ranges handed to the worker pool.
  int64_t StripPixels() const;
  // Decoded bytes one stored byte can give at most in this page's compression.
  int64_t BestRatio() const;
  // Sizes bmp for the page once the data present justifies it and the budget holds it.
  void Allocate(plat::TBitmap& bmp, plat::TPixelFormat format) const;
  void DecodeBilevel(plat::TBitmap& bmp) const;
  void DecodeGreyscale(plat::TBitmap& bmp) const;
  void DecodePalette(plat::TBitmap& bmp) const;
  void DecodeColour(plat::TBitmap& bmp, bool cmyk) const;

  // Writing (tif_writer.cpp).
  bool MustReencode() const;
  bool CopyablePredictor() const;
  int64_t WriteDirectory(plat::TStream& file) const;
  void AddMetadataEntries(std::vector<TOutEntry>& entries) const;

  // The page's strips, still compressed: the file as it was read, or only the strips when the
  // page is a small share of its file.
  plat::TLargeBytes data_;
  std::vector<TStrip> strips_;
  bool bigEndian_ = false;

  uint32_t imageWidth_ = 0;
  uint32_t imageLength_ = 0;
  std::vector<uint16_t> bitsPerSample_{1};
  uint16_t photometric_ = 0;
  uint16_t samplesPerPixel_ = 1;
  uint32_t rowsPerStrip_ = 0;
  uint16_t fillOrder_ = 1;
  uint16_t planarConfiguration_ = 1;
  uint16_t predictor_ = 1;
  uint32_t t4Options_ = 0;
  uint16_t inkSet_ = 1;
  uint16_t numberOfInks_ = 4;
  uint16_t writeKind_ = 0;
  std::vector<uint16_t> colorMap_;  // all red values, then all green, then all blue
  bool loadedFromFile_ = false;
};

}  // namespace pictavo
