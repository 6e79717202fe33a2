// Flood fill: scanline spans on an explicit stack, so no area is too large for the call stack.
#include <QRectF>
#include <vector>

#include "platform/graphics/bitmap.h"
#include "platform/graphics/canvas.h"
#include "platform/graphics/canvas_paint.h"
#include "platform/graphics/coverage.h"

namespace plat {

namespace {

class TFloodRegion {
 public:
  TFloodRegion(const TPixelWriter& pixels, TCoverage& region, uint32_t colour, TFillStyle style)
      : pixels_(pixels),
        region_(region),
        colour_(colour),
        surface_(style == TFillStyle::fsSurface) {}

  // Marks the 4-connected region of qualifying pixels around (x, y) as kBrushCover.
  void Grow(int x, int y) {
    std::vector<std::pair<int, int>> seeds{{x, y}};
    while (!seeds.empty()) {
      const auto [sx, sy] = seeds.back();
      seeds.pop_back();
      if (!Open(sx, sy)) continue;
      int left = sx, right = sx;
      while (left > 0 && Open(left - 1, sy)) --left;
      while (right + 1 < region_.Width() && Open(right + 1, sy)) ++right;
      for (int i = left; i <= right; ++i) region_.Set(i, sy, kBrushCover);
      for (int ny : {sy - 1, sy + 1})
        if (ny >= 0 && ny < region_.Height()) SeedRuns(left, right, ny, seeds);
    }
  }

 private:
  bool Qualifies(int x, int y) const { return (pixels_.Get(x, y) == colour_) == surface_; }
  bool Open(int x, int y) const { return region_.At(x, y) == kUncovered && Qualifies(x, y); }

  // One seed for each run of open pixels of row y between left and right.
  void SeedRuns(int left, int right, int y, std::vector<std::pair<int, int>>& seeds) const {
    bool in_run = false;
    for (int x = left; x <= right; ++x) {
      const bool open = Open(x, y);
      if (open && !in_run) seeds.emplace_back(x, y);
      in_run = open;
    }
  }

  const TPixelWriter& pixels_;
  TCoverage& region_;
  uint32_t colour_;
  bool surface_;
};

}  // namespace

void TCanvas::FloodFill(int x, int y, TColor color, TFillStyle style) {
  if (x < 0 || y < 0 || x >= target_.Width() || y >= target_.Height()) return;
  const TPixelWriter pixels(target_);
  TCoverage region(target_.Width(), target_.Height(),
                   QRectF(0, 0, target_.Width(), target_.Height()));
  TFloodRegion(pixels, region, pixels.Encode(color), style).Grow(x, y);
  PaintCoverage(target_, region, {TInk{}, BrushInk(Brush, TPenMode::pmCopy, pixels)});
}

}  // namespace plat
