// The settings dialog: the thumbnail boxes' entry rules, what OK writes into the settings record
// and in which state it asks the main window to apply them, Cancel, the tabs and the folder
// pickers.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include "app/shell/errors.h"
#include "app/shell/settings.h"
#include "app/shell/settings_dialog.h"
#include "modal_helper.h"
#include "recording_ui.h"

namespace {

using namespace shell;

class SettingsDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    QCoreApplication::setApplicationName("VelmoraJPEG2000B");
    subLoadSetup();
    gSetup = DefaultSetupRecord();
    dialog_ = std::make_unique<frmSettings>(nullptr, [this] {
      ++updates_;
      atUpdate_ = gSetup;
    });
    dialog_->subSetup();
    dialog_->show();
    QApplication::setActiveWindow(dialog_.get());
    QApplication::processEvents();
  }
  void TearDown() override {
    dialog_.reset();
    subDeleteSetup();
  }

  // Types into the box from an empty start, then moves the focus on.
  void TypeAndLeave(QLineEdit* box, const QString& keys) {
    box->setFocus();
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Delete);
    QTest::keyClicks(box, keys);
    dialog_->chkAllowTip->setFocus();
    QApplication::processEvents();
  }

  RecordingUi ui_;
  std::unique_ptr<frmSettings> dialog_;
  int updates_ = 0;
  SetupRecord atUpdate_;
};

TEST_F(SettingsDialogTest, OpensWithTheRecordsValuesAndTheFixedShortcuts) {
  EXPECT_EQ(dialog_->windowTitle(), "Settings");
  EXPECT_TRUE(dialog_->chkAllowTip->isChecked());
  EXPECT_EQ(dialog_->txtFolderThumbnailWidth->text(), "40");
  EXPECT_TRUE(dialog_->optFileSize[0]->isChecked());
  EXPECT_FALSE(dialog_->chkFolderFullRowSelect->isChecked());
  EXPECT_TRUE(dialog_->cmdOK->isDefault());
  QTreeWidget* list = dialog_->lvShortcuts;
  ASSERT_EQ(list->topLevelItemCount(), 3);
  const char* expected[3][2] = {{"Add Selected Files to basket", "Enter [Return]"},
                                {"Select all files", "Ctrl + A"},
                                {"Delete selected files from basket", "Delete"}};
  for (int row = 0; row < 3; ++row) {
    EXPECT_EQ(list->topLevelItem(row)->text(0), expected[row][0]);
    EXPECT_EQ(list->topLevelItem(row)->text(1), expected[row][1]);
  }
  EXPECT_TRUE(dialog_->picGeneral->isVisible());
  EXPECT_FALSE(dialog_->picShortcuts->isVisible());
}

TEST_F(SettingsDialogTest, LeavingAThumbnailBoxClampsItsValue) {
  const std::pair<const char*, const char*> cases[] = {
      {"500", "300"}, {"5", "20"},  {"0", "20"},   {"99999", "300"},
      {"300", "300"}, {"20", "20"}, {"123", "123"}};
  for (QLineEdit* box : {dialog_->txtFolderThumbnailWidth, dialog_->txtFolderThumbnailHeight})
    for (const auto& [typed, shown] : cases) {
      TypeAndLeave(box, QString::fromLatin1(typed));
      EXPECT_EQ(box->text(), shown) << typed;
    }
}

TEST_F(SettingsDialogTest, LettersAreDroppedAndAnEmptiedBoxShowsTwentySelected) {
  QLineEdit* box = dialog_->txtFolderThumbnailWidth;
  box->setFocus();
  QApplication::processEvents();
  EXPECT_FALSE(box->hasSelectedText()) << "focus puts the caret at the end";
  EXPECT_EQ(box->cursorPosition(), 2);
  QTest::keyClick(box, Qt::Key_Backspace);
  QTest::keyClick(box, Qt::Key_Backspace);
  EXPECT_EQ(box->text(), "20");
  EXPECT_EQ(box->selectedText(), "20");
  QTest::keyClicks(box, "7x");
  EXPECT_EQ(box->text(), "7");
  box->selectAll();
  box->insert("a1b2");  // as a paste does
  EXPECT_EQ(box->text(), "12");
}

TEST_F(SettingsDialogTest, OkWritesTheListOptionsToBothListsBeforeApplyingThem) {
  gSetup.BasketListOptions.ThumbnailWidth = 77;
  gSetup.BasketListOptions.FullRowSelect = false;
  dialog_->chkAllowTip->setChecked(false);
  dialog_->chkFolderFullRowSelect->setChecked(true);
  dialog_->optFileSize[1]->setChecked(true);
  TypeAndLeave(dialog_->txtFolderThumbnailWidth, "120");
  TypeAndLeave(dialog_->txtFolderThumbnailHeight, "90");
  QTest::mouseClick(dialog_->cmdOK, Qt::LeftButton);
  EXPECT_EQ(updates_, 1);
  EXPECT_EQ(dialog_->result(), QDialog::Accepted);
  const SetupRecord& r = atUpdate_;
  EXPECT_EQ(r.TooltipOptions.ShowTooltips, 0);
  EXPECT_EQ(r.FolderListOptions.FileSizeFormat, 1);
  EXPECT_EQ(r.FolderListOptions.ThumbnailWidth, 120);
  EXPECT_EQ(r.FolderListOptions.ThumbnailHeight, 90);
  EXPECT_EQ(r.BasketListOptions.ThumbnailWidth, 120);
  EXPECT_EQ(r.BasketListOptions.ThumbnailHeight, 90);
  EXPECT_TRUE(r.FolderListOptions.FullRowSelect);
  EXPECT_TRUE(r.BasketListOptions.FullRowSelect);
}

TEST_F(SettingsDialogTest, ShortFileSizeStoresZeroAndLongStoresOne) {
  for (int option : {1, 0}) {
    dialog_->optFileSize[option]->setChecked(true);
    gSetup.FolderListOptions.FileSizeFormat = 9;
    dialog_->cmdOK->click();
    EXPECT_EQ(gSetup.FolderListOptions.FileSizeFormat, option);
  }
}

// Enter reaches OK, the default button, without the box losing its focus: OK clamps too, and a
// value beyond 16 bits does not stop the program.
TEST_F(SettingsDialogTest, ValueConfirmedWithEnterIsClampedByOk) {
  const std::pair<const char*, int16_t> cases[] = {{"5", 20}, {"70000", 300}, {"301", 300}};
  for (const auto& [typed, stored] : cases) {
    QLineEdit* box = dialog_->txtFolderThumbnailHeight;
    box->setFocus();
    box->selectAll();
    QTest::keyClicks(box, QString::fromLatin1(typed));
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_EQ(dialog_->result(), QDialog::Accepted) << typed;
    EXPECT_EQ(gSetup.FolderListOptions.ThumbnailHeight, stored) << typed;
    EXPECT_EQ(gSetup.BasketListOptions.ThumbnailHeight, stored) << typed;
    dialog_->show();
  }
}

TEST_F(SettingsDialogTest, CancelAfterEditsChangesNothing) {
  const std::vector<uint8_t> before = EncodeSetupRecord(gSetup);
  dialog_->chkAllowTip->setChecked(false);
  dialog_->chkFolderFullRowSelect->setChecked(true);
  dialog_->optFileSize[1]->setChecked(true);
  TypeAndLeave(dialog_->txtFolderThumbnailWidth, "250");
  QTest::mouseClick(dialog_->cmdCancel, Qt::LeftButton);
  EXPECT_EQ(dialog_->result(), QDialog::Rejected);
  EXPECT_EQ(updates_, 0);
  EXPECT_EQ(EncodeSetupRecord(gSetup), before);
}

// The scan and capture folders and names show what is in force; OK puts the edits in force,
// Cancel leaves them.
TEST_F(SettingsDialogTest, CaptureAndTwainBoxesShowAndOkSetsTheTargets) {
  gCaptureTarget = {QStringLiteral("/tmp/shots"), QStringLiteral("Shot")};
  gTwainTarget = {QStringLiteral("/tmp/scans"), QStringLiteral("Page")};
  dialog_->subSetup();
  EXPECT_EQ(dialog_->txtCaptureFolder->text(), QStringLiteral("/tmp/shots"));
  EXPECT_EQ(dialog_->txtCaptureGeneric->text(), QStringLiteral("Shot"));
  EXPECT_EQ(dialog_->txtTwainFolder->text(), QStringLiteral("/tmp/scans"));
  EXPECT_EQ(dialog_->txtTwainGeneric->text(), QStringLiteral("Page"));

  dialog_->txtCaptureGeneric->setText(QStringLiteral("Desk"));
  dialog_->txtTwainFolder->setText(QStringLiteral("/tmp/other"));
  QTest::mouseClick(dialog_->cmdCancel, Qt::LeftButton);
  EXPECT_EQ(gCaptureTarget.GenericName, QStringLiteral("Shot"));
  EXPECT_EQ(gTwainTarget.Folder, QStringLiteral("/tmp/scans"));

  dialog_->txtCaptureGeneric->setText(QStringLiteral("Desk"));
  dialog_->txtTwainFolder->setText(QStringLiteral("/tmp/other"));
  QTest::mouseClick(dialog_->cmdOK, Qt::LeftButton);
  EXPECT_EQ(gCaptureTarget.Folder, QStringLiteral("/tmp/shots"));
  EXPECT_EQ(gCaptureTarget.GenericName, QStringLiteral("Desk"));
  EXPECT_EQ(gTwainTarget.Folder, QStringLiteral("/tmp/other"));
  EXPECT_EQ(gTwainTarget.GenericName, QStringLiteral("Page"));
}

TEST_F(SettingsDialogTest, EachTabShowsOnlyItsPaneAndAllKeepTheGeneralPanesPlace) {
  QWidget* panes[] = {dialog_->picGeneral, dialog_->picCapture, dialog_->picTwain,
                      dialog_->picShortcuts};
  for (const QSize size : {QSize(420, 330), QSize(640, 480)}) {
    dialog_->resize(size);
    QApplication::processEvents();
    for (int tab = 0; tab < 4; ++tab) {
      QTabBar* tabs = dialog_->tbsSettings;
      QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(tab).center());
      for (int pane = 0; pane < 4; ++pane)
        EXPECT_EQ(panes[pane]->isVisible(), pane == tab) << "tab " << tab << " pane " << pane;
      EXPECT_EQ(panes[tab]->geometry(), dialog_->picGeneral->geometry()) << tab;
    }
    EXPECT_EQ(dialog_->lvShortcuts->geometry(), dialog_->picShortcuts->rect());
    EXPECT_GT(dialog_->picGeneral->width(), size.width() / 2);
  }
}

TEST_F(SettingsDialogTest, BrowsePutsTheChosenFolderInTheBoxAndCancelLeavesIt) {
  QTemporaryDir dir;
  struct Case {
    QLineEdit* box;
    QPushButton* browse;
  };
  for (const Case& c : {Case{dialog_->txtCaptureFolder, dialog_->cmdCaptureBrowse},
                        Case{dialog_->txtTwainFolder, dialog_->cmdTwainBrowse}}) {
    c.box->setText("/keep/this");
    WhenModalOpens([](QDialog* picker) { picker->reject(); });
    c.browse->click();
    EXPECT_EQ(c.box->text(), "/keep/this");
    WhenModalOpens([&dir](QDialog* picker) {
      auto* files = qobject_cast<QFileDialog*>(picker);
      ASSERT_NE(files, nullptr);
      files->setDirectory(dir.path());
      files->selectFile(dir.path());
      picker->accept();
    });
    c.browse->click();
    EXPECT_EQ(QDir::cleanPath(c.box->text()), QDir::cleanPath(dir.path()));
  }
}

// A value the panes cannot show makes the fill fail: the settings file goes (the defaults apply at
// the next start), the error is reported, and the second fill's failure reaches the caller.
TEST_F(SettingsDialogTest, FillFailureDeletesTheFileReportsAndFillsOnceMore) {
  subSaveSetup();
  ASSERT_TRUE(QFile::exists(gstrSetupFile));
  gSetup.FolderListOptions.FileSizeFormat = 7;
  gstrErrorRoutine.clear();
  WhenModalOpens([](QDialog* report) { report->done(0); });
  frmSettings dialog(nullptr, {});
  EXPECT_ANY_THROW(dialog.subSetup());
  EXPECT_EQ(gstrErrorRoutine, "frmSettings.subSetup");
  EXPECT_FALSE(QFile::exists(gstrSetupFile));
  EXPECT_EQ(gSetup.FolderListOptions.FileSizeFormat, 7) << "the record in memory stays";
}

}  // namespace
