// The viewer on a hidden main window with real ImageBox controls: which way each file is read,
// the shown path and snapshot, the details row, the metadata pane and panel, previous and next,
// the fit and view choices and the scroll bars. ImageMagick writes the fixtures and decides the
// expected pixels.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <cstdlib>
#include <memory>
#include <ostream>
#include <string>

#include "app/browse/folder_browser.h"
#include "app/browse/folder_pane.h"
#include "app/browse/viewer/viewer.h"
#include "app/browse/viewer/viewer_pane.h"
#include "app/metadata/metadata_service.h"
#include "app/shell/main_window.h"
#include "app/shell/settings.h"
#include "app/tasks/task_list.h"
#include "app_shell/recording_ui.h"
#include "control/activex/imagebox_interface.h"
#include "platform/com/control_host.h"
#include "support/control_pixels.h"
#include "support/folder_listing.h"
#include "support/qstring_print.h"

namespace {

using browse::ListViewRow;
using browse::RowList;
using browse::Viewer;
using pictavo::ax::ImageBoxProxy;
using shell::MainWindow;

// Writes `path` with ImageMagick at 8 bits per sample (the control reads no 16-bit TIFF).
void Make(const QString& operations, const QString& path) {
  const std::string command =
      "convert " + operations.toStdString() + " -depth 8 '" + path.toStdString() + "'";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

QImage Pixels(plat::com::ControlHost* control) {
  ImageBoxProxy box(control->Dispatch());
  return ::Pixels(box);
}
// The file as ImageMagick decodes it, for comparing pixels.
QImage Referee(const QString& path, const QString& operation = {}) {
  const QString out = path + QStringLiteral(".referee.png");
  EXPECT_EQ(std::system(("convert '" + path.toStdString() + "[0]' " + operation.toStdString() +
                         " PNG24:'" + out.toStdString() + "'")
                            .c_str()),
            0);
  const QImage image = QImage(out).convertToFormat(QImage::Format_RGB32);
  QFile::remove(out);
  return image;
}

// Fills the EXIF list with one row when asked to; IPTC comes from the control's own flag.
class MetadataStandIn final : public metadata::MetadataService {
 public:
  void subInitMetadataTables() override {}
  void ReadFileEXIFInfo(plat::com::ControlHost*, QTreeWidget* list, const QString&) override {
    if (exifRows) new QTreeWidgetItem(list, {QStringLiteral("Make"), QStringLiteral("x")});
  }
  void ReadFileIPTCInfo(plat::com::ControlHost*, QTreeWidget*, const QString&) override {}
  void cmdEXIFBar_Click(int16_t) override {}
  void cmdIPTCBar_Click(int16_t) override {}
  bool exifRows = false;
};

class ViewerTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    QApplication::setApplicationName(QStringLiteral("VelmoraJPEG2000B"));
    ASSERT_EQ(std::system((std::string(VELMORA_REGSVR) + " -s " + PICTAVO_LIBRARY).c_str()), 0);
  }
  void SetUp() override {
    shell::subLoadSetup();
    shell::subDeleteSetup();
    window_ = std::make_unique<MainWindow>();
    window_->resize(800, 600);
    window_->show();
    QApplication::processEvents();
    viewer_ = std::make_unique<Viewer>(*window_, tasks_, *window_->frmFrameDummy->ibTemp);
    ui_.messages.clear();  // the start-up's own notes are not the viewer's
  }
  void TearDown() override {
    metadata::SetMetadataService(nullptr);
    viewer_.reset();
    window_.reset();
  }

  QString File(const QString& name) const { return dir_.filePath(name); }
  // A row of the file list for `path`, with the columns the header probe would have filled.
  QTreeWidgetItem* AddRow(QTreeWidget* list, const QString& path,
                          const QString& resolution = QStringLiteral("1 X 1 X 72")) {
    auto* item = new QTreeWidgetItem(list, {QFileInfo(path).fileName(), resolution,
                                            QStringLiteral("1.00KB"), QStringLiteral("3")});
    item->setData(0, browse::kRowTagRole, path);
    return item;
  }
  void Show(const QString& path) {
    ListViewRow row(window_->lvFolder, AddRow(window_->lvFolder, path), RowList::FileList);
    viewer_->subShowSelectedItem(row);
  }
  testing::AssertionResult NoMessages() const {
    if (ui_.messages.empty()) return testing::AssertionSuccess();
    return testing::AssertionFailure() << ui_.messages.front().text.toStdString();
  }
  ImageBoxProxy Box() const { return ImageBoxProxy(window_->ibMain->Dispatch()); }
  QString LastFileName() const { return QString::fromStdString(Box().get_LastFileName().Utf8()); }
  QString Panel(const char* key) const { return window_->Panel(QString::fromUtf8(key))->text(); }

  QTemporaryDir dir_;
  RecordingUi ui_;
  tasks::TaskList tasks_;
  std::unique_ptr<MainWindow> window_;
  std::unique_ptr<Viewer> viewer_;
};

TEST_F(ViewerTest, ShownRowIsNotReadAgainButAStoppedOneIs) {
  const QString path = File(QStringLiteral("a.tif"));
  Make("-size 40x30 xc:red", path);
  ListViewRow row(window_->lvFolder, AddRow(window_->lvFolder, path), RowList::FileList);
  viewer_->subShowSelectedItem(row);
  ASSERT_EQ(viewer_->ShownPath(), path);
  const QByteArray snapshot = viewer_->OriginalSnapshot();
  EXPECT_FALSE(snapshot.isEmpty());
  // A changed file on disk shows whether the click reads it again.
  Make("-size 50x20 xc:blue", path);
  Box().Clear();
  viewer_->subShowSelectedItem(row);
  EXPECT_FALSE(plat::com::IsTrue(Box().get_ImageLoaded()));
  EXPECT_EQ(viewer_->OriginalSnapshot(), snapshot);

  // A blank page stops the read; the same row then reads again.
  const QString blank = File(QStringLiteral("blank.tif"));
  Make("-size 40x30 xc:white", blank);
  ListViewRow blankRow(window_->lvFolder, AddRow(window_->lvFolder, blank), RowList::FileList);
  viewer_->subShowSelectedItem(blankRow);
  EXPECT_TRUE(viewer_->ShownPath().isEmpty());
  Make("-size 40x30 xc:gray", blank);
  viewer_->subShowSelectedItem(blankRow);
  EXPECT_EQ(viewer_->ShownPath(), blank);
  EXPECT_EQ(LastFileName(), blank);
}

struct Route {
  const char* name;
  const char* format;  // ImageMagick's output prefix
  bool byControl;
};

TEST_F(ViewerTest, EachExtensionGoesItsWay) {
  const Route routes[] = {{"r.tif", "TIFF", true},  {"r.tiff", "TIFF", true},
                          {"r.jpg", "JPEG", true},  {"r.jpeg", "JPEG", true},
                          {"r.bmp", "BMP3", false}, {"r.png", "PNG24", false},
                          {"r.gif", "GIF", false},  {"r.pcx", "PCX", false},
                          {"r.psd", "PSD", false},  {"r.wbmp", "WBMP", false}};
  for (const Route& route : routes) {
    SCOPED_TRACE(route.name);
    const QString path = File(QString::fromUtf8(route.name));
    Make(QStringLiteral("-size 48x32 gradient:black-white -type Grayscale"),
         QString::fromUtf8(route.format) + QLatin1Char(':') + path);
    Show(path);
    EXPECT_EQ(viewer_->ShownPath(), path);
    EXPECT_EQ(Box().get_ImageWidth(), 48);
    EXPECT_EQ(Box().get_ImageHeight(), 32);
    // The control names the file it loaded itself; a handed-over bitmap has no file name.
    EXPECT_EQ(LastFileName() == path, route.byControl);
    EXPECT_EQ(viewer_->PicTiffPicture().size() == QSize(48, 32), !route.byControl);
    EXPECT_EQ(window_->ibMain->property("Tag").toString(), path);
    EXPECT_EQ(Panel("filename"), QFileInfo(path).fileName());
  }
  EXPECT_TRUE(NoMessages());
}

// A file the control refuses (its failure code) goes to the loader without a message.
TEST_F(ViewerTest, RefusedJpegFallsBackToTheLoader) {
  // The control reads no 16-bit TIFF; Qt's reader does.
  const QString foreign = File(QStringLiteral("deep.tif"));
  ASSERT_EQ(std::system(("convert -size 36x28 gradient:black-white -depth 16 '" +
                         foreign.toStdString() + "'")
                            .c_str()),
            0);
  Show(foreign);
  EXPECT_EQ(viewer_->ShownPath(), foreign);
  EXPECT_EQ(viewer_->PicTiffPicture().size(), QSize(36, 28));
  EXPECT_EQ(Box().get_ImageWidth(), 36);
  EXPECT_NE(LastFileName(), foreign);

  // Cut inside its header, neither the control nor the loader can read it.
  const QString whole = File(QStringLiteral("whole.jpg"));
  Make("-size 64x64 plasma:fractal -quality 90", whole);
  QFile in(whole);
  ASSERT_TRUE(in.open(QIODevice::ReadOnly));
  const QString cut = File(QStringLiteral("cut.jpg"));
  QFile out(cut);
  ASSERT_TRUE(out.open(QIODevice::WriteOnly));
  out.write(in.read(100));
  out.close();
  Show(cut);
  EXPECT_TRUE(viewer_->ShownPath().isEmpty());
  EXPECT_FALSE(plat::com::IsTrue(Box().get_ImageLoaded()));
  EXPECT_TRUE(NoMessages());
}

TEST_F(ViewerTest, UnreadableOrVanishedFilesLeaveTheViewEmptyAndSayWhy) {
  const QString good = File(QStringLiteral("good.png"));
  Make("-size 20x20 xc:green", good);
  Show(good);
  ASSERT_EQ(viewer_->ShownPath(), good);
  const QString bad = File(QStringLiteral("bad.png"));
  QFile file(bad);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("\x89PNG\r\n\x1a\n not really a picture");
  file.close();
  Show(bad);
  EXPECT_FALSE(plat::com::IsTrue(Box().get_ImageLoaded()));
  EXPECT_TRUE(viewer_->ShownPath().isEmpty());
  EXPECT_TRUE(viewer_->OriginalSnapshot().isEmpty());
  EXPECT_EQ(window_->ibMain->property("Tag").toString(), QString());
  EXPECT_TRUE(
      Panel("filename")
          .startsWith(QStringLiteral("Cannot show bad.png: The file is damaged or not an image")))
      << Panel("filename").toStdString();
  EXPECT_TRUE(NoMessages());

  // A file deleted since it was listed says so, whichever way it would have been read.
  for (const char* name : {"gone.png", "gone.jpg"}) {
    const QString gone = File(QString::fromUtf8(name));
    Make("-size 20x20 xc:green", gone);
    ASSERT_TRUE(QFile::remove(gone));
    Show(gone);
    EXPECT_TRUE(viewer_->ShownPath().isEmpty());
    EXPECT_EQ(Panel("filename"), QStringLiteral("Cannot show ") + QString::fromUtf8(name) +
                                     QStringLiteral(": The file no longer exists."));
  }
}

TEST_F(ViewerTest, UnknownResolutionIsFilledFromTheImage) {
  const QString path = File(QStringLiteral("dpi.tif"));
  Make("-size 640x480 xc:gray -units PixelsPerInch -density 96", path);
  QTreeWidgetItem* unknown = AddRow(window_->lvFolder, path, QStringLiteral("0 X 0 X 0"));
  ListViewRow row(window_->lvFolder, unknown, RowList::FileList);
  viewer_->subShowSelectedItem(row);
  EXPECT_EQ(unknown->text(1), QStringLiteral("640 X 480 X 96"));
  // A known resolution stays as the list has it.
  const QString other = File(QStringLiteral("dpi2.tif"));
  Make("-size 64x48 xc:gray -units PixelsPerInch -density 96", other);
  QTreeWidgetItem* known = AddRow(window_->lvFolder, other, QStringLiteral("7 X 7 X 7"));
  ListViewRow knownRow(window_->lvFolder, known, RowList::FileList);
  viewer_->subShowSelectedItem(knownRow);
  EXPECT_EQ(known->text(1), QStringLiteral("7 X 7 X 7"));
}

TEST_F(ViewerTest, PanelsDescribeTheShownRowFromEitherList) {
  const QString a = File(QStringLiteral("a.png"));
  const QString b = File(QStringLiteral("b.png"));
  Make("-size 20x20 xc:green", a);
  Make("-size 30x30 xc:blue", b);
  QTreeWidgetItem* fileRow = AddRow(window_->lvFolder, a, QStringLiteral("20 X 20 X 72"));
  window_->lvFolder->setCurrentItem(fileRow);
  auto* basketItem = new QTreeWidgetItem(
      window_->lvPages, {QStringLiteral("b"), QStringLiteral("30 X 30"), QStringLiteral("2KB")});
  basketItem->setData(0, browse::kRowTagRole, b);
  ListViewRow basketRow(window_->lvPages, basketItem, RowList::Basket);
  viewer_->subShowSelectedItem(basketRow);
  EXPECT_EQ(Panel("resolution"), QStringLiteral("30 X 30     2KB"));
  EXPECT_EQ(Panel("pages"), QString());
  ListViewRow row(window_->lvFolder, fileRow, RowList::FileList);
  viewer_->subShowSelectedItem(row);
  EXPECT_EQ(Panel("resolution"), QStringLiteral("20 X 20 X 72     1.00KB"));
  EXPECT_EQ(Panel("pages"), QStringLiteral("3 page(s)"));
}

TEST_F(ViewerTest, MetadataPaneFollowsTheExtension) {
  struct Case {
    const char* name;
    shell::Arrangement arrangement;
    int tab;
    bool stripEnabled;
  };
  const Case cases[] = {
      {"m1.jpg", shell::Arrangement::BrowseMetadataShown, 0, true},
      {"m.psd", shell::Arrangement::BrowseMetadataShown, 1, false},
      {"m.bmp", shell::Arrangement::BrowseMetadataHidden, 1, true},
      {"m2.jpg", shell::Arrangement::BrowseMetadataShown, 0, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const QString path = File(QString::fromUtf8(c.name));
    Make("-size 20x20 xc:green", path);
    Show(path);
    EXPECT_EQ(window_->CurrentArrangement(), c.arrangement);
    EXPECT_EQ(window_->tbsMetadata->Tabs()->currentIndex(), c.tab);
    EXPECT_EQ(window_->tbsMetadata->isEnabled(), c.stripEnabled);
    EXPECT_EQ(Panel("metadata"), QStringLiteral("No metadata"));
  }
}

TEST_F(ViewerTest, MetadataPanelNamesWhatTheFileCarries) {
  MetadataStandIn standIn;
  metadata::SetMetadataService(&standIn);
  const QString plain = File(QStringLiteral("plain.jpg"));
  const QString tagged = File(QStringLiteral("tagged.jpg"));
  Make("-size 20x20 xc:green", plain);
  Make("-size 20x20 xc:green", tagged);
  ASSERT_EQ(std::system(("exiftool -q -overwrite_original -IPTC:Keywords=viewer '" +
                         tagged.toStdString() + "'")
                            .c_str()),
            0);
  Show(plain);
  EXPECT_EQ(Panel("metadata"), QStringLiteral("No metadata"));
  standIn.exifRows = true;
  Show(tagged);
  EXPECT_EQ(Panel("metadata"), QStringLiteral("Metadata - EXIF IPTC"));
  standIn.exifRows = false;
  Show(plain);
  Show(tagged);
  EXPECT_EQ(Panel("metadata"), QStringLiteral("Metadata -  IPTC"));
}

TEST_F(ViewerTest, BlankTiffIsNotTakenAsShown) {
  const QString before = File(QStringLiteral("before.png"));
  Make("-size 20x20 xc:green", before);
  Show(before);
  ASSERT_FALSE(viewer_->OriginalSnapshot().isEmpty());
  const QString blank = File(QStringLiteral("blank.tif"));
  Make("-size 3000x2000 xc:white", blank);
  Show(blank);
  EXPECT_TRUE(plat::com::IsTrue(Box().get_ImageLoaded()));
  EXPECT_EQ(Box().get_ImageWidth(), 3000);
  EXPECT_TRUE(viewer_->ShownPath().isEmpty());
  EXPECT_TRUE(viewer_->OriginalSnapshot().isEmpty());
  EXPECT_EQ(window_->ibMain->property("Tag").toString(), QString());
  EXPECT_EQ(Panel("filename"), QStringLiteral("No file selected"));
}

TEST_F(ViewerTest, PreviousAndNextWalkTheList) {
  QStringList paths;
  for (const char* name : {"p0.png", "p1.png", "p2.png"}) {
    paths << File(QString::fromUtf8(name));
    Make("-size 10x10 xc:green", paths.back());
    AddRow(window_->lvFolder, paths.back());
  }
  QTreeWidget* list = window_->lvFolder;
  list->topLevelItem(0)->setSelected(true);
  viewer_->subShowPreviousItem(list);
  EXPECT_TRUE(viewer_->ShownPath().isEmpty());
  viewer_->cmdPreviewNext_Click();
  EXPECT_EQ(viewer_->ShownPath(), paths[1]);
  EXPECT_EQ(list->selectedItems(), QList<QTreeWidgetItem*>{list->topLevelItem(1)});
  viewer_->subShowNextItem(list);
  EXPECT_EQ(viewer_->ShownPath(), paths[2]);
  viewer_->subShowNextItem(list);
  EXPECT_EQ(viewer_->ShownPath(), paths[2]);
  EXPECT_EQ(list->selectedItems(), QList<QTreeWidgetItem*>{list->topLevelItem(2)});
  viewer_->cmdPreviewPrevious_Click();
  EXPECT_EQ(viewer_->ShownPath(), paths[1]);

  // The basket is walked when it had the focus last; a one-row list goes nowhere.
  QTreeWidgetItem* only = AddRow(window_->lvPages, paths[0]);
  only->setSelected(true);
  viewer_->mstrFocusedList = QStringLiteral("lvPages");
  viewer_->cmdPreviewNext_Click();
  viewer_->cmdPreviewPrevious_Click();
  EXPECT_EQ(viewer_->ShownPath(), paths[1]);
}

TEST_F(ViewerTest, FitChoicesZoomTheShownImage) {
  const QString big = File(QStringLiteral("big.png"));
  Make("-size 3000x2000 gradient:red-blue", big);
  viewer_->mnuPreviewFit_Click(0);  // ticked already: nothing
  Show(big);
  viewer_->mnuPreviewFit_Click(1);
  EXPECT_DOUBLE_EQ(Box().get_Zoom(), 100.0);
  EXPECT_FALSE(plat::com::IsTrue(Box().get_AutoZoom()));
  EXPECT_EQ(Panel("status"), QStringLiteral("100%"));
  EXPECT_EQ(window_->cmdPreviewView->text(), QStringLiteral("    Actual Size"));
  EXPECT_EQ(Box().get_ZoomedWidth(), 3000);

  // The scroll bars move the control by their value.
  window_->vsbView->setValue(120);
  EXPECT_EQ(window_->ibMain->y(), -120);
  window_->hsbView->setValue(200);
  EXPECT_EQ(window_->ibMain->x(), -200);

  viewer_->mnuPreviewFit_Click(0);
  EXPECT_TRUE(plat::com::IsTrue(Box().get_AutoZoom()));
  EXPECT_LE(Box().get_ZoomedWidth(), window_->PicViewImage->width());
  EXPECT_LE(Box().get_ZoomedHeight(), window_->PicViewImage->height());
  EXPECT_GT(Box().get_ZoomedWidth(), 0);
  EXPECT_EQ(window_->cmdPreviewView->text(), QStringLiteral("    Best Fit"));
  // The menu item ticks through the handler, not by itself.
  window_->mnuPreviewFit->actions()[1]->trigger();
  EXPECT_TRUE(window_->mnuPreviewFit->actions()[1]->isChecked());
  EXPECT_FALSE(window_->mnuPreviewFit->actions()[0]->isChecked());
  EXPECT_DOUBLE_EQ(Box().get_Zoom(), 100.0);
  window_->mnuPreviewFit->actions()[1]->trigger();
  EXPECT_TRUE(window_->mnuPreviewFit->actions()[1]->isChecked());
}

// One pair of scroll bars at most shows in the view, whoever owns it (the view or the control),
// and only the bars that have something to scroll: none for an image that fits.
TEST_F(ViewerTest, OnlyTheBarsThatScrollShow) {
  struct Case {
    const char* name;
    const char* size;
    int fit;  // 0 "Best Fit", 1 "Actual Size"
    int horizontal, vertical;
  } cases[] = {{"large at actual size", "3000x2000", 1, 1, 1},
               {"large at best fit", "3000x2000", 0, 0, 0},
               {"wide at actual size", "3000x40", 1, 1, 0},
               {"tall at actual size", "40x3000", 1, 0, 1},
               {"small at actual size", "40x30", 1, 0, 0}};
  for (const Case& c : cases) {
    const QString path = File(QStringLiteral("%1.png").arg(QString::fromLatin1(c.size)));
    Make(QStringLiteral("-size %1 gradient:red-blue").arg(QString::fromLatin1(c.size)), path);
    viewer_->mnuPreviewFit_Click(c.fit);
    Show(path);
    QApplication::processEvents();
    int horizontal = 0, vertical = 0;
    for (const QScrollBar* bar : window_->picView->findChildren<QScrollBar*>())
      if (bar->isVisible()) ++(bar->orientation() == Qt::Horizontal ? horizontal : vertical);
    EXPECT_EQ(horizontal, c.horizontal) << c.name;
    EXPECT_EQ(vertical, c.vertical) << c.name;
  }
  EXPECT_TRUE(NoMessages());
}

class ViewTypeTest : public ViewerTest {
 protected:
  void SetUp() override {
    ViewerTest::SetUp();
    tasks::TaskRow negative;
    negative.Text = QStringLiteral("11");
    tasks_.AppendRow(negative);
    viewer_->mnuPreviewType_Click(0);
  }
};

TEST_F(ViewTypeTest, OriginalAndOptimizedPutBackOrReplay) {
  const QString path = File(QStringLiteral("t.png"));
  Make("-size 32x24 xc:red -fill yellow +antialias -draw 'rectangle 0,0 9,9'", path);
  Show(path);
  const QImage original = Referee(path);
  const QImage negated = Referee(path, QStringLiteral("-negate"));
  ASSERT_TRUE(SamePixels(Pixels(window_->ibMain), original));
  viewer_->mnuPreviewType_Click(1);
  EXPECT_TRUE(window_->mbOptimizedView);
  EXPECT_TRUE(SamePixels(Pixels(window_->ibMain), negated));
  EXPECT_EQ(window_->cmdPreviewType->text(), QStringLiteral("     Optimized"));
  viewer_->mnuPreviewType_Click(1);  // ticked already: not replayed twice
  EXPECT_TRUE(SamePixels(Pixels(window_->ibMain), negated));
  viewer_->mnuPreviewType_Click(0);
  EXPECT_FALSE(window_->mbOptimizedView);
  EXPECT_TRUE(SamePixels(Pixels(window_->ibMain), original));

  // Every read in the Optimized view is replayed; the snapshot keeps the image as read.
  viewer_->mnuPreviewType_Click(1);
  const QString next = File(QStringLiteral("u.tif"));
  Make("-size 16x16 xc:blue -fill lime +antialias -draw 'rectangle 4,4 9,9'", next);
  Show(next);
  EXPECT_TRUE(SamePixels(Pixels(window_->ibMain), Referee(next, QStringLiteral("-negate"))));
  ImageBoxProxy(window_->ibTemp->Dispatch())
      .ReadBinary(pictavo::ax::TxGraphicsFormat(7),
                  plat::com::ToVariant(viewer_->OriginalSnapshot()));
  EXPECT_TRUE(SamePixels(Pixels(window_->ibTemp), Referee(next)));
}

TEST_F(ViewTypeTest, WithoutAnImageOnlyTheChoiceChanges) {
  viewer_->mnuPreviewType_Click(1);
  EXPECT_TRUE(window_->mbOptimizedView);
  EXPECT_TRUE(window_->mnuPreviewType->actions()[1]->isChecked());
  EXPECT_FALSE(window_->mnuPreviewType->actions()[0]->isChecked());
  EXPECT_EQ(window_->cmdPreviewType->text(), QStringLiteral("     Optimized"));
  viewer_->mnuPreviewType_Click(0);
  EXPECT_FALSE(window_->mbOptimizedView);
  EXPECT_EQ(window_->cmdPreviewType->text(), QStringLiteral("     Original"));
  EXPECT_FALSE(plat::com::IsTrue(Box().get_ImageLoaded()));
  EXPECT_TRUE(NoMessages());
}

TEST_F(ViewTypeTest, ShowDuringTheReplayStopsItFirst) {
  const QString a = File(QStringLiteral("ra.png"));
  const QString b = File(QStringLiteral("rb.png"));
  Make("-size 20x20 xc:red -fill white +antialias -draw 'rectangle 2,2 5,5'", a);
  Make("-size 24x16 xc:blue -fill white +antialias -draw 'rectangle 3,3 7,7'", b);
  viewer_->mnuPreviewType_Click(1);
  // The second show arrives while the replay of the first yields.
  QTimer::singleShot(0, [&] { Show(b); });
  Show(a);
  EXPECT_EQ(viewer_->ShownPath(), b);
  EXPECT_EQ(window_->ibMain->property("Tag").toString(), b);
  EXPECT_TRUE(SamePixels(Pixels(window_->ibMain), Referee(b, QStringLiteral("-negate"))));
  ImageBoxProxy(window_->ibTemp->Dispatch())
      .ReadBinary(pictavo::ax::TxGraphicsFormat(7),
                  plat::com::ToVariant(viewer_->OriginalSnapshot()));
  EXPECT_TRUE(SamePixels(Pixels(window_->ibTemp), Referee(b)));
}

// The program's own wiring: a row picked in the listed folder reaches ibMain through the pane.
TEST_F(ViewerTest, RowPickedInTheFileListIsShownThroughThePane) {
  viewer_.reset();
  browse::FolderBrowser* browser = browse::AttachFolderBrowser(*window_);
  browse::ViewerPane pane(*window_, *browser);
  Make(QStringLiteral("-size 40x30 xc:red"), File(QStringLiteral("a.png")));
  Make(QStringLiteral("-size 24x16 gradient:blue-yellow"), File(QStringLiteral("b.png")));
  ASSERT_TRUE(ListFolderAsTheTreeDoes(*browser, dir_.path()));
  QTreeWidget* list = window_->lvFolder;
  ASSERT_EQ(list->topLevelItemCount(), 2);

  list->setFocus();
  list->setCurrentItem(list->topLevelItem(0));
  browser->mbSuppressShow = false;
  QTest::keyClick(list, Qt::Key_Down);
  EXPECT_EQ(pane.View().ShownPath(), File(QStringLiteral("b.png")));
  EXPECT_TRUE(SamePixels(Pixels(window_->ibMain), Referee(File(QStringLiteral("b.png")))));
  EXPECT_TRUE(NoMessages());
}

}  // namespace
