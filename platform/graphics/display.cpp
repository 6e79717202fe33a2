#include "platform/graphics/display.h"

#include <QGuiApplication>
#include <QScreen>

namespace plat {

int ScreenBitsPerPixel() {
  if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return 24;
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen ? screen->depth() : 24;
}

}  // namespace plat
