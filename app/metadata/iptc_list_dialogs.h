#pragma once
// The modal list editors the metadata pane opens for the IPTC keywords and for the supplemental
// categories with the urgency. The pane creates one, calls subSetup with its image control and
// shows it with exec(); OK hands the list back to the pane's rewrite, Cancel and the window
// frame only close. The dialogs change neither the image nor the file themselves.
#include <QDialog>
#include <QString>
#include <QStringList>

#include "app/metadata/pane_state.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
namespace plat::com {
class ControlHost;
}

namespace metadata {

// A list box with a text box to add entries (unchanged, duplicates allowed), a button to delete
// the selected one, OK and Cancel.
class IptcListDialog : public QDialog {
  Q_OBJECT

 public:
  QStringList Entries() const;

  QPushButton* cmdOK;
  QPushButton* cmdCancel;

 protected:
  // The list's top edge is at `top`, leaving room above it for a caption.
  IptcListDialog(IptcListPane& pane, int top, QWidget* parent);
  virtual void HandToPane() = 0;

  IptcListPane& pane_;
  QListWidget* list_;
  QLineEdit* text_;
  QPushButton* add_;
  QPushButton* delete_;

 private:
  void AddEntry();
  void DeleteEntry();
  // Hides, hands the entries to the pane, closes.
  void Confirm();
};

class frmIPTCKeywords : public IptcListDialog {
  Q_OBJECT

 public:
  explicit frmIPTCKeywords(IptcListPane& pane, QWidget* parent = nullptr);

  // Lists the control's keywords when it holds an image; an error is reported and the dialog
  // keeps what it has listed.
  void subSetup(plat::com::ControlHost* control);

  QListWidget* lstKeywords;
  QLineEdit* txtKeywordAdd;
  QPushButton* cmdAddKeyword;
  QPushButton* cmdDelKeyword;

 private:
  void HandToPane() override;
};

class frmIPTCCategory : public IptcListDialog {
  Q_OBJECT

 public:
  explicit frmIPTCCategory(IptcListPane& pane, QWidget* parent = nullptr);

  // Offers the urgencies and lists the control's categories and urgency when it holds an image;
  // an error is reported and the dialog keeps what it has filled.
  void subSetup(plat::com::ControlHost* control);

  QLabel* lblSupCat;
  QListWidget* lstSupCats;
  QLineEdit* txtSupCatAdd;
  QPushButton* cmdAddSupCat;
  QPushButton* cmdDelSupCat;
  QLabel* lblUrgency;
  QComboBox* cboUrgency;

 private:
  void HandToPane() override;
};

}  // namespace metadata
