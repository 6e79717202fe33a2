// Colour-depth conversion and rescaling of FreeImage bitmaps.
#include <FreeImage.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "app/browse/freeimage.h"
#include "app/browse/freeimage_bitmap.h"
#include "app/shell/errors.h"

namespace browse {

namespace {

struct DepthOptions {
  bool paletteByColorType;
  uint8_t threshold;
  int32_t ditherMethod;
  int32_t quantizer;
  int32_t paletteSize;
  std::span<const uint32_t> reserved;
};

// Whether the palette carries colours that a plain depth change would lose.
bool HasColorPalette(FIBITMAP* bitmap, const DepthOptions& options) {
  return options.paletteByColorType ? FreeImage_GetColorType(bitmap) == FIC_PALETTE
                                    : !fncIsGreyscaleImage(bitmap);
}

// Runs the second step on the first step's bitmap, or on the source when the first step is
// skipped; a failed first step fails the whole.
template <class Second>
FiBitmap Through(FIBITMAP* source, bool firstStep, FIBITMAP* (*first)(FIBITMAP*), Second second) {
  if (!firstStep) return FiBitmap(second(source));
  const FiBitmap between(first(source));
  return between ? FiBitmap(second(between.get())) : nullptr;
}

// Threshold or dither to one bit; palette images are widened to full colour first.
FiBitmap ToOneBit(FIBITMAP* source, int32_t code, const DepthOptions& options) {
  const unsigned bpp = FreeImage_GetBPP(source);
  if (bpp == 1) return nullptr;
  const bool widenFirst = bpp == 4 || (bpp == 8 && FreeImage_GetColorType(source) == FIC_PALETTE);
  return Through(source, widenFirst, FreeImage_ConvertTo24Bits, [&](FIBITMAP* full) {
    return code == kThreshold1Bit
               ? FreeImage_Threshold(full, options.threshold)
               : FreeImage_Dither(full, static_cast<FREE_IMAGE_DITHER>(options.ditherMethod));
  });
}

FiBitmap ToFourBits(FIBITMAP* source, const DepthOptions& options) {
  if (FreeImage_GetBPP(source) != 4) return FiBitmap(FreeImage_ConvertTo4Bits(source));
  if (!HasColorPalette(source, options)) return nullptr;
  return Through(source, true, FreeImage_ConvertTo8Bits, FreeImage_ConvertTo4Bits);
}

FiBitmap Quantized(FIBITMAP* source, const DepthOptions& options) {
  const auto quantizer = static_cast<FREE_IMAGE_QUANTIZE>(options.quantizer);
  const int size = options.paletteSize;
  if (size == 256) return FiBitmap(FreeImage_ColorQuantize(source, quantizer));
  // The reserved entries are RGBQUADs already: 0x00RRGGBB read as little-endian words.
  std::vector<RGBQUAD> reserved(options.reserved.size());
  std::memcpy(reserved.data(), options.reserved.data(), reserved.size() * sizeof(RGBQUAD));
  const int reserveSize = std::min(static_cast<int>(reserved.size()), size);
  return FiBitmap(FreeImage_ColorQuantizeEx(source, quantizer, size, reserveSize,
                                            reserved.empty() ? nullptr : reserved.data()));
}

FiBitmap ToEightBitPalette(FIBITMAP* source, const DepthOptions& options) {
  const unsigned bpp = FreeImage_GetBPP(source);
  if (bpp == 8 && options.paletteSize == 256) return nullptr;
  return Through(source, bpp != 24, FreeImage_ConvertTo24Bits,
                 [&](FIBITMAP* full) { return Quantized(full, options).release(); });
}

FiBitmap ToEightBitGrey(FIBITMAP* source, const DepthOptions& options) {
  const unsigned bpp = FreeImage_GetBPP(source);
  if (bpp == 8 && !HasColorPalette(source, options)) return nullptr;
  const bool widenFirst = (bpp == 4 || bpp == 8) && HasColorPalette(source, options);
  return Through(source, widenFirst, FreeImage_ConvertTo24Bits, FreeImage_ConvertTo8Bits);
}

bool IsSixteenBits(FIBITMAP* bitmap, unsigned greenMask) {
  return FreeImage_GetBPP(bitmap) == 16 && FreeImage_GetGreenMask(bitmap) == greenMask;
}

// Widens what FreeImage cannot rescale well: bilevel to full colour, 4 bits to 8.
FiBitmap BeforeRescale(FIBITMAP* source) {
  switch (FreeImage_GetBPP(source)) {
    case 1:
      return FiBitmap(FreeImage_ConvertTo24Bits(source));
    case 4:
      return FiBitmap(FreeImage_ConvertTo8Bits(source));
    default:
      return nullptr;
  }
}

// A new bitmap for the code, or nullptr when the source stays as it is.
FiBitmap Converted(FIBITMAP* source, int32_t code, const DepthOptions& options) {
  const unsigned bpp = FreeImage_GetBPP(source);
  switch (code) {
    case kThreshold1Bit:
    case kDither1Bit:
      return ToOneBit(source, code, options);
    case k4Bits:
      return ToFourBits(source, options);
    case k8BitsPalette:
      return ToEightBitPalette(source, options);
    case k8BitsGrey:
      return ToEightBitGrey(source, options);
    case k16Bits555:
      return IsSixteenBits(source, FI16_555_GREEN_MASK)
                 ? nullptr
                 : FiBitmap(FreeImage_ConvertTo16Bits555(source));
    case k16Bits565:
      return IsSixteenBits(source, FI16_565_GREEN_MASK)
                 ? nullptr
                 : FiBitmap(FreeImage_ConvertTo16Bits565(source));
    case k24Bits:
      return bpp == 24 ? nullptr : FiBitmap(FreeImage_ConvertTo24Bits(source));
    case k32Bits:
      return bpp == 32 ? nullptr : FiBitmap(FreeImage_ConvertTo32Bits(source));
    case kBeforeRescale:
      return BeforeRescale(source);
    default:
      return nullptr;
  }
}

// The bitmap that replaces the source, which goes when asked; the source when none came.
FIBITMAP* Replacing(FIBITMAP* source, FiBitmap result, bool unloadSource) {
  if (!result) return source;
  if (unloadSource) FreeImage_Unload(source);
  return result.release();
}

// A side in pixels: whole numbers as they are, factors of the current side.
double SidePixels(const Side& side, unsigned current, bool percent) {
  if (const auto* pixels = std::get_if<int32_t>(&side)) return *pixels;
  if (const auto* factor = std::get_if<double>(&side))
    return *factor * current / (percent ? 100.0 : 1.0);
  return 0;
}

// A side that does not fit a 32-bit number is an overflow, as LoadPic expects it.
int RoundedSide(double value) {
  const double rounded = std::nearbyint(value);
  if (!(rounded <= std::numeric_limits<int32_t>::max()))
    throw shell::AppError(kOverflow, "Overflow");
  return static_cast<int>(rounded);
}

}  // namespace

bool fncIsGreyscaleImage(FIBITMAP* Bitmap) {
  const unsigned bpp = FreeImage_GetBPP(Bitmap);
  if (bpp != 1 && bpp != 4 && bpp != 8) return false;
  const std::vector<uint32_t> palette = fncGetPaletteArray(Bitmap);
  return std::all_of(palette.begin(), palette.end(), [](uint32_t entry) {
    const uint32_t blue = entry & 0xFF;
    return ((entry >> 8) & 0xFF) == blue && ((entry >> 16) & 0xFF) == blue;
  });
}

std::vector<uint32_t> fncGetPaletteArray(FIBITMAP* Bitmap) {
  const RGBQUAD* palette = FreeImage_GetPalette(Bitmap);
  if (palette == nullptr) return {};
  std::vector<uint32_t> entries(FreeImage_GetColorsUsed(Bitmap));
  std::memcpy(entries.data(), palette, entries.size() * sizeof(RGBQUAD));
  return entries;
}

FIBITMAP* fncConvertColorDepth(FIBITMAP* Bitmap, int32_t Conversion, bool UnloadSource,
                               uint8_t Threshold, int32_t DitherMethod, int32_t Quantizer,
                               int32_t PaletteSize, std::span<const uint32_t> ReservedColors,
                               int32_t ReservedCount) {
  if (Bitmap == nullptr) return nullptr;
  const size_t reserve = ReservedCount < 1 ? ReservedColors.size()
                                           : std::min<size_t>(ReservedCount, ReservedColors.size());
  const DepthOptions options{(Conversion & kPaletteByColorType) != 0,
                             Threshold,
                             DitherMethod,
                             Quantizer,
                             std::clamp(PaletteSize, 2, 256),
                             ReservedColors.first(reserve)};
  const int32_t code = Conversion & ~kPaletteByColorType;
  return Replacing(Bitmap, Converted(Bitmap, code, options), UnloadSource);
}

FIBITMAP* fncRescaleImage(FIBITMAP* Bitmap, const Side& Width, const Side& Height, bool Percent,
                          bool UnloadSource, int32_t Filter) {
  if (Bitmap == nullptr) return nullptr;
  const unsigned currentWidth = FreeImage_GetWidth(Bitmap);
  const unsigned currentHeight = FreeImage_GetHeight(Bitmap);
  double width = SidePixels(Width, currentWidth, Percent);
  double height = SidePixels(Height, currentHeight, Percent);
  const double aspect = static_cast<double>(currentWidth) / currentHeight;
  if (width > 0 && height <= 0) height = width / aspect;
  if (height > 0 && width <= 0) width = aspect * height;
  if (width <= 0 || height <= 0) return Bitmap;
  const int newWidth = RoundedSide(width);
  const int newHeight = RoundedSide(height);
  return Replacing(Bitmap,
                   FiBitmap(FreeImage_Rescale(Bitmap, newWidth, newHeight,
                                              static_cast<FREE_IMAGE_FILTER>(Filter))),
                   UnloadSource);
}

}  // namespace browse
