#pragma once
// Reordering and removing basket rows. The list view shows these rows; a row keeps its
// thumbnail index wherever it goes, so thumbnails never move.
#include <QList>

#include "app/browse/basket_item.h"

namespace browse {

// Moves the selected rows (indexes in list order) onto the target row: before it when it lies
// above the anchor (the list's current row), else after it; the moved rows keep their order.
// Returns the moved rows' new indexes, which the list selects; nothing moves (and nothing is
// returned) when the target or anchor is no row.
QList<int> subMoveDraggedRows(QList<BasketItem>& rows, const QList<int>& selected, int target,
                              int anchor);
// Removes the selected rows (indexes in list order).
void subRemoveSelectedRows(QList<BasketItem>& rows, const QList<int>& selected);

}  // namespace browse
