#include "app/output/output_pane.h"

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
  viewerPane.Mouse().ShowViewerMenu = [this](QPoint at) { viewerMenu_.PopUpAt(at); };
}

}  // namespace output
