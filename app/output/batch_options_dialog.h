#pragma once
// The options of a batch JPEG 2000 conversion: format, rate, destination, overwriting, task
// replay and naming. The dialog reads and writes gSetup's BatchNamingOptions directly: some
// choices on their click, the rest on Save; the caller starts a run only when Confirmed is set.
#include <QDialog>
#include <array>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QFrame;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QSlider;

namespace output {

class frmSaveSinglePage : public QDialog {
 public:
  explicit frmSaveSinglePage(QWidget* parent = nullptr);

  // Fills the lists and shows the stored options.
  void subSetup();

  void optJPG2000Compression_Click(int index);
  void OptName_Click(int index);
  void optDestinationFolder_Click(int index);
  void cmdBrowseFolder_Click();
  void cmdStarConversion_Click();
  void cmdCancel_Click();

  QComboBox* cboJPEG2000;
  std::array<QRadioButton*, 2> optJPG2000Compression;
  QFrame* picFrameJPG2000Lossy;
  QSlider* sldJPEG2000Compression;
  QLineEdit* txtJPG2000Compression;
  QScrollBar* txtJPG2000CompressionD;
  std::array<QRadioButton*, 2> optDestinationFolder;
  QLineEdit* txtDestinationFolder;
  QPushButton* cmdBrowseFolder;
  QCheckBox* chkOverwrite;
  QCheckBox* chkProcessEditingList;
  std::array<QRadioButton*, 3> OptName;
  QComboBox* cboRenamePrefix;
  QComboBox* cboRenameSuffix;
  QComboBox* cboSeparator1;
  QComboBox* cboSeparator2;
  QLineEdit* txtRenameGeneric;
  QComboBox* cboRenameGeneric;
  QPushButton* cmdStarConversion;
  QPushButton* cmdCancel;

 private:
  QWidget* BuildFormatFrame();
  QWidget* BuildDestinationFrame();
  QWidget* BuildNameFrame();
  void ConnectRateTrio();
  void StoreStepOne();
  // The counter start passes, or the user is told why not.
  bool CounterIsValid();
  // The chosen folder exists when the output goes there, or the user is told it does not.
  bool DestinationIsValid();
};

}  // namespace output
