// The report dialog as it appears on an X server, compared with a picture checked by eye.
// Runs under xvfb-run; VELMORA_UPDATE_GOLDEN=1 rewrites the picture instead of comparing.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontDatabase>
#include <QStyleFactory>

#include "app/shell/error_report.h"
#include "app/shell/errors.h"
#include "screenshot_compare.h"

namespace {

const char* const kGolden = VELMORA_SOURCE_DIR "/tests/app_shell/golden/error_report.png";

TEST(ReportScreenshot, MatchesTheGoldenPicture) {
  ASSERT_EQ(QGuiApplication::platformName(), "xcb") << "run under xvfb-run";
  QApplication::setStyle(QStyleFactory::create("Fusion"));
  QApplication::setFont(QFont("DejaVu Sans", 9));
  QCoreApplication::setApplicationName("VelmoraJPEG2000B");
  shell::subInitErrorHandling();
  shell::gstrErrorVersion = "3.1.0";
  shell::gstrErrorRoutine = "LoadPic";
  shell::gintErrorLine = 217;
  shell::gstrErrorActivity = "Trying to read/view selected image file";
  shell::gstrErrorText = "-2147418113 - Invalid picture";

  shell::frmErrorReport dialog;
  ExpectWindowMatchesGolden(dialog, kGolden);
}

}  // namespace
