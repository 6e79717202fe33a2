#include "app/browse/viewer/viewer_pane.h"

#include <QEvent>

#include "app/browse/basket_pane.h"
#include "app/browse/viewer/viewer_row.h"
#include "app/shell/main_window.h"

namespace browse {
namespace {

// Remembers which of the two lists took the focus last: previous and next walk that one.
class FocusedListTracker : public QObject {
 public:
  FocusedListTracker(QString& focused, QTreeWidget* files, QTreeWidget* basket)
      : QObject(basket), focused_(focused), basket_(basket) {
    files->installEventFilter(this);
    basket->installEventFilter(this);
  }
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::FocusIn)
      focused_ = watched == basket_ ? QStringLiteral("lvPages") : QStringLiteral("lvFolder");
    return false;
  }

 private:
  QString& focused_;
  QTreeWidget* basket_;
};

}  // namespace

ViewerPane::ViewerPane(shell::MainWindow& window, FolderBrowser& browser)
    : viewer_(window, recordedTasks_, *window.frmFrameDummy->ibTemp),
      mouse_(window, viewer_),
      basket_(AttachBasketWidgets(window, browser.ProgressBar())),
      browser_(&browser) {
  QTreeWidget* list = window.lvFolder;
  browser.ShowRowHook = [this, list](QTreeWidgetItem* row) {
    ListViewRow shown(list, row, RowList::FileList);
    mouse_.subClearSelection();  // a band belongs to the image it was drawn on
    viewer_.subShowSelectedItem(shown);
  };
  QTreeWidget* basket = window.lvPages;
  shell::MainWindow* frame = &window;
  basket_.ShowRowHook = [this, basket, frame](QTreeWidgetItem* row) {
    ListViewRow shown(basket, row, RowList::Basket);
    mouse_.subClearSelection();
    viewer_.subShowSelectedItem(shown);
    frame->subResize();
  };
  new FocusedListTracker(viewer_.mstrFocusedList, list, basket);
  basket_.FolderThumbnailHook = [this](const QTreeWidgetItem* row) {
    return browser_ ? browser_->RowThumbnail(row) : QPixmap();
  };
  basket_.CurrentFolderHook = [this] { return browser_ ? browser_->CurrentFolder() : QString(); };
  browser.AddToBasketHook = [this] { basket_.cmdAddToQueue_Click(); };
}

ViewerPane::~ViewerPane() {
  if (!browser_) return;
  browser_->ShowRowHook = nullptr;
  browser_->AddToBasketHook = nullptr;
}

}  // namespace browse
