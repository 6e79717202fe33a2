#pragma once
// The option form the save dialog carries below its own controls: one panel of options per
// output format, all at one spot, at most one shown. Every change goes straight into
// gSetup.SaveFormatOptions and stays there, even when the dialog is then cancelled, so the
// choices are also the defaults of the next save.
#include <QWidget>
#include <array>
#include <memory>

class QCheckBox;
class QComboBox;
class QFrame;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QSlider;

namespace output {

class NumberTrio;

class frmSaveDialogExtensionAllFormats : public QWidget {
 public:
  static constexpr int kWidth = 406;
  static constexpr int kHeight = 103;

  explicit frmSaveDialogExtensionAllFormats(QWidget* parent = nullptr);
  ~frmSaveDialogExtensionAllFormats() override;

  // Places the panels, fills the lists and shows the stored options; run once when the form is
  // made.
  void subSetup();
  // Hides every panel and the TIFF compression row.
  void subSetVisibility();

  void optGIFCompression_Click(int index);
  void chkGIFTransparent_Click();
  void cmdGIFTransparentColor_Click();
  void optPNGColorDepth_Click(int index);
  void chkPNGTransparent_Click();
  void cmdPNGtransprentColor_Click();
  void optJPGEncoding_Click(int index);
  void optJPGColorDepth_Click(int index);
  void optJPG2000Compression_Click(int index);
  void cboTIFFCompression_Click();

  QFrame* picFrameGIF;
  std::array<QRadioButton*, 2> optGIFCompression;
  QCheckBox* chkGIFTransparent;
  QPushButton* cmdGIFTransparentColor;

  QFrame* picFramePNG;
  std::array<QRadioButton*, 2> optPNGColorDepth;
  QCheckBox* chkPNGTransparent;
  QPushButton* cmdPNGtransprentColor;

  QFrame* picFrameJPG;
  QSlider* sldJPGQuality;
  QLineEdit* txtJPGQuality;
  QScrollBar* txtJPGQualityD;
  std::array<QRadioButton*, 2> optJPGEncoding;
  std::array<QRadioButton*, 2> optJPGColorDepth;

  QFrame* picFrameJPG2000;
  std::array<QRadioButton*, 2> optJPG2000Compression;
  QFrame* picFrameJPG2000Lossy;
  QSlider* sldJPEG2000Compression;
  QLineEdit* txtJPG2000Compression;
  QScrollBar* txtJPG2000CompressionD;

  QFrame* picFrameTiff;
  QFrame* picFrameTiffOnly;
  QComboBox* cboTIFFCompression;
  QFrame* picAppendMode;
  QComboBox* cboAppendMode;
  QComboBox* cboOutputMode;

 private:
  void BuildGifPanel();
  void BuildPngPanel();
  void BuildJpegPanel();
  void BuildJpeg2000Panel();
  void BuildTiffPanel();
  // A colour button opens the chooser; its colour afterwards is what the field keeps.
  int32_t ChooseButtonColour(QPushButton* button);

  std::unique_ptr<NumberTrio> quality_;
  std::unique_ptr<NumberTrio> rate_;
};

}  // namespace output
