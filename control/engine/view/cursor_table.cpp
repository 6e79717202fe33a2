#include "control/engine/view/cursor_table.h"

#include <QPixmap>

#include "control/engine/view/cursor_file.h"

namespace pictavo {

namespace {

Qt::CursorShape StandardShape(int16_t id) {
  switch (id) {
    case crNone:
      return Qt::BlankCursor;
    case crCross:
      return Qt::CrossCursor;
    case crIBeam:
      return Qt::IBeamCursor;
    case crSizeNESW:
      return Qt::SizeBDiagCursor;
    case crSizeNS:
      return Qt::SizeVerCursor;
    case crSizeNWSE:
      return Qt::SizeFDiagCursor;
    case crSizeWE:
      return Qt::SizeHorCursor;
    case crUpArrow:
      return Qt::UpArrowCursor;
    case crHourGlass:
    case crSQLWait:
      return Qt::WaitCursor;
    case crDrag:
    case crMultiDrag:
      return Qt::DragCopyCursor;
    case crNoDrop:
    case crNo:
      return Qt::ForbiddenCursor;
    case crHSplit:
      return Qt::SplitHCursor;
    case crVSplit:
      return Qt::SplitVCursor;
    case crAppStart:
      return Qt::BusyCursor;
    case crHelp:
      return Qt::WhatsThisCursor;
    case crHandPoint:
      return Qt::PointingHandCursor;
    case crSizeAll:
      return Qt::SizeAllCursor;
    default:
      return Qt::ArrowCursor;
  }
}

}  // namespace

TCursorTable& TCursorTable::Instance() {
  static TCursorTable table;
  return table;
}

QCursor TCursorTable::CursorOf(int16_t id) const {
  const auto added = added_.find(id);
  return added != added_.end() ? added->second : QCursor(StandardShape(id));
}

void TCursorTable::Add(int16_t id, const QCursor& cursor) {
  added_.insert_or_assign(id, cursor);
}

void TCursorTable::AddFromFile(int16_t id, const std::string& file_name) {
  if (const auto cursor = ReadCursorFile(file_name))
    Add(id, QCursor(QPixmap::fromImage(cursor->image), cursor->hotspot.x(), cursor->hotspot.y()));
}

}  // namespace pictavo
