#pragma once
// The viewer's mouse over ibMain: the context menu on the right button, the crop band with its
// grips, the points of a crop drag, the live colour pick, the pick of a text or watermark position
// and the end of the control's own rectangle and ellipse selections. The option panels arm the
// tools through the calls below and hear the results through the signals.
#include <QColor>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QSize>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

#include "app/browse/viewer/selection_band.h"

class QWidget;

namespace shell {
class MainWindow;
}

namespace browse {

class BandOverlay;
class Viewer;

// The check boxes of the option panels the mouse unticks.
enum class MouseBox { CropMouse, SelectLocation, CropBackColor, RedEye };
// The labels of the option panels the mouse writes.
enum class MouseLabel { SelectRegionStart, SelectRegionEnd, SelectLocation };

// The task ids whose panels pick a position.
constexpr int kTaskWatermark = 9;
constexpr int kTaskText = 10;

class ViewerMouse : public QObject {
  Q_OBJECT

 public:
  // Sets ibMain's drawing state, listens to the window's mouse signals and installs
  // subClearSelection as the viewer's.
  ViewerMouse(shell::MainWindow& window, Viewer& viewer);
  ~ViewerMouse() override;

  void ibMain_OnMouseDown(int button, int shift, int x, int y);
  void ibMain_OnMouseMove(int shift, int x, int y);
  void ibMain_OnMouseUp(int button, int shift, int x, int y);
  // Removes the band and its grips and returns to idle; the tool stays.
  void subClearSelection();

  // Arming calls of the option panels. The crop and the red-eye tools on an image zoomed to fit
  // run the control's own selection, which returns once the selection is made.
  void ArmCropByMouse();
  void DisarmCropByMouse();
  void SetColourPick(bool on);
  void SetPositionPick(bool on);
  void SetRedEye(bool on);

  // Pops the viewer menu up at a global position; the output pane, which owns the menu, sets it.
  std::function<void(QPoint)> ShowViewerMenu;
  // The current task's id (Enhancement of gCurrentTask); edit mode sets it. Unset: no task.
  std::function<int()> CurrentTask;

  const SelectionBand& Band() const { return band_; }
  // Positions in displayed pixels; the pick in image pixels.
  QPoint DragStart() const { return {mlDragStartX, mlDragStartY}; }
  QPoint DragEnd() const { return {mlDragEndX, mlDragEndY}; }
  QPoint TextPosition() const { return {mlTextX, mlTextY}; }
  QPoint WatermarkPosition() const { return {mlWatermarkX, mlWatermarkY}; }
  QPoint PickedPixel() const { return {mlPickX, mlPickY}; }
  bool CropByMouse() const { return mbCropByMouse; }
  bool PickPosition() const { return mbPickPosition; }

  // The current task's options changed since the last preview; the preview clears it.
  bool mbTaskOptionsChanged = false;

  // "X : 120 ; Y : 45" and "X-120; Y-45".
  static QString RegionText(int x, int y);
  static QString LocationText(int x, int y);
  // The image pixel under a displayed position: scaled by image over zoomed size, halves to
  // even, kept inside the image. No pixel while nothing is displayed.
  static std::optional<QPoint> ImagePixelAt(QPoint displayed, QSize image, QSize zoomed);

 signals:
  void LabelChanged(MouseLabel label, const QString& text);
  void ColourPicked(const QColor& colour);
  void Untick(MouseBox box);
  // Options changed: the panels enable Preview and Confirm.
  void OptionsChanged();

 private:
  void subInitDrawingState();
  void PickColour(int x, int y);
  void RecordDrag(int x, int y, bool start);
  void RecordPosition(int x, int y);
  void ShowPointer(MousePointer pointer);
  void ResetPointer();
  void ChangeOptions();
  bool ImageShown() const;
  // Whether ibMain shows its image at the image's own size.
  bool ShownUnzoomed() const;
  QPoint GlobalPosition(int x, int y) const;

  shell::MainWindow& w_;
  Viewer& viewer_;
  SelectionBand band_;
  QPointer<BandOverlay> overlay_;
  bool pointerOverridden_ = false;

  int32_t mlPickX = 0, mlPickY = 0;
  bool mbCropByMouse = false;
  int32_t mlDragStartX = 0, mlDragStartY = 0, mlDragEndX = 0, mlDragEndY = 0;
  bool mbPickPosition = false;
  int32_t mlTextX = 0, mlTextY = 0;
  int32_t mlWatermarkX = 0, mlWatermarkY = 0;
};

}  // namespace browse
