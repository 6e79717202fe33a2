#include "app/metadata/iptc_list_dialogs.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "app/metadata/control_text.h"
#include "app/shell/errors.h"
#include "control/activex/imagebox_interface.h"
#include "platform/com/control_host.h"

namespace metadata {

namespace {

using pictavo::ax::ImageBoxProxy;

constexpr int kListHeight = 150;
constexpr int kNoUrgency = 0;
const char* const kNoUrgencyText = "None";

bool HoldsImage(const ImageBoxProxy& box) {
  return plat::com::IsTrue(box.get_ImageLoaded());
}

}  // namespace

// --- Shared ---

IptcListDialog::IptcListDialog(IptcListPane& pane, int top, QWidget* parent)
    : QDialog(parent), pane_(pane) {
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  const int bottom = top + kListHeight;
  setFixedSize(310, bottom + 44);
  list_ = new QListWidget(this);
  list_->setGeometry(12, top, 200, kListHeight);
  text_ = new QLineEdit(this);
  text_->setGeometry(12, bottom + 8, 140, 24);
  add_ = new QPushButton(QStringLiteral("Add"), this);
  add_->setGeometry(158, bottom + 7, 54, 26);
  delete_ = new QPushButton(QStringLiteral("Delete"), this);
  delete_->setGeometry(222, top, 76, 26);
  cmdOK = new QPushButton(QStringLiteral("OK"), this);
  cmdOK->setGeometry(222, bottom - 24, 76, 26);
  cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
  cmdCancel->setGeometry(222, bottom + 7, 76, 26);
  connect(add_, &QPushButton::clicked, this, &IptcListDialog::AddEntry);
  connect(delete_, &QPushButton::clicked, this, &IptcListDialog::DeleteEntry);
  connect(cmdOK, &QPushButton::clicked, this, &IptcListDialog::Confirm);
  connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
}

QStringList IptcListDialog::Entries() const {
  QStringList entries;
  for (int i = 0; i < list_->count(); ++i) entries << list_->item(i)->text();
  return entries;
}

void IptcListDialog::AddEntry() {
  if (text_->text().isEmpty()) return;
  list_->addItem(text_->text());
  text_->clear();
}

void IptcListDialog::DeleteEntry() {
  if (QListWidgetItem* selected = list_->currentItem();
      selected != nullptr && selected->isSelected())
    delete selected;
}

void IptcListDialog::Confirm() {
  hide();
  HandToPane();
  accept();
}

// --- Keywords ---

frmIPTCKeywords::frmIPTCKeywords(IptcListPane& pane, QWidget* parent)
    : IptcListDialog(pane, 12, parent),
      lstKeywords(list_),
      txtKeywordAdd(text_),
      cmdAddKeyword(add_),
      cmdDelKeyword(delete_) {
  setWindowTitle(QStringLiteral("Keywords"));
}

void frmIPTCKeywords::subSetup(plat::com::ControlHost* control) {
  shell::Trap(shell::Routine::IptcDialog_subSetup, [&] {
    const ImageBoxProxy box = Box(control);
    if (!HoldsImage(box)) return;
    lstKeywords->clear();
    const int32_t count = box.get_FFO_KeywordsCount();
    for (int32_t i = 0; i < count; ++i) lstKeywords->addItem(Text(box.get_FFO_Keywords(i)));
  });
}

void frmIPTCKeywords::HandToPane() {
  pane_.subUpdateIPTC_Keywords(Entries());
}

// --- Supplemental categories and urgency ---

frmIPTCCategory::frmIPTCCategory(IptcListPane& pane, QWidget* parent)
    : IptcListDialog(pane, 28, parent),
      lstSupCats(list_),
      txtSupCatAdd(text_),
      cmdAddSupCat(add_),
      cmdDelSupCat(delete_) {
  setWindowTitle(QStringLiteral("Add Supplementaty Categories"));
  lblSupCat = new QLabel(QStringLiteral("Supplemental Categories:"), this);
  lblSupCat->setGeometry(12, 6, 200, 20);
  lblUrgency = new QLabel(QStringLiteral("Urgency:"), this);
  lblUrgency->setGeometry(222, 64, 76, 20);
  cboUrgency = new QComboBox(this);
  cboUrgency->setGeometry(222, 84, 76, 24);
}

void frmIPTCCategory::subSetup(plat::com::ControlHost* control) {
  shell::Trap(shell::Routine::IptcDialog_subSetup, [&] {
    cboUrgency->clear();
    lstSupCats->clear();
    for (int urgency = 1; urgency <= 8; ++urgency) cboUrgency->addItem(QString::number(urgency));
    cboUrgency->addItem(QString::fromUtf8(kNoUrgencyText));
    cboUrgency->setCurrentText(QString::fromUtf8(kNoUrgencyText));
    const ImageBoxProxy box = Box(control);
    if (!HoldsImage(box)) return;
    const int32_t count = box.get_FFO_SuppCatCount();
    for (int32_t i = 0; i < count; ++i) lstSupCats->addItem(Text(box.get_FFO_SuppCat(i)));
    const int32_t urgency = box.get_FFO_Urgency();
    const QString shown =
        urgency == kNoUrgency ? QString::fromUtf8(kNoUrgencyText) : QString::number(urgency);
    // An urgency outside 1 to 8 gets an entry of its own, so that OK keeps it.
    if (cboUrgency->findText(shown) < 0) cboUrgency->addItem(shown);
    cboUrgency->setCurrentText(shown);
  });
}

void frmIPTCCategory::HandToPane() {
  pane_.subUpdateIPTC_Category(Entries(), cboUrgency->currentText());
}

}  // namespace metadata
