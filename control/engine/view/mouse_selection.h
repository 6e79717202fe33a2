#pragma once
// The modal mouse selection of the view: while it runs, the paint surface's press, move and
// release go to its handlers instead of the host's; the user drags a rubber band (scrolling the
// view near its edges) and the release selects the image rectangle or ellipse under it.
//
// Points are device pixels. A "scrolled" point is a surface point plus the position of each
// enabled scroll bar, so it stays on the same image pixel when the view scrolls.
#include <QPoint>
#include <QRect>
#include <cstdint>
#include <optional>

#include "control/engine/view/image_document.h"

namespace pictavo {

class TpvImage;

enum TxMouseSelectionMode : uint8_t { msNone = 0, msRectangle = 1, msEllipse = 2 };

// One mouse event as the control reports it: button code, shift-state bits, device pixels.
struct TMouseArgs {
  int16_t button = 0;
  int16_t shift = 0;
  int32_t x = 0, y = 0;
};

// The image rectangle a drag between two scrolled points covers at zoom (percent): the near
// edges rounded to the nearest image pixel, the far ones to the last pixel the drag reaches.
TSelectionBounds DragToImageRect(QPoint start, QPoint end, double zoom);

// How far a drag at x inside a surface of extent pixels scrolls: first toward the end when it
// is within 10 pixels of the far edge, then (negative) toward the start near the near edge.
struct TEdgeScroll {
  int32_t toward_end = 0;
  int32_t toward_start = 0;
};
TEdgeScroll EdgeScroll(int32_t x, int32_t extent);

// The rubber band as the surface shows it: the surface pixels from the smaller to the larger
// corner of the drag, both included.
struct TRubberBand {
  QRect box;
  bool ellipse = false;
};

// Calls a host event through a copy of its handler, so a host that deletes the control (and the
// handler with it) from inside the event leaves the running call intact.
template <typename Handler, typename... Args>
void FireHost(const Handler& handler, Args... args) {
  if (const Handler copy = handler) copy(args...);
}

class TMouseSelection {
 public:
  explicit TMouseSelection(TpvImage& view) : view_(view) {}

  uint8_t Mode() const { return mode_; }
  bool Running() const { return mode_ != msNone; }
  bool Dragging() const { return dragging_; }

  // Takes over the surface's mouse handlers for mode (the caller waits while Mode() holds it).
  void Start(uint8_t mode);
  // Gives the handlers back and shows the control's cursor again; the selection stays.
  void End();

  // The surface's handlers while a selection runs. Each may end in a host event that deletes
  // the view, so nothing of this object is touched after the host was called.
  void MouseDown(const TMouseArgs& args);
  void MouseMove(const TMouseArgs& args);
  void MouseUp(const TMouseArgs& args);

  // The band to draw over the image, while the left button drags one.
  std::optional<TRubberBand> Band() const;

 private:
  QPoint Scrolled(int32_t x, int32_t y) const;
  bool OnSurface(int32_t x, int32_t y) const;
  bool InControl(int32_t x, int32_t y) const;
  // Scrolls near the surface's edges; false when the view went away in the host's OnScroll.
  bool ScrollAtEdges(int32_t x, int32_t y);
  void ShowCursor(int16_t id);

  TpvImage& view_;
  uint8_t mode_ = msNone;
  bool dragging_ = false;
  bool band_shown_ = false;
  QPoint drag_start_, drag_current_;
};

}  // namespace pictavo
