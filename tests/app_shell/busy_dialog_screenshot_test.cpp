// The busy dialog as it appears on an X server, part way through an operation.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QStyleFactory>

#include "app/shell/busy_dialog.h"
#include "screenshot_compare.h"

namespace {

TEST(BusyDialogScreenshot, MatchesTheGoldenPicture) {
  ASSERT_EQ(QGuiApplication::platformName(), "xcb") << "run under xvfb-run";
  QApplication::setStyle(QStyleFactory::create("Fusion"));
  QApplication::setFont(QFont("DejaVu Sans", 9));
  shell::frmStatus dialog(nullptr);
  dialog.lblMessage->setText("Printing.. holiday 0042.tif");
  dialog.pbQueue->setMaximum(10);
  dialog.pbQueue->setValue(3);
  ExpectWindowMatchesGolden(dialog, VELMORA_SOURCE_DIR "/tests/app_shell/golden/busy_dialog.png");
}

}  // namespace
