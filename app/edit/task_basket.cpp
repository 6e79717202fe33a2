#include "app/edit/task_basket.h"

#include <QApplication>
#include <QPushButton>
#include <QTreeWidget>

#include "app/browse/basket_files.h"
#include "app/browse/viewer/viewer.h"
#include "app/browse/viewer/viewer_mouse.h"
#include "app/browse/viewer/viewer_pane.h"
#include "app/edit/edit_mode.h"
#include "app/edit/viewer_replay.h"
#include "app/shell/dialogs.h"
#include "app/shell/errors.h"
#include "app/shell/main_window.h"
#include "app/shell/pictures.h"
#include "app/shell/ui_service.h"
#include "control/activex/imagebox_interface.h"
#include "platform/com/control_host.h"

namespace edit {

namespace {

using pictavo::ax::ImageBoxProxy;

const QString kBasketFilter = QStringLiteral("Task basket file (*.tbf)|*.tbf");

constexpr std::array<const char*, 4> kPreviewTips = {
    "Create a new task basket", "Open an existing task basket from file (.TBF)",
    "Save the current task basket to file (.TBF)",
    "Remove the selected task item from the task basket"};
constexpr std::array<shell::Picture, 4> kPreviewPictures = {
    shell::Picture::IconEditbarNew, shell::Picture::IconEditbarOpen,
    shell::Picture::IconEditbarSave, shell::Picture::IconEditbarRemove};

void FillList(QTreeWidget* list, const tasks::TaskList& tasks) {
  list->clear();
  for (const tasks::TaskRow& row : tasks.Rows()) {
    auto* item = new QTreeWidgetItem(list, {tasks::fncTaskName(row.Text.trimmed().toInt())});
    item->setIcon(0, QIcon(QStringLiteral(":/edit/artwork/%1.png").arg(row.IconIndex)));
  }
}

QByteArray Snapshot(ImageBoxProxy& box) {
  return plat::com::ToQVariant(box.WriteBinary(kTiffSnapshot)).toByteArray();
}

bool AskDialog(const QString& title, bool save) {
  shell::gstrDlgTitle = title;
  shell::gstrDlgFilter = kBasketFilter;
  shell::glDlgFlags = 5;
  shell::gstrDlgFileName.clear();
  if (save) {
    shell::subShowSaveDialog();
  } else {
    shell::subShowOpenDialog();
  }
  return !shell::gstrDlgFileName.isEmpty();
}

}  // namespace

TaskBasket::TaskBasket(EditMode& edit, shell::MainWindow& window, browse::ViewerPane& viewerPane)
    : QObject(&edit), edit_(edit), w_(window), viewerPane_(viewerPane) {
  lvEditPreview = new QTreeWidget(edit_.picEditPreview);
  lvEditPreview->setHeaderLabels({QStringLiteral("Confirmed Tasks")});
  lvEditPreview->setRootIsDecorated(false);
  lvEditPreview->setGeometry(2, 2, 168, 120);
  for (int i = 0; i < 4; ++i) {
    cmdEditPreview[i] = new QPushButton(edit_.picEditPreview);
    cmdEditPreview[i]->setGeometry(2 + i * 30, 126, 26, 26);
    cmdEditPreview[i]->setToolTip(QString::fromLatin1(kPreviewTips[i]));
    shell::subAttachButtonPicture(cmdEditPreview[i], kPreviewPictures[i]);
    connect(cmdEditPreview[i], &QPushButton::clicked, this, [this, i] { cmdEditPreview_Click(i); });
  }
  edit_.picEditPreview->setMinimumHeight(156);
  connect(lvEditPreview, &QTreeWidget::itemClicked, this,
          [this](QTreeWidgetItem* item) { lvEditPreview_ItemClick(item); });
  connect(w_.lvEdit, &QTreeWidget::itemClicked, this,
          [this](QTreeWidgetItem* item) { lvEdit_ItemClick(item); });
  connect(edit_.cmdOriginalImage, &QPushButton::clicked, this,
          [this] { cmdOriginalImage_Click(); });
  connect(w_.frmFrameDummy, &shell::FrameDummy::TaskBasketCommand, this,
          [this](int index) { cmdEditBar_Click(index); });
  subShowTasks();
}

void TaskBasket::subShowTasks() {
  tasks::TaskList& list = viewerPane_.Tasks();
  FillList(w_.lvEdit, list);
  FillList(lvEditPreview, list);
  // A row left selected would stop every later partial replay there.
  list.SetStopRow(tasks::StopView::Explorer, tasks::TaskList::kNoStop);
  list.SetStopRow(tasks::StopView::EditMode, tasks::TaskList::kNoStop);
}

bool TaskBasket::Busy() const {
  return ViewerReplaying(w_);
}

bool TaskBasket::ReplayFromOriginal(int32_t editMode, StepRunner step) {
  ImageBoxProxy box(w_.ibMain->Dispatch());
  EditState& state = edit_.State();
  // Edit mode has a confirmed image; the explorer view only the image it shows.
  QByteArray putBack;
  step([&] { putBack = state.glEditMode == 1 ? state.gvarConfirmedSnapshot : Snapshot(box); });
  step([&] {
    box.ReadBinary(kTiffSnapshot, plat::com::ToVariant(viewerPane_.View().OriginalSnapshot()));
  });
  tasks::ReplayEnd end = tasks::ReplayEnd::Finished;
  step([&] { end = ReplayOnViewer(w_, viewerPane_.Tasks(), editMode); });
  const bool cancelled = end == tasks::ReplayEnd::Cancelled;
  if (cancelled) step([&] { box.ReadBinary(kTiffSnapshot, plat::com::ToVariant(putBack)); });
  step([this] { w_.subResize(); });
  return !cancelled;
}

void TaskBasket::TakeConfirmedSnapshot() {
  ImageBoxProxy box(w_.ibMain->Dispatch());
  edit_.State().gvarConfirmedSnapshot = Snapshot(box);
}

void TaskBasket::PutBackTasks(const tasks::TaskList& before) {
  viewerPane_.Tasks() = before;
  subShowTasks();
}

void TaskBasket::ShowRow(tasks::StopView view, QTreeWidget* list, QTreeWidgetItem* item) {
  if (list->topLevelItemCount() == 0 || !item || Busy()) return;
  viewerPane_.Tasks().SetStopRow(view, list->indexOfTopLevelItem(item));
  ReplayFromOriginal(static_cast<int32_t>(view), shell::IgnoreErrors);
}

void TaskBasket::lvEdit_ItemClick(QTreeWidgetItem* item) {
  ShowRow(tasks::StopView::Explorer, w_.lvEdit, item);
}

void TaskBasket::lvEditPreview_ItemClick(QTreeWidgetItem* item) {
  ShowRow(tasks::StopView::EditMode, lvEditPreview, item);
  viewerPane_.Mouse().mbTaskOptionsChanged = true;
}

void TaskBasket::cmdOriginalImage_Click() {
  edit_.cmdOriginalImage->repaint();
  if (w_.lvEdit->topLevelItemCount() == 0 || Busy()) return;
  if (!shell::Ui().Ask(
          QStringLiteral("Resetting to original image will erase all editing functions from the "
                         "batch list!\r\n Do you want to continue?"),
          QApplication::applicationName(), shell::MessageIcon::Information))
    return;
  cmdEditBar_Click(0);
  edit_.subResetTaskOptions();
}

void TaskBasket::cmdEditBar_Click(int index) {
  if (Busy()) return;
  switch (index) {
    case 0:
      return NewBasket();
    case 1:
      return OpenBasket();
    case 2:
      return SaveBasket();
    case 3:
      return RemoveTask();
    default:
      return;
  }
}

void TaskBasket::NewBasket() {
  if (w_.lvEdit->topLevelItemCount() == 0) return;
  viewerPane_.Tasks().Clear();
  subShowTasks();
  ImageBoxProxy box(w_.ibMain->Dispatch());
  if (!plat::com::IsTrue(box.get_ImageLoaded())) return;
  const QByteArray& original = viewerPane_.View().OriginalSnapshot();
  box.ReadBinary(kTiffSnapshot, plat::com::ToVariant(original));
  edit_.State().gvarConfirmedSnapshot = original;
  w_.subResize();
  edit_.State().mbImageModified = false;
}

void TaskBasket::OpenBasket() {
  if (!AskDialog(QStringLiteral("Open task basket"), false)) return;
  tasks::TaskList& list = viewerPane_.Tasks();
  const tasks::TaskList before = list;
  if (!browse::fncOpenTaskBasket(shell::gstrDlgFileName, list)) {
    shell::Ui().Message(QStringLiteral("Error opening task basket!\r\n"
                                       "Please select a valid task basket file."),
                        QApplication::applicationName(), shell::MessageIcon::Information);
    return;
  }
  subShowTasks();
  if (!plat::com::IsTrue(ImageBoxProxy(w_.ibMain->Dispatch()).get_ImageLoaded())) return;
  // A cancelled replay cancels the open: the image would not show the opened tasks.
  if (!ReplayFromOriginal(edit_.State().glEditMode)) return PutBackTasks(before);
  // The next preview starts from the opened tasks, not from the image confirmed before.
  if (edit_.State().glEditMode == 1) TakeConfirmedSnapshot();
}

void TaskBasket::SaveBasket() {
  if (w_.lvEdit->topLevelItemCount() == 0) return;
  if (!AskDialog(QStringLiteral("Save task basket"), true)) return;
  if (browse::fncSaveTaskBasket(shell::gstrDlgFileName, viewerPane_.Tasks())) return;
  shell::Ui().Message(QStringLiteral("Error saving task basket!\r\nPlease try again!"),
                      QApplication::applicationName(), shell::MessageIcon::Information);
}

void TaskBasket::RemoveTask() {
  if (w_.lvEdit->topLevelItemCount() == 0) return;
  QTreeWidget* shown = edit_.State().glEditMode == 1 ? lvEditPreview : w_.lvEdit;
  const int row = shown->indexOfTopLevelItem(shown->currentItem());
  if (row < 0 || !shown->currentItem()->isSelected()) return;  // rows but none selected
  const tasks::TaskList before = viewerPane_.Tasks();
  viewerPane_.Tasks().Remove(row);
  subShowTasks();
  if (!plat::com::IsTrue(ImageBoxProxy(w_.ibMain->Dispatch()).get_ImageLoaded())) return;
  // Cancelled, the row stays: the confirmed image put back still carries its task.
  if (!ReplayFromOriginal(edit_.State().glEditMode)) return PutBackTasks(before);
  TakeConfirmedSnapshot();
}

}  // namespace edit
