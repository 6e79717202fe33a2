#include "app/output/output_pane.h"

#include <QMenu>
#include <QPointer>

#include "app/browse/viewer/viewer_pane.h"
#include "app/shell/main_window.h"

namespace output {

OutputPane::OutputPane(shell::MainWindow& window, browse::ViewerPane& viewerPane,
                       browse::FolderBrowser* browser)
    : printer_(window, viewerPane.View()),
      viewerMenu_(window, viewerPane.View(), printer_, viewerPane.Basket(), viewerPane.Tasks()),
      basketMenus_(window, viewerPane.View(), viewerMenu_, printer_, viewerPane.Basket(),
                   viewerPane.Tasks()) {
  printer_.SetCancelSource(browser);
  // The right button over the image opens the viewer menu at the mouse.
  QPointer<QMenu> menu = viewerMenu_.mnuPreviewParent();
  viewerPane.Mouse().ShowViewerMenu = [menu](QPoint at) {
    if (menu) menu->popup(at);
  };
}

}  // namespace output
