#include "app/edit/task_basket.h"

#include <QApplication>
#include <QPushButton>
#include <QTreeWidget>

#include "app/browse/basket_files.h"
#include "app/browse/viewer/viewer.h"
#include "app/browse/viewer/viewer_mouse.h"
#include "app/browse/viewer/viewer_pane.h"
#include "app/edit/edit_mode.h"
#include "app/shell/dialogs.h"
#include "app/shell/errors.h"
#include "app/shell/main_window.h"
#include "app/shell/pictures.h"
#include "app/shell/ui_service.h"
#include "app/tasks/replay.h"
#include "control/activex/imagebox_interface.h"
#include "platform/com/control_host.h"

namespace edit {

namespace {

using pictavo::ax::ImageBoxProxy;

constexpr auto kTiffSnapshot = pictavo::ax::TxGraphicsFormat(7);  // gfTIF
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
  return tasks::IsReplaying(*w_.ibMain);
}

void TaskBasket::ReplayFromOriginal() {
  ImageBoxProxy(w_.ibMain->Dispatch())
      .ReadBinary(kTiffSnapshot, plat::com::ToVariant(viewerPane_.View().OriginalSnapshot()));
  tasks::subProcessTaskBasket(viewerPane_.Tasks(), *w_.ibMain, *w_.frmFrameDummy->ibTemp, false,
                              edit_.State().glEditMode);
  w_.subResize();
}

void TaskBasket::TakeConfirmedSnapshot() {
  edit_.State().gvarConfirmedSnapshot =
      plat::com::ToQVariant(ImageBoxProxy(w_.ibMain->Dispatch()).WriteBinary(kTiffSnapshot))
          .toByteArray();
}

void TaskBasket::ShowRow(tasks::StopView view, QTreeWidget* list, QTreeWidgetItem* item) {
  if (list->topLevelItemCount() == 0 || !item || Busy()) return;
  viewerPane_.Tasks().SetStopRow(view, list->indexOfTopLevelItem(item));
  shell::IgnoreErrors([this] {
    ImageBoxProxy(w_.ibMain->Dispatch())
        .ReadBinary(kTiffSnapshot, plat::com::ToVariant(viewerPane_.View().OriginalSnapshot()));
  });
  shell::IgnoreErrors([this, view] {
    tasks::subProcessTaskBasket(viewerPane_.Tasks(), *w_.ibMain, *w_.frmFrameDummy->ibTemp, false,
                                static_cast<int32_t>(view));
  });
  shell::IgnoreErrors([this] { w_.subResize(); });
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
  const bool opened = browse::fncOpenTaskBasket(shell::gstrDlgFileName, list);
  subShowTasks();
  if (!opened) {
    shell::Ui().Message(QStringLiteral("Error opening task basket!\r\n"
                                       "Please select a valid task basket file."),
                        QApplication::applicationName(), shell::MessageIcon::Information);
    return;
  }
  if (!plat::com::IsTrue(ImageBoxProxy(w_.ibMain->Dispatch()).get_ImageLoaded())) return;
  ReplayFromOriginal();
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
  viewerPane_.Tasks().Remove(row);
  subShowTasks();
  if (!plat::com::IsTrue(ImageBoxProxy(w_.ibMain->Dispatch()).get_ImageLoaded())) return;
  ReplayFromOriginal();
  TakeConfirmedSnapshot();
}

}  // namespace edit
