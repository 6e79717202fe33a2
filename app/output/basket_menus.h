#pragma once
// The basket's three popup menus and the output dispatch: "SaveAs" below the button cmdSaveAs,
// "Save Batch" below the basket's caption lblQueue, and "Context Basket" at the mouse on the
// basket rows. They start the batch conversion, the screensaver and slide-show builders and batch
// printing, and save a single basket image through the viewer's save targets. The toolbar's scan
// and capture buttons and their two "Save Batch" items add scanned or captured images.
//
// An item whose output form is not registered is disabled; while an output runs every item and
// both buttons are, and the basket is locked; while the basket is busy (an add, a drop, an open)
// the items are disabled too.
#include <QImage>
#include <QObject>
#include <QPoint>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <span>

class QAction;
class QMenu;
class QTreeWidgetItem;

namespace shell {
class MainWindow;
}
namespace tasks {
class TaskList;
}
namespace browse {
class BasketList;
class PreviewPrinter;
class Viewer;
class ViewerMenu;
}  // namespace browse

namespace output {

// What an item needs registered to be enabled.
enum class Needs { Nothing, BatchConversion, Screensaver, SlideShow, Greeting, SaveDialog };

struct MenuRow {
  const char* caption;  // "-" for a separator
  Needs needs;
  int16_t dispatch = -1;  // the index of subGenerateDocument the item reaches, if any
};

class BasketMenus : public QObject {
 public:
  // `batchTasks` is the task list the batch conversion and the slide show replay.
  BasketMenus(shell::MainWindow& window, browse::Viewer& viewer, browse::ViewerMenu& viewerMenu,
              browse::PreviewPrinter& printer, browse::BasketList& basket,
              const tasks::TaskList& batchTasks);

  QMenu* mnuSaveAsParent() const { return mnuSaveAsParent_; }
  // Held by the hidden form frmDummy in the design: made on first use.
  QMenu* mnuBatchParent();
  QMenu* mnuContextBasket() const { return mnuContextBasket_; }

  void cmdSaveAs_Click();
  void cmdBatchPrint_Click();
  void lblQueue_Click();
  // Scan or capture into the settings' folder and add the written file to the basket.
  void cmdTwainAcquire_Click();
  void cmdCapture_Click();
  // The basket list's right click: sets the items from the counted rows, then opens the menu at
  // `pos` of the list's viewport.
  void lvPages_ContextMenu(const QPoint& pos);

  void mnuSaveAs_Click(int Index);
  void mnuBatch_Click(int Index);
  void mnuContext_Click(int Index);
  // 0 batch conversion, 2 screensaver, 3 slide show, 6 batch printing, then for these four
  // fewer than two basket rows only bring a message; 4 scans and 5 captures at any count.
  void subGenerateDocument(int16_t Index);
  // The batch conversion of the whole basket, after its options form.
  void subSaveAsSinglePage();

 private:
  QMenu* BuildMenu(const QString& title, std::span<const MenuRow> rows,
                   void (BasketMenus::*handler)(int));
  // An output runs or the basket is changing: no command of these menus may start.
  bool Blocked() const;
  void EnableItems(QMenu* menu, std::span<const MenuRow> rows) const;
  void RunningChanged(bool running);
  int RowCount() const;
  QTreeWidgetItem* SelectedRow() const;
  void ShowScreensaverForm();
  void ShowSlideShowForm();
  void AddAcquired(const QStringList& files);

  shell::MainWindow& w_;
  browse::Viewer& viewer_;
  browse::ViewerMenu& viewerMenu_;
  browse::PreviewPrinter& printer_;
  browse::BasketList& basket_;
  const tasks::TaskList& batchTasks_;
  QMenu* mnuSaveAsParent_;
  QMenu* mnuBatchParent_ = nullptr;
  QMenu* mnuContextBasket_;
  // The hidden picture box the batch conversion hands loaded pictures over through (PicTiff).
  QImage PicTiff_;
};

}  // namespace output
