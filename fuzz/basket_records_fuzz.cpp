// The record reader of basket and task basket files: any bytes either read or end in the one
// past-the-end error, and every record read comes back the same after being written again.
#include <QFile>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "app/browse/cls_file.h"
#include "app/shell/errors.h"

namespace {

QTemporaryDir& Scratch() {
  static QTemporaryDir dir;
  return dir;
}

bool WriteBytes(const QString& path, const char* data, qint64 size) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(data, size) == size;
}

QStringList ReadBack(const QString& path, const QStringList& fields) {
  browse::clsFile out;
  if (!out.OpenForWrite(path)) std::abort();
  out.writeRecord(fields);
  if (!out.closefile()) std::abort();
  browse::clsFile in;
  if (!in.OpenForRead(path)) std::abort();
  return in.readRecord(static_cast<int>(fields.size()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QString input = Scratch().filePath("input");
  const QString again = Scratch().filePath("again");
  if (!WriteBytes(input, reinterpret_cast<const char*>(data), static_cast<qint64>(size))) return 0;
  browse::clsFile file;
  if (!file.OpenForRead(input)) std::abort();
  try {
    while (!file.fEof()) {
      const QStringList record = file.readRecord(3);
      if (ReadBack(again, record) != record) std::abort();
    }
  } catch (const shell::AppError& e) {
    if (e.Number() != browse::kErrInputPastEnd) std::abort();
  }
  return 0;
}
