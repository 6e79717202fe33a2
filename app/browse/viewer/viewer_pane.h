#pragma once
// Puts the viewer and the basket into the main window: a row chosen in the file list or in the
// basket is shown in ibMain, and the file list adds its selected rows to the basket.
#include <QPointer>

#include "app/browse/basket_list.h"
#include "app/browse/folder_browser.h"
#include "app/browse/viewer/viewer.h"
#include "app/browse/viewer/viewer_mouse.h"
#include "app/tasks/task_list.h"

namespace shell {
class MainWindow;
}

namespace browse {

// The pane must go before the window does: keep it in a variable declared after the window.
class ViewerPane {
 public:
  ViewerPane(shell::MainWindow& window, FolderBrowser& browser);
  ~ViewerPane();
  ViewerPane(const ViewerPane&) = delete;
  ViewerPane& operator=(const ViewerPane&) = delete;

  Viewer& View() { return viewer_; }
  ViewerMouse& Mouse() { return mouse_; }
  BasketList& Basket() { return basket_; }
  tasks::TaskList& Tasks() { return recordedTasks_; }

 private:
  // The list the "Optimized" view replays. Recording tasks belongs to the editing pane; until
  // that pane fills it the list stays empty and both views show the file as read.
  tasks::TaskList recordedTasks_;
  Viewer viewer_;
  ViewerMouse mouse_;
  BasketList basket_;
  QPointer<FolderBrowser> browser_;
};

}  // namespace browse
