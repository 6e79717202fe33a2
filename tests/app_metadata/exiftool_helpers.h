#pragma once
// exiftool as the referee of the metadata tests, and the small file helpers they share.
#include <QByteArray>
#include <QFile>
#include <QString>
#include <cstdio>
#include <cstdlib>
#include <ostream>
#include <string>

#include "support/qstring_print.h"

namespace metadata_test {

inline int Shell(const std::string& command) {
  return std::system(command.c_str());
}

// What exiftool prints for `args` (for example "-EXIF:Artist"), values alone, without the last
// line end.
inline std::string ExifToolOutput(const QString& path, const std::string& args) {
  const std::string command = "exiftool -s -s -s " + args + " '" + path.toStdString() + "'";
  std::string out;
  if (FILE* pipe = ::popen(command.c_str(), "r")) {
    char buffer[512];
    while (size_t got = std::fread(buffer, 1, sizeof buffer, pipe)) out.append(buffer, got);
    ::pclose(pipe);
  }
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
  return out;
}

inline QByteArray Bytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace metadata_test
