#include "app/tasks/replay.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QLayout>
#include <QSet>

#include "app/shell/errors.h"
#include "app/shell/paths.h"
#include "app/tasks/bitmap_merge.h"
#include "app/tasks/frame_drawing.h"
#include "app/tasks/task_artwork.h"
#include "control/activex/imagebox_interface.h"

namespace tasks {

namespace {

using pictavo::ax::ImageBoxProxy;
using plat::com::ControlHost;
using plat::com::IsTrue;

// ---- The error rule of one step ------------------------------------------------------------

// Runs one step. A failure of the control (0x8000FFFF) and a text that is not a number are
// dropped and the replay goes on with the next step; anything else ends the replay.
void Step(const std::function<void()>& step) {
  try {
    step();
  } catch (const shell::AppError& e) {
    if (e.Number() != kErrTypeMismatch) throw;
  } catch (const plat::com::EOleException& e) {
    if (e.ErrorCode() != plat::com::E_UNEXPECTED) throw;
  }
}

// The test of a choice: a dropped failure takes the branch for a true test.
bool Test(const std::function<bool()>& test) {
  bool result = true;
  Step([&] { result = test(); });
  return result;
}

// ---- Settings of the control ---------------------------------------------------------------

void SetFontProperty(ImageBoxProxy& box, std::u16string_view name,
                     const plat::com::Variant& value) {
  const plat::com::ComPtr<plat::com::IFontDisp> font = box.get_TextFont();
  const plat::com::DispatchClient client(plat::com::ComPtr<plat::com::IDispatch>(font.Get()));
  client.Invoke(client.IdOfName(name), plat::com::DISPATCH_PROPERTYPUT, {value});
}

void SetMergeStyle(ImageBoxProxy& box, int32_t style) {
  box.put_MergeStyle(pictavo::ax::TxWMStyle(static_cast<uint8_t>(style)));
}

// The control's extent on its window; the host lays the control out at once, also while hidden.
void SetControlExtent(ControlHost& control, int32_t width, int32_t height) {
  control.resize(width, height);
  if (QLayout* layout = control.layout()) layout->setGeometry(QRect(0, 0, width, height));
}

// ---- Running replays -----------------------------------------------------------------------

QSet<const ControlHost*>& RunningReplays() {
  static QSet<const ControlHost*> running;
  return running;
}

class ReplayRegistration {
 public:
  explicit ReplayRegistration(const ControlHost& control) : control_(&control) {
    RunningReplays().insert(control_);
  }
  ~ReplayRegistration() { RunningReplays().remove(control_); }
  ReplayRegistration(const ReplayRegistration&) = delete;
  ReplayRegistration& operator=(const ReplayRegistration&) = delete;

 private:
  const ControlHost* control_;
};

class BusyPointer {
 public:
  BusyPointer() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
  ~BusyPointer() { QGuiApplication::restoreOverrideCursor(); }
  BusyPointer(const BusyPointer&) = delete;
  BusyPointer& operator=(const BusyPointer&) = delete;
};

// ---- The tasks -----------------------------------------------------------------------------

class TaskReplay {
 public:
  TaskReplay(ControlHost& control, ControlHost& maskScaler)
      : control_(control), box_(control.Dispatch()), scaler_(maskScaler.Dispatch()) {}

  void Apply(int16_t id, const TaskParameters& p) {
    switch (id) {
      case tskOrientation:
        return Orientation(p);
      case tskRotate:
        return Rotate(p);
      case tskResize:
        return Resize(p);
      case tskBlur:
        return Step([&] { box_.BlurBy(Whole(p.p1)); });
      case tskContrast:
        return Step([&] { box_.Contrast(Whole(p.p1), Flag(p.p2), Flag(p.p3), Flag(p.p4)); });
      case tskBrightness:
        return Step([&] { box_.Brightness(Whole(p.p1), Flag(p.p2), Flag(p.p3), Flag(p.p4)); });
      case tskSharpen:
        return Step([&] { box_.SharpenBy(Whole(p.p1)); });
      case tskCrop:
        return Crop(p);
      case tskWatermark:
        return Watermark(p);
      case tskText:
        return Text(p);
      case tskNegative:
        return Step([&] { box_.Invert(); });
      case tskCanvas:
        return Canvas(p);
      case tskFrame:
        return Frame(p);
      case tskMask:
        return Mask(p);
      case tskShadow:
        return Shadow(p);
      default:
        return;
    }
  }

 private:
  // A displayed position of this control as an image pixel.
  int32_t ScaleX(double x) { return Scaled(x, box_.get_ImageWidth(), box_.get_ZoomedWidth()); }
  int32_t ScaleY(double y) { return Scaled(y, box_.get_ImageHeight(), box_.get_ZoomedHeight()); }
  static int32_t Scaled(double value, int32_t image, int32_t zoomed) {
    if (zoomed == 0) throw shell::AppError(11, "Division by zero");
    return WholeOf(static_cast<double>(image) / zoomed * value);
  }

  void Orientation(const TaskParameters& p) {
    Step([&] { box_.Flip(pictavo::ax::TxFlipMode(p.p1 == QLatin1String("0") ? 0 : 1)); });
  }

  void Rotate(const TaskParameters& p) {
    Step([&] { box_.put_BGColor(Colour(p.p3)); });
    Step([&] { box_.put_Resample(Flag(p.p1)); });
    Step([&] { box_.Rotate(static_cast<float>(Short(p.p2))); });
  }

  void Resize(const TaskParameters& p) {
    if (Test([&] { return Flag(p.p1); }))
      Step([&] { (void)box_.ResizeFit(Whole(p.p2), Whole(p.p3)); });
    else
      Step([&] { box_.ScaleImage(static_cast<float>(Short(p.p2))); });
  }

  void Crop(const TaskParameters& p) {
    shell::gstrCurrentActivity = QStringLiteral("Reading Crop task - '%1'").arg(p.p1);
    if (Test([&] { return Flag(p.p1); })) {
      if (Test([&] { return Short(p.p2) == 0; })) {
        Step([&] { box_.SelectRectangle(Whole(p.p3), Whole(p.p4), Whole(p.p5), Whole(p.p6)); });
      } else {
        Step([&] { box_.put_BGColor(Colour(p.p7)); });
        Step([&] { box_.SelectEllipse(Whole(p.p3), Whole(p.p4), Whole(p.p5), Whole(p.p6)); });
      }
      Step([&] { box_.put_UseSelection(true); });
      Step([&] { box_.CropToSelection(); });
    } else if (!p.p6.isEmpty() && !p.p7.isEmpty()) {
      CropDisplayedSelection(p);
    } else {
      Step([&] { box_.Crop(Whole(p.p2), Whole(p.p3), Whole(p.p4), Whole(p.p5)); });
    }
  }

  // A mouse selection on a zoomed viewer: the viewer's extent then, and the drag in its pixels.
  void CropDisplayedSelection(const TaskParameters& p) {
    Step([&] { SetControlExtent(control_, Whole(p.p6), control_.height()); });
    Step([&] { SetControlExtent(control_, control_.width(), Whole(p.p7)); });
    Step([&] { box_.put_AutoZoom(true); });
    int32_t x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    Step([&] { x1 = Whole(p.p2); });
    Step([&] { y1 = Whole(p.p3); });
    Step([&] { x2 = Whole(p.p4); });
    Step([&] { y2 = Whole(p.p5); });
    Step([&] { x1 = ScaleX(x1); });
    Step([&] { y1 = ScaleY(y1); });
    Step([&] { x2 = ScaleX(x2); });
    Step([&] { y2 = ScaleY(y2); });
    Step([&] { box_.Crop(x1, y1, x2, y2); });
  }

  void Watermark(const TaskParameters& p) {
    Step([&] {
      bool on = false;
      Step([&] { on = Flag(p.p1); });
      box_.put_MergeTransparent(on);
    });
    shell::gstrCurrentActivity = QStringLiteral("Reading Watermark value '%1'").arg(p.p1);
    Step([&] { box_.put_MergeTransparency(Short(p.p2)); });
    Step([&] { SetMergeStyle(box_, Short(p.p3)); });
    if (Test([&] { return Short(p.p3) == 1; })) Step([&] { PlaceWatermark(p); });
    if (Test([&] { return IsTrue(box_.get_MergeTransparent()); }))
      Step([&] { box_.put_MergeTransparentColor(Colour(p.p5)); });
    if (Test([&] { return shell::fncFileExists(p.p4); }))
      Step([&] { box_.MergeFile(p.p4.toStdU16String()); });
  }

  // Newer records carry the picked position in image pixels in p16, p17 (older readers never
  // look there); older ones only the viewer's displayed pixels in p7 (x) and p6 (y).
  void PlaceWatermark(const TaskParameters& p) {
    if (!p.p16.isEmpty() && !p.p17.isEmpty()) {
      box_.put_MergeTop(Whole(p.p17));
      box_.put_MergeLeft(Whole(p.p16));
      return;
    }
    const int32_t left = ScaleX(Real(p.p7));
    const int32_t top = ScaleY(Real(p.p6));
    box_.put_MergeTop(top);
    box_.put_MergeLeft(left);
  }

  void Text(const TaskParameters& p) {
    Step([&] { box_.put_Antialias(Flag(p.p1)); });
    Step([&] { box_.put_TextTransparent(Flag(p.p3)); });
    Step([&] { box_.put_TextAngle(static_cast<float>(Short(p.p4))); });
    Step([&] {
      box_.put_TextJustify(pictavo::ax::TxTextJustify(static_cast<uint8_t>(Short(p.p5))));
    });
    Step([&] { SetFontProperty(box_, u"Name", plat::com::Variant(p.p6.toStdU16String())); });
    Step([&] {
      SetFontProperty(box_, u"Size", plat::com::Variant(static_cast<double>(Short(p.p7))));
    });
    Step([&] { SetFontProperty(box_, u"Bold", plat::com::Variant(Flag(p.p8))); });
    Step([&] { SetFontProperty(box_, u"Italic", plat::com::Variant(Flag(p.p9))); });
    Step([&] { SetFontProperty(box_, u"Underline", plat::com::Variant(Flag(p.p10))); });
    Step([&] { box_.put_PenColor(Colour(p.p11)); });
    Step([&] { box_.put_BrushColor(Colour(p.p12)); });
    uint8_t orientation = 0;
    int16_t anchor = 0;
    Step([&] { orientation = Byte(p.p13); });
    Step([&] { anchor = Short(p.p14); });
    const QString& text = p.p15;
    // Position 9: the preview recorded the picked point in image pixels, so it is used as it is.
    if (anchor == 9) {
      Step([&] {
        textX_ = Whole(p.p16);
        textY_ = Whole(p.p17);
      });
    } else {
      Step([&] { subGetAnchorPosition(orientation, anchor, box_, text, textX_, textY_); });
    }
    Step([&] { box_.DrawText(textX_, textY_, text.toStdU16String()); });
  }

  // The border on the right and bottom is as wide as asked: Crop's right and bottom bounds are
  // the last kept column and row.
  void AddBorder(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    const double width = box_.get_ImageWidth(), height = box_.get_ImageHeight();
    box_.Crop(WholeOf(-static_cast<double>(left)), WholeOf(-static_cast<double>(top)),
              WholeOf(width + right - 1), WholeOf(height + bottom - 1));
  }

  void Canvas(const TaskParameters& p) {
    Step([&] { box_.put_BGColor(Colour(p.p1)); });
    Step([&] { AddBorder(Whole(p.p2), Whole(p.p3), Whole(p.p4), Whole(p.p5)); });
  }

  void Frame(const TaskParameters& p) {
    Step([&] { box_.put_MergeTransparent(false); });
    Step([&] { box_.put_MergeTransparency(0); });
    Step([&] { box_.put_BGColor(Colour(p.p1)); });
    Step([&] {
      if (Test([&] { return Byte(p.p2) == 0; })) {
        const bool extraPieces = Test([&] { return Short(p.p3) == 4; });
        Step([&] { subDrawFrame(box_, Short(p.p3), Byte(p.p4), extraPieces); });
      } else {
        Step([&] {
          const int32_t s = Whole(p.p3);
          AddBorder(s, s, s, s);
        });
      }
    });
  }

  void Mask(const TaskParameters& p) {
    Step([&] { box_.put_MergeTransparentColor(0); });
    Step([&] { box_.put_MergeTransparent(Flag(p.p1)); });
    Step([&] { box_.put_MergeTransparency(Short(p.p2)); });
    Step([&] { SetMergeStyle(box_, 1); });  // wmSingle
    Step([&] { box_.put_MergeLeft(0); });
    Step([&] { box_.put_MergeTop(0); });
    Step([&] {
      const plat::TBitmap& mask = MaskPicture(Short(p.p3));
      const int32_t width = box_.get_ImageWidth(), height = box_.get_ImageHeight();
      // Only an image of the mask's own size takes it as it is; any other gets it scaled, as
      // the preview shows it.
      if (width == mask.Width() && height == mask.Height()) return MergeBitmap(box_, mask);
      LoadBitmap(scaler_, mask);
      scaler_.ResizeImage(width, height);
      MergeControlImage(box_, scaler_);
    });
    if (Test([&] { return IsTrue(box_.get_MergeTransparent()); })) Step([&] { box_.BlurBy(2); });
  }

  void Shadow(const TaskParameters& p) {
    Step([&] { box_.put_MergeTransparency(0); });
    Step([&] { subDrawFrame(box_, ShortOf(Short(p.p1) + kShadowSetOffset), 1, false); });
  }

  ControlHost& control_;
  ImageBoxProxy box_;
  ImageBoxProxy scaler_;
  // The text position carries from one Text row to the next.
  int32_t textX_ = 0, textY_ = 0;
};

bool StopsAfter(const TaskList& tasks, int32_t editMode, int row) {
  if (editMode != 0 && editMode != 1) return false;
  const int stop = tasks.StopRow(editMode == 0 ? StopView::Explorer : StopView::EditMode);
  return stop != TaskList::kNoStop && stop == row;
}

TaskParameters TrimmedParameters(const TaskRow& row) {
  TaskParameters p;
  for (int n = 1; n <= kParameterCount; ++n) p.Param(n) = row.Param(n).trimmed();
  return p;
}

// The replay's loop; returns how it ended unless an error escaped a step.
ReplayEnd ApplyRows(const TaskList& tasks, ControlHost& control, ControlHost& maskScaler,
                    bool allRows, int32_t editMode, const ReplayProgress& progress) {
  ImageBoxProxy box(control.Dispatch());
  SetReplayStartingState(box);
  TaskReplay replay(control, maskScaler);
  int16_t id = 0;
  for (int row = 0; row < tasks.Count(); ++row) {
    QCoreApplication::processEvents();
    // What ran meanwhile may have shortened the list.
    if (row >= tasks.Count()) break;
    const TaskRow current = tasks.Row(row);
    shell::gstrCurrentActivity = QStringLiteral("Processing task ID - '%1'").arg(current.Text);
    // A row whose id is not a number runs the previous row's task with its own parameters.
    Step([&] { id = Short(current.Text.trimmed()); });
    replay.Apply(id, TrimmedParameters(current));
    if (progress && !progress(row + 1, tasks.Count())) return ReplayEnd::Cancelled;
    if (!allRows && StopsAfter(tasks, editMode, row)) break;
  }
  return ReplayEnd::Finished;
}

}  // namespace

void SetReplayStartingState(ImageBoxProxy& box) {
  box.put_MergeTransparent(false);
  box.put_MergeTransparentColor(0xFFFFFF);
  box.put_MergeTransparency(0);
  SetMergeStyle(box, 1);  // wmSingle
  box.put_MergeLeft(0);
  box.put_MergeTop(0);
  box.put_PenColor(0);
  box.put_BrushColor(0xFFFFFF);
  box.put_Resample(false);
  box.put_Antialias(false);
  box.put_TextTransparent(false);
  box.put_TextAngle(0);
  box.put_TextJustify(pictavo::ax::TxTextJustify(0));
  SetFontProperty(box, u"Name", plat::com::Variant(std::u16string_view(u"MS Sans Serif")));
  SetFontProperty(box, u"Size", plat::com::Variant(8.25));
  for (const char16_t* style : {u"Bold", u"Italic", u"Underline", u"Strikethrough"})
    SetFontProperty(box, style, plat::com::Variant(false));
}

bool IsReplaying(const ControlHost& control) {
  return RunningReplays().contains(&control);
}

ReplayEnd subProcessTaskBasket(const TaskList& tasks, ControlHost& control, ControlHost& maskScaler,
                               bool allRows, int32_t editMode, const ReplayProgress& progress) {
  if (IsReplaying(control)) return ReplayEnd::Refused;
  shell::SetActivity(shell::Activity::ProcessingBasketTasks);
  if (tasks.Count() == 0) return ReplayEnd::Finished;
  ReplayEnd end = ReplayEnd::Failed;
  std::optional<shell::TrappedError> error;
  {
    const ReplayRegistration registration(control);
    const BusyPointer busy;
    error = shell::RunTrapped(
        [&] { end = ApplyRows(tasks, control, maskScaler, allRows, editMode, progress); },
        __LINE__);
  }
  if (!error) return end;
  shell::subGlobalErrorHandler(error->description, error->number, error->line,
                               shell::RoutineLabel(shell::Routine::subProcessPages));
  return ReplayEnd::Failed;
}

}  // namespace tasks
