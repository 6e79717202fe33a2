// The basket list's own events: moving rows by drag and drop, which drags it takes, the drop
// highlight, sorting by a column, the mouse-up rule and renaming in place.
#include <QDropEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QLineEdit>
#include <QMimeData>
#include <algorithm>

#include "app/browse/list_sort.h"
#include "app/browse/row_tag.h"
#include "basket_fixture.h"

namespace {

using namespace basket_test;

class BasketEventsTest : public BasketTest {
 protected:
  // Five rows: a_red, b_green, c_blue, scan1, scan2.
  void FiveRows() {
    Add({0, 1, 2, kScanRow});
    window_->lvPages->topLevelItem(5)->setSelected(true);
    pane_->Basket().cmdPagesDelete_Click();
    ASSERT_EQ(pane_->Basket().Rows().size(), 5);
  }
  // Selects these rows with `anchor` as the list's current row, as a drag begins.
  void SelectRows(const QList<int>& rows, int anchor) {
    QTreeWidget* list = window_->lvPages;
    list->clearSelection();
    list->setCurrentItem(list->topLevelItem(anchor), 0, QItemSelectionModel::NoUpdate);
    for (int row : rows) list->topLevelItem(row)->setSelected(true);
  }
  QPoint HeaderPlace(int column) const {
    const QHeaderView* header = window_->lvPages->header();
    return {header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
            header->height() / 2};
  }
};

enum class From { Basket, FileList, OtherProgram };

TEST_F(BasketEventsTest, DraggedRowsMoveBeforeOrAfterTheTargetAndStaySelected) {
  struct Case {
    const char* name;
    From from;
    QList<int> selected;
    int anchor, target;
    QList<int> order;          // of the five rows after the drop
    QList<int> selectedAfter;  // rows (by their first place) selected after the drop
  } cases[] = {
      {"rows 2 and 3 onto row 5", From::Basket, {1, 2}, 1, 4, {0, 3, 4, 1, 2}, {1, 2}},
      {"row 5 onto row 2", From::Basket, {4}, 4, 1, {0, 4, 1, 2, 3}, {4}},
      {"rows 1 and 4 onto row 3", From::Basket, {0, 3}, 3, 2, {1, 0, 3, 2, 4}, {0, 3}},
      {"a drag from another program", From::OtherProgram, {1, 2}, 1, 4, {0, 1, 2, 3, 4}, {1, 2}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    pane_->Basket().cmdPagesNew_Click();
    FiveRows();
    const QList<BasketItem> before = pane_->Basket().Rows();
    SelectRows(c.selected, c.anchor);
    const QObject* source = c.from == From::Basket ? window_->lvPages : nullptr;
    pane_->Basket().lvPages_OLEDragDrop(source, RowPlace(c.target));
    QList<BasketItem> expected;
    for (int row : c.order) expected << before[row];
    EXPECT_EQ(pane_->Basket().Rows(), expected);  // thumbnail indexes travel with their rows
    QStringList selected;
    for (int row : c.selectedAfter) selected << before[row].Text;
    QStringList shown = SelectedNames();
    std::sort(shown.begin(), shown.end());
    std::sort(selected.begin(), selected.end());
    EXPECT_EQ(shown, selected);
  }
}

// Only our two lists are taken; the highlight follows a drag of basket rows and goes at the drop.
TEST_F(BasketEventsTest, DragsFromElsewhereAreRefusedAndBasketDragsHighlightTheTarget) {
  FiveRows();
  QTreeWidget* list = window_->lvPages;
  browse::BasketList& basket = pane_->Basket();
  const auto highlighted = [&] {
    QList<int> rows;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
      if (list->topLevelItem(i)->background(0) != QBrush()) rows << i;
    return rows;
  };
  EXPECT_FALSE(basket.lvPages_OLEDragOver(nullptr, RowPlace(2)));
  EXPECT_FALSE(basket.lvPages_OLEDragOver(window_->lvExif, RowPlace(2)));
  EXPECT_TRUE(basket.lvPages_OLEDragOver(window_->lvFolder, RowPlace(2)));
  EXPECT_TRUE(highlighted().isEmpty());
  EXPECT_TRUE(basket.lvPages_OLEDragOver(list, RowPlace(2)));
  EXPECT_EQ(highlighted(), QList<int>{2});
  EXPECT_TRUE(basket.lvPages_OLEDragOver(list, RowPlace(3)));
  EXPECT_EQ(highlighted(), QList<int>{3});
  basket.lvPages_OLEDragDrop(nullptr, RowPlace(3));
  EXPECT_TRUE(highlighted().isEmpty());

  // Through the list's own events: a drag another program started carries no source widget,
  // and the file list's selection is not added for it.
  FileRow(1)->setSelected(true);
  QMimeData text;
  text.setText(File(kPictures[1].name));
  QDragEnterEvent enter(RowPlace(0), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(list->viewport(), &enter);
  EXPECT_FALSE(enter.isAccepted());
  QDropEvent drop(QPointF(RowPlace(0)), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(list->viewport(), &drop);
  EXPECT_EQ(basket.Rows().size(), 5);
}

// A click on the current sort column turns the order round, another column sorts ascending. The
// size sorts by the bytes of the row's file, the texts in natural order.
TEST_F(BasketEventsTest, HeaderClicksSortByTheColumnsValue) {
  Add({0, 1, 2, kScanRow});
  QTreeWidget* list = window_->lvPages;
  const auto column = [&](int index) {
    QStringList texts;
    for (int i = 0; i < list->topLevelItemCount(); ++i) texts << list->topLevelItem(i)->text(index);
    return texts;
  };
  const auto before = [&](int index, const QTreeWidgetItem* a, const QTreeWidgetItem* b) {
    if (index == 2) {
      const qint64 sizeA = QFileInfo(a->data(0, browse::kRowTagRole).toString()).size();
      const qint64 sizeB = QFileInfo(b->data(0, browse::kRowTagRole).toString()).size();
      if (sizeA != sizeB) return sizeA < sizeB;
    }
    return browse::CompareNaturally(a->text(index), b->text(index)) < 0;
  };
  const auto sorted = [&](int index, bool ascending) {
    QList<QTreeWidgetItem*> rows;
    for (int i = 0; i < list->topLevelItemCount(); ++i) rows << list->topLevelItem(i);
    std::sort(rows.begin(), rows.end(), [&](const QTreeWidgetItem* a, const QTreeWidgetItem* b) {
      return ascending ? before(index, a, b) : before(index, b, a);
    });
    QStringList texts;
    for (const QTreeWidgetItem* row : rows) texts << row->text(index);
    return texts;
  };
  struct Step {
    int column;
    bool ascending;
  } steps[] = {{0, false},  // sorted by name ascending from the start, so the first click turns it
               {2, true},  {2, false}, {3, true}, {0, true}, {0, false}};
  for (const Step& step : steps) {
    SCOPED_TRACE(step.column);
    const QStringList expected = sorted(step.column, step.ascending);
    QTest::mouseClick(list->header()->viewport(), Qt::LeftButton, {}, HeaderPlace(step.column));
    EXPECT_EQ(column(step.column), expected);
  }
}

// A click that leaves one row selected shows it; with two counted, the mouse-up shows nothing;
// once the list lost the focus, an arrow key shows nothing until the next click.
TEST_F(BasketEventsTest, MouseUpShowsTheRowOnlyWhenOneIsCounted) {
  Add({0, 1, 2});
  QTreeWidget* list = window_->lvPages;
  window_->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
  const QString first = File(kPictures[0].name), second = File(kPictures[1].name);
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, RowPlace(0));
  EXPECT_EQ(pane_->Basket().mintSelectedCount(), 1);
  EXPECT_EQ(pane_->View().ShownPath(), first);
  QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier, RowPlace(1));
  EXPECT_EQ(pane_->Basket().mintSelectedCount(), 2);
  EXPECT_EQ(pane_->View().ShownPath(), first);
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, RowPlace(1));
  EXPECT_EQ(pane_->Basket().mintSelectedCount(), 1);
  EXPECT_EQ(pane_->View().ShownPath(), second);

  window_->lvFolder->setFocus();
  list->setFocus();
  QTest::keyClick(list, Qt::Key_Down);
  EXPECT_EQ(pane_->View().ShownPath(), second);
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, RowPlace(2));
  EXPECT_EQ(pane_->View().ShownPath(), File(kPictures[2].name));
}

// Previous and next walk the list that took the focus last.
TEST_F(BasketEventsTest, PreviousWalksTheListThatHadTheFocusLast) {
  Add({0, 1});
  window_->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
  window_->lvFolder->setFocus();
  FileRow(2)->setSelected(true);
  window_->lvFolder->setCurrentItem(FileRow(2));
  pane_->View().cmdPreviewPrevious_Click();
  EXPECT_EQ(pane_->View().ShownPath(), File(kPictures[1].name));  // the file list's row above

  QTest::mouseClick(window_->lvPages->viewport(), Qt::LeftButton, {}, RowPlace(1));
  EXPECT_EQ(pane_->View().mstrFocusedList, QStringLiteral("lvPages"));
  pane_->View().cmdPreviewPrevious_Click();
  EXPECT_EQ(pane_->View().ShownPath(), File(kPictures[0].name));
  EXPECT_EQ(SelectedNames(), QStringList{"a_red"});
}

// A name the batch outputs could not use as a file name is refused and the old one comes back.
TEST_F(BasketEventsTest, RenameInPlaceRefusesNamesThatAreNoFileNames) {
  struct Case {
    QString typed;
    bool taken;
  } cases[] = {{"", false},  {".", false},       {"..", false}, {"a/b", false},
               {"/", false}, {"new name", true}, {"a.b", true}, {"...", true}};
  Add({0});
  QTreeWidget* list = window_->lvPages;
  list->setCurrentItem(list->topLevelItem(0));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed.toStdString());
    const QString before = list->topLevelItem(0)->text(0);
    ui_.messages.clear();
    pane_->Basket().BeginRename();
    auto* editor = list->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    QTest::keyClick(editor, Qt::Key_Delete);  // the editor's key: the row stays
    editor->setText(c.typed);
    QTest::keyClick(editor, Qt::Key_Return);
    // The editor commits on the event loop's next turn; a refusal is told on the turn after.
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(pane_->Basket().Rows().at(0).Text, c.taken ? c.typed : before);
    EXPECT_EQ(ui_.messages.size(), c.taken ? 0u : 1u);
  }
}

}  // namespace
