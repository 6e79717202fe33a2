#pragma once
// The small modeless dialog that long basket operations show while they run, and the cancel flag
// its Cancel button sets. Cancel stops nothing by itself: the running loop sees the flag at its
// next item.
#include <QDialog>
#include <functional>
#include <memory>

class QLabel;
class QProgressBar;
class QPushButton;

namespace shell {

extern bool gbCancel;

class frmStatus : public QDialog {
 public:
  explicit frmStatus(QWidget* owner);

  QLabel* lblStatus;
  QLabel* lblMessage;
  QProgressBar* pbQueue;
  QPushButton* cmdCancel;

  void cmdCancel_Click();

 protected:
  // Only the running operation closes the dialog; Escape and the window's close box do not.
  void reject() override {}
};

// Shows the dialog without blocking for as long as it lives, and unloads it on every way out.
class BusyDialogSession {
 public:
  explicit BusyDialogSession(QWidget* owner);
  ~BusyDialogSession();
  frmStatus& Dialog() { return *dialog_; }

 private:
  std::unique_ptr<frmStatus> dialog_;
};

// Runs count items under the busy dialog: for each, shows itemText(i) in lblMessage, yields to
// the message loop, and stops (clearing the flag) when Cancel was pressed; otherwise runs
// processItem(i, dialog). A flag left over from an earlier operation is cleared at the start.
// stopRequested, when given, is asked at the same point: a caller's own cancel request (which it
// clears itself) stops the run as Cancel does. Returns false when cancelled.
bool RunWithBusyDialog(QWidget* owner, int count, const std::function<QString(int)>& itemText,
                       const std::function<void(int, frmStatus&)>& processItem,
                       const std::function<bool()>& stopRequested = {});

}  // namespace shell
