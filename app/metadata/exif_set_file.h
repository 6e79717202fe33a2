#pragma once
// EXIF set files (.xiff): the user-editable EXIF attributes of one image, saved to carry them
// over to others. One record per line, the raw attribute name and the value as the EXIF list
// shows it, both quoted (a quote inside is doubled), UTF-8 with CR LF; dates in the lists' fixed
// form, so a file reads the same on every machine.
#include <QString>

#include "app/browse/cls_file.h"

class QTreeWidget;
namespace plat::com {
class ControlHost;
}

namespace metadata {

// One .xiff file, read or written in sequence.
class clsFileEXIF {
 public:
  // False when the file cannot be read; the reason stays in ErrorText.
  bool OpenForRead(const QString& fileName) { return file_.OpenForRead(fileName); }
  // True when nothing more can be read, also when no file is open.
  bool fEof() const { return file_.fEof(); }
  QString readLine() { return file_.readLine(); }
  // The next record's two fields; raises shell::AppError when the file ends before both.
  void ReadEXIF(QString& attribute, QString& value);
  void WriteEXIF(const QString& attribute, const QString& value) {
    file_.writeRecord({attribute, value});
  }
  bool OpenForWrite(const QString& fileName) { return file_.OpenForWrite(fileName); }
  void writeline(const QString& text) { file_.writeline(text); }
  // False when the written file could not take the place of the old one.
  bool closefile() { return file_.closefile(); }
  bool ErrorFlag() const { return file_.ErrorFlag(); }
  const QString& ErrorText() const { return file_.ErrorText(); }

 private:
  browse::clsFile file_;
};

// Shows the open or save dialog (`show`) with the title and filter, no name proposed; the chosen
// path, or empty when cancelled.
QString AskForFile(const QString& title, const QString& filter, void (*show)());

// Asks for a file name and writes the list's editable (keyed) rows to it. False when cancelled,
// when nothing editable is listed (the file is then removed and the user told) or when the file
// could not be written.
bool fncSaveEXIF(QTreeWidget* lvExif, plat::com::ControlHost* control);
// Asks for a .xiff file and applies each record to the image and to the file of the control's
// "Tag"; a record the control refuses is skipped. The row keyed by the attribute (any case) is
// updated, or a row is added. False when cancelled, unreadable or a record is incomplete; the
// records before it stay applied.
bool fncOpenEXIF(QTreeWidget* lvExif, plat::com::ControlHost* control);

}  // namespace metadata
