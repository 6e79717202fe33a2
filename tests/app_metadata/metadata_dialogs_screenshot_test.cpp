// The attribute and IPTC list dialogs as a user sees them on a real X server, each against a
// picture checked by eye: the edit dialog once with the text box and once with the date picker.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStyleFactory>
#include <QTest>
#include <QTreeWidget>
#include <cstdlib>
#include <string>

#include "app/metadata/attribute_dialogs.h"
#include "app/metadata/iptc_list_dialogs.h"
#include "app/metadata/metadata_tables.h"
#include "app_shell/screenshot_compare.h"
#include "platform/base/datetime.h"
#include "platform/com/control_host.h"

namespace {

#define GOLDEN(name) VELMORA_SOURCE_DIR "/tests/app_metadata/golden/" name

class NoPane : public metadata::IptcListPane {
 public:
  void subUpdateIPTC_Keywords(const QStringList&) override {}
  void subUpdateIPTC_Category(const QStringList&, const QString&) override {}
};

class MetadataDialogsScreenshot : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 9));
    ASSERT_EQ(std::system((std::string(VELMORA_REGSVR) + " -s " + PICTAVO_LIBRARY).c_str()), 0);
    metadata::subInitMetadataTables();
  }

  velmora::ucDateTimePicker::Clock Clock() const {
    return [] { return plat::EncodeDateTime({2024, 3, 15, 14, 7, 5}); };
  }
  static void Add(QLineEdit* box, QPushButton* add, const char* text) {
    box->setText(QString::fromUtf8(text));
    QTest::mouseClick(add, Qt::LeftButton);
  }

  metadata::PaneState state_;
  NoPane pane_;
};

TEST_F(MetadataDialogsScreenshot, EditDialogWithTheTextBox) {
  state_ = {QStringLiteral("Artist"), QStringLiteral("Ann Lee"), false};
  metadata::frmExifEditAttribute dialog(state_, Clock());
  dialog.subSetup();
  ExpectWindowMatchesGolden(dialog, GOLDEN("edit_attribute_text.png"));
}

TEST_F(MetadataDialogsScreenshot, EditDialogWithThePicker) {
  state_ = {QStringLiteral("DateTimeOriginal"), QStringLiteral("7/4/2003 1:05:09 PM"), false};
  metadata::frmExifEditAttribute dialog(state_, Clock());
  dialog.subSetup();
  ExpectWindowMatchesGolden(dialog, GOLDEN("edit_attribute_date.png"));
}

TEST_F(MetadataDialogsScreenshot, AddDialogWithATextAttributeChosen) {
  QTreeWidget lvExif;
  metadata::frmExifNewAttribute dialog(&lvExif, state_, Clock());
  dialog.subSetup();
  dialog.cmbAttribute->setCurrentIndex(4);
  emit dialog.cmbAttribute->activated(4);
  dialog.txtValue->setText(QStringLiteral("Ann Lee"));
  ExpectWindowMatchesGolden(dialog, GOLDEN("add_attribute.png"));
}

TEST_F(MetadataDialogsScreenshot, KeywordDialog) {
  metadata::frmIPTCKeywords dialog(pane_);
  for (const char* keyword : {"harbour", "fishing boats", "dawn"})
    Add(dialog.txtKeywordAdd, dialog.cmdAddKeyword, keyword);
  dialog.lstKeywords->setCurrentRow(1);
  dialog.txtKeywordAdd->setText(QStringLiteral("gulls"));
  ExpectWindowMatchesGolden(dialog, GOLDEN("iptc_keywords.png"));
}

TEST_F(MetadataDialogsScreenshot, CategoryDialog) {
  plat::com::ControlHost host;
  host.SetControl(QStringLiteral("Pictavo.ImageBox"));
  metadata::frmIPTCCategory dialog(pane_);
  dialog.subSetup(&host);
  for (const char* category : {"Travel", "Norway"})
    Add(dialog.txtSupCatAdd, dialog.cmdAddSupCat, category);
  dialog.cboUrgency->setCurrentText(QStringLiteral("3"));
  ExpectWindowMatchesGolden(dialog, GOLDEN("iptc_categories.png"));
}

}  // namespace
