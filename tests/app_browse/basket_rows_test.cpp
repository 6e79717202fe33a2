// Moving and removing basket rows: where dragged rows land and which thumbnails rows keep.
#include <gtest/gtest.h>

#include "app/browse/basket_rows.h"

namespace {

using namespace browse;

// Rows "1".."n", each with its own thumbnail.
QList<BasketItem> Numbered(int count) {
  QList<BasketItem> rows;
  for (int i = 1; i <= count; ++i) {
    BasketItem row;
    row.Text = QString::number(i);
    row.ThumbnailIndex = i * 10;
    rows.append(row);
  }
  return rows;
}

QString Order(const QList<BasketItem>& rows) {
  QStringList texts;
  for (const BasketItem& row : rows) texts.append(row.Text);
  return texts.join(',');
}

TEST(BasketRows, MoveTable) {
  // Indexes are 0-based: "rows 2 and 3 onto 5" selects 1 and 2 and drops on 4.
  struct Case {
    const char* name;
    QList<int> selected;
    int target, anchor;
    const char* order;
    QList<int> placed;
  } cases[] = {
      {"2 and 3 onto 5", {1, 2}, 4, 1, "1,4,5,2,3", {3, 4}},
      {"2 and 3 onto 5, anchor 3", {1, 2}, 4, 2, "1,4,5,2,3", {3, 4}},
      {"5 onto 2", {4}, 1, 4, "1,5,2,3,4", {1}},
      {"1 and 5 onto 3", {0, 4}, 2, 0, "2,3,1,5,4", {2, 3}},
      {"2 and 4 onto 1", {1, 3}, 0, 3, "2,4,1,3,5", {0, 1}},
      {"onto a moved row", {1, 2}, 2, 1, "1,2,3,4,5", {1, 2}},
      {"no target", {1}, -1, 1, "1,2,3,4,5", {}},
      {"no anchor", {1}, 3, 7, "1,2,3,4,5", {}},
  };
  for (const Case& c : cases) {
    QList<BasketItem> rows = Numbered(5);
    EXPECT_EQ(subMoveDraggedRows(rows, c.selected, c.target, c.anchor), c.placed) << c.name;
    EXPECT_EQ(Order(rows), c.order) << c.name;
    for (const BasketItem& row : rows)
      EXPECT_EQ(row.ThumbnailIndex, row.Text.toInt() * 10) << c.name;
  }
}

TEST(BasketRows, RemovalKeepsThumbnailIndexes) {
  QList<BasketItem> rows = Numbered(5);
  subRemoveSelectedRows(rows, {1, 3});
  EXPECT_EQ(Order(rows), "1,3,5");
  QList<int> thumbnails;
  for (const BasketItem& row : rows) thumbnails.append(row.ThumbnailIndex);
  EXPECT_EQ(thumbnails, (QList<int>{10, 30, 50}));
}

TEST(BasketRows, RemovingEveryRowEmptiesTheBasket) {
  QList<BasketItem> rows = Numbered(4);
  subRemoveSelectedRows(rows, {0, 1, 2, 3});
  EXPECT_TRUE(rows.isEmpty());
  rows = Numbered(2);
  subRemoveSelectedRows(rows, {});
  EXPECT_EQ(Order(rows), "1,2");
}

}  // namespace
