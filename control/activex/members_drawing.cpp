// Members that draw on the image with the control's pen, brush and text settings, and the
// point lists the polygon and Bezier members draw through.
#include "control/activex/imagebox.h"

namespace pictavo {

PICTAVO_CALL(DrawLine) {
  box.View().Drawing().DrawLine(call.Long(0), call.Long(1), call.Long(2), call.Long(3));
}
PICTAVO_CALL(Rectangle) {
  box.View().Drawing().Rectangle(call.Long(0), call.Long(1), call.Long(2), call.Long(3));
}
PICTAVO_CALL(Ellipse) {
  box.View().Drawing().Ellipse(call.Long(0), call.Long(1), call.Long(2), call.Long(3));
}
PICTAVO_CALL(RoundRect) {
  box.View().Drawing().RoundRect(call.Long(0), call.Long(1), call.Long(2), call.Long(3),
                                 call.Long(4), call.Long(5));
}
PICTAVO_CALL(Arc) {
  box.View().Drawing().Arc(call.Long(0), call.Long(1), call.Long(2), call.Long(3), call.Long(4),
                           call.Long(5), call.Long(6), call.Long(7));
}
PICTAVO_CALL(Chord) {
  box.View().Drawing().Chord(call.Long(0), call.Long(1), call.Long(2), call.Long(3), call.Long(4),
                             call.Long(5), call.Long(6), call.Long(7));
}
PICTAVO_CALL(Pie) {
  box.View().Drawing().Pie(call.Long(0), call.Long(1), call.Long(2), call.Long(3), call.Long(4),
                           call.Long(5), call.Long(6), call.Long(7));
}
PICTAVO_CALL(Polygon) {
  box.View().Drawing().Polygon();
}
PICTAVO_CALL(PolyBezier) {
  box.View().Drawing().PolyBezier();
}
PICTAVO_CALL(CircleCR) {
  box.View().Drawing().CircleCR(call.Long(0), call.Long(1), call.Long(2));
}
PICTAVO_CALL(Circle3XY) {
  box.View().Drawing().Circle3XY(call.Long(0), call.Long(1), call.Long(2), call.Long(3),
                                 call.Long(4), call.Long(5));
}
PICTAVO_CALL(Arc3XY) {
  box.View().Drawing().Arc3XY(call.Long(0), call.Long(1), call.Long(2), call.Long(3), call.Long(4),
                              call.Long(5));
}
PICTAVO_CALL(FloodFill) {
  box.View().Drawing().FloodFill(call.Long(0), call.Long(1));
}
PICTAVO_GET(PixelColor) {
  call.Return(box.View().Drawing().PixelColor(call.Long(0), call.Long(1)));
}
PICTAVO_PUT(PixelColor) {
  box.View().Drawing().SetPixelColor(call.Long(0), call.Long(1), call.Color(call.Value()));
}
PICTAVO_CALL(PointAdd) {
  box.View().Drawing().PointAdd(call.Long(0), call.Long(1));
}
PICTAVO_CALL(BezierPointAdd) {
  box.View().Drawing().BezierPointAdd(call.Long(0), call.Long(1));
}
PICTAVO_CALL(DrawText) {
  box.View().Drawing().DrawText(call.Long(0), call.Long(1), call.Text(2));
}
PICTAVO_GET(TextWidth) {
  call.Return(box.View().Drawing().TextWidth(call.Text(0)));
}
PICTAVO_GET(TextHeight) {
  call.Return(box.View().Drawing().TextHeight(call.Text(0)));
}

}  // namespace pictavo
