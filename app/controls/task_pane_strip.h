#pragma once
// The task pane's expand and collapse buttons for its two hand-drawn colour schemes: one
// 68 x 34 picture of two rows (row 0 the silver scheme, row 1 the olive one) of four 17 x 17
// cells: the special group's button collapsed and expanded, then a normal group's collapsed and
// expanded. Each cell is a round button with a double chevron pointing down (collapsed) or up.
#include <QImage>
#include <QPoint>

namespace velmora {

constexpr int kStripCell = 17;

const QImage& ButtonStrip();
// The top-left corner of the cell for a group's button in a strip row.
QPoint StripCell(int row, bool special, bool expanded);

}  // namespace velmora
