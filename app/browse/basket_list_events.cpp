// The events of lvPages: clicks and keys, drag and drop, renaming in place and sorting.
#include <QApplication>
#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScopedValueRollback>
#include <QStyledItemDelegate>
#include <QTreeWidget>

#include "app/browse/basket_list.h"
#include "app/browse/basket_rows.h"
#include "app/browse/list_sort.h"
#include "app/shell/errors.h"
#include "app/shell/ui_service.h"

namespace browse {
namespace {

// The batch outputs build file names from a row's name: one that names a folder or climbs out
// of the output folder is refused.
bool IsUsableName(const QString& name) {
  return !name.isEmpty() && name != u"." && name != u".." && !name.contains(QLatin1Char('/'));
}

// Only the name column is edited in place; the other columns describe the file.
class NameOnlyDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const override {
    if (index.column() != 0) return nullptr;
    return QStyledItemDelegate::createEditor(parent, option, index);
  }
};

}  // namespace

void BasketList::ConnectList() {
  QTreeWidget* list = w_.lvPages;
  list->setSelectionMode(QAbstractItemView::ExtendedSelection);
  // F2 and "Rename title" start editing: a click on a row of a larger selection selects that row.
  list->setEditTriggers(QAbstractItemView::EditKeyPressed);
  list->setItemDelegate(new NameOnlyDelegate(list));
  // The basket's context menu listens to the list's own request.
  list->setContextMenuPolicy(Qt::CustomContextMenu);
  list->setDragEnabled(true);
  list->viewport()->setAcceptDrops(true);
  list->header()->setSectionsClickable(true);
  list->installEventFilter(this);
  list->viewport()->installEventFilter(this);
  connect(list->header(), &QHeaderView::sectionClicked, this,
          [list](int column) { subSortByColumn(list, column); });
  connect(list, &QTreeWidget::itemChanged, this, &BasketList::lvPages_ItemChanged);
}

bool BasketList::eventFilter(QObject* watched, QEvent* event) {
  if (watched == w_.lvPages) {
    if (event->type() == QEvent::FocusOut) mbSuppressShow = true;
    if (event->type() == QEvent::KeyRelease && w_.lvPages->topLevelItemCount() > 0)
      lvPages_KeyUp(static_cast<QKeyEvent*>(event)->key());
    return false;
  }
  if (watched != w_.lvPages->viewport() || forwarding_) return false;
  switch (event->type()) {
    case QEvent::MouseButtonPress:
      return ThenOnTheList(event, static_cast<QMouseEvent*>(event)->button(), false);
    case QEvent::MouseButtonRelease:
      return ThenOnTheList(event, static_cast<QMouseEvent*>(event)->button(), true);
    case QEvent::DragEnter:
    case QEvent::DragMove: {
      auto* drag = static_cast<QDropEvent*>(event);
      // Always a copy: a move would let the list the drag came from delete its rows.
      drag->setDropAction(Qt::CopyAction);
      drag->setAccepted(lvPages_OLEDragOver(drag->source(), drag->position().toPoint()));
      return true;
    }
    case QEvent::DragLeave:
      SetDropHighlight(nullptr);
      return true;
    case QEvent::Drop: {
      auto* drop = static_cast<QDropEvent*>(event);
      drop->setDropAction(Qt::CopyAction);
      drop->accept();
      lvPages_OLEDragDrop(drop->source(), drop->position().toPoint());
      return true;
    }
    default:
      return false;
  }
}

// The list updates its selection while it handles the mouse, so the click is counted (and the
// mouse-up rule applied) once the list itself has seen the event.
bool BasketList::ThenOnTheList(QEvent* event, Qt::MouseButton button, bool released) {
  {
    const QScopedValueRollback<bool> guard(forwarding_, true);
    QCoreApplication::sendEvent(w_.lvPages->viewport(), event);
  }
  event->accept();
  const QPoint position = static_cast<QMouseEvent*>(event)->position().toPoint();
  if (w_.lvPages->itemAt(position) != nullptr) lvPages_ItemClick();
  if (released) lvPages_MouseUp(button);
  return true;
}

void BasketList::lvPages_ItemClick() {
  selectedCount_ = static_cast<int>(w_.lvPages->selectedItems().size());
  if (selectedCount_ < 2) mbSuppressShow = false;
}

// The right button belongs to the basket's context menu.
void BasketList::lvPages_MouseUp(Qt::MouseButton button) {
  if (w_.lvPages->topLevelItemCount() == 0 || button == Qt::RightButton) return;
  if (mbSuppressShow) {
    w_.lvPages->setFocus();
    return;
  }
  if (selectedCount_ >= 2) return;
  ShowSelectedRow();
  w_.lvPages->setFocus();
}

void BasketList::lvPages_KeyUp(int key) {
  if (key == Qt::Key_Delete)
    cmdPagesDelete_Click();
  else if (IsArrowKey(key) && !mbSuppressShow)
    ShowSelectedRow();
}

void BasketList::ShowSelectedRow() {
  QTreeWidgetItem* row = w_.lvPages->currentItem();
  if (row != nullptr && ShowRowHook) ShowRowHook(row);
}

// ---- Drag and drop ----------------------------------------------------------------------------

bool BasketList::lvPages_OLEDragOver(const QObject* source, const QPoint& position) {
  const bool fromBasket = source == w_.lvPages;
  if (IsBusy() || (!fromBasket && source != w_.lvFolder)) return false;
  if (fromBasket && !ilPages_.isEmpty()) SetDropHighlight(w_.lvPages->itemAt(position));
  return true;
}

void BasketList::lvPages_OLEDragDrop(const QObject* source, const QPoint& position) {
  mbSuppressShow = true;
  if (!IsBusy() && source == w_.lvFolder) {
    subAddDroppedFiles();
    ShowQueueCount();
  } else if (!IsBusy() && source == w_.lvPages) {
    subMoveDraggedRows(position);
  }
  SetDropHighlight(nullptr);
}

void BasketList::subMoveDraggedRows(const QPoint& position) {
  QTreeWidget* list = w_.lvPages;
  QTreeWidgetItem* target = list->itemAt(position);
  QTreeWidgetItem* anchor = list->currentItem();
  if (target == nullptr || anchor == nullptr) return;
  QList<BasketItem> rows = Rows();
  const QList<int> placed =
      browse::subMoveDraggedRows(rows, SelectedIndexes(), list->indexOfTopLevelItem(target),
                                 list->indexOfTopLevelItem(anchor));
  if (placed.isEmpty()) return;
  ShowRows(rows);
  list->setCurrentItem(list->topLevelItem(placed.first()), 0, QItemSelectionModel::NoUpdate);
  for (int index : placed) list->topLevelItem(index)->setSelected(true);
}

void BasketList::SetDropHighlight(QTreeWidgetItem* row) {
  if (row == dropHighlight_) return;
  const int columns = w_.lvPages->columnCount();
  if (dropHighlight_ != nullptr)
    for (int column = 0; column < columns; ++column) dropHighlight_->setBackground(column, {});
  dropHighlight_ = row;
  if (row == nullptr) return;
  const QBrush highlight = w_.lvPages->palette().brush(QPalette::Highlight);
  for (int column = 0; column < columns; ++column) row->setBackground(column, highlight);
}

// ---- Renaming in place ------------------------------------------------------------------------

void BasketList::BeginRename() {
  if (QTreeWidgetItem* row = w_.lvPages->currentItem()) w_.lvPages->editItem(row, kName);
}

// A refused name goes back to the one before; the message waits until the editor has closed,
// since a message box taking the focus from the editor would commit the edit once more.
void BasketList::lvPages_ItemChanged(QTreeWidgetItem* row, int column) {
  if (column != kName || reverting_) return;
  const QString name = row->text(kName);
  if (name == row->data(kName, kLastNameRole).toString()) return;  // another column or role
  if (IsUsableName(name)) {
    row->setData(kName, kLastNameRole, name);
    return;
  }
  {
    const QScopedValueRollback<bool> guard(reverting_, true);
    row->setText(kName, row->data(kName, kLastNameRole).toString());
  }
  QMetaObject::invokeMethod(
      this,
      [] {
        shell::Ui().Message(
            QStringLiteral("A basket name cannot be empty, \".\" or \"..\", nor contain \"/\"."),
            shell::gstrApplicationName, shell::MessageIcon::Exclamation);
      },
      Qt::QueuedConnection);
}

}  // namespace browse
