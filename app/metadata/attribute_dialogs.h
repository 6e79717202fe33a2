#pragma once
// The two small modal dialogs that collect one attribute value for the metadata pane: the edit
// dialog for the selected row of either list, and the add dialog for an editable EXIF attribute
// the image does not carry yet. They write nothing themselves; they exchange the attribute with
// the pane through its PaneState. Dates are picked with the date picker, everything else typed.
//
// The pane creates a dialog, calls subSetup and shows it with exec(). OK and Cancel set
// gbAttributeOK and close; a close through the window frame (or Escape) changes nothing.
#include <QDialog>
#include <QString>

#include "app/controls/date_time_picker.h"
#include "app/metadata/pane_state.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace metadata {

// What the dialogs return for a date: the picked day "m/d/yyyy", a blank and the time of day
// "h:mm:ss AM/PM" (or nothing after the blank when no time is known). These are the forms the
// lists show and the write-back reads.
QString ShownDay(plat::TDateTime date);
QString ShownTimeOfDay(plat::TDateTime date);

// The value row and the buttons both dialogs share.
class AttributeDialog : public QDialog {
  Q_OBJECT

 public:
  QLabel* lblAttribute;
  QLabel* lblValue;
  QLineEdit* txtValue;
  velmora::ucDateTimePicker* ucDateTime;
  QLabel* Label1;
  QPushButton* cmdOK;
  QPushButton* cmdCancel;

  // The time of day appended to a picked date; empty until one is known.
  QString mstrTime;

 protected:
  // `clock` gives now (the picker's today too); empty for the machine's clock.
  AttributeDialog(PaneState& state, velmora::ucDateTimePicker::Clock clock, QWidget* parent);

  plat::TDateTime Now() const;
  // Shows the picker and its hint, or the text box.
  void ShowPicker(bool picker);
  bool TextShown() const;
  // The picker's day, a blank and mstrTime.
  QString PickedValue() const;
  void Cancel();

  PaneState& state_;
  velmora::ucDateTimePicker::Clock clock_;
};

class frmExifEditAttribute : public AttributeDialog {
  Q_OBJECT

 public:
  explicit frmExifEditAttribute(PaneState& state = gPaneState,
                                velmora::ucDateTimePicker::Clock clock = {},
                                QWidget* parent = nullptr);

  // Shows the pane's name and value. A date attribute's value that does not read as a date
  // raises shell::AppError for the pane's edit routine to report.
  void subSetup();

  QLineEdit* txtAttribute;

 private:
  void cmdOK_Click();
};

class frmExifNewAttribute : public AttributeDialog {
  Q_OBJECT

 public:
  // `lvExif` is the pane's EXIF list: attributes it already has a row for are not offered.
  explicit frmExifNewAttribute(const QTreeWidget* lvExif, PaneState& state = gPaneState,
                               velmora::ucDateTimePicker::Clock clock = {},
                               QWidget* parent = nullptr);

  void subSetup();

  QComboBox* cmbAttribute;

 private:
  void cmbAttribute_Click(int index);
  void txtValue_Change();
  void ucDateTime_DateChanged();
  void cmdOK_Click();

  const QTreeWidget* lvExif_;
};

}  // namespace metadata
