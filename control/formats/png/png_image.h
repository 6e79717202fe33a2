#pragma once
// A PNG file as a platform bitmap: after loading the pixels live in the bitmap (1, 4 or 8 bits
// with a palette, or 24 bits); saving encodes the bitmap's current pixels. The file's chunks are
// kept beside it, so known and safe ancillary chunks survive a load and save.
#include <cstdint>

#include "control/formats/png/png_chunks.h"
#include "platform/graphics/bitmap.h"

namespace pictavo {

// Row filter types of the PNG standard.
enum TFilterType : uint8_t { ftNone = 0, ftSub = 1, ftUp = 2, ftAverage = 3, ftPaeth = 4 };

class TPNGImage : public plat::TBitmap {
 public:
  // None, Sub, Average and Paeth; Up is not tried.
  static constexpr uint8_t kDefaultFilterSet = 0x1B;

  TPNGImage();
  ~TPNGImage() override;
  TPNGImage(const TPNGImage&) = delete;
  TPNGImage& operator=(const TPNGImage&) = delete;

  void Assign(const plat::TGraphic& source) override;
  void LoadFromStream(plat::TStream& stream) override;
  void SaveToStream(plat::TStream& stream) const override;
  std::string ClassName() const override { return "TPNGImage"; }

  // Bit n set: filter type n is tried per row when writing; None is always among them.
  uint8_t FilterSet() const { return filter_set_; }
  void SetFilterSet(uint8_t value) { filter_set_ = value | 1; }
  bool InterlaceFlag() const { return interlace_flag_; }

  TChunkList& Chunks() { return chunks_; }
  const TChunkList& Chunks() const { return chunks_; }

  // Drops every chunk and starts over with an empty IHDR, IDAT and IEND.
  void ResetToDefaults();

  bool HasTransparentColor = false;
  plat::TColor TransparentColor = 0;

 private:
  void ReadChunks(plat::TStream& stream);
  void CheckChunkOrder() const;
  void TakeTransparentColor();
  // Puts the chunks a file needs in place around the ones kept from a load.
  void ArrangeChunksForWriting();
  void WriteChunks(plat::TStream& stream);
  void CopyChunks(const TPNGImage& source);

  TChunkList chunks_;
  uint8_t filter_set_ = kDefaultFilterSet;
  bool interlace_flag_ = false;
};

}  // namespace pictavo
