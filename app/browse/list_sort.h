#pragma once
// Sorting a list by a clicked column header, shared by the file list and the basket.
class QTreeWidget;

namespace browse {

// A click on the column of the current sort turns the order round; a click on another column
// sorts by it ascending. Rows are ordered by the column's text. The list remembers its sort key
// (column 0 before any sort) and order.
void subSortByColumn(QTreeWidget* list, int column);

}  // namespace browse
