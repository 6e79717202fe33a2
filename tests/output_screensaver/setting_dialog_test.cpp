// The settings window on the offscreen platform: what it shows from the store, what "Ok" and
// "Cancel" store, and how its text boxes keep in step with their arrows.
#include <gtest/gtest.h>

#include <QColorDialog>
#include <QTemporaryDir>
#include <QTest>

#include "app/output/players/screensaver/setting_dialog.h"
#include "app_shell/modal_helper.h"

namespace players::screensaver {
namespace {

struct Dialog {
  QTemporaryDir dir;
  QSettings store{dir.filePath("saver.ini"), QSettings::IniFormat};
  std::unique_ptr<SettingDialog> dialog;
  void Open() {
    dialog = std::make_unique<SettingDialog>(store);
    dialog->show();
    QApplication::setActiveWindow(dialog.get());
  }
  QString Stored(const char* key) {
    store.sync();
    return store.value(QStringLiteral("SETTINGS/") + key).toString();
  }
};

TEST(SettingDialog, ShowsTheDialogDefaultsFromAnEmptyStore) {
  Dialog d;
  d.Open();
  EXPECT_EQ(d.dialog->windowTitle(), "Setting - Fireworks");
  EXPECT_EQ(d.dialog->tTailLength->text(), "30");
  EXPECT_EQ(d.dialog->tLaunchRate->text(), "100");
  EXPECT_EQ(d.dialog->tRocketSpeed->text(), "20");
  EXPECT_EQ(d.dialog->tTransition->text(), "3");
  EXPECT_EQ(d.dialog->VLaunchRate->maximum(), 5000);
  EXPECT_EQ(d.dialog->BackColour(), kDefaultBgColor);
  const bool ticked[] = {true, false, false, false, true};
  const char* captions[] = {"Mono Color", "Smiley", "Star", "Spiral", "Multi Colors"};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(d.dialog->chkShape[i]->isChecked(), ticked[i]) << i;
    EXPECT_EQ(d.dialog->chkShape[i]->text(), captions[i]);
  }
  EXPECT_TRUE(d.dialog->chkPlayMusic->isChecked());
  EXPECT_FALSE(d.dialog->chkUseDesktop->isChecked());
}

TEST(SettingDialog, OkStoresEveryValueWithMonoColourWhenNoKindIsTicked) {
  Dialog d;
  d.store.setValue("SETTINGS/RocketSpeed", "7");
  d.Open();
  for (QCheckBox* box : d.dialog->chkShape) box->setChecked(false);
  d.dialog->chkUseDesktop->setChecked(true);
  d.dialog->VTailLength->setValue(12);
  QTest::mouseClick(d.dialog->SaveSettings, Qt::LeftButton);
  EXPECT_EQ(d.dialog->result(), QDialog::Accepted);
  const std::pair<const char*, const char*> stored[] = {
      {"TailLength", "12"}, {"LaunchRate", "100"}, {"RocketSpeed", "7"},       {"Transition", "3"},
      {"ShowRegular", "1"}, {"ShowSmiley", "0"},   {"ShowStar", "0"},          {"ShowSpiral", "0"},
      {"ShowRandom", "0"},  {"UseDesktop", "1"},   {"BgColor", "-2147483641"}, {"PlayMusic", "1"}};
  for (const auto& [key, value] : stored) EXPECT_EQ(d.Stored(key), value) << key;
}

TEST(SettingDialog, CancelStoresNothing) {
  Dialog d;
  d.Open();
  d.dialog->VTailLength->setValue(99);
  QTest::mouseClick(d.dialog->cmdCancel, Qt::LeftButton);
  EXPECT_EQ(d.dialog->result(), QDialog::Rejected);
  d.store.sync();
  EXPECT_TRUE(d.store.allKeys().isEmpty());
}

TEST(SettingDialog, TypedNumbersAreClampedAtOnceAndTheArrowsFollow) {
  Dialog d;
  d.Open();
  QLineEdit* tail = d.dialog->tTailLength;
  tail->setFocus();
  QApplication::processEvents();
  EXPECT_EQ(tail->selectedText(), "30");
  QTest::keyClicks(tail, "30");
  EXPECT_EQ(tail->text(), "30");
  QTest::keyClick(tail, '0');
  EXPECT_EQ(tail->text(), "255");
  EXPECT_EQ(d.dialog->VTailLength->value(), 255);
  tail->selectAll();
  QTest::keyClick(tail, '0');
  EXPECT_EQ(tail->text(), "1");
  EXPECT_EQ(d.dialog->VTailLength->value(), 1);
  QTest::keyClicks(tail, "a-x ");
  EXPECT_EQ(tail->text(), "1");
  d.dialog->VTailLength->setValue(40);
  EXPECT_EQ(tail->text(), "40");
  // Return in a box still presses "Ok".
  QTest::keyClick(tail, Qt::Key_Return);
  EXPECT_EQ(d.dialog->result(), QDialog::Accepted);
  EXPECT_EQ(d.Stored("TailLength"), "40");
}

TEST(SettingDialog, AnEmptiedBoxGetsTheArrowsValueBackSelected) {
  Dialog d;
  d.Open();
  QLineEdit* speed = d.dialog->tRocketSpeed;
  speed->setFocus();
  QApplication::processEvents();
  speed->setCursorPosition(2);
  QTest::keyClick(speed, Qt::Key_Backspace);
  EXPECT_EQ(speed->text(), "2");
  QTest::keyClick(speed, Qt::Key_Backspace);
  EXPECT_EQ(speed->text(), "2");
  EXPECT_EQ(speed->selectedText(), "2");
  EXPECT_EQ(d.dialog->VRocketSpeed->value(), 2);
}

TEST(SettingDialog, TheTransitionIsClampedOnlyWhenTheBoxIsLeft) {
  Dialog d;
  d.Open();
  QLineEdit* transition = d.dialog->tTransition;
  transition->setFocus();
  QApplication::processEvents();
  QTest::keyClicks(transition, "90");
  EXPECT_EQ(transition->text(), "90");
  EXPECT_EQ(d.dialog->vTransition->value(), 3);
  d.dialog->tLaunchRate->setFocus();
  QApplication::processEvents();
  EXPECT_EQ(transition->text(), "60");
  EXPECT_EQ(d.dialog->vTransition->value(), 60);
}

TEST(SettingDialog, TheColourDialogStartsFromTheLastColourAndCancelChangesNothing) {
  Dialog d;
  d.Open();
  QColor started;
  WhenModalOpens([&](QDialog* dialog) {
    auto* colours = qobject_cast<QColorDialog*>(dialog);
    ASSERT_NE(colours, nullptr);
    started = colours->currentColor();
    colours->setCurrentColor(QColor(0x40, 0x80, 0xFF));
    colours->accept();
  });
  EXPECT_TRUE(d.dialog->ChooseColour());
  EXPECT_EQ(started, QColor(Qt::black));
  EXPECT_EQ(d.dialog->BackColour(), 0xFF8040u);
  WhenModalOpens([&](QDialog* dialog) {
    started = qobject_cast<QColorDialog*>(dialog)->currentColor();
    qobject_cast<QColorDialog*>(dialog)->setCurrentColor(Qt::white);
    dialog->reject();
  });
  EXPECT_FALSE(d.dialog->ChooseColour());
  EXPECT_EQ(started, QColor(0x40, 0x80, 0xFF));
  EXPECT_EQ(d.dialog->BackColour(), 0xFF8040u);
  QTest::mouseClick(d.dialog->SaveSettings, Qt::LeftButton);
  EXPECT_EQ(d.Stored("BgColor"), QString::number(0xFF8040));
}

}  // namespace
}  // namespace players::screensaver
