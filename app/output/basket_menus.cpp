#include "app/output/basket_menus.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTreeWidget>
#include <array>

#include "app/browse/basket_list.h"
#include "app/browse/row_tag.h"
#include "app/browse/viewer/viewer.h"
#include "app/browse/viewer/viewer_menu.h"
#include "app/browse/viewer/viewer_print.h"
#include "app/controls/popup_menu.h"
#include "app/output/basket_acquire.h"
#include "app/output/output_services.h"
#include "app/shell/busy_dialog.h"
#include "app/shell/errors.h"
#include "app/shell/main_window.h"
#include "app/shell/settings.h"
#include "app/shell/ui_service.h"
#include "control/activex/imagebox_interface.h"
#include "platform/com/control_host.h"

namespace output {

namespace {

constexpr std::array<MenuRow, 3> kSaveAs{{
    {"Save basket as JPEG2000 files in batch", Needs::BatchConversion},
    {"Generate screensaver out of basket", Needs::Screensaver},
    {"Generate slide show out of basket", Needs::SlideShow},
}};

constexpr std::array<MenuRow, 14> kBatch{{
    {"Save basket into JPEG 2000 files in batch", Needs::BatchConversion, 0},
    {"-", Needs::Nothing},
    {"Generate Screensaver from basket", Needs::Screensaver, 2},
    {"Generate Slide Show from basket", Needs::SlideShow, 3},
    {"-", Needs::Nothing},
    {"Print all images in basket", Needs::Nothing, 6},
    {"-", Needs::Nothing},
    {"Acquire from twain devices", Needs::Nothing, 4},
    {"Capture..", Needs::Nothing, 5},
    {"-", Needs::Nothing},
    {"New Image Basket", Needs::Nothing},
    {"Open Image Basket", Needs::Nothing},
    {"Save Image Basket", Needs::Nothing},
    {"Remove selected images", Needs::Nothing},
}};
constexpr int kNewBasket = 10, kOpenBasket = 11, kSaveBasket = 12, kRemoveImages = 13;

constexpr std::array<MenuRow, 6> kContext{{
    {"Save as image document", Needs::SaveDialog},
    {"Save as greeting image", Needs::Greeting},
    {"Save as single-image screensaver", Needs::Screensaver},
    {"-", Needs::Nothing},
    {"Rename title", Needs::Nothing},
    {"Remove from basket", Needs::Nothing},
}};
constexpr int kLastSaveTarget = 2, kRename = 4, kRemove = 5;
// Items a selection of several counted rows disables: they act on one row.
constexpr std::array<int, 4> kSingleRowItems{0, 1, 2, kRename};

enum Dispatch : int16_t {
  kBatchConversion = 0,
  kScreensaver = 2,
  kSlideShow = 3,
  kTwainAcquire = 4,
  kCapture = 5,
  kBatchPrint = 6
};
// bSaveType of the screensaver form: every basket image.
constexpr int32_t kWholeBasket = 1;

bool Registered(Needs needs) {
  const OutputServices& services = Outputs();
  switch (needs) {
    case Needs::Nothing:
      return true;
    case Needs::BatchConversion:
      return services.frmSaveSinglePage && services.fncSaveSinglePage;
    case Needs::Screensaver:
      return bool(services.frmScreensaverDemo);
    case Needs::SlideShow:
      return bool(services.frmSlideShow);
    case Needs::Greeting:
      return bool(services.frmGreetingDemo);
    case Needs::SaveDialog:
      return bool(services.fncSavePreviewToFile_Dialog);
  }
  return false;
}

}  // namespace

BasketMenus::BasketMenus(shell::MainWindow& window, browse::Viewer& viewer,
                         browse::ViewerMenu& viewerMenu, browse::PreviewPrinter& printer,
                         browse::BasketList& basket, const tasks::TaskList& batchTasks)
    : QObject(&window),
      w_(window),
      viewer_(viewer),
      viewerMenu_(viewerMenu),
      printer_(printer),
      basket_(basket),
      batchTasks_(batchTasks) {
  mnuSaveAsParent_ = BuildMenu(QStringLiteral("SaveAs"), kSaveAs, &BasketMenus::mnuSaveAs_Click);
  mnuContextBasket_ =
      BuildMenu(QStringLiteral("Context Basket"), kContext, &BasketMenus::mnuContext_Click);
  connect(w_.cmdSaveAs, &QPushButton::clicked, this, [this] { cmdSaveAs_Click(); });
  connect(w_.cmdBatchPrint, &QPushButton::clicked, this, [this] { cmdBatchPrint_Click(); });
  connect(w_.cmdTwainAcquire, &QPushButton::clicked, this, [this] { cmdTwainAcquire_Click(); });
  connect(w_.cmdCapture, &QPushButton::clicked, this, [this] { cmdCapture_Click(); });
  velmora::OnClick(w_.lblQueue, [this] { lblQueue_Click(); });
  w_.lvPages->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(w_.lvPages, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& pos) { lvPages_ContextMenu(pos); });
  connect(&RunningOutput(), &OutputActivity::RunningChanged, this, &BasketMenus::RunningChanged);
}

QMenu* BasketMenus::BuildMenu(const QString& title, std::span<const MenuRow> rows,
                              void (BasketMenus::*handler)(int)) {
  auto* menu = new QMenu(title, &w_);
  for (int index = 0; index < static_cast<int>(rows.size()); ++index) {
    const QString caption = QString::fromUtf8(rows[index].caption);
    if (caption == u"-") {
      menu->addSeparator();
      continue;
    }
    connect(menu->addAction(caption), &QAction::triggered, this,
            [this, handler, index] { (this->*handler)(index); });
  }
  return menu;
}

QMenu* BasketMenus::mnuBatchParent() {
  if (mnuBatchParent_ == nullptr)
    mnuBatchParent_ = BuildMenu(QStringLiteral("Save Batch"), kBatch, &BasketMenus::mnuBatch_Click);
  return mnuBatchParent_;
}

bool BasketMenus::Blocked() const {
  return RunningOutput().Running() || basket_.IsBusy();
}

void BasketMenus::EnableItems(QMenu* menu, std::span<const MenuRow> rows) const {
  const bool idle = !Blocked();
  const QList<QAction*> items = menu->actions();
  for (int index = 0; index < items.size(); ++index)
    items[index]->setEnabled(idle && Registered(rows[index].needs));
}

void BasketMenus::RunningChanged(bool running) {
  w_.cmdSaveAs->setEnabled(!running);
  w_.cmdBatchPrint->setEnabled(!running);
  for (QMenu* menu : {mnuSaveAsParent_, mnuBatchParent_, mnuContextBasket_})
    if (menu != nullptr && running) menu->close();
  basket_.SetLocked(running);
}

void BasketMenus::cmdSaveAs_Click() {
  w_.cmdSaveAs->repaint();
  EnableItems(mnuSaveAsParent_, kSaveAs);
  velmora::PopUpBelow(mnuSaveAsParent_, w_.cmdSaveAs);
}

void BasketMenus::cmdBatchPrint_Click() {
  w_.cmdBatchPrint->repaint();
  if (!Blocked()) printer_.subBatchPrint();
}

void BasketMenus::cmdTwainAcquire_Click() {
  if (Blocked()) return;
  pictavo::ax::ImageBoxProxy box(w_.ibTemp->Dispatch());
  AddAcquired(ScanIntoFolder(box, shell::gTwainTarget));
}

void BasketMenus::cmdCapture_Click() {
  if (Blocked()) return;
  pictavo::ax::ImageBoxProxy box(w_.ibTemp->Dispatch());
  AddAcquired(CaptureIntoFolder(box, shell::gCaptureTarget));
}

void BasketMenus::AddAcquired(const QStringList& files) {
  if (!files.isEmpty()) basket_.AddFiles(files);
}

void BasketMenus::lblQueue_Click() {
  EnableItems(mnuBatchParent(), kBatch);
  velmora::PopUpBelow(mnuBatchParent(), w_.lblQueue);
}

void BasketMenus::lvPages_ContextMenu(const QPoint& pos) {
  EnableItems(mnuContextBasket_, kContext);
  const int counted = basket_.mintSelectedCount();
  const QList<QAction*> items = mnuContextBasket_->actions();
  if (counted >= 2)
    for (int index : kSingleRowItems) items[index]->setEnabled(false);
  mnuContextBasket_->popup(w_.lvPages->viewport()->mapToGlobal(pos));
}

int BasketMenus::RowCount() const {
  return w_.lvPages->topLevelItemCount();
}

void BasketMenus::mnuSaveAs_Click(int Index) {
  if (RowCount() < 1) return;
  switch (Index) {
    case 0:
      subSaveAsSinglePage();
      break;
    case 1:
      ShowScreensaverForm();
      break;
    case 2:
      ShowSlideShowForm();
      break;
    default:
      break;
  }
}

void BasketMenus::mnuBatch_Click(int Index) {
  if (const int16_t dispatch = kBatch.at(Index).dispatch; dispatch >= 0) {
    subGenerateDocument(dispatch);
    return;
  }
  if (Blocked()) return;
  switch (Index) {
    case kNewBasket:
      basket_.cmdPagesNew_Click();
      break;
    case kOpenBasket:
      basket_.cmdPagesOpen_Click();
      break;
    case kSaveBasket:
      basket_.cmdPagesSave_Click();
      break;
    case kRemoveImages:
      basket_.cmdPagesDelete_Click();
      break;
    default:
      break;
  }
}

QTreeWidgetItem* BasketMenus::SelectedRow() const {
  QTreeWidgetItem* current = w_.lvPages->currentItem();
  if (current != nullptr && current->isSelected()) return current;
  const QList<QTreeWidgetItem*> selected = w_.lvPages->selectedItems();
  return selected.isEmpty() ? nullptr : selected.first();
}

void BasketMenus::mnuContext_Click(int Index) {
  if (Blocked()) return;
  QTreeWidgetItem* row = SelectedRow();
  if (Index <= kLastSaveTarget) {
    if (row != nullptr &&
        w_.ibMain->property("Tag").toString() != row->data(0, browse::kRowTagRole).toString()) {
      browse::ListViewRow shown(w_.lvPages, row, browse::RowList::Basket);
      viewer_.subShowSelectedItem(shown);
      w_.subResize();
    }
    viewerMenu_.mnuSavePreviewAs_Click(Index);
  } else if (Index == kRename) {
    basket_.BeginRename();
  } else if (Index == kRemove) {
    basket_.cmdPagesDelete_Click();
  }
}

void BasketMenus::subGenerateDocument(int16_t Index) {
  if (Blocked()) return;
  // Scanning and capturing fill the basket, so they cannot wait for two rows in it.
  if (Index == kTwainAcquire) return cmdTwainAcquire_Click();
  if (Index == kCapture) return cmdCapture_Click();
  if (RowCount() < 2) {
    shell::Ui().Message(
        QStringLiteral("You need at least 2 images in the basket to use this feature!"),
        shell::gstrApplicationName, shell::MessageIcon::Information);
    return;
  }
  switch (Index) {
    case kBatchConversion:
      subSaveAsSinglePage();
      break;
    case kScreensaver:
      ShowScreensaverForm();
      break;
    case kSlideShow:
      ShowSlideShowForm();
      break;
    case kBatchPrint:
      printer_.subBatchPrint();
      break;
    default:
      break;
  }
}

void BasketMenus::ShowScreensaverForm() {
  if (!Registered(Needs::Screensaver) || Blocked()) return;
  const OutputRun run;
  Outputs().frmScreensaverDemo(&w_, kWholeBasket, basket_.Rows(),
                               w_.ibMain->property("Tag").toString(), batchTasks_, *w_.ibTemp,
                               PicTiff_);
}

void BasketMenus::ShowSlideShowForm() {
  if (!Registered(Needs::SlideShow) || Blocked()) return;
  const OutputRun run;
  Outputs().frmSlideShow(&w_, basket_.Rows(), batchTasks_, *w_.ibTemp, PicTiff_);
}

void BasketMenus::subSaveAsSinglePage() {
  shell::SetActivity(shell::Activity::SavingNewSingleFile);
  if (RowCount() == 0 || !Registered(Needs::BatchConversion) || Blocked()) return;
  bool& confirmed = shell::gSetup.BatchNamingOptions.Confirmed;
  shell::Trap(shell::Routine::FrmMain_subSaveAsSinglePage, [&] {
    Outputs().frmSaveSinglePage(&w_);
    if (!confirmed) return;
    const OutputRun run;
    shell::BusyDialogSession status(&w_);
    Outputs().fncSaveSinglePage(basket_.Rows(), batchTasks_, *w_.ibTemp, *status.Dialog().pbQueue,
                                PicTiff_);
    confirmed = false;
  });
  // Also after an error: a later form closed by its close box must not count as a start.
  confirmed = false;
}

}  // namespace output
