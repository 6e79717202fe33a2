// The batch options dialog on the offscreen platform: what it shows, what it stores and when,
// and what it refuses.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFrame>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "app/output/batch_options_dialog.h"
#include "app/shell/settings.h"
#include "app_shell/modal_helper.h"
#include "app_shell/recording_ui.h"

namespace {

using output::frmSaveSinglePage;

auto& Options() {
  return shell::gSetup.BatchNamingOptions;
}

class BatchOptionsDialog : public testing::Test {
 protected:
  void SetUp() override {
    shell::gSetup = shell::SetupRecord{};
    Options().Jpeg2000 = {1, 7};
    Options().Jpeg2000Format = 1;
    Options().Prefix = "[EXIF Date]";
    Options().Suffix = "Proof";
    Options().Separator1 = "[WhiteSpace]";
    Options().Separator2 = "=";
    Options().RenameMode = 1;
    Options().GenericName = "Holiday";
    Options().CounterStart = "[Starting 1001]";
    Options().DestinationMode = 1;
    Options().DestinationFolder = folder_.path();
    Options().Overwrite = 0;
    Options().ProcessTaskBasket = 1;
    dialog_ = std::make_unique<frmSaveSinglePage>();
    dialog_->show();
    dialog_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog_.get()));
  }

  // Types text key by key into box, as the user would.
  static void Type(QWidget* box, const QString& text) {
    box->setFocus();
    QTest::keyClicks(box, text);
  }

  QTemporaryDir folder_;
  RecordingUi ui_;
  std::unique_ptr<frmSaveSinglePage> dialog_;
};

TEST_F(BatchOptionsDialog, ShowsEveryStoredValue) {
  frmSaveSinglePage& d = *dialog_;
  EXPECT_EQ(d.windowTitle(), "Save JPEG2000 in batch mode");
  EXPECT_EQ(d.cboJPEG2000->currentText(), "JPEG2000 JPC");
  EXPECT_TRUE(d.optJPG2000Compression[1]->isChecked());
  EXPECT_TRUE(d.picFrameJPG2000Lossy->isVisible());
  EXPECT_EQ(d.sldJPEG2000Compression->value(), 7);
  EXPECT_EQ(d.txtJPG2000Compression->text(), "7");
  EXPECT_EQ(d.txtJPG2000CompressionD->value(), 7);
  EXPECT_TRUE(d.OptName[1]->isChecked());
  EXPECT_EQ(d.cboRenamePrefix->currentText(), "[EXIF Date]");
  EXPECT_EQ(d.cboRenamePrefix->count(), 25);
  EXPECT_EQ(d.cboRenameSuffix->currentText(), "Proof");
  EXPECT_EQ(d.cboSeparator1->currentText(), "[WhiteSpace]");
  EXPECT_EQ(d.cboSeparator2->currentText(), "=");
  EXPECT_EQ(d.cboSeparator2->count(), 10);
  EXPECT_EQ(d.txtRenameGeneric->text(), "Holiday");
  EXPECT_EQ(d.cboRenameGeneric->currentText(), "[Starting 1001]");
  EXPECT_TRUE(d.optDestinationFolder[1]->isChecked());
  EXPECT_EQ(d.txtDestinationFolder->text(), folder_.path());
  EXPECT_FALSE(d.chkOverwrite->isChecked());
  EXPECT_TRUE(d.chkProcessEditingList->isChecked());
  EXPECT_EQ(d.cmdCancel->text(), "E&xit");
  EXPECT_EQ(d.OptName[2]->text(), "Generic ");
  EXPECT_EQ(d.optJPG2000Compression[0]->text(), "Loseless");
}

TEST_F(BatchOptionsDialog, ClicksStoreAtOnceAndExitKeepsThem) {
  frmSaveSinglePage& d = *dialog_;
  Options().Confirmed = true;
  d.optJPG2000Compression[0]->click();
  EXPECT_EQ(Options().Jpeg2000.Compression, 0);
  EXPECT_FALSE(d.picFrameJPG2000Lossy->isVisible());
  d.OptName[2]->click();
  EXPECT_EQ(Options().RenameMode, 2);
  d.optDestinationFolder[0]->click();
  EXPECT_EQ(Options().DestinationMode, 0);
  d.txtRenameGeneric->setText("Changed");
  QTest::mouseClick(d.cmdCancel, Qt::LeftButton);
  EXPECT_FALSE(d.isVisible());
  EXPECT_FALSE(Options().Confirmed);
  EXPECT_EQ(Options().Jpeg2000.Compression, 0);
  EXPECT_EQ(Options().RenameMode, 2);
  EXPECT_EQ(Options().GenericName, "Holiday");
}

TEST_F(BatchOptionsDialog, NamingModeAndDestinationEnableTheirControls) {
  frmSaveSinglePage& d = *dialog_;
  struct Case {
    int mode;
    bool hybrid, generic;
  } cases[] = {{0, false, false}, {1, true, false}, {2, false, true}};
  for (const Case& c : cases) {
    d.OptName[c.mode]->click();
    for (QWidget* w :
         {static_cast<QWidget*>(d.cboRenamePrefix), static_cast<QWidget*>(d.cboRenameSuffix),
          static_cast<QWidget*>(d.cboSeparator1), static_cast<QWidget*>(d.cboSeparator2)})
      EXPECT_EQ(w->isEnabled(), c.hybrid) << c.mode;
    EXPECT_EQ(d.txtRenameGeneric->isEnabled(), c.generic) << c.mode;
    EXPECT_EQ(d.cboRenameGeneric->isEnabled(), c.generic) << c.mode;
  }
  for (int index : {0, 1}) {
    d.optDestinationFolder[index]->click();
    EXPECT_EQ(d.txtDestinationFolder->isEnabled(), index == 1);
    EXPECT_EQ(d.cmdBrowseFolder->isEnabled(), index == 1);
  }
}

TEST_F(BatchOptionsDialog, TypingFiltersDropWhatTheBoxCannotHold) {
  frmSaveSinglePage& d = *dialog_;
  d.OptName[1]->click();
  for (QComboBox* list : {d.cboRenamePrefix, d.cboRenameSuffix, d.cboSeparator1, d.cboSeparator2}) {
    list->setEditText("");
    Type(list->lineEdit(), "a:b*c?d|e<f>g\"h/i\\j");
    EXPECT_EQ(list->currentText(), "abcdefghij");
  }
  d.OptName[2]->click();
  d.cboRenameGeneric->setEditText("");
  Type(d.cboRenameGeneric->lineEdit(), "1a:2 3");
  EXPECT_EQ(d.cboRenameGeneric->currentText(), "123");
  d.txtJPG2000Compression->setText("1");
  Type(d.txtJPG2000Compression, "x2");
  EXPECT_EQ(d.txtJPG2000Compression->text(), "12");
}

TEST_F(BatchOptionsDialog, RateTrioStaysInStepAndClampsOnFocusLoss) {
  frmSaveSinglePage& d = *dialog_;
  d.sldJPEG2000Compression->setValue(11);
  EXPECT_EQ(d.txtJPG2000Compression->text(), "11");
  EXPECT_EQ(d.txtJPG2000CompressionD->value(), 11);
  d.txtJPG2000CompressionD->setValue(4);
  EXPECT_EQ(d.txtJPG2000Compression->text(), "4");
  EXPECT_EQ(d.sldJPEG2000Compression->value(), 4);
  // An emptied box gets the stored rate back, selected, so the next key replaces it.
  d.txtJPG2000Compression->setFocus();
  d.txtJPG2000Compression->clear();
  EXPECT_EQ(d.txtJPG2000Compression->text(), "7");
  EXPECT_EQ(d.txtJPG2000Compression->selectedText(), "7");
  QTest::keyClicks(d.txtJPG2000Compression, "99");
  EXPECT_EQ(d.txtJPG2000Compression->text(), "99");
  d.cmdStarConversion->setFocus();
  EXPECT_EQ(d.txtJPG2000Compression->text(), "25");
  EXPECT_EQ(d.sldJPEG2000Compression->value(), 25);
  EXPECT_EQ(d.txtJPG2000CompressionD->value(), 25);
}

TEST_F(BatchOptionsDialog, CounterCheckKeepsTheDialogOpenWithStepOneStored) {
  frmSaveSinglePage& d = *dialog_;
  struct Case {
    const char* counter;
    const char* message;  // null: Save goes through
  } cases[] = {{"", "The count variable cannot be empty!"},
               {"4294967296", "Count should be numeric!"},
               {"[Starting 1001]", nullptr},
               {"7", nullptr}};
  for (const Case& c : cases) {
    ui_.messages.clear();
    Options().Confirmed = false;
    d.show();
    d.cboRenameSuffix->setEditText("Late");
    d.cboRenameGeneric->setEditText(c.counter);
    QTest::mouseClick(d.cmdStarConversion, Qt::LeftButton);
    EXPECT_EQ(Options().Suffix, "Late") << c.counter;
    EXPECT_EQ(Options().CounterStart, c.counter) << c.counter;
    if (c.message) {
      ASSERT_EQ(ui_.messages.size(), 1u) << c.counter;
      EXPECT_EQ(ui_.messages[0].text, c.message);
      EXPECT_EQ(ui_.messages[0].icon, shell::MessageIcon::Information);
      EXPECT_TRUE(d.isVisible()) << c.counter;
      EXPECT_FALSE(Options().Confirmed) << c.counter;
    } else {
      EXPECT_TRUE(ui_.messages.empty()) << c.counter;
      EXPECT_FALSE(d.isVisible()) << c.counter;
      EXPECT_TRUE(Options().Confirmed) << c.counter;
    }
  }
}

TEST_F(BatchOptionsDialog, DestinationFolderMustExistAndIsStoredWithOneSlash) {
  frmSaveSinglePage& d = *dialog_;
  const QString missing = folder_.filePath("nowhere");
  struct Case {
    QString typed;
    bool refused;
    QString stored;
  } cases[] = {{"", true, {}},
               {"   ", true, {}},
               {missing, true, {}},
               {" " + folder_.path() + " ", false, folder_.path() + "/"},
               {folder_.path() + "/", false, folder_.path() + "/"}};
  for (const Case& c : cases) {
    ui_.messages.clear();
    Options().Confirmed = false;
    Options().DestinationFolder = "unchanged";
    d.show();
    d.txtDestinationFolder->setText(c.typed);
    QTest::mouseClick(d.cmdStarConversion, Qt::LeftButton);
    if (c.refused) {
      ASSERT_EQ(ui_.messages.size(), 1u) << c.typed.toStdString();
      EXPECT_EQ(ui_.messages[0].text, "The destination folder does not exist!");
      EXPECT_TRUE(d.isVisible());
      EXPECT_EQ(Options().DestinationFolder, "unchanged");
    } else {
      EXPECT_TRUE(Options().Confirmed);
      EXPECT_EQ(Options().DestinationFolder, c.stored);
    }
  }
  // The source folder as destination needs no folder at all.
  d.show();
  d.optDestinationFolder[0]->click();
  d.txtDestinationFolder->setText("");
  ui_.messages.clear();
  QTest::mouseClick(d.cmdStarConversion, Qt::LeftButton);
  EXPECT_TRUE(ui_.messages.empty());
  EXPECT_TRUE(Options().Confirmed);
}

TEST_F(BatchOptionsDialog, BrowseReplacesTheFolderOnlyWithAChosenOne) {
  frmSaveSinglePage& d = *dialog_;
  ASSERT_TRUE(QDir(folder_.path()).mkdir("out"));
  QString title, shownFolder;
  WhenModalOpens([&](QDialog* dialog) {
    auto* files = qobject_cast<QFileDialog*>(dialog);
    ASSERT_NE(files, nullptr);
    title = files->windowTitle();
    shownFolder = files->directory().absolutePath();
    files->selectFile(folder_.filePath("out"));
    dialog->accept();
  });
  d.cmdBrowseFolder->click();
  EXPECT_EQ(title, "Please select a destination folder to save all the files!");
  EXPECT_EQ(shownFolder, QDir(folder_.path()).absolutePath());
  EXPECT_EQ(d.txtDestinationFolder->text(), folder_.filePath("out"));
  WhenModalOpens([](QDialog* dialog) { dialog->reject(); });
  d.cmdBrowseFolder->click();
  EXPECT_EQ(d.txtDestinationFolder->text(), folder_.filePath("out"));
}

TEST_F(BatchOptionsDialog, SaveStoresEveryChoice) {
  frmSaveSinglePage& d = *dialog_;
  d.cboJPEG2000->setCurrentIndex(0);
  d.sldJPEG2000Compression->setValue(3);
  d.chkOverwrite->setChecked(true);
  d.chkProcessEditingList->setChecked(false);
  d.cboRenamePrefix->setCurrentIndex(4);
  d.cboSeparator1->setCurrentIndex(9);
  QTest::mouseClick(d.cmdStarConversion, Qt::LeftButton);
  EXPECT_EQ(Options().Jpeg2000Format, 0);
  EXPECT_EQ(Options().Jpeg2000.Rate, 3);
  EXPECT_EQ(Options().Jpeg2000.Compression, 1);
  EXPECT_EQ(Options().Overwrite, 1);
  EXPECT_EQ(Options().ProcessTaskBasket, 0);
  EXPECT_EQ(Options().Prefix, "[Date Today]");
  EXPECT_EQ(Options().Separator1, "[No Separator]");
  EXPECT_EQ(Options().DestinationFolder, folder_.path() + "/");
  EXPECT_TRUE(Options().Confirmed);
}

}  // namespace
