#pragma once
// Which pixels of a bitmap a shape or a text covers, and with what (private to platform/graphics).
//
// Qt only rasterises (antialiasing off) into a byte-per-pixel mask; the canvas then writes the
// covered pixels itself. The mask holds only the part of the bitmap the drawing can reach, so
// coordinates anywhere in the 32-bit range cost no more than the bitmap itself. Paths are in
// pixel-centre coordinates: the pixel (x, y) has its centre at (x + 0.5, y + 0.5).
#include <QImage>
#include <QPainterPath>
#include <QPolygonF>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

class QPainter;

namespace plat {

enum TCover : uint8_t { kUncovered = 0, kBrushCover = 1, kPenCover = 2, kGapCover = 3 };

class TCoverage {
 public:
  // A mask for the part of a width x height bitmap inside reach (in bitmap coordinates).
  TCoverage(int width, int height, const QRectF& reach);

  bool IsEmpty() const { return mask_.isNull(); }
  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return mask_.width(); }
  int Height() const { return mask_.height(); }
  // The cover of the bitmap pixel (x, y), which must lie inside the mask.
  uint8_t At(int x, int y) const { return mask_.constScanLine(y - top_)[x - left_]; }
  void Set(int x, int y, uint8_t cover) { mask_.scanLine(y - top_)[x - left_] = cover; }

  // Fills the inside of the closed polygons (alternate rule) with cover; pixels on the right
  // and bottom boundary stay out, as GDI fills.
  void Fill(const std::vector<QPolygonF>& polygons, uint8_t cover);
  // Strokes the polylines with a pen of width pixels, round ends and joins.
  void StrokeWide(const std::vector<QPolygonF>& polylines, double width, uint8_t cover);
  // Strokes the polylines one pixel wide, each segment leaving its last pixel out. dashes lists
  // on and off run lengths (empty: solid); phase counts the pixels already drawn by the pattern
  // and carries it from one segment to the next. Covered pixels become kPenCover, pixels in a
  // gap kGapCover.
  void StrokeThin(const std::vector<QPolygonF>& polylines, std::span<const int> dashes,
                  int64_t& phase);
  // A painter on the mask in bitmap coordinates, for text.
  void PaintWith(const std::function<void(QPainter&)>& paint);

 private:
  void MarkLine(int64_t x0, int64_t y0, int64_t x1, int64_t y1, std::span<const int> dashes,
                int64_t phase);
  QRectF Guard(double margin) const;

  int left_ = 0;
  int top_ = 0;
  QImage mask_;
};

// The polygons of path with every curve flattened, each subpath closed when closed is set.
std::vector<QPolygonF> Flatten(const QPainterPath& path, bool closed);

}  // namespace plat
