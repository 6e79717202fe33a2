// The file list filled from real folders: files made by ImageMagick, TIFF pages counted by a real
// ImageBox, thumbnails checked by their pixels, and the order and cancelling of listings whose
// rows are made on worker threads.
#include "app/browse/folder_browser.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <QTreeWidget>
#include <algorithm>
#include <filesystem>
#include <map>

#include "app/browse/list_sort.h"
#include "app/shell/file_facts.h"
#include "app/shell/main_window.h"
#include "app/shell/settings.h"
#include "control/activex/imagebox_interface.h"
#include "platform/com/control_host.h"
#include "platform/com/errorinfo.h"
#include "tests/graphics/referee.h"

namespace {

using browse::FolderBrowser;
using velmora_test::Run;
using velmora_test::ScratchDir;

constexpr int kListingWaitMs = 30000;

// The picture files of the main folder: name, ImageMagick source and output format, its colour.
struct PictureFile {
  const char* name;
  const char* source;
  const char* format;
  QRgb colour;
};
const PictureFile kPictures[] = {
    {"a_red.png", "-size 30x20 xc:red", "", 0xFF0000},
    {"b_green.PNG", "-size 24x36 xc:lime", "", 0x00FF00},
    {"c_blue.bmp", "-size 50x10 xc:blue -type TrueColor", "BMP3:", 0x0000FF},
    {"f_three.tif", "-size 12x12 xc:red xc:lime xc:blue", "", 0xFF0000},
};
// Files no loader can read, and a file the pattern leaves out.
const char* const kBroken[] = {"d_broken.pcx", "g_broken.tif"};
const char kNotAPicture[] = "e_notes.txt";

// Every row the main folder lists, in either view: the pictures and the broken files, in name
// order without regard to case.
QStringList ListedNames() {
  QStringList names;
  for (const PictureFile& file : kPictures) names << QString::fromLatin1(file.name);
  for (const char* name : kBroken) names << QString::fromLatin1(name);
  std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) < 0;
  });
  return names;
}

QString Q(const std::string& text) {
  return QString::fromStdString(text);
}

std::string MakePicture(const std::string& folder, const PictureFile& file) {
  const std::string target = folder + "/" + file.name;
  const std::string command =
      std::string("convert ") + file.source + " " + file.format + "'" + target + "'";
  EXPECT_TRUE(Run(command)) << command;
  return target;
}

QStringList Column(const QTreeWidget& list, int column) {
  QStringList texts;
  for (int i = 0; i < list.topLevelItemCount(); ++i) texts << list.topLevelItem(i)->text(column);
  return texts;
}

QRgb CentreColour(const QPixmap& picture) {
  const QImage image = picture.toImage();
  return image.pixel(image.width() / 2, image.height() / 2) & 0xFFFFFF;
}

class FolderList : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    scratch_ = new ScratchDir;
    ::setenv("XDG_CONFIG_HOME", scratch_->File("config").c_str(), 1);
    ::setenv("XDG_CACHE_HOME", scratch_->File("cache").c_str(), 1);
    ASSERT_TRUE(velmora_test::Run(std::string(VELMORA_REGSVR) + " -s " + PICTAVO_LIBRARY));
    std::filesystem::create_directories(Folder("pictures"));
    for (const PictureFile& file : kPictures) MakePicture(Folder("pictures"), file);
    for (const char* name : kBroken)
      velmora_test::WriteBytes(Folder("pictures") + "/" + name, {'n', 'o', 't', ' ', 'a', 'n'});
    velmora_test::WriteBytes(Folder("pictures") + "/" + kNotAPicture, {'t', 'e', 'x', 't'});
    std::filesystem::create_directories(Folder("empty"));
    velmora_test::WriteBytes(Folder("empty") + "/" + kNotAPicture, {'t'});
    // Many small files, so a listing slowed down by its row maker is still running when the
    // next folder is chosen.
    std::filesystem::create_directories(Folder("many"));
    const std::string first = MakePicture(Folder("many"), {"m00.png", "-size 8x8 xc:gray", "", 0});
    for (int i = 1; i < 40; ++i)
      std::filesystem::copy_file(
          first, Folder("many") + "/m" + (i < 10 ? "0" : "") + std::to_string(i) + ".png");
  }
  static void TearDownTestSuite() {
    delete scratch_;
    scratch_ = nullptr;
  }
  static std::string Folder(const std::string& name) { return scratch_->File(name); }

  void SetUp() override {
    shell::gSetup.FolderListOptions.View = browse::kThumbnailView;
    shell::gSetup.FolderListOptions.FileSizeFormat = 0;
    shell::glThumbWidth = 40;
    shell::glThumbHeight = 40;
    host_.SetControl("Pictavo.ImageBox");
    list_.setColumnCount(8);
  }

  // A browser whose page counter is the real control's ImageCount.
  std::unique_ptr<FolderBrowser> MakeBrowser(browse::RowMaker maker = browse::MakeFolderRow) {
    browse::FolderBrowserOptions options;
    options.MakeRow = std::move(maker);
    options.CountPages = [this](const QString& path) {
      return pictavo::ax::ImageBoxProxy(host_.Dispatch()).get_ImageCount(path.toStdU16String());
    };
    auto browser = std::make_unique<FolderBrowser>(
        browse::FolderBrowserWidgets{&list_, &panel_, &bar_, &cancel_}, std::move(options));
    browser->ShowRowHook = [this](QTreeWidgetItem* row) {
      shown_ << row->data(0, browse::kRowTagRole).toString();
    };
    return browser;
  }

  // Lists a folder and waits for the listing's end; answers whether it reached its last file.
  bool ListFolder(FolderBrowser& browser, const std::string& folder) {
    QSignalSpy ended(&browser, &FolderBrowser::ListingEnded);
    browser.subShowFilesInFolder(Q(folder));
    if (ended.isEmpty() && !ended.wait(kListingWaitMs)) return false;
    return ended.last().at(1).toBool();
  }

  QTreeWidgetItem* Row(const QString& name) {
    const QList<QTreeWidgetItem*> found = list_.findItems(name, Qt::MatchExactly, 0);
    return found.isEmpty() ? nullptr : found.first();
  }

  static ScratchDir* scratch_;
  plat::com::ControlHost host_;
  QTreeWidget list_;
  QLabel panel_;
  QProgressBar bar_;
  QPushButton cancel_;
  QStringList shown_;
};

ScratchDir* FolderList::scratch_ = nullptr;

TEST_F(FolderList, ThumbnailViewListsLoadablePicturesInNameOrderWithTheirFacts) {
  auto browser = MakeBrowser();
  ASSERT_TRUE(ListFolder(*browser, Folder("pictures")));

  const QStringList expected = ListedNames();
  EXPECT_EQ(Column(list_, 0), expected);  // the text file has no row
  // A file that cannot be shown keeps its row, marked, with the reason on hover.
  for (const char* name : kBroken) {
    QTreeWidgetItem* row = Row(QString::fromLatin1(name));
    ASSERT_NE(row, nullptr) << name;
    EXPECT_TRUE(row->toolTip(0).startsWith(QStringLiteral("The file is damaged or not an image")))
        << row->toolTip(0).toStdString();
    EXPECT_EQ(row->toolTip(2), row->toolTip(0));
    EXPECT_FALSE(row->icon(0).isNull()) << name;
    EXPECT_TRUE(browser->RowThumbnail(row).isNull()) << name;
  }
  EXPECT_EQ(panel_.text(), QStringLiteral("Current Folder - ") + Q(Folder("pictures")));
  EXPECT_TRUE(bar_.isHidden());
  EXPECT_FALSE(browser->mbCancel);
  EXPECT_TRUE(std::filesystem::is_directory(shell::TempFolder().toStdString()));

  for (const PictureFile& file : kPictures) {
    SCOPED_TRACE(file.name);
    QTreeWidgetItem* row = Row(QString::fromLatin1(file.name));
    ASSERT_NE(row, nullptr);
    const std::string path = Folder("pictures") + "/" + file.name;
    EXPECT_EQ(row->data(0, browse::kRowTagRole).toString(), Q(path));
    const std::string size = velmora_test::Capture("identify -format '%w x %h\\n' '" + path + "'");
    EXPECT_EQ(row->text(1).toStdString() + "\n", size.substr(0, size.find('\n') + 1));
    const auto bytes = static_cast<int64_t>(std::filesystem::file_size(path));
    EXPECT_EQ(row->text(2), shell::clsFileInfo::FormatSize(bytes, 0));
    const std::string frames = velmora_test::Capture("identify '" + path + "' | wc -l");
    EXPECT_EQ(row->text(3).toStdString(), frames.substr(0, frames.find('\n')));
    shell::clsFileInfo facts;
    facts.FilePath(Q(path));
    EXPECT_EQ(row->text(4), facts.fType());
    EXPECT_EQ(row->text(5), facts.fDateCreated());
    EXPECT_EQ(row->text(6), facts.fDateModified());
    const QPixmap thumbnail = row->icon(0).pixmap(40, 40);
    EXPECT_EQ(browser->RowThumbnail(row).size(), QSize(40, 40));
    EXPECT_EQ(CentreColour(browser->RowThumbnail(row)), file.colour);
    EXPECT_EQ(CentreColour(thumbnail), file.colour);
  }
}

TEST_F(FolderList, DetailsViewListsEveryMatchingFileWithProbedResolutionAndPages) {
  shell::gSetup.FolderListOptions.View = browse::kDetailsView;
  shell::gSetup.FolderListOptions.FileSizeFormat = 1;
  auto browser = MakeBrowser();
  ASSERT_TRUE(ListFolder(*browser, Folder("pictures")));

  const QStringList expected = ListedNames();
  EXPECT_EQ(Column(list_, 0), expected);

  EXPECT_EQ(Row(QStringLiteral("d_broken.pcx"))->text(1), QString());
  EXPECT_EQ(Row(QStringLiteral("g_broken.tif"))->text(3), QStringLiteral("1"));
  EXPECT_EQ(Row(QStringLiteral("f_three.tif"))->text(3), QStringLiteral("3"));
  const std::string bmp = Folder("pictures") + "/c_blue.bmp";
  // Three channels of the depth ImageMagick reports.
  const std::string size = velmora_test::Capture("identify -format '%w X %h' '" + bmp + "'");
  const int depth = std::stoi(velmora_test::Capture("identify -format '%z' '" + bmp + "'"));
  EXPECT_EQ(Row(QStringLiteral("c_blue.bmp"))->text(1).toStdString(),
            size + " X " + std::to_string(3 * depth));
  const auto bytes = static_cast<int64_t>(std::filesystem::file_size(bmp));
  EXPECT_EQ(Row(QStringLiteral("c_blue.bmp"))->text(2), shell::clsFileInfo::FormatSize(bytes, 1));
  for (int i = 0; i < list_.topLevelItemCount(); ++i)
    EXPECT_TRUE(browser->RowThumbnail(list_.topLevelItem(i)).isNull());
}

TEST_F(FolderList, EmptyFolderGivesNoRowsNoBarAndLeavesNoCancelRequest) {
  auto browser = MakeBrowser();
  ASSERT_TRUE(ListFolder(*browser, Folder("pictures")));
  browser->pbQueue_MouseDown();  // a stale request, as a folder selection leaves one
  QSignalSpy shownBar(&bar_, &QProgressBar::valueChanged);
  EXPECT_TRUE(ListFolder(*browser, Folder("empty")));
  EXPECT_EQ(list_.topLevelItemCount(), 0);
  EXPECT_TRUE(bar_.isHidden());
  EXPECT_TRUE(shownBar.isEmpty());
  EXPECT_FALSE(browser->mbCancel);
  // A folder that cannot be read says why, and leaves no pending request.
  browser->pbQueue_MouseDown();
  const std::string unreadable = Folder("pictures") + "/e_notes.txt";
  EXPECT_FALSE(ListFolder(*browser, unreadable));
  EXPECT_EQ(list_.topLevelItemCount(), 0);
  EXPECT_EQ(panel_.text(),
            QStringLiteral("Cannot list ") + Q(unreadable) + QStringLiteral(": Not a directory"));
  EXPECT_FALSE(browser->mbCancel);
}

TEST_F(FolderList, SwitchingViewsSwapsIconsAndEachRowKeepsItsThumbnailAfterASort) {
  auto browser = MakeBrowser();
  ASSERT_TRUE(ListFolder(*browser, Folder("pictures")));
  QSignalSpy relisted(browser.get(), &FolderBrowser::ListingStarted);
  browse::subSortByColumn(&list_, 2);  // "Size"
  std::map<QString, QRgb> colourOf;
  for (const PictureFile& file : kPictures) colourOf[QString::fromLatin1(file.name)] = file.colour;

  const auto marked = [](const QTreeWidgetItem* row) {
    return row->data(0, browse::kRowFailureRole).isValid();
  };
  browser->cmdDetailFolder_Click();
  const qint64 detailIcon = Row(QString::fromLatin1(kPictures[0].name))->icon(0).cacheKey();
  for (int i = 0; i < list_.topLevelItemCount(); ++i) {
    if (!marked(list_.topLevelItem(i))) {
      EXPECT_EQ(list_.topLevelItem(i)->icon(0).cacheKey(), detailIcon);
    }
  }
  EXPECT_EQ(list_.iconSize(), QSize(16, 16));

  browser->cmdThumbnailFolder_Click();
  EXPECT_TRUE(relisted.isEmpty());
  ASSERT_EQ(list_.topLevelItemCount(), static_cast<int>(ListedNames().size()));
  for (int i = 0; i < list_.topLevelItemCount(); ++i) {
    QTreeWidgetItem* row = list_.topLevelItem(i);
    if (marked(row)) continue;
    EXPECT_EQ(CentreColour(row->icon(0).pixmap(40, 40)), colourOf.at(row->text(0))) << i;
  }
  EXPECT_EQ(list_.iconSize(), QSize(40, 40));
}

TEST_F(FolderList, ThumbnailButtonAfterADetailsListingListsTheFolderAgain) {
  shell::gSetup.FolderListOptions.View = browse::kDetailsView;
  auto browser = MakeBrowser();
  ASSERT_TRUE(ListFolder(*browser, Folder("pictures")));
  QSignalSpy ended(browser.get(), &FolderBrowser::ListingEnded);
  browser->cmdThumbnailFolder_Click();
  ASSERT_TRUE(ended.wait(kListingWaitMs));
  ASSERT_EQ(list_.topLevelItemCount(), static_cast<int>(ListedNames().size()));
  for (const PictureFile& file : kPictures)
    EXPECT_EQ(CentreColour(Row(QString::fromLatin1(file.name))->icon(0).pixmap(40, 40)),
              file.colour);
}

TEST_F(FolderList, RowsComeInNameOrderWhateverOrderTheWorkersFinishIn) {
  // Earlier files take longer, so the workers finish them last.
  auto browser = MakeBrowser([](const QString& path, const browse::FolderRowRequest& request) {
    const int number = QFileInfo(path).baseName().mid(1).toInt();
    QThread::msleep(static_cast<unsigned long>(40 - number));
    return browse::MakeFolderRow(path, request);
  });
  ASSERT_TRUE(ListFolder(*browser, Folder("many")));
  QStringList names;
  for (const auto& entry : std::filesystem::directory_iterator(Folder("many")))
    names << Q(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(Column(list_, 0), names);
}

// A row maker slow enough that a listing of "many" is still running when the next folder comes.
browse::FolderRow SlowRow(const QString& path, const browse::FolderRowRequest& request) {
  QThread::msleep(30);
  return browse::MakeFolderRow(path, request);
}

TEST_F(FolderList, OnlyTheLastOfTwoQuickSelectionsIsListed) {
  auto browser = MakeBrowser();
  QSignalSpy started(browser.get(), &FolderBrowser::ListingStarted);
  QSignalSpy ended(browser.get(), &FolderBrowser::ListingEnded);
  browser->ftvBrowse_FolderSelected(Q(Folder("many")));
  QTest::qWait(100);
  browser->ftvBrowse_FolderSelected(Q(Folder("pictures")));
  ASSERT_TRUE(ended.wait(kListingWaitMs));
  ASSERT_EQ(started.size(), 1);
  EXPECT_EQ(started.first().first().toString(), Q(Folder("pictures")));
  EXPECT_EQ(list_.topLevelItemCount(), static_cast<int>(ListedNames().size()));
}

// A folder chosen in the tree while a listing runs, and a listing started inside a running one
// (a timer tick that comes before the old listing looked at its cancel flag): either way the old
// listing ends early and none of its rows stays, not even one that was on its way.
TEST_F(FolderList, ASecondFolderDuringAListingEndsItAndLeavesNoRowOfIt) {
  for (const bool throughTheTree : {true, false}) {
    SCOPED_TRACE(throughTheTree ? "folder selection" : "listing inside a listing");
    auto browser = MakeBrowser(SlowRow);
    const auto list = [&](const std::string& folder) {
      if (throughTheTree)
        browser->ftvBrowse_FolderSelected(Q(folder));
      else
        browser->subShowFilesInFolder(Q(folder));
    };
    QSignalSpy ended(browser.get(), &FolderBrowser::ListingEnded);
    list(Folder("many"));
    QTRY_VERIFY_WITH_TIMEOUT(list_.topLevelItemCount() > 0, kListingWaitMs);
    list(Folder("pictures"));
    QTRY_VERIFY_WITH_TIMEOUT(ended.size() == 2, kListingWaitMs);
    EXPECT_EQ(ended.at(0).at(0).toString(), Q(Folder("many")));
    EXPECT_FALSE(ended.at(0).at(1).toBool());
    EXPECT_TRUE(ended.at(1).at(1).toBool());
    const QStringList expected = ListedNames();
    EXPECT_EQ(Column(list_, 0), expected);
    QTest::qWait(200);  // results of the first folder still on their way must not land
    EXPECT_EQ(Column(list_, 0), expected);
  }
}

TEST_F(FolderList, ProgressBarPressAndCancelButtonStopTheListing) {
  for (const bool button : {false, true}) {
    SCOPED_TRACE(button ? "Cancel button" : "press on the bar");
    auto browser = MakeBrowser(SlowRow);
    QSignalSpy ended(browser.get(), &FolderBrowser::ListingEnded);
    browser->subShowFilesInFolder(Q(Folder("many")));
    QTRY_VERIFY_WITH_TIMEOUT(list_.topLevelItemCount() > 0, kListingWaitMs);
    EXPECT_FALSE(bar_.isHidden());
    EXPECT_EQ(bar_.maximum(), 40);
    if (button)
      cancel_.click();
    else
      QTest::mouseClick(&bar_, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(ended.size() == 1, kListingWaitMs);
    EXPECT_FALSE(ended.first().at(1).toBool());
    EXPECT_LT(list_.topLevelItemCount(), 40);
    EXPECT_TRUE(bar_.isHidden());
    EXPECT_FALSE(browser->mbCancel);
  }
}

TEST_F(FolderList, KeysAndClicksShowRowsUnlessSuppressed) {
  auto browser = MakeBrowser();
  int basketAdds = 0;
  browser->AddToBasketHook = [&basketAdds] { ++basketAdds; };
  ASSERT_TRUE(ListFolder(*browser, Folder("pictures")));
  list_.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&list_));
  list_.doItemsLayout();
  const QRect first = list_.visualItemRect(list_.topLevelItem(0));
  ASSERT_FALSE(first.isEmpty());
  // Spaced from earlier presses, so the click is not taken for the second half of a double click.
  // Inside the name column: the row's whole rectangle reaches past the viewport.
  QTest::mouseClick(list_.viewport(), Qt::LeftButton, {},
                    QPoint(first.left() + 5, first.center().y()),
                    QApplication::doubleClickInterval() + 50);
  EXPECT_FALSE(browser->mbSuppressShow);
  EXPECT_EQ(browser->mintSelectedCount, 1);
  EXPECT_EQ(browser->mstrFocusedList, QStringLiteral("lvFolder"));
  // The first click after start-up already shows its row.
  EXPECT_EQ(shown_, QStringList{list_.topLevelItem(0)->data(0, browse::kRowTagRole).toString()});
  shown_.clear();
  QTest::keyClick(&list_, Qt::Key_Down);
  ASSERT_EQ(shown_.size(), 1);
  EXPECT_EQ(shown_.first(), list_.topLevelItem(1)->data(0, browse::kRowTagRole).toString());

  browser->mbSuppressShow = true;
  QTest::keyClick(&list_, Qt::Key_Down);
  EXPECT_EQ(shown_.size(), 1);

  QTest::keyClick(&list_, Qt::Key_Return);
  EXPECT_EQ(basketAdds, 1);
  QTest::keyClick(&list_, Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(list_.selectedItems().size(), list_.topLevelItemCount());
  browser->ContextMenu()->actions().first()->trigger();
  EXPECT_EQ(browser->ContextMenu()->actions().first()->text(), QStringLiteral("Add to basket"));
  EXPECT_EQ(basketAdds, 2);
}

TEST(ListSort, ClickOnTheSortedColumnTurnsTheOrderAnotherColumnSortsAscending) {
  QTreeWidget list;
  list.setColumnCount(3);
  const QStringList rows[] = {{"b", "9", "z"}, {"a", "10", "x"}, {"c", "1", "y"}};
  for (const QStringList& row : rows) list.addTopLevelItem(new QTreeWidgetItem(row));
  const auto sorted = [&](int column, bool ascending) {
    QStringList texts = Column(list, column);
    std::sort(texts.begin(), texts.end());
    if (!ascending) std::reverse(texts.begin(), texts.end());
    return texts;
  };
  struct Click {
    int column;
    bool ascending;
  };
  // Column 0 is the sort key before any sort, so the first click on it turns the order round.
  for (const Click click : {Click{1, true}, Click{1, false}, Click{2, true}, Click{0, true},
                            Click{0, false}, Click{0, true}}) {
    browse::subSortByColumn(&list, click.column);
    EXPECT_EQ(Column(list, click.column), sorted(click.column, click.ascending)) << click.column;
  }
}

TEST(PageCount, AFailureOfTheControlCountsAsOnePageOtherErrorsPassOn) {
  EXPECT_EQ(browse::PagesOrOne([] { return 7; }), 7);
  EXPECT_EQ(browse::PagesOrOne([]() -> int32_t {
              throw plat::com::EOleSysError("cannot count", plat::com::E_UNEXPECTED);
            }),
            1);
  EXPECT_THROW(browse::PagesOrOne([]() -> int32_t {
                 throw plat::com::EOleSysError("gone", plat::com::E_OUTOFMEMORY);
               }),
               plat::com::EOleSysError);
}

}  // namespace
