#include "app/edit/task_panels.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSlider>
#include <algorithm>
#include <cmath>
#include <vector>

#include "app/browse/picture_loader.h"
#include "app/browse/viewer/viewer_mouse.h"
#include "app/edit/edit_state.h"
#include "app/shell/dialogs.h"
#include "app/shell/errors.h"
#include "app/shell/main_window.h"
#include "app/shell/settings.h"
#include "app/shell/text_entry.h"
#include "app/tasks/task_artwork.h"
#include "control/activex/imagebox_interface.h"
#include "platform/com/control_host.h"

namespace edit {

using pictavo::ax::ImageBoxProxy;

namespace {

constexpr int kWidth = 172;
constexpr int16_t kMinusKey = 45;
constexpr int kRowH = 24;

enum Task {
  kFlip = 1,
  kRotate,
  kResize,
  kBlur,
  kContrast,
  kBrightness,
  kSharpen,
  kCrop,
  kWatermark,
  kText,
  kInvert,
  kCanvas,
  kFrame,
  kMask,
  kShadow,
  kRedEye
};

// The width a widget's caption needs; nothing for a widget that shows no caption of its own.
int CaptionWidth(const QWidget* widget) {
  const bool captioned = (qobject_cast<const QLabel*>(widget) &&
                          !qobject_cast<const QLabel*>(widget)->text().isEmpty()) ||
                         qobject_cast<const QCheckBox*>(widget) ||
                         qobject_cast<const QRadioButton*>(widget);
  return captioned ? widget->sizeHint().width() : 0;
}

// Places a panel's controls top to bottom: a panel within a margin, a group of one from its
// corner over its whole width.
class Column {
 public:
  explicit Column(QWidget* panel) : panel_(panel), left_(4), width_(kWidth - 8), y_(4) {}
  static Column Inside(QWidget* group) { return Column(group, 0, group->width(), 0); }

  // A caption wider than the column keeps its place's right edge and grows to the left, as far
  // as the panel allows, rather than being cut off.
  template <class W>
  W* Add(W* widget, int height = kRowH) {
    widget->setParent(panel_);
    const int width = std::clamp(CaptionWidth(widget), width_, 2 * left_ + width_);
    const int x = std::max(0, left_ + width_ - width);
    widget->setGeometry(x, y_, width, height);
    y_ += height + 2;
    return widget;
  }
  // A wrapped text as tall as its lines need.
  QLabel* Label(const QString& text, int height = kRowH) {
    auto* label = new QLabel(text);
    label->setWordWrap(true);
    return Add(label, std::max(height, label->heightForWidth(width_)));
  }
  // A row of controls side by side, in equal shares while every caption fits its share; else
  // each caption gets its width and the rest goes to the boxes beside them (to all when every
  // one has a caption).
  void Row(const std::vector<QWidget*>& widgets, int height = kRowH) {
    const int count = int(widgets.size());
    const int share = width_ / count;
    std::vector<int> needs;
    int needed = 0, boxes = 0;
    bool evenly = true;
    for (QWidget* widget : widgets) {
      const int caption = CaptionWidth(widget);
      boxes += caption == 0 ? 1 : 0;
      needs.push_back(caption + 2);
      needed += needs.back();
      evenly = evenly && needs.back() <= share;
    }
    const int spare = std::max(0, width_ - needed) / (boxes > 0 ? boxes : count);
    int x = left_;
    for (size_t i = 0; i < widgets.size(); ++i) {
      const bool takesSpare = boxes == 0 || needs[i] == 2;
      const int width = evenly ? share : needs[i] + (takesSpare ? spare : 0);
      widgets[i]->setParent(panel_);
      widgets[i]->setGeometry(x, y_, width - 2, height);
      x += width;
    }
    y_ += height + 2;
  }
  QWidget* Group(int height) { return Add(new QWidget, height); }
  QWidget* Panel() const { return panel_; }

 private:
  Column(QWidget* panel, int left, int width, int top)
      : panel_(panel), left_(left), width_(width), y_(top) {}

  QWidget* panel_;
  int left_;
  int width_;
  int y_;
};

QButtonGroup* Options(Column& column, const QStringList& captions, bool sideBySide = false) {
  auto* group = new QButtonGroup(column.Panel());
  std::vector<QWidget*> row;
  for (int i = 0; i < captions.size(); ++i) {
    auto* option = new QRadioButton(captions[i]);
    group->addButton(option, i);
    if (sideBySide) {
      row.push_back(option);
    } else {
      column.Add(option);
    }
  }
  if (sideBySide) column.Row(row);
  return group;
}

void SelectOption(QButtonGroup* group, int index) {
  QAbstractButton* option = group->button(index);
  (option ? option : group->button(0))->setChecked(true);
}

void SetCheck(QCheckBox* box, int value) {
  box->setChecked(value != 0);
}
uint8_t CheckValue(const QCheckBox* box) {
  return box->isChecked() ? 1 : 0;
}

// A stored list index beyond the list (fonts removed, a damaged file) takes the first entry.
void SetListIndex(QComboBox* combo, int index) {
  combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : 0);
}

// The whole number in a box as a 16-bit value; no number gives 0.
int16_t WholeNumber(const QString& text) {
  bool ok = false;
  const double value = text.trimmed().toDouble(&ok);
  if (!ok || !std::isfinite(value)) return 0;
  return static_cast<int16_t>(std::clamp(std::nearbyint(value), -32768.0, 32767.0));
}

void SetColour(QPushButton* button, int32_t colour) {
  button->setProperty("oleColour", colour);
  button->setStyleSheet(QStringLiteral("background-color: %1; border: 1px solid gray;")
                            .arg(shell::OleColourToQColor(colour).name()));
}
int32_t Colour(const QPushButton* button) {
  return button->property("oleColour").toInt();
}

// The focus half of the numeric box rules.
class FocusHooks : public QObject {
 public:
  FocusHooks(QLineEdit* box, std::function<void()> leaving) : QObject(box), leaving_(leaving) {
    box->installEventFilter(this);
  }
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::FocusIn) shell::subSelectAllText(static_cast<QLineEdit*>(watched));
    if (event->type() == QEvent::FocusOut && leaving_) leaving_();
    return false;
  }

 private:
  std::function<void()> leaving_;
};

struct Range {
  int16_t minimum, maximum;
};

QString Whole(int value) {
  return QString::number(value);
}

}  // namespace

TaskPanels::TaskPanels(shell::MainWindow& window, EditState& state, browse::ViewerMouse& mouse,
                       std::function<void(bool)> enable, QWidget* sharedArea)
    : QObject(&window), w_(window), state_(state), mouse_(mouse), enable_(std::move(enable)) {
  BuildShared(sharedArea);
  BuildFlipRotateResize();
  BuildAdjustments();
  BuildCrop();
  BuildWatermark();
  BuildText();
  BuildCanvasFrameMaskShadow();
  WireMouse();
}

QWidget* TaskPanels::Panel(int task) const {
  return w_.taskPanels.at(task - 1);
}

void TaskPanels::Changed() {
  mouse_.mbTaskOptionsChanged = true;
  enable_(true);
}

// A numeric box: the key filter, the empty-text default and "changed; enable" on a change, the
// caret at the end on entry, and on leaving the clamp followed by the spin.
static void NumericBox(QLineEdit* box, int16_t extraKey, const QString& emptyDefault,
                       std::function<void()> changed, std::function<void()> leaving) {
  shell::InstallNumericKeyFilter(box, extraKey);
  QObject::connect(box, &QLineEdit::textChanged, box, [box, emptyDefault, changed] {
    if (box->text().isEmpty()) shell::subSelectAllControlText(box, emptyDefault);
    if (changed) changed();
  });
  new FocusHooks(box, std::move(leaving));
}

// A box with its spin beside it: the spin writes the box, the box's clamped value sets the spin.
static void SpinBox(QLineEdit* box, QScrollBar* spin, Range range, int16_t extraKey,
                    const QString& emptyDefault, std::function<void()> changed,
                    std::function<void()> spinChanged) {
  spin->setRange(range.minimum, range.maximum);
  spin->setSingleStep(1);
  spin->setPageStep(5);
  spin->setInvertedAppearance(true);  // up raises the value
  QObject::connect(spin, &QScrollBar::valueChanged, box, [box, spinChanged](int value) {
    box->setText(Whole(value));
    spinChanged();
  });
  NumericBox(box, extraKey, emptyDefault, std::move(changed), [box, spin, range] {
    shell::subClampControlValue(box, range.minimum, range.maximum);
    spin->setValue(WholeNumber(box->text()));
  });
}

static QSlider* ValueSlider(Column& column, int minimum, int maximum, int page, QLabel*& label,
                            const QString& caption, const std::function<void()>& changed) {
  auto* title = new QLabel(caption);
  label = new QLabel;
  column.Row({title, label});
  auto* slider = column.Add(new QSlider(Qt::Horizontal));
  slider->setRange(minimum, maximum);
  slider->setPageStep(page);
  QObject::connect(slider, &QSlider::sliderMoved, label,
                   [label](int value) { label->setText(Whole(value)); });
  QObject::connect(slider, &QSlider::valueChanged, label, [label, changed](int value) {
    label->setText(Whole(value));
    changed();
  });
  return slider;
}

void TaskPanels::BuildShared(QWidget* area) {
  FrameBackColor = new QWidget(area);
  FrameBackColor->setGeometry(0, 0, kWidth, kRowH + 4);
  auto* backLabel = new QLabel(QStringLiteral("Back Color"), FrameBackColor);
  backLabel->setGeometry(4, 2, 70, kRowH);
  picCropBackColor = new QPushButton(FrameBackColor);
  picCropBackColor->setGeometry(76, 2, 40, kRowH);
  chkCropBackColor = new QCheckBox(QStringLiteral("Pick"), FrameBackColor);
  chkCropBackColor->setGeometry(118, 2, kWidth - 120, kRowH);
  SetColour(picCropBackColor, 0);
  picLocation = new QWidget(area);
  picLocation->setGeometry(0, kRowH + 6, kWidth, 2 * kRowH);
  chkSelectLocation = new QCheckBox(QStringLiteral("Select a co-ordinate"), picLocation);
  chkSelectLocation->setGeometry(4, 0, kWidth - 8, kRowH);
  lblSelectLocation = new QLabel(picLocation);
  lblSelectLocation->setGeometry(24, kRowH, kWidth - 28, kRowH);
  FrameBackColor->hide();
  picLocation->hide();
  ChooseColourOnClick(picCropBackColor);
}

// A colour button opens the colour chooser; a cancelled chooser changes nothing.
void TaskPanels::ChooseColourOnClick(QPushButton* button) {
  connect(button, &QPushButton::clicked, this, [this, button] {
    const shell::ColorChoice choice = shell::fncChooseColor(&w_, true);
    if (choice.Cancelled || choice.Colour < 0) return;
    SetColour(button, choice.Colour);
    Changed();
  });
}

void TaskPanels::BuildFlipRotateResize() {
  const auto changed = [this] { Changed(); };
  {
    Column c(Panel(kFlip));
    optFlip = Options(c, {QStringLiteral("Flip Horizontal"), QStringLiteral("Flip Vertical")});
    connect(optFlip, &QButtonGroup::idToggled, this, [this](int, bool on) {
      if (on) Changed();
    });
  }
  {
    Column c(Panel(kRotate));
    auto* label = new QLabel(QStringLiteral("Degrees"));
    txtDegrees = new QLineEdit;
    sbDegrees = new QScrollBar(Qt::Vertical);
    c.Row({label, txtDegrees});
    sbDegrees->setParent(c.Panel());
    // The spin takes the box's right end, inside the panel.
    txtDegrees->resize(txtDegrees->width() - 18, kRowH);
    sbDegrees->setGeometry(txtDegrees->geometry().right() + 2, txtDegrees->y(), 16, kRowH);
    // One range, box and spin alike: a half turn either way.
    SpinBox(txtDegrees, sbDegrees, {-180, 180}, kMinusKey, QStringLiteral("45"), changed,
            [this] { enable_(true); });
    const QStringList angles{QStringLiteral("-15º"), QStringLiteral("15º"), QStringLiteral("45º"),
                             QStringLiteral("-45º")};
    static constexpr int kAngles[] = {-15, 15, 45, -45};
    for (int i = 0; i < 4; ++i) {
      cmdAngle[i] = new QPushButton(angles[i]);
      connect(cmdAngle[i], &QPushButton::clicked, this,
              [this, i] { sbDegrees->setValue(kAngles[i]); });
    }
    c.Row({cmdAngle[0], cmdAngle[1], cmdAngle[2], cmdAngle[3]});
    chkRotateResample = c.Add(new QCheckBox(QStringLiteral("Resample")));
    connect(chkRotateResample, &QCheckBox::toggled, this, changed);
    c.Label(QStringLiteral("Note: Canvas will be resized"));
  }
  {
    Column c(Panel(kResize));
    optResize = Options(c, {QStringLiteral("Resize"), QStringLiteral("Scale")}, true);
    frameResize = c.Group(3 * (kRowH + 2));
    Column r = Column::Inside(frameResize);
    txtResizeWidth = new QLineEdit;
    txtResizeHeight = new QLineEdit;
    r.Row({new QLabel(QStringLiteral("Width")), txtResizeWidth});
    r.Row({new QLabel(QStringLiteral("Height")), txtResizeHeight});
    chkResizeRatio = r.Add(new QCheckBox(QStringLiteral("Retain Ratio")));
    FrameScale = c.Group(kRowH + 6);
    Column s = Column::Inside(FrameScale);
    txtScale = new QLineEdit;
    s.Row({new QLabel(QStringLiteral("Enter percentage")), txtScale});
    FrameScale->move(frameResize->pos());  // the two frames share their place
    chkResizeResample = c.Add(new QCheckBox(QStringLiteral("Resample")));
    for (QLineEdit* box : {txtResizeWidth, txtResizeHeight})
      NumericBox(box, shell::kNoExtraKey, {}, nullptr, nullptr);
    connect(txtResizeHeight, &QLineEdit::textChanged, this, [this] {
      CoupleRatio(txtResizeHeight, txtResizeWidth, mbSettingHeight, mbSettingWidth,
                  state_.mlEditImageHeight, state_.mlEditImageWidth);
    });
    connect(txtResizeWidth, &QLineEdit::textChanged, this, [this] {
      CoupleRatio(txtResizeWidth, txtResizeHeight, mbSettingWidth, mbSettingHeight,
                  state_.mlEditImageWidth, state_.mlEditImageHeight);
    });
    // The scale takes digits only, like the other numeric boxes.
    NumericBox(txtScale, shell::kNoExtraKey, {}, changed, nullptr);
    for (QCheckBox* box : {chkResizeRatio, chkResizeResample})
      connect(box, &QCheckBox::toggled, this, changed);
    connect(optResize, &QButtonGroup::idToggled, this, [this](int id, bool on) {
      if (!on) return;
      frameResize->setVisible(id == 0);
      FrameScale->setVisible(id == 1);
      enable_(true);
    });
  }
}

// On a change of one resize box with "Retain Ratio" ticked, the other box follows the image's
// ratio; each box's guard stops the other's write-back.
void TaskPanels::CoupleRatio(QLineEdit* changed, QLineEdit* other, bool& ownGuard, bool& otherGuard,
                             int32_t from, int32_t to) {
  shell::IgnoreErrors([&] {
    if (changed->text().isEmpty()) {
      shell::subSelectAllControlText(changed, QStringLiteral("0"));
      changed->setSelection(0, 1);
    }
    if (chkResizeRatio->isChecked() && !ownGuard && from != 0) {
      otherGuard = true;
      other->setText(Whole(WholeNumber(
          Whole(static_cast<int>(std::nearbyint(changed->text().toDouble() / from * to))))));
      otherGuard = false;
    }
  });
  Changed();
}

void TaskPanels::BuildAdjustments() {
  const auto changed = [this] { Changed(); };
  const auto colourChecks = [&](Column& c, QCheckBox*& red, QCheckBox*& green, QCheckBox*& blue) {
    red = new QCheckBox(QStringLiteral("Red"));
    green = new QCheckBox(QStringLiteral("Green"));
    blue = new QCheckBox(QStringLiteral("Blue"));
    c.Row({red, green, blue});
    for (QCheckBox* box : {red, green, blue}) connect(box, &QCheckBox::toggled, this, changed);
  };
  {
    Column c(Panel(kBlur));
    sldBlur = ValueSlider(c, 1, 10, 2, lblBlur, QStringLiteral("Value:"), changed);
  }
  {
    Column c(Panel(kContrast));
    sldContrast = ValueSlider(c, 0, 100, 5, lblContrastValue, QStringLiteral("Value:"), changed);
    colourChecks(c, chkConRed, chkConGreen, chkConBlue);
  }
  {
    Column c(Panel(kBrightness));
    sldBrightness = ValueSlider(c, 0, 100, 5, lblBrightessValue, QStringLiteral("Value:"), changed);
    colourChecks(c, chkBrRed, chkBrGreen, chkBrBlue);
  }
  {
    Column c(Panel(kSharpen));
    sldSharpen = ValueSlider(c, 1, 10, 2, lblSharpen, QStringLiteral("Value:"), changed);
  }
}

void TaskPanels::BuildCrop() {
  Column c(Panel(kCrop));
  optCropSelect = Options(c, {QStringLiteral("Mouse "), QStringLiteral("Key-in")}, true);
  frameCropFixed = c.Group(4 * (kRowH + 2));
  Column f = Column::Inside(frameCropFixed);
  txtCropLeft = new QLineEdit;
  txtCropTop = new QLineEdit;
  txtCropRight = new QLineEdit;
  txtCropBot = new QLineEdit;
  f.Row({new QLabel(QStringLiteral("Left")), txtCropLeft, new QLabel(QStringLiteral("Top")),
         txtCropTop});
  f.Row({new QLabel(QStringLiteral("Right")), txtCropRight, new QLabel(QStringLiteral("Bottom")),
         txtCropBot});
  cmbCrop = new QComboBox;
  cmbCrop->addItems({QStringLiteral("Rectangle"), QStringLiteral("Ellipse")});
  f.Row({new QLabel(QStringLiteral("Select type")), cmbCrop});
  frameCropMouse = c.Group(5 * (kRowH + 2));
  frameCropMouse->move(frameCropFixed->pos());
  Column m = Column::Inside(frameCropMouse);
  m.Label(QStringLiteral("Click the button below and select the crop region from the image."),
          2 * kRowH);
  chkCropMouse = m.Add(new QCheckBox(QStringLiteral("Select region")));
  lblSelectRegionStart = new QLabel;
  lblSelectRegionEnd = new QLabel;
  m.Row({new QLabel(QStringLiteral("Starting:")), lblSelectRegionStart});
  m.Row({new QLabel(QStringLiteral("Ending:")), lblSelectRegionEnd});
  // The boxes hold image pixels: each is kept inside the image.
  const auto imageSize = [this](bool width) {
    ImageBoxProxy box(w_.ibMain->Dispatch());
    return static_cast<int16_t>(
        std::min<int32_t>(width ? box.get_ImageWidth() : box.get_ImageHeight(), INT16_MAX));
  };
  for (QLineEdit* box : {txtCropLeft, txtCropTop, txtCropRight, txtCropBot}) {
    const bool horizontal = box == txtCropLeft || box == txtCropRight;
    NumericBox(
        box, shell::kNoExtraKey, QStringLiteral("0"), [this] { Changed(); },
        [box, horizontal, imageSize] {
          shell::IgnoreErrors([&] { shell::subClampControlValue(box, 0, imageSize(horizontal)); });
        });
  }
  connect(optCropSelect, &QButtonGroup::idToggled, this, [this, imageSize](int id, bool on) {
    if (!on) return;
    frameCropFixed->hide();
    frameCropMouse->hide();
    enable_(true);
    shell::gSetup.TaskOptions.Crop.SelectMode = static_cast<uint8_t>(id);
    if (id == 0) {
      frameCropMouse->show();
    } else {
      frameCropFixed->show();
      shell::IgnoreErrors([&] {
        txtCropRight->setText(Whole(imageSize(true)));
        txtCropBot->setText(Whole(imageSize(false)));
      });
    }
  });
  connect(cmbCrop, &QComboBox::currentIndexChanged, this, [this](int index) {
    FrameBackColor->setVisible(index == 1);
    enable_(true);
  });
}

void TaskPanels::BuildWatermark() {
  Column c(Panel(kWatermark));
  cmdSelectMerge = c.Add(new QPushButton(QStringLiteral("Select Image")));
  picWatermarkImageContainer = c.Group(80);
  picWatermarkImage = new QLabel(picWatermarkImageContainer);
  lblWatermarkResolution = c.Add(new QLabel);
  lblWatermarkResolution->setAlignment(Qt::AlignCenter);
  w_.cboMergeStyle->show();
  c.Row({new QLabel(QStringLiteral("Style:")), w_.cboMergeStyle});
  sldWatermarkTransparency = ValueSlider(c, 0, 100, 5, lblWatermarkTransparency,
                                         QStringLiteral("Transparency:"), [this] { Changed(); });
  chkWatermarkTransparent = c.Add(new QCheckBox(QStringLiteral("Transparent")));
  picTransparentOptions = c.Group(kRowH);
  picWatermarkTransparentColor = new QPushButton(picTransparentOptions);
  picWatermarkTransparentColor->setGeometry(0, 0, 40, kRowH);
  chkWatermarkTransparentColor = new QCheckBox(QStringLiteral("Pick"), picTransparentOptions);
  chkWatermarkTransparentColor->setGeometry(46, 0, 100, kRowH);
  SetColour(picWatermarkTransparentColor, 0);
  connect(cmdSelectMerge, &QPushButton::clicked, this, [this] { cmdSelectMerge_Click(); });
  connect(chkWatermarkTransparentColor, &QCheckBox::toggled, this, [this](bool on) {
    if (on) mbPickTransparentColor = true;
  });
  picWatermarkImage->setMouseTracking(true);
  picWatermarkImage->installEventFilter(this);
  connect(chkWatermarkTransparent, &QCheckBox::toggled, this, [this](bool on) {
    picTransparentOptions->setVisible(on);
    Changed();
  });
  connect(w_.cboMergeStyle, &QComboBox::currentIndexChanged, this, [this](int index) {
    mouse_.SetPositionPick(false);
    picLocation->setVisible(index == 0);
  });
  ChooseColourOnClick(picWatermarkTransparentColor);
}

// The watermark picture: while the pick is on, the colour under the pointer becomes the
// transparent colour; a release over the picture ends the pick.
bool TaskPanels::eventFilter(QObject* watched, QEvent* event) {
  if (watched != picWatermarkImage) return false;
  auto* mouse = static_cast<QMouseEvent*>(event);
  if (event->type() == QEvent::MouseMove && mbPickTransparentColor) {
    const QImage picture = picWatermarkImage->pixmap().toImage();
    const QPoint at = mouse->position().toPoint();
    if (picture.rect().contains(at))
      SetColour(picWatermarkTransparentColor, shell::QColorToOleColour(QColor(picture.pixel(at))));
  } else if (event->type() == QEvent::MouseButtonRelease) {
    mbPickTransparentColor = false;
    chkWatermarkTransparentColor->setChecked(false);
  }
  return false;
}

void TaskPanels::cmdSelectMerge_Click() {
  shell::gstrDlgTitle = QStringLiteral("Load Image for Merging");
  shell::glDlgFlags = 5;
  shell::gstrDlgFilter = QStringLiteral(
      "All Image Files|*.bmp;*.jpg;*.jpeg;*.pcx;*.png;*.gif;*.wbm;*.wbmp;*.psd;*.tif;*.tiff"
      "|Bitmap Files (*.bmp)|*.bmp|JPEG Files (*.jpg, *.jpeg)|*.jpg;*.jpeg"
      "|PCX Files (*.pcx)|*.pcx|PNG Files (*.png)|*.png"
      "|GIF Files (*.gif)|*.gif"
      "|Wireless Bitmap Files (*.wbm, *.wbmp)|*.wbm;*.wbmp"
      "|Adobe Photoshop Files (*.psd)|*.psd"
      "|TIFF Files (*.tif, *.tiff)|*.tif;*.tiff");
  shell::gstrDlgFileName.clear();
  shell::subShowOpenDialog();
  if (!shell::gstrDlgFileName.isEmpty()) {
    mstrWatermarkFile = shell::gstrDlgFileName;
    shell::gSetup.TaskOptions.Watermark.ImageFile = mstrWatermarkFile;
  }
  subLoadWatermarkImage(mstrWatermarkFile);
}

void TaskPanels::subLoadWatermarkImage(const QString& path) {
  if (path.isEmpty()) return;
  int32_t width = 0, height = 0;
  const QImage picture =
      browse::LoadPic(path, browse::ScaleMode(2), picWatermarkImageContainer->width(),
                      picWatermarkImageContainer->height(), 0xFFFFFF, width, height);
  // A picture that cannot be loaded keeps the previous one; LoadPic has said why.
  if (picture.isNull()) return;
  mstrWatermarkFile = path;
  picWatermarkImage->setPixmap(QPixmap::fromImage(picture));
  picWatermarkImage->resize(picture.size());
  picWatermarkImage->setProperty("Tag", path);
  lblWatermarkResolution->setText(QStringLiteral("%1 x %2").arg(width).arg(height));
  picWatermarkImage->move((picWatermarkImageContainer->width() - picture.width()) / 2,
                          (picWatermarkImageContainer->height() - picture.height()) / 2);
  Changed();
}

void TaskPanels::BuildText() {
  const auto changed = [this] { Changed(); };
  Column c(Panel(kText));
  txtDraw = c.Add(new QLineEdit);
  txtDraw->setPlaceholderText(QStringLiteral("Enter your text"));
  connect(txtDraw, &QLineEdit::textChanged, this, changed);
  w_.ComboFontFamily->show();
  w_.comboFontSize->show();
  w_.comboFontSize->setEditable(true);
  c.Row({w_.ComboFontFamily, w_.comboFontSize});
  chkTextBold = new QCheckBox(QStringLiteral("B"));
  chkTextItalic = new QCheckBox(QStringLiteral("I"));
  chkTextUnderline = new QCheckBox(QStringLiteral("U"));
  c.Row({chkTextBold, chkTextItalic, chkTextUnderline});
  cmdTextColor = new QPushButton;
  cmdTextBackground = new QPushButton;
  c.Row({new QLabel(QStringLiteral("Color")), cmdTextColor, cmdTextBackground});
  chkTransparent = c.Add(new QCheckBox(QStringLiteral("Transparent background")));
  chkAntiAlias = c.Add(new QCheckBox(QStringLiteral("Anti-Alias")));
  w_.cboPosition->show();
  w_.ComboFilter->show();
  c.Row({new QLabel(QStringLiteral("Position")), w_.cboPosition});
  c.Row({new QLabel(QStringLiteral("Filter")), w_.ComboFilter});
  picTextOrientation = c.Group(kRowH);
  Column o = Column::Inside(picTextOrientation);
  OptTextOrientation = Options(o, {QStringLiteral("Horizontal"), QStringLiteral("Vertical")}, true);
  // Three captions side by side are wider than the panel: the choices stand one below another.
  picTextAlignment = c.Group(3 * (kRowH + 2));
  Column a = Column::Inside(picTextAlignment);
  OptTextAlignment =
      Options(a, {QStringLiteral("Left"), QStringLiteral("Centre"), QStringLiteral("Right")});
  picTextOrientationCustom = c.Group(kRowH);
  picTextOrientationCustom->move(picTextOrientation->pos());
  txtTextAngle = new QLineEdit(picTextOrientationCustom);
  auto* angleLabel = new QLabel(QStringLiteral("Aº"), picTextOrientationCustom);
  angleLabel->setGeometry(0, 0, 30, kRowH);
  txtTextAngle->setGeometry(32, 0, 60, kRowH);
  vsbTextAngle = new QScrollBar(Qt::Vertical, picTextOrientationCustom);
  vsbTextAngle->setGeometry(94, 0, 16, kRowH);
  picTextOrientationCustom->hide();
  SpinBox(txtTextAngle, vsbTextAngle, {-180, 180}, kMinusKey, QStringLiteral("0"), changed,
          changed);
  for (QPushButton* button : {cmdTextColor, cmdTextBackground}) {
    SetColour(button, 0);
    ChooseColourOnClick(button);
  }
  const auto styleText = [this] {
    QFont font = txtDraw->font();
    font.setBold(chkTextBold->isChecked());
    font.setItalic(chkTextItalic->isChecked());
    font.setUnderline(chkTextUnderline->isChecked());
    font.setFamily(w_.ComboFontFamily->currentText());
    txtDraw->setFont(font);
    Changed();
  };
  for (QCheckBox* box : {chkTextBold, chkTextItalic, chkTextUnderline})
    connect(box, &QCheckBox::toggled, this, styleText);
  connect(w_.ComboFontFamily, &QComboBox::currentIndexChanged, this, styleText);
  connect(chkTransparent, &QCheckBox::toggled, this, [this](bool on) {
    cmdTextBackground->setVisible(!on);
    Changed();
  });
  connect(chkAntiAlias, &QCheckBox::toggled, this, [this] { mouse_.mbTaskOptionsChanged = true; });
  connect(w_.ComboFilter, &QComboBox::currentIndexChanged, this, changed);
  connect(w_.comboFontSize, &QComboBox::currentIndexChanged, this, changed);
  if (QLineEdit* typed = w_.comboFontSize->lineEdit())
    NumericBox(typed, shell::kNoExtraKey, QStringLiteral("0"), changed,
               [typed] { shell::subClampControlValue(typed, 0, 200); });
  connect(w_.cboPosition, &QComboBox::currentIndexChanged, this, [this](int index) {
    enable_(true);
    Changed();
    if (index < 0) return;
    const bool mouseClick = index == 9;
    picTextOrientation->setVisible(!mouseClick);
    picTextAlignment->setVisible(!mouseClick);
    picTextOrientationCustom->setVisible(mouseClick);
    picLocation->setVisible(mouseClick);
  });
  connect(OptTextOrientation, &QButtonGroup::idToggled, this, [this](int id, bool on) {
    if (!on) return;
    picTextAlignment->setVisible(id == 0);
    Changed();
  });
  connect(OptTextAlignment, &QButtonGroup::idToggled, this, [this](int, bool on) {
    if (on) Changed();
  });
}

void TaskPanels::BuildCanvasFrameMaskShadow() {
  const auto changed = [this] { Changed(); };
  {
    Column c(Panel(kCanvas));
    c.Label(QStringLiteral("Enter a new Canvas Size"));
    static const char* const kLabels[] = {"Y1", "X1", "X2", "Y2"};
    for (int i = 0; i < 4; ++i) {
      txtCanvasCustom[i] = new QLineEdit;
      c.Row({new QLabel(QString::fromLatin1(kLabels[i])), txtCanvasCustom[i]});
      QLineEdit* box = txtCanvasCustom[i];
      NumericBox(box, shell::kNoExtraKey, QStringLiteral("0"), changed,
                 [box] { shell::subClampControlValue(box, 0, 800); });
    }
  }
  const auto pictureOptions = [&](Column& c, int offset) {
    auto* group = new QButtonGroup(c.Panel());
    for (int row = 0; row < 2; ++row) {
      std::vector<QRadioButton*> options;
      for (int i = 0; i < 4; ++i) {
        auto* option = new QRadioButton(Whole(row * 4 + i + 1));
        group->addButton(option, row * 4 + i);
        options.push_back(option);
      }
      c.Row({options[0], options[1], options[2], options[3]});
    }
    connect(group, &QButtonGroup::idToggled, this, [this, offset](int id, bool on) {
      if (!on) return;
      mintTaskPicture = static_cast<int16_t>(id + offset);
      Changed();
    });
    return group;
  };
  {
    Column c(Panel(kFrame));
    c.Label(QStringLiteral("Select a frame style"));
    OptFrameStyle = Options(c, {QStringLiteral("Image"), QStringLiteral("Color")}, true);
    picFrameImage = c.Group(3 * (kRowH + 2));
    Column i = Column::Inside(picFrameImage);
    OptFrameImage = pictureOptions(i, 0);
    chkFrameImageResizeCanvas = i.Add(new QCheckBox(QStringLiteral("Use canvas space")));
    connect(chkFrameImageResizeCanvas, &QCheckBox::toggled, this, changed);
    picFrameColor = c.Group(kRowH);
    picFrameColor->move(picFrameImage->pos());
    txtFrameSize = new QLineEdit(picFrameColor);
    auto* sizeLabel = new QLabel(QStringLiteral("Frame Size"), picFrameColor);
    sizeLabel->setGeometry(0, 0, 80, kRowH);
    txtFrameSize->setGeometry(82, 0, 60, kRowH);
    vsFrameSize = new QScrollBar(Qt::Vertical, picFrameColor);
    vsFrameSize->setGeometry(144, 0, 16, kRowH);
    // One range, box and spin alike.
    SpinBox(txtFrameSize, vsFrameSize, {0, 800}, shell::kNoExtraKey, QStringLiteral("0"), changed,
            [this] { enable_(true); });
    connect(OptFrameStyle, &QButtonGroup::idToggled, this, [this](int id, bool on) {
      if (!on) return;
      picFrameImage->setVisible(id == 0);
      picFrameColor->setVisible(id == 1);
      FrameBackColor->setVisible(id == 1);
      Changed();
    });
  }
  {
    Column c(Panel(kMask));
    OptMask = pictureOptions(c, 0);
    sldMask = ValueSlider(c, 0, 100, 5, lblMask, QStringLiteral("Level:"), changed);
    chkMaskTransparent = c.Add(new QCheckBox(QStringLiteral("Transparent")));
    connect(chkMaskTransparent, &QCheckBox::toggled, this, changed);
  }
  {
    Column c(Panel(kShadow));
    OptShadow = pictureOptions(c, tasks::kShadowSetOffset);
  }
  {
    Column c(Panel(kRedEye));
    c.Label(QStringLiteral("Click the button below to activate the Red-Eye selection tool and "
                           "select the eye region from the preview."),
            4 * kRowH);
    chkRedEye = c.Add(new QCheckBox(QStringLiteral("Red-Eye selection")));
  }
}

void TaskPanels::WireMouse() {
  connect(&mouse_, &browse::ViewerMouse::LabelChanged, this,
          [this](browse::MouseLabel label, const QString& text) {
            switch (label) {
              case browse::MouseLabel::SelectRegionStart:
                lblSelectRegionStart->setText(text);
                break;
              case browse::MouseLabel::SelectRegionEnd:
                lblSelectRegionEnd->setText(text);
                break;
              case browse::MouseLabel::SelectLocation:
                lblSelectLocation->setText(text);
                break;
            }
          });
  connect(&mouse_, &browse::ViewerMouse::ColourPicked, this, [this](const QColor& colour) {
    SetColour(picCropBackColor, shell::QColorToOleColour(colour));
  });
  connect(&mouse_, &browse::ViewerMouse::Untick, this, [this](browse::MouseBox box) {
    switch (box) {
      case browse::MouseBox::CropMouse:
        return chkCropMouse->setChecked(false);
      case browse::MouseBox::SelectLocation:
        return chkSelectLocation->setChecked(false);
      case browse::MouseBox::CropBackColor:
        return chkCropBackColor->setChecked(false);
      case browse::MouseBox::RedEye:
        return chkRedEye->setChecked(false);
    }
  });
  connect(chkSelectLocation, &QCheckBox::toggled, this,
          [this](bool on) { mouse_.SetPositionPick(on); });
  connect(chkCropBackColor, &QCheckBox::toggled, this,
          [this](bool on) { mouse_.SetColourPick(on); });
  connect(chkCropMouse, &QCheckBox::toggled, this, [this](bool on) {
    if (!on) return mouse_.DisarmCropByMouse();
    mouse_.ArmCropByMouse();
    mouse_.mbTaskOptionsChanged = true;
  });
  connect(chkRedEye, &QCheckBox::toggled, this, [this](bool on) {
    if (on) enable_(true);
    mouse_.SetRedEye(on);
  });
}

void TaskPanels::ResetSharedControls() {
  chkSelectLocation->setChecked(false);
  mouse_.SetPositionPick(false);
  chkCropMouse->setChecked(false);
  mouse_.DisarmCropByMouse();
  FrameBackColor->hide();
  picLocation->hide();
}

void TaskPanels::Load(int32_t task) {
  mouse_.mbTaskOptionsChanged = LoadValues(task);
}

// Sets the panel's controls; answers whether the loaded options count as changed. The answer
// is the panel's own: the notifications the loading raises do not decide it.
bool TaskPanels::LoadValues(int32_t task) {
  auto& o = shell::gSetup.TaskOptions;
  const auto imageSize = [this] {
    ImageBoxProxy box(w_.ibMain->Dispatch());
    return QSize(box.get_ImageWidth(), box.get_ImageHeight());
  };
  switch (task) {
    case 0:
    case kRedEye:
      enable_(false);
      return false;
    case kFlip:
      SelectOption(optFlip, o.Flip.Mode);
      break;
    case kRotate:
      FrameBackColor->show();
      txtDegrees->setText(Whole(o.Rotate.Degrees));
      sbDegrees->setValue(o.Rotate.Degrees);
      SetCheck(chkRotateResample, o.Rotate.Resample);
      SetColour(picCropBackColor, o.Rotate.BackColor);
      return txtDegrees->text() != u"0";
    case kResize: {
      const QSize size = imageSize();
      txtResizeWidth->setText(Whole(size.width()));
      txtResizeHeight->setText(Whole(size.height()));
      txtScale->setText(Whole(o.Resize.Scale));
      SelectOption(optResize, o.Resize.Mode);
      SetCheck(chkResizeRatio, o.Resize.KeepRatio);
      SetCheck(chkResizeResample, o.Resize.Resample);
      return o.Resize.Mode == 1 && txtScale->text() != u"100";
    }
    case kBlur:
      sldBlur->setValue(o.Blur.Amount);
      lblBlur->setText(Whole(sldBlur->value()));
      break;
    case kContrast:
    case kBrightness: {
      const bool contrast = task == kContrast;
      const auto& v = contrast ? o.Contrast : o.Brightness;
      QSlider* slider = contrast ? sldContrast : sldBrightness;
      slider->setValue(v.Value);
      (contrast ? lblContrastValue : lblBrightessValue)->setText(Whole(slider->value()));
      SetCheck(contrast ? chkConRed : chkBrRed, v.Red);
      SetCheck(contrast ? chkConGreen : chkBrGreen, v.Green);
      SetCheck(contrast ? chkConBlue : chkBrBlue, v.Blue);
      break;
    }
    case kSharpen:
      sldSharpen->setValue(o.Sharpen.Amount);
      lblSharpen->setText(Whole(sldSharpen->value()));
      break;
    case kCrop: {
      const QSize size = imageSize();
      txtCropTop->setText(QStringLiteral("0"));
      txtCropLeft->setText(QStringLiteral("0"));
      txtCropRight->setText(Whole(size.width()));
      txtCropBot->setText(Whole(size.height()));
      const int mode = o.Crop.SelectMode;
      SelectOption(optCropSelect, mode);
      frameCropFixed->setVisible(optCropSelect->checkedId() == 1);
      frameCropMouse->setVisible(optCropSelect->checkedId() == 0);
      SetListIndex(cmbCrop, o.Crop.Preset);
      enable_(false);
      return false;
    }
    case kWatermark: {
      SetListIndex(w_.cboMergeStyle, o.Watermark.MergeStyle);
      picLocation->setVisible(w_.cboMergeStyle->currentIndex() == 0);
      sldWatermarkTransparency->setValue(o.Watermark.Transparency);
      SetCheck(chkWatermarkTransparent, o.Watermark.Transparent);
      picTransparentOptions->setVisible(chkWatermarkTransparent->isChecked());
      SetColour(picWatermarkTransparentColor, o.Watermark.TransparentColor);
      const bool exists = !o.Watermark.ImageFile.isEmpty() && QFile::exists(o.Watermark.ImageFile);
      if (exists && picWatermarkImage->property("Tag").toString().isEmpty())
        subLoadWatermarkImage(o.Watermark.ImageFile);
      return exists;
    }
    case kText:
      SetCheck(chkTextBold, o.Text.Bold);
      txtDraw->setText(o.Text.Text);
      SetCheck(chkTransparent, o.Text.Transparent);
      cmdTextBackground->setVisible(!chkTransparent->isChecked());
      SetColour(cmdTextBackground, o.Text.BackColor);
      SetListIndex(w_.ComboFontFamily, o.Text.FontIndex);
      w_.comboFontSize->setCurrentText(Whole(o.Text.FontSize));
      SetListIndex(w_.cboPosition, o.Text.Position);
      picLocation->setVisible(w_.cboPosition->currentIndex() == 9);
      SelectOption(OptTextOrientation, o.Text.Orientation);
      SetColour(cmdTextColor, o.Text.Color);
      SetListIndex(w_.ComboFilter, o.Text.Filter);
      SelectOption(OptTextAlignment, o.Text.Alignment);
      txtTextAngle->setText(Whole(o.Text.Angle));
      vsbTextAngle->setValue(o.Text.Angle);
      return !txtDraw->text().isEmpty();
    case kInvert:
      break;
    case kCanvas:
      FrameBackColor->show();
      SetColour(picCropBackColor, o.Canvas.BackColor);
      txtCanvasCustom[0]->setText(Whole(o.Canvas.Top));
      txtCanvasCustom[1]->setText(Whole(o.Canvas.Left));
      txtCanvasCustom[2]->setText(Whole(o.Canvas.Right));
      txtCanvasCustom[3]->setText(Whole(o.Canvas.Bottom));
      break;
    case kFrame:
      SelectOption(OptFrameStyle, o.Frame.Style);
      SelectOption(OptFrameImage, o.Frame.ImageIndex);
      mintTaskPicture = o.Frame.ImageIndex;
      txtFrameSize->setText(Whole(o.Frame.Size));
      vsFrameSize->setValue(o.Frame.Size);
      SetCheck(chkFrameImageResizeCanvas, o.Frame.UseCanvasSpace);
      SetColour(picCropBackColor, o.Frame.Color);
      picFrameImage->setVisible(o.Frame.Style == 0);
      picFrameColor->setVisible(o.Frame.Style != 0);
      FrameBackColor->setVisible(o.Frame.Style != 0);
      break;
    case kMask:
      sldMask->setValue(o.Mask.Transparency);
      SetCheck(chkMaskTransparent, o.Mask.Transparent);
      SelectOption(OptMask, o.Mask.Index);
      mintTaskPicture = o.Mask.Index;
      break;
    case kShadow:
      SelectOption(OptShadow, o.Shadow.Index);
      mintTaskPicture = static_cast<int16_t>(o.Shadow.Index + tasks::kShadowSetOffset);
      break;
    default:
      return false;
  }
  return true;
}

void TaskPanels::subReadTaskOptions() {
  auto& o = shell::gSetup.TaskOptions;
  const auto option = [](const QButtonGroup* group) {
    return static_cast<uint8_t>(std::max(group->checkedId(), 0));
  };
  switch (state_.gCurrentTask.Enhancement) {
    case kFlip:
      o.Flip.Mode = optFlip->checkedId() == 0 ? 0 : 1;
      break;
    case kRotate:
      o.Rotate.Degrees = WholeNumber(txtDegrees->text());
      o.Rotate.Resample = CheckValue(chkRotateResample);
      o.Rotate.BackColor = Colour(picCropBackColor);
      break;
    case kResize:
      o.Resize.Scale = WholeNumber(txtScale->text());
      o.Resize.Mode = optResize->checkedId() == 0 ? 0 : 1;
      o.Resize.KeepRatio = CheckValue(chkResizeRatio);
      o.Resize.Resample = CheckValue(chkResizeResample);
      break;
    case kBlur:
      o.Blur.Amount = static_cast<int16_t>(sldBlur->value());
      break;
    case kContrast:
      o.Contrast = {static_cast<int16_t>(sldContrast->value()), CheckValue(chkConRed),
                    CheckValue(chkConGreen), CheckValue(chkConBlue)};
      break;
    case kBrightness:
      o.Brightness = {static_cast<int16_t>(sldBrightness->value()), CheckValue(chkBrRed),
                      CheckValue(chkBrGreen), CheckValue(chkBrBlue)};
      break;
    case kSharpen:
      o.Sharpen.Amount = static_cast<uint8_t>(sldSharpen->value());
      break;
    case kCrop:
      o.Crop.SelectMode = optCropSelect->checkedId() == 0 ? 0 : 1;
      o.Crop.Preset = static_cast<uint8_t>(std::max(cmbCrop->currentIndex(), 0));
      break;
    case kWatermark:
      o.Watermark.MergeStyle = static_cast<int16_t>(w_.cboMergeStyle->currentIndex());
      o.Watermark.Transparency = static_cast<int16_t>(sldWatermarkTransparency->value());
      o.Watermark.Transparent = CheckValue(chkWatermarkTransparent);
      o.Watermark.TransparentColor = Colour(picWatermarkTransparentColor);
      o.Watermark.ImageFile = picWatermarkImage->property("Tag").toString();
      break;
    case kText:
      o.Text.Bold = CheckValue(chkTextBold);
      o.Text.Text = txtDraw->text();
      o.Text.Transparent = CheckValue(chkTransparent);
      o.Text.BackColor = Colour(cmdTextBackground);
      o.Text.FontIndex = static_cast<int16_t>(w_.ComboFontFamily->currentIndex());
      o.Text.FontSize = WholeNumber(w_.comboFontSize->currentText());
      o.Text.Position = static_cast<int16_t>(w_.cboPosition->currentIndex());
      o.Text.Orientation = OptTextOrientation->checkedId() == 0 ? 0 : 1;
      o.Text.Color = Colour(cmdTextColor);
      o.Text.Filter = static_cast<int16_t>(w_.ComboFilter->currentIndex());
      o.Text.Alignment = option(OptTextAlignment);
      o.Text.Angle = static_cast<int16_t>(vsbTextAngle->value());
      break;
    case kCanvas:
      o.Canvas.Top = WholeNumber(txtCanvasCustom[0]->text());
      o.Canvas.Left = WholeNumber(txtCanvasCustom[1]->text());
      o.Canvas.Right = WholeNumber(txtCanvasCustom[2]->text());
      o.Canvas.Bottom = WholeNumber(txtCanvasCustom[3]->text());
      o.Canvas.BackColor = Colour(picCropBackColor);
      break;
    case kFrame:
      o.Frame.ImageIndex = mintTaskPicture;
      o.Frame.Color = Colour(picCropBackColor);
      o.Frame.Size = WholeNumber(txtFrameSize->text());
      o.Frame.UseCanvasSpace = CheckValue(chkFrameImageResizeCanvas);
      o.Frame.Style = OptFrameStyle->checkedId() == 0 ? 0 : 1;
      break;
    case kMask:
      o.Mask.Index = mintTaskPicture;
      o.Mask.Transparent = CheckValue(chkMaskTransparent);
      o.Mask.Transparency = static_cast<int16_t>(sldMask->value());
      break;
    case kShadow:
      o.Shadow.Index = static_cast<int16_t>(mintTaskPicture - tasks::kShadowSetOffset);
      break;
    default:
      break;
  }
}

}  // namespace edit
