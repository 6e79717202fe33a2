#pragma once
// The settings dialog frmSettings: tool tips, thumbnail size, full-row selection and the file-size
// form of the two image lists, the lists' shortcuts, and the capture and scanning folders. It reads
// gSetup when it opens and writes it on OK only; the file reaches the disk at exit.
#include <QDialog>
#include <array>
#include <functional>

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabBar;
class QTreeWidget;

namespace shell {

class frmSettings : public QDialog {
 public:
  // `subUpdateForm` applies the written settings to the main window.
  frmSettings(QWidget* owner, std::function<void()> subUpdateForm);

  // Fills the controls from gSetup. A failure deletes the settings file, is reported and the
  // fill runs once more; a second failure goes to the caller.
  void subSetup();

  QTabBar* tbsSettings;
  QWidget* picGeneral;
  QWidget* picCapture;
  QWidget* picTwain;
  QWidget* picShortcuts;
  QCheckBox* chkAllowTip;
  QGroupBox* frameFolder;
  QCheckBox* chkFolderFullRowSelect;
  QLineEdit* txtFolderThumbnailWidth;
  QLineEdit* txtFolderThumbnailHeight;
  std::array<QRadioButton*, 2> optFileSize;
  QLineEdit* txtCaptureFolder;
  QPushButton* cmdCaptureBrowse;
  QLineEdit* txtCaptureGeneric;
  QLineEdit* txtTwainFolder;
  QPushButton* cmdTwainBrowse;
  QLineEdit* txtTwainGeneric;
  QTreeWidget* lvShortcuts;
  QPushButton* cmdOK;
  QPushButton* cmdCancel;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildGeneral();
  QWidget* BuildFolderPane(const QString& caption, QLineEdit*& folder, QPushButton*& browse,
                           QLineEdit*& generic);
  void FillControls();
  void SetUpThumbnailBox(QLineEdit* box);
  void tbsSettings_Click(int index);
  void cmdOK_Click();
  void Browse(QLineEdit* box);
  void ClampThumbnailBoxes();

  std::function<void()> subUpdateForm_;
};

// Opens the dialog modally over `owner`.
void ShowSettingsDialog(QWidget* owner, const std::function<void()>& subUpdateForm);

}  // namespace shell
