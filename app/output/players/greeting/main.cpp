// GREETING: the player at the front of every generated greeting.
#include <QApplication>

#include "app/output/players/greeting/greeting_player.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  return players::greeting::RunGreeting(QApplication::applicationFilePath());
}
