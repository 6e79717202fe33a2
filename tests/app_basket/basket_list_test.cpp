// The basket through the program's own wiring: a hidden main window, the folder list over a real
// folder, real ImageBox controls. ImageMagick writes the pictures and so decides their colours.
#include "app/browse/basket_list.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <cstdlib>
#include <memory>
#include <ostream>
#include <string>

#include "app/browse/folder_browser.h"
#include "app/browse/folder_pane.h"
#include "app/browse/row_tag.h"
#include "app/browse/viewer/viewer_pane.h"
#include "app/shell/main_window.h"
#include "app/shell/settings.h"
#include "app_shell/recording_ui.h"
#include "control/activex/imagebox_interface.h"
#include "platform/com/control_host.h"
#include "support/folder_listing.h"
#include "tests/graphics/referee.h"

// Readable failures.
inline void PrintTo(const QString& text, std::ostream* os) {
  *os << '"' << text.toStdString() << '"';
}

namespace {

using browse::BasketItem;

// The pictures of the folder, in the list's name order: name, ImageMagick source, colour.
struct Picture {
  const char* name;
  const char* source;
  QRgb colour;
};
const Picture kPictures[] = {
    {"a_red.png", "-size 40x30 xc:red", 0xFF0000},
    {"b_green.bmp", "-size 24x36 xc:lime -type TrueColor", 0x00FF00},
    {"c_blue.png", "-size 50x10 xc:blue", 0x0000FF},
    {"scan.tif", "-size 12x8 xc:red -size 20x10 xc:lime -size 6x30 xc:blue -compress lzw", 0},
};
constexpr int kScanRow = 3;
constexpr QRgb kScanColours[] = {0xFF0000, 0x00FF00, 0x0000FF};

QRgb CentreColour(const QPixmap& picture) {
  const QImage image = picture.toImage();
  return image.pixel(image.width() / 2, image.height() / 2) & 0xFFFFFF;
}

class BasketTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    // Page files go to the cache folder: a scratch one, so the new basket deletes only ours.
    static QTemporaryDir cache;
    ::setenv("XDG_CACHE_HOME", cache.path().toUtf8().constData(), 1);
    static QTemporaryDir config;
    ::setenv("XDG_CONFIG_HOME", config.path().toUtf8().constData(), 1);
    QApplication::setApplicationName(QStringLiteral("VelmoraJPEG2000B"));
    ASSERT_EQ(std::system((std::string(VELMORA_REGSVR) + " -s " + PICTAVO_LIBRARY).c_str()), 0);
  }
  void SetUp() override {
    shell::subLoadSetup();
    shell::subDeleteSetup();
    window_ = std::make_unique<shell::MainWindow>();
    window_->resize(800, 600);
    window_->show();
    browser_ = browse::AttachFolderBrowser(*window_);
    pane_ = std::make_unique<browse::ViewerPane>(*window_, *browser_);
    for (const Picture& picture : kPictures) {
      const std::string command = std::string("convert ") + picture.source + " -depth 8 '" +
                                  File(picture.name).toStdString() + "'";
      ASSERT_EQ(std::system(command.c_str()), 0) << command;
    }
    ListFolder();
  }
  void TearDown() override {
    pane_.reset();
    window_.reset();
  }

  // Lists the folder and waits for the end of its own listing (the restored folder may be
  // listing already).
  void ListFolder() {
    ASSERT_TRUE(ListFolderAsTheTreeDoes(*browser_, dir_.path()));
    ASSERT_EQ(window_->lvFolder->topLevelItemCount(), 4);
  }

  QString File(const char* name) const { return dir_.filePath(QString::fromUtf8(name)); }
  QTreeWidgetItem* FileRow(int index) const { return window_->lvFolder->topLevelItem(index); }
  // Selects exactly these file-list rows and presses the add button.
  void Add(const QList<int>& rows) {
    window_->lvFolder->clearSelection();
    for (int row : rows) FileRow(row)->setSelected(true);
    ASSERT_TRUE(browser_->AddToBasketHook);  // the program wires the list to the basket
    browser_->AddToBasketHook();
  }
  QStringList BasketPaths() const {
    QStringList paths;
    for (const BasketItem& row : pane_->Basket().Rows()) paths << row.Path;
    return paths;
  }
  QString QueuePanel() const { return window_->Panel(QStringLiteral("queue"))->text(); }

  QTemporaryDir dir_;
  RecordingUi ui_;  // a message box would wait for a click
  std::unique_ptr<shell::MainWindow> window_;
  browse::FolderBrowser* browser_ = nullptr;
  std::unique_ptr<browse::ViewerPane> pane_;
};

// A one-page row takes its texts from the file-list row and a thumbnail of its own file.
TEST_F(BasketTest, SelectedFilesBecomeRowsWithTheirOwnThumbnails) {
  Add({0, 2});
  const QList<BasketItem> rows = pane_->Basket().Rows();
  ASSERT_EQ(rows.size(), 2);
  const int listed[] = {0, 2};
  for (int i = 0; i < 2; ++i) {
    SCOPED_TRACE(i);
    const Picture& picture = kPictures[listed[i]];
    const QTreeWidgetItem* source = FileRow(listed[i]);
    const QString path = File(picture.name);
    EXPECT_EQ(rows[i].Text, QString::fromUtf8(picture.name).section(QLatin1Char('.'), 0, 0));
    EXPECT_EQ(rows[i].Tag, path);
    EXPECT_EQ(rows[i].Path, path);
    EXPECT_EQ(rows[i].Resolution, source->text(1));
    EXPECT_FALSE(rows[i].Resolution.trimmed().isEmpty());
    EXPECT_EQ(rows[i].Size, source->text(2));
    EXPECT_EQ(rows[i].Type, source->text(4));
    EXPECT_EQ(rows[i].ThumbnailIndex, i);
    const QPixmap thumbnail = pane_->Basket().ilPages().at(rows[i].ThumbnailIndex);
    EXPECT_EQ(thumbnail.size(), QSize(shell::glBasketThumbWidth, shell::glBasketThumbHeight));
    EXPECT_EQ(CentreColour(thumbnail), picture.colour);
  }
  EXPECT_EQ(QueuePanel(), QStringLiteral("2 file(s) in basket"));
  EXPECT_TRUE(window_->lvPages->selectedItems().isEmpty());
}

// The thumbnail follows the row, not its place, after the file list was sorted the other way.
TEST_F(BasketTest, SortedFileListStillGivesEachRowItsOwnThumbnail) {
  window_->lvFolder->sortItems(0, Qt::DescendingOrder);
  ASSERT_EQ(FileRow(3)->data(0, browse::kRowTagRole).toString(), File(kPictures[0].name));
  Add({3});
  ASSERT_EQ(BasketPaths(), QStringList{File(kPictures[0].name)});
  EXPECT_EQ(CentreColour(pane_->Basket().ilPages().at(0)), kPictures[0].colour);
}

TEST_F(BasketTest, FileAlreadyInTheBasketIsNotAddedAgain) {
  Add({1});
  Add({0, 1, 2});
  EXPECT_EQ(BasketPaths(), (QStringList{File(kPictures[1].name), File(kPictures[0].name),
                                        File(kPictures[2].name)}));
  EXPECT_EQ(pane_->Basket().ilPages().size(), 3);
  EXPECT_EQ(QueuePanel(), QStringLiteral("3 file(s) in basket"));

  // No selection: nothing is added, the panels are written all the same.
  window_->Panel(QStringLiteral("queue"))->clear();
  Add({});
  EXPECT_EQ(BasketPaths().size(), 3);
  EXPECT_EQ(QueuePanel(), QStringLiteral("3 file(s) in basket"));
}

// A click on a basket row and the arrow keys show the row in the viewer.
TEST_F(BasketTest, ClickedAndArrowedRowsAreShownInTheViewer) {
  Add({0, 1});
  QTreeWidget* basket = window_->lvPages;
  QTreeWidgetItem* first = basket->topLevelItem(0);
  basket->setFocus();
  const QRect place = basket->visualItemRect(first);
  ASSERT_TRUE(place.isValid());
  QTest::mouseClick(basket->viewport(), Qt::LeftButton, {}, place.center());
  EXPECT_EQ(pane_->View().ShownPath(), File(kPictures[0].name));
  QTest::keyClick(basket, Qt::Key_Down);
  EXPECT_EQ(pane_->View().ShownPath(), File(kPictures[1].name));
}

// The "Compression Scheme" lines tiffinfo prints, one per directory.
QStringList Compressions(const QString& path) {
  const QString info = QString::fromStdString(
      velmora_test::Capture("tiffinfo '" + path.toStdString() + "' 2>/dev/null"));
  QStringList schemes;
  for (const QString& line : info.split(QLatin1Char('\n')))
    if (line.trimmed().startsWith(QStringLiteral("Compression Scheme:"))) schemes << line.trimmed();
  return schemes;
}

// A 3-page TIFF becomes three rows, each loading a one-page TIFF of its own page; the viewer's
// control is not used for it.
TEST_F(BasketTest, MultipageFileIsSplitIntoPageFilesOnce) {
  const QString source = File(kPictures[kScanRow].name);
  ASSERT_EQ(Compressions(source).size(), 3);
  const QStringList sizes =
      QString::fromStdString(
          velmora_test::Capture("identify -format '%w X %h\\n' '" + source.toStdString() + "'"))
          .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  ASSERT_EQ(sizes.size(), 3);
  const QString viewerFile = QString::fromStdString(
      pictavo::ax::ImageBoxProxy(window_->ibMain->Dispatch()).get_LastFileName().Utf8());

  Add({kScanRow});
  Add({kScanRow});  // its pages are in the basket already
  const QList<BasketItem> rows = pane_->Basket().Rows();
  ASSERT_EQ(rows.size(), 3);
  for (int page = 0; page < 3; ++page) {
    SCOPED_TRACE(page);
    const BasketItem& row = rows[page];
    EXPECT_EQ(row.Text, QStringLiteral("scan") + QString::number(page + 1));
    EXPECT_EQ(row.Path, source);
    EXPECT_EQ(row.Resolution, sizes[page]);
    EXPECT_TRUE(row.Tag.endsWith(QStringLiteral(".tif")));
    EXPECT_TRUE(QFileInfo(row.Tag).fileName().startsWith(QStringLiteral("scan.tif") +
                                                         QString::number(page + 1) + "_"));
    EXPECT_EQ(Compressions(row.Tag).size(), 1);  // one page
    const std::string colour = velmora_test::Capture("convert '" + row.Tag.toStdString() +
                                                     "' -format '%[hex:p{0,0}]' info:");
    EXPECT_EQ(QString::fromStdString(colour).left(6).toUInt(nullptr, 16), kScanColours[page]);
    EXPECT_GT(QFileInfo(row.Tag).size(), 0);
    EXPECT_EQ(CentreColour(pane_->Basket().ilPages().at(row.ThumbnailIndex)), kScanColours[page]);
  }
  EXPECT_EQ(QString::fromStdString(
                pictavo::ax::ImageBoxProxy(window_->ibMain->Dispatch()).get_LastFileName().Utf8()),
            viewerFile);
}

// Removal keeps every remaining row's thumbnail; Ctrl+A then Delete empties the list.
TEST_F(BasketTest, RemovedRowsLeaveTheOthersTheirThumbnails) {
  Add({0, 1, 2});
  QTreeWidget* basket = window_->lvPages;
  basket->topLevelItem(1)->setSelected(true);
  pane_->Basket().cmdPagesDelete_Click();
  const QList<BasketItem> rows = pane_->Basket().Rows();
  ASSERT_EQ(BasketPaths(), (QStringList{File(kPictures[0].name), File(kPictures[2].name)}));
  EXPECT_EQ(pane_->Basket().ilPages().size(), 3);
  for (const BasketItem& row : rows)
    EXPECT_EQ(CentreColour(basket->topLevelItem(rows.indexOf(row))
                               ->icon(0)
                               .pixmap(shell::glBasketThumbWidth, shell::glBasketThumbHeight)),
              CentreColour(pane_->Basket().ilPages().at(row.ThumbnailIndex)));
  EXPECT_EQ(CentreColour(pane_->Basket().ilPages().at(rows[1].ThumbnailIndex)),
            kPictures[2].colour);
  EXPECT_EQ(QueuePanel(), QStringLiteral("2 file(s) in basket"));

  basket->setFocus();
  QTest::keyClick(basket, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(basket, Qt::Key_Delete);
  EXPECT_TRUE(pane_->Basket().Rows().isEmpty());
  EXPECT_EQ(QueuePanel(), QStringLiteral("0 file(s) in basket"));
}

// The new basket deletes the page files, also those of rows removed before.
TEST_F(BasketTest, NewBasketEmptiesTheListAndDeletesThePageFiles) {
  Add({0, kScanRow});
  const QList<BasketItem> rows = pane_->Basket().Rows();
  ASSERT_EQ(rows.size(), 4);
  window_->lvPages->topLevelItem(1)->setSelected(true);
  pane_->Basket().cmdPagesDelete_Click();
  pane_->Basket().cmdPagesNew_Click();
  EXPECT_TRUE(pane_->Basket().Rows().isEmpty());
  EXPECT_TRUE(pane_->Basket().ilPages().isEmpty());
  EXPECT_EQ(QueuePanel(), QStringLiteral("New Basket"));
  for (int i = 1; i < 4; ++i)
    EXPECT_FALSE(QFileInfo::exists(rows[i].Tag)) << rows[i].Tag.toStdString();
  EXPECT_TRUE(QFileInfo::exists(File(kPictures[0].name)));
  EXPECT_TRUE(QFileInfo::exists(File(kPictures[kScanRow].name)));
}

}  // namespace
