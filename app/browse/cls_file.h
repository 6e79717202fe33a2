#pragma once
// The program's own text files (image baskets, task baskets): records of double-quoted fields
// separated by ",", one record per line. One object serves one read or one write. A file is read
// whole when it is opened, so a caller can parse all of it before it changes anything.
#include <QByteArray>
#include <QSaveFile>
#include <QString>
#include <QStringList>
#include <memory>

#include "app/tasks/task_list.h"

namespace browse {

// Error raised by a read past the end of the file.
inline constexpr int32_t kErrInputPastEnd = 62;  // "Input past end of file"
// Larger files are refused when opened: no basket or task list comes near it.
inline constexpr qint64 kMaxRecordFileBytes = 16 * 1024 * 1024;

// Text from file bytes: UTF-8 when the bytes are valid UTF-8, Windows-1252 otherwise.
QString DecodeRecordText(const QByteArray& bytes);

class clsFile {
 public:
  // Reads the whole file; on failure keeps the reason and returns False.
  bool OpenForRead(const QString& fileName);
  // Opens for sequential output; the file is replaced only when closefile succeeds.
  bool OpenForWrite(const QString& fileName);
  // False when a write failed or the written file could not replace the old one.
  bool closefile();

  bool fEof() const;
  // The next line without its line end (CR LF or LF); empty when nothing is open.
  QString readLine();
  // The next count fields with the record reader; raises when the file ends first.
  QStringList readRecord(int count);
  void read_EditingList(tasks::TaskRow& row);
  void read_ImageBasket(QString& path, QString& description);

  void writeRecord(const QStringList& fields);
  void writeline(const QString& text) { writeRecord({text}); }
  void write_ImageBasket(const QString& path, const QString& description) {
    writeRecord({path, description});
  }
  void write_EditingList(const tasks::TaskRow& row);

  const QString& FileName() const { return fileName_; }
  bool ErrorFlag() const { return error_; }
  const QString& ErrorText() const { return errorText_; }

 private:
  QString readField();
  bool AtLineEnd() const;
  void SkipLineEnd();
  bool Fail(const QString& reason);

  QString fileName_;
  QString text_;  // the whole input
  qsizetype pos_ = 0;
  bool reading_ = false;
  std::unique_ptr<QSaveFile> out_;
  bool error_ = false;
  QString errorText_;
};

}  // namespace browse
