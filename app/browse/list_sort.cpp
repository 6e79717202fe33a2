#include "app/browse/list_sort.h"

#include <QTreeWidget>

namespace browse {
namespace {

constexpr char kSortKey[] = "velmoraSortKey";
constexpr char kSortOrder[] = "velmoraSortOrder";
constexpr int kSortValueRole = Qt::UserRole + 20;

// The run of digits or of other characters that starts at `at`.
QStringView RunAt(QStringView text, qsizetype at) {
  const bool digits = text.at(at).isDigit();
  qsizetype end = at;
  while (end < text.size() && text.at(end).isDigit() == digits) ++end;
  return text.sliced(at, end - at);
}

// Two runs of digits by their value, however long: fewer digits after the leading zeros is less.
int CompareNumbers(QStringView a, QStringView b) {
  const auto significant = [](QStringView run) {
    qsizetype zeros = 0;
    while (zeros + 1 < run.size() && run.at(zeros) == u'0') ++zeros;
    return run.sliced(zeros);
  };
  const QStringView x = significant(a);
  const QStringView y = significant(b);
  if (x.size() != y.size()) return x.size() < y.size() ? -1 : 1;
  return x.compare(y);
}

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

int CompareNaturally(const QString& a, const QString& b) {
  qsizetype i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    const QStringView x = RunAt(a, i);
    const QStringView y = RunAt(b, j);
    const bool numbers = x.at(0).isDigit() && y.at(0).isDigit();
    const int order = numbers ? CompareNumbers(x, y) : x.compare(y, Qt::CaseInsensitive);
    if (order != 0) return order;
    i += x.size();
    j += y.size();
  }
  if (i < a.size() || j < b.size()) return i < a.size() ? 1 : -1;
  // Texts equal but for case or leading zeros still get one order, the same every time.
  return a.compare(b);
}

bool SortableRow::operator<(const QTreeWidgetItem& other) const {
  const int column = treeWidget() != nullptr ? treeWidget()->sortColumn() : 0;
  const QVariant mine = data(column, kSortValueRole);
  const QVariant theirs = other.data(column, kSortValueRole);
  if (mine.isValid() && theirs.isValid()) {
    const QPartialOrdering order = QVariant::compare(mine, theirs);
    if (order != QPartialOrdering::Equivalent && order != QPartialOrdering::Unordered)
      return order == QPartialOrdering::Less;
  }
  return CompareNaturally(text(column), other.text(column)) < 0;
}

void SetSortValue(QTreeWidgetItem* row, int column, const QVariant& value) {
  row->setData(column, kSortValueRole, value);
}

}  // namespace browse
