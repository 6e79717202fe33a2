#pragma once
// The file browser of the main window: a folder chosen in the tree is listed in lvFolder after a
// short delay, as thumbnails or as details. Row facts, thumbnails and header probes are made on a
// thread pool; the GUI thread only appends the rows, in the folder's name order, and asks the
// image control for the page count of TIFF files. Every listing stands alone: a new one ends the
// one before it, whose late results are dropped.
#include <QIcon>
#include <QList>
#include <QObject>
#include <QPixmap>
#include <QPointer>
#include <QString>
#include <QThreadPool>
#include <QTimer>
#include <functional>

#include "app/browse/ordered_rows.h"
#include "app/browse/row_tag.h"

class QLabel;
class QMenu;
class QMouseEvent;
class QProgressBar;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace browse {

// The widgets of the main window the browser works with; it does not own them.
struct FolderBrowserWidgets {
  QTreeWidget* lvFolder = nullptr;
  QLabel* folderPanel = nullptr;  // the status bar's "folder" panel
  QProgressBar* pbQueue = nullptr;
  QPushButton* cmdCancelListing = nullptr;  // beside pbQueue: does what a press on it does
};

// The page count of a TIFF file, asked on the GUI thread; may throw what the control throws.
using PageCounter = std::function<int32_t(const QString& fullPath)>;

struct FolderBrowserOptions {
  int ShowDelayMs = 200;  // timerShowFiles
  PageCounter CountPages;
  RowMaker MakeRow = MakeFolderRow;
};

class FolderBrowser : public QObject {
  Q_OBJECT

 public:
  FolderBrowser(const FolderBrowserWidgets& widgets, FolderBrowserOptions options,
                QObject* parent = nullptr);
  ~FolderBrowser() override;

  // The hooks to the rest of the window; unset, they do nothing.
  // Shows a row in the viewer (subShowSelectedItem); left unset until the viewer is wired.
  std::function<void(QTreeWidgetItem* row)> ShowRowHook;
  // Adds the selected rows to the basket (cmdAddToQueue_Click).
  std::function<void()> AddToBasketHook;
  // The main window's subResize.
  std::function<void()> ResizeHook;

  void ftvBrowse_FolderSelected(const QString& path);
  void timerShowFiles_Timer();
  void subShowFilesInFolder(const QString& folder);
  void cmdDetailFolder_Click();
  void cmdThumbnailFolder_Click();
  void pbQueue_MouseDown() { mbCancel = true; }
  void mnuContextFolder_Click();

  // The folder fileMain points at: the one listed last.
  QString CurrentFolder() const { return currentFolder_; }
  // The thumbnail a row was listed with (a null pixmap for a details listing).
  QPixmap RowThumbnail(const QTreeWidgetItem* row) const;
  QMenu* ContextMenu() const { return mnuContextFolderParent_; }
  // The main window's progress bar, which the listing shares with the basket's drops and opens.
  QProgressBar* ProgressBar() const { return w_.pbQueue; }
  bool Listing() const { return listing_ != nullptr; }

  bool mbCancel = false;
  bool mbSuppressShow = true;
  int mintSelectedCount = 0;
  QString mstrFocusedList;
  QString mstrShowFolder;

 signals:
  void ListingStarted(const QString& folder);
  // A listing is over: `complete` when it reached its last file.
  void ListingEnded(const QString& folder, bool complete);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ConnectList();
  void StartListing(const QStringList& paths);
  void TakeRow(int index, FolderRow&& row);
  void AppendRow(const FolderRow& row);
  int32_t PagesOf(const FolderRow& row) const;
  void ApplyViewIcon(QTreeWidgetItem* row) const;
  void ApplyViewToRows();
  void EndListing(bool complete);
  void ShowSelectedRow();
  void AddToBasket();
  void lvFolder_ItemClick();
  void lvFolder_KeyUp(int key);
  bool lvFolder_KeyPress(int key, Qt::KeyboardModifiers modifiers);
  void ThenOnTheList(QMouseEvent* event);
  void lvFolder_MouseUp(Qt::MouseButton button);

  FolderBrowserWidgets w_;
  FolderBrowserOptions options_;
  QTimer timerShowFiles_;
  QThreadPool pool_;
  QPointer<OrderedRows> listing_;
  QList<QPixmap> ilFolder_;
  QIcon detailIcon_;   // illvFolder's icon 1
  QIcon failureIcon_;  // marks a row whose file could not be shown
  QMenu* mnuContextFolderParent_;
  QString currentFolder_;
  bool forwarding_ = false;
};

// Role of a row's thumbnail's index in the listing's thumbnails (its tag is at kRowTagRole).
inline constexpr int kRowThumbnailRole = Qt::UserRole + 1;
// Role of the reason a row's file could not be shown; unset for a file that was.
inline constexpr int kRowFailureRole = Qt::UserRole + 3;

// The page count the image control gives, with a count it cannot make (0x8000FFFF) taken as 1.
int32_t PagesOrOne(const std::function<int32_t()>& countPages);

}  // namespace browse
