// The main window as drawn, against pictures checked by eye: an image shown with the metadata pane
// and without it. Drawn off screen at a fixed size with a fixed style and font, so the pictures do
// not depend on a display. The folder tree shows the machine's own folders, so its rectangle is
// blanked in both pictures before they are compared.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QPainter>
#include <QStyleFactory>
#include <QTimer>
#include <cstdlib>
#include <memory>

#include "app/shell/main_window.h"
#include "app/shell/settings.h"
#include "app_shell/recording_ui.h"
#include "app_shell/screenshot_compare.h"
#include "control/activex/imagebox_interface.h"
#include "platform/com/control_host.h"

namespace {

constexpr QSize kWindowSize(1000, 700);

class MainWindowScreenshot : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    QApplication::setApplicationName(QStringLiteral("VelmoraJPEG2000B"));
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 9));
    ASSERT_EQ(std::system((std::string(VELMORA_REGSVR) + " -s " + PICTAVO_LIBRARY).c_str()), 0);
    ASSERT_EQ(std::system(("convert -size 160x120 xc:skyblue -fill orange -draw "
                           "'rectangle 20,20 100,80' BMP3:" +
                           ImagePath().toStdString())
                              .c_str()),
              0);
  }
  static QString ImagePath() { return QDir::tempPath() + QStringLiteral("/r1-screenshot.bmp"); }

  void SetUp() override {
    // A dialog the window opens (an error report) would wait for a person: close it and fail.
    QObject::connect(&modalWatch_, &QTimer::timeout, [] {
      if (QWidget* modal = QApplication::activeModalWidget()) {
        ADD_FAILURE() << "a modal window opened: " << modal->windowTitle().toStdString();
        modal->close();
      }
    });
    modalWatch_.start(50);
    shell::subLoadSetup();
    shell::subDeleteSetup();
    window_ = std::make_unique<shell::MainWindow>();
    window_->resize(kWindowSize);
    window_->show();
    QApplication::processEvents();
    pictavo::ax::ImageBoxProxy(window_->ibMain->Dispatch()).LoadFromFile(ImagePath().toStdString());
  }

  void TearDown() override {
    window_->close();
    modalWatch_.stop();
    EXPECT_TRUE(ui_.messages.empty()) << ui_.messages.front().text.toStdString();
  }

  // The window as drawn, the folder tree blanked.
  QImage Drawn() const {
    QApplication::processEvents();
    QImage shot = window_->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRect tree(window_->ftvBrowse->mapTo(window_.get(), QPoint()),
                     window_->ftvBrowse->size());
    QPainter(&shot).fillRect(tree, Qt::black);
    return shot;
  }

  static void ExpectMatchesGolden(const QImage& shot, const char* name) {
    const QString golden =
        QStringLiteral(VELMORA_SOURCE_DIR "/tests/app_main/golden/") + QString::fromLatin1(name);
    if (std::getenv("VELMORA_UPDATE_GOLDEN")) {
      ASSERT_TRUE(shot.save(golden));
      return;
    }
    const QImage expected = QImage(golden).convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(expected.isNull()) << name;
    ASSERT_EQ(shot.size(), expected.size()) << name;
    EXPECT_LT(ShareOfDifferentPixels(shot, expected), 0.002) << name;
  }

  RecordingUi ui_;
  QTimer modalWatch_;
  std::unique_ptr<shell::MainWindow> window_;
};

TEST_F(MainWindowScreenshot, ImageWithAndWithoutTheMetadataPane) {
  ASSERT_EQ(window_->size(), kWindowSize);
  window_->subShowMetadataPane(true, true);
  ExpectMatchesGolden(Drawn(), "main_window_metadata.png");
  window_->subShowMetadataPane(false, false);
  ExpectMatchesGolden(Drawn(), "main_window_no_metadata.png");
}

}  // namespace
