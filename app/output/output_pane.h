#pragma once
// Puts the outputs into the main window: the viewer's toolbar, menu and printing, and the
// basket's output menus.
#include "app/browse/viewer/viewer_menu.h"
#include "app/browse/viewer/viewer_print.h"
#include "app/output/basket_menus.h"

namespace shell {
class MainWindow;
}
namespace browse {
class FolderBrowser;
class ViewerPane;
}  // namespace browse

namespace output {

// Like the viewer pane, it must go before the window does.
class OutputPane {
 public:
  // `browser` is the folder browser whose cancel request stops a batch print; may be null.
  OutputPane(shell::MainWindow& window, browse::ViewerPane& viewerPane,
             browse::FolderBrowser* browser);
  OutputPane(const OutputPane&) = delete;
  OutputPane& operator=(const OutputPane&) = delete;

  browse::PreviewPrinter& Printer() { return printer_; }
  browse::ViewerMenu& ViewerMenu() { return viewerMenu_; }
  BasketMenus& Basket() { return basketMenus_; }

 private:
  browse::PreviewPrinter printer_;
  browse::ViewerMenu viewerMenu_;
  BasketMenus basketMenus_;
};

}  // namespace output
