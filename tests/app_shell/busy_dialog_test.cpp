#include <gtest/gtest.h>

#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <stdexcept>

#include "app/shell/busy_dialog.h"

namespace {

using namespace shell;

QString ItemName(int i) {
  return QStringLiteral("item %1.tif").arg(i + 1);
}

// Ten items under the busy dialog; `during` runs inside the processing of the item it names.
struct TenItems {
  int pressAt = -1;
  std::function<void(frmStatus&)> press;
  std::vector<int> processed;
  std::vector<QString> messages;
  QString statusAfterPress;
  QString messageAfterPress;
  bool cancelEnabledAfterPress = true;
  QPointer<frmStatus> dialog;
  bool wasVisible = false;

  bool Run(QWidget* owner) {
    return RunWithBusyDialog(owner, 10, ItemName, [this](int i, frmStatus& status) {
      dialog = &status;
      wasVisible = status.isVisible();
      messages.push_back(status.lblMessage->text());
      if (i == pressAt) {
        press(status);
        statusAfterPress = status.lblStatus->text();
        messageAfterPress = status.lblMessage->text();
        cancelEnabledAfterPress = status.cmdCancel->isEnabled();
      }
      processed.push_back(i);
    });
  }
};

std::vector<int> FirstItems(int n) {
  std::vector<int> items(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) items[static_cast<size_t>(i)] = i;
  return items;
}

class BusyDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    owner_.show();
    gbCancel = false;
  }
  QWidget owner_;
};

TEST_F(BusyDialogTest, ShowsItsCaptionAndTextsWithoutBlockingOverItsOwner) {
  frmStatus dialog(&owner_);
  EXPECT_EQ(dialog.windowTitle(), "Processing...");
  EXPECT_EQ(dialog.lblStatus->text(), "Please wait..... your request is being processed");
  EXPECT_EQ(dialog.cmdCancel->text(), "Cancel");
  EXPECT_TRUE(dialog.cmdCancel->isDefault());
  EXPECT_FALSE(dialog.isModal());
  EXPECT_EQ(dialog.parentWidget(), &owner_);
}

TEST_F(BusyDialogTest, CancelDuringTheThirdItemFinishesItStopsAndTheNextRunDoesAll) {
  TenItems first;
  first.pressAt = 2;
  first.press = [](frmStatus& s) { QTest::mouseClick(s.cmdCancel, Qt::LeftButton); };
  EXPECT_FALSE(first.Run(&owner_));
  EXPECT_EQ(first.processed, FirstItems(3));
  EXPECT_EQ(first.messages, (std::vector<QString>{"item 1.tif", "item 2.tif", "item 3.tif"}));
  EXPECT_EQ(first.statusAfterPress, "Please wait...... cancelling operaration");
  EXPECT_EQ(first.messageAfterPress, "Cancelling...");
  EXPECT_FALSE(first.cancelEnabledAfterPress);
  EXPECT_TRUE(first.wasVisible);
  EXPECT_FALSE(gbCancel);
  EXPECT_TRUE(first.dialog.isNull()) << "the dialog is unloaded";

  TenItems second;
  EXPECT_TRUE(second.Run(&owner_));
  EXPECT_EQ(second.processed, FirstItems(10));
}

TEST_F(BusyDialogTest, EnterPressesCancelAndEscapeDoesNothing) {
  TenItems run;
  run.pressAt = 2;
  run.press = [](frmStatus& s) {
    QTest::keyClick(&s, Qt::Key_Escape);
    EXPECT_FALSE(gbCancel);
    EXPECT_TRUE(s.isVisible());
    QTest::keyClick(&s, Qt::Key_Return);
  };
  EXPECT_FALSE(run.Run(&owner_));
  EXPECT_EQ(run.processed, FirstItems(3));
}

TEST_F(BusyDialogTest, FlagLeftSetBeforeARunDoesNotStopIt) {
  gbCancel = true;
  TenItems run;
  EXPECT_TRUE(run.Run(&owner_));
  EXPECT_EQ(run.processed, FirstItems(10));
}

// The caller's own request is asked after the yield, as Cancel is: it stops before the next item.
TEST_F(BusyDialogTest, CallersOwnRequestStopsBeforeTheNextItem) {
  bool requested = false;
  std::vector<int> processed;
  int asked = 0;
  EXPECT_FALSE(RunWithBusyDialog(
      &owner_, 10, ItemName,
      [&](int i, frmStatus&) {
        processed.push_back(i);
        if (i == 3) requested = true;
      },
      [&] {
        ++asked;
        return requested;
      }));
  EXPECT_EQ(processed, FirstItems(4));
  EXPECT_EQ(asked, 5);
  EXPECT_FALSE(gbCancel);
}

TEST_F(BusyDialogTest, FailingItemStillUnloadsTheDialog) {
  QPointer<frmStatus> seen;
  EXPECT_THROW(RunWithBusyDialog(&owner_, 10, ItemName,
                                 [&](int, frmStatus& status) {
                                   seen = &status;
                                   throw std::runtime_error("item failed");
                                 }),
               std::runtime_error);
  EXPECT_TRUE(seen.isNull());
}

}  // namespace
