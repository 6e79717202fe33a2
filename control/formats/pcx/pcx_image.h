#pragma once
// The PCX graphic: the header of the last file read or written and the pixels in a TBMPImage.
// Four layouts are read and written: 1 bit in 1 plane, 1 bit in 4 planes, 8 bits in 1 plane
// (palette at the end of the file) and 8 bits in 3 planes. The header's dots per inch travel
// to and from the holder's pixels per metre.
#include <cstdint>
#include <string>

#include "control/formats/bmp/bmpimage.h"
#include "platform/graphics/graphic.h"

namespace pictavo {

class TPCXImage : public plat::TGraphic {
 public:
  TPCXImage() = default;
  TPCXImage(const TPCXImage&) = delete;
  TPCXImage& operator=(const TPCXImage&) = delete;

  // The header fields of the last file read or written.
  uint8_t Manufacturer = 10;
  uint8_t Version = 5;
  uint8_t Encoding = 1;
  uint8_t BitsPerPixel = 0;
  uint16_t XMin = 0;
  uint16_t YMin = 0;
  uint16_t XMax = 0;
  uint16_t YMax = 0;
  uint16_t HorizontalDPI = 0;
  uint16_t VerticalDPI = 0;
  uint8_t Planes = 0;
  uint16_t BytesPerLine = 0;
  uint16_t PaletteInfo = 1;
  // 16, 256 or 0 entries of PaletteTable in use.
  int PaletteCount = 0;
  plat::TColorTable PaletteTable = plat::TColorTable(256);
  TBMPImage PixelHolder;

  // Resolution of the holder in dots per inch (pixels per metre / 39.37007874, rounded).
  int GetXDPI() const;
  int GetYDPI() const;
  void SetXDPI(int dpi);
  void SetYDPI(int dpi);

  // Decodes the whole stream from its start.
  void LoadFromStream(plat::TStream& stream) override;
  // Writes the holder in the layout its pixel format needs.
  void SaveToStream(plat::TStream& stream) const override;
  // A bitmap source replaces the holder; other sources are ignored.
  void Assign(const plat::TGraphic& source) override;
  // Fills a bitmap with the holder.
  void AssignTo(plat::TGraphic& dest) const override;
  void Draw(plat::TCanvas& canvas, const plat::TRect& rect) const override;
  void LoadFromClipboardFormat(uint16_t format, plat::THandle data, plat::THandle palette) override;
  void SaveToClipboardFormat(uint16_t& format, plat::THandle& data,
                             plat::THandle& palette) const override;

  bool GetEmpty() const override { return PixelHolder.Height() == 0; }
  int GetWidth() const override { return PixelHolder.Width(); }
  int GetHeight() const override { return PixelHolder.Height(); }
  void SetWidth(int width) override { PixelHolder.SetWidth(width); }
  void SetHeight(int height) override { PixelHolder.SetHeight(height); }
  std::string ClassName() const override { return "TPCXImage"; }

 private:
  void ReadHeader(const std::vector<uint8_t>& bytes);
  void DecodePixels(const std::vector<uint8_t>& bytes);
};

}  // namespace pictavo
