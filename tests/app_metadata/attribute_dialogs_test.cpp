// The attribute edit and add dialogs on their own, with a pane state of their own and a clock
// the test sets: what OK, Cancel and a close through the frame hand back to the pane, and which
// controls the user can reach on the way.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <ostream>
#include <string>

#include "app/metadata/attribute_dialogs.h"
#include "app/metadata/metadata_lists.h"
#include "app/metadata/metadata_tables.h"
#include "app/shell/errors.h"
#include "platform/base/datetime.h"
#include "support/qstring_print.h"

namespace {

using metadata::frmExifEditAttribute;
using metadata::frmExifNewAttribute;
using metadata::PaneState;

plat::TDateTime At(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
  return plat::EncodeDateTime({year, month, day, hour, minute, second});
}

class AttributeDialogTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { metadata::subInitMetadataTables(); }

  velmora::ucDateTimePicker::Clock Clock() {
    return [this] { return now_; };
  }

  PaneState state_;
  // 15 March 2024, 14:07:05.
  plat::TDateTime now_ = At(2024, 3, 15, 14, 7, 5);
};

// --- Edit ---

struct EditCase {
  const char* name;
  const char* value;
  // Typed into the text box, or (for a date attribute) the day picked, 0 for none.
  const char* typed;
  plat::TDateTime picked;
  bool changed;
  const char* returned;
};

class EditDialog : public AttributeDialogTest, public testing::WithParamInterface<EditCase> {};

TEST_P(EditDialog, OkReportsAChangeOnlyForAnotherValue) {
  const EditCase& c = GetParam();
  state_ = {QString::fromUtf8(c.name), QString::fromUtf8(c.value), !c.changed};
  frmExifEditAttribute dialog(state_, Clock());
  dialog.subSetup();
  if (c.typed != nullptr) {
    ASSERT_FALSE(dialog.txtValue->isHidden());
    dialog.txtValue->setText(QString::fromUtf8(c.typed));
  } else if (c.picked != 0) {
    ASSERT_FALSE(dialog.ucDateTime->isHidden());
    dialog.ucDateTime->SetDateSelected(c.picked);
  }
  QTest::mouseClick(dialog.cmdOK, Qt::LeftButton);
  EXPECT_EQ(state_.gbAttributeOK, c.changed);
  EXPECT_EQ(state_.gstrAttributeValue, QString::fromUtf8(c.returned));
  EXPECT_EQ(state_.gstrAttributeName, QString::fromUtf8(c.name));
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

INSTANTIATE_TEST_SUITE_P(
    Values, EditDialog,
    testing::Values(EditCase{"Artist", "Ann", "Ann", 0, false, "Ann"},
                    EditCase{"Artist", "Ann", "  Ann \t", 0, false, "Ann"},
                    EditCase{"Artist", "Ann", " Bob Smith  ", 0, true, "Bob Smith"},
                    EditCase{"Caption", "", "Quay", 0, true, "Quay"},
                    EditCase{"Caption", "Quay", "", 0, true, ""},
                    // A day confirmed again is no change, whatever the time.
                    EditCase{"DateTimeOriginal", "7/4/2003 1:05:09 PM", nullptr, 0, false,
                             "7/4/2003 1:05:09 PM"},
                    EditCase{"DateTimeOriginal", "7/4/2003 1:05:09 PM", nullptr, At(2003, 7, 4, 18),
                             false, "7/4/2003 1:05:09 PM"},
                    // Another day keeps the old time of day.
                    EditCase{"DateTime", "7/4/2003 1:05:09 PM", nullptr, At(2003, 12, 25), true,
                             "12/25/2003 1:05:09 PM"},
                    // An empty date is always a change: the day, a blank and no time.
                    EditCase{"DateTimeDigitized", "", nullptr, 0, true, "3/15/2024 "},
                    EditCase{"DateTimeDigitized", "", nullptr, At(2001, 1, 2), true, "1/2/2001 "},
                    // An IPTC date has no time: midnight is appended.
                    EditCase{"Date Created", "2/29/2004", nullptr, At(2004, 3, 1), true,
                             "3/1/2004 12:00:00 AM"},
                    EditCase{"date created", "2/29/2004", nullptr, 0, false, "2/29/2004"}));

TEST_F(AttributeDialogTest, EditSetupShowsTheTextBoxForTextWithTheCaretAtTheEnd) {
  state_ = {QStringLiteral("Copyright"), QStringLiteral("Me and you"), false};
  frmExifEditAttribute dialog(state_, Clock());
  dialog.subSetup();
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral(" Edit Attribute"));
  EXPECT_EQ(dialog.txtAttribute->text(), QStringLiteral("Copyright"));
  EXPECT_EQ(dialog.txtValue->text(), QStringLiteral("Me and you"));
  EXPECT_EQ(dialog.txtValue->cursorPosition(), 10);
  EXPECT_FALSE(dialog.txtValue->hasSelectedText());
  EXPECT_FALSE(dialog.txtValue->isHidden());
  EXPECT_TRUE(dialog.ucDateTime->isHidden());
  EXPECT_TRUE(dialog.Label1->isHidden());
}

TEST_F(AttributeDialogTest, EditSetupPutsADateOnThePickerAndKeepsItsTime) {
  struct Case {
    const char* value;
    plat::TDateTime day;
    const char* time;
  };
  for (const Case& c :
       {Case{"7/4/2003 1:05:09 PM", At(2003, 7, 4), "1:05:09 PM"},
        Case{"12/31/1999 11:59:59 PM", At(1999, 12, 31), "11:59:59 PM"},
        Case{"7/4/2003", At(2003, 7, 4), "12:00:00 AM"}, Case{"", At(2024, 3, 15), ""}}) {
    SCOPED_TRACE(c.value);
    state_ = {QStringLiteral("DateTimeOriginal"), QString::fromUtf8(c.value), false};
    frmExifEditAttribute dialog(state_, Clock());
    dialog.subSetup();
    EXPECT_EQ(velmora::DayOf(dialog.ucDateTime->DateSelected()), velmora::DayOf(c.day));
    EXPECT_EQ(dialog.mstrTime, QString::fromUtf8(c.time));
    EXPECT_FALSE(dialog.ucDateTime->isHidden());
    EXPECT_FALSE(dialog.Label1->isHidden());
    EXPECT_TRUE(dialog.txtValue->isHidden());
  }
}

TEST_F(AttributeDialogTest, EditOfADateThatDoesNotReadAsOneRaisesForThePane) {
  state_ = {QStringLiteral("Date Released"), QStringLiteral("next Tuesday"), true};
  frmExifEditAttribute dialog(state_, Clock());
  EXPECT_THROW(dialog.subSetup(), shell::AppError);
  EXPECT_TRUE(state_.gbAttributeOK);
  EXPECT_EQ(state_.gstrAttributeValue, QStringLiteral("next Tuesday"));
}

TEST_F(AttributeDialogTest, EditCancelReportsNoChange) {
  state_ = {QStringLiteral("Artist"), QStringLiteral("Ann"), true};
  frmExifEditAttribute dialog(state_, Clock());
  dialog.subSetup();
  dialog.txtValue->setText(QStringLiteral("Bob"));
  QTest::mouseClick(dialog.cmdCancel, Qt::LeftButton);
  EXPECT_FALSE(state_.gbAttributeOK);
  EXPECT_EQ(state_.gstrAttributeValue, QStringLiteral("Ann"));
  EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

// Closing through the frame, or with Escape, leaves all three as the pane set them.
TEST_F(AttributeDialogTest, FrameCloseOfEitherDialogChangesNothing) {
  const PaneState before{QStringLiteral("Artist"), QStringLiteral("Ann"), true};
  for (const bool escape : {false, true}) {
    SCOPED_TRACE(escape ? "Escape" : "frame");
    state_ = before;
    frmExifEditAttribute edit(state_, Clock());
    edit.subSetup();
    edit.show();
    edit.txtValue->setText(QStringLiteral("Bob"));
    if (escape)
      QTest::keyClick(&edit, Qt::Key_Escape);
    else
      edit.close();
    EXPECT_FALSE(edit.isVisible());

    QTreeWidget lvExif;
    frmExifNewAttribute add(&lvExif, state_, Clock());
    add.subSetup();
    add.show();
    add.cmbAttribute->setCurrentIndex(0);
    emit add.cmbAttribute->activated(0);
    add.txtValue->setText(QStringLiteral("Acme"));
    if (escape)
      QTest::keyClick(&add, Qt::Key_Escape);
    else
      add.close();
    EXPECT_FALSE(add.isVisible());
    EXPECT_EQ(state_.gstrAttributeName, before.gstrAttributeName);
    EXPECT_EQ(state_.gstrAttributeValue, before.gstrAttributeValue);
    EXPECT_EQ(state_.gbAttributeOK, before.gbAttributeOK);
  }
}

// --- Add ---

class AddDialog : public AttributeDialogTest {
 protected:
  QStringList Offered(const frmExifNewAttribute& dialog) const {
    QStringList names;
    for (int i = 0; i < dialog.cmbAttribute->count(); ++i)
      names << dialog.cmbAttribute->itemText(i);
    return names;
  }
  void Choose(frmExifNewAttribute& dialog, const QString& name) {
    const int index = dialog.cmbAttribute->findText(name);
    ASSERT_GE(index, 0) << name.toStdString();
    dialog.cmbAttribute->setCurrentIndex(index);
    emit dialog.cmbAttribute->activated(index);
  }

  QTreeWidget lvExif_;
};

TEST_F(AddDialog, OffersTheEditableAttributesTheListHasNoRowFor) {
  const QStringList all(metadata::gstrEditableExifAttributes.begin(),
                        metadata::gstrEditableExifAttributes.end());
  ASSERT_EQ(all.size(), 11);
  {
    frmExifNewAttribute dialog(&lvExif_, state_, Clock());
    dialog.subSetup();
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Add New Attribute"));
    EXPECT_EQ(dialog.lblAttribute->text(), QStringLiteral("Select an Attribute"));
    EXPECT_EQ(Offered(dialog), all);
    EXPECT_EQ(dialog.cmbAttribute->currentIndex(), -1);
    EXPECT_TRUE(dialog.cmbAttribute->isEnabled());
    EXPECT_FALSE(dialog.txtValue->isEnabled());
    EXPECT_FALSE(dialog.ucDateTime->Enabled());
    EXPECT_FALSE(dialog.cmdOK->isEnabled());
    EXPECT_FALSE(dialog.txtValue->isHidden());
    EXPECT_TRUE(dialog.ucDateTime->isHidden());
  }
  // Rows without a key (not editable) or with another key do not count.
  metadata::MetadataRow::Add(&lvExif_, QStringLiteral("Camera make"), QStringLiteral("Make"), 1);
  metadata::MetadataRow::Add(&lvExif_, QStringLiteral("Date and time"), QStringLiteral("DateTime"),
                             1);
  metadata::MetadataRow::Add(&lvExif_, QStringLiteral("Artist"));
  {
    frmExifNewAttribute dialog(&lvExif_, state_, Clock());
    dialog.subSetup();
    QStringList expected = all;
    expected.removeOne(QStringLiteral("Make"));
    expected.removeOne(QStringLiteral("DateTime"));
    EXPECT_EQ(Offered(dialog), expected);
  }
}

TEST_F(AddDialog, AllPresentLeavesOnlyTheDisabledNotice) {
  for (const QString& name : metadata::gstrEditableExifAttributes)
    metadata::MetadataRow::Add(&lvExif_, name, name, 1);
  frmExifNewAttribute dialog(&lvExif_, state_, Clock());
  dialog.subSetup();
  EXPECT_EQ(Offered(dialog), QStringList{QStringLiteral("No editable attribute to add!")});
  EXPECT_EQ(dialog.cmbAttribute->currentIndex(), 0);
  EXPECT_FALSE(dialog.cmbAttribute->isEnabled());
  EXPECT_FALSE(dialog.cmdOK->isEnabled());
}

TEST_F(AddDialog, ADateTakenAsOfferedIsTodayWithTheTimeAtOk) {
  frmExifNewAttribute dialog(&lvExif_, state_, Clock());
  dialog.subSetup();
  Choose(dialog, QStringLiteral("DateTimeOriginal"));
  EXPECT_FALSE(dialog.ucDateTime->isHidden());
  EXPECT_TRUE(dialog.ucDateTime->Enabled());
  EXPECT_TRUE(dialog.txtValue->isHidden());
  EXPECT_TRUE(dialog.cmdOK->isEnabled());
  now_ = At(2024, 3, 15, 9, 30, 1);
  QTest::mouseClick(dialog.cmdOK, Qt::LeftButton);
  EXPECT_TRUE(state_.gbAttributeOK);
  EXPECT_EQ(state_.gstrAttributeName, QStringLiteral("DateTimeOriginal"));
  EXPECT_EQ(state_.gstrAttributeValue, QStringLiteral("3/15/2024 9:30:01 AM"));
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

// The time is the one of the moment the day was picked, not of OK.
TEST_F(AddDialog, APickedDayTakesTheTimeOfThePick) {
  frmExifNewAttribute dialog(&lvExif_, state_, Clock());
  dialog.subSetup();
  Choose(dialog, QStringLiteral("DateTime"));
  now_ = At(2024, 3, 15, 23, 59, 58);
  dialog.ucDateTime->SetHighlighted(At(2019, 2, 28));
  dialog.ucDateTime->ConfirmHighlighted();
  EXPECT_EQ(dialog.mstrTime, QStringLiteral("11:59:58 PM"));
  now_ = At(2024, 3, 16, 0, 0, 30);
  QTest::mouseClick(dialog.cmdOK, Qt::LeftButton);
  EXPECT_EQ(state_.gstrAttributeValue, QStringLiteral("2/28/2019 11:59:58 PM"));
}

TEST_F(AddDialog, OkWaitsForTextAfterEveryChoiceOfATextAttribute) {
  frmExifNewAttribute dialog(&lvExif_, state_, Clock());
  dialog.subSetup();
  Choose(dialog, QStringLiteral("Artist"));
  EXPECT_TRUE(dialog.txtValue->isEnabled());
  EXPECT_FALSE(dialog.cmdOK->isEnabled());
  QTest::keyClicks(dialog.txtValue, QStringLiteral("   "));
  EXPECT_FALSE(dialog.cmdOK->isEnabled());
  QTest::keyClicks(dialog.txtValue, QStringLiteral("Ann "));
  EXPECT_TRUE(dialog.cmdOK->isEnabled());
  Choose(dialog, QStringLiteral("Copyright"));
  EXPECT_FALSE(dialog.cmdOK->isEnabled());
  EXPECT_EQ(dialog.txtValue->text(), QStringLiteral("   Ann "));
  // A date attribute and back again: the text box returns with its text, OK waits again.
  Choose(dialog, QStringLiteral("DateTimeDigitized"));
  EXPECT_TRUE(dialog.cmdOK->isEnabled());
  Choose(dialog, QStringLiteral("Copyright"));
  EXPECT_FALSE(dialog.cmdOK->isEnabled());
  EXPECT_FALSE(dialog.txtValue->isHidden());
  QTest::keyClicks(dialog.txtValue, QStringLiteral("Lee"));
  ASSERT_TRUE(dialog.cmdOK->isEnabled());
  QTest::mouseClick(dialog.cmdOK, Qt::LeftButton);
  EXPECT_TRUE(state_.gbAttributeOK);
  EXPECT_EQ(state_.gstrAttributeName, QStringLiteral("Copyright"));
  EXPECT_EQ(state_.gstrAttributeValue, QStringLiteral("Ann Lee"));
}

TEST_F(AddDialog, CancelReportsNothingAdded) {
  state_ = {QStringLiteral("Artist"), QStringLiteral("Ann"), true};
  frmExifNewAttribute dialog(&lvExif_, state_, Clock());
  dialog.subSetup();
  Choose(dialog, QStringLiteral("Model"));
  QTest::keyClicks(dialog.txtValue, QStringLiteral("Z1"));
  QTest::mouseClick(dialog.cmdCancel, Qt::LeftButton);
  EXPECT_FALSE(state_.gbAttributeOK);
  EXPECT_EQ(state_.gstrAttributeName, QStringLiteral("Artist"));
  EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

}  // namespace
