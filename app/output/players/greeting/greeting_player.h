#pragma once
// The greeting player from start to end: one copy at a time, the picture behind the program file,
// the window. Needs a QApplication.
#include <QString>

namespace players::greeting {

// Runs the player whose program file is `own_file`; answers the exit status (1 when the package
// is missing or damaged or its picture cannot be shown).
int RunGreeting(const QString& own_file);

}  // namespace players::greeting
