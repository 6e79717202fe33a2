// Members that draw on the image with the control's pen, brush and text settings, and the
// point lists the polygon and Bezier members draw through.
#include "control/activex/imagebox.h"

namespace pictavo {

PICTAVO_CALL(DrawLine)(TImageBox& box, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  box.View().Drawing().DrawLine(x1, y1, x2, y2);
}
PICTAVO_CALL(Rectangle)(TImageBox& box, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  box.View().Drawing().Rectangle(x1, y1, x2, y2);
}
PICTAVO_CALL(Ellipse)(TImageBox& box, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  box.View().Drawing().Ellipse(x1, y1, x2, y2);
}
PICTAVO_CALL(RoundRect)
(TImageBox& box, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3) {
  box.View().Drawing().RoundRect(x1, y1, x2, y2, x3, y3);
}
PICTAVO_CALL(Arc)
(TImageBox& box, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3, int32_t x4,
 int32_t y4) {
  box.View().Drawing().Arc(x1, y1, x2, y2, x3, y3, x4, y4);
}
PICTAVO_CALL(Chord)
(TImageBox& box, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3, int32_t x4,
 int32_t y4) {
  box.View().Drawing().Chord(x1, y1, x2, y2, x3, y3, x4, y4);
}
PICTAVO_CALL(Pie)
(TImageBox& box, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3, int32_t x4,
 int32_t y4) {
  box.View().Drawing().Pie(x1, y1, x2, y2, x3, y3, x4, y4);
}
PICTAVO_CALL(Polygon)(TImageBox& box) {
  box.View().Drawing().Polygon();
}
PICTAVO_CALL(PolyBezier)(TImageBox& box) {
  box.View().Drawing().PolyBezier();
}
PICTAVO_CALL(CircleCR)(TImageBox& box, int32_t x, int32_t y, int32_t r) {
  box.View().Drawing().CircleCR(x, y, r);
}
PICTAVO_CALL(Circle3XY)
(TImageBox& box, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3) {
  box.View().Drawing().Circle3XY(x1, y1, x2, y2, x3, y3);
}
PICTAVO_CALL(Arc3XY)
(TImageBox& box, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3) {
  box.View().Drawing().Arc3XY(x1, y1, x2, y2, x3, y3);
}
PICTAVO_CALL(FloodFill)(TImageBox& box, int32_t x, int32_t y) {
  box.View().Drawing().FloodFill(x, y);
}
PICTAVO_GET(PixelColor)(TImageBox& box, int32_t x, int32_t y) {
  return box.View().Drawing().PixelColor(x, y);
}
PICTAVO_PUT(PixelColor)(TImageBox& box, int32_t x, int32_t y, plat::TColor value) {
  box.View().Drawing().SetPixelColor(x, y, value);
}
PICTAVO_CALL(PointAdd)(TImageBox& box, int32_t x, int32_t y) {
  box.View().Drawing().PointAdd(x, y);
}
PICTAVO_CALL(BezierPointAdd)(TImageBox& box, int32_t x, int32_t y) {
  box.View().Drawing().BezierPointAdd(x, y);
}
PICTAVO_CALL(DrawText)(TImageBox& box, int32_t x, int32_t y, std::u16string_view text) {
  box.View().Drawing().DrawText(x, y, std::u16string(text));
}
PICTAVO_GET(TextWidth)(TImageBox& box, std::u16string_view text) {
  return box.View().Drawing().TextWidth(std::u16string(text));
}
PICTAVO_GET(TextHeight)(TImageBox& box, std::u16string_view text) {
  return box.View().Drawing().TextHeight(std::u16string(text));
}

}  // namespace pictavo
