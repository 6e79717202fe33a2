#include "app/browse/viewer/viewer_pane.h"

#include "app/browse/viewer/viewer_row.h"
#include "app/shell/main_window.h"

namespace browse {

ViewerPane::ViewerPane(shell::MainWindow& window, FolderBrowser& browser)
    : viewer_(window, recordedTasks_, *window.frmFrameDummy->ibTemp), browser_(&browser) {
  QTreeWidget* list = window.lvFolder;
  browser.ShowRowHook = [this, list](QTreeWidgetItem* row) {
    ListViewRow shown(list, row, RowList::FileList);
    viewer_.subShowSelectedItem(shown);
  };
}

ViewerPane::~ViewerPane() {
  if (browser_) browser_->ShowRowHook = nullptr;
}

}  // namespace browse
