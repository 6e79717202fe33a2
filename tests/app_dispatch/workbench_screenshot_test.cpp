// What the user sees when work goes wrong, on a real X server, compared with pictures checked by
// eye: the summary a batch conversion ends with, and the marked row of a damaged file with its
// reason on hover. Runs under xvfb-run; VELMORA_UPDATE_GOLDEN=1 rewrites the pictures.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolTip>
#include <QTreeWidget>
#include <cstdlib>

#include "app/browse/folder_browser.h"
#include "app/output/batch_jpeg2000.h"
#include "app/shell/main_window.h"
#include "app/shell/settings.h"
#include "app/tasks/task_list.h"
#include "app_shell/screenshot_compare.h"
#include "control/activex/imagebox_interface.h"
#include "platform/com/control_host.h"

namespace {

const char* const kSummaryGolden =
    VELMORA_SOURCE_DIR "/tests/app_dispatch/golden/batch_summary.png";
const char* const kDamagedGolden = VELMORA_SOURCE_DIR "/tests/app_dispatch/golden/damaged_row.png";

void Make(const std::string& operations, const QString& path) {
  const std::string command = "convert " + operations + " '" + path.toStdString() + "'";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

class WorkbenchScreenshot : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    QApplication::setStyle(QStyleFactory::create("Fusion"));
    QApplication::setFont(QFont("DejaVu Sans", 9));
    QCoreApplication::setApplicationName("VelmoraJPEG2000B");
    ASSERT_EQ(std::system((std::string(VELMORA_REGSVR) + " -s " + PICTAVO_LIBRARY).c_str()), 0);
  }
  void SetUp() override {
    ASSERT_EQ(QGuiApplication::platformName(), "xcb") << "run under xvfb-run";
    shell::gSetup = shell::DefaultSetupRecord();
  }
  QString File(const QString& name) const { return dir_.filePath(name); }
  QTemporaryDir dir_;
};

// A run of four: two converted, one whose output exists (overwriting off), one damaged file.
TEST_F(WorkbenchScreenshot, BatchSummary) {
  Make("-size 40x30 xc:red", File("sunset.png"));
  Make("-size 40x30 xc:blue", File("harbour.png"));
  Make("-size 40x30 xc:lime", File("meadow.png"));
  QFile broken(File("letter.png"));
  ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
  broken.write("\x89PNG\r\n\x1a\n cut short");
  broken.close();
  QFile existing(File("meadow.jp2"));
  ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
  existing.write("kept");
  existing.close();
  auto& options = shell::gSetup.BatchNamingOptions;
  options.DestinationMode = 0;
  options.Overwrite = 0;
  QList<browse::BasketItem> basket;
  for (const char* name : {"sunset", "harbour", "meadow", "letter"}) {
    const QString path = File(QString::fromUtf8(name) + ".png");
    basket.append({QString::fromUtf8(name), path, -1, {}, {}, {}, path});
  }
  plat::com::ControlHost control;
  control.SetControl(QString::fromUtf16(pictavo::ax::kImageBoxProgId));
  QProgressBar progress;
  QImage picture;
  bool seen = false;
  QTimer look;
  QObject::connect(&look, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr || seen) return;
    seen = true;
    look.stop();
    ExpectWindowMatchesGolden(*box, kSummaryGolden);
    box->accept();
  });
  look.start(20);
  modJPEG2000Common::fncSaveSinglePage(basket, tasks::TaskList(), control, progress, picture);
  EXPECT_TRUE(seen);
}

// The thumbnail view keeps the row of a damaged file, marked, and says why on hover.
TEST_F(WorkbenchScreenshot, DamagedFileRow) {
  ASSERT_TRUE(QDir().mkpath(File("folder")));
  Make("-size 60x40 gradient:orange-purple", File("folder/autumn.png"));
  QFile broken(File("folder/broken.jpg"));
  ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
  broken.write("\xFF\xD8\xFF not a whole JPEG");
  broken.close();
  shell::glThumbWidth = 40;
  shell::glThumbHeight = 40;

  QWidget window;
  window.resize(640, 130);
  QTreeWidget list(&window);
  list.setGeometry(0, 0, 640, 130);
  list.setColumnCount(8);
  list.setHeaderLabels({"File Name", "Resolution", "Size", "Pages", "Type", "Date Created",
                        "Date Modified", "Date Accessed"});
  list.setColumnWidth(0, 150);
  QLabel panel;
  QProgressBar bar;
  QPushButton cancel;
  browse::FolderBrowser browser({&list, &panel, &bar, &cancel}, {});
  QSignalSpy ended(&browser, &browse::FolderBrowser::ListingEnded);
  browser.subShowFilesInFolder(File("folder"));
  if (ended.isEmpty()) {
    ASSERT_TRUE(ended.wait(30000));
  }
  ASSERT_EQ(list.topLevelItemCount(), 2);
  QTreeWidgetItem* damaged = list.topLevelItem(1);
  ASSERT_EQ(damaged->text(0), QStringLiteral("broken.jpg"));
  // Sizes and dates change from run to run: the picture shows the name, the mark and the reason.
  for (int column = 1; column < list.columnCount(); ++column) list.hideColumn(column);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  const QRect row = list.visualItemRect(damaged);
  QToolTip::showText(list.viewport()->mapToGlobal(QPoint(row.left() + 20, row.center().y())),
                     damaged->toolTip(0), list.viewport());
  QTest::qWait(300);
  const QPoint origin = window.mapToGlobal(QPoint(0, 0));
  const QImage shot = window.screen()
                          ->grabWindow(0, origin.x(), origin.y(), 640, 130)
                          .toImage()
                          .convertToFormat(QImage::Format_RGB32);
  if (std::getenv("VELMORA_UPDATE_GOLDEN")) {
    ASSERT_TRUE(shot.save(kDamagedGolden));
    return;
  }
  const QImage expected = QImage(kDamagedGolden).convertToFormat(QImage::Format_RGB32);
  ASSERT_EQ(shot.size(), expected.size());
  EXPECT_LT(ShareOfDifferentPixels(shot, expected), 0.002);
}

}  // namespace
