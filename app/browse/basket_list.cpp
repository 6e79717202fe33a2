#include "app/browse/basket_list.h"

#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QTreeWidget>

#include "app/browse/basket_pages.h"
#include "app/browse/basket_rows.h"
#include "app/browse/folder_browser.h"
#include "app/browse/picture_loader.h"
#include "app/browse/row_tag.h"
#include "app/shell/errors.h"
#include "app/shell/file_facts.h"
#include "app/shell/main_window.h"
#include "app/shell/paths.h"
#include "control/activex/imagebox_interface.h"
#include "platform/com/control_host.h"
#include "platform/graphics/handles.h"

namespace browse {
namespace {

enum FolderColumn { kFolderName, kFolderResolution, kFolderSize, kFolderPages, kFolderType };
enum BasketColumn { kName, kResolution, kSize, kType, kPath };

constexpr uint32_t kWhite = 0x00FFFFFF;

// The picture the control holds, fitted into the basket's thumbnail box.
QPixmap ControlThumbnail(pictavo::ax::ImageBoxProxy& box, int32_t width, int32_t height) {
  const auto handle = static_cast<plat::THandle>(box.get_BMPHandle());
  const QImage thumbnail =
      fncScalePicture(handle, width, height, kBitmapHandle, shell::glBasketThumbWidth,
                      shell::glBasketThumbHeight, kExactBox, kWhite, true);
  plat::DeleteBitmapHandle(handle);
  return QPixmap::fromImage(thumbnail);
}

bool IsArrowKey(int key) {
  return key == Qt::Key_Left || key == Qt::Key_Up || key == Qt::Key_Right || key == Qt::Key_Down;
}

}  // namespace

BasketList::BasketList(const BasketListWidgets& widgets, QObject* parent)
    : QObject(parent), w_(widgets) {
  w_.lvPages->setSelectionMode(QAbstractItemView::ExtendedSelection);
  w_.lvPages->installEventFilter(this);
  connect(w_.lvPages, &QTreeWidget::itemClicked, this, [this] {
    if (w_.lvPages->selectedItems().size() < 2) ShowSelectedRow();
  });
}

bool BasketList::eventFilter(QObject* watched, QEvent* event) {
  if (watched == w_.lvPages && event->type() == QEvent::KeyRelease &&
      w_.lvPages->topLevelItemCount() > 0)
    lvPages_KeyUp(static_cast<QKeyEvent*>(event)->key());
  return QObject::eventFilter(watched, event);
}

void BasketList::lvPages_KeyUp(int key) {
  if (key == Qt::Key_Delete)
    cmdPagesDelete_Click();
  else if (IsArrowKey(key))
    ShowSelectedRow();
}

void BasketList::ShowSelectedRow() {
  QTreeWidgetItem* row = w_.lvPages->currentItem();
  if (row != nullptr && ShowRowHook) ShowRowHook(row);
}

void BasketList::cmdAddToQueue_Click() {
  shell::gstrCurrentActivity = QStringLiteral("Adding selected files to basket!");
  if (w_.lvFolder->topLevelItemCount() > 0) {
    // An error ends the add where it happened; the rows added so far stay.
    shell::Trap(shell::Routine::FrmMain_cmdAddToQueue_Click, [this] { AddSelectedFileRows(); });
    w_.folderPanel->setText(CurrentFolderHook ? CurrentFolderHook() : QString());
    if (w_.pbAddToBasket != nullptr) w_.pbAddToBasket->hide();
    ShowQueueCount();
  }
  w_.lvPages->clearSelection();
}

void BasketList::AddSelectedFileRows() {
  QTreeWidget* files = w_.lvFolder;
  const int count = files->topLevelItemCount();
  if (w_.pbAddToBasket != nullptr) {
    w_.pbAddToBasket->setRange(0, count);
    w_.pbAddToBasket->setValue(0);
    w_.pbAddToBasket->show();
  }
  for (int i = 0; i < count; ++i) {
    QTreeWidgetItem* row = files->topLevelItem(i);
    if (row->isSelected() && !InBasket(row->data(0, kRowTagRole).toString())) {
      w_.folderPanel->setText(QStringLiteral("Adding file to basket - '") + row->text(kFolderName) +
                              QStringLiteral("'"));
      const int pages = row->text(kFolderPages).trimmed().toInt();
      if (pages < 2)
        AddOnePageRow(row);
      else
        AddPageRows(row, pages);
    }
    if (w_.pbAddToBasket != nullptr) {
      w_.pbAddToBasket->setRange(0, count);
      w_.pbAddToBasket->setValue(i);
    }
  }
}

bool BasketList::InBasket(const QString& path) const {
  for (int i = 0; i < w_.lvPages->topLevelItemCount(); ++i)
    if (w_.lvPages->topLevelItem(i)->text(kPath) == path) return true;
  return false;
}

// The file list's own thumbnail of the row, rescaled; loaded from the file when the list has
// none (a details listing). The sizes are the file's when it was loaded, else left alone.
QPixmap BasketList::OnePageThumbnail(QTreeWidgetItem* fileRow, int32_t& width,
                                     int32_t& height) const {
  const QPixmap listed = FolderThumbnailHook ? FolderThumbnailHook(fileRow) : QPixmap();
  if (listed.isNull())
    return QPixmap::fromImage(LoadPic(fileRow->data(0, kRowTagRole).toString(), kExactBox,
                                      shell::glBasketThumbWidth, shell::glBasketThumbHeight, kWhite,
                                      width, height));
  return QPixmap::fromImage(fncScaleLoadedPicture(
      listed.toImage(), kExactBox, shell::glBasketThumbWidth, shell::glBasketThumbHeight, kWhite));
}

void BasketList::AddOnePageRow(QTreeWidgetItem* fileRow) {
  int32_t width = 0;
  int32_t height = 0;
  const QPixmap thumbnail = OnePageThumbnail(fileRow, width, height);
  if (thumbnail.isNull()) return;
  if (fileRow->text(kFolderResolution).trimmed().isEmpty() && width > 0)
    fileRow->setText(kFolderResolution,
                     QString::number(width) + QStringLiteral(" X ") + QString::number(height));
  const QString path = fileRow->data(0, kRowTagRole).toString();
  BasketItem item;
  item.Text = shell::fncRemoveExtension(fileRow->text(kFolderName));
  item.Tag = path;
  item.Resolution = fileRow->text(kFolderResolution);
  item.Size = fileRow->text(kFolderSize);
  item.Type = fileRow->text(kFolderType);
  item.Path = path;
  subAddEntryToListView(item, thumbnail);
}

// Each page is decoded once: the thumbnail and the page file both come from that decoding, and
// a page without a thumbnail is not written.
void BasketList::AddPageRows(QTreeWidgetItem* fileRow, int pages) {
  pictavo::ax::ImageBoxProxy box(w_.ibPages->Dispatch());
  const QString source = fileRow->data(0, kRowTagRole).toString();
  const QString name = fileRow->text(kFolderName);
  for (int page = 1; page <= pages; ++page) {
    w_.folderPanel->setText(QStringLiteral("Please wait... extracting multipage file - '") + name +
                            QStringLiteral("' Pages ") + QString::number(page) +
                            QStringLiteral(" of ") + QString::number(pages));
    if (w_.pbAddToBasket != nullptr) {
      w_.pbAddToBasket->setRange(0, pages);
      w_.pbAddToBasket->setValue(page);
    }
    box.put_ReadImageNumber(page);
    box.LoadFromFile(source.toStdString());
    const int32_t width = box.get_ImageWidth();
    const int32_t height = box.get_ImageHeight();
    const QPixmap thumbnail = ControlThumbnail(box, width, height);
    if (thumbnail.isNull()) continue;
    const QString pageFile = CreatePageFile(name, page);
    if (pageFile.isEmpty()) continue;
    box.SaveToFile(pageFile.toStdString());
    shell::clsFileInfo facts;
    facts.FilePath(pageFile);
    BasketItem item;
    item.Text = shell::fncRemoveExtension(name) + QString::number(page);
    item.Tag = pageFile;
    item.Resolution = QString::number(width) + QStringLiteral(" X ") + QString::number(height);
    item.Size = facts.fSizeFormated(0);
    item.Type = facts.fType();
    item.Path = source;
    subAddEntryToListView(item, thumbnail);
  }
}

void BasketList::subAddEntryToListView(const BasketItem& item, const QPixmap& thumbnail) {
  ilPages_.append(thumbnail);
  BasketItem row = item;
  row.ThumbnailIndex = static_cast<int>(ilPages_.size() - 1);
  AppendRow(row);
}

void BasketList::AppendRow(const BasketItem& item) {
  auto* row = new QTreeWidgetItem(w_.lvPages);
  row->setText(kName, item.Text);
  row->setText(kResolution, item.Resolution);
  row->setText(kSize, item.Size);
  row->setText(kType, item.Type);
  row->setText(kPath, item.Path);
  row->setData(0, kRowTagRole, item.Tag);
  row->setData(0, kRowThumbnailRole, item.ThumbnailIndex);
  row->setIcon(0, ilPages_.value(item.ThumbnailIndex));
}

void BasketList::ShowRows(const QList<BasketItem>& rows) {
  w_.lvPages->clear();
  for (const BasketItem& row : rows) AppendRow(row);
}

QList<int> BasketList::SelectedIndexes() const {
  QList<int> selected;
  for (int i = 0; i < w_.lvPages->topLevelItemCount(); ++i)
    if (w_.lvPages->topLevelItem(i)->isSelected()) selected << i;
  return selected;
}

// Thumbnails and page files stay: other rows point at the thumbnails by index.
void BasketList::cmdPagesDelete_Click() {
  QList<BasketItem> rows = Rows();
  subRemoveSelectedRows(rows, SelectedIndexes());
  ShowRows(rows);
  ShowQueueCount();
}

void BasketList::cmdPagesNew_Click() {
  w_.lvPages->clear();
  ilPages_.clear();
  w_.queuePanel->setText(QStringLiteral("New Basket"));
  DeletePageFiles();
}

QList<BasketItem> BasketList::Rows() const {
  QList<BasketItem> rows;
  for (int i = 0; i < w_.lvPages->topLevelItemCount(); ++i) {
    const QTreeWidgetItem* row = w_.lvPages->topLevelItem(i);
    rows.append({row->text(kName), row->data(0, kRowTagRole).toString(),
                 row->data(0, kRowThumbnailRole).toInt(), row->text(kResolution), row->text(kSize),
                 row->text(kType), row->text(kPath)});
  }
  return rows;
}

void BasketList::ShowQueueCount() {
  w_.queuePanel->setText(QString::number(w_.lvPages->topLevelItemCount()) +
                         QStringLiteral(" file(s) in basket"));
}

}  // namespace browse
