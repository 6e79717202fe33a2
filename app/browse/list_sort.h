#pragma once
// Sorting a list by a clicked column header, and the keys that move through a list, shared by
// the file list and the basket.
#include <QTreeWidgetItem>
#include <QVariant>

class QTreeWidget;

namespace browse {

// A click on the column of the current sort turns the order round; a click on another column
// sorts by it ascending. The list remembers its sort key (column 0 before any sort) and order.
void subSortByColumn(QTreeWidget* list, int column);

// A row of a sortable list. A column with a sort value (a size in bytes, a date) sorts by that
// value; the others sort by their text as the desktop's file manager does: without regard to
// case, and numbers within the text by their value ("page 9" before "page 10").
class SortableRow : public QTreeWidgetItem {
 public:
  using QTreeWidgetItem::QTreeWidgetItem;
  bool operator<(const QTreeWidgetItem& other) const override;
};

// Gives a column of a row the value it sorts by.
void SetSortValue(QTreeWidgetItem* row, int column, const QVariant& value);

// Natural, case-insensitive order of two texts ("photo9" before "Photo10"): negative, 0 or
// positive.
int CompareNaturally(const QString& a, const QString& b);

// The arrow keys, which move the current row (and show the picture it names).
inline bool IsArrowKey(int key) {
  return key == Qt::Key_Left || key == Qt::Key_Up || key == Qt::Key_Right || key == Qt::Key_Down;
}

}  // namespace browse
