#pragma once
// The option panels of the sixteen tasks and the shared groups below them (the background colour
// and the position pick): their controls, loading a panel from the saved task options, storing
// it back, and what each control does when it changes. Values set from code notify like user
// edits, so loading a panel runs its handlers.
#include <QObject>
#include <QString>
#include <array>
#include <functional>

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;
class QSlider;
class QWidget;

namespace browse {
class ViewerMouse;
}
namespace shell {
class MainWindow;
}

namespace edit {

struct EditState;

class TaskPanels : public QObject {
 public:
  // `enable` is subEnableTaskButtons; `sharedArea` holds the shared groups.
  TaskPanels(shell::MainWindow& window, EditState& state, browse::ViewerMouse& mouse,
             std::function<void(bool)> enable, QWidget* sharedArea);

  // Loads the panel of the current task from gSetup.TaskOptions (the last step of
  // subResetTaskOptions).
  void Load(int32_t task);
  // Stores the panel of the current task into gSetup.TaskOptions (tasks 1 to 15).
  void subReadTaskOptions();
  void subLoadWatermarkImage(const QString& path);
  void cmdSelectMerge_Click();
  // Hides the shared groups and clears the mouse's boxes (steps of subResetTaskOptions).
  void ResetSharedControls();

  // Shared groups.
  QWidget* FrameBackColor;
  QPushButton* picCropBackColor;
  QCheckBox* chkCropBackColor;
  QWidget* picLocation;
  QCheckBox* chkSelectLocation;
  QLabel* lblSelectLocation;
  // 1 Flip
  QButtonGroup* optFlip;
  // 2 Rotate
  QLineEdit* txtDegrees;
  QScrollBar* sbDegrees;
  std::array<QPushButton*, 4> cmdAngle;
  QCheckBox* chkRotateResample;
  // 3 Resize
  QButtonGroup* optResize;
  QWidget* frameResize;
  QLineEdit* txtResizeWidth;
  QLineEdit* txtResizeHeight;
  QCheckBox* chkResizeRatio;
  QWidget* FrameScale;
  QLineEdit* txtScale;
  QCheckBox* chkResizeResample;
  // 4, 5, 6, 7 sliders and their value labels
  QSlider* sldBlur;
  QLabel* lblBlur;
  QSlider* sldContrast;
  QLabel* lblContrastValue;
  QCheckBox *chkConRed, *chkConGreen, *chkConBlue;
  QSlider* sldBrightness;
  QLabel* lblBrightessValue;
  QCheckBox *chkBrRed, *chkBrGreen, *chkBrBlue;
  QSlider* sldSharpen;
  QLabel* lblSharpen;
  // 8 Crop
  QButtonGroup* optCropSelect;
  QWidget* frameCropFixed;
  QLineEdit *txtCropLeft, *txtCropTop, *txtCropRight, *txtCropBot;
  QComboBox* cmbCrop;
  QWidget* frameCropMouse;
  QCheckBox* chkCropMouse;
  QLabel* lblSelectRegionStart;
  QLabel* lblSelectRegionEnd;
  // 9 Watermark
  QPushButton* cmdSelectMerge;
  QWidget* picWatermarkImageContainer;
  QLabel* picWatermarkImage;
  QLabel* lblWatermarkResolution;
  QSlider* sldWatermarkTransparency;
  QLabel* lblWatermarkTransparency;
  QCheckBox* chkWatermarkTransparent;
  QWidget* picTransparentOptions;
  QPushButton* picWatermarkTransparentColor;
  QCheckBox* chkWatermarkTransparentColor;
  QString mstrWatermarkFile;
  // 10 Text
  QLineEdit* txtDraw;
  QCheckBox *chkTextBold, *chkTextItalic, *chkTextUnderline;
  QPushButton* cmdTextColor;
  QPushButton* cmdTextBackground;
  QCheckBox* chkTransparent;
  QCheckBox* chkAntiAlias;
  QWidget* picTextOrientation;
  QButtonGroup* OptTextOrientation;
  QWidget* picTextAlignment;
  QButtonGroup* OptTextAlignment;
  QWidget* picTextOrientationCustom;
  QLineEdit* txtTextAngle;
  QScrollBar* vsbTextAngle;
  // 12 Canvas
  std::array<QLineEdit*, 4> txtCanvasCustom;
  // 13 Frame
  QButtonGroup* OptFrameStyle;
  QWidget* picFrameImage;
  QButtonGroup* OptFrameImage;
  QCheckBox* chkFrameImageResizeCanvas;
  QWidget* picFrameColor;
  QLineEdit* txtFrameSize;
  QScrollBar* vsFrameSize;
  // 14 Mask, 15 Shadow
  QButtonGroup* OptMask;
  QSlider* sldMask;
  QLabel* lblMask;
  QCheckBox* chkMaskTransparent;
  QButtonGroup* OptShadow;
  // 16 Red-eye
  QCheckBox* chkRedEye;

  int16_t mintTaskPicture = 0;
  bool mbPickTransparentColor = false;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* Panel(int task) const;
  bool LoadValues(int32_t task);
  void Changed();
  void BuildShared(QWidget* area);
  void BuildFlipRotateResize();
  void BuildAdjustments();
  void BuildCrop();
  void BuildWatermark();
  void BuildText();
  void BuildCanvasFrameMaskShadow();
  void WireMouse();
  void ChooseColourOnClick(QPushButton* button);
  void CoupleRatio(QLineEdit* changed, QLineEdit* other, bool& ownGuard, bool& otherGuard,
                   int32_t from, int32_t to);

  shell::MainWindow& w_;
  EditState& state_;
  browse::ViewerMouse& mouse_;
  std::function<void(bool)> enable_;
  bool mbSettingWidth = false;
  bool mbSettingHeight = false;
};

}  // namespace edit
