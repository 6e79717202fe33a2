#include "app/output/save_option_panels.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFont>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSlider>
#include <algorithm>
#include <functional>

#include "app/shell/dialogs.h"
#include "app/shell/image_fit.h"
#include "app/shell/settings.h"
#include "app/shell/text_entry.h"

namespace output {

// A slider, a digits-only box and a spin showing one number of the settings record; every
// change of the slider is stored at once.
class NumberTrio final : public QObject {
 public:
  NumberTrio(QSlider* slider, QLineEdit* box, QScrollBar* spin, int16_t& field, int16_t minimum,
             int16_t maximum)
      : QObject(box),
        slider_(slider),
        box_(box),
        spin_(spin),
        field_(field),
        minimum_(minimum),
        maximum_(maximum) {
    slider_->setRange(minimum, maximum);
    spin_->setRange(minimum, maximum);
    shell::InstallNumericKeyFilter(box_, shell::kNoExtraKey);
    box_->installEventFilter(this);
    connect(slider_, &QSlider::valueChanged, this, [this](int value) {
      box_->setText(QString::number(value));
      spin_->setValue(value);
      field_ = static_cast<int16_t>(value);
    });
    connect(spin_, &QScrollBar::valueChanged, this, [this](int value) {
      box_->setText(QString::number(value));
      slider_->setValue(value);
    });
    connect(box_, &QLineEdit::textChanged, this, [this] {
      if (box_->text().isEmpty()) shell::subSelectAllControlText(box_, QString::number(field_));
    });
  }

  // Shows the stored number in all three.
  void Load() {
    slider_->setValue(field_);
    box_->setText(QString::number(field_));
    spin_->setValue(field_);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == box_ && event->type() == QEvent::FocusIn) {
      shell::subSelectAllText(box_);
    } else if (watched == box_ && event->type() == QEvent::FocusOut) {
      shell::subClampControlValue(box_, minimum_, maximum_);
      const int value = box_->text().toInt();
      spin_->setValue(value);
      slider_->setValue(value);
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  QSlider* slider_;
  QLineEdit* box_;
  QScrollBar* spin_;
  int16_t& field_;
  int16_t minimum_;
  int16_t maximum_;
};

namespace {

constexpr int kPanelLeft = 8;
constexpr int kPanelWidth = 400;
constexpr int kPanelHeight = 70;
constexpr int kFrameHeight = 66;
constexpr QSize kColourButton{57, 17};
constexpr QSize kNumberBox{30, 20};
constexpr QSize kSpin{17, 20};

// The button's colour as an OLE colour, which may name a system colour.
constexpr char kOleColour[] = "oleColour";

auto& Formats() {
  return shell::gSetup.SaveFormatOptions.Formats;
}

QFrame* Panel(QWidget* parent) {
  auto* panel = new QFrame(parent);
  panel->setFrameShape(QFrame::NoFrame);
  return panel;
}

template <typename T>
T* Placed(T* widget, int left, int top) {
  widget->move(left, top);
  return widget;
}

template <typename T>
T* Placed(T* widget, int left, int top, QSize size) {
  widget->setGeometry(QRect(QPoint(left, top), size));
  return widget;
}

// A titled frame with two options one above the other; a click reports the option's index.
std::array<QRadioButton*, 2> OptionPair(QWidget* panel, const QString& title, int left, int width,
                                        const QString& first, const QString& second,
                                        std::function<void(int)> clicked) {
  auto* frame = Placed(new QGroupBox(title, panel), left, 0, QSize(width, kFrameHeight));
  auto* group = new QButtonGroup(frame);
  std::array<QRadioButton*, 2> options{};
  const QString captions[] = {first, second};
  for (int index = 0; index < 2; ++index) {
    options[static_cast<size_t>(index)] =
        Placed(new QRadioButton(captions[index], frame), 8, 18 + 22 * index, QSize(width - 12, 20));
    group->addButton(options[static_cast<size_t>(index)], index);
  }
  QObject::connect(group, &QButtonGroup::idClicked, frame, std::move(clicked));
  return options;
}

void Check(const std::array<QRadioButton*, 2>& options, int index) {
  options.at(static_cast<size_t>(index == 1 ? 1 : 0))->setChecked(true);
}

uint8_t Ticked(const QCheckBox* box) {
  return box->isChecked() ? 1 : 0;
}

void ShowButtonColour(QPushButton* button, int32_t oleColour) {
  button->setProperty(kOleColour, oleColour);
  QPalette palette = button->palette();
  palette.setColor(QPalette::Button, shell::OleColourToQColor(oleColour));
  palette.setColor(QPalette::Window, shell::OleColourToQColor(oleColour));
  button->setPalette(palette);
  button->setAutoFillBackground(true);
}

}  // namespace

frmSaveDialogExtensionAllFormats::frmSaveDialogExtensionAllFormats(QWidget* parent)
    : QWidget(parent) {
  setFixedSize(kWidth, kHeight);
  setFont(QFont(QStringLiteral("Tahoma"), 8));
  BuildGifPanel();
  BuildPngPanel();
  BuildJpegPanel();
  BuildJpeg2000Panel();
  BuildTiffPanel();
  subSetup();
}

frmSaveDialogExtensionAllFormats::~frmSaveDialogExtensionAllFormats() = default;

void frmSaveDialogExtensionAllFormats::BuildGifPanel() {
  picFrameGIF = Panel(this);
  optGIFCompression =
      OptionPair(picFrameGIF, QStringLiteral("Compression"), 72, 120, QStringLiteral("None"),
                 QStringLiteral("LZW"), [this](int index) { optGIFCompression_Click(index); });
  chkGIFTransparent =
      Placed(new QCheckBox(QStringLiteral("Transparent"), picFrameGIF), 224, 8, QSize(110, 17));
  cmdGIFTransparentColor = Placed(new QPushButton(picFrameGIF), 240, 24, kColourButton);
  connect(chkGIFTransparent, &QCheckBox::clicked, this, [this] { chkGIFTransparent_Click(); });
  connect(cmdGIFTransparentColor, &QPushButton::clicked, this,
          [this] { cmdGIFTransparentColor_Click(); });
}

void frmSaveDialogExtensionAllFormats::BuildPngPanel() {
  picFramePNG = Panel(this);
  optPNGColorDepth =
      OptionPair(picFramePNG, QStringLiteral("Color Depth"), 88, 104, QStringLiteral("24 bit"),
                 QStringLiteral("8bit"), [this](int index) { optPNGColorDepth_Click(index); });
  chkPNGTransparent =
      Placed(new QCheckBox(QStringLiteral("Transparent"), picFramePNG), 200, 8, QSize(110, 17));
  cmdPNGtransprentColor = Placed(new QPushButton(picFramePNG), 216, 24, kColourButton);
  connect(chkPNGTransparent, &QCheckBox::clicked, this, [this] { chkPNGTransparent_Click(); });
  connect(cmdPNGtransprentColor, &QPushButton::clicked, this,
          [this] { cmdPNGtransprentColor_Click(); });
}

void frmSaveDialogExtensionAllFormats::BuildJpegPanel() {
  picFrameJPG = Panel(this);
  Placed(new QLabel(QStringLiteral("Quality:"), picFrameJPG), 0, 4);
  sldJPGQuality = Placed(new QSlider(Qt::Horizontal, picFrameJPG), 64, 0, QSize(129, 37));
  sldJPGQuality->setTickPosition(QSlider::TicksBelow);
  sldJPGQuality->setTickInterval(10);
  sldJPGQuality->setPageStep(10);
  txtJPGQuality = Placed(new QLineEdit(picFrameJPG), 128, 32, kNumberBox);
  txtJPGQuality->setMaxLength(3);
  txtJPGQualityD = Placed(new QScrollBar(Qt::Vertical, picFrameJPG), 160, 32, kSpin);
  quality_ = std::make_unique<NumberTrio>(sldJPGQuality, txtJPGQuality, txtJPGQualityD,
                                          Formats().Jpeg.Quality, 1, 100);
  optJPGEncoding =
      OptionPair(picFrameJPG, QStringLiteral("Encoding"), 200, 100, QStringLiteral("Standard"),
                 QStringLiteral("Progressive"), [this](int index) { optJPGEncoding_Click(index); });
  optJPGColorDepth =
      OptionPair(picFrameJPG, QStringLiteral("Color Depth"), 304, 92, QStringLiteral("24 bit"),
                 QStringLiteral("8bit"), [this](int index) { optJPGColorDepth_Click(index); });
}

void frmSaveDialogExtensionAllFormats::BuildJpeg2000Panel() {
  picFrameJPG2000 = Panel(this);
  optJPG2000Compression = OptionPair(picFrameJPG2000, QStringLiteral("Compression"), 72, 120,
                                     QStringLiteral("Loseless"), QStringLiteral("Lossy"),
                                     [this](int index) { optJPG2000Compression_Click(index); });
  picFrameJPG2000Lossy = Placed(Panel(picFrameJPG2000), 200, 0, QSize(200, kPanelHeight));
  sldJPEG2000Compression =
      Placed(new QSlider(Qt::Horizontal, picFrameJPG2000Lossy), 0, 0, QSize(153, 37));
  sldJPEG2000Compression->setTickPosition(QSlider::TicksBelow);
  sldJPEG2000Compression->setPageStep(2);
  txtJPG2000Compression =
      Placed(new QLineEdit(picFrameJPG2000Lossy), 96, 37, QSize(24, kNumberBox.height()));
  txtJPG2000Compression->setMaxLength(2);
  txtJPG2000CompressionD =
      Placed(new QScrollBar(Qt::Vertical, picFrameJPG2000Lossy), 120, 37, kSpin);
  rate_ = std::make_unique<NumberTrio>(sldJPEG2000Compression, txtJPG2000Compression,
                                       txtJPG2000CompressionD, Formats().Jpeg2000.Rate, 1, 25);
}

void frmSaveDialogExtensionAllFormats::BuildTiffPanel() {
  picFrameTiff = Panel(this);
  picFrameTiffOnly = Placed(Panel(picFrameTiff), 0, 0, QSize(kPanelWidth, 26));
  auto* label = Placed(new QLabel(QStringLiteral("Compression:"), picFrameTiffOnly), 0, 4);
  // The list sits at 72 pixels; a substitute font wider than the original pushes it right.
  const int listLeft = std::max(72, label->sizeHint().width() + 4);
  cboTIFFCompression = Placed(new QComboBox(picFrameTiffOnly), listLeft, 0, QSize(160, 22));
  connect(cboTIFFCompression, &QComboBox::activated, this, [this] { cboTIFFCompression_Click(); });
  picAppendMode = Placed(Panel(picFrameTiff), 0, 26, QSize(kPanelWidth, 44));
  // Shown only where pages are added to an existing file; no save of a single image reads them.
  cboAppendMode = Placed(new QComboBox(picAppendMode), 72, 0, QSize(160, 22));
  cboOutputMode = Placed(new QComboBox(picAppendMode), 240, 0, QSize(120, 22));
}

void frmSaveDialogExtensionAllFormats::subSetup() {
  for (QFrame* panel : {picFrameGIF, picFramePNG, picFrameJPG, picFrameJPG2000, picFrameTiff}) {
    panel->setGeometry(kPanelLeft, 0, kPanelWidth, kPanelHeight);
    panel->setFrameShape(QFrame::NoFrame);
  }
  subSetVisibility();

  const auto& options = shell::gSetup.SaveFormatOptions;
  cboTIFFCompression->clear();
  cboTIFFCompression->addItems({QStringLiteral("None"), QStringLiteral("Packbits"),
                                QStringLiteral("CCITT Group 4 Fax"),
                                QStringLiteral("CCITT Group 3 Fax"), QStringLiteral("LZW"),
                                QStringLiteral("JPEG"), QStringLiteral("Deflate")});
  cboAppendMode->clear();
  cboAppendMode->addItems({QStringLiteral("Beginning of file"), QStringLiteral("End of file")});
  cboAppendMode->setCurrentIndex(options.AppendMode);
  cboOutputMode->clear();
  cboOutputMode->addItems({QStringLiteral("Overwrite"), QStringLiteral("New File")});
  cboOutputMode->setCurrentIndex(options.OutputMode);

  const auto& formats = options.Formats;
  Check(optGIFCompression, formats.Gif.Compression);
  chkGIFTransparent->setChecked(formats.Gif.Transparent != 0);
  ShowButtonColour(cmdGIFTransparentColor, formats.Gif.TransparentColor);
  Check(optPNGColorDepth, formats.Png.ColorDepth);
  chkPNGTransparent->setChecked(formats.Png.Transparent != 0);
  ShowButtonColour(cmdPNGtransprentColor, formats.Png.TransparentColor);
  quality_->Load();
  Check(optJPGEncoding, formats.Jpeg.Encoding);
  Check(optJPGColorDepth, formats.Jpeg.ColorDepth);
  Check(optJPG2000Compression, formats.Jpeg2000.Compression);
  rate_->Load();
  cboTIFFCompression->setCurrentIndex(formats.Tiff.Compression);

  chkGIFTransparent_Click();
  chkPNGTransparent_Click();
  optJPG2000Compression_Click(optJPG2000Compression[1]->isChecked() ? 1 : 0);
}

void frmSaveDialogExtensionAllFormats::subSetVisibility() {
  for (QFrame* panel :
       {picFrameGIF, picFramePNG, picFrameJPG, picFrameJPG2000, picFrameTiff, picFrameTiffOnly})
    panel->setVisible(false);
}

void frmSaveDialogExtensionAllFormats::optGIFCompression_Click(int index) {
  Formats().Gif.Compression = static_cast<uint8_t>(index);
}

void frmSaveDialogExtensionAllFormats::chkGIFTransparent_Click() {
  cmdGIFTransparentColor->setVisible(chkGIFTransparent->isChecked());
  Formats().Gif.Transparent = Ticked(chkGIFTransparent);
}

void frmSaveDialogExtensionAllFormats::cmdGIFTransparentColor_Click() {
  Formats().Gif.TransparentColor = ChooseButtonColour(cmdGIFTransparentColor);
}

void frmSaveDialogExtensionAllFormats::optPNGColorDepth_Click(int index) {
  Formats().Png.ColorDepth = index;
}

void frmSaveDialogExtensionAllFormats::chkPNGTransparent_Click() {
  cmdPNGtransprentColor->setVisible(chkPNGTransparent->isChecked());
  Formats().Png.Transparent = Ticked(chkPNGTransparent);
}

void frmSaveDialogExtensionAllFormats::cmdPNGtransprentColor_Click() {
  Formats().Png.TransparentColor = ChooseButtonColour(cmdPNGtransprentColor);
}

void frmSaveDialogExtensionAllFormats::optJPGEncoding_Click(int index) {
  Formats().Jpeg.Encoding = static_cast<uint8_t>(index);
}

void frmSaveDialogExtensionAllFormats::optJPGColorDepth_Click(int index) {
  Formats().Jpeg.ColorDepth = index;
}

void frmSaveDialogExtensionAllFormats::optJPG2000Compression_Click(int index) {
  Formats().Jpeg2000.Compression = static_cast<uint8_t>(index);
  picFrameJPG2000Lossy->setVisible(index == 1);
}

void frmSaveDialogExtensionAllFormats::cboTIFFCompression_Click() {
  Formats().Tiff.Compression = static_cast<int16_t>(cboTIFFCompression->currentIndex());
}

int32_t frmSaveDialogExtensionAllFormats::ChooseButtonColour(QPushButton* button) {
  if (shell::fncShowColorDialog(this, button))
    ShowButtonColour(button, shell::QColorToOleColour(button->palette().color(QPalette::Button)));
  return button->property(kOleColour).toInt();
}

}  // namespace output
