// The about box shows the version record; its picture and web address hand the home page to the
// desktop.
#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "app/shell/about.h"
#include "app/shell/version_record.h"
#include "recording_ui.h"

namespace {

using namespace shell;

TEST(AboutBox, VersionJoinsThreeNumbers) {
  EXPECT_EQ(VersionText(2, 0, 15), "Version 2.0.15");
  EXPECT_EQ(VersionText(10, 11, 0), "Version 10.11.0");
}

TEST(AboutBox, EveryLabelComesFromTheVersionRecord) {
  QCoreApplication::setApplicationName("VelmoraJPEG2000B");
  frmAbout about(nullptr);
  EXPECT_EQ(about.windowTitle(), "About");
  EXPECT_EQ(about.lblTitle->text(), "VelmoraJPEG2000B");
  EXPECT_EQ(about.lblEdition->text(), version::kEdition);
  EXPECT_EQ(about.lblVersion->text(),
            QStringLiteral("Version ") + QString::number(version::kMajor) + "." +
                QString::number(version::kMinor) + "." + QString::number(version::kRevision));
  EXPECT_EQ(about.lblDescription->text(), version::kDescription);
  EXPECT_EQ(about.lblTrademark->text(), version::kTrademarks);
  EXPECT_EQ(about.lblCompany->text(), version::kCompany);
  EXPECT_EQ(about.lblCopyright->text(), version::kLegalNotice);
  EXPECT_EQ(about.lblTarnwick->text(), version::kHomePage);
  for (const QLabel* label :
       {about.lblDescription, about.lblTrademark, about.lblCompany, about.lblCopyright})
    EXPECT_FALSE(label->text().isEmpty());
  EXPECT_FALSE(about.Image1->pixmap().isNull());
}

TEST(AboutBox, PictureAndAddressOpenTheHomePageAndOkCloses) {
  RecordingUi ui;
  frmAbout about(nullptr);
  about.show();
  QTest::mouseClick(about.Image1, Qt::LeftButton);
  QTest::mouseClick(about.lblTarnwick, Qt::LeftButton);
  EXPECT_EQ(ui.opened, (std::vector<QString>{version::kHomePage, version::kHomePage}));
  QTest::mouseClick(about.cmdOK, Qt::LeftButton);
  EXPECT_FALSE(about.isVisible());
  EXPECT_EQ(about.result(), QDialog::Accepted);
}

}  // namespace
