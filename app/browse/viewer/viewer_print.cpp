#include "app/browse/viewer/viewer_print.h"

#include <QProgressBar>
#include <QTreeWidget>

#include "app/browse/folder_browser.h"
#include "app/browse/viewer/viewer.h"
#include "app/output/output_services.h"
#include "app/shell/busy_dialog.h"
#include "app/shell/errors.h"
#include "app/shell/main_window.h"
#include "app/shell/settings.h"
#include "app/shell/ui_service.h"
#include "control/activex/imagebox_interface.h"
#include "platform/com/control_host.h"
#include "platform/com/errorinfo.h"

namespace browse {

namespace {

using pictavo::ax::ImageBoxProxy;

constexpr int32_t kPrinted = 1;

}  // namespace

void PushPrintSettings(ImageBoxProxy& box) {
  const auto& stored = shell::gSetup.PrintOptions;
  // The control reads a position in the units it has when the position arrives: the stored units
  // go in before the positions too, or a margin kept in inches would shrink at every start.
  box.put_PrintUnits(pictavo::ax::TxPrintUnits(stored.PrintUnits));
  box.put_PrintCentre(stored.PrintCentre);
  box.put_PrintFit(stored.PrintFit);
  box.put_PrintCopies(stored.PrintCopies);
  box.put_PrinterIndex(stored.PrinterIndex);
  box.put_PrintLeft(stored.PrintLeft);
  box.put_PrintTop(stored.PrintTop);
  box.put_PrintOrientation(pictavo::ax::TxPrinterOrientation(stored.PrintOrientation));
  box.put_PrintPaperSize(stored.PrintPaperSize);
  box.put_PrintScale(stored.PrintScale);
  box.put_PrintUnits(pictavo::ax::TxPrintUnits(stored.PrintUnits));
}

void TakePrintSettingsBack(ImageBoxProxy& box) {
  auto& stored = shell::gSetup.PrintOptions;
  stored.PrintCentre = plat::com::IsTrue(box.get_PrintCentre());
  stored.PrintFit = plat::com::IsTrue(box.get_PrintFit());
  stored.PrintCopies = box.get_PrintCopies();
  stored.PrinterIndex = box.get_PrinterIndex();
  stored.PrintLeft = box.get_PrintLeft();
  stored.PrintTop = box.get_PrintTop();
  stored.PrintOrientation = static_cast<uint8_t>(box.get_PrintOrientation());
  stored.PrintPaperSize = box.get_PrintPaperSize();
  stored.PrintScale = box.get_PrintScale();
  stored.PrintUnits = static_cast<uint8_t>(box.get_PrintUnits());
}

PreviewPrinter::PreviewPrinter(shell::MainWindow& window, Viewer& viewer)
    : w_(window), viewer_(viewer) {}

void PreviewPrinter::cmdPreviewPrint_Click() {
  if (output::RunningOutput().Running()) return;
  ImageBoxProxy box(w_.ibMain->Dispatch());
  PushPrintSettings(box);
  box.put_UsePrintDialog(true);
  // A printer the settings name may have gone since: say so rather than end the program.
  const std::optional<shell::TrappedError> error =
      shell::RunTrapped([&] { box.PrintImage(); }, __LINE__);
  TakePrintSettingsBack(box);
  if (error)
    shell::Ui().Message(error->description, shell::gstrApplicationName,
                        shell::MessageIcon::Exclamation);
}

void PreviewPrinter::subBatchPrint() {
  shell::SetActivity(shell::Activity::StartingBatchPrinting);
  const int rows = w_.lvPages->topLevelItemCount();
  if (rows == 0 || output::RunningOutput().Running()) return;
  const output::OutputRun run;
  shell::Trap(shell::Routine::FrmMain_cmdBatchPrint_Click, [&] {
    ImageBoxProxy box(w_.ibMain->Dispatch());
    PushPrintSettings(box);
    box.put_UsePrintDialog(true);
    ShowRow(0);
    if (box.PrintImage() == kPrinted && rows > 1) PrintOtherRows(box, rows);
    TakePrintSettingsBack(box);
  });
}

// The rows after the first go without the dialog, with the choices the control kept from it.
// The loop yields before each row, so the busy dialog's Cancel and a cancel request of the
// window are both seen; a request left over from before this run does not count.
void PreviewPrinter::PrintOtherRows(ImageBoxProxy& box, int rows) {
  TakeCancelRequest();
  shell::RunWithBusyDialog(
      &w_, rows - 1, [this](int i) { return QStringLiteral("Printing.. ") + RowText(i + 1); },
      [&](int i, shell::frmStatus& dialog) {
        dialog.pbQueue->setMaximum(rows);
        if (!ShowRow(i + 1)) return;
        box.put_UsePrintDialog(false);
        box.PrintImage();
        dialog.pbQueue->setValue(i + 2);
      },
      [this] { return TakeCancelRequest(); });
}

bool PreviewPrinter::ShowRow(int index) {
  QTreeWidgetItem* item = w_.lvPages->topLevelItem(index);
  if (item == nullptr) return false;
  ListViewRow row(w_.lvPages, item, RowList::Basket);
  viewer_.subShowSelectedItem(row);
  return true;
}

QString PreviewPrinter::RowText(int index) const {
  const QTreeWidgetItem* item = w_.lvPages->topLevelItem(index);
  return item ? item->text(0) : QString();
}

bool PreviewPrinter::TakeCancelRequest() {
  if (!cancelSource_ || !cancelSource_->mbCancel) return false;
  cancelSource_->mbCancel = false;
  return true;
}

}  // namespace browse
