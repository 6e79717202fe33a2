#pragma once
// Runs an X11 command-line tool (xdotool, xwininfo) against the test's X server.
#include <QProcess>
#include <QString>
#include <QStringList>

namespace velmora {

// The tool's standard output, or nothing when it did not finish within ten seconds.
inline QString RunTool(const QString& program, const QStringList& arguments) {
  QProcess process;
  process.start(program, arguments);
  if (!process.waitForFinished(10000)) return {};
  return QString::fromLocal8Bit(process.readAllStandardOutput());
}

}  // namespace velmora
