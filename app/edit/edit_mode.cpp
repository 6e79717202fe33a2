#include "app/edit/edit_mode.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabBar>

#include "app/browse/viewer/viewer_menu.h"
#include "app/browse/viewer/viewer_pane.h"
#include "app/controls/image_list.h"
#include "app/controls/popup_menu.h"
#include "app/controls/property_bag.h"
#include "app/controls/splitter.h"
#include "app/controls/themed_task_pane.h"
#include "app/edit/task_basket.h"
#include "app/edit/task_preview.h"
#include "app/edit/viewer_replay.h"
#include "app/shell/errors.h"
#include "app/shell/main_window.h"
#include "app/shell/pictures.h"
#include "app/shell/ui_service.h"
#include "control/activex/imagebox_interface.h"
#include "platform/com/control_host.h"

namespace edit {

using pictavo::ax::ImageBoxProxy;

const TaskItem kTaskItems[16] = {
    {"Resize", "Resize", "resize", "Task Option - Resize"},
    {"Canvas", "Canvas", "canvas", "Task Option - Canvas"},
    {"Crop", "Crop", "crop", "Task Option - Crop"},
    {"Rotate", "Rotate", "rotate", "Task Option - Rotate"},
    {"Flip", "Flip", "flip", "Task Option - Flip"},
    {"Invert", "Invert", "invert", "Task Option - Invert"},
    {"Contrast", "Contrast", "contrast", "Task Option - Contrast"},
    {"Sharpen", "Sharpen", "sharpen", "Task Option - Sharpen"},
    {"Blur", "Blur", "blur", "Task Option - Blur"},
    {"Brightness", "Brightness", "brightness", "Task Option - Brightness"},
    {"Text", "Text", "text", "Task Option - Add Text"},
    {"Watermark", "Watermark/Merge", "watermark", "Task Option - Watermark/merge"},
    {"Mask", "Mask", "mask", "Task Option - Mask"},
    {"Shadow", "Shadow", "shadow", "Task Option - Shadow"},
    {"Frame", "Frame", "frame", "Task Option - Frame"},
    {"RedEye", "Red-Eye Correction", "RedEye", "Red-Eye Correction"},
};

namespace {

constexpr int kInvertTask = 11;
constexpr int kPanelWidth = 172;
constexpr int kPanelHeight = 330;
constexpr int kSharedHeight = 80;
constexpr int kRowHeight = 64;

const QString kNothingKey = QStringLiteral("Nothing");
const QString kDialogGroup = QStringLiteral("Dialog");
const QString kEditingGroup = QStringLiteral("Editing");

QPixmap Artwork(const QString& key) {
  return QPixmap(QStringLiteral(":/edit/artwork/%1.png").arg(key));
}

velmora::ImageList* ilEdit(QObject* owner) {
  auto* images = new velmora::ImageList(owner);
  for (const TaskItem& item : kTaskItems) {
    const QString key = QString::fromLatin1(item.iconKey);
    images->Add(key, Artwork(key));
  }
  return images;
}

// The pane's stored properties as the program keeps them.
velmora::PropertyBag ebProperties() {
  velmora::PropertyBag bag;
  bag.WriteProperty(QStringLiteral("FontName"), QStringLiteral("Tahoma"));
  bag.WriteProperty(QStringLiteral("FontCharset"), 0);
  bag.WriteProperty(QStringLiteral("UxThemeText"), false);
  return bag;
}

const TaskItem* ItemOfKey(const QString& key) {
  for (const TaskItem& item : kTaskItems)
    if (key == QLatin1String(item.key)) return &item;  // item keys compare with case
  return nullptr;
}

}  // namespace

EditMode::EditMode(shell::MainWindow& window, browse::ViewerPane& viewerPane,
                   browse::ViewerMenu& viewerMenu)
    : w_(window), viewerPane_(viewerPane), viewerMenu_(viewerMenu) {
  picEditPreview = new QWidget;
  subSetupTaskPane();
  BuildButtonRow();
  basket_ = new TaskBasket(*this, w_, viewerPane_);
  new TaskPreview(*this, w_, viewerPane_, [this] { basket_->subShowTasks(); });
  viewerMenu_.CmdPreviewEdit_Click = [this] { CmdPreviewEdit_Click(); };
  viewerPane_.Mouse().CurrentTask = [this] { return state_.gCurrentTask.Enhancement; };
  connect(&viewerPane_.Mouse(), &browse::ViewerMouse::OptionsChanged, this,
          [this] { subEnableTaskButtons(true); });
  velmora::OnClick(w_.lblBrowse, [this] { lblBrowse_Click(); });
  connect(&w_, &shell::MainWindow::Ending, this,
          [this] { state_.gvarConfirmedSnapshot = QByteArray(); });
}

EditMode::~EditMode() {
  viewerMenu_.CmdPreviewEdit_Click = nullptr;
  viewerPane_.Mouse().CurrentTask = nullptr;
}

QWidget* EditMode::Panel(int taskId) const {
  return w_.taskPanels.at(taskId - 1);
}

void EditMode::subSetupTaskPane() {
  // The themed pane takes the place the window kept for it.
  auto* pane = new velmora::ThemedTaskPane(ebProperties(), w_.eb->parentWidget());
  pane->setGeometry(w_.eb->geometry());
  pane->setVisible(!w_.eb->isHidden());
  w_.picDialog->setParent(pane);
  delete w_.eb;
  w_.eb = pane;
  pane_ = pane;
  w_.picDialog->resize(kPanelWidth, kPanelHeight + kSharedHeight + kRowHeight);
  for (QWidget* panel : w_.taskPanels) {
    panel->resize(kPanelWidth, kPanelHeight);
    panel->hide();
  }

  pane_->DisableUpdates(true);
  pane_->ClearStructure();
  pane_->SetImageList(ilEdit(pane));
  pane_->AddSpecialGroup(QStringLiteral("Tasks Chart"), Artwork(QStringLiteral("multipage")));
  for (const TaskItem& item : kTaskItems)
    pane_->AddItem(velmora::kSpecialGroupKey, QString::fromLatin1(item.key),
                   QString::fromLatin1(item.caption), QString::fromLatin1(item.iconKey));
  pane_->AddGroup(kDialogGroup, QStringLiteral(" Task Options"), 1);
  pane_->SetGroupChild(kDialogGroup, w_.picDialog);
  pane_->AddGroup(kEditingGroup, QStringLiteral("Task Basket"), 1);
  pane_->SetGroupChild(kEditingGroup, picEditPreview);
  connect(pane_, &velmora::ITaskPane::ItemClick, this, &EditMode::eb_ItemClick);
  w_.subResize();
}

void EditMode::BuildButtonRow() {
  lblNothing = new QLabel(Panel(kInvertTask));
  lblNothing->setWordWrap(true);
  lblNothing->setText(QStringLiteral("No option selected."));
  lblNothing->setGeometry(4, 4, kPanelWidth - 8, 60);
  auto* shared = new QWidget(w_.picDialog);
  shared->setGeometry(0, kPanelHeight, kPanelWidth, kSharedHeight);
  panels_ = new TaskPanels(
      w_, state_, viewerPane_.Mouse(), [this](bool enabled) { subEnableTaskButtons(enabled); },
      shared);
  // The panels' handlers end with edit mode, before the viewer's mouse they drive goes.
  panels_->setParent(this);
  picEditPanel = new QWidget(w_.picDialog);
  picEditPanel->setGeometry(0, kPanelHeight + kSharedHeight, kPanelWidth, kRowHeight);
  cmdApply = new QPushButton(QStringLiteral("Preview"), picEditPanel);
  cmdOK = new QPushButton(QStringLiteral("Confirm"), picEditPanel);
  cmdReset = new QPushButton(picEditPanel);
  cmdOriginalImage = new QPushButton(picEditPanel);
  cmdApply->setGeometry(4, 4, 80, 26);
  cmdOK->setGeometry(88, 4, 80, 26);
  cmdReset->setGeometry(4, 34, 26, 26);
  cmdOriginalImage->setGeometry(34, 34, 26, 26);
  cmdReset->setToolTip(QStringLiteral("Undo the preview"));
  cmdOriginalImage->setToolTip(QStringLiteral("Back to the image as read"));
  shell::subAttachButtonPicture(cmdReset, shell::Picture::IconReset);
  shell::subAttachButtonPicture(cmdOriginalImage, shell::Picture::IconOriginalImage);
  connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
}

void EditMode::subEnableTaskButtons(bool enabled) {
  cmdApply->setEnabled(enabled);
  cmdOK->setEnabled(enabled);
}

void EditMode::CmdPreviewEdit_Click() {
  ImageBoxProxy box(w_.ibMain->Dispatch());
  if (ViewerReplaying(w_) || !plat::com::IsTrue(box.get_ImageLoaded())) return;
  viewerPane_.Mouse().subClearSelection();
  box.CancelSelection();
  if (w_.CurrentArrangement() == shell::Arrangement::Edit) {
    LeaveEditMode();
  } else {
    EnterEditMode();
  }
  w_.subResize();
}

void EditMode::LeaveEditMode() {
  w_.splMain->SetLeftOrTopControl(w_.splRight);
  w_.splRight->SetRightOrBottomControl(w_.splView);
  if (w_.splView->RightOrBottomControl()) w_.splView->SetLeftOrTopControl(w_.picView);
  state_.glEditMode = 0;
  w_.CmdPreviewEdit->setText(QStringLiteral("     Edit"));
  viewerMenu_.mnuPreview(0)->setText(QStringLiteral("Edit/Enhance image"));
  w_.CmdPreviewEdit->repaint();
  cmdReset_Click();
  state_.gvarConfirmedSnapshot.clear();
  w_.cmdPreviewType->setEnabled(true);
  w_.cmdPreviewType->repaint();
  if (!w_.mbOptimizedView) {
    const QByteArray& original = viewerPane_.View().OriginalSnapshot();
    ImageBoxProxy(w_.ibMain->Dispatch()).ReadBinary(kTiffSnapshot, plat::com::ToVariant(original));
  }
}

void EditMode::EnterEditMode() {
  w_.splMain->SetLeftOrTopControl(nullptr);
  w_.splRight->SetRightOrBottomControl(nullptr);
  w_.splView->SetLeftOrTopControl(nullptr);
  viewerMenu_.mnuPreview(0)->setText(QStringLiteral("Back to Explorer view"));
  state_.glEditMode = 1;
  ImageBoxProxy box(w_.ibMain->Dispatch());
  state_.mlEditImageWidth = box.get_ImageWidth();
  state_.mlEditImageHeight = box.get_ImageHeight();
  panels_->txtResizeWidth->setText(QString::number(state_.mlEditImageWidth));
  panels_->txtResizeHeight->setText(QString::number(state_.mlEditImageHeight));
  w_.cmdPreviewType->setEnabled(false);
  w_.cmdPreviewType->repaint();
  state_.gCurrentTask.Enhancement = 0;
  state_.mbImageModified = false;
  eb_ItemClick(velmora::kSpecialGroupKey, kNothingKey);
  if (!w_.mbOptimizedView) {
    const tasks::ReplayEnd end = ReplayOnViewer(w_, viewerPane_.Tasks(), state_.glEditMode);
    w_.subResize();
    // Cancelled, no image is confirmed: the window goes back to the explorer view.
    if (end == tasks::ReplayEnd::Cancelled) return LeaveEditMode();
  }
  state_.gvarConfirmedSnapshot =
      plat::com::ToQVariant(box.WriteBinary(kTiffSnapshot)).toByteArray();
  w_.CmdPreviewEdit->setText(QStringLiteral("     Finish"));
}

void EditMode::eb_ItemClick(const QString& groupKey, const QString& itemKey) {
  if (ViewerReplaying(w_)) return;
  if (state_.mbImageModified) {
    const shell::Answer answer = shell::Ui().AskYesNoCancel(
        QStringLiteral("The image has been modified!\r\n"
                       "Do you want to confirm the changes made to the image?"),
        QApplication::applicationName(), shell::MessageIcon::Information);
    if (answer == shell::Answer::Cancel) return;
    if (answer == shell::Answer::Yes) {
      if (ConfirmTask) ConfirmTask();
    } else {
      cmdReset_Click();
    }
  }
  const bool nothing = itemKey == kNothingKey;
  cmdOK->setText(nothing ? QStringLiteral("Finish") : QStringLiteral("Confirm"));
  subEnableTaskButtons(!nothing);
  for (QWidget* panel : w_.taskPanels) panel->hide();
  for (int n = 1; n <= tasks::kParameterCount; ++n) state_.gCurrentTask.Param(n).clear();
  state_.gCurrentTask.IconIndex = itemKey.toLower();
  if (groupKey.toLower() != velmora::kSpecialGroupKey.toLower()) return;
  ShowPanelOf(itemKey);
  subResetTaskOptions();
}

void EditMode::ShowPanelOf(const QString& itemKey) {
  if (itemKey == kNothingKey) {
    pane_->SetGroupCaption(kDialogGroup, QStringLiteral("Options"));
    lblNothing->setText(
        QStringLiteral("Select a task from above, or click finish button to exit edit mode."));
    Panel(kInvertTask)->show();
    return;
  }
  const TaskItem* item = ItemOfKey(itemKey);
  if (!item) return;
  state_.gCurrentTask.Enhancement = tasks::TaskIdOfKey(itemKey);
  pane_->SetGroupCaption(kDialogGroup, QString::fromLatin1(item->dialogCaption));
  if (state_.gCurrentTask.Enhancement == kInvertTask)
    lblNothing->setText(
        QStringLiteral("No Options Available. Click 'Preview' or 'Confirm' below to continue."));
  Panel(state_.gCurrentTask.Enhancement)->show();
}

void EditMode::subResetTaskOptions() {
  browse::ViewerMouse& mouse = viewerPane_.Mouse();
  state_.mbNoPreviewShown = true;
  mouse.mbTaskOptionsChanged = false;
  state_.mbImageModified = false;
  panels_->ResetSharedControls();
  shell::IgnoreErrors([this] { ImageBoxProxy(w_.ibMain->Dispatch()).CancelSelection(); });
  mouse.subClearSelection();
  mouse.SetColourPick(false);
  cmdReset->setEnabled(false);
  cmdReset->repaint();
  subEnableTaskButtons(true);
  cmdOriginalImage->setEnabled(viewerPane_.Tasks().Count() > 0);
  cmdOriginalImage->repaint();
  const int32_t task = state_.gCurrentTask.Enhancement;
  panels_->Load(task);
  if (task == 0) cmdOK->setEnabled(true);  // it reads "Finish"
}

void EditMode::cmdOK_Click() {
  if (state_.gCurrentTask.Enhancement == 0) {
    CmdPreviewEdit_Click();
  } else if (ConfirmTask) {
    ConfirmTask();
  }
}

void EditMode::cmdReset_Click() {
  if (UndoPreview) {
    UndoPreview();
  } else {
    subResetTaskOptions();
  }
}

void EditMode::lblBrowse_Click() {
  if (w_.tbsBrowse->Tabs()->currentIndex() != 1) return;
  w_.frmFrameDummy->mnuTaskBasket->popup(
      w_.mapToGlobal(QPoint(w_.lblBrowse->x(), w_.lblBrowse->height())));
}

}  // namespace edit
