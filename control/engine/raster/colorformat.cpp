#include "control/engine/raster/colorformat.h"

#include <climits>
#include <cstdlib>
#include <mutex>
#include <utility>
#include <vector>

#include "control/engine/raster/pixels.h"
#include "control/engine/raster/pvclasses.h"
#include "control/formats/support/colorquantizer.h"

namespace pictavo {

using plat::TPixelFormat;

namespace {

int Key(plat::TColor c) {
  return (plat::GetRValue(c) << 16) | (plat::GetGValue(c) << 8) | plat::GetBValue(c);
}

// The palette entry nearest to a colour, the same one NearestPaletteIndex finds (the first of
// the nearest), found among a few candidates: the colour cube is cut into cells, and a cell keeps
// only the entries that can be nearest to some colour inside it (no farther from the cell than
// the nearest entry's farthest point of the cell), in palette order.
class TNearestColour {
 public:
  explicit TNearestColour(const plat::TColorTable& palette) : first_(kCells + 1) {
    std::vector<std::vector<Entry>> cells(kCells);
    plat::ParallelFor(kCells, 64, [&](int64_t c0, int64_t c1) {
      for (int64_t c = c0; c < c1; ++c) cells[c] = CandidatesOfCell(palette, static_cast<int>(c));
    });
    for (int c = 0; c < kCells; ++c) {
      first_[c] = static_cast<uint32_t>(entries_.size());
      entries_.insert(entries_.end(), cells[c].begin(), cells[c].end());
    }
    first_[kCells] = static_cast<uint32_t>(entries_.size());
  }

  uint8_t IndexOf(plat::TColor colour) const {
    const int r = plat::GetRValue(colour), g = plat::GetGValue(colour), b = plat::GetBValue(colour);
    const int cell = CellOf(r, g, b);
    int best = 0, bestDistance = INT_MAX;
    for (uint32_t i = first_[cell]; i < first_[cell + 1]; ++i) {
      const Entry& e = entries_[i];
      const int d = (e.r - r) * (e.r - r) + (e.g - g) * (e.g - g) + (e.b - b) * (e.b - b);
      if (d < bestDistance) {
        bestDistance = d;
        best = e.index;
      }
    }
    return static_cast<uint8_t>(best);
  }

 private:
  static constexpr int kCellBits = 4;  // cells of 16 values on each axis
  static constexpr int kCellSide = 256 >> kCellBits;
  static constexpr int kCells = 1 << (3 * kCellBits);

  struct Entry {
    int16_t r, g, b;
    uint16_t index;
  };

  static int CellOf(int r, int g, int b) {
    const int shift = 8 - kCellBits;
    return ((r >> shift) << (2 * kCellBits)) | ((g >> shift) << kCellBits) | (b >> shift);
  }

  // The squared distances from value v to the nearest and the farthest point of [low, high].
  static std::pair<int, int> AxisDistances(int v, int low, int high) {
    const int nearest = v < low ? low - v : v > high ? v - high : 0;
    const int farthest = std::max(std::abs(v - low), std::abs(v - high));
    return {nearest * nearest, farthest * farthest};
  }

  static std::vector<Entry> CandidatesOfCell(const plat::TColorTable& palette, int cell) {
    const int low[3] = {(cell >> (2 * kCellBits)) * kCellSide,
                        ((cell >> kCellBits) & (kCellSide - 1)) * kCellSide,
                        (cell & (kCellSide - 1)) * kCellSide};
    std::vector<int> nearest(palette.size());
    int bound = INT_MAX;
    for (size_t i = 0; i < palette.size(); ++i) {
      const int v[3] = {palette[i].rgbRed, palette[i].rgbGreen, palette[i].rgbBlue};
      int near = 0, far = 0;
      for (int a = 0; a < 3; ++a) {
        const auto [n, f] = AxisDistances(v[a], low[a], low[a] + kCellSide - 1);
        near += n;
        far += f;
      }
      nearest[i] = near;
      bound = std::min(bound, far);
    }
    std::vector<Entry> candidates;
    for (size_t i = 0; i < palette.size(); ++i)
      if (nearest[i] <= bound)
        candidates.push_back(
            {palette[i].rgbRed, palette[i].rgbGreen, palette[i].rgbBlue, static_cast<uint16_t>(i)});
    return candidates;
  }

  std::vector<Entry> entries_;
  std::vector<uint32_t> first_;
};

// The colour of pixel x of a row of copy; 24-bit rows are read directly.
plat::TColor ColourAt(const plat::TBitmap& copy, const uint8_t* row, int x, int y, bool direct) {
  if (!direct) return copy.PixelColor(x, y);
  const uint8_t* p = row + 3 * int64_t{x};
  return plat::TColor{p[0]} << 16 | plat::TColor{p[1]} << 8 | p[2];
}

// Every pixel of target takes the palette colour nearest to its colour in copy.
void DrawNearest(const plat::TBitmap& copy, plat::TBitmap& target) {
  const int bits = plat::BitsPerPixel(target.PixelFormat());
  const bool direct = copy.PixelFormat() == TPixelFormat::pf24bit;
  const TNearestColour nearest(target.Palette());
  OwnPixels(target);
  ForRowBands(copy.Height(), copy.Width(), [&](int y0, int y1) {
    // The colours last looked up, by a hash of the colour: photographs repeat many of theirs.
    constexpr int kRecentBits = 12;
    std::vector<plat::TColor> recent(size_t{1} << kRecentBits, 0xFFFFFFFFu);
    std::vector<uint8_t> recentIndex(recent.size());
    auto indexOf = [&](plat::TColor c) {
      const size_t slot = (c * 2654435761u) >> (32 - kRecentBits);
      if (recent[slot] != c) {
        recent[slot] = c;
        recentIndex[slot] = nearest.IndexOf(c);
      }
      return recentIndex[slot];
    };
    for (int y = y0; y < y1; ++y) {
      const uint8_t* in = copy.ScanLine(y);
      uint8_t* row = target.ScanLine(y);
      plat::TColor last = ColourAt(copy, in, 0, y, direct);
      uint8_t lastIndex = indexOf(last);
      for (int x = 0; x < copy.Width(); ++x) {
        const plat::TColor c = ColourAt(copy, in, x, y, direct);
        if (c != last) {
          last = c;
          lastIndex = indexOf(c);
        }
        SetIndexAt(row, x, bits, lastIndex);
      }
    }
  });
}

plat::TBitmap IndexedLike(const plat::TBitmap& copy, TPixelFormat format,
                          const plat::TColorTable& palette) {
  plat::TBitmap target(copy.Width(), copy.Height(), format);
  target.SetColorTable(palette);
  return target;
}

// 256 or 16 colours chosen by the octree from the image's own colours.
void QuantiseTo(TicBitmap& bitmap, int colors, int colorBits, TPixelFormat format) {
  const plat::TBitmap copy = bitmap;
  TColorQuantizer quantizer(colors, colorBits);
  quantizer.AddBitmap(copy);
  plat::TColorTable table = quantizer.ExportColorTable();
  table.resize(static_cast<size_t>(colors));  // entries after the last leaf stay black
  plat::TBitmap target = IndexedLike(copy, format, table);
  DrawNearest(copy, target);
  RemapToPalette(copy, target, table, colors);
  ReplacePixels(bitmap, target);
}

plat::TColorTable Greys(int entries) {
  plat::TColorTable greys(static_cast<size_t>(entries));
  for (int i = 0; i < entries; ++i) {
    const auto g = static_cast<uint8_t>(entries == 256 ? i : (i == 15 ? 255 : 16 * i));
    greys[i] = {g, g, g, 0};
  }
  return greys;
}

void ToGrey256(TicBitmap& bitmap) {
  const plat::TBitmap copy = bitmap;
  plat::TBitmap target = IndexedLike(copy, TPixelFormat::pf8bit, Greys(256));
  OwnPixels(target);
  ForRowBands(copy.Height(), copy.Width(), [&](int y0, int y1) {
    for (int y = y0; y < y1; ++y) {
      uint8_t* row = target.ScanLine(y);
      for (int x = 0; x < copy.Width(); ++x) {
        const plat::TColor c = copy.PixelColor(x, y);
        row[x] = static_cast<uint8_t>(
            (plat::GetRValue(c) + plat::GetGValue(c) + plat::GetBValue(c) + 1) / 3);
      }
    }
  });
  ReplacePixels(bitmap, target);
}

void ToGrey16(TicBitmap& bitmap) {
  const plat::TBitmap copy = bitmap;
  plat::TBitmap target = IndexedLike(copy, TPixelFormat::pf4bit, Greys(16));
  DrawNearest(copy, target);
  ReplacePixels(bitmap, target);
}

// A two-colour image keeps both of its colours in 16-colour form: the entries its pixels land on
// take the exact colours. Should both colours land on one entry, the second colour's pixels move
// to another entry, so the two stay apart.
void MonoTo16Color(TicBitmap& bitmap) {
  const plat::TBitmap copy = bitmap;
  plat::TBitmap target = copy;
  target.SetPixelFormat(TPixelFormat::pf4bit);
  if (target.GetEmpty()) {
    ReplacePixels(bitmap, target);
    return;
  }
  plat::TColorTable palette = target.Palette();
  const uint8_t firstBit = IndexAt(copy.ScanLine(0), 0, 1);
  const uint8_t firstEntry = IndexAt(target.ScanLine(0), 0, 4);
  palette[firstEntry] = plat::TRGBQuad::FromColor(copy.PixelColor(0, 0));
  bool otherSeen = false;
  uint8_t otherEntry = 0;
  for (int y = 0; y < copy.Height(); ++y) {
    const uint8_t* in = copy.ScanLine(y);
    uint8_t* out = target.ScanLine(y);
    for (int x = 0; x < copy.Width(); ++x) {
      if (IndexAt(in, x, 1) == firstBit) continue;
      if (!otherSeen) {
        otherSeen = true;
        otherEntry = IndexAt(out, x, 4);
        if (otherEntry == firstEntry) otherEntry = firstEntry == 0 ? 15 : 0;
        palette[otherEntry] = plat::TRGBQuad::FromColor(copy.PixelColor(x, y));
      }
      SetIndexAt(out, x, 4, otherEntry);
    }
  }
  target.SetColorTable(palette);
  ReplacePixels(bitmap, target);
}

int MeanBrightness(const plat::TBitmap& copy) {
  const int64_t pixels = int64_t{copy.Width()} * copy.Height();
  if (pixels == 0) return 127;
  std::mutex mutex;
  int64_t sum = 0;
  ForRowBands(copy.Height(), copy.Width(), [&](int y0, int y1) {
    int64_t band = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = 0; x < copy.Width(); ++x) {
        const plat::TColor c = copy.PixelColor(x, y);
        band += plat::GetRValue(c) + plat::GetGValue(c) + plat::GetBValue(c);
      }
    std::lock_guard lock(mutex);
    sum += band;  // whole numbers: the order the bands finish in does not matter
  });
  return static_cast<int>((pixels / 2 + sum / 3) / pixels);
}

// Two classes by brightness against the threshold; cfMono takes each class's mean colour.
void ToTwoColours(TicBitmap& bitmap, uint8_t code, int mode, int threshold) {
  const plat::TBitmap copy = bitmap;
  const int t = mode == 0 ? threshold : mode == 1 ? MeanBrightness(copy) : 127;
  plat::TBitmap target(copy.Width(), copy.Height(), TPixelFormat::pf1bit);
  std::mutex mutex;
  int64_t count[2] = {0, 0};
  int64_t sums[2][3] = {{0, 0, 0}, {0, 0, 0}};  // 64-bit: tens of millions of pixels
  OwnPixels(target);
  ForRowBands(copy.Height(), copy.Width(), [&](int y0, int y1) {
    int64_t bandCount[2] = {0, 0};
    int64_t bandSums[2][3] = {{0, 0, 0}, {0, 0, 0}};
    for (int y = y0; y < y1; ++y) {
      uint8_t* row = target.ScanLine(y);
      for (int x = 0; x < copy.Width(); ++x) {
        const plat::TColor c = copy.PixelColor(x, y);
        const int r = plat::GetRValue(c), g = plat::GetGValue(c), b = plat::GetBValue(c);
        const int k = 3 * t < r + g + b ? 1 : 0;
        SetIndexAt(row, x, 1, static_cast<uint8_t>(k));
        ++bandCount[k];
        bandSums[k][0] += r;
        bandSums[k][1] += g;
        bandSums[k][2] += b;
      }
    }
    std::lock_guard lock(mutex);
    for (int k = 0; k < 2; ++k) {
      count[k] += bandCount[k];
      for (int c = 0; c < 3; ++c) sums[k][c] += bandSums[k][c];
    }
  });
  plat::TColorTable palette = {plat::TRGBQuad::FromColor(0x000000),
                               plat::TRGBQuad::FromColor(0xFFFFFF)};
  if (code == cfMono)
    for (int k = 0; k < 2; ++k) {
      if (count[k] == 0) continue;
      auto mean = [&](int c) {
        return static_cast<uint8_t>((sums[k][c] + count[k] / 2) / count[k]);
      };
      palette[k] = {mean(2), mean(1), mean(0), 0};
    }
  target.SetColorTable(palette);
  ReplacePixels(bitmap, target);
}

}  // namespace

void RemapToPalette(const plat::TBitmap& copy, plat::TBitmap& target,
                    const plat::TColorTable& table, int count) {
  const TPixelFormat from = copy.PixelFormat(), to = target.PixelFormat();
  const bool handled = (from == TPixelFormat::pf24bit &&
                        (to == TPixelFormat::pf8bit || to == TPixelFormat::pf4bit)) ||
                       (from == TPixelFormat::pf8bit && to == TPixelFormat::pf4bit);
  if (!handled) return;
  TSimpleHash hash;
  for (int i = 0; i < count && i < static_cast<int>(table.size()); ++i)
    hash.Add(Key(table[i].ToColor()), i);
  const int bits = plat::BitsPerPixel(to);
  OwnPixels(target);
  ForRowBands(copy.Height(), copy.Width(), [&](int y0, int y1) {
    for (int y = y0; y < y1; ++y) {
      uint8_t* row = target.ScanLine(y);
      for (int x = 0; x < copy.Width(); ++x) {
        const int32_t index = hash.Find(Key(copy.PixelColor(x, y)));
        if (index != -1) SetIndexAt(row, x, bits, static_cast<uint8_t>(index));
      }
    }
  });
}

void ConvertColorFormat(TicBitmap& bitmap, uint8_t code, int mode, int threshold) {
  const uint8_t current = bitmap.ColorFormat;
  if (code == current || code > cfMonoBW) return;
  switch (code) {
    case cf24bit:
      bitmap.SetPixelFormat(TPixelFormat::pf24bit);
      break;
    case cf256Color:
      if (current != cf256Grayscale) QuantiseTo(bitmap, 256, 8, TPixelFormat::pf8bit);
      break;
    case cf256Grayscale:
      ToGrey256(bitmap);
      break;
    case cf16Color:
      if (current == cfMonoBW)
        bitmap.SetPixelFormat(TPixelFormat::pf4bit);
      else if (current == cfMono)
        MonoTo16Color(bitmap);
      else if (current != cf16Grayscale)
        QuantiseTo(bitmap, 16, 4, TPixelFormat::pf4bit);
      break;
    case cf16Grayscale:
      ToGrey16(bitmap);
      break;
    default:
      if (code == cfMono && current == cfMonoBW) break;
      if (code == cfMonoBW && current == cfMono)
        bitmap.SetPalette(
            {plat::TRGBQuad::FromColor(0x000000), plat::TRGBQuad::FromColor(0xFFFFFF)});
      else
        ToTwoColours(bitmap, code, mode, threshold);
  }
  bitmap.ColorFormat = code;
}

int TicBitmap::SetColorFormat(uint8_t code) {
  if (code > cfNone) return rcArgument;
  if (code != cfNone) ConvertColorFormat(*this, code, 2, 128);
  return rcDone;
}

}  // namespace pictavo
