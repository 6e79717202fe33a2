// Scanning and capturing into the basket on a shown main window under a real X server: SANE's
// test backend is the scanner, scanimage on the same backend and ImageMagick's identify are the
// referees for the written files.
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <cstdlib>
#include <fstream>
#include <set>

#include "app/browse/row_tag.h"
#include "control/activex/imagebox_interface.h"
#include "graphics/referee.h"
#include "output_fixture.h"

namespace {

using velmora_test::OutputFixture;

// SANE reads the folder SANE_CONFIG_DIR names once a process, and its files each time it starts:
// the tests own a copy of the scanning tests' configuration with one device, and empty its
// backend list to take the scanner away.
class SaneFolder {
 public:
  SaneFolder() {
    const QString source = QStringLiteral(VELMORA_SOURCE_DIR "/tests/scan_sane/sane.d");
    base_ = source + "/test.conf";
    WithBackend(true);
    WithReadStatus("\"Default\"");
    ::setenv("SANE_CONFIG_DIR", dir_.path().toLocal8Bit().constData(), 1);
  }
  // The status every read of the page ends with; a later line of test.conf wins.
  void WithReadStatus(const std::string& status) {
    QFile::remove(dir_.filePath("test.conf"));
    QFile::copy(base_, dir_.filePath("test.conf"));
    std::ofstream(dir_.filePath("test.conf").toStdString(), std::ios::app)
        << "number_of_devices 1\nread-status-code " << status << "\n";
  }
  void WithBackend(bool present) {
    std::ofstream(dir_.filePath("dll.conf").toStdString()) << (present ? "test\n" : "");
  }

 private:
  QTemporaryDir dir_;
  QString base_;
};

SaneFolder& Sane() {
  static SaneFolder folder;
  return folder;
}

class BasketAcquireTest : public OutputFixture {
 protected:
  void SetUp() override {
    Sane();
    OutputFixture::SetUp();
    out_ = File("out");  // made by the first image
    shell::gCaptureTarget = {out_, QStringLiteral("Shot")};
    shell::gTwainTarget = {out_, QStringLiteral("Page")};
  }
  void TearDown() override {
    pictavo::ax::ImageBoxProxy(window_->ibTemp->Dispatch()).UnloadTwain();
    Sane().WithBackend(true);
    Sane().WithReadStatus("\"Default\"");
    OutputFixture::TearDown();
  }
  int Rows() const { return window_->lvPages->topLevelItemCount(); }
  QString RowPath(int index) const { return Row(index)->data(0, browse::kRowTagRole).toString(); }
  QStringList Written() const { return QDir(out_).entryList(QDir::Files, QDir::Name); }
  QAction* BatchItem(int index) { return outputs_->Basket().mnuBatchParent()->actions().at(index); }
  QString out_;
};

std::string IdentifySize(const QString& path) {
  return velmora_test::Capture("identify -format '%m %w %h' '" + path.toStdString() + "'");
}

TEST_F(BasketAcquireTest, TheScanButtonAddsARowOfAPngAtTheBackendsSize) {
  const std::string page =
      velmora_test::Capture("scanimage -d test:0 --format=pnm | identify -format '%w %h' -");
  ASSERT_FALSE(page.empty()) << "scanimage gave no page";

  window_->cmdTwainAcquire->click();
  ASSERT_EQ(Rows(), 1);
  EXPECT_TRUE(ui_.messages.empty());
  const QString path = RowPath(0);
  EXPECT_EQ(path, QDir(out_).filePath("Page1.png"));
  EXPECT_EQ(IdentifySize(path), "PNG " + page);
  EXPECT_EQ(window_->cmdTwainAcquire->toolTip(),
            QStringLiteral("Source raw images from twain devices"));
}

TEST_F(BasketAcquireTest, TwoCapturesAddTwoRowsOfScreenSizedPngsWithDistinctNames) {
  // The first name is taken by a file of the user's: it stays as it was.
  ASSERT_TRUE(QDir().mkpath(out_));
  std::ofstream(QDir(out_).filePath("Shot1.png").toStdString()) << "mine";
  window_->cmdCapture->click();
  BatchItem(8)->trigger();  // "Capture..", with one row in the basket
  ASSERT_EQ(Rows(), 2);
  EXPECT_TRUE(ui_.messages.empty());
  EXPECT_EQ(QFileInfo(QDir(out_).filePath("Shot1.png")).size(), 4);
  const std::set<QString> paths{RowPath(0), RowPath(1)};
  EXPECT_EQ(paths, (std::set<QString>{QDir(out_).filePath("Shot2.png"),
                                      QDir(out_).filePath("Shot3.png")}));
  for (const QString& path : paths)
    EXPECT_EQ(IdentifySize(path), "PNG 1024 768") << path.toStdString();
  EXPECT_EQ(window_->cmdCapture->toolTip(),
            QStringLiteral("Source raw images from capture utility"));
}

TEST_F(BasketAcquireTest, WithoutAScannerTheMessageComesAndNoRow) {
  Sane().WithBackend(false);
  pictavo::ax::ImageBoxProxy(window_->ibTemp->Dispatch()).UnloadTwain();
  BatchItem(7)->trigger();  // "Acquire from twain devices"
  EXPECT_EQ(Rows(), 0);
  EXPECT_TRUE(Written().isEmpty()) << Written().join(' ').toStdString();
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_TRUE(ui_.messages[0].text.startsWith(QStringLiteral("No scanner or camera was found.")));
}

TEST_F(BasketAcquireTest, AFolderThatCannotBeWrittenGivesTheMessageAndNoRow) {
  // A path running through a regular file cannot hold a folder, even for root.
  std::ofstream(File("plain").toStdString()) << "x";
  shell::gCaptureTarget.Folder = File("plain") + "/sub";
  window_->cmdCapture->click();
  EXPECT_EQ(Rows(), 0);
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_TRUE(ui_.messages[0].text.startsWith(QStringLiteral("The image could not be saved")));
}

// Last: the test backend ends a cancelled read on a thread of its own, which now and then leaves
// a later scan of the same process stuck.
TEST_F(BasketAcquireTest, ACancelledScanGivesTheMessageAndNoRow) {
  Sane().WithReadStatus("\"SANE_STATUS_CANCELLED\"");
  pictavo::ax::ImageBoxProxy(window_->ibTemp->Dispatch()).UnloadTwain();
  window_->cmdTwainAcquire->click();
  EXPECT_EQ(Rows(), 0);
  EXPECT_TRUE(Written().isEmpty()) << Written().join(' ').toStdString();
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_TRUE(ui_.messages[0].text.startsWith(QStringLiteral("No image was scanned.")));
}

}  // namespace
