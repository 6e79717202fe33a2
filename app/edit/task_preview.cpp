#include "app/edit/task_preview.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <array>
#include <cmath>
#include <utility>

#include "app/browse/viewer/viewer_mouse.h"
#include "app/browse/viewer/viewer_pane.h"
#include "app/controls/task_pane_model.h"
#include "app/edit/edit_mode.h"
#include "app/edit/viewer_replay.h"
#include "app/shell/errors.h"
#include "app/shell/main_window.h"
#include "app/shell/paths.h"
#include "app/shell/settings.h"
#include "app/shell/ui_service.h"
#include "app/tasks/frame_drawing.h"
#include "app/tasks/replay.h"
#include "app/tasks/task_artwork.h"
#include "control/activex/imagebox_interface.h"
#include "platform/com/control_host.h"

namespace edit {

namespace {

using pictavo::ax::ImageBoxProxy;
using namespace tasks;

constexpr int kSingleStyle = 0;  // "Single" in the style list
constexpr int kPickedTextPosition = 9;

QString ColourOf(const QPushButton* button) {
  return ColourText(static_cast<uint32_t>(button->property("oleColour").toInt()));
}
QString ValueOf(const QSlider* slider) {
  return QString::number(slider->value());
}
QString CheckOf(const QCheckBox* box) {
  return CheckText(box->isChecked());
}
// A slider value and the red, green and blue boxes it applies to.
void ReadChannelAdjustment(TaskParameters& t, const QSlider* slider,
                           const std::array<const QCheckBox*, 3>& channels) {
  t.p1 = ValueOf(slider);
  t.p2 = CheckOf(channels[0]);
  t.p3 = CheckOf(channels[1]);
  t.p4 = CheckOf(channels[2]);
}
bool Selected(const QButtonGroup* group, int id) {
  return group->checkedId() == id;
}

// A displayed position as an image pixel, by the viewer's zoom ratio (halves to even).
int32_t ToImage(double displayed, int32_t image, int32_t zoomed) {
  return zoomed == 0 ? WholeOf(displayed)
                     : WholeOf(static_cast<double>(image) / zoomed * displayed);
}

bool Zoomed(ImageBoxProxy& box) {
  return plat::com::IsTrue(box.get_AutoZoom()) && (box.get_ZoomedWidth() != box.get_ImageWidth() ||
                                                   box.get_ZoomedHeight() != box.get_ImageHeight());
}

}  // namespace

TaskPreview::TaskPreview(EditMode& edit, shell::MainWindow& window, browse::ViewerPane& viewerPane,
                         std::function<void()> tasksChanged)
    : QObject(&edit),
      edit_(edit),
      w_(window),
      viewerPane_(viewerPane),
      tasksChanged_(std::move(tasksChanged)) {
  edit_.ConfirmTask = [this] { ConfirmTask(); };
  edit_.UndoPreview = [this] { subResetTaskPreview(false); };
  connect(edit_.cmdApply, &QPushButton::clicked, this, [this] { cmdApply_Click(); });
  connect(edit_.cmdReset, &QPushButton::clicked, this, [this] {
    edit_.cmdReset->repaint();
    subResetTaskPreview(false);
  });
}

void TaskPreview::RestoreConfirmedImage() {
  ImageBoxProxy(w_.ibMain->Dispatch())
      .ReadBinary(kTiffSnapshot, plat::com::ToVariant(edit_.State().gvarConfirmedSnapshot));
}

void TaskPreview::cmdApply_Click() {
  browse::ViewerMouse& mouse = viewerPane_.Mouse();
  EditState& state = edit_.State();
  if (!mouse.mbTaskOptionsChanged || ViewerReplaying(w_)) return;
  if (!state.mbNoPreviewShown) RestoreConfirmedImage();
  EditingTask task = state.gCurrentTask;
  bool applied = true;
  if (task.Enhancement == tskRedEye) {
    ReduceRedEye();
  } else if (ReadParameters(task)) {
    applied = ApplyAsReplayed(task);
  }
  if (!applied) {
    // The failure was reported; the image goes back to the confirmed one and nothing is kept.
    RestoreConfirmedImage();
    state.mbNoPreviewShown = true;
    state.mbImageModified = false;
    edit_.cmdReset->setEnabled(false);
    w_.subResize();
    return;
  }
  state.gCurrentTask = task;
  edit_.cmdReset->setEnabled(true);
  edit_.cmdReset->repaint();
  edit_.cmdApply->setEnabled(false);
  w_.subResize();
  state.mbNoPreviewShown = false;
  mouse.mbTaskOptionsChanged = false;
  state.mbImageModified = true;
}

bool TaskPreview::ApplyAsReplayed(const EditingTask& task) {
  TaskList one;
  one.Append(task);
  return subProcessTaskBasket(one, *w_.ibMain, *w_.frmFrameDummy->ibTemp, true,
                              edit_.State().glEditMode) == ReplayEnd::Finished;
}

void TaskPreview::ReduceRedEye() {
  ImageBoxProxy box(w_.ibMain->Dispatch());
  shell::Trap(shell::Routine::FrmMain_subUpdateForm, [&] {
    box.put_UseSelection(true);
    box.ReduceRedEye();
    box.CancelSelection();
    box.put_UseSelection(false);
  });
}

bool TaskPreview::ReadParameters(EditingTask& t) {
  TaskPanels& p = edit_.Panels();
  switch (t.Enhancement) {
    case tskOrientation:
      t.p1 = Selected(p.optFlip, 0) ? QStringLiteral("0") : QStringLiteral("1");
      return true;
    case tskRotate: {
      ImageBoxProxy box(w_.ibMain->Dispatch());
      const bool resample =
          p.chkRotateResample->isChecked() || plat::com::IsTrue(box.get_Resample());
      t.p1 = FlagText(resample);
      t.p2 = p.txtDegrees->text();
      t.p3 = ColourOf(p.picCropBackColor);
      return true;
    }
    case tskResize:
      t.p1 = FlagText(Selected(p.optResize, 0));
      if (Selected(p.optResize, 0)) {
        t.p2 = p.txtResizeWidth->text();
        t.p3 = p.txtResizeHeight->text();
      } else {
        t.p2 = p.txtScale->text();
      }
      return true;
    case tskBlur:
      t.p1 = ValueOf(p.sldBlur);
      return true;
    case tskContrast:
      ReadChannelAdjustment(t, p.sldContrast, {p.chkConRed, p.chkConGreen, p.chkConBlue});
      return true;
    case tskBrightness:
      ReadChannelAdjustment(t, p.sldBrightness, {p.chkBrRed, p.chkBrGreen, p.chkBrBlue});
      return true;
    case tskSharpen:
      t.p1 = ValueOf(p.sldSharpen);
      return true;
    case tskCrop:
      ReadCrop(t);
      return true;
    case tskWatermark:
      return ReadWatermark(t);
    case tskText:
      ReadText(t);
      return true;
    case tskNegative:
      return true;
    case tskCanvas:
      t.p1 = ColourOf(p.picCropBackColor);
      t.p2 = p.txtCanvasCustom[1]->text();
      t.p3 = p.txtCanvasCustom[0]->text();
      t.p4 = p.txtCanvasCustom[2]->text();
      t.p5 = p.txtCanvasCustom[3]->text();
      return true;
    case tskFrame:
      t.p1 = ColourOf(p.picCropBackColor);
      if (Selected(p.OptFrameStyle, 0)) {
        t.p2 = QStringLiteral("0");
        t.p3 = QString::number(p.mintTaskPicture);
        t.p4 = CheckOf(p.chkFrameImageResizeCanvas);
      } else {
        t.p2 = QStringLiteral("1");
        t.p3 = p.txtFrameSize->text();
      }
      return true;
    case tskMask:
      t.p1 = FlagText(p.chkMaskTransparent->isChecked());
      t.p2 = ValueOf(p.sldMask);
      t.p3 = QString::number(p.mintTaskPicture);
      return true;
    case tskShadow:
      t.p1 = QString::number(p.mintTaskPicture - kShadowSetOffset);
      return true;
    default:
      return false;
  }
}

void TaskPreview::ReadCrop(EditingTask& t) {
  TaskPanels& p = edit_.Panels();
  browse::ViewerMouse& mouse = viewerPane_.Mouse();
  const bool keyIn = Selected(p.optCropSelect, 1);
  t.p1 = FlagText(keyIn);
  if (keyIn) {
    t.p2 = QString::number(p.cmbCrop->currentIndex());
    t.p3 = p.txtCropLeft->text();
    t.p4 = p.txtCropTop->text();
    t.p5 = p.txtCropRight->text();
    t.p6 = p.txtCropBot->text();
    t.p7 = p.cmbCrop->currentIndex() == 0 ? QString() : ColourOf(p.picCropBackColor);
  } else {
    ImageBoxProxy box(w_.ibMain->Dispatch());
    if (Zoomed(box)) {
      // The drag in displayed pixels with the viewer's extent; the replay converts it.
      t.p2 = QString::number(mouse.DragStart().x());
      t.p3 = QString::number(mouse.DragStart().y());
      t.p4 = QString::number(mouse.DragEnd().x());
      t.p5 = QString::number(mouse.DragEnd().y());
      t.p6 = QString::number(w_.ibMain->width());
      t.p7 = QString::number(w_.ibMain->height());
    } else {
      const browse::SelectionBand& band = mouse.Band();
      t.p2 = QString::number(std::min(band.mintSelX1, band.mintSelX2));
      t.p3 = QString::number(std::min(band.mintSelY1, band.mintSelY2));
      t.p4 = QString::number(std::max(band.mintSelX1, band.mintSelX2));
      t.p5 = QString::number(std::max(band.mintSelY1, band.mintSelY2));
      // An earlier zoomed preview's extent would send the replay down the zoomed way.
      t.p6.clear();
      t.p7.clear();
      box.CancelSelection();
    }
  }
  mouse.subClearSelection();
}

bool TaskPreview::ReadWatermark(EditingTask& t) {
  TaskPanels& p = edit_.Panels();
  browse::ViewerMouse& mouse = viewerPane_.Mouse();
  ImageBoxProxy box(w_.ibMain->Dispatch());
  mouse.SetPositionPick(false);
  p.mstrWatermarkFile = shell::gSetup.TaskOptions.Watermark.ImageFile;
  t.p1 = FlagText(p.chkWatermarkTransparent->isChecked());
  t.p2 = ValueOf(p.sldWatermarkTransparency);
  // Style list: Single, Centre, Tile, Wrap; the control's styles: 0 centre, 1 single, 2, 3.
  const int listed = w_.cboMergeStyle->currentIndex();
  t.p3 = QString::number(listed == kSingleStyle ? 1 : listed - 1);
  t.p4 = p.mstrWatermarkFile;
  t.p5 = ColourOf(p.picWatermarkTransparentColor);
  const QPoint picked = mouse.WatermarkPosition();
  t.p6 = QString::number(picked.y());
  t.p7 = QString::number(picked.x());
  t.p8 = FlagText(plat::com::IsTrue(box.get_AutoZoom()));
  if (listed == kSingleStyle) {
    t.p16 = QString::number(ToImage(picked.x(), box.get_ImageWidth(), box.get_ZoomedWidth()));
    t.p17 = QString::number(ToImage(picked.y(), box.get_ImageHeight(), box.get_ZoomedHeight()));
  }
  const QString caption = QApplication::applicationName();
  if (p.mstrWatermarkFile.isEmpty()) {
    shell::Ui().Message(QStringLiteral("Please select an image/logo for watermarking the image."),
                        caption, shell::MessageIcon::Information);
    return false;
  }
  if (!shell::fncFileExists(p.mstrWatermarkFile)) {
    shell::Ui().Message(
        QStringLiteral(
            "The last watermark image/logo file has either moved, renamed or deleted.\r\n"
            "Please select an image/logo from disk."),
        caption, shell::MessageIcon::Information);
    return false;
  }
  return true;
}

void TaskPreview::ReadText(EditingTask& t) {
  TaskPanels& p = edit_.Panels();
  ImageBoxProxy box(w_.ibMain->Dispatch());
  const int16_t anchor = static_cast<int16_t>(w_.cboPosition->currentIndex());
  const double fontSize = Real(w_.comboFontSize->currentText());
  const bool vertical = !Selected(p.OptTextOrientation, 0);
  int32_t justify = 0;
  if (Selected(p.OptTextAlignment, 1)) justify = 1;
  if (Selected(p.OptTextAlignment, 2)) justify = 2;
  t.p1 = FlagText(p.chkAntiAlias->isChecked());
  t.p2 = FlagText(plat::com::IsTrue(box.get_AutoZoom()));
  t.p3 = FlagText(p.chkTransparent->isChecked());
  t.p5 = QString::number(anchor == kPickedTextPosition || vertical ? 0 : justify);
  t.p6 = w_.ComboFontFamily->currentText();
  t.p7 = RealText(fontSize);
  t.p8 = FlagText(p.chkTextBold->isChecked());
  t.p9 = FlagText(p.chkTextItalic->isChecked());
  t.p10 = FlagText(p.chkTextUnderline->isChecked());
  t.p11 = ColourOf(p.cmdTextColor);
  t.p12 = ColourOf(p.cmdTextBackground);
  t.p14 = QString::number(anchor);
  t.p15 = p.txtDraw->text();
  if (anchor == kPickedTextPosition) {
    // Converted into local values: the picked point stays in displayed pixels for the next
    // preview.
    const QPoint picked = viewerPane_.Mouse().TextPosition();
    t.p4 = QString::number(Short(p.txtTextAngle->text()));
    t.p13 = QStringLiteral("0");
    const int32_t x = ToImage(picked.x(), box.get_ImageWidth(), box.get_ZoomedWidth());
    const double y = static_cast<double>(box.get_ImageHeight()) /
                     std::max(1, box.get_ZoomedHeight()) * picked.y();
    t.p16 = QString::number(x);
    t.p17 = QString::number(WholeOf(y - fontSize / 2));
    return;
  }
  t.p13 = vertical ? QStringLiteral("1") : QStringLiteral("0");
  t.p4 = vertical ? QStringLiteral("-90") : QStringLiteral("0");
  t.p16.clear();
  t.p17.clear();
}

void TaskPreview::ConfirmTask() {
  EditState& state = edit_.State();
  if (ViewerReplaying(w_)) return;
  if (viewerPane_.Mouse().mbTaskOptionsChanged) cmdApply_Click();
  if (viewerPane_.Mouse().mbTaskOptionsChanged) return;  // the preview failed
  state.mbImageModified = false;
  if (state.gCurrentTask.Enhancement != tskRedEye) {
    viewerPane_.Tasks().Append(state.gCurrentTask);
    tasksChanged_();
    edit_.Panels().subReadTaskOptions();
  }
  state.gCurrentTask.Enhancement = 0;
  edit_.eb_ItemClick(velmora::kSpecialGroupKey, QStringLiteral("Nothing"));
  edit_.cmdOK->setText(QStringLiteral("Finish"));
  edit_.cmdOK->setEnabled(true);
  state.gvarConfirmedSnapshot =
      plat::com::ToQVariant(ImageBoxProxy(w_.ibMain->Dispatch()).WriteBinary(kTiffSnapshot))
          .toByteArray();
  w_.subResize();
}

void TaskPreview::subResetTaskPreview(bool keepOptions) {
  if (edit_.State().mbNoPreviewShown || ViewerReplaying(w_)) return;
  RestoreConfirmedImage();
  if (!keepOptions) edit_.subResetTaskOptions();
  w_.subResize();
}

}  // namespace edit
