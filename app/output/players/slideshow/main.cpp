// SLIDESHOW: the player at the front of every generated slide show.
#include <QApplication>

#include "app/output/players/slideshow/slideshow_player.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  return players::slideshow::RunSlideShow(QApplication::applicationFilePath(),
                                          QApplication::arguments().mid(1));
}
