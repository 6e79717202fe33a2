#include "app/metadata/attribute_dialogs.h"

#include <QComboBox>
#include <QDate>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTime>
#include <QTreeWidget>

#include "app/metadata/metadata_dates.h"
#include "app/metadata/metadata_lists.h"
#include "app/metadata/metadata_tables.h"
#include "app/shell/errors.h"
#include "app/shell/text_entry.h"

namespace metadata {

namespace {

constexpr int32_t kErrTypeMismatch = 13;
constexpr int kMillisecondsPerDay = 24 * 60 * 60 * 1000;
// The picker shows the date the way its hint spells it.
const char* const kPickerFormat = "mm/dd/yyyy";

}  // namespace

QString ShownDay(plat::TDateTime date) {
  return ShownExifDate(date).section(u' ', 0, 0);
}

QString ShownTimeOfDay(plat::TDateTime date) {
  return ShownExifDate(date).section(u' ', 1);
}

// --- Shared ---

AttributeDialog::AttributeDialog(PaneState& state, velmora::ucDateTimePicker::Clock clock,
                                 QWidget* parent)
    : QDialog(parent), state_(state), clock_(std::move(clock)) {
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  setAttribute(Qt::WA_DeleteOnClose, false);
  lblAttribute = new QLabel(this);
  lblValue = new QLabel(QStringLiteral("Value"), this);
  txtValue = new QLineEdit(this);
  ucDateTime = new velmora::ucDateTimePicker(this, clock_);
  ucDateTime->SetDescriptionFormat(QString::fromUtf8(kPickerFormat));
  Label1 = new QLabel(QString::fromUtf8(kPickerFormat), this);
  cmdOK = new QPushButton(QStringLiteral("OK"), this);
  cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
  cmdOK->setDefault(true);
  connect(cmdCancel, &QPushButton::clicked, this, &AttributeDialog::Cancel);
}

plat::TDateTime AttributeDialog::Now() const {
  if (clock_) return clock_();
  return velmora::DateFromDay(QDate::currentDate()) +
         static_cast<double>(QTime::currentTime().msecsSinceStartOfDay()) / kMillisecondsPerDay;
}

void AttributeDialog::ShowPicker(bool picker) {
  ucDateTime->setVisible(picker);
  Label1->setVisible(picker);
  txtValue->setVisible(!picker);
}

bool AttributeDialog::TextShown() const {
  return !txtValue->isHidden();
}

QString AttributeDialog::PickedValue() const {
  return ShownDay(ucDateTime->DateSelected()) + u' ' + mstrTime;
}

void AttributeDialog::Cancel() {
  state_.gbAttributeOK = false;
  reject();
}

// --- Edit ---

frmExifEditAttribute::frmExifEditAttribute(PaneState& state, velmora::ucDateTimePicker::Clock clock,
                                           QWidget* parent)
    : AttributeDialog(state, std::move(clock), parent) {
  setWindowTitle(QStringLiteral(" Edit Attribute"));
  setFixedSize(360, 112);
  lblAttribute->setText(QStringLiteral("Attribute"));
  lblAttribute->setGeometry(12, 14, 60, 20);
  txtAttribute = new QLineEdit(this);
  txtAttribute->setReadOnly(true);
  txtAttribute->setGeometry(80, 12, 268, 22);
  lblValue->setGeometry(12, 44, 60, 20);
  txtValue->setGeometry(80, 42, 268, 22);
  ucDateTime->setGeometry(80, 43, 120, velmora::ucDateTimePicker::kHeight);
  Label1->setGeometry(208, 44, 140, 20);
  cmdOK->setGeometry(192, 76, 75, 26);
  cmdCancel->setGeometry(273, 76, 75, 26);
  connect(cmdOK, &QPushButton::clicked, this, &frmExifEditAttribute::cmdOK_Click);
}

void frmExifEditAttribute::subSetup() {
  const QString& name = state_.gstrAttributeName;
  const QString& value = state_.gstrAttributeValue;
  txtAttribute->setText(name);
  txtValue->setText(value);
  if (fncIsEXIFDateAttribute(name) || fncIsIPTCDateAttribute(name)) {
    if (value.isEmpty()) {
      ucDateTime->SetDateSelected(Now());
    } else {
      const std::optional<double> date = ParseShownDate(value);
      if (!date) throw shell::AppError(kErrTypeMismatch, "Type mismatch");
      ucDateTime->SetDateSelected(velmora::DateFromDay(velmora::DayOf(*date)));
      mstrTime = ShownTimeOfDay(*date);
    }
    ShowPicker(true);
  } else {
    shell::subSelectAllText(txtValue);
    ShowPicker(false);
  }
}

void frmExifEditAttribute::cmdOK_Click() {
  QString& value = state_.gstrAttributeValue;
  if (TextShown()) {
    const QString typed = txtValue->text().trimmed();
    state_.gbAttributeOK = typed != value;
    if (state_.gbAttributeOK) value = typed;
  } else {
    const std::optional<double> old = value.isEmpty() ? std::nullopt : ParseShownDate(value);
    state_.gbAttributeOK = !old || ShownDay(*old) != ShownDay(ucDateTime->DateSelected());
    if (state_.gbAttributeOK) value = PickedValue();
  }
  accept();
}

// --- Add ---

frmExifNewAttribute::frmExifNewAttribute(const QTreeWidget* lvExif, PaneState& state,
                                         velmora::ucDateTimePicker::Clock clock, QWidget* parent)
    : AttributeDialog(state, std::move(clock), parent), lvExif_(lvExif) {
  setWindowTitle(QStringLiteral("Add New Attribute"));
  setFixedSize(300, 150);
  lblAttribute->setText(QStringLiteral("Select an Attribute"));
  lblAttribute->setGeometry(12, 8, 276, 20);
  cmbAttribute = new QComboBox(this);
  cmbAttribute->setGeometry(12, 28, 276, 24);
  lblValue->setGeometry(12, 60, 276, 20);
  txtValue->setGeometry(12, 80, 276, 22);
  ucDateTime->setGeometry(12, 81, 120, velmora::ucDateTimePicker::kHeight);
  Label1->setGeometry(140, 82, 148, 20);
  cmdOK->setGeometry(132, 114, 75, 26);
  cmdCancel->setGeometry(213, 114, 75, 26);
  connect(cmbAttribute, &QComboBox::activated, this, &frmExifNewAttribute::cmbAttribute_Click);
  connect(txtValue, &QLineEdit::textChanged, this, &frmExifNewAttribute::txtValue_Change);
  connect(ucDateTime, &velmora::ucDateTimePicker::DateChanged, this,
          &frmExifNewAttribute::ucDateTime_DateChanged);
  connect(cmdOK, &QPushButton::clicked, this, &frmExifNewAttribute::cmdOK_Click);
}

void frmExifNewAttribute::subSetup() {
  for (const QString& name : gstrEditableExifAttributes)
    if (fncIsAttributeNotListed(lvExif_, name)) cmbAttribute->addItem(name);
  if (cmbAttribute->count() == 0) {
    cmbAttribute->addItem(QStringLiteral("No editable attribute to add!"));
    cmbAttribute->setCurrentIndex(0);
    cmbAttribute->setEnabled(false);
  } else {
    // Nothing is chosen until the user picks a name.
    cmbAttribute->setCurrentIndex(-1);
  }
  txtValue->setEnabled(false);
  ucDateTime->SetEnabled(false);
  cmdOK->setEnabled(false);
  ShowPicker(false);
}

void frmExifNewAttribute::cmbAttribute_Click(int index) {
  if (fncIsEXIFDateAttribute(cmbAttribute->itemText(index))) {
    ucDateTime->SetDateSelected(Now());
    ucDateTime->SetEnabled(true);
    ShowPicker(true);
    cmdOK->setEnabled(true);
  } else {
    txtValue->setEnabled(true);
    ShowPicker(false);
    cmdOK->setEnabled(false);
  }
}

void frmExifNewAttribute::txtValue_Change() {
  cmdOK->setEnabled(!txtValue->text().trimmed().isEmpty());
}

void frmExifNewAttribute::ucDateTime_DateChanged() {
  mstrTime = ShownTimeOfDay(Now());
}

void frmExifNewAttribute::cmdOK_Click() {
  if (TextShown()) {
    state_.gstrAttributeValue = txtValue->text().trimmed();
  } else {
    if (mstrTime.isEmpty()) mstrTime = ShownTimeOfDay(Now());
    state_.gstrAttributeValue = PickedValue();
  }
  state_.gstrAttributeName = cmbAttribute->currentText();
  state_.gbAttributeOK = true;
  accept();
}

}  // namespace metadata
