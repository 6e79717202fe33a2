// The basket's rows: adding, showing, splitting, removing and the new basket.
#include "basket_fixture.h"

namespace {

using namespace basket_test;

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

// A 3-page TIFF becomes three rows, each loading a one-page TIFF of its own page; the viewer's
// control is not used for it.
TEST_F(BasketTest, MultipageFileIsSplitIntoPageFilesOnce) {
  const QString source = File(kPictures[kScanRow].name);
  ASSERT_EQ(Compressions(source).size(), 3);
  const QStringList sizes = PageSizes(source);
  ASSERT_EQ(sizes.size(), 3);
  const QString viewerFile = ViewerFile();

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
  EXPECT_EQ(ViewerFile(), viewerFile);
}

// Removing rows 2 and 4 of 5 keeps rows 1, 3 and 5 with their thumbnails; Ctrl+A then Delete
// empties the list.
TEST_F(BasketTest, RemovedRowsLeaveTheOthersTheirThumbnails) {
  Add({0, 1, 2, kScanRow});
  QTreeWidget* basket = window_->lvPages;
  basket->topLevelItem(5)->setSelected(true);
  Button("cmdPagesDelete")->click();
  const QList<BasketItem> five = pane_->Basket().Rows();
  ASSERT_EQ(five.size(), 5);
  basket->topLevelItem(1)->setSelected(true);
  basket->topLevelItem(3)->setSelected(true);
  Button("cmdPagesDelete")->click();
  const QList<BasketItem> rows = pane_->Basket().Rows();
  EXPECT_EQ(rows, (QList<BasketItem>{five[0], five[2], five[4]}));
  EXPECT_EQ(pane_->Basket().ilPages().size(), 6);
  for (int i = 0; i < rows.size(); ++i)
    EXPECT_EQ(CentreColour(basket->topLevelItem(i)->icon(0).pixmap(shell::glBasketThumbWidth,
                                                                   shell::glBasketThumbHeight)),
              CentreColour(pane_->Basket().ilPages().at(rows[i].ThumbnailIndex)));
  EXPECT_EQ(CentreColour(pane_->Basket().ilPages().at(rows[1].ThumbnailIndex)),
            kPictures[2].colour);
  EXPECT_EQ(QueuePanel(), QStringLiteral("3 file(s) in basket"));

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
  Button("cmdPagesNew")->click();
  EXPECT_TRUE(pane_->Basket().Rows().isEmpty());
  EXPECT_TRUE(pane_->Basket().ilPages().isEmpty());
  EXPECT_EQ(QueuePanel(), QStringLiteral("New Basket"));
  for (int i = 1; i < 4; ++i)
    EXPECT_FALSE(QFileInfo::exists(rows[i].Tag)) << rows[i].Tag.toStdString();
  EXPECT_TRUE(QFileInfo::exists(File(kPictures[0].name)));
  EXPECT_TRUE(QFileInfo::exists(File(kPictures[kScanRow].name)));
}

}  // namespace
