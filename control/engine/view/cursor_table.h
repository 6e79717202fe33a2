#pragma once
// The process's screen cursors by 16-bit id, as the control's Cursor property names them. The
// standard ids (0 and -1 to -22) are the platform's stock cursors, shown as the matching Qt
// shapes; cursors loaded from files add their own ids (Add), and the mouse selection shows the
// cross cursor through the same table.
#include <QCursor>
#include <cstdint>
#include <map>
#include <string>

namespace pictavo {

enum TxCursorId : int16_t {
  crDefault = 0,
  crNone = -1,
  crArrow = -2,
  crCross = -3,
  crIBeam = -4,
  crSizeNESW = -6,
  crSizeNS = -7,
  crSizeNWSE = -8,
  crSizeWE = -9,
  crUpArrow = -10,
  crHourGlass = -11,
  crDrag = -12,
  crNoDrop = -13,
  crHSplit = -14,
  crVSplit = -15,
  crMultiDrag = -16,
  crSQLWait = -17,
  crNo = -18,
  crAppStart = -19,
  crHelp = -20,
  crHandPoint = -21,
  crSizeAll = -22,
};

class TCursorTable {
 public:
  static TCursorTable& Instance();
  // The cursor of id; the default arrow for an id the table does not hold.
  QCursor CursorOf(int16_t id) const;
  // Stores (or replaces) the cursor under id.
  void Add(int16_t id, const QCursor& cursor);
  // Stores the cursor of a .cur file under id; a file that holds no readable cursor changes
  // nothing.
  void AddFromFile(int16_t id, const std::string& file_name);

 private:
  std::map<int16_t, QCursor> added_;
};

}  // namespace pictavo
