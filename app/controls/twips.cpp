#include "app/controls/twips.h"

#include <QGuiApplication>
#include <QScreen>

#include "platform/base/rounding.h"

namespace velmora {

namespace {
constexpr double kTwipsPerInch = 1440.0;
constexpr double kFallbackDpi = 96.0;
}  // namespace

double ScreenLogicalDpi() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr || screen->logicalDotsPerInch() <= 0) return kFallbackDpi;
  return screen->logicalDotsPerInch();
}

double TwipsPerPixel(double dpi) {
  return kTwipsPerInch / (dpi > 0 ? dpi : kFallbackDpi);
}

int TwipsToPixels(int twips, double dpi) {
  return static_cast<int>(plat::RoundHalfEven(twips / TwipsPerPixel(dpi)));
}

int PixelsToTwips(int pixels, double dpi) {
  return static_cast<int>(plat::RoundHalfEven(pixels * TwipsPerPixel(dpi)));
}

}  // namespace velmora
