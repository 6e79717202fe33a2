// Members of the view (zoom, scroll bars, mouse selection) and the stored drawing, merge and
// processing settings.
#include "control/activex/font_object.h"
#include "control/activex/imagebox.h"

namespace pictavo {

// A property that only stores its value in the view's setting.
#define PICTAVO_FIELD(name, type)                  \
  PICTAVO_GET(name)(TImageBox & box) {             \
    return box.View().name();                      \
  }                                                \
  PICTAVO_PUT(name)(TImageBox & box, type value) { \
    box.View().Set##name(value);                   \
  }

PICTAVO_FIELD(Resample, bool)
PICTAVO_FIELD(FilterType, int32_t)
PICTAVO_FIELD(MergeReverse, bool)
PICTAVO_FIELD(MergeTransparent, bool)
PICTAVO_FIELD(MergeTransparentColor, plat::TColor)
PICTAVO_FIELD(MergeTransparency, double)
PICTAVO_FIELD(MergeStyle, uint8_t)
PICTAVO_FIELD(MergeLeft, int32_t)
PICTAVO_FIELD(MergeTop, int32_t)
PICTAVO_FIELD(BlankTol, int32_t)
PICTAVO_FIELD(PenColor, plat::TColor)
PICTAVO_FIELD(PenMode, uint8_t)
PICTAVO_FIELD(PenWidth, int32_t)
PICTAVO_FIELD(PenStyle, uint8_t)
PICTAVO_FIELD(BrushColor, plat::TColor)
PICTAVO_FIELD(BrushStyle, uint8_t)
PICTAVO_FIELD(TextTransparent, bool)
PICTAVO_FIELD(TextAngle, float)
PICTAVO_FIELD(TextJustify, uint8_t)
PICTAVO_FIELD(Antialias, bool)
PICTAVO_FIELD(FloodFillStyle, uint8_t)
PICTAVO_FIELD(FloodFillColor, plat::TColor)
PICTAVO_FIELD(KeepScrollPos, bool)

PICTAVO_GET(SelectionVisible)(TImageBox& box) {
  return box.View().SelectionVisible();
}
PICTAVO_PUT(SelectionVisible)(TImageBox& box, bool value) {
  box.View().SetSelectionVisible(value);
}
PICTAVO_GET(Zoom)(TImageBox& box) {
  return box.View().Zoom();
}
PICTAVO_PUT(Zoom)(TImageBox& box, double value) {
  box.View().SetZoom(value);
}
PICTAVO_GET(AutoZoom)(TImageBox& box) {
  return box.View().AutoZoom();
}
PICTAVO_PUT(AutoZoom)(TImageBox& box, bool value) {
  box.View().SetAutoZoom(value);
}
PICTAVO_CALL(ZoomToSelection)(TImageBox& box) {
  box.View().ZoomToSelection();
}
PICTAVO_CALL(AutoScale)(TImageBox& box) {
  return box.View().AutoScale();
}
PICTAVO_CALL(MouseSelectRectangle)(TImageBox& box) {
  box.View().MouseSelect(msRectangle);
}
PICTAVO_CALL(MouseSelectEllipse)(TImageBox& box) {
  box.View().MouseSelect(msEllipse);
}
PICTAVO_GET(ZoomedWidth)(TImageBox& box) {
  return box.View().ImageLoaded() ? box.View().DisplayWidth() : 0;
}
PICTAVO_GET(ZoomedHeight)(TImageBox& box) {
  return box.View().ImageLoaded() ? box.View().DisplayHeight() : 0;
}
PICTAVO_GET(ShowScrollBars)(TImageBox& box) {
  return box.View().ShowScrollBars();
}
PICTAVO_PUT(ShowScrollBars)(TImageBox& box, bool value) {
  box.View().SetShowScrollBars(value);
}
PICTAVO_GET(HasScrollBarHoriz)(TImageBox& box) {
  return box.View().HasScrollBarHoriz();
}
PICTAVO_GET(HasScrollBarVert)(TImageBox& box) {
  return box.View().HasScrollBarVert();
}
PICTAVO_GET(ScrollBarHorizWidth)(TImageBox& box) {
  return box.View().ScrollBarHorizWidth();
}
PICTAVO_GET(ScrollBarVertHeight)(TImageBox& box) {
  return box.View().ScrollBarVertHeight();
}
PICTAVO_GET(ScrollBarHorizPos)(TImageBox& box) {
  return box.View().ScrollBarHorizPos();
}
PICTAVO_PUT(ScrollBarHorizPos)(TImageBox& box, int32_t value) {
  box.View().SetScrollBarHorizPos(value);
}
PICTAVO_GET(ScrollBarVertPos)(TImageBox& box) {
  return box.View().ScrollBarVertPos();
}
PICTAVO_PUT(ScrollBarVertPos)(TImageBox& box, int32_t value) {
  box.View().SetScrollBarVertPos(value);
}
PICTAVO_GET(ScrollSpeed)(TImageBox& box) {
  return box.View().ScrollSpeed();
}
PICTAVO_PUT(ScrollSpeed)(TImageBox& box, int32_t value) {
  box.View().SetScrollSpeed(value);
}
PICTAVO_GET(ScaleToGray)(TImageBox& box) {
  return box.View().ScaleToGray();
}
PICTAVO_PUT(ScaleToGray)(TImageBox& box, bool value) {
  box.View().SetScaleToGray(value);
}

// The font object reads and changes the control's font; a font handed in is copied.
PICTAVO_GET(TextFont)(TImageBox& box) {
  return plat::com::ComPtr<plat::com::IDispatch>(NewTextFontObject(box.View()).Get());
}
PICTAVO_PUT(TextFont)(TImageBox& box, plat::com::IDispatch* value) {
  if (!value) return;
  TFontDesc font = box.View().TextFont();
  CopyFontDescription(*value, font);
  box.View().SetTextFont(font);
}
PICTAVO_PUTREF(TextFont)(TImageBox& box, plat::com::IDispatch* value) {
  bodies::Put_TextFont(box, value);
}

}  // namespace pictavo
