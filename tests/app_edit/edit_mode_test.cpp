// Edit mode on a main window built as the program builds it: entering and leaving (layout,
// captions, snapshot, the replay of the recorded tasks), choosing a task in the pane and the
// question about an unconfirmed preview. ImageMagick writes the fixtures.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>
#include <QTreeWidget>
#include <cstdlib>
#include <memory>
#include <string>

#include "app/browse/folder_pane.h"
#include "app/browse/viewer/viewer_menu.h"
#include "app/browse/viewer/viewer_pane.h"
#include "app/browse/viewer/viewer_row.h"
#include "app/controls/plain_task_pane.h"
#include "app/edit/edit_mode.h"
#include "app/output/output_pane.h"
#include "app/shell/main_window.h"
#include "app/shell/settings.h"
#include "app/tasks/editing_task.h"
#include "app_shell/recording_ui.h"
#include "control/activex/imagebox_interface.h"
#include "platform/com/control_host.h"
#include "support/control_pixels.h"

inline void PrintTo(const QString& text, std::ostream* os) {
  *os << '"' << text.toStdString() << '"';
}

namespace {

using edit::EditMode;
using pictavo::ax::ImageBoxProxy;
using shell::Arrangement;

constexpr int kInvert = 11;

class EditModeTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    QApplication::setApplicationName(QStringLiteral("VelmoraJPEG2000B"));
    ASSERT_EQ(std::system((std::string(VELMORA_REGSVR) + " -s " + PICTAVO_LIBRARY).c_str()), 0);
  }
  void SetUp() override {
    shell::subLoadSetup();
    shell::subDeleteSetup();
    window_ = std::make_unique<shell::MainWindow>();
    window_->resize(900, 650);
    window_->show();
    browse::FolderBrowser* browser = browse::AttachFolderBrowser(*window_);
    viewer_ = std::make_unique<browse::ViewerPane>(*window_, *browser);
    outputs_ = std::make_unique<output::OutputPane>(*window_, *viewer_, browser);
    edit_ = std::make_unique<EditMode>(*window_, *viewer_, outputs_->ViewerMenu());
    QApplication::processEvents();
  }
  void TearDown() override {
    edit_.reset();
    outputs_.reset();
    viewer_.reset();
    window_.reset();
  }

  // Shows a 40 x 30 picture, red on the left half and blue on the right, in the viewer.
  void ShowPicture() {
    path_ = dir_.filePath(QStringLiteral("halves.png"));
    const std::string command =
        "convert -size 20x30 xc:red -size 20x30 xc:blue +append -depth 8 '" + path_.toStdString() +
        "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    auto* item = new QTreeWidgetItem(window_->lvFolder, {QStringLiteral("halves.png")});
    item->setData(0, browse::kRowTagRole, path_);
    browse::ListViewRow row(window_->lvFolder, item, browse::RowList::FileList);
    viewer_->View().subShowSelectedItem(row);
    ASSERT_EQ(viewer_->View().ShownPath(), path_);
  }
  ImageBoxProxy Box() const { return ImageBoxProxy(window_->ibMain->Dispatch()); }
  QImage Shown() {
    ImageBoxProxy box = Box();
    return Pixels(box);
  }
  QByteArray Snapshot() {
    return plat::com::ToQVariant(Box().WriteBinary(pictavo::ax::TxGraphicsFormat(7))).toByteArray();
  }
  QString DialogCaption() const {
    return static_cast<velmora::PlainTaskPane&>(edit_->Pane())
        .GroupCaption(QStringLiteral("Dialog"));
  }
  void SetOptimizedView(bool optimized) { window_->mbOptimizedView = optimized; }

  QTemporaryDir dir_;
  QString path_;
  RecordingUi ui_;
  std::unique_ptr<shell::MainWindow> window_;
  std::unique_ptr<browse::ViewerPane> viewer_;
  std::unique_ptr<output::OutputPane> outputs_;
  std::unique_ptr<EditMode> edit_;
};

TEST_F(EditModeTest, PaneHoldsTheSixteenTasksAndTheTwoGroups) {
  auto& pane = static_cast<velmora::PlainTaskPane&>(edit_->Pane());
  EXPECT_EQ(window_->eb, &pane);
  EXPECT_EQ(pane.GroupKeys(), (QStringList{velmora::kSpecialGroupKey, QStringLiteral("Dialog"),
                                           QStringLiteral("Editing")}));
  EXPECT_EQ(pane.GroupCaption(velmora::kSpecialGroupKey), QStringLiteral("Tasks Chart"));
  EXPECT_EQ(DialogCaption(), QStringLiteral(" Task Options"));
  EXPECT_EQ(pane.GroupCaption(QStringLiteral("Editing")), QStringLiteral("Task Basket"));
  int withIcons = 0;
  for (const edit::TaskItem& item : edit::kTaskItems) {
    auto* button = pane.findChild<QToolButton*>(QString::fromLatin1(item.key));
    ASSERT_NE(button, nullptr) << item.key;
    EXPECT_EQ(button->text(), QString::fromLatin1(item.caption));
    withIcons += !button->icon().isNull();
    // The item keys are the task table's.
    EXPECT_NE(tasks::TaskIdOfKey(QString::fromLatin1(item.key)), 0) << item.key;
  }
  EXPECT_EQ(withIcons, 16);
  EXPECT_EQ(window_->picDialog->parentWidget()->window(), window_.get());
}

TEST_F(EditModeTest, EditWithoutAnImageDoesNothing) {
  edit_->CmdPreviewEdit_Click();
  EXPECT_EQ(edit_->State().glEditMode, 0);
  EXPECT_NE(window_->CurrentArrangement(), Arrangement::Edit);
}

TEST_F(EditModeTest, EnteringAndLeavingInTheOriginalView) {
  ShowPicture();
  SetOptimizedView(false);
  viewer_->Tasks().Append(tasks::NewEditingTask(kInvert));
  const QImage asRead = Shown();
  outputs_->ViewerMenu().mnuPreview(0)->trigger();  // "Edit" in the viewer menu
  const edit::EditState& state = edit_->State();
  EXPECT_EQ(window_->CurrentArrangement(), Arrangement::Edit);
  EXPECT_EQ(state.glEditMode, 1);
  EXPECT_EQ(window_->CmdPreviewEdit->text(), QStringLiteral("     Finish"));
  EXPECT_EQ(outputs_->ViewerMenu().mnuPreview(0)->text(), QStringLiteral("Back to Explorer view"));
  EXPECT_FALSE(window_->cmdPreviewType->isEnabled());
  EXPECT_EQ(state.mlEditImageWidth, 40);
  EXPECT_EQ(state.mlEditImageHeight, 30);
  // The recorded Invert was replayed: red became cyan; the snapshot holds the replayed image.
  EXPECT_EQ(Shown().pixel(0, 0), qRgb(0, 255, 255));
  EXPECT_EQ(state.gvarConfirmedSnapshot, Snapshot());
  // No task chosen: "Options", the instruction, "Finish" enabled, "Preview" not.
  EXPECT_EQ(state.gCurrentTask.Enhancement, 0);
  EXPECT_EQ(DialogCaption(), QStringLiteral("Options"));
  EXPECT_EQ(edit_->lblNothing->text(),
            QStringLiteral("Select a task from above, or click finish button to exit edit mode."));
  EXPECT_TRUE(edit_->Panel(kInvert)->isVisibleTo(window_.get()));
  EXPECT_EQ(edit_->cmdOK->text(), QStringLiteral("Finish"));
  EXPECT_TRUE(edit_->cmdOK->isEnabled());
  EXPECT_FALSE(edit_->cmdApply->isEnabled());
  EXPECT_TRUE(edit_->cmdOriginalImage->isEnabled());  // a task is recorded
  EXPECT_GT(window_->eb->width(), 0);
  EXPECT_TRUE(window_->eb->isVisible());

  edit_->cmdOK->click();  // "Finish" leaves edit mode
  EXPECT_NE(window_->CurrentArrangement(), Arrangement::Edit);
  EXPECT_EQ(state.glEditMode, 0);
  EXPECT_TRUE(state.gvarConfirmedSnapshot.isEmpty());
  EXPECT_EQ(window_->CmdPreviewEdit->text(), QStringLiteral("     Edit"));
  EXPECT_EQ(outputs_->ViewerMenu().mnuPreview(0)->text(), QStringLiteral("Edit/Enhance image"));
  EXPECT_TRUE(window_->cmdPreviewType->isEnabled());
  EXPECT_TRUE(SamePixels(Shown(), asRead));  // the Original view shows the image as read
}

TEST_F(EditModeTest, TheOptimizedViewIsNotReplayedAgainAndKeepsTheEditedImage) {
  ShowPicture();
  SetOptimizedView(true);
  viewer_->Tasks().Append(tasks::NewEditingTask(kInvert));
  const QImage before = Shown();     // as shown, whatever the view made of it
  window_->CmdPreviewEdit->click();  // "Edit" on the toolbar
  ASSERT_EQ(edit_->State().glEditMode, 1);
  EXPECT_TRUE(SamePixels(Shown(), before));
  Box().Flip(pictavo::ax::TxFlipMode(0));  // an edit made in edit mode
  const QImage edited = Shown();
  window_->CmdPreviewEdit->click();
  EXPECT_EQ(edit_->State().glEditMode, 0);
  EXPECT_TRUE(SamePixels(Shown(), edited));
}

TEST_F(EditModeTest, ChoosingTasks) {
  ShowPicture();
  edit_->CmdPreviewEdit_Click();
  const edit::EditState& state = edit_->State();
  const QString special = velmora::kSpecialGroupKey;

  edit_->eb_ItemClick(QStringLiteral("special GROUP"), QStringLiteral("Flip"));
  EXPECT_EQ(state.gCurrentTask.Enhancement, 1);
  EXPECT_EQ(state.gCurrentTask.IconIndex, QStringLiteral("flip"));
  EXPECT_EQ(DialogCaption(), QStringLiteral("Task Option - Flip"));
  EXPECT_EQ(edit_->cmdOK->text(), QStringLiteral("Confirm"));
  EXPECT_TRUE(edit_->Panel(1)->isVisibleTo(window_.get()));

  // A key in another case names no task: no panel, the task id stays.
  edit_->eb_ItemClick(special, QStringLiteral("rotate"));
  EXPECT_EQ(state.gCurrentTask.Enhancement, 1);
  EXPECT_FALSE(edit_->Panel(1)->isVisibleTo(window_.get()));
  EXPECT_FALSE(edit_->Panel(2)->isVisibleTo(window_.get()));

  edit_->eb_ItemClick(special, QStringLiteral("Invert"));
  EXPECT_EQ(state.gCurrentTask.Enhancement, kInvert);
  EXPECT_EQ(
      edit_->lblNothing->text(),
      QStringLiteral("No Options Available. Click 'Preview' or 'Confirm' below to continue."));
  EXPECT_EQ(DialogCaption(), QStringLiteral("Task Option - Invert"));

  // The red-eye tool waits for its selection: Preview and Confirm stay off.
  edit_->eb_ItemClick(special, QStringLiteral("RedEye"));
  EXPECT_EQ(state.gCurrentTask.Enhancement, 16);
  EXPECT_FALSE(edit_->cmdApply->isEnabled());
  EXPECT_FALSE(edit_->cmdOK->isEnabled());
  EXPECT_EQ(viewer_->Mouse().CurrentTask(), 16);  // the viewer's mouse asks edit mode
}

TEST_F(EditModeTest, AnUnconfirmedPreviewAsksFirst) {
  ShowPicture();
  edit_->CmdPreviewEdit_Click();
  edit::EditState& state = edit_->State();
  int confirmed = 0, undone = 0;
  edit_->ConfirmTask = [&] { ++confirmed; };
  edit_->UndoPreview = [&] {
    ++undone;
    state.mbImageModified = false;
  };
  const QString special = velmora::kSpecialGroupKey;
  edit_->eb_ItemClick(special, QStringLiteral("Blur"));
  state.mbImageModified = true;

  ui_.threeWayAnswer = shell::Answer::Cancel;
  ui_.messages.clear();  // the start-up's own notes are not edit mode's
  edit_->eb_ItemClick(special, QStringLiteral("Sharpen"));
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text,
            QStringLiteral("The image has been modified!\r\nDo you want to confirm the changes "
                           "made to the image?"));
  EXPECT_EQ(ui_.messages[0].icon, shell::MessageIcon::Information);
  EXPECT_EQ(state.gCurrentTask.Enhancement, 4);  // Blur stays
  EXPECT_TRUE(state.mbImageModified);
  EXPECT_EQ(confirmed + undone, 0);

  ui_.threeWayAnswer = shell::Answer::No;
  edit_->eb_ItemClick(special, QStringLiteral("Sharpen"));
  EXPECT_EQ(undone, 1);
  EXPECT_EQ(state.gCurrentTask.Enhancement, 7);

  state.mbImageModified = true;
  ui_.threeWayAnswer = shell::Answer::Yes;
  edit_->eb_ItemClick(special, QStringLiteral("Contrast"));
  EXPECT_EQ(confirmed, 1);
  EXPECT_EQ(state.gCurrentTask.Enhancement, 5);
  EXPECT_FALSE(state.mbImageModified);  // loading the panel resets the preview state
}

}  // namespace
