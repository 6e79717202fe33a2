#pragma once
// The image basket list lvPages: rows added from the file list (by its add button or by a drop),
// reopened from basket files, moved by drag and drop, renamed in place, sorted by column, and
// the thumbnails they point at (ilPages). A row chosen in the basket is shown through ShowRowHook.
//
// Adding, dropping and opening yield to the event loop after every file; while one of them runs
// the basket is busy: the commands that change its rows (add, remove, new basket, open, drops)
// are disabled, and Cancel ends the run after the current file. An output that reads the basket
// (the batch conversion, the builders, printing) locks it the same way with SetLocked, and can
// follow BusyChanged to disable itself while the basket is being filled.
#include <QList>
#include <QObject>
#include <QPixmap>
#include <QPoint>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

#include "app/browse/basket_files.h"
#include "app/browse/basket_item.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace plat::com {
class ControlHost;
}
namespace pictavo::ax {
class ImageBoxProxy;
}

namespace browse {

// A progress bar and the Cancel button beside it.
struct BasketProgress {
  QProgressBar* bar = nullptr;
  QPushButton* cancel = nullptr;
};

// The widgets the basket works with; it does not own them.
struct BasketListWidgets {
  QTreeWidget* lvPages = nullptr;
  QTreeWidget* lvFolder = nullptr;
  QLabel* folderPanel = nullptr;
  QLabel* queuePanel = nullptr;
  BasketProgress pbAddToBasket;  // the add button's
  BasketProgress pbQueue;        // the status bar's: drops and opened basket files
  QPushButton* cmdAddToQueue = nullptr;
  QPushButton* cmdPagesNew = nullptr;
  QPushButton* cmdPagesOpen = nullptr;
  QPushButton* cmdPagesSave = nullptr;
  QPushButton* cmdPagesDelete = nullptr;
  // A hidden image control of the basket's own: splitting a multipage file loads each page into
  // it, so the viewer's image and a batch running on another control stay as they were.
  plat::com::ControlHost* ibPages = nullptr;
};

class BasketList : public QObject, private BasketFiller {
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
  // Appends one row as it stands, with its thumbnail: no duplicate test and no page split.
  QTreeWidgetItem* AppendEntry(const BasketItem& item, const QPixmap& thumbnail);
  // Adds files as rows, as reopening a basket does (a multipage TIFF gives a row a page).
  void AddFiles(const QStringList& paths);
  // Removes the selected rows.
  void cmdPagesDelete_Click();
  // Empties the basket and its thumbnails and deletes every page file, after asking when it
  // holds rows.
  void cmdPagesNew_Click();
  // Replaces the basket by the files of a basket file the user chooses.
  void cmdPagesOpen_Click();
  // Saves the basket's source paths to a basket file the user chooses.
  void cmdPagesSave_Click();
  // Starts editing the name of the current row in place ("Rename title").
  void BeginRename();

  // The drag handlers of lvPages; `source` is the widget the drag started in (none when it came
  // from another program). Only drags from the file list and from the basket itself are taken:
  // the first adds the file list's selection, the second moves the basket's selected rows.
  // DragOver answers whether the drag would be taken.
  bool lvPages_OLEDragOver(const QObject* source, const QPoint& position);
  void lvPages_OLEDragDrop(const QObject* source, const QPoint& position);

  // True while an add, a drop or an open runs, or while the basket is locked.
  bool IsBusy() const { return running_ || locked_; }
  // Locks the basket for a command that reads it (an output), or frees it again.
  void SetLocked(bool locked);
  // The selected rows the last click on the list counted; the basket's context menu enables its
  // items by it.
  int mintSelectedCount() const { return selectedCount_; }

  QList<BasketItem> Rows() const;
  const QList<QPixmap>& ilPages() const { return ilPages_; }

 signals:
  void BusyChanged(bool busy);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // What the add loops take from a file-list row, read before the loop yields: the file list
  // may be cleared for another folder meanwhile.
  struct FileRow {
    int index = 0;  // in the file list when the add began
    QString text, path, resolution, size, type;
    int pages = 1;
    QPixmap thumbnail;
  };
  // How one way of adding names and shows the pages of a multipage file.
  struct PageSplit {
    QString source;
    int pages = 0;
    QString stem;                   // of the page files
    QString textBefore, textAfter;  // row text: textBefore, page number, textAfter
    QString progressText;           // "folder" panel before the name; none when empty
    QString name;                   // the name the progress text shows
    const BasketProgress* bar = nullptr;
    bool thumbnailFromLoadedPage = true;  // else loaded from the written page file
  };
  // One page split off: its page file, thumbnail and size.
  struct SplitPage {
    QString file;
    QPixmap thumbnail;
    int32_t width = 0, height = 0;
  };
  class BusyScope;
  enum Column { kName, kResolution, kSize, kType, kPath };
  // The name a row had before an edit, to go back to when the new one is refused.
  static constexpr int kLastNameRole = Qt::UserRole + 2;

  // BasketFiller: the opener of basket files fills the list through these.
  void ClearBasket() override;
  void subAddEntryToListView(const QString& path) override;
  void StartProgress(int count) override;
  bool ShowProgress(int done, int count) override;
  void HideProgress() override;

  QList<FileRow> SelectedFileRows() const;
  bool InBasket(const QString& path) const;
  void AddSelectedFileRows();
  void subAddDroppedFiles();
  QTreeWidgetItem* AddFileRow(const FileRow& row, const PageSplit& split);
  QTreeWidgetItem* AddOnePageRow(const FileRow& fileRow);
  QTreeWidgetItem* AddPageRows(const PageSplit& split);
  void SplitAsStored(pictavo::ax::ImageBoxProxy& box, const PageSplit& split, int page,
                     SplitPage& made);
  void SplitThroughLoader(pictavo::ax::ImageBoxProxy& box, const PageSplit& split, int page,
                          SplitPage& made);
  void AddReopenedFile(const QString& path);
  QPixmap OnePageThumbnail(const FileRow& fileRow, int32_t& width, int32_t& height) const;
  void SetFileListResolution(const QString& path, const QString& resolution);
  QTreeWidgetItem* AppendRow(const BasketItem& item);
  void RemoveAllRows();
  void ShowRows(const QList<BasketItem>& rows);
  QList<int> SelectedIndexes() const;
  void ShowQueueCount();
  // Asks whether the rows there are may go; true for OK.
  bool AskToReplaceRows() const;
  // Yields to the event loop; false once Cancel was pressed.
  bool Yield();
  void ApplyBusy();

  void ConnectList();
  void ConnectButtons();
  bool ThenOnTheList(QEvent* event, Qt::MouseButton button, bool released);
  void lvPages_ItemClick();
  void lvPages_MouseUp(Qt::MouseButton button);
  void lvPages_KeyUp(int key);
  void lvPages_ItemChanged(QTreeWidgetItem* row, int column);
  void subMoveDraggedRows(const QPoint& position);
  void SetDropHighlight(QTreeWidgetItem* row);
  void ShowSelectedRow();

  BasketListWidgets w_;
  QList<QPixmap> ilPages_;
  QTreeWidgetItem* dropHighlight_ = nullptr;
  int selectedCount_ = 0;
  bool mbSuppressShow = true;
  bool running_ = false;
  bool locked_ = false;
  bool cancelled_ = false;
  bool forwarding_ = false;
  bool reverting_ = false;
  bool announcedBusy_ = false;
};

}  // namespace browse
