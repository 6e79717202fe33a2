#pragma once
// The task pane's layout: every header, body and item rectangle, the details text, and what the
// vertical scroll bar must do. A pure function of the model, the pane's size and a text
// measurer, so it runs the same on screen and in tests.
//
// Positions are pane pixels already shifted by the scroll offset. The running position is kept
// in 16 bits, as the scroll bar's values are, which bounds the content to 32767 pixels.
#include <QString>
#include <functional>

#include "app/controls/task_pane_model.h"

namespace velmora {

struct TextMeasurer {
  // The width of `text` on one line.
  std::function<int(const QString& text, bool bold)> width;
  // The height of `text` word-wrapped between x = left and x = right.
  std::function<int(int left, int right, const QString& text, bool bold)> height;
};

struct PaneGeometry {
  int fullWidth = 0;   // the pane's inner width, the scroll bar's area included
  int fullHeight = 0;  // the pane's inner height
  int scrollBarWidth = 0;
  bool scrollBarVisible = false;
  int16_t scrollValue = 0;
  bool paneVisible = false;  // the pane is shown in its container
  bool updates = false;      // painting is allowed
};

struct PaneLayout {
  int usableWidth = 0;  // the inner width less the scroll bar while it is shown
  bool scrollBarVisible = false;
  int scrollMaximum = 0;
  int16_t scrollValue = 0;
  BarRect detailsText;
  int contentBottom = 0;  // the running position after the last element
};

// Writes the rectangles and body heights into `model` and returns the rest.
PaneLayout ArrangePane(PaneModel& model, const PaneGeometry& geometry, const TextMeasurer& measure);

}  // namespace velmora
