#include "app/controls/task_pane_strip.h"

#include <QPainter>

namespace velmora {
namespace {

struct CellLook {
  QColor background;  // the header's colour at its right end
  QColor fill;
  QColor rim;
  QColor chevrons;
};

// Two arrowheads, each four one-pixel lines, pointing up or down within a 17 x 17 cell.
void DrawChevrons(QPainter& painter, QPoint cell, bool up, const QColor& colour) {
  painter.setPen(colour);
  for (const int shift : {0, 4}) {
    const int y = cell.y() + shift;
    const int x = cell.x();
    if (up) {
      painter.drawLine(x + 5, y + 7, x + 9, y + 3);
      painter.drawLine(x + 6, y + 7, x + 9, y + 4);
      painter.drawLine(x + 11, y + 7, x + 7, y + 3);
      painter.drawLine(x + 10, y + 7, x + 7, y + 4);
    } else {
      painter.drawLine(x + 5, y + 4, x + 9, y + 8);
      painter.drawLine(x + 6, y + 4, x + 9, y + 7);
      painter.drawLine(x + 11, y + 4, x + 7, y + 8);
      painter.drawLine(x + 10, y + 4, x + 7, y + 7);
    }
  }
}

void DrawCell(QPainter& painter, QPoint cell, const CellLook& look, bool up) {
  painter.fillRect(QRect(cell, QSize(kStripCell, kStripCell)), look.background);
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setPen(look.rim);
  painter.setBrush(look.fill);
  painter.drawEllipse(QRectF(cell.x() + 0.5, cell.y() + 0.5, kStripCell - 1, kStripCell - 1));
  painter.setRenderHint(QPainter::Antialiasing, false);
  DrawChevrons(painter, cell, up, look.chevrons);
}

QImage MakeStrip() {
  const CellLook looks[2][2] = {
      {{QColor(180, 182, 199), QColor(111, 117, 151), QColor(111, 117, 151), Qt::white},
       {QColor(214, 215, 224), Qt::white, QColor(190, 194, 212), QColor(49, 68, 115)}},
      {{QColor(224, 231, 184), QColor(130, 164, 80), QColor(130, 164, 80), Qt::white},
       {QColor(224, 231, 184), Qt::white, QColor(200, 212, 160), QColor(75, 103, 28)}},
  };
  QImage strip(4 * kStripCell, 2 * kStripCell, QImage::Format_RGB32);
  QPainter painter(&strip);
  for (int row = 0; row < 2; ++row) {
    for (int column = 0; column < 4; ++column) {
      const CellLook& look = looks[row][column / 2];
      DrawCell(painter, QPoint(column * kStripCell, row * kStripCell), look, column % 2 == 1);
    }
  }
  return strip;
}

}  // namespace

const QImage& ButtonStrip() {
  static const QImage strip = MakeStrip();
  return strip;
}

QPoint StripCell(int row, bool special, bool expanded) {
  const int column = (special ? 0 : 2) + (expanded ? 1 : 0);
  return QPoint(column * kStripCell, row * kStripCell);
}

}  // namespace velmora
