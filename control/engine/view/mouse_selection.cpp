#include "control/engine/view/mouse_selection.h"

#include <QPointer>
#include <algorithm>

#include "control/engine/view/cursor_table.h"
#include "control/engine/view/pvimage.h"
#include "control/engine/view/view_geometry.h"

namespace pictavo {

namespace {

// Edge distances below which a drag scrolls the view.
constexpr int32_t kEdgeZone = 10;

}  // namespace

TSelectionBounds DragToImageRect(QPoint start, QPoint end, double zoom) {
  const double per_pixel = 100 / zoom;
  return {TruncToInt32(std::min(start.x(), end.x()) * per_pixel + 0.5),
          TruncToInt32(std::min(start.y(), end.y()) * per_pixel + 0.5),
          TruncToInt32((std::max(start.x(), end.x()) + 1.0) * per_pixel - 0.5),
          TruncToInt32((std::max(start.y(), end.y()) + 1.0) * per_pixel - 0.5)};
}

TEdgeScroll EdgeScroll(int32_t x, int32_t extent) {
  TEdgeScroll scroll;
  if (int64_t{extent} - x < kEdgeZone) {
    const int64_t into = int64_t{x} - (int64_t{extent} - (kEdgeZone - 1));
    scroll.toward_end = static_cast<int32_t>(std::min<int64_t>(into * into + 1, INT32_MAX));
  }
  if (x < kEdgeZone) {
    const int64_t into = kEdgeZone - int64_t{x};
    scroll.toward_start = static_cast<int32_t>(std::max<int64_t>(-(into * into) + 1, -INT32_MAX));
  }
  return scroll;
}

void TMouseSelection::Start(uint8_t mode) {
  dragging_ = false;
  band_shown_ = false;
  mode_ = mode;
}

void TMouseSelection::End() {
  mode_ = msNone;
  dragging_ = false;
  band_shown_ = false;
  view_.PaintSurface()->unsetCursor();  // the control's Cursor shows through again
  view_.update();
}

QPoint TMouseSelection::Scrolled(int32_t x, int32_t y) const {
  return {x + view_.ScrollBarHorizPos(), y + view_.ScrollBarVertPos()};
}

bool TMouseSelection::OnSurface(int32_t x, int32_t y) const {
  return x >= 0 && y >= 0 && x < view_.SurfaceWidth() && y < view_.SurfaceHeight();
}

bool TMouseSelection::InControl(int32_t x, int32_t y) const {
  return x >= 0 && y >= 0 && x < view_.ClientWidth() && y < view_.ClientHeight();
}

void TMouseSelection::ShowCursor(int16_t id) {
  view_.PaintSurface()->setCursor(TCursorTable::Instance().CursorOf(id));
}

void TMouseSelection::MouseDown(const TMouseArgs& args) {
  if (args.button == mbLeft) {
    dragging_ = true;
    band_shown_ = false;
    drag_start_ = drag_current_ = Scrolled(args.x, args.y);
  }
  if (InControl(args.x, args.y))
    FireHost(view_.OnMouseDown, args.button, args.shift, args.x, args.y);
}

void TMouseSelection::MouseMove(const TMouseArgs& args) {
  if (OnSurface(args.x, args.y)) {
    ShowCursor(crCross);
    if (dragging_) {
      band_shown_ = false;  // the old band goes before the view may scroll under it
      view_.update();
      if (!ScrollAtEdges(args.x, args.y)) return;
      band_shown_ = true;
    }
    drag_current_ = Scrolled(args.x, args.y);
    view_.update();
  } else {
    ShowCursor(view_.Cursor());
  }
  if (InControl(args.x, args.y)) FireHost(view_.OnMouseMove, args.shift, args.x, args.y);
}

bool TMouseSelection::ScrollAtEdges(int32_t x, int32_t y) {
  const QPointer<TpvImage> alive(&view_);
  // Each step runs the view's scroll handler, whose OnScroll may delete the view.
  const auto scroll = [&](bool enabled, int32_t (TpvImage::*position)() const,
                          void (TpvImage::*set_position)(int32_t), TEdgeScroll steps) {
    if (!enabled) return true;
    for (int32_t step : {steps.toward_end, steps.toward_start}) {
      if (step == 0) continue;
      (view_.*set_position)((view_.*position)() + step);
      if (!alive) return false;
    }
    return true;
  };
  return scroll(view_.HasScrollBarHoriz(), &TpvImage::ScrollBarHorizPos,
                &TpvImage::SetScrollBarHorizPos, EdgeScroll(x, view_.ScrollBarHorizWidth())) &&
         scroll(view_.HasScrollBarVert(), &TpvImage::ScrollBarVertPos,
                &TpvImage::SetScrollBarVertPos, EdgeScroll(y, view_.ScrollBarVertHeight()));
}

void TMouseSelection::MouseUp(const TMouseArgs& args) {
  if (args.button == mbLeft) {
    if (!OnSurface(args.x, args.y)) {
      view_.CancelSelection();
    } else {
      const TSelectionBounds r =
          DragToImageRect(drag_start_, Scrolled(args.x, args.y), view_.Zoom());
      if (mode_ == msEllipse) {
        view_.SelectEllipse(r.left, r.top, r.right, r.bottom);
      } else {
        view_.SelectRectangle(r.left, r.top, r.right, r.bottom);
      }
      End();
    }
  }
  if (InControl(args.x, args.y)) FireHost(view_.OnMouseUp, args.button, args.shift, args.x, args.y);
}

std::optional<TRubberBand> TMouseSelection::Band() const {
  if (!dragging_ || !band_shown_) return std::nullopt;
  const QPoint scroll(view_.ScrollBarHorizPos(), view_.ScrollBarVertPos());
  const QPoint a = drag_start_ - scroll, b = drag_current_ - scroll;
  return TRubberBand{QRect(QPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
                           QPoint(std::max(a.x(), b.x()), std::max(a.y(), b.y()))),
                     mode_ == msEllipse};
}

}  // namespace pictavo
