#pragma once
// The library's BMP image: the platform bitmap plus the resolution a BMP header carries.
// It is the pixel holder of several codecs and the base of the raster image.
#include <cstdint>
#include <string>

#include "platform/graphics/bitmap.h"

namespace pictavo {

class TBMPImage : public plat::TBitmap {
 public:
  TBMPImage() = default;

  // Pixels per metre; 0 means no resolution is known.
  int32_t GetXPelsPerMeter() const { return x_pels_per_meter_; }
  int32_t GetYPelsPerMeter() const { return y_pels_per_meter_; }
  void SetXPelsPerMeter(int32_t value) { x_pels_per_meter_ = value; }
  void SetYPelsPerMeter(int32_t value) { y_pels_per_meter_ = value; }

  // True for an indexed image (1, 4 or 8 bits) whose colour table holds only greys.
  bool IsGrayscalePalette() const;

  void AssignTo(plat::TGraphic& dest) const override;
  // Takes the resolution from the info header when the stream holds one, then reads the BMP.
  // Positions are absolute: the BMP must start at the stream's beginning.
  void LoadFromStream(plat::TStream& stream) override;
  // Writes a BMP with a 40-byte info header carrying the resolution.
  void SaveToStream(plat::TStream& stream) const override;

  std::string ClassName() const override { return "TBMPImage"; }

 private:
  int32_t x_pels_per_meter_ = 0;
  int32_t y_pels_per_meter_ = 0;
};

// Bytes of one row of a 24-bit BMP as this class writes it: a row of width 0 still takes 4.
int64_t Bmp24RowSize(int64_t width);

}  // namespace pictavo
