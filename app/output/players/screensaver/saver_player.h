#pragma once
// The screensaver player from start to end: the command line, one copy at a time, the pictures
// behind the program file, the window full screen or inside a host window, or the settings.
// Needs a QApplication.
#include <QString>
#include <QStringList>

namespace players::screensaver {

// Runs the player whose program file is `own_file` with the words after its name; answers the
// exit status (1 when the package, its first picture or the host window is missing or damaged).
int RunScreensaver(const QString& own_file, const QStringList& arguments);

}  // namespace players::screensaver
