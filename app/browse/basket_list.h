#pragma once
// The image basket list lvPages: rows added from the file list, the thumbnails they point at
// (ilPages) and the "queue" panel. A row chosen in the basket is shown through ShowRowHook.
#include <QList>
#include <QObject>
#include <QPixmap>
#include <QString>
#include <functional>

#include "app/browse/basket_item.h"

class QLabel;
class QProgressBar;
class QTreeWidget;
class QTreeWidgetItem;

namespace plat::com {
class ControlHost;
}

namespace browse {

// The widgets the basket works with; it does not own them. pbAddToBasket may be absent.
struct BasketListWidgets {
  QTreeWidget* lvPages = nullptr;
  QTreeWidget* lvFolder = nullptr;
  QLabel* folderPanel = nullptr;
  QLabel* queuePanel = nullptr;
  QProgressBar* pbAddToBasket = nullptr;
  // A hidden image control of the basket's own: splitting a multipage file loads each page into
  // it, so the viewer's image and a batch running on another control stay as they were.
  plat::com::ControlHost* ibPages = nullptr;
};

class BasketList : public QObject {
  Q_OBJECT

 public:
  explicit BasketList(const BasketListWidgets& widgets, QObject* parent = nullptr);

  // The hooks to the rest of the window; unset, they give nothing or do nothing.
  // The thumbnail the file list shows for one of its rows (a null pixmap when it has none).
  std::function<QPixmap(const QTreeWidgetItem* row)> FolderThumbnailHook;
  // The folder the file list shows, for the "folder" panel after an add.
  std::function<QString()> CurrentFolderHook;
  // Shows a basket row in the viewer.
  std::function<void(QTreeWidgetItem* row)> ShowRowHook;

  // Adds the selected file-list rows to the end of the basket; a file already there is skipped.
  void cmdAddToQueue_Click();
  // Appends one row and its thumbnail.
  void subAddEntryToListView(const BasketItem& item, const QPixmap& thumbnail);

  // Removes the selected rows.
  void cmdPagesDelete_Click();
  // Empties the basket and its thumbnails and deletes every page file.
  void cmdPagesNew_Click();

  QList<BasketItem> Rows() const;
  const QList<QPixmap>& ilPages() const { return ilPages_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool InBasket(const QString& path) const;
  void AddSelectedFileRows();
  void AddOnePageRow(QTreeWidgetItem* fileRow);
  void AddPageRows(QTreeWidgetItem* fileRow, int pages);
  QPixmap OnePageThumbnail(QTreeWidgetItem* fileRow, int32_t& width, int32_t& height) const;
  void AppendRow(const BasketItem& item);
  void ShowRows(const QList<BasketItem>& rows);
  QList<int> SelectedIndexes() const;
  void lvPages_KeyUp(int key);
  void ShowQueueCount();
  void ShowSelectedRow();

  BasketListWidgets w_;
  QList<QPixmap> ilPages_;
};

}  // namespace browse
