// Edit mode on a main window built as the program builds it: entering and leaving (layout,
// captions, snapshot, the replay of the recorded tasks), choosing a task in the pane and the
// question about an unconfirmed preview. ImageMagick writes the fixtures.
#include "edit_fixture.h"

#include <QFontDatabase>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>

namespace {

using namespace edit_test;

TEST_F(EditModeTest, PaneHoldsTheSixteenTasksAndTheTwoGroups) {
  EXPECT_EQ(window_->eb, &edit_->Pane());
  const velmora::ucTaskPane& pane = TaskPane();
  // The program's stored properties: Tahoma where installed (else the container's face), plain
  // text drawing.
  const QString tahoma = QStringLiteral("Tahoma");
  EXPECT_EQ(pane.Font().family(),
            QFontDatabase::hasFamily(tahoma) ? tahoma : pane.parentWidget()->font().family());
  EXPECT_FALSE(pane.UseUxThemeText());
  const velmora::PaneModel& model = pane.Model();
  ASSERT_TRUE(model.m_bSpecialGroup);
  EXPECT_EQ(model.m_SpecialGroup.sCaption, QStringLiteral("Tasks Chart"));
  ASSERT_EQ(model.m_SpecialGroup.iItemCount, 16);
  for (size_t i = 0; i < std::size(edit::kTaskItems); ++i) {
    const edit::TaskItem& task = edit::kTaskItems[i];
    const velmora::BarItem& item = model.m_SpecialGroup.Items[i + 1];
    EXPECT_EQ(item.sKey, QString::fromLatin1(task.key));
    EXPECT_EQ(item.sCaption, QString::fromLatin1(task.caption));
    EXPECT_GT(item.iIcon, 0) << task.key;
    // The item keys are the task table's.
    EXPECT_NE(tasks::TaskIdOfKey(QString::fromLatin1(task.key)), 0) << task.key;
  }
  ASSERT_EQ(model.m_GroupCount, 2);
  EXPECT_EQ(DialogCaption(), QStringLiteral(" Task Options"));
  EXPECT_EQ(Group(QStringLiteral("Dialog"))->pChild, window_->picDialog);
  ASSERT_NE(Group(QStringLiteral("Editing")), nullptr);
  EXPECT_EQ(Group(QStringLiteral("Editing"))->sCaption, QStringLiteral("Task Basket"));
  EXPECT_NE(Group(QStringLiteral("Editing"))->pChild, nullptr);
  EXPECT_EQ(window_->picDialog->parentWidget()->window(), window_.get());
}

TEST_F(EditModeTest, ThePaneFillsThePlaceTheWindowGivesIt) {
  ShowPicture();
  edit_->CmdPreviewEdit_Click();
  // The pane docks at its container's left edge; the window places the container beside the
  // view, so the pane follows the window's placing through every resize.
  for (const QSize size : {QSize(900, 640), QSize(1100, 800), QSize(760, 560)}) {
    window_->resize(size);
    QApplication::processEvents();
    ASSERT_TRUE(window_->eb->isVisible()) << size.width();
    EXPECT_GT(window_->eb->x(), 0) << size.width();
    EXPECT_EQ(TaskPane().geometry(), QRect(QPoint(0, 0), window_->eb->size())) << size.width();
  }
}

TEST_F(EditModeTest, TheRightButtonOverTheImageOpensTheViewerMenu) {
  ShowPicture();
  QMenu* menu = outputs_->ViewerMenu().mnuPreviewParent();
  ASSERT_FALSE(menu->isVisible());
  emit window_->ImageMouseDown(2, 0, 5, 5);
  EXPECT_TRUE(menu->isVisible());
  menu->close();
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

TEST_F(EditModeTest, ShutdownReleasesBothSnapshots) {
  ShowPicture();
  edit_->CmdPreviewEdit_Click();
  ASSERT_EQ(edit_->State().glEditMode, 1);
  ASSERT_FALSE(edit_->State().gvarConfirmedSnapshot.isEmpty());
  ASSERT_FALSE(viewer_->View().OriginalSnapshot().isEmpty());
  window_->subEnd();
  EXPECT_TRUE(edit_->State().gvarConfirmedSnapshot.isEmpty());
  EXPECT_TRUE(viewer_->View().OriginalSnapshot().isEmpty());
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

// --- the option panels ---

// A non-default value in every stored option; a watermark picture that exists.
void SampleOptions(const QString& watermark, int fontIndex) {
  auto& o = shell::gSetup.TaskOptions;
  o.Flip.Mode = 1;
  o.Rotate = {-30, 1, 0x00123456};
  o.Resize = {1, 0, 1, 75};
  o.Blur.Amount = 6;
  o.Contrast = {70, 0, 1, 0};
  o.Brightness = {30, 1, 0, 1};
  o.Sharpen.Amount = 4;
  o.Crop = {0, 1};
  o.Watermark = {0, 2, 0x00ABCDEF, 25, watermark};
  o.Text.Text = QStringLiteral("Hello");
  o.Text.Transparent = 0;
  o.Text.BackColor = 0x00102030;
  o.Text.Filter = 3;
  o.Text.Position = 9;
  o.Text.FontIndex = static_cast<int16_t>(fontIndex);
  o.Text.FontSize = 24;
  o.Text.Color = 0x00405060;
  o.Text.Bold = 1;
  o.Text.Angle = -45;
  o.Text.Alignment = 2;
  o.Text.Orientation = 1;
  o.Canvas = {0x00654321, 5, 6, 7, 8};
  o.Frame = {1, 33, 0x00777777, 5, 0};
  o.Mask = {3, 0, 40};
  o.Shadow.Index = 6;
}

TEST_F(PanelTest, EveryPanelStoresWhatItLoaded) {
  const QString watermark = dir_.filePath(QStringLiteral("mark.png"));
  ASSERT_EQ(std::system(("convert -size 30x20 xc:green '" + watermark.toStdString() + "'").c_str()),
            0);
  const int fontIndex = window_->ComboFontFamily->count() > 1 ? 1 : 0;
  const char* const keys[] = {"Flip",       "Rotate",  "Resize", "Blur",      "Contrast",
                              "Brightness", "Sharpen", "Crop",   "Watermark", "Text",
                              "Invert",     "Canvas",  "Frame",  "Mask",      "Shadow"};
  for (const char* key : keys) {
    SampleOptions(watermark, fontIndex);
    shell::SetupRecord sample = shell::gSetup;
    Choose(key);
    shell::gSetup.TaskOptions = {};
    edit_->Panels().subReadTaskOptions();
    const QString own =
        QStringLiteral("TaskOptions.%1.")
            .arg(QString::fromLatin1(key == std::string("Invert") ? "Negative" : key));
    const QString group = key == std::string("Flip") ? QStringLiteral("TaskOptions.Flip.") : own;
    int compared = 0;
#define X(field, value)                                                                        \
  if (QStringLiteral(#field).startsWith(group) && !QStringLiteral(#field).contains("Spare")) { \
    ++compared;                                                                                \
    EXPECT_EQ(shell::gSetup.field, sample.field) << #field;                                    \
  }
    VELMORA_SETUP_FIELDS(X)
#undef X
    EXPECT_EQ(compared > 0, key != std::string("Invert")) << key;
  }
}

TEST_F(PanelTest, WhetherALoadedPanelCountsAsChanged) {
  auto& o = shell::gSetup.TaskOptions;
  struct Case {
    const char* key;
    std::function<void()> set;
    bool changed;
  } const cases[] = {
      {"Resize", [&] { o.Resize.Mode = 1, o.Resize.Scale = 50; }, true},
      {"Resize", [&] { o.Resize.Mode = 1, o.Resize.Scale = 100; }, false},
      {"Resize", [&] { o.Resize.Mode = 0, o.Resize.Scale = 50; }, false},
      {"Rotate", [&] { o.Rotate.Degrees = 0; }, false},
      {"Rotate", [&] { o.Rotate.Degrees = 10; }, true},
      {"Blur", [] {}, true},
      {"Crop", [] {}, false},
      {"Text", [&] { o.Text.Text.clear(); }, false},
      {"Text", [&] { o.Text.Text = QStringLiteral("x"); }, true},
      {"RedEye", [] {}, false},
  };
  for (const Case& c : cases) {
    c.set();
    Choose(c.key);
    EXPECT_EQ(viewer_->Mouse().mbTaskOptionsChanged, c.changed) << c.key;
  }
}

TEST_F(PanelTest, RetainRatioCouplesTheBoxesWithoutBouncing) {
  shell::gSetup.TaskOptions.Resize.KeepRatio = 1;
  shell::gSetup.TaskOptions.Resize.Mode = 0;
  Choose("Resize");
  P().txtResizeHeight->setText(QStringLiteral("100"));
  EXPECT_EQ(P().txtResizeWidth->text(), QStringLiteral("133"));
  EXPECT_EQ(P().txtResizeHeight->text(), QStringLiteral("100"));
  P().txtResizeWidth->setText(QStringLiteral("200"));
  EXPECT_EQ(P().txtResizeHeight->text(), QStringLiteral("150"));
  EXPECT_EQ(P().txtResizeWidth->text(), QStringLiteral("200"));
  P().chkResizeRatio->setChecked(false);
  P().txtResizeWidth->setText(QStringLiteral("10"));
  EXPECT_EQ(P().txtResizeHeight->text(), QStringLiteral("150"));
}

TEST_F(PanelTest, NumericBoxRules) {
  Choose("Canvas");
  QLineEdit* margin = P().txtCanvasCustom[0];
  margin->clear();
  EXPECT_EQ(margin->text(), QStringLiteral("0"));
  EXPECT_EQ(margin->selectedText(), QStringLiteral("0"));
  margin->setText(QStringLiteral("900"));
  LeaveBox(margin);
  EXPECT_EQ(margin->text(), QStringLiteral("800"));
  margin->clear();
  QTest::keyClicks(margin, QStringLiteral("a1b2"));
  EXPECT_EQ(margin->text(), QStringLiteral("12"));

  Choose("Rotate");
  P().txtDegrees->clear();
  EXPECT_EQ(P().txtDegrees->text(), QStringLiteral("45"));
  P().txtDegrees->setText(QStringLiteral("-300"));
  LeaveBox(P().txtDegrees);
  EXPECT_EQ(P().txtDegrees->text(), QStringLiteral("-180"));
  EXPECT_EQ(P().sbDegrees->value(), -180);
  P().cmdAngle[3]->click();
  EXPECT_EQ(P().txtDegrees->text(), QStringLiteral("-45"));

  Choose("Text");
  P().txtTextAngle->setText(QStringLiteral("-200"));
  LeaveBox(P().txtTextAngle);
  EXPECT_EQ(P().txtTextAngle->text(), QStringLiteral("-180"));
  EXPECT_EQ(P().vsbTextAngle->value(), -180);

  Choose("Frame");
  P().txtFrameSize->setText(QStringLiteral("900"));
  LeaveBox(P().txtFrameSize);
  EXPECT_EQ(P().txtFrameSize->text(), QStringLiteral("800"));
  EXPECT_EQ(P().vsFrameSize->value(), 800);

  Choose("Crop");
  P().optCropSelect->button(1)->setChecked(true);
  P().txtCropRight->setText(QStringLiteral("5000"));
  LeaveBox(P().txtCropRight);
  EXPECT_EQ(P().txtCropRight->text(), QStringLiteral("400"));
  P().txtCropTop->setText(QStringLiteral("5000"));
  LeaveBox(P().txtCropTop);
  EXPECT_EQ(P().txtCropTop->text(), QStringLiteral("300"));

  Choose("Resize");
  P().txtScale->clear();
  QTest::keyClicks(P().txtScale, QStringLiteral("x5y0"));
  EXPECT_EQ(P().txtScale->text(), QStringLiteral("50"));
}

TEST_F(PanelTest, ACancelledColourChooserChangesNoButton) {
  shell::gSetup.TaskOptions.Canvas.BackColor = 0x00336699;
  Choose("Canvas");
  const QString before = P().picCropBackColor->styleSheet();
  viewer_->Mouse().mbTaskOptionsChanged = false;
  WhenModalOpens([](QDialog* dialog) { dialog->reject(); });
  P().picCropBackColor->click();
  EXPECT_EQ(P().picCropBackColor->styleSheet(), before);
  edit_->Panels().subReadTaskOptions();
  EXPECT_EQ(shell::gSetup.TaskOptions.Canvas.BackColor, 0x00336699);
  EXPECT_FALSE(viewer_->Mouse().mbTaskOptionsChanged);
}

TEST_F(PanelTest, WatermarkPictureAndItsSize) {
  Choose("Watermark");
  const QString picture = dir_.filePath(QStringLiteral("merge.png"));
  ASSERT_EQ(
      std::system(
          ("convert -size 317x123 gradient:red-blue '" + picture.toStdString() + "'").c_str()),
      0);
  FILE* pipe = popen(("identify -format '%w x %h' '" + picture.toStdString() + "'").c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  char size[64] = {};
  const size_t got = fread(size, 1, sizeof size - 1, pipe);
  pclose(pipe);
  P().subLoadWatermarkImage(picture);
  EXPECT_EQ(P().lblWatermarkResolution->text(), QString::fromLatin1(size, int(got)));
  EXPECT_EQ(P().mstrWatermarkFile, picture);
  // A file that is no picture keeps the previous one.
  const QString broken = dir_.filePath(QStringLiteral("broken.png"));
  QFile file(broken);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("not a picture");
  file.close();
  P().subLoadWatermarkImage(broken);
  EXPECT_EQ(P().mstrWatermarkFile, picture);
  EXPECT_EQ(P().lblWatermarkResolution->text(), QString::fromLatin1(size, int(got)));
}

TEST_F(PanelTest, PickingTheWatermarksTransparentColour) {
  Choose("Watermark");
  const QString picture = dir_.filePath(QStringLiteral("pick.png"));
  ASSERT_EQ(
      std::system(
          ("convert -size 100x60 xc:'rgb(10,200,30)' '" + picture.toStdString() + "'").c_str()),
      0);
  P().subLoadWatermarkImage(picture);
  P().chkWatermarkTransparentColor->setChecked(true);
  QLabel* image = P().picWatermarkImage;
  const QPoint middle(image->width() / 2, image->height() / 2);
  QMouseEvent move(QEvent::MouseMove, middle, image->mapToGlobal(middle), Qt::NoButton,
                   Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(image, &move);
  QMouseEvent release(QEvent::MouseButtonRelease, middle, image->mapToGlobal(middle),
                      Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(image, &release);
  EXPECT_FALSE(P().chkWatermarkTransparentColor->isChecked());
  EXPECT_FALSE(P().mbPickTransparentColor);
  edit_->Panels().subReadTaskOptions();
  EXPECT_EQ(shell::gSetup.TaskOptions.Watermark.TransparentColor, 10 | 200 << 8 | 30 << 16);
}

TEST_F(PanelTest, GroupsShownByTheirChoices) {
  Choose("Crop");
  P().optCropSelect->button(1)->setChecked(true);
  P().cmbCrop->setCurrentIndex(1);
  EXPECT_TRUE(P().FrameBackColor->isVisibleTo(window_.get()));
  P().cmbCrop->setCurrentIndex(0);
  EXPECT_FALSE(P().FrameBackColor->isVisibleTo(window_.get()));

  shell::gSetup.TaskOptions.Text.Position = 0;
  Choose("Text");
  window_->cboPosition->setCurrentIndex(9);
  EXPECT_TRUE(P().picLocation->isVisibleTo(window_.get()));
  EXPECT_TRUE(P().picTextOrientationCustom->isVisibleTo(window_.get()));
  EXPECT_FALSE(P().picTextOrientation->isVisibleTo(window_.get()));
  EXPECT_FALSE(P().picTextAlignment->isVisibleTo(window_.get()));

  Choose("Shadow");
  P().OptShadow->button(2)->setChecked(true);
  EXPECT_EQ(P().mintTaskPicture, 10);
  edit_->Panels().subReadTaskOptions();
  EXPECT_EQ(shell::gSetup.TaskOptions.Shadow.Index, 2);
}

// Why a captioned widget would cut its caption off; empty when it shows it whole.
std::string Clipped(const QWidget* widget) {
  const QString name = widget->metaObject()->className();
  if (const auto* label = qobject_cast<const QLabel*>(widget)) {
    if (label->text().isEmpty() || !label->pixmap().isNull()) return {};
    const int room = label->contentsRect().width() - 2 * std::max(label->margin(), 0);
    const bool fits = label->wordWrap()
                          ? label->heightForWidth(label->width()) <= label->height()
                          : label->fontMetrics().horizontalAdvance(label->text()) <= room;
    return fits ? std::string() : "label \"" + label->text().toStdString() + "\"";
  }
  const auto* button = qobject_cast<const QAbstractButton*>(widget);
  if (!button || button->text().isEmpty() || qobject_cast<const QPushButton*>(widget)) return {};
  if (button->sizeHint().width() <= button->width()) return {};
  return name.toStdString() + " \"" + button->text().toStdString() + "\" needs " +
         std::to_string(button->sizeHint().width()) + " has " + std::to_string(button->width());
}

TEST_F(PanelTest, EveryCaptionFitsItsWidgetAndItsPlace) {
  for (const edit::TaskItem& item : edit::kTaskItems) {
    Choose(item.key);
    // Every panel, the shared area below them and the row of buttons; groups that other choices
    // show are checked too.
    for (const QWidget* widget : window_->picDialog->findChildren<QWidget*>()) {
      EXPECT_EQ(Clipped(widget), "") << item.key;
      if (!qobject_cast<const QLabel*>(widget) && !qobject_cast<const QAbstractButton*>(widget))
        continue;
      EXPECT_TRUE(widget->parentWidget()->rect().contains(widget->geometry()))
          << item.key << " " << widget->metaObject()->className() << " at " << widget->x() << ","
          << widget->y() << " " << widget->width() << "x" << widget->height();
    }
  }
}

// In a small window the pane scrolls as far as the option panel and its buttons reach.
TEST_F(PanelTest, TheWholeOptionPanelCanBeScrolledIntoTheSmallestWindow) {
  // Edit mode entered in a window already small, and a window made small in edit mode.
  edit_->CmdPreviewEdit_Click();
  window_->resize(1, 1);  // the window keeps its minimum size
  QApplication::processEvents();
  edit_->CmdPreviewEdit_Click();
  ASSERT_EQ(edit_->State().glEditMode, 1);
  for (const char* key : {"Text", "Crop", "Resize"}) {
    SCOPED_TRACE(key);
    Choose(key);
    QApplication::processEvents();
    auto* bar = TaskPane().findChild<QScrollBar*>();
    ASSERT_NE(bar, nullptr);
    ASSERT_TRUE(bar->isVisibleTo(&TaskPane()));
    bar->setValue(bar->maximum());
    QApplication::processEvents();
    const QRect dialog(window_->picDialog->mapTo(&TaskPane(), QPoint(0, 0)),
                       window_->picDialog->size());
    EXPECT_LE(dialog.bottom(), TaskPane().height() - 1)
        << "dialog " << dialog.top() << ".." << dialog.bottom() << " in a pane "
        << TaskPane().height() << " high";
    bar->setValue(0);
    QApplication::processEvents();
    EXPECT_GE(window_->picDialog->mapTo(&TaskPane(), QPoint(0, 0)).y(), 0);
    window_->resize(1, 1);
    QApplication::processEvents();
  }
}

TEST_F(PanelTest, MouseResultsReachThePanels) {
  Choose("Crop");
  P().optCropSelect->button(0)->setChecked(true);
  P().chkCropMouse->setChecked(true);  // the picture is shown at its size: the viewer's band
  EXPECT_TRUE(viewer_->Mouse().CropByMouse());
  emit window_->ImageMouseDown(1, 0, 10, 20);
  emit window_->ImageMouseMove(0, 60, 70);
  emit window_->ImageMouseUp(1, 0, 60, 70);
  EXPECT_EQ(P().lblSelectRegionStart->text(), QStringLiteral("X : 10 ; Y : 20"));
  EXPECT_EQ(P().lblSelectRegionEnd->text(), QStringLiteral("X : 60 ; Y : 70"));
  EXPECT_FALSE(P().chkCropMouse->isChecked());
  EXPECT_TRUE(edit_->cmdApply->isEnabled());

  shell::gSetup.TaskOptions.Text.Position = 9;
  Choose("Text");
  EXPECT_TRUE(P().picLocation->isVisibleTo(window_.get()));
  P().chkSelectLocation->setChecked(true);
  emit window_->ImageMouseUp(1, 0, 33, 44);
  EXPECT_EQ(P().lblSelectLocation->text(), QStringLiteral("X-33; Y-44"));
  EXPECT_FALSE(P().chkSelectLocation->isChecked());
  EXPECT_EQ(viewer_->Mouse().TextPosition(), QPoint(33, 44));
}

}  // namespace
