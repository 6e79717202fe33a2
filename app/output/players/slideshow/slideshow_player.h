#pragma once
// The slide-show player from start to end: one copy at a time, the command line, the package
// behind the program file, the window. Needs a QApplication.
#include <QString>
#include <QStringList>

namespace players::slideshow {

// Runs the player whose program file is `own_file` with the words after its name; answers the
// exit status (1 when the package is missing, damaged, or an image cannot be shown).
int RunSlideShow(const QString& own_file, const QStringList& arguments);

}  // namespace players::slideshow
