// The IPTC keyword and category editors filled from a real ImageBox over files exiftool wrote,
// handing their lists to a pane that records what it gets.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <optional>
#include <ostream>
#include <utility>

#include "app/metadata/iptc_list_dialogs.h"
#include "app_metadata/control_fixture.h"
#include "support/qstring_print.h"

namespace {

using metadata::frmIPTCCategory;
using metadata::frmIPTCKeywords;

class RecordingPane : public metadata::IptcListPane {
 public:
  void subUpdateIPTC_Keywords(const QStringList& list) override { keywords = list; }
  void subUpdateIPTC_Category(const QStringList& list, const QString& urgency) override {
    categories = {list, urgency};
  }
  std::optional<QStringList> keywords;
  std::optional<std::pair<QStringList, QString>> categories;
};

QStringList Entries(const QListWidget* list) {
  QStringList entries;
  for (int i = 0; i < list->count(); ++i) entries << list->item(i)->text();
  return entries;
}

class IptcListDialogs : public MetadataControlTest {
 protected:
  void SetUp() override {
    MetadataControlTest::SetUp();
    const std::string tagged = Path("tagged.jpg").toStdString();
    ASSERT_EQ(std::system(("convert -size 64x48 gradient:red-blue " + tagged).c_str()), 0);
    ASSERT_EQ(std::system(("exiftool -q -overwrite_original -IPTC:Keywords=harbour "
                           "'-IPTC:Keywords=fishing boats' -IPTC:Keywords=dawn "
                           "-IPTC:SupplementalCategories=Travel "
                           "-IPTC:SupplementalCategories=Norway -IPTC:Urgency=3 " +
                           tagged)
                              .c_str()),
              0);
    const std::string plain = Path("plain.jpg").toStdString();
    ASSERT_EQ(std::system(("convert -size 64x48 xc:gray " + plain).c_str()), 0);
  }
  void Load(const char* name) { Box().LoadFromFile(Path(name).toStdString()); }
  void Add(QLineEdit* box, QPushButton* add, const QString& text) {
    box->setText(text);
    QTest::mouseClick(add, Qt::LeftButton);
  }

  RecordingPane pane_;
};

TEST_F(IptcListDialogs, KeywordsAreListedInTheFilesOrderAndEditedAsTyped) {
  Load("tagged.jpg");
  frmIPTCKeywords dialog(pane_);
  dialog.subSetup(&host_);
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Keywords"));
  EXPECT_EQ(Entries(dialog.lstKeywords), (QStringList{"harbour", "fishing boats", "dawn"}));
  // Twice the same, blanks only, and an empty box that adds nothing.
  Add(dialog.txtKeywordAdd, dialog.cmdAddKeyword, QStringLiteral("dawn"));
  EXPECT_TRUE(dialog.txtKeywordAdd->text().isEmpty());
  Add(dialog.txtKeywordAdd, dialog.cmdAddKeyword, QStringLiteral("dawn"));
  Add(dialog.txtKeywordAdd, dialog.cmdAddKeyword, QStringLiteral("   "));
  Add(dialog.txtKeywordAdd, dialog.cmdAddKeyword, QString());
  EXPECT_EQ(Entries(dialog.lstKeywords),
            (QStringList{"harbour", "fishing boats", "dawn", "dawn", "dawn", "   "}));
  // Delete removes the selected entry, and nothing without a selection.
  dialog.lstKeywords->clearSelection();
  dialog.lstKeywords->setCurrentRow(-1);
  QTest::mouseClick(dialog.cmdDelKeyword, Qt::LeftButton);
  EXPECT_EQ(dialog.lstKeywords->count(), 6);
  dialog.lstKeywords->setCurrentRow(1);
  QTest::mouseClick(dialog.cmdDelKeyword, Qt::LeftButton);
  EXPECT_FALSE(pane_.keywords);
  QTest::mouseClick(dialog.cmdOK, Qt::LeftButton);
  ASSERT_TRUE(pane_.keywords);
  EXPECT_EQ(*pane_.keywords, (QStringList{"harbour", "dawn", "dawn", "dawn", "   "}));
  EXPECT_FALSE(pane_.categories);
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_TRUE(shell::gstrErrorRoutine.isEmpty());
}

TEST_F(IptcListDialogs, CategoriesAndUrgencyAreListedAndHandedBackTogether) {
  Load("tagged.jpg");
  frmIPTCCategory dialog(pane_);
  dialog.subSetup(&host_);
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Add Supplementaty Categories"));
  EXPECT_EQ(Entries(dialog.lstSupCats), (QStringList{"Travel", "Norway"}));
  QStringList urgencies;
  for (int i = 0; i < dialog.cboUrgency->count(); ++i) urgencies << dialog.cboUrgency->itemText(i);
  EXPECT_EQ(urgencies, (QStringList{"1", "2", "3", "4", "5", "6", "7", "8", "None"}));
  EXPECT_EQ(dialog.cboUrgency->currentText(), QStringLiteral("3"));
  Add(dialog.txtSupCatAdd, dialog.cmdAddSupCat, QStringLiteral(" Fjords "));
  dialog.lstSupCats->setCurrentRow(0);
  QTest::mouseClick(dialog.cmdDelSupCat, Qt::LeftButton);
  dialog.cboUrgency->setCurrentText(QStringLiteral("None"));
  QTest::mouseClick(dialog.cmdOK, Qt::LeftButton);
  ASSERT_TRUE(pane_.categories);
  EXPECT_EQ(pane_.categories->first, (QStringList{"Norway", " Fjords "}));
  EXPECT_EQ(pane_.categories->second, QStringLiteral("None"));
  EXPECT_FALSE(pane_.keywords);
}

TEST_F(IptcListDialogs, CancelAfterEditsCallsNothing) {
  Load("tagged.jpg");
  frmIPTCKeywords keywords(pane_);
  keywords.subSetup(&host_);
  Add(keywords.txtKeywordAdd, keywords.cmdAddKeyword, QStringLiteral("more"));
  keywords.lstKeywords->setCurrentRow(0);
  QTest::mouseClick(keywords.cmdDelKeyword, Qt::LeftButton);
  QTest::mouseClick(keywords.cmdCancel, Qt::LeftButton);
  EXPECT_EQ(keywords.result(), QDialog::Rejected);

  frmIPTCCategory categories(pane_);
  categories.subSetup(&host_);
  Add(categories.txtSupCatAdd, categories.cmdAddSupCat, QStringLiteral("more"));
  categories.cboUrgency->setCurrentText(QStringLiteral("8"));
  categories.show();
  categories.close();
  EXPECT_FALSE(pane_.keywords);
  EXPECT_FALSE(pane_.categories);
  EXPECT_EQ(Box().get_FFO_KeywordsCount(), 3);
}

TEST_F(IptcListDialogs, AnImageWithoutThemOpensEmptyWithUrgencyNone) {
  Load("plain.jpg");
  frmIPTCKeywords keywords(pane_);
  keywords.subSetup(&host_);
  EXPECT_EQ(keywords.lstKeywords->count(), 0);
  QTest::mouseClick(keywords.cmdOK, Qt::LeftButton);
  ASSERT_TRUE(pane_.keywords);
  EXPECT_TRUE(pane_.keywords->isEmpty());

  frmIPTCCategory categories(pane_);
  categories.subSetup(&host_);
  EXPECT_EQ(categories.lstSupCats->count(), 0);
  EXPECT_EQ(categories.cboUrgency->count(), 9);
  EXPECT_EQ(categories.cboUrgency->currentText(), QStringLiteral("None"));
  EXPECT_TRUE(shell::gstrErrorRoutine.isEmpty());
}

// Without an image the control has nothing to list; the urgencies are still offered.
TEST_F(IptcListDialogs, AControlWithoutAnImageOpensEmptyEditors) {
  frmIPTCKeywords keywords(pane_);
  keywords.subSetup(&host_);
  EXPECT_EQ(keywords.lstKeywords->count(), 0);
  frmIPTCCategory categories(pane_);
  categories.subSetup(&host_);
  EXPECT_EQ(categories.cboUrgency->count(), 9);
  EXPECT_EQ(categories.cboUrgency->currentText(), QStringLiteral("None"));
  EXPECT_TRUE(shell::gstrErrorRoutine.isEmpty());
}

}  // namespace
