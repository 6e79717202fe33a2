#include "app/browse/viewer/viewer_pane.h"

#include "app/browse/viewer/viewer_row.h"
#include "app/shell/main_window.h"
#include "platform/com/control_host.h"

namespace browse {
namespace {

plat::com::ControlHost* MakeHiddenImageBox(QWidget* parent) {
  auto* host = new plat::com::ControlHost(parent);
  shell::CreateImageBox(host);
  host->hide();
  return host;
}

}  // namespace

ViewerPane::ViewerPane(shell::MainWindow& window, FolderBrowser& browser)
    : viewer_(window, recordedTasks_, *window.frmFrameDummy->ibTemp),
      basket_({window.lvPages, window.lvFolder, window.Panel(QStringLiteral("folder")),
               window.Panel(QStringLiteral("queue")), nullptr, MakeHiddenImageBox(&window)}),
      browser_(&browser) {
  QTreeWidget* list = window.lvFolder;
  browser.ShowRowHook = [this, list](QTreeWidgetItem* row) {
    ListViewRow shown(list, row, RowList::FileList);
    viewer_.subShowSelectedItem(shown);
  };
  QTreeWidget* basket = window.lvPages;
  basket_.ShowRowHook = [this, basket](QTreeWidgetItem* row) {
    ListViewRow shown(basket, row, RowList::Basket);
    viewer_.subShowSelectedItem(shown);
  };
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
