// SCREENSAVER: the player at the front of every generated screensaver.
#include <QApplication>

#include "app/output/players/screensaver/saver_player.h"

int main(int argc, char** argv) {
  // The preview and the daemon hand over X11 windows.
  qputenv("QT_QPA_PLATFORM", "xcb");
  QApplication app(argc, argv);
  return players::screensaver::RunScreensaver(QApplication::applicationFilePath(),
                                              QApplication::arguments().mid(1));
}
