#include "app/browse/viewer/viewer_mouse.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QPainter>
#include <QWidget>
#include <algorithm>
#include <cmath>

#include "app/browse/viewer/viewer.h"
#include "app/shell/dialogs.h"
#include "app/shell/main_window.h"
#include "control/activex/imagebox_interface.h"
#include "platform/com/control_host.h"

namespace browse {

using pictavo::ax::ImageBoxProxy;

namespace {

constexpr int kRightButton = 2;
constexpr uint8_t kPenModeNotXor = 15;
constexpr uint8_t kPenStyleDash = 1;

Qt::CursorShape ShapeOf(MousePointer pointer) {
  switch (pointer) {
    case MousePointer::SizeNWSE:
      return Qt::SizeFDiagCursor;
    case MousePointer::SizeNESW:
      return Qt::SizeBDiagCursor;
    case MousePointer::SizeNS:
      return Qt::SizeVerCursor;
    case MousePointer::SizeWE:
      return Qt::SizeHorCursor;
    case MousePointer::SizeAll:
      return Qt::SizeAllCursor;
    case MousePointer::Cross:
      return Qt::CrossCursor;
    case MousePointer::IBeam:
      return Qt::IBeamCursor;
    case MousePointer::Arrow:
      break;
  }
  return Qt::ArrowCursor;
}

// Runs a call on ibMain whose failure the mouse has no use for: no mouse event may raise an
// error report.
template <typename Call>
void Quietly(Call&& call) {
  try {
    call();
  } catch (const plat::com::EOleException&) {
  }
}

}  // namespace

// Paints the band and its grips over ibMain's surface. It lets the mouse through and leaves the
// image untouched, so printing, snapshots and confirming never carry the band.
class BandOverlay : public QWidget {
 public:
  BandOverlay(QWidget* control, const SelectionBand& band) : QWidget(control), band_(band) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    control->installEventFilter(this);
    setGeometry(control->rect());
    show();
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Resize) setGeometry(static_cast<QWidget*>(watched)->rect());
    if (event->type() == QEvent::ChildAdded) raise();  // stay above the control's own surface
    return false;
  }

  void paintEvent(QPaintEvent*) override {
    if (!band_.BandVisible()) return;
    QPainter painter(this);
    // Positions are device pixels; the painter works in logical ones.
    const double scale = 1.0 / devicePixelRatioF();
    painter.scale(scale, scale);
    const QRect outline =
        QRect(QPoint(band_.mintSelX1, band_.mintSelY1), QPoint(band_.mintSelX2, band_.mintSelY2))
            .normalized();
    DrawOutline(painter, outline, Qt::DashLine);
    if (!band_.GripsVisible()) return;
    for (int number = 1; number <= 8; ++number) {
      const SelectionGrip& grip = band_.Grip(number);
      if (!grip.Visible) continue;
      DrawOutline(painter, QRect(grip.X - 2, grip.Y - 2, 5, 5), Qt::SolidLine);
      DrawOutline(painter, QRect(grip.X - 1, grip.Y - 1, 3, 3), Qt::SolidLine, Qt::white);
    }
  }

 private:
  // An outline through the first and last pixels of `r`; dashes are black on white, so the
  // band shows on any image.
  static void DrawOutline(QPainter& painter, const QRect& r, Qt::PenStyle style,
                          const QColor& colour = Qt::black) {
    const QRect through = r.adjusted(0, 0, -1, -1);
    if (style == Qt::DashLine) {
      painter.setPen(QPen(Qt::white, 0));
      painter.drawRect(through);
    }
    painter.setPen(QPen(colour, 0, style));
    painter.drawRect(through);
  }

  const SelectionBand& band_;
};

ViewerMouse::ViewerMouse(shell::MainWindow& window, Viewer& viewer) : w_(window), viewer_(viewer) {
  subInitDrawingState();
  if (QWidget* control = w_.ibMain->ControlWidget()) overlay_ = new BandOverlay(control, band_);
  connect(&w_, &shell::MainWindow::ImageMouseDown, this, &ViewerMouse::ibMain_OnMouseDown);
  connect(&w_, &shell::MainWindow::ImageMouseMove, this, &ViewerMouse::ibMain_OnMouseMove);
  connect(&w_, &shell::MainWindow::ImageMouseUp, this, &ViewerMouse::ibMain_OnMouseUp);
  viewer_.subClearSelection = [this] { subClearSelection(); };
}

ViewerMouse::~ViewerMouse() {
  viewer_.subClearSelection = nullptr;
  ResetPointer();
  delete overlay_.data();
}

void ViewerMouse::subInitDrawingState() {
  band_.mintMouseState = kBandIdle;
  Quietly([this] {
    ImageBoxProxy box(w_.ibMain->Dispatch());
    box.put_PenMode(pictavo::ax::TxPenMode(kPenModeNotXor));
    box.put_PenStyle(pictavo::ax::TxPenStyle(kPenStyleDash));
    box.put_UseSelection(true);
    box.put_Transparent(true);
  });
}

void ViewerMouse::subClearSelection() {
  band_.Clear();
  ResetPointer();
  if (overlay_) overlay_->update();
}

QString ViewerMouse::RegionText(int x, int y) {
  return QStringLiteral("X : %1 ; Y : %2").arg(x).arg(y);
}

QString ViewerMouse::LocationText(int x, int y) {
  return QStringLiteral("X-%1; Y-%2").arg(x).arg(y);
}

std::optional<QPoint> ViewerMouse::ImagePixelAt(QPoint displayed, QSize image, QSize zoomed) {
  if (zoomed.width() <= 0 || zoomed.height() <= 0 || image.isEmpty()) return std::nullopt;
  // nearbyint rounds halves to even in the default rounding mode.
  const auto axis = [](int position, int imageSize, int zoomedSize) {
    const double scaled = std::nearbyint(double(imageSize) / zoomedSize * position);
    return static_cast<int>(std::clamp(scaled, 0.0, double(imageSize - 1)));
  };
  return QPoint(axis(displayed.x(), image.width(), zoomed.width()),
                axis(displayed.y(), image.height(), zoomed.height()));
}

bool ViewerMouse::ImageShown() const {
  bool loaded = false;
  Quietly([&] { loaded = ImageBoxProxy(w_.ibMain->Dispatch()).get_ImageLoaded(); });
  return loaded;
}

bool ViewerMouse::ShownUnzoomed() const {
  ImageBoxProxy box(w_.ibMain->Dispatch());
  return !box.get_AutoZoom() || (box.get_ZoomedWidth() == box.get_ImageWidth() &&
                                 box.get_ZoomedHeight() == box.get_ImageHeight());
}

QPoint ViewerMouse::GlobalPosition(int x, int y) const {
  QWidget* control = w_.ibMain->ControlWidget() ? w_.ibMain->ControlWidget() : w_.ibMain;
  const double dpr = control->devicePixelRatioF();
  return control->mapToGlobal(QPoint(qRound(x / dpr), qRound(y / dpr)));
}

void ViewerMouse::ShowPointer(MousePointer pointer) {
  if (pointer == MousePointer::Arrow) return ResetPointer();
  const QCursor cursor(ShapeOf(pointer));
  if (pointerOverridden_) {
    QApplication::changeOverrideCursor(cursor);
  } else {
    QApplication::setOverrideCursor(cursor);
    pointerOverridden_ = true;
  }
}

void ViewerMouse::ResetPointer() {
  if (!pointerOverridden_) return;
  QApplication::restoreOverrideCursor();
  pointerOverridden_ = false;
}

void ViewerMouse::ChangeOptions() {
  mbTaskOptionsChanged = true;
  emit OptionsChanged();
}

void ViewerMouse::PickColour(int x, int y) {
  ImageBoxProxy box(w_.ibMain->Dispatch());
  const std::optional<QPoint> pixel =
      ImagePixelAt({x, y}, {box.get_ImageWidth(), box.get_ImageHeight()},
                   {box.get_ZoomedWidth(), box.get_ZoomedHeight()});
  if (!pixel) return;
  mlPickX = pixel->x();
  mlPickY = pixel->y();
  const QColor colour =
      shell::OleColourToQColor(static_cast<int32_t>(box.get_PixelColor(mlPickX, mlPickY)));
  emit ColourPicked(colour);
  // ibMain takes the colour as the colour button shows it.
  box.put_BGColor(plat::com::OLE_COLOR(shell::QColorToOleColour(colour)));
  ChangeOptions();
}

void ViewerMouse::RecordDrag(int x, int y, bool start) {
  const QString text = RegionText(x, y);
  if (start) {
    mlDragStartX = x;
    mlDragStartY = y;
    emit LabelChanged(MouseLabel::SelectRegionStart, text);
  }
  mlDragEndX = x;
  mlDragEndY = y;
  emit LabelChanged(MouseLabel::SelectRegionEnd, text);
}

void ViewerMouse::RecordPosition(int x, int y) {
  const int task = CurrentTask ? CurrentTask() : 0;
  if (task == kTaskWatermark) {
    mlWatermarkX = x;
    mlWatermarkY = y;
  } else if (task == kTaskText) {
    mlTextX = x;
    mlTextY = y;
  } else {
    return;
  }
  emit LabelChanged(MouseLabel::SelectLocation, LocationText(x, y));
  ShowPointer(MousePointer::IBeam);
}

void ViewerMouse::ibMain_OnMouseDown(int button, int, int x, int y) {
  Quietly([&] {
    if (button == kRightButton) {
      ResetPointer();
      if (ShowViewerMenu) ShowViewerMenu(GlobalPosition(x, y));
      return;
    }
    if (!ImageShown()) return;
    if (mbCropByMouse) RecordDrag(x, y, true);
    const bool idle = band_.mintMouseState == kBandIdle;
    if (const std::optional<MousePointer> pointer = band_.MouseDown(x, y)) ShowPointer(*pointer);
    if (idle && band_.mlMouseTool == kToolColourPick) PickColour(x, y);
    if (overlay_) overlay_->update();
  });
}

void ViewerMouse::ibMain_OnMouseMove(int, int x, int y) {
  Quietly([&] {
    if (!ImageShown()) return;
    if (mbCropByMouse) RecordDrag(x, y, false);
    if (mbPickPosition) RecordPosition(x, y);
    if (band_.mintMouseState == kBandIdle && band_.mlMouseTool == kToolColourPick) PickColour(x, y);
    if (const std::optional<MousePointer> pointer = band_.MouseMove(x, y)) ShowPointer(*pointer);
    if (overlay_ && band_.BandVisible()) overlay_->update();
  });
}

void ViewerMouse::ibMain_OnMouseUp(int, int, int x, int y) {
  Quietly([&] {
    if (!ImageShown()) return;
    if (mbCropByMouse) {
      RecordDrag(x, y, false);
      ChangeOptions();
      mbCropByMouse = false;
      emit Untick(MouseBox::CropMouse);
    }
    if (mbPickPosition) {
      RecordPosition(x, y);
      ChangeOptions();
      mbPickPosition = false;
      emit Untick(MouseBox::SelectLocation);
    }
    band_.MouseUp();
    if (overlay_) overlay_->update();
    ResetPointer();
    band_.mlMouseTool = band_.mlMouseTool == kToolColourPick ? kToolNone : band_.mlMouseTool;
    emit Untick(MouseBox::CropBackColor);
    emit Untick(MouseBox::RedEye);
    ChangeOptions();
  });
}

void ViewerMouse::ArmCropByMouse() {
  mbCropByMouse = true;
  Quietly([this] {
    ImageBoxProxy box(w_.ibMain->Dispatch());
    const bool ownBand = ShownUnzoomed();
    box.CancelSelection();
    subClearSelection();
    if (ownBand) {
      band_.mintMouseState = kBandArmed;
      band_.mlMouseTool = kToolBand;
      return;
    }
    band_.mlMouseTool = kToolNone;
    box.MouseSelectRectangle();
  });
}

void ViewerMouse::DisarmCropByMouse() {
  mbCropByMouse = false;
  mbTaskOptionsChanged = false;
}

void ViewerMouse::SetColourPick(bool on) {
  if (on) band_.mintMouseState = kBandIdle;
  band_.mlMouseTool = on ? kToolColourPick : kToolNone;
  if (overlay_) overlay_->update();
}

void ViewerMouse::SetPositionPick(bool on) {
  mbPickPosition = on;
}

void ViewerMouse::SetRedEye(bool on) {
  subClearSelection();
  band_.mlMouseTool = kToolNone;
  if (!on) return;
  Quietly([this] {
    ImageBoxProxy box(w_.ibMain->Dispatch());
    box.CancelSelection();
    band_.mintMouseState = kBandIdle;
    box.MouseSelectEllipse();
  });
}

}  // namespace browse
