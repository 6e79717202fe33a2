#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace plat {

// A colour as 0x00BBGGRR: red in bits 0-7, green 8-15, blue 16-23. Values with 0x80000000 set
// name a system colour.
using TColor = uint32_t;

constexpr uint8_t GetRValue(TColor c) {
  return static_cast<uint8_t>(c & 0xFF);
}
constexpr uint8_t GetGValue(TColor c) {
  return static_cast<uint8_t>((c >> 8) & 0xFF);
}
constexpr uint8_t GetBValue(TColor c) {
  return static_cast<uint8_t>((c >> 16) & 0xFF);
}
constexpr TColor RGB(uint8_t r, uint8_t g, uint8_t b) {
  return static_cast<TColor>(r) | (static_cast<TColor>(g) << 8) | (static_cast<TColor>(b) << 16);
}

// One colour-table entry, in the byte order of a BMP colour table.
struct TRGBQuad {
  uint8_t rgbBlue = 0;
  uint8_t rgbGreen = 0;
  uint8_t rgbRed = 0;
  uint8_t rgbReserved = 0;

  friend bool operator==(const TRGBQuad& a, const TRGBQuad& b) {
    return a.rgbBlue == b.rgbBlue && a.rgbGreen == b.rgbGreen && a.rgbRed == b.rgbRed;
  }
  TColor ToColor() const { return RGB(rgbRed, rgbGreen, rgbBlue); }
  static TRGBQuad FromColor(TColor c) { return {GetBValue(c), GetGValue(c), GetRValue(c), 0}; }
};

// A palette: up to 256 entries.
using TColorTable = std::vector<TRGBQuad>;

}  // namespace plat

namespace plat {

// A channel of `bits` bits (1..8) widened to 8 by repeating its bit pattern, so 0 stays 0 and
// the largest value becomes 255 (5-bit 25 gives 206).
constexpr uint8_t ExpandToByte(uint32_t value, int bits) {
  if (bits >= 8) return static_cast<uint8_t>(value >> (bits - 8));
  uint32_t out = 0;
  for (int shift = 8 - bits; shift > -bits; shift -= bits)
    out |= shift >= 0 ? value << shift : value >> -shift;
  return static_cast<uint8_t>(out);
}

// The index of the palette entry nearest to (r, g, b) by squared RGB distance; on a tie the
// lowest index wins. 0 for an empty palette.
int NearestPaletteIndex(const TColorTable& palette, uint8_t r, uint8_t g, uint8_t b);

// True when every entry is a grey (red = green = blue). An empty palette is not grey: it gives
// no levels to write.
bool IsGreyPalette(const TColorTable& palette);
// The entry at index; black past the end of a short palette, as a DIB shows such indices.
TRGBQuad PaletteEntryAt(const TColorTable& palette, size_t index);

// Ink amounts (0 none, 255 full) to red, green and blue, the one conversion every CMYK reader
// uses: R = 255 - min(255, round(C * (255 - K) / 255 + K)), G and B alike. Computed in whole
// numbers, where 255 being odd means no value ever lies halfway, so every reader rounds alike.
void CMYKToRGB(uint8_t c, uint8_t m, uint8_t y, uint8_t k, uint8_t& r, uint8_t& g, uint8_t& b);

}  // namespace plat
