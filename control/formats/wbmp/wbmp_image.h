#pragma once
// The wireless bitmap graphic (type 0): black and white, one bit a pixel, a tiny header of
// multi-byte integers. Its pixels are a 1-bit bitmap whose index 0 is black.
#include <cstdint>
#include <string>

#include "platform/graphics/bitmap.h"

namespace pictavo {

class TWBMPImage : public plat::TGraphic {
 public:
  TWBMPImage() = default;
  TWBMPImage(const TWBMPImage&) = delete;
  TWBMPImage& operator=(const TWBMPImage&) = delete;

  plat::TBitmap MonoBitmap;

  // Decodes the stream from its start.
  void LoadFromStream(plat::TStream& stream) override;
  // Writes the bitmap, every pixel whose red, green and blue are all above 126 white and the
  // others black, and leaves the stream at position 0.
  void SaveToStream(plat::TStream& stream) const override;
  // A bitmap source becomes black and white: white where red + green + blue is 384 or more.
  void Assign(const plat::TGraphic& source) override;
  // Fills a bitmap with MonoBitmap.
  void AssignTo(plat::TGraphic& dest) const override;
  void Draw(plat::TCanvas& canvas, const plat::TRect& rect) const override;
  void LoadFromClipboardFormat(uint16_t format, plat::THandle data, plat::THandle palette) override;
  void SaveToClipboardFormat(uint16_t& format, plat::THandle& data,
                             plat::THandle& palette) const override;

  bool GetEmpty() const override { return MonoBitmap.Height() == 0; }
  int GetWidth() const override { return MonoBitmap.Width(); }
  int GetHeight() const override { return MonoBitmap.Height(); }
  void SetWidth(int width) override { MonoBitmap.SetWidth(width); }
  void SetHeight(int height) override { MonoBitmap.SetHeight(height); }
  std::string ClassName() const override { return "TWBMPImage"; }
};

// A WBMP multi-byte integer: groups of 7 bits, most significant first, bit 7 set on every byte
// but the last.
std::string EncodeMultiByteInteger(uint64_t value);

}  // namespace pictavo
