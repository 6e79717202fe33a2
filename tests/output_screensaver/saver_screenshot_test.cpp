// The screensaver's windows as they appear on an X server: full screen after some ticks, the
// preview, the settings window and the fault box, against pictures checked by eye.
#include <gtest/gtest.h>

#include <QLinearGradient>
#include <QPainter>
#include <QTemporaryDir>

#include "app/output/players/screensaver/saver_window.h"
#include "app/output/players/screensaver/setting_dialog.h"
#include "app/output/players/support/player_support.h"
#include "app_shell/screenshot_compare.h"

namespace players::screensaver {
namespace {

#define GOLDEN(name) VELMORA_SOURCE_DIR "/tests/output_screensaver/golden/" name

QImage Picture() {
  QImage image(320, 200, QImage::Format_RGB32);
  QPainter painter(&image);
  QLinearGradient ramp(0, 0, 320, 0);
  ramp.setColorAt(0, QColor(224, 192, 128));
  ramp.setColorAt(1, QColor(32, 48, 96));
  painter.fillRect(image.rect(), ramp);
  return image;
}

TEST(SaverScreenshot, FullScreenWithFireworks) {
  fireworks::SeededRandom random(7);
  SaverSettings settings;
  settings.BgColor = 0x402010;
  settings.Kinds = {true, true, true, true, true};
  SaverWindow window(
      Picture(), {1, [](size_t) { return Picture(); }}, settings, false, random, [] {},
      [](const QString&) {});
  window.AnimationTimer().stop();
  window.LaunchTimer().stop();
  window.SoundTimer().stop();
  window.setWindowTitle(QStringLiteral("saver"));
  window.resize(640, 480);
  // The frames below come from the launches and ticks called here, the same at every run.
  for (int i = 0; i < 120; ++i) {
    if (i % 10 == 0) window.Launch();
    window.Tick();
  }
  ExpectWindowMatchesGolden(window, GOLDEN("full_screen.png"));
}

TEST(SaverScreenshot, Preview) {
  fireworks::SeededRandom random(7);
  SaverWindow window(
      Picture(), {2, [](size_t) { return Picture(); }}, SaverSettings{}, true, random, [] {},
      [](const QString&) {});
  window.setWindowTitle(QStringLiteral("saver"));
  window.resize(152, 112);
  ExpectWindowMatchesGolden(window, GOLDEN("preview.png"));
}

TEST(SaverScreenshot, SettingsWindow) {
  QTemporaryDir dir;
  QSettings store(dir.filePath("saver.ini"), QSettings::IniFormat);
  store.setValue("SETTINGS/BgColor", "4210752");
  SettingDialog dialog(store);
  ExpectWindowMatchesGolden(dialog, GOLDEN("settings.png"));
}

TEST(SaverScreenshot, FaultBox) {
  const auto box = FaultBox(
      QStringLiteral("saver"),
      QStringLiteral("saver.scr: the screensaver cannot be shown: it is not a JPEG image"));
  ExpectWindowMatchesGolden(*box, GOLDEN("fault_box.png"));
}

}  // namespace
}  // namespace players::screensaver
