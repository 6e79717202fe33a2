#include "app/shell/busy_dialog.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace shell {

bool gbCancel = false;

namespace {

void YieldToMessageLoop() {
  QCoreApplication::processEvents();
}

}  // namespace

frmStatus::frmStatus(QWidget* owner)
    : QDialog(owner),
      lblStatus(new QLabel(QStringLiteral("Please wait..... your request is being processed"))),
      lblMessage(new QLabel),
      pbQueue(new QProgressBar),
      cmdCancel(new QPushButton(QStringLiteral("Cancel"))) {
  setWindowTitle(QStringLiteral("Processing..."));
  setModal(false);
  lblMessage->setMinimumWidth(320);
  pbQueue->setTextVisible(false);
  cmdCancel->setDefault(true);
  cmdCancel->setAutoDefault(true);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(cmdCancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(lblStatus);
  layout->addWidget(lblMessage);
  layout->addWidget(pbQueue);
  layout->addLayout(buttons);
  connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
}

// The work in flight may take seconds to finish: the dialog says at once that the press was
// taken, and a second press has nothing left to ask.
void frmStatus::cmdCancel_Click() {
  lblStatus->setText(QStringLiteral("Please wait...... cancelling operaration"));
  lblMessage->setText(QStringLiteral("Cancelling..."));
  cmdCancel->setEnabled(false);
  repaint();
  YieldToMessageLoop();
  gbCancel = true;
}

BusyDialogSession::BusyDialogSession(QWidget* owner) : dialog_(std::make_unique<frmStatus>(owner)) {
  dialog_->show();
}

BusyDialogSession::~BusyDialogSession() {
  dialog_->hide();
}

bool RunWithBusyDialog(QWidget* owner, int count, const std::function<QString(int)>& itemText,
                       const std::function<void(int, frmStatus&)>& processItem,
                       const std::function<bool()>& stopRequested) {
  // A Cancel pressed after the last check of an earlier operation must not stop this one.
  gbCancel = false;
  BusyDialogSession session(owner);
  for (int i = 0; i < count; ++i) {
    session.Dialog().lblMessage->setText(itemText(i));
    YieldToMessageLoop();
    if (gbCancel) {
      gbCancel = false;
      return false;
    }
    if (stopRequested && stopRequested()) return false;
    processItem(i, session.Dialog());
  }
  return true;
}

}  // namespace shell
