// The greeting as it appears on an X server, before and after a click, full screen, and its
// fault box, against pictures checked by eye.
#include <gtest/gtest.h>

#include <QLinearGradient>
#include <QPainter>

#include "app/output/players/greeting/greeting_window.h"
#include "app/output/players/support/player_support.h"
#include "app_shell/screenshot_compare.h"

namespace players::greeting {
namespace {

#define GOLDEN(name) VELMORA_SOURCE_DIR "/tests/output_greeting/golden/" name

QImage Card() {
  QImage image(400, 300, QImage::Format_RGB32);
  QPainter painter(&image);
  QLinearGradient ramp(0, 0, 400, 0);
  ramp.setColorAt(0, QColor(224, 192, 128));
  ramp.setColorAt(1, QColor(32, 48, 96));
  painter.fillRect(image.rect(), ramp);
  return image;
}

TEST(GreetingScreenshot, BeforeAndAfterAClickAndFullScreen) {
  GreetingWindow window(Card(), [] {});
  window.setWindowTitle(QStringLiteral("card"));
  ExpectWindowMatchesGolden(window, GOLDEN("greeting.png"));
  QTest::mouseClick(window.View(), Qt::LeftButton, {}, QPoint(200, 200));
  // The frames below come from the ticks called here, the same at every run.
  window.AnimationTimer().stop();
  for (int i = 0; i < 25; ++i) window.Tick();
  ExpectWindowMatchesGolden(window, GOLDEN("greeting_burst.png"));
  QTest::keyClick(&window, 'f');
  QTest::qWait(200);
  ExpectWindowMatchesGolden(window, GOLDEN("greeting_full_screen.png"));
}

TEST(GreetingScreenshot, FaultBox) {
  const auto box = FaultBox(
      QStringLiteral("card"),
      QStringLiteral("card: the greeting's picture cannot be shown: it is not a JPEG image"));
  ExpectWindowMatchesGolden(*box, GOLDEN("fault_box.png"));
}

}  // namespace
}  // namespace players::greeting
