#pragma once
// The platform bitmap: pixels in one of the classic device-independent layouts.
//
// Storage follows the BMP layout the codecs expect: rows padded to 4 bytes, 24-bit pixels
// blue-green-red, 1-bit pixels most significant bit first, 4-bit pixels high nibble first.
// ScanLine(0) is the top row. Copies share the pixels until one side writes (copy on write):
// every non-const access to the pixels or the palette makes this bitmap's storage its own.
#include <cstdint>
#include <memory>

#include "platform/graphics/color.h"
#include "platform/graphics/graphic.h"
#include "platform/graphics/handles.h"

namespace plat {

enum class TPixelFormat {
  pfDevice,
  pf1bit,
  pf4bit,
  pf8bit,
  pf15bit,
  pf16bit,
  pf24bit,
  pf32bit,
  pfCustom
};

// Bits per pixel of a format; pfDevice and pfCustom count as 24 and 32.
int BitsPerPixel(TPixelFormat format);
// Number of palette entries an indexed format has (2, 16, 256); 0 for direct colour.
int PaletteSizeOf(TPixelFormat format);
// Bytes of one stored row: ((width * bits + 31) / 32) * 4, computed in 64 bits.
int64_t BytesPerRow(int64_t width, int bits);

class TBitmap : public TGraphic {
 public:
  TBitmap();
  TBitmap(int width, int height, TPixelFormat format);
  TBitmap(const TBitmap& other);
  TBitmap& operator=(const TBitmap& other);
  ~TBitmap() override;

  // TGraphic
  void Assign(const TGraphic& source) override;
  bool GetEmpty() const override;
  int GetWidth() const override;
  int GetHeight() const override;
  void SetWidth(int width) override;
  void SetHeight(int height) override;
  void LoadFromStream(TStream& stream) override;
  void SaveToStream(TStream& stream) const override;
  void Draw(TCanvas& canvas, const TRect& rect) const override;
  TColorTable GetPalette() const override { return Palette(); }
  // CF_BITMAP only: data is a bitmap handle (a new one when saving; the caller owns it).
  void LoadFromClipboardFormat(uint16_t format, THandle data, THandle palette) override;
  void SaveToClipboardFormat(uint16_t& format, THandle& data, THandle& palette) const override;

  int Width() const { return GetWidth(); }
  int Height() const { return GetHeight(); }
  // Resizes keeping the pixel format; pixels that stay inside keep their values, new ones are 0.
  // Pixels beyond the process-wide budget (pixel_budget.h) raise EImageTooLarge.
  void SetSize(int width, int height);
  // For a decoder about to write every row itself, top to bottom: a fresh width x height image
  // whose rows hold whatever the allocator left there (only the padding after each row's pixels
  // is 0), which saves clearing a block that is overwritten at once. A decoder that stops early
  // clears the rows it did not reach with ClearRowsFrom before the bitmap is used.
  void SetSizeForDecoding(int width, int height);
  // Sets every byte from the start of row to the bottom of the image to 0.
  void ClearRowsFrom(int row);

  TPixelFormat PixelFormat() const;
  // Converts the pixels to the new format (matching colours through RGB when it has fewer).
  void SetPixelFormat(TPixelFormat format);

  int64_t RowBytes() const;
  uint8_t* ScanLine(int row);
  const uint8_t* ScanLine(int row) const;

  const TColorTable& Palette() const;
  // Sets a new palette and re-maps every pixel to the nearest new colour, so the image keeps
  // its look. Has no effect on direct-colour formats.
  void SetPalette(const TColorTable& palette) override;
  // Replaces the colour table and keeps the pixel indices (what a codec does while decoding).
  void SetColorTable(const TColorTable& palette);

  // Colour of one pixel as 0x00BBGGRR; 0 outside the image.
  TColor PixelColor(int x, int y) const;
  // Sets one pixel (system colours resolved; nearest palette entry on indexed images); nothing
  // outside the image.
  void SetPixelColor(int x, int y, TColor color);
  // Sets every pixel of rect that lies inside the image, as SetPixelColor does.
  void FillRect(const TRect& rect, TColor color);

  // The drawing surface of this bitmap, made on first use.
  TCanvas& Canvas();

  // Releases the pixels: 0 x 0, format kept.
  void Clear();

  // The bitmap handle this bitmap owns, holding its current image; made on first use. The
  // handle is deleted with the bitmap unless it is released first.
  THandle GetHandle();
  // Takes the image of a bitmap handle and the ownership of the handle. A value that is not a
  // live bitmap handle leaves this bitmap empty (0 x 0) and is not taken over.
  void SetHandle(THandle handle);
  // Detaches the owned handle (made first if there is none) and returns it: it now belongs to
  // the caller. The bitmap keeps its image.
  THandle ReleaseHandle();

  // The shared pixel storage; defined in bitmap_image.h for the graphics layer's own use.
  struct Image;

 protected:
  Image& Mutable();
  const Image& Shared() const { return *image_; }

 private:
  void DeleteOwnedHandle();

  std::shared_ptr<Image> image_;
  THandle owned_handle_ = 0;
  std::unique_ptr<TCanvas> canvas_;
};

}  // namespace plat
