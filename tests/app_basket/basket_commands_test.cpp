// The basket's commands: dropping and reopening multipage files, opening and saving basket files
// through their dialogs, Cancel during an add and the locking of the commands meanwhile.
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QProgressBar>
#include <QSignalSpy>

#include "app_shell/modal_helper.h"
#include "basket_fixture.h"

namespace {

using namespace basket_test;

class BasketCommandsTest : public BasketTest {
 protected:
  // Answers the next file dialog with `path`, recording its title.
  void ChooseInNextDialog(const QString& path) {
    WhenModalOpens([this, path](QDialog* dialog) {
      auto* files = qobject_cast<QFileDialog*>(dialog);
      ASSERT_NE(files, nullptr);
      dialogTitles_ << files->windowTitle();
      files->selectFile(path);
      static_cast<QDialog*>(files)->accept();
    });
  }
  // Writes an image basket file the way any editor would: one quoted path a line.
  QString WriteBasketFile(const char* name, const QStringList& paths) {
    QFile file(scratch_.filePath(QString::fromLatin1(name)));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    for (const QString& path : paths) file.write("\"" + path.toUtf8() + "\"\r\n");
    return file.fileName();
  }
  void Open(const QString& basketFile) {
    ChooseInNextDialog(basketFile);
    Button("cmdPagesOpen")->click();
  }

  QTemporaryDir scratch_;
  QStringList dialogTitles_;
};

// The three ways of splitting a 3-page file name their rows and page files each their own way;
// every page file is that page alone, compressed as the page was, and the viewer's image stays.
TEST_F(BasketCommandsTest, MultipageFileByButtonDropAndReopen) {
  const QString source = File(kPictures[kScanRow].name);
  const QStringList sizes = PageSizes(source);
  const QStringList schemes = Compressions(source);
  ASSERT_EQ(sizes.size(), 3);
  ASSERT_EQ(schemes.size(), 3);
  const QString viewerFile = ViewerFile();
  struct Way {
    const char* name;
    std::function<void()> add;
    QString rowText;       // before the page number
    QString rowEnd;        // after it
    QString pageFileStem;  // before the page number
  };
  const QString basketFile = WriteBasketFile("scan.ibf", {source});
  Way ways[] = {
      {"button", [&] { Add({kScanRow}); }, "scan", "", "scan.tif"},
      {"drop",
       [&] {
         window_->lvFolder->clearSelection();
         FileRow(kScanRow)->setSelected(true);
         pane_->Basket().lvPages_OLEDragDrop(window_->lvFolder, {});
       },
       "scan(", ")", "scan"},
      {"reopen", [&] { Open(basketFile); }, "scan", "", "scan.tif"},
  };
  for (const Way& way : ways) {
    SCOPED_TRACE(way.name);
    pane_->Basket().cmdPagesNew_Click();
    way.add();
    way.add();  // a second time adds nothing (the reopen replaces the basket)
    const QList<BasketItem> rows = pane_->Basket().Rows();
    ASSERT_EQ(rows.size(), 3);
    for (int page = 0; page < 3; ++page) {
      SCOPED_TRACE(page);
      const BasketItem& row = rows[page];
      const QString number = QString::number(page + 1);
      EXPECT_EQ(row.Text, way.rowText + number + way.rowEnd);
      EXPECT_EQ(row.Path, source);
      EXPECT_EQ(row.Resolution, sizes[page]);
      EXPECT_TRUE(QFileInfo(row.Tag).fileName().startsWith(way.pageFileStem + number + "_"));
      EXPECT_EQ(Compressions(row.Tag), QStringList{schemes[page]});
      EXPECT_EQ(PageSizes(row.Tag), QStringList{sizes[page]});
      EXPECT_EQ(CentreColour(pane_->Basket().ilPages().at(row.ThumbnailIndex)), kScanColours[page]);
    }
    EXPECT_EQ(ViewerFile(), viewerFile);
    EXPECT_EQ(QueuePanel(), QStringLiteral("3 file(s) in basket"));
  }
  // Rows a drop added stay selected: the last one of each file.
  EXPECT_TRUE(SelectedNames().isEmpty());  // the reopen selects nothing
}

// "New basket" asks before it empties a filled basket; an empty one it just starts.
TEST_F(BasketCommandsTest, NewBasketAsksBeforeItEmptiesAFilledBasket) {
  Add({0});
  ui_.messages.clear();
  ui_.answer = false;
  Button("cmdPagesNew")->click();
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(
      ui_.messages[0].text,
      QStringLiteral("There are currently files in the Basket!.\r\nDo you want to continue?"));
  EXPECT_EQ(BasketNames(), QStringList{"a_red"});

  ui_.answer = true;
  Button("cmdPagesNew")->click();
  EXPECT_TRUE(BasketNames().isEmpty());
  EXPECT_EQ(QueuePanel(), QStringLiteral("New Basket"));
  Button("cmdPagesNew")->click();
  EXPECT_EQ(ui_.messages.size(), 2u);
}

TEST_F(BasketCommandsTest, DroppedFilesStaySelected) {
  window_->lvFolder->clearSelection();
  FileRow(0)->setSelected(true);
  FileRow(kScanRow)->setSelected(true);
  pane_->Basket().lvPages_OLEDragDrop(window_->lvFolder, {});
  EXPECT_EQ(BasketNames(), (QStringList{"a_red", "scan(1)", "scan(2)", "scan(3)"}));
  EXPECT_EQ(SelectedNames(), (QStringList{"a_red", "scan(3)"}));
  EXPECT_EQ(QueuePanel(), QStringLiteral("4 file(s) in basket"));
}

// Page files keep what the source page was compressed with, as tiffinfo reads both.
TEST_F(BasketCommandsTest, PageFilesKeepTheSourcePagesCompression) {
  struct Case {
    const char* name;
    const char* pages;
  } cases[] = {
      {"lzw.tif",
       "-size 8x8 xc:red -size 9x7 xc:lime -compress lzw -define tiff:predictor=1 -depth 8"},
      {"lzw_predictor.tif",
       "-size 8x8 xc:red -size 9x7 xc:lime -compress lzw -define tiff:predictor=2 -depth 8"},
      {"g4.tif",
       "-size 16x16 xc:white -size 17x9 pattern:checkerboard -monochrome -compress group4"},
      {"packbits.tif", "-size 8x8 xc:red -size 5x6 xc:blue -compress rle -depth 8"},
      {"none.tif", "-size 8x8 xc:red -size 5x6 xc:blue -compress none -depth 8"},
  };
  QStringList sources;
  for (const Case& c : cases) {
    sources << scratch_.filePath(QString::fromLatin1(c.name));
    const std::string command =
        std::string("convert ") + c.pages + " '" + sources.back().toStdString() + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
  }
  Open(WriteBasketFile("kinds.ibf", sources));
  const QList<BasketItem> rows = pane_->Basket().Rows();
  ASSERT_EQ(rows.size(), 2 * static_cast<int>(std::size(cases)));
  for (int i = 0; i < rows.size(); ++i) {
    SCOPED_TRACE(rows[i].Text.toStdString());
    EXPECT_EQ(rows[i].Path, sources[i / 2]);
    EXPECT_EQ(Compressions(rows[i].Tag), QStringList{Compressions(rows[i].Path).at(i % 2)});
  }
}

// Saving writes each source once, in basket order; opening asks first when the basket has rows,
// and a one-page file comes back under its full name with its own size.
TEST_F(BasketCommandsTest, SaveAndOpenThroughTheirDialogs) {
  Add({kScanRow});
  Add({0});
  ChooseInNextDialog(scratch_.filePath("basket"));
  Button("cmdPagesSave")->click();
  QFile saved(scratch_.filePath("basket.ibf"));
  ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
  EXPECT_EQ(saved.readAll(), "\"" + File(kPictures[kScanRow].name).toUtf8() + "\"\r\n\"" +
                                 File(kPictures[0].name).toUtf8() + "\"\r\n");

  ui_.answer = false;  // Cancel: no dialog, the basket stays
  ui_.messages.clear();
  Button("cmdPagesOpen")->click();
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(
      ui_.messages[0].text,
      QStringLiteral("There are currently files in the Basket!.\r\nDo you want to continue?"));
  EXPECT_EQ(BasketNames(), (QStringList{"scan1", "scan2", "scan3", "a_red"}));

  ui_.answer = true;
  Open(saved.fileName());
  EXPECT_EQ(dialogTitles_, (QStringList{"Save image basket", "Open Image Basket"}));
  // Named without the extension, so no output is called "a_red.png.jp2".
  EXPECT_EQ(BasketNames(), (QStringList{"scan1", "scan2", "scan3", "a_red"}));
  const BasketItem red = pane_->Basket().Rows().at(3);
  EXPECT_EQ(red.Tag, File(kPictures[0].name));
  EXPECT_EQ(red.Path, red.Tag);
  EXPECT_EQ(QStringList{red.Resolution}, PageSizes(red.Path));
  EXPECT_EQ(CentreColour(pane_->Basket().ilPages().at(red.ThumbnailIndex)), kPictures[0].colour);
  EXPECT_EQ(pane_->Basket().ilPages().size(), 4);
}

TEST_F(BasketCommandsTest, FailedOpenOrSaveKeepsTheBasketAndSaysSo) {
  Add({0, 1});
  const QList<BasketItem> before = pane_->Basket().Rows();
  ui_.messages.clear();
  Open(scratch_.filePath("missing.ibf"));
  ASSERT_EQ(ui_.messages.size(), 2u);  // the question, then the failure
  EXPECT_EQ(ui_.messages[1].text, QStringLiteral("Error opening image basket!\r\n"
                                                 "Please select a valid image basket file."));
  EXPECT_EQ(pane_->Basket().Rows(), before);

  // A path through a regular file cannot be created, even by root.
  QFile blocker(scratch_.filePath("blocker"));
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  ChooseInNextDialog(blocker.fileName() + "/basket.ibf");
  Button("cmdPagesSave")->click();
  ASSERT_EQ(ui_.messages.size(), 3u);
  EXPECT_EQ(ui_.messages[2].text,
            QStringLiteral("Error saving image basket!\r\nPlease try again!"));
  EXPECT_EQ(pane_->Basket().Rows(), before);
}

// Cancel pressed while the first of 20 files is added ends the add after that file. Meanwhile
// the commands that change the rows are disabled and refuse to run.
TEST_F(BasketCommandsTest, CancelEndsTheAddAfterTheCurrentFileAndCommandsWait) {
  QTemporaryDir twenty;
  for (int i = 0; i < 20; ++i) {
    QImage picture(6, 4, QImage::Format_RGB32);
    picture.fill(Qt::red);
    ASSERT_TRUE(picture.save(twenty.filePath(QStringLiteral("f%1.png").arg(i, 2, 10, QChar('0')))));
  }
  ASSERT_TRUE(ListFolderAsTheTreeDoes(*browser_, twenty.path()));
  ASSERT_EQ(window_->lvFolder->topLevelItemCount(), 20);
  browse::BasketList& basket = pane_->Basket();
  QSignalSpy busy(&basket, &browse::BasketList::BusyChanged);
  const char* const commands[] = {"cmdAddToQueue", "cmdPagesDelete", "cmdPagesNew", "cmdPagesOpen"};
  bool checked = false;
  QObject::connect(window_->lvPages->model(), &QAbstractItemModel::rowsInserted, &basket, [&] {
    if (checked) return;
    checked = true;
    EXPECT_TRUE(basket.IsBusy());
    for (const char* command : commands) EXPECT_FALSE(Button(command)->isEnabled()) << command;
    QPushButton* cancel = Button("cmdCancelAdd");
    EXPECT_TRUE(cancel->isVisible());
    EXPECT_TRUE(window_->findChild<QProgressBar*>("pbAddToBasket")->isVisible());
    basket.cmdPagesNew_Click();    // refused: the row just added stays
    basket.cmdAddToQueue_Click();  // refused: no second add inside this one
    // The click arrives the way a user's does: when the add next yields to the event loop.
    QMetaObject::invokeMethod(cancel, &QPushButton::click, Qt::QueuedConnection);
  });
  window_->lvFolder->selectAll();
  Button("cmdAddToQueue")->click();
  EXPECT_EQ(BasketNames(), QStringList{"f00"});
  EXPECT_EQ(QueuePanel(), QStringLiteral("1 file(s) in basket"));
  EXPECT_FALSE(basket.IsBusy());
  for (const char* command : commands) EXPECT_TRUE(Button(command)->isEnabled()) << command;
  EXPECT_FALSE(Button("cmdCancelAdd")->isVisible());
  ASSERT_EQ(busy.size(), 2);
  EXPECT_TRUE(busy[0][0].toBool());
  EXPECT_FALSE(busy[1][0].toBool());

  // The next add starts afresh and takes the rest.
  Button("cmdAddToQueue")->click();
  EXPECT_EQ(basket.Rows().size(), 20);
}

// Cancel beside the status bar's progress bar ends an open after the current file.
TEST_F(BasketCommandsTest, CancelEndsTheOpenAfterTheCurrentFile) {
  QStringList paths;
  for (int i = 0; i < 20; ++i) {
    QImage picture(6, 4, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    paths << scratch_.filePath(QStringLiteral("g%1.png").arg(i, 2, 10, QChar('0')));
    ASSERT_TRUE(picture.save(paths.back()));
  }
  const QString basketFile = WriteBasketFile("twenty.ibf", paths);
  browse::BasketList& basket = pane_->Basket();
  bool cancelled = false;
  QObject::connect(window_->lvPages->model(), &QAbstractItemModel::rowsInserted, &basket, [&] {
    if (cancelled) return;
    cancelled = true;
    EXPECT_TRUE(basket.IsBusy());
    QPushButton* cancel = Button("cmdCancelQueue");
    EXPECT_TRUE(cancel->isVisible());
    QMetaObject::invokeMethod(cancel, &QPushButton::click, Qt::QueuedConnection);
  });
  Open(basketFile);
  EXPECT_EQ(BasketNames(), QStringList{"g00"});
  EXPECT_FALSE(Button("cmdCancelQueue")->isVisible());
  EXPECT_FALSE(basket.IsBusy());
}

// The file list emptied for another folder while the add yields: the add goes on with what was
// selected when it began.
TEST_F(BasketCommandsTest, AddOutlivesTheFileListChangingFolder) {
  QTemporaryDir empty;
  bool listed = false;
  QObject::connect(window_->lvPages->model(), &QAbstractItemModel::rowsInserted, window_.get(),
                   [&] {
                     if (listed) return;
                     listed = true;
                     browser_->subShowFilesInFolder(empty.path());
                     EXPECT_EQ(window_->lvFolder->topLevelItemCount(), 0);
                   });
  Add({0, kScanRow, 2});
  EXPECT_EQ(BasketNames(), (QStringList{"a_red", "c_blue", "scan1", "scan2", "scan3"}));
}

// An output locks the basket while it reads it.
TEST_F(BasketCommandsTest, LockedBasketRefusesItsCommands) {
  browse::BasketList& basket = pane_->Basket();
  Add({0});
  QSignalSpy busy(&basket, &browse::BasketList::BusyChanged);
  basket.SetLocked(true);
  EXPECT_TRUE(basket.IsBusy());
  EXPECT_FALSE(Button("cmdPagesNew")->isEnabled());
  Add({1});
  window_->lvPages->selectAll();
  basket.cmdPagesDelete_Click();
  basket.cmdPagesNew_Click();
  basket.lvPages_OLEDragDrop(window_->lvFolder, {});
  EXPECT_EQ(BasketNames(), QStringList{"a_red"});
  basket.SetLocked(false);
  EXPECT_TRUE(Button("cmdPagesNew")->isEnabled());
  ASSERT_EQ(busy.size(), 2);
  EXPECT_TRUE(busy[0][0].toBool());
  EXPECT_FALSE(busy[1][0].toBool());
  Add({1});
  EXPECT_EQ(BasketNames(), (QStringList{"a_red", "b_green"}));
}

}  // namespace
