// Pixel access by colour, pixel-format conversion and palette re-mapping.
#include <algorithm>
#include <cstring>

#include "platform/base/exceptions.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/bitmap_image.h"
#include "platform/graphics/system_colors.h"

namespace plat {

int NearestPaletteIndex(const TColorTable& palette, uint8_t r, uint8_t g, uint8_t b) {
  int best = 0;
  int64_t best_distance = INT64_MAX;
  for (size_t i = 0; i < palette.size(); ++i) {
    int64_t dr = int64_t{palette[i].rgbRed} - r;
    int64_t dg = int64_t{palette[i].rgbGreen} - g;
    int64_t db = int64_t{palette[i].rgbBlue} - b;
    int64_t d = dr * dr + dg * dg + db * db;
    if (d < best_distance) {
      best_distance = d;
      best = static_cast<int>(i);
      if (d == 0) break;
    }
  }
  return best;
}

bool IsGreyPalette(const TColorTable& palette) {
  return !palette.empty() && std::all_of(palette.begin(), palette.end(), [](const TRGBQuad& q) {
    return q.rgbRed == q.rgbGreen && q.rgbGreen == q.rgbBlue;
  });
}

TRGBQuad PaletteEntryAt(const TColorTable& palette, size_t index) {
  return index < palette.size() ? palette[index] : TRGBQuad{};
}

void CMYKToRGB(uint8_t c, uint8_t m, uint8_t y, uint8_t k, uint8_t& r, uint8_t& g, uint8_t& b) {
  auto channel = [k](uint8_t ink) {
    const int covered = (ink * (255 - k) + 255 * k + 127) / 255;
    return static_cast<uint8_t>(255 - std::min(255, covered));
  };
  r = channel(c);
  g = channel(m);
  b = channel(y);
}

TColorTable DefaultPalette(TPixelFormat format) {
  TColorTable table;
  switch (format) {
    case TPixelFormat::pf1bit:
      table = {{0, 0, 0, 0}, {255, 255, 255, 0}};
      break;
    case TPixelFormat::pf4bit: {
      // The 16 colours of the classic VGA palette, in its order.
      static const TColor vga[16] = {0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080,
                                     0x808000, 0x808080, 0xC0C0C0, 0x0000FF, 0x00FF00, 0x00FFFF,
                                     0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF};
      for (TColor c : vga) table.push_back(TRGBQuad::FromColor(c));
      break;
    }
    case TPixelFormat::pf8bit:
      // A 6x6x6 colour cube followed by a grey ramp.
      for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
          for (int b = 0; b < 6; ++b)
            table.push_back({static_cast<uint8_t>(b * 51), static_cast<uint8_t>(g * 51),
                             static_cast<uint8_t>(r * 51), 0});
      for (int i = 0; i < 40; ++i) {
        auto v = static_cast<uint8_t>(i * 255 / 39);
        table.push_back({v, v, v, 0});
      }
      break;
    default:
      break;
  }
  return table;
}

namespace {

TColor ReadPixel(const TBitmap::Image& img, int x, int y);
void WritePixel(TBitmap::Image& img, int x, int y, TColor color);

}  // namespace

TColor TBitmap::PixelColor(int x, int y) const {
  if (x < 0 || y < 0 || x >= Width() || y >= Height()) return 0;
  return ReadPixel(Shared(), x, y);
}

void TBitmap::SetPixelColor(int x, int y, TColor color) {
  FillRect({x, y, x + 1, y + 1}, color);
}

void TBitmap::FillRect(const TRect& rect, TColor color) {
  const int left = std::max(rect.Left, 0), right = std::min(rect.Right, Width());
  const int top = std::max(rect.Top, 0), bottom = std::min(rect.Bottom, Height());
  if (left >= right || top >= bottom) return;
  Image& img = Mutable();
  // Encode the colour once (the palette search is the costly part), then copy that pixel.
  WritePixel(img, left, top, ColorToRGB(color));
  const int bits = BitsPerPixel(img.format);
  const uint8_t* first = img.pixels.data() + top * img.row_bytes;
  const uint8_t index = bits < 8 ? IndexAt(first, left, bits) : first[left];
  const int bytes = bits / 8;
  for (int y = top; y < bottom; ++y) {
    uint8_t* row = img.pixels.data() + y * img.row_bytes;
    for (int x = left; x < right; ++x) {
      if (bits <= 8)
        SetIndexAt(row, x, bits, index);
      else
        std::memcpy(row + x * bytes, first + left * bytes, static_cast<size_t>(bytes));
    }
  }
  Changed();
}

void TBitmap::SetPixelFormat(TPixelFormat format) {
  if (format == PixelFormat()) return;
  const Image& old = Shared();
  Image converted;
  converted.Allocate(old.width, old.height, format);
  converted.palette = DefaultPalette(format);
  for (int y = 0; y < old.height; ++y)
    for (int x = 0; x < old.width; ++x) WritePixel(converted, x, y, ReadPixel(old, x, y));
  Mutable() = std::move(converted);
  Changed();
}

void TBitmap::SetPalette(const TColorTable& palette) {
  if (PaletteSizeOf(PixelFormat()) == 0) return;
  const Image& old = Shared();
  Image remapped = old;
  remapped.palette = palette;
  remapped.palette.resize(std::min<size_t>(palette.size(), PaletteSizeOf(old.format)));
  for (int y = 0; y < old.height; ++y)
    for (int x = 0; x < old.width; ++x) WritePixel(remapped, x, y, ReadPixel(old, x, y));
  Mutable() = std::move(remapped);
  Changed();
}

namespace {

TColor ReadPixel(const TBitmap::Image& img, int x, int y) {
  const uint8_t* row = img.pixels.data() + y * img.row_bytes;
  switch (img.format) {
    case TPixelFormat::pf1bit:
    case TPixelFormat::pf4bit:
    case TPixelFormat::pf8bit: {
      uint8_t i = IndexAt(row, x, BitsPerPixel(img.format));
      return i < img.palette.size() ? img.palette[i].ToColor() : 0;
    }
    case TPixelFormat::pf15bit:
    case TPixelFormat::pf16bit: {
      uint16_t v = static_cast<uint16_t>(row[2 * x] | (row[2 * x + 1] << 8));
      const bool six = img.format == TPixelFormat::pf16bit;
      const uint32_t r = six ? (v >> 11) & 31 : (v >> 10) & 31;
      const uint32_t g = six ? (v >> 5) & 63 : (v >> 5) & 31;
      return RGB(ExpandToByte(r, 5), ExpandToByte(g, six ? 6 : 5), ExpandToByte(v & 31, 5));
    }
    case TPixelFormat::pf32bit:
    case TPixelFormat::pfCustom:
      return RGB(row[4 * x + 2], row[4 * x + 1], row[4 * x]);
    default:
      return RGB(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
  }
}

void WritePixel(TBitmap::Image& img, int x, int y, TColor color) {
  uint8_t* row = img.pixels.data() + y * img.row_bytes;
  uint8_t r = GetRValue(color), g = GetGValue(color), b = GetBValue(color);
  switch (img.format) {
    case TPixelFormat::pf1bit:
    case TPixelFormat::pf4bit:
    case TPixelFormat::pf8bit:
      SetIndexAt(row, x, BitsPerPixel(img.format),
                 static_cast<uint8_t>(NearestPaletteIndex(img.palette, r, g, b)));
      break;
    case TPixelFormat::pf15bit:
    case TPixelFormat::pf16bit: {
      uint16_t v = img.format == TPixelFormat::pf16bit
                       ? static_cast<uint16_t>(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3))
                       : static_cast<uint16_t>(((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3));
      row[2 * x] = static_cast<uint8_t>(v & 0xFF);
      row[2 * x + 1] = static_cast<uint8_t>(v >> 8);
      break;
    }
    case TPixelFormat::pf32bit:
    case TPixelFormat::pfCustom:
      row[4 * x] = b;
      row[4 * x + 1] = g;
      row[4 * x + 2] = r;
      row[4 * x + 3] = 0;
      break;
    default:
      row[3 * x] = b;
      row[3 * x + 1] = g;
      row[3 * x + 2] = r;
  }
}

}  // namespace

}  // namespace plat
