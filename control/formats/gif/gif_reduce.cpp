#include "control/formats/gif/gif_reduce.h"

#include <algorithm>

#include "control/formats/gif/gif_base.h"
#include "control/formats/gif/gif_color_lookup.h"
#include "control/formats/support/colorquantizer.h"
#include "platform/graphics/system_colors.h"

namespace pictavo {

namespace {

constexpr int kSystemColours = 20;
constexpr int kSystemColoursAtStart = 10;
constexpr int kPaletteSize = 256;

plat::TRGBQuad Entry(int red, int green, int blue, uint8_t flags) {
  return {static_cast<uint8_t>(blue), static_cast<uint8_t>(green), static_cast<uint8_t>(red),
          flags};
}

plat::TRGBQuad Grey(int value, uint8_t flags) {
  return Entry(value, value, value, flags);
}

void AppendWebSafeCube(plat::TColorTable& table) {
  for (int r = 0; r < 6; ++r)
    for (int g = 0; g < 6; ++g)
      for (int b = 0; b < 6; ++b) table.push_back(Entry(51 * r, 51 * g, 51 * b, 0));
}

// The quantiser's colours for the reader's rows, fed top row first, left to right.
plat::TColorTable OctreeColours(const TDIBReader& reader, int maxColours, int colourBits) {
  const plat::TBitmap& bitmap = reader.TargetBitmap();
  if (bitmap.PixelFormat() != plat::TPixelFormat::pf24bit) RaiseGIFError("Unsupported PixelFormat");
  TColorQuantizer quantizer(maxColours, colourBits, TLeafMean::Truncated);
  for (int y = 0; y < bitmap.Height(); ++y) {
    const uint8_t* row = reader.RowAddress(y);
    for (int x = 0; x < bitmap.Width(); ++x, row += 3) quantizer.AddColor(row[2], row[1], row[0]);
  }
  return quantizer.ExportColorTable();
}

// Copies the colours into table[first..first + count - 1]; places beyond them stay black.
void PlaceColours(const plat::TColorTable& colours, plat::TColorTable& table, int first,
                  int count) {
  const int n = std::min(count, static_cast<int>(colours.size()));
  std::copy_n(colours.begin(), n, table.begin() + first);
}

plat::TColorTable PaletteOfMethod(TReductionMethod method, const TDIBReader& reader,
                                  plat::TBitmap& bitmap, const plat::TColorTable& custom,
                                  int depth) {
  switch (method) {
    case TReductionMethod::crSystem20:
      return plat::SystemDefaultPalette();
    case TReductionMethod::crHalftone256:
      return HalftonePalette();
    case TReductionMethod::crSystemGrey4:
      return SystemGreyPalette();
    case TReductionMethod::crMonochrome:
      return BlackWhitePalette();
    case TReductionMethod::crGrey256:
      return GreyRampPalette();
    case TReductionMethod::crWebSafe216:
      return WebSafePalette();
    case TReductionMethod::crQuantise:
      // A palette holds at most 256 entries: deeper trees would only be cut off.
      return OctreePalette(reader, 1 << std::clamp(depth, 1, 8), 8, false);
    case TReductionMethod::crQuantiseWithSystem:
      return OctreePaletteOfBitmap(bitmap, kPaletteSize, 8, true);
    default:
      return custom;
  }
}

std::unique_ptr<TColorLookup> LookupOfMethod(TReductionMethod method,
                                             const plat::TColorTable& palette) {
  switch (method) {
    case TReductionMethod::crMonochrome:
      return std::make_unique<TMonochromeLookup>();
    case TReductionMethod::crGrey256:
      return std::make_unique<TGrayScaleLookup>();
    case TReductionMethod::crWebSafe216:
      return std::make_unique<TNetscapeColorLookup>();
    default:
      return std::make_unique<TFastColorLookup>(palette);
  }
}

plat::TColorTable WithoutFlags(plat::TColorTable palette) {
  for (plat::TRGBQuad& entry : palette) entry.rgbReserved = 0;
  return palette;
}

// The writer hands its picture to `result` when it goes out of scope here.
void WriteDitheredRows(const TDIBReader& reader, plat::TBitmap& result,
                       const plat::TColorTable& palette, TDitherEngine& ditherer) {
  const plat::TBitmap& source = reader.TargetBitmap();
  const int width = source.Width(), height = source.Height();
  TDIBWriter writer(result, plat::TPixelFormat::pf8bit, width, height, WithoutFlags(palette));
  TRGBValue out;
  for (int y = 0; y < height; ++y) {
    const uint8_t* row = reader.RowAddress(y);
    uint8_t* target = writer.RowAddress(y);
    for (int x = ditherer.Column(); x >= 0 && x < width; x = ditherer.Column()) {
      const uint8_t* pixel = row + 3 * x;
      target[x] = static_cast<uint8_t>(ditherer.Dither({pixel[2], pixel[1], pixel[0]}, out));
    }
    ditherer.NextLine();
  }
}

}  // namespace

plat::TColorTable WebSafePalette() {
  plat::TColorTable table;
  AppendWebSafeCube(table);
  return table;
}

plat::TColorTable GreyRampPalette() {
  plat::TColorTable table;
  for (int i = 0; i < kPaletteSize; ++i) table.push_back(Grey(i, kPaletteNoCollapse));
  return table;
}

plat::TColorTable BlackWhitePalette() {
  return {Grey(0, kPaletteNoCollapse), Grey(255, kPaletteNoCollapse)};
}

plat::TColorTable SystemGreyPalette() {
  return {Grey(0, kPaletteNoCollapse), Grey(128, kPaletteNoCollapse), Grey(192, kPaletteNoCollapse),
          Grey(255, kPaletteNoCollapse)};
}

// Linux has no screen halftone palette, so this fixed table takes its place:
//
//   entries    colours
//   0..215     the web-safe cube, entry r * 36 + g * 6 + b = (51 r, 51 g, 51 b)
//   216..235   the 20 colours of the system default palette, in its order
//   236..255   greys (51 n + 2) div 5 for n = 1..24 except the multiples of 5 (which are the
//              cube's own greys): 10, 20, 31, 41, 61, .. 245, four between each two cube greys
plat::TColorTable HalftonePalette() {
  plat::TColorTable table;
  AppendWebSafeCube(table);
  const plat::TColorTable& system = plat::SystemDefaultPalette();
  table.insert(table.end(), system.begin(), system.end());
  for (int n = 1; n < 25; ++n)
    if (n % 5 != 0) table.push_back(Grey((51 * n + 2) / 5, 0));
  return table;
}

plat::TColorTable OctreePalette(const TDIBReader& reader, int colours, int colourBits,
                                bool withSystemColours) {
  if (!withSystemColours) {
    const int count = std::clamp(colours, 0, kPaletteSize);
    plat::TColorTable palette(count);
    PlaceColours(OctreeColours(reader, count, colourBits), palette, 0, count);
    return palette;
  }
  constexpr int kImageColours = kPaletteSize - kSystemColours;
  const plat::TColorTable& system = plat::SystemDefaultPalette();
  plat::TColorTable palette(kPaletteSize);
  std::copy_n(system.begin(), kSystemColoursAtStart, palette.begin());
  std::copy(system.begin() + kSystemColoursAtStart, system.end(),
            palette.end() - (kSystemColours - kSystemColoursAtStart));
  PlaceColours(OctreeColours(reader, kImageColours, colourBits), palette, kSystemColoursAtStart,
               kImageColours);
  return palette;
}

plat::TColorTable OctreePaletteOfBitmap(plat::TBitmap& bitmap, int colours, int colourBits,
                                        bool withSystemColours) {
  const TDIBReader reader(bitmap, plat::TPixelFormat::pf24bit);
  return OctreePalette(reader, colours, colourBits, withSystemColours);
}

std::unique_ptr<plat::TBitmap> ReduceBitmapColors(plat::TBitmap& bitmap, TReductionMethod method,
                                                  TDitherMethod ditherMethod,
                                                  const plat::TColorTable& palette, int depth) {
  auto result = std::make_unique<plat::TBitmap>();
  if (method == TReductionMethod::crNone) {
    result->Assign(bitmap);
    result->SetPixelFormat(plat::TPixelFormat::pf24bit);
    return result;
  }
  const TDIBReader reader(bitmap, plat::TPixelFormat::pf24bit);
  if (method > TReductionMethod::crCustomPalette) return result;
  const plat::TColorTable colours = PaletteOfMethod(method, reader, bitmap, palette, depth);
  const std::unique_ptr<TColorLookup> lookup = LookupOfMethod(method, colours);
  if (lookup->ColorCount() == 0) return result;
  const std::unique_ptr<TDitherEngine> ditherer =
      MakeDitherer(ditherMethod, bitmap.Width(), *lookup);
  if (!ditherer) return result;
  WriteDitheredRows(reader, *result, colours, *ditherer);
  return result;
}

}  // namespace pictavo
