#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QRadioButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <functional>

#include "app/output/save_dialog.h"
#include "app/output/save_option_panels.h"
#include "app/output/save_preview.h"
#include "app/shell/settings.h"
#include "app_shell/modal_helper.h"
#include "app_shell/recording_ui.h"
#include "app_shell/screenshot_compare.h"

namespace {

using output::frmSaveDialogExtensionAllFormats;

// The filter of the save of the shown image.
const QString& kFilter = output::kSavePreviewFilter;

enum Entry { kAll, kTif, kBmp, kGif, kJpg, kJp2, kPng, kPcx, kPsd, kPdf, kWbm };

QLineEdit* NameBox(QFileDialog* dialog) {
  return dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
}

// What the dialog's Save button does.
void Press(QFileDialog* dialog) {
  static_cast<QDialog*>(dialog)->accept();
}

// Picks a file type from the open list, as a click on its entry does.
void ChooseType(QFileDialog* dialog, int entry) {
  auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
  ASSERT_NE(types, nullptr);
  types->showPopup();
  QAbstractItemView* list = types->view();
  list->setCurrentIndex(types->model()->index(entry, 0));
  QTest::keyClick(list, Qt::Key_Return);
  ASSERT_EQ(types->currentIndex(), entry);
}

class SaveDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    QCoreApplication::setApplicationName("VelmoraJPEG2000B");
    shell::gSetup = shell::DefaultSetupRecord();
    ASSERT_TRUE(dir_.isValid());
  }

  // Runs the dialog in the test folder; act works on it and closes it.
  QString Run(const std::function<void(QFileDialog*)>& act) {
    WhenModalOpens([this, act](QDialog* shown) {
      auto* dialog = qobject_cast<QFileDialog*>(shown);
      ASSERT_NE(dialog, nullptr);
      dialog_ = dialog;
      dialog->setDirectory(folder_);
      act(dialog);
      if (dialog->isVisible()) dialog->reject();
    });
    return output::fncShowSaveDialogEx(
        QString(), kFilter, 0, QStringLiteral("Save preview to an image format"), form_, true);
  }

  // Types a name, optionally picks a type, then presses Save.
  QString Save(const QString& typed, int entry = -1) {
    return Run([&](QFileDialog* dialog) {
      NameBox(dialog)->setText(typed);
      if (entry >= 0) ChooseType(dialog, entry);
      Press(dialog);
    });
  }

  QString In(const QString& name) const { return QDir(folder_).filePath(name); }

  QTemporaryDir dir_;
  QString folder_ = dir_.path();
  frmSaveDialogExtensionAllFormats form_;
  QFileDialog* dialog_ = nullptr;
  RecordingUi ui_;
};

TEST_F(SaveDialogTest, TypeChangeDropsTheOldExtensionAndTheNewOneIsAdded) {
  QString shownName, suffix;
  const QString path = Run([&](QFileDialog* dialog) {
    NameBox(dialog)->setText("photo.bmp");
    ChooseType(dialog, kPng);
    shownName = NameBox(dialog)->text();
    suffix = dialog->defaultSuffix();
    Press(dialog);
  });
  EXPECT_EQ(shownName, "photo");
  EXPECT_EQ(suffix, "png");
  EXPECT_EQ(path, In("photo.png"));
}

struct NameCase {
  const char* typed;
  int entry;  // -1: no type change
  const char* nameShown;
  const char* returned;
};

class SaveDialogNameTest : public SaveDialogTest, public ::testing::WithParamInterface<NameCase> {};

TEST_P(SaveDialogNameTest, NameAfterTypeChangeAndPathAfterSave) {
  const NameCase& c = GetParam();
  QString shownName;
  const QString path = Run([&](QFileDialog* dialog) {
    NameBox(dialog)->setText(c.typed);
    if (c.entry >= 0) ChooseType(dialog, c.entry);
    shownName = NameBox(dialog)->text();
    Press(dialog);
  });
  EXPECT_EQ(shownName, c.nameShown);
  EXPECT_EQ(path, In(c.returned));
}

INSTANTIATE_TEST_SUITE_P(
    Names, SaveDialogNameTest,
    ::testing::Values(NameCase{"noextension", -1, "noextension", "noextension.tif"},
                      NameCase{"picture.xyz", -1, "picture.xyz", "picture.xyz.tif"},
                      NameCase{"scan.TGA", -1, "scan.TGA", "scan.TGA"},
                      NameCase{"Photo.JPEG", -1, "Photo.JPEG", "Photo.JPEG"},
                      NameCase{"a.jp", kJp2, "a.jp", "a.jp.jp2"},
                      NameCase{"a.jp", -1, "a.jp", "a.jp.tif"},
                      NameCase{"summer.2024.png", kGif, "summer.2024", "summer.2024.gif"},
                      NameCase{"holiday.jpeg", kTif, "holiday", "holiday.tif"},
                      NameCase{"my.picture", kPcx, "my.picture", "my.picture.pcx"},
                      NameCase{"shot.PNG", kJpg, "shot", "shot.jpg"},
                      NameCase{"old.gif", kAll, "old", "old.bmp"},
                      NameCase{"page", kPdf, "page", "page.pdf"}));

TEST(SaveDialogRules, NameCutAndExtensionRules) {
  EXPECT_EQ(output::NameForNewType("holiday.jpeg"), "holiday");
  EXPECT_EQ(output::NameForNewType("summer.2024.png"), "summer.2024");
  EXPECT_EQ(output::NameForNewType("my.picture"), "my.picture");
  EXPECT_EQ(output::NameForNewType("a.jp"), "a.jp");
  EXPECT_EQ(output::NameForNewType("ab.c."), "ab");
  EXPECT_EQ(output::FirstPattern("*.jpg;*.jpeg;*.jpe"), "*.jpg");
  EXPECT_EQ(output::FirstPattern("*.bmp"), "*.bmp");
  EXPECT_EQ(output::WithSupportedExtension("/x/a.WbMp"), "/x/a.WbMp");
  EXPECT_EQ(output::WithSupportedExtension("/x.d/a"), "/x.d/a.tif");
  EXPECT_EQ(output::WithSupportedExtension("/x/a."), "/x/a..tif");
}

struct PanelCase {
  int entry;
  const char* shown;  // the panel left visible, "" for none
  bool tiffCompression;
};

class SaveDialogPanelTest : public SaveDialogTest,
                            public ::testing::WithParamInterface<PanelCase> {};

TEST_P(SaveDialogPanelTest, EachTypeShowsItsPanelOnly) {
  std::vector<QString> visible;
  bool tiffOnly = false, appendMode = true;
  Run([&](QFileDialog* dialog) {
    for (QFrame* panel : {form_.picFrameGIF, form_.picFramePNG, form_.picFrameJPG,
                          form_.picFrameJPG2000, form_.picFrameTiff})
      EXPECT_TRUE(panel->isHidden()) << "before any type change";
    ChooseType(dialog, kGif);  // a panel shown before must go again
    ChooseType(dialog, GetParam().entry);
    const std::pair<QFrame*, const char*> panels[] = {{form_.picFrameGIF, "gif"},
                                                      {form_.picFramePNG, "png"},
                                                      {form_.picFrameJPG, "jpg"},
                                                      {form_.picFrameJPG2000, "jp2"},
                                                      {form_.picFrameTiff, "tiff"}};
    for (const auto& [panel, name] : panels)
      if (panel->isVisible()) visible.push_back(name);
    tiffOnly = form_.picFrameTiffOnly->isVisible();
    appendMode = form_.picAppendMode->isVisible();
  });
  if (*GetParam().shown)
    EXPECT_EQ(visible, std::vector<QString>{GetParam().shown});
  else
    EXPECT_TRUE(visible.empty());
  EXPECT_EQ(tiffOnly, GetParam().tiffCompression);
  EXPECT_FALSE(appendMode);
}

INSTANTIATE_TEST_SUITE_P(
    Types, SaveDialogPanelTest,
    ::testing::Values(PanelCase{kAll, "", false}, PanelCase{kTif, "tiff", true},
                      PanelCase{kBmp, "", false}, PanelCase{kGif, "gif", false},
                      PanelCase{kJpg, "jpg", false}, PanelCase{kJp2, "jp2", false},
                      PanelCase{kPng, "png", false}, PanelCase{kPcx, "", false},
                      PanelCase{kPsd, "", false}, PanelCase{kPdf, "tiff", false},
                      PanelCase{kWbm, "", false}));

TEST_F(SaveDialogTest, CancelGivesNothingAndTheFormGoesBackHidden) {
  QWidget owner;
  auto* form = new frmSaveDialogExtensionAllFormats(&owner);
  form->show();
  WhenModalOpens([form](QDialog* dialog) {
    EXPECT_EQ(form->window(), dialog);
    EXPECT_TRUE(form->isVisible());
    NameBox(qobject_cast<QFileDialog*>(dialog))->setText("kept.png");
    dialog->reject();
  });
  EXPECT_TRUE(output::fncShowSaveDialogEx(QString(), kFilter, 0, "t", *form, true).isEmpty());
  EXPECT_EQ(form->parentWidget(), &owner);
  EXPECT_TRUE(form->isHidden());
  EXPECT_TRUE(QDir(folder_).isEmpty());
}

TEST_F(SaveDialogTest, FolderChangeEmptiesTheNameAndATypedFolderOpens) {
  ASSERT_TRUE(QDir(folder_).mkdir("inner"));
  QString nameAfter, folderAfter, folderBack;
  bool stillOpen = false;
  Run([&](QFileDialog* dialog) {
    NameBox(dialog)->setText(In("inner"));
    Press(dialog);
    stillOpen = dialog->isVisible();
    folderAfter = dialog->directory().absolutePath();
    NameBox(dialog)->setText("photo.png");
    auto* up = dialog->findChild<QToolButton*>(QStringLiteral("toParentButton"));
    ASSERT_NE(up, nullptr);
    up->click();
    folderBack = dialog->directory().absolutePath();
    nameAfter = NameBox(dialog)->text();
  });
  EXPECT_TRUE(stillOpen);
  EXPECT_EQ(folderAfter, In("inner"));
  EXPECT_EQ(folderBack, QDir(folder_).absolutePath());
  EXPECT_EQ(nameAfter, "");
}

TEST_F(SaveDialogTest, EmptyNameKeepsTheDialogOpen) {
  bool stillOpen = false;
  const QString path = Run([&](QFileDialog* dialog) {
    NameBox(dialog)->clear();
    Press(dialog);
    stillOpen = dialog->isVisible();
  });
  EXPECT_TRUE(stillOpen);
  EXPECT_TRUE(path.isEmpty());
}

TEST_F(SaveDialogTest, OverwriteQuestionNamesThePathWithTheTifAdded) {
  QFile existing(In("name.tif"));
  ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
  existing.close();

  ui_.answer = false;
  bool stillOpen = false;
  EXPECT_TRUE(Run([&](QFileDialog* dialog) {
                NameBox(dialog)->setText("name");
                Press(dialog);
                stillOpen = dialog->isVisible();
              }).isEmpty());
  EXPECT_TRUE(stillOpen);
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_TRUE(ui_.messages[0].text.startsWith("name.tif already exists."));

  ui_.answer = true;
  EXPECT_EQ(Save("name"), In("name.tif"));
  EXPECT_EQ(ui_.messages.size(), 2u);
  // A new name asks nothing.
  EXPECT_EQ(Save("other"), In("other.tif"));
  EXPECT_EQ(ui_.messages.size(), 2u);
}

TEST_F(SaveDialogTest, OptionsChangedThenCancelledStayInTheRecord) {
  Run([&](QFileDialog* dialog) {
    ChooseType(dialog, kJpg);
    form_.optJPGColorDepth[1]->click();
    form_.sldJPGQuality->setValue(33);
  });
  EXPECT_EQ(shell::gSetup.SaveFormatOptions.Formats.Jpeg.ColorDepth, 1);
  EXPECT_EQ(shell::gSetup.SaveFormatOptions.Formats.Jpeg.Quality, 33);
}

// The dialog as the user sees it with each panel: the panel lies below the dialog's own
// controls and nothing of it is cut off. A fixed folder keeps the pictures comparable.
class SaveDialogScreenshotTest : public SaveDialogTest,
                                 public ::testing::WithParamInterface<std::pair<int, const char*>> {
};

TEST_P(SaveDialogScreenshotTest, PanelBelowTheStandardControls) {
  QDir fixed(QDir::tempPath() + "/velmora-save-dialog");
  fixed.removeRecursively();
  ASSERT_TRUE(fixed.mkpath("."));
  folder_ = fixed.absolutePath();
  Run([&](QFileDialog* dialog) {
    NameBox(dialog)->setText("photo");
    ChooseType(dialog, GetParam().first);
    QWidget* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    const QRect typeRow(types->mapTo(dialog, QPoint(0, 0)), types->size());
    const QRect formArea(form_.mapTo(dialog, QPoint(0, 0)), form_.size());
    EXPECT_GE(formArea.top(), typeRow.bottom() + 50);
    EXPECT_TRUE(dialog->rect().contains(formArea));
    ExpectWindowMatchesGolden(
        *dialog,
        (std::string(VELMORA_SOURCE_DIR "/tests/app_output/golden/") + GetParam().second + ".png")
            .c_str());
  });
  fixed.removeRecursively();
}

INSTANTIATE_TEST_SUITE_P(Panels, SaveDialogScreenshotTest,
                         ::testing::Values(std::make_pair(int(kGif), "save_dialog_gif"),
                                           std::make_pair(int(kPng), "save_dialog_png"),
                                           std::make_pair(int(kJpg), "save_dialog_jpg"),
                                           std::make_pair(int(kJp2), "save_dialog_jp2"),
                                           std::make_pair(int(kTif), "save_dialog_tif")));

}  // namespace
