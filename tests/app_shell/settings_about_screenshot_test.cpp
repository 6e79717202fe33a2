// The settings dialog on each of its tabs and the about box, as they appear on an X server.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QStyleFactory>
#include <QTabBar>
#include <QTest>

#include "app/shell/about.h"
#include "app/shell/settings.h"
#include "app/shell/settings_dialog.h"
#include "screenshot_compare.h"

namespace {

class SettingsAboutScreenshot : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(QGuiApplication::platformName(), "xcb") << "run under xvfb-run";
    QApplication::setStyle(QStyleFactory::create("Fusion"));
    QApplication::setFont(QFont("DejaVu Sans", 9));
    QCoreApplication::setApplicationName("VelmoraJPEG2000B");
  }
};

TEST_F(SettingsAboutScreenshot, SettingsDialogOnEachTab) {
  shell::gSetup = shell::DefaultSetupRecord();
  shell::frmSettings dialog(nullptr, {});
  dialog.subSetup();
  dialog.txtCaptureFolder->setText("/home/user/Pictures/Captures");
  dialog.txtCaptureGeneric->setText("Capture");
  dialog.txtTwainFolder->setText("/home/user/Pictures/Scans");
  dialog.txtTwainGeneric->setText("Scan");
  const char* const goldens[] = {"settings_general.png", "settings_capture.png",
                                 "settings_twain.png", "settings_shortcuts.png"};
  dialog.show();
  for (int tab = 0; tab < 4; ++tab) {
    QTabBar* tabs = dialog.tbsSettings;
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(tab).center());
    dialog.tbsSettings->setCurrentIndex(tab);
    ExpectWindowMatchesGolden(
        dialog,
        (std::string(VELMORA_SOURCE_DIR "/tests/app_shell/golden/") + goldens[tab]).c_str());
  }
}

TEST_F(SettingsAboutScreenshot, AboutBox) {
  shell::frmAbout about(nullptr);
  ExpectWindowMatchesGolden(about, VELMORA_SOURCE_DIR "/tests/app_shell/golden/about_box.png");
}

}  // namespace
