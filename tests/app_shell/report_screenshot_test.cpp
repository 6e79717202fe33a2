// The report dialog as it appears on an X server, compared with a picture checked by eye.
// Runs under xvfb-run; VELMORA_UPDATE_GOLDEN=1 rewrites the picture instead of comparing.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontDatabase>
#include <QImage>
#include <QScreen>
#include <QStyleFactory>
#include <QTest>
#include <cstdlib>

#include "app/shell/error_report.h"
#include "app/shell/errors.h"

namespace {

const char* const kGolden = VELMORA_SOURCE_DIR "/tests/app_shell/golden/error_report.png";

// Pixels whose channels differ by more than a rounding step of antialiased text.
double ShareOfDifferentPixels(const QImage& a, const QImage& b) {
  int64_t different = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) {
      const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
      const int delta = std::max({std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                                  std::abs(qBlue(p) - qBlue(q))});
      if (delta > 24) ++different;
    }
  return static_cast<double>(different) / (static_cast<double>(a.width()) * a.height());
}

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
  dialog.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
  QTest::qWait(200);
  const QImage shot =
      dialog.screen()->grabWindow(dialog.winId()).toImage().convertToFormat(QImage::Format_RGB32);
  ASSERT_FALSE(shot.isNull());
  if (std::getenv("VELMORA_UPDATE_GOLDEN")) {
    ASSERT_TRUE(shot.save(kGolden));
    return;
  }
  const QImage golden = QImage(kGolden).convertToFormat(QImage::Format_RGB32);
  ASSERT_FALSE(golden.isNull()) << kGolden;
  ASSERT_EQ(shot.size(), golden.size());
  EXPECT_LT(ShareOfDifferentPixels(shot, golden), 0.002);
}

}  // namespace
