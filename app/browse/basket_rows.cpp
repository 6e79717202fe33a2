#include "app/browse/basket_rows.h"

#include <algorithm>
#include <functional>

namespace browse {

namespace {

bool IsRow(const QList<BasketItem>& rows, int index) {
  return index >= 0 && index < rows.size();
}

}  // namespace

QList<int> subMoveDraggedRows(QList<BasketItem>& rows, const QList<int>& selected, int target,
                              int anchor) {
  if (!IsRow(rows, target) || !IsRow(rows, anchor) || selected.isEmpty()) return {};
  if (!std::all_of(selected.begin(), selected.end(), [&](int i) { return IsRow(rows, i); }))
    return {};
  const int insertAt = target < anchor ? target : target + 1;
  QList<BasketItem> moved;
  for (int index : selected) moved.append(rows[index]);
  const auto movedFromAbove =
      std::count_if(selected.begin(), selected.end(), [&](int index) { return index < insertAt; });
  subRemoveSelectedRows(rows, selected);
  const int at = insertAt - static_cast<int>(movedFromAbove);
  QList<int> placed;
  for (int k = 0; k < moved.size(); ++k) {
    rows.insert(at + k, moved[k]);
    placed.append(at + k);
  }
  return placed;
}

void subRemoveSelectedRows(QList<BasketItem>& rows, const QList<int>& selected) {
  QList<int> laterFirst = selected;
  std::sort(laterFirst.begin(), laterFirst.end(), std::greater<>());
  laterFirst.erase(std::unique(laterFirst.begin(), laterFirst.end()), laterFirst.end());
  // Later rows first, so each index still names the row it named.
  for (int index : laterFirst)
    if (IsRow(rows, index)) rows.removeAt(index);
}

}  // namespace browse
