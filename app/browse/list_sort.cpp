#include "app/browse/list_sort.h"

#include <QTreeWidget>

namespace browse {
namespace {

constexpr char kSortKey[] = "velmoraSortKey";
constexpr char kSortOrder[] = "velmoraSortOrder";

}  // namespace

void subSortByColumn(QTreeWidget* list, int column) {
  if (list == nullptr || column < 0 || column >= list->columnCount()) return;
  const int key = list->property(kSortKey).toInt();
  const auto order = static_cast<Qt::SortOrder>(list->property(kSortOrder).toInt());
  Qt::SortOrder next = Qt::AscendingOrder;
  if (column == key && order == Qt::AscendingOrder) next = Qt::DescendingOrder;
  list->setProperty(kSortKey, column);
  list->setProperty(kSortOrder, static_cast<int>(next));
  list->sortItems(column, next);
}

}  // namespace browse
