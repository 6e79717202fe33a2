// The main window with the metadata pane installed, as the program starts it, showing a JPEG
// with EXIF and IPTC data through the viewer: both lists filled, against a picture checked by eye.
// The folder tree shows the machine's own folders, so its rectangle is blanked before comparing.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QPainter>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <cstdlib>
#include <memory>
#include <string>

#include "app/browse/viewer/viewer.h"
#include "app/browse/viewer/viewer_row.h"
#include "app/metadata/metadata_pane.h"
#include "app/metadata/metadata_tables.h"
#include "app/shell/main_window.h"
#include "app/shell/settings.h"
#include "app/tasks/task_list.h"
#include "app_shell/recording_ui.h"
#include "app_shell/screenshot_compare.h"
#include "platform/com/control_host.h"

namespace {

constexpr QSize kWindowSize(1000, 700);

class MetadataPaneScreenshot : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    QApplication::setApplicationName(QStringLiteral("VelmoraJPEG2000B"));
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 9));
    ASSERT_EQ(std::system((std::string(VELMORA_REGSVR) + " -s " + PICTAVO_LIBRARY).c_str()), 0);
  }
  void SetUp() override {
    QObject::connect(&modalWatch_, &QTimer::timeout, [] {
      if (QWidget* modal = QApplication::activeModalWidget()) {
        ADD_FAILURE() << "a modal window opened: " << modal->windowTitle().toStdString();
        modal->close();
      }
    });
    modalWatch_.start(50);
    metadata::SetMetadataService(&service_);
    shell::subLoadSetup();
    shell::subDeleteSetup();
    window_ = std::make_unique<shell::MainWindow>();
    service_.Attach(window_.get());
    window_->resize(kWindowSize);
    window_->show();
    QApplication::processEvents();
    viewer_ = std::make_unique<browse::Viewer>(*window_, tasks_, *window_->frmFrameDummy->ibTemp);
  }
  void TearDown() override {
    viewer_.reset();
    window_->close();
    window_.reset();
    metadata::SetMetadataService(nullptr);
    modalWatch_.stop();
    EXPECT_TRUE(ui_.messages.empty()) << ui_.messages.front().text.toStdString();
  }

  void Show(const QString& path) {
    auto* item = new QTreeWidgetItem(window_->lvFolder, {QStringLiteral("harbour.jpg")});
    item->setData(0, browse::kRowTagRole, path);
    browse::ListViewRow row(window_->lvFolder, item, browse::RowList::FileList);
    viewer_->subShowSelectedItem(row);
  }
  QImage Drawn() const {
    QApplication::processEvents();
    QImage shot = window_->grab().toImage().convertToFormat(QImage::Format_RGB32);
    for (QWidget* machineDependent :
         {static_cast<QWidget*>(window_->ftvBrowse), static_cast<QWidget*>(window_->lvFolder)})
      QPainter(&shot).fillRect(
          QRect(machineDependent->mapTo(window_.get(), QPoint()), machineDependent->size()),
          Qt::black);
    return shot;
  }

  QTemporaryDir dir_;
  RecordingUi ui_;
  QTimer modalWatch_;
  metadata::MetadataPane service_;
  tasks::TaskList tasks_;
  std::unique_ptr<shell::MainWindow> window_;
  std::unique_ptr<browse::Viewer> viewer_;
};

TEST_F(MetadataPaneScreenshot, AJpegWithExifAndIptcFillsBothLists) {
  const QString path = dir_.filePath(QStringLiteral("harbour.jpg"));
  const std::string file = path.toStdString();
  ASSERT_EQ(std::system(("convert -size 160x120 xc:skyblue -fill orange -draw "
                         "'rectangle 20,20 100,80' " +
                         file)
                            .c_str()),
            0);
  ASSERT_EQ(std::system(("exiftool -q -overwrite_original -Make=Acme -Model=Z1 -Artist=Ann "
                         "'-DateTimeOriginal=2003:07:04 13:05:09' -ExposureTime=0.008 "
                         "-FNumber=2.8 -EXIF:Flash#=16 -IPTC:Caption-Abstract=Harbour "
                         "-IPTC:Keywords=a -IPTC:Keywords=b -IPTC:City=Oslo " +
                         file)
                            .c_str()),
            0);
  EXPECT_EQ(metadata::gstrSoftwareName, QStringLiteral("VelmoraJPEG2000B"));
  Show(path);
  EXPECT_GT(window_->lvExif->topLevelItemCount(), 5);
  EXPECT_EQ(window_->lvIPTC->topLevelItemCount(), 52);
  QImage exif = Drawn();
  window_->tbsMetadata->Tabs()->setCurrentIndex(1);
  EXPECT_TRUE(window_->lvExif->isHidden());
  QImage iptc = Drawn();
  for (const auto& [shot, name] :
       {std::pair{exif, "metadata_pane_exif.png"}, std::pair{iptc, "metadata_pane_iptc.png"}}) {
    const QString golden = QStringLiteral(VELMORA_SOURCE_DIR "/tests/app_metadata/golden/") +
                           QString::fromLatin1(name);
    if (std::getenv("VELMORA_UPDATE_GOLDEN")) {
      ASSERT_TRUE(shot.save(golden));
      continue;
    }
    const QImage expected = QImage(golden).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(shot.size(), expected.size()) << name;
    EXPECT_LT(ShareOfDifferentPixels(shot, expected), 0.002) << name;
  }
}

}  // namespace
