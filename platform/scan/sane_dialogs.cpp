#include "platform/scan/sane_dialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace plat::scan {

namespace {

constexpr char kOptionProperty[] = "saneOption";

// The settings every scanning program puts first, in this order.
const std::vector<std::string>& UsualOptions() {
  static const std::vector<std::string> names = {
      "source", "mode", "resolution", "x-resolution", "y-resolution", "tl-x",
      "tl-y",   "br-x", "br-y",       "brightness",   "contrast",     "threshold"};
  return names;
}

QString UnitSuffix(SANE_Unit unit) {
  switch (unit) {
    case SANE_UNIT_PIXEL:
      return QStringLiteral(" px");
    case SANE_UNIT_BIT:
      return QStringLiteral(" bit");
    case SANE_UNIT_MM:
      return QStringLiteral(" mm");
    case SANE_UNIT_DPI:
      return QStringLiteral(" dpi");
    case SANE_UNIT_PERCENT:
      return QStringLiteral(" %");
    case SANE_UNIT_MICROSECOND:
      return QStringLiteral(" \u00b5s");
    default:
      return {};
  }
}

// An option a user sets in one field: one value, or a text chosen from a list.
bool IsSimple(const TSaneOptions& options, int index) {
  const SANE_Option_Descriptor* d = options.Descriptor(index);
  if (!d || !SANE_OPTION_IS_ACTIVE(d->cap) || !SANE_OPTION_IS_SETTABLE(d->cap)) return false;
  if (d->type == SANE_TYPE_STRING) return d->constraint_type == SANE_CONSTRAINT_STRING_LIST;
  return options.IsSimpleNumber(index);
}

}  // namespace

int ChooseSourceDialog(const QStringList& names, int current, QWidget* parent) {
  QDialog dialog(parent);
  dialog.setWindowTitle(QStringLiteral("Select Source"));
  auto* layout = new QVBoxLayout(&dialog);
  auto* list = new QListWidget(&dialog);
  list->setObjectName(QStringLiteral("sources"));
  list->addItems(names);
  list->setCurrentRow(std::clamp(current, 0, static_cast<int>(names.size()) - 1));
  layout->addWidget(list);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  layout->addWidget(buttons);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  QObject::connect(list, &QListWidget::itemDoubleClicked, &dialog, &QDialog::accept);
  if (dialog.exec() != QDialog::Accepted) return -1;
  return list->currentRow();
}

TSourceDialog::TSourceDialog(TSaneOptions& options, const QString& title, QWidget* parent,
                             std::function<void()> on_scan, std::function<void()> on_cancel)
    : QDialog(parent),
      options_(options),
      on_scan_(std::move(on_scan)),
      on_cancel_(std::move(on_cancel)) {
  setWindowTitle(title);
  auto* layout = new QVBoxLayout(this);
  auto* buttons = new QDialogButtonBox(this);
  QPushButton* scan = buttons->addButton(QStringLiteral("Scan"), QDialogButtonBox::AcceptRole);
  scan->setObjectName(QStringLiteral("Scan"));
  scan->setDefault(true);
  QPushButton* cancel = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
  cancel->setObjectName(QStringLiteral("Cancel"));
  connect(scan, &QPushButton::clicked, this, [this] {
    ApplyAll();
    hide();
    on_scan_();
  });
  connect(cancel, &QPushButton::clicked, this, &TSourceDialog::reject);
  layout->addWidget(buttons);
  Rebuild();
}

void TSourceDialog::reject() {
  hide();
  on_cancel_();
}

void TSourceDialog::Rebuild() {
  delete form_;
  form_ = new QWidget(this);
  auto* form = new QFormLayout(form_);
  std::vector<int> usual;
  for (const std::string& name : UsualOptions())
    if (const int index = options_.Find(name); index >= 0) usual.push_back(index);
  for (const int index : usual) AddOption(*form, index);
  for (int index = 1; index < options_.Count(); ++index) {
    const SANE_Option_Descriptor* d = options_.Descriptor(index);
    const bool advanced = d && (d->cap & SANE_CAP_ADVANCED);
    if (!advanced && std::find(usual.begin(), usual.end(), index) == usual.end())
      AddOption(*form, index);
  }
  static_cast<QVBoxLayout*>(layout())->insertWidget(0, form_);
}

void TSourceDialog::AddOption(QFormLayout& form, int index) {
  if (!IsSimple(options_, index)) return;
  QWidget* editor = EditorOf(index);
  const SANE_Option_Descriptor* d = options_.Descriptor(index);
  editor->setObjectName(QString::fromUtf8(d->name ? d->name : ""));
  editor->setProperty(kOptionProperty, index);
  if (d->desc) editor->setToolTip(QString::fromUtf8(d->desc));
  form.addRow(QString::fromUtf8(d->title ? d->title : ""), editor);
}

QWidget* TSourceDialog::EditorOf(int index) {
  const SANE_Option_Descriptor& d = *options_.Descriptor(index);
  if (d.type == SANE_TYPE_STRING) {
    auto* combo = new QComboBox(form_);
    for (const std::string& s : options_.Strings(index)) combo->addItem(QString::fromStdString(s));
    combo->setCurrentText(QString::fromStdString(options_.Text(index).value_or("")));
    // A new mode or source changes what else the device offers.
    connect(combo, &QComboBox::activated, this, &TSourceDialog::ApplyAndRebuild);
    return combo;
  }
  const double value = options_.Number(index).value_or(0);
  if (d.type == SANE_TYPE_BOOL) {
    auto* check = new QCheckBox(form_);
    check->setChecked(value != 0);
    connect(check, &QCheckBox::toggled, this, &TSourceDialog::ApplyAndRebuild);
    return check;
  }
  const std::vector<double> words = options_.Words(index);
  if (!words.empty()) {
    auto* combo = new QComboBox(form_);
    for (const double w : words) combo->addItem(QString::number(w) + UnitSuffix(d.unit), w);
    combo->setCurrentIndex(std::max(0, combo->findData(value)));
    combo->setProperty("numbers", true);
    return combo;
  }
  auto* spin = new QDoubleSpinBox(form_);
  spin->setDecimals(d.type == SANE_TYPE_FIXED ? 2 : 0);
  spin->setSuffix(UnitSuffix(d.unit));
  const auto range = options_.Range(index);
  spin->setRange(range ? range->min : -1e9, range ? range->max : 1e9);
  if (range && range->step > 0) spin->setSingleStep(range->step);
  spin->setValue(value);
  return spin;
}

// Writes what the fields show, in the order of the form, where it differs from the device.
void TSourceDialog::ApplyAll() {
  const QList<QWidget*> editors = form_->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
  for (QWidget* editor : editors) {
    const QVariant property = editor->property(kOptionProperty);
    if (!property.isValid()) continue;
    const int index = property.toInt();
    if (auto* combo = qobject_cast<QComboBox*>(editor)) {
      if (combo->property("numbers").toBool()) {
        const double wanted = combo->currentData().toDouble();
        if (options_.Number(index) != wanted) options_.SetNumber(index, wanted);
      } else if (options_.Text(index) != combo->currentText().toStdString()) {
        options_.SetText(index, combo->currentText().toStdString());
      }
    } else if (auto* check = qobject_cast<QCheckBox*>(editor)) {
      if ((options_.Number(index).value_or(0) != 0) != check->isChecked())
        options_.SetNumber(index, check->isChecked() ? 1 : 0);
    } else if (auto* spin = qobject_cast<QDoubleSpinBox*>(editor)) {
      const auto current = options_.Number(index);
      if (!current || std::fabs(*current - spin->value()) > 1e-9)
        options_.SetNumber(index, spin->value());
    }
  }
}

void TSourceDialog::ApplyAndRebuild() {
  ApplyAll();
  // Later, so the field that called is not deleted under its own signal.
  QTimer::singleShot(0, this, &TSourceDialog::Rebuild);
}

}  // namespace plat::scan
