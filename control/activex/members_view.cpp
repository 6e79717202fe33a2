// Members of the view (zoom, scroll bars, mouse selection) and the stored drawing, merge and
// processing settings.
#include "control/activex/font_object.h"
#include "control/activex/imagebox.h"

namespace pictavo {

// A property that only stores its value in the view control's field.
#define PICTAVO_FIELD(name, read, write)        \
  PICTAVO_GET(name) {                           \
    call.Return(box.View().name);               \
  }                                             \
  PICTAVO_PUT(name) {                           \
    box.View().name = call.write(call.Value()); \
  }
#define PICTAVO_NUMBER_FIELD(name, read, write)      \
  PICTAVO_GET(name) {                                \
    call.Return(static_cast<read>(box.View().name)); \
  }                                                  \
  PICTAVO_PUT(name) {                                \
    box.View().name = call.write(call.Value());      \
  }

PICTAVO_FIELD(Resample, bool, Bool)
PICTAVO_FIELD(FilterType, int32_t, Long)
PICTAVO_FIELD(MergeReverse, bool, Bool)
PICTAVO_FIELD(MergeTransparent, bool, Bool)
PICTAVO_FIELD(MergeTransparentColor, plat::TColor, Color)
PICTAVO_FIELD(MergeTransparency, double, Double)
PICTAVO_NUMBER_FIELD(MergeStyle, int32_t, Enum)
PICTAVO_FIELD(MergeLeft, int32_t, Long)
PICTAVO_FIELD(MergeTop, int32_t, Long)
PICTAVO_FIELD(BlankTol, int32_t, Long)
PICTAVO_FIELD(PenColor, plat::TColor, Color)
PICTAVO_NUMBER_FIELD(PenMode, int32_t, Enum)
PICTAVO_FIELD(PenWidth, int32_t, Long)
PICTAVO_NUMBER_FIELD(PenStyle, int32_t, Enum)
PICTAVO_FIELD(BrushColor, plat::TColor, Color)
PICTAVO_NUMBER_FIELD(BrushStyle, int32_t, Enum)
PICTAVO_FIELD(TextTransparent, bool, Bool)
PICTAVO_NUMBER_FIELD(TextAngle, double, Float)
PICTAVO_NUMBER_FIELD(TextJustify, int32_t, Enum)
PICTAVO_FIELD(Antialias, bool, Bool)
PICTAVO_NUMBER_FIELD(FloodFillStyle, int32_t, Enum)
PICTAVO_FIELD(FloodFillColor, plat::TColor, Color)
PICTAVO_FIELD(KeepScrollPos, bool, Bool)

PICTAVO_GET(SelectionVisible) {
  call.Return(box.View().SelectionVisible);
}
PICTAVO_PUT(SelectionVisible) {
  box.View().SetSelectionVisible(call.Bool(call.Value()));
}
PICTAVO_GET(Zoom) {
  call.Return(box.View().Zoom());
}
PICTAVO_PUT(Zoom) {
  box.View().SetZoom(call.Double(call.Value()));
}
PICTAVO_GET(AutoZoom) {
  call.Return(box.View().AutoZoom());
}
PICTAVO_PUT(AutoZoom) {
  box.View().SetAutoZoom(call.Bool(call.Value()));
}
PICTAVO_CALL(ZoomToSelection) {
  box.View().ZoomToSelection();
}
PICTAVO_CALL(AutoScale) {
  call.Return(box.View().AutoScale());
}
PICTAVO_CALL(MouseSelectRectangle) {
  box.View().MouseSelect(msRectangle);
}
PICTAVO_CALL(MouseSelectEllipse) {
  box.View().MouseSelect(msEllipse);
}
PICTAVO_GET(ZoomedWidth) {
  call.Return(box.View().ImageLoaded() ? box.View().DisplayWidth() : 0);
}
PICTAVO_GET(ZoomedHeight) {
  call.Return(box.View().ImageLoaded() ? box.View().DisplayHeight() : 0);
}
PICTAVO_GET(ShowScrollBars) {
  call.Return(box.View().ShowScrollBars());
}
PICTAVO_PUT(ShowScrollBars) {
  box.View().SetShowScrollBars(call.Bool(call.Value()));
}
PICTAVO_GET(HasScrollBarHoriz) {
  call.Return(box.View().HasScrollBarHoriz());
}
PICTAVO_GET(HasScrollBarVert) {
  call.Return(box.View().HasScrollBarVert());
}
PICTAVO_GET(ScrollBarHorizWidth) {
  call.Return(box.View().ScrollBarHorizWidth());
}
PICTAVO_GET(ScrollBarVertHeight) {
  call.Return(box.View().ScrollBarVertHeight());
}
PICTAVO_GET(ScrollBarHorizPos) {
  call.Return(box.View().ScrollBarHorizPos());
}
PICTAVO_PUT(ScrollBarHorizPos) {
  box.View().SetScrollBarHorizPos(call.Long(call.Value()));
}
PICTAVO_GET(ScrollBarVertPos) {
  call.Return(box.View().ScrollBarVertPos());
}
PICTAVO_PUT(ScrollBarVertPos) {
  box.View().SetScrollBarVertPos(call.Long(call.Value()));
}
PICTAVO_GET(ScrollSpeed) {
  call.Return(box.View().ScrollSpeed());
}
PICTAVO_PUT(ScrollSpeed) {
  box.View().SetScrollSpeed(call.Long(call.Value()));
}
PICTAVO_GET(ScaleToGray) {
  call.Return(box.View().ScaleToGray);
}
PICTAVO_PUT(ScaleToGray) {
  box.View().SetScaleToGray(call.Bool(call.Value()));
}

// The font object reads and changes the control's font; a font handed in is copied.
PICTAVO_GET(TextFont) {
  call.Return(
      TObjectArg{plat::com::ComPtr<plat::com::IDispatch>(NewTextFontObject(box.View()).Get())});
}
PICTAVO_PUT(TextFont) {
  if (auto* font = call.Object(call.Value())) CopyFontDescription(*font, box.View().TextFont);
}
PICTAVO_PUTREF(TextFont) {
  if (auto* font = call.Object(call.Value())) CopyFontDescription(*font, box.View().TextFont);
}

}  // namespace pictavo
