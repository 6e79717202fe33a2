#pragma once
// Printing from the viewer: the shown image after the print dialog, and every basket image in one
// run, the first after the dialog and the others with the choices made there. The ten print
// settings live in gSetup; the control holds them only while it prints, and what the dialog
// changed becomes the next default.
#include <QPointer>
#include <QString>

#include "app/browse/folder_browser.h"

namespace pictavo::ax {
class ImageBoxProxy;
}
namespace shell {
class MainWindow;
class frmStatus;
}  // namespace shell

namespace browse {

class Viewer;

// Pushes the ten print settings of gSetup into the control.
void PushPrintSettings(pictavo::ax::ImageBoxProxy& box);
// Takes the ten back into gSetup.
void TakePrintSettingsBack(pictavo::ax::ImageBoxProxy& box);

class PreviewPrinter {
 public:
  PreviewPrinter(shell::MainWindow& window, Viewer& viewer);

  // The folder browser whose cancel request (mbCancel) a batch print obeys between rows.
  void SetCancelSource(FolderBrowser* browser) { cancelSource_ = browser; }

  // Prints the shown image after the print dialog.
  void cmdPreviewPrint_Click();
  // Prints every basket row in list order, each shown in the viewer first.
  void subBatchPrint();

 private:
  void PrintOtherRows(pictavo::ax::ImageBoxProxy& box, int rows);
  // Shows basket row `index` in the viewer; false when the basket has no such row.
  bool ShowRow(int index);
  QString RowText(int index) const;
  // Answers whether a cancel was asked for, and clears the request.
  bool TakeCancelRequest();

  shell::MainWindow& w_;
  Viewer& viewer_;
  QPointer<FolderBrowser> cancelSource_;
};

}  // namespace browse
