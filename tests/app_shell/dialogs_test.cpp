#include <gtest/gtest.h>

#include <QColorDialog>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFontDatabase>
#include <QTemporaryDir>
#include <QTest>

#include "app/shell/dialogs.h"
#include "app/shell/errors.h"
#include "modal_helper.h"
#include "platform/graphics/system_colors.h"
#include "recording_ui.h"

namespace {

using namespace shell;

QFileDialog* AsFileDialog(QDialog* dialog) {
  auto* files = qobject_cast<QFileDialog*>(dialog);
  EXPECT_NE(files, nullptr);
  return files;
}

// What the dialog's Open or Save button does.
void Confirm(QFileDialog* files) {
  static_cast<QDialog*>(files)->accept();
}

class FileDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gstrDlgFilter = "Image basket file (*.ibf)|*.ibf|Task basket file (*.tbf)|*.tbf|All files|*.*";
    gstrDlgTitle = "Open Image Basket";
    gstrDlgInitDir = dir_.path();
    glDlgFlags = 5;
    glDlgFilterIndex = 0;
    gstrDlgFileName.clear();
  }
  QTemporaryDir dir_;
};

TEST_F(FileDialogTest, ChosenFilterCarriesOverToTheOtherKindAndCancelKeepsIt) {
  const QString typed =
      dir_.filePath("missing.tbf");  // the open dialog takes names that do not exist
  QStringList shownFilters;
  QString firstSelected;
  WhenModalOpens([&](QDialog* dialog) {
    QFileDialog* files = AsFileDialog(dialog);
    shownFilters = files->nameFilters();
    firstSelected = files->selectedNameFilter();
    EXPECT_EQ(files->windowTitle(), "Open Image Basket");
    EXPECT_EQ(files->acceptMode(), QFileDialog::AcceptOpen);
    files->selectNameFilter(shownFilters.value(1));
    files->selectFile(typed);
    Confirm(files);
  });
  subShowOpenDialog();
  ASSERT_EQ(shownFilters.size(), 3);
  EXPECT_EQ(firstSelected, "Image basket file (*.ibf)");
  EXPECT_EQ(gstrDlgFileName, typed);
  EXPECT_EQ(gstrDlgFileTitle, "missing.tbf");
  EXPECT_EQ(glDlgFilterIndex, 2);

  gstrDlgFileName.clear();
  QString saveSelected;
  WhenModalOpens([&](QDialog* dialog) {
    QFileDialog* files = AsFileDialog(dialog);
    EXPECT_EQ(files->acceptMode(), QFileDialog::AcceptSave);
    saveSelected = files->selectedNameFilter();
    files->selectNameFilter(shownFilters.value(2));  // changed, then cancelled
    files->reject();
  });
  subShowSaveDialog();
  EXPECT_EQ(saveSelected, "Task basket file (*.tbf)");
  EXPECT_TRUE(gstrDlgFileName.isEmpty());
  EXPECT_EQ(glDlgFilterIndex, 2);
}

TEST_F(FileDialogTest, SaveDialogTakesAnExistingFileWithoutAsking) {
  const QString existing = dir_.filePath("kept.ibf");
  QFile(existing).open(QIODevice::WriteOnly);
  WhenModalOpens([&](QDialog* dialog) {
    QFileDialog* files = AsFileDialog(dialog);
    files->selectFile(existing);
    Confirm(files);
    // Any question about overwriting would be a second modal dialog over this one.
    EXPECT_FALSE(QApplication::activeModalWidget() && QApplication::activeModalWidget() != dialog);
    if (QApplication::activeModalWidget() && QApplication::activeModalWidget() != dialog)
      QApplication::activeModalWidget()->close();
  });
  subShowSaveDialog();
  EXPECT_EQ(gstrDlgFileName, existing);
  EXPECT_EQ(glDlgFilterIndex, 1);
}

// One owner window away from the screen's centre for every colour-dialog test.
class ColourDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    owner_.setGeometry(30, 20, 500, 360);
    owner_.show();
  }
  QWidget owner_;
};

TEST_F(ColourDialogTest, RemembersColourAndCustomWellsAndCentresOverItsOwner) {
  const QColor unset(254, 254, 254);
  QColor start;
  std::vector<QColor> wells;
  QPoint offset;
  WhenModalOpens([&](QDialog* dialog) {
    auto* colours = qobject_cast<QColorDialog*>(dialog);
    ASSERT_NE(colours, nullptr);
    start = colours->currentColor();
    for (int i = 0; i < 16; ++i) wells.push_back(QColorDialog::customColor(i));
    offset = dialog->frameGeometry().center() - owner_.frameGeometry().center();
    QColorDialog::setCustomColor(5, QColor(1, 2, 3));
    colours->setCurrentColor(QColor(10, 20, 30));
    colours->accept();
  });
  const ColorChoice first = fncChooseColor(&owner_, true);
  EXPECT_EQ(start, QColor(0, 0, 0));
  EXPECT_EQ(wells, std::vector<QColor>(16, unset));
  EXPECT_LE(std::abs(offset.x()), 1);
  EXPECT_LE(std::abs(offset.y()), 1);
  EXPECT_FALSE(first.Cancelled);
  EXPECT_EQ(first.Colour, 0x001E140A);

  wells.clear();
  WhenModalOpens([&](QDialog* dialog) {
    auto* colours = qobject_cast<QColorDialog*>(dialog);
    start = colours->currentColor();
    for (int i = 0; i < 16; ++i) wells.push_back(QColorDialog::customColor(i));
    colours->setCurrentColor(QColor(200, 100, 50));
    colours->reject();
  });
  const ColorChoice second = fncChooseColor(&owner_, true);
  EXPECT_EQ(start, QColor(10, 20, 30));
  ASSERT_EQ(wells.size(), 16u);
  EXPECT_EQ(wells[5], QColor(1, 2, 3));
  EXPECT_EQ(wells[0], unset);
  EXPECT_TRUE(second.Cancelled);
  EXPECT_EQ(second.Colour, 0);
}

TEST(OleColour, SystemColoursShowThroughTheFixedTable) {
  EXPECT_EQ(OleColourToQColor(0x00332211), QColor(0x11, 0x22, 0x33));
  const plat::TColor face = plat::GetSysColor(15);
  EXPECT_EQ(OleColourToQColor(static_cast<int32_t>(0x8000000F)),
            QColor(plat::GetRValue(face), plat::GetGValue(face), plat::GetBValue(face)));
  EXPECT_EQ(QColorToOleColour(QColor(0x11, 0x22, 0x33)), 0x00332211);
}

TEST(FolderPicker, StartsAtItsFolderAndCancelGivesEmpty) {
  QTemporaryDir dir;
  ASSERT_TRUE(QDir(dir.path()).mkdir("out"));
  const QString chosenFolder = dir.filePath("out");
  QString shownFolder, title, activityDuring;
  WhenModalOpens([&](QDialog* dialog) {
    QFileDialog* files = AsFileDialog(dialog);
    shownFolder = files->directory().absolutePath();
    title = files->windowTitle();
    activityDuring = gstrCurrentActivity;
    files->selectFile(chosenFolder);
    Confirm(files);
  });
  QWidget form;
  EXPECT_EQ(subBrowseToTextBox(&form, dir.path()), chosenFolder);
  EXPECT_EQ(shownFolder, QDir(dir.path()).absolutePath());
  EXPECT_EQ(title, "Please select a destination folder to save all the files!");
  EXPECT_EQ(activityDuring, "Calling the Folder for Browse dialog");
  EXPECT_EQ(gstrCurrentActivity, "Returning selected folder from the Browse dialog");

  WhenModalOpens([](QDialog* dialog) { dialog->reject(); });
  EXPECT_EQ(subBrowseToTextBox(&form, dir.path()), QString());
}

TEST(FontCombo, HoldsTheInstalledFamiliesWithTheFirstShown) {
  RecordingUi ui;
  QComboBox combo;
  combo.addItem("left over");
  ASSERT_TRUE(fncFillFontCombo(&combo, true));
  QStringList shown;
  for (int i = 0; i < combo.count(); ++i) shown << combo.itemText(i);
  QStringList installed = QFontDatabase::families();
  installed.sort();
  EXPECT_EQ(shown, installed);
  ASSERT_GT(combo.count(), 0);
  EXPECT_EQ(combo.currentIndex(), 0);
  EXPECT_EQ(combo.currentText(), combo.itemText(0));
  EXPECT_TRUE(ui.messages.empty());
}

}  // namespace
