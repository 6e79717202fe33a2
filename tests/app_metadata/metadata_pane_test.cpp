// The pane's commands on the program's main window, on files exiftool wrote and reads back: the
// dispatch of both bars, the tab switch, edit, add, delete and clear of attributes, the keyword
// and category rewrites, the IPTC file-info export and the EXIF set files.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <ostream>
#include <string>

#include "app/browse/viewer/viewer.h"
#include "app/browse/viewer/viewer_row.h"
#include "app/metadata/attribute_dialogs.h"
#include "app/metadata/exif_set_file.h"
#include "app/metadata/metadata_lists.h"
#include "app/metadata/metadata_pane.h"
#include "app/shell/errors.h"
#include "app/shell/main_window.h"
#include "app/shell/settings.h"
#include "app/tasks/task_list.h"
#include "app_metadata/exiftool_helpers.h"
#include "app_shell/modal_helper.h"
#include "app_shell/recording_ui.h"
#include "control/activex/imagebox_interface.h"
#include "platform/base/datetime.h"
#include "platform/com/control_host.h"

namespace {

using metadata::MetadataRow;

using metadata_test::Bytes;
using metadata_test::Shell;

std::string ExifTool(const QString& path, const std::string& args) {
  return metadata_test::ExifToolOutput(path, args);
}

class MetadataPaneTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    QApplication::setApplicationName(QStringLiteral("VelmoraJPEG2000B"));
    ASSERT_EQ(Shell(std::string(VELMORA_REGSVR) + " -s " + PICTAVO_LIBRARY), 0);
  }
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    metadata::SetMetadataService(&pane_);
    shell::subLoadSetup();
    shell::subDeleteSetup();
    window_ = std::make_unique<shell::MainWindow>();
    pane_.Attach(window_.get());
    window_->show();
    viewer_ = std::make_unique<browse::Viewer>(*window_, tasks_, *window_->frmFrameDummy->ibTemp);
  }
  void TearDown() override {
    viewer_.reset();
    window_->close();
    window_.reset();
    metadata::SetMetadataService(nullptr);
  }

  // A JPEG with EXIF and IPTC data, shown in the viewer.
  QString ShowJpeg(const char* name = "harbour.jpg") {
    const QString path = dir_.filePath(QString::fromLatin1(name));
    const std::string file = "'" + path.toStdString() + "'";
    EXPECT_EQ(Shell("convert -size 64x48 xc:skyblue " + file), 0);
    EXPECT_EQ(Shell("exiftool -q -overwrite_original -Make=Acme -Artist=Ann "
                    "'-DateTimeOriginal=2003:07:04 13:05:09' -ExposureTime=0.008 "
                    "-IPTC:Caption-Abstract=Harbour -IPTC:City=Oslo -IPTC:DateCreated=2001:02:03 "
                    "-IPTC:Keywords=x -XMP:Title=Kept " +
                    file),
              0);
    Show(path);
    return path;
  }
  void Show(const QString& path) {
    auto* item = new QTreeWidgetItem(window_->lvFolder, {QFileInfo(path).fileName()});
    item->setData(0, browse::kRowTagRole, path);
    browse::ListViewRow row(window_->lvFolder, item, browse::RowList::FileList);
    viewer_->subShowSelectedItem(row);
  }
  // Selects the row of `list` whose text is `text`.
  MetadataRow Select(QTreeWidget* list, const QString& text) {
    const auto found = list->findItems(text, Qt::MatchExactly, 0);
    EXPECT_FALSE(found.isEmpty()) << text.toStdString();
    if (found.isEmpty()) return MetadataRow(nullptr);
    list->setCurrentItem(found.front());
    return MetadataRow(found.front());
  }
  void Tab(int index) { window_->tbsMetadata->Tabs()->setCurrentIndex(index); }
  // Answers the next edit dialog with `value` and OK.
  void TypeInNextDialog(const QString& value) {
    WhenModalOpens([value](QDialog* dialog) {
      auto* edit = qobject_cast<metadata::AttributeDialog*>(dialog);
      ASSERT_NE(edit, nullptr);
      edit->txtValue->setText(value);
      edit->cmdOK->click();
    });
  }
  void ChooseInNextFileDialog(const QString& path) {
    WhenModalOpens([path](QDialog* dialog) {
      auto* files = qobject_cast<QFileDialog*>(dialog);
      ASSERT_NE(files, nullptr);
      files->selectFile(path);
      dialog->accept();
    });
  }
  // The error report is a modal window of its own: closed as soon as it opens.
  void CloseErrorReports() {
    QObject::connect(&errorCloser_, &QTimer::timeout, [] {
      if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
        if (!qobject_cast<QFileDialog*>(dialog)) dialog->reject();
    });
    errorCloser_.start(20);
  }
  void Exif(int index) { window_->cmdEXIFBar[static_cast<size_t>(index)]->click(); }
  void Iptc(int index) { window_->cmdIPTCBar[static_cast<size_t>(index)]->click(); }

  QTemporaryDir dir_;
  QTimer errorCloser_;
  RecordingUi ui_;
  metadata::MetadataPane pane_;
  tasks::TaskList tasks_;
  std::unique_ptr<shell::MainWindow> window_;
  std::unique_ptr<browse::Viewer> viewer_;
};

TEST_F(MetadataPaneTest, TabsSwitchListsAndBarsByClickAndByCode) {
  EXPECT_TRUE(window_->cmdEXIFBar[0]->isEnabled());
  Tab(1);
  EXPECT_TRUE(window_->lvExif->isHidden());
  EXPECT_TRUE(window_->picEXIFBar->isHidden());
  EXPECT_FALSE(window_->lvIPTC->isHidden());
  EXPECT_FALSE(window_->picIPTCBar->isHidden());
  EXPECT_EQ(shell::gbytMetadataTab, 1);
  Tab(0);
  EXPECT_FALSE(window_->lvExif->isHidden());
  EXPECT_TRUE(window_->lvIPTC->isHidden());
  EXPECT_EQ(shell::gbytMetadataTab, 0);
  // A PSD selects the IPTC tab from the viewer's code.
  const QString psd = dir_.filePath(QStringLiteral("layers.psd"));
  ASSERT_EQ(Shell("convert -size 32x32 xc:red '" + psd.toStdString() + "'"), 0);
  Show(psd);
  EXPECT_TRUE(window_->lvExif->isHidden());
  EXPECT_FALSE(window_->lvIPTC->isHidden());
  EXPECT_EQ(shell::gbytMetadataTab, 1);
}

TEST_F(MetadataPaneTest, ToolTipsFollowTheSettingAndTheCaptionOpensTheTabsMenu) {
  shell::gSetup.TooltipOptions.ShowTooltips = 1;
  window_->subUpdateForm();
  EXPECT_EQ(
      window_->cmdEXIFBar[3]->toolTip(),
      QStringLiteral("Empty all EXIF tags from the image ( all EXIF tags will be discarded)"));
  EXPECT_EQ(window_->cmdIPTCBar[2]->toolTip(),
            QStringLiteral("Save the current IPTC tags from the image to file (.FFO)"));
  EXPECT_EQ(window_->lvExif->toolTip(),
            QStringLiteral("List all the available EXIF tags from the current image."));
  shell::gSetup.TooltipOptions.ShowTooltips = 0;
  window_->subUpdateForm();
  EXPECT_TRUE(window_->cmdIPTCBar[0]->toolTip().isEmpty());

  for (const auto& [tab, menu] : {std::pair{0, window_->frmFrameDummy->mnuEXIF},
                                  std::pair{1, window_->frmFrameDummy->mnuIPTC}}) {
    Tab(tab);
    QTest::mouseClick(window_->lblMetadata, Qt::LeftButton);
    EXPECT_TRUE(menu->isVisible()) << tab;
    menu->hide();
  }
}

TEST_F(MetadataPaneTest, IndexesOutsideTheTablesDoNothing) {
  const QString path = ShowJpeg();
  const QByteArray before = Bytes(path);
  for (int16_t index : {-1, 6, 100}) pane_.cmdEXIFBar_Click(index);
  for (int16_t index : {-1, 5, 100}) pane_.cmdIPTCBar_Click(index);
  EXPECT_EQ(Bytes(path), before);
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(MetadataPaneTest, EditArtistChangesRowAndFile) {
  const QString path = ShowJpeg();
  MetadataRow row = Select(window_->lvExif, QStringLiteral("Artist"));
  TypeInNextDialog(QStringLiteral("Bob"));
  Exif(0);
  EXPECT_EQ(row.Value(), QStringLiteral("Bob"));
  EXPECT_EQ(ExifTool(path, "-EXIF:Artist"), "Bob");
  EXPECT_FALSE(metadata::gPaneState.gbAttributeOK);
}

TEST_F(MetadataPaneTest, ARefusedValueIsSaidAndLeavesRowAndFile) {
  const QString path = dir_.filePath(QStringLiteral("wide.jpg"));
  const std::string file = "'" + path.toStdString() + "'";
  ASSERT_EQ(Shell("convert -size 64x48 xc:skyblue " + file), 0);
  ASSERT_EQ(Shell("exiftool -q -overwrite_original -ExifImageWidth=64 " + file), 0);
  Show(path);
  QTreeWidget* list = window_->lvExif;
  QTreeWidgetItem* width = nullptr;
  for (int i = 0; i < list->topLevelItemCount(); ++i)
    if (MetadataRow(list->topLevelItem(i)).Key() == u"PixelXDimension")
      width = list->topLevelItem(i);
  ASSERT_NE(width, nullptr);
  list->setCurrentItem(width);
  const QString shown = MetadataRow(width).Value();
  const QByteArray before = Bytes(path);
  TypeInNextDialog(QStringLiteral("wide"));
  Exif(0);
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text, QStringLiteral("The value is not valid for this attribute!"));
  EXPECT_EQ(MetadataRow(width).Value(), shown);
  EXPECT_EQ(Bytes(path), before);
}

TEST_F(MetadataPaneTest, EditOfAnUnkeyedRowOpensNothing) {
  const QString path = ShowJpeg();
  const QByteArray before = Bytes(path);
  Select(window_->lvExif, QStringLiteral("Exposure Time"));
  Exif(0);  // a dialog would stay open and fail the test's event loop
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  EXPECT_EQ(Bytes(path), before);
}

TEST_F(MetadataPaneTest, EditDateCreatedShowsTheShortDate) {
  const QString path = ShowJpeg();
  Tab(1);
  MetadataRow row = Select(window_->lvIPTC, QStringLiteral("Date Created"));
  // The dialog offers a date picker for dates; the menu's command opens it the same way.
  WhenModalOpens([](QDialog* dialog) {
    auto* edit = qobject_cast<metadata::frmExifEditAttribute*>(dialog);
    ASSERT_NE(edit, nullptr);
    edit->ucDateTime->SetDateSelected(plat::EncodeDate(2010, 5, 6));
    edit->cmdOK->click();
  });
  window_->frmFrameDummy->mnuIPTC->actions()[0]->trigger();
  EXPECT_EQ(row.Value(), QStringLiteral("5/6/2010"));
  EXPECT_EQ(ExifTool(path, "-IPTC:DateCreated"), "2010:05:06");
}

TEST_F(MetadataPaneTest, AddShowsTheRawNameAndWritesTheAttribute) {
  const QString path = dir_.filePath(QStringLiteral("plain.jpe"));
  ASSERT_EQ(Shell("convert -size 32x32 xc:tan jpeg:'" + path.toStdString() + "'"), 0);
  ASSERT_EQ(Shell("exiftool -q -overwrite_original -Make=Acme '" + path.toStdString() + "'"), 0);
  Show(path);
  WhenModalOpens([](QDialog* dialog) {
    auto* add = qobject_cast<metadata::frmExifNewAttribute*>(dialog);
    ASSERT_NE(add, nullptr);
    const int index = add->cmbAttribute->findText(QStringLiteral("DateTimeOriginal"));
    ASSERT_GE(index, 0);
    add->cmbAttribute->setCurrentIndex(index);
    emit add->cmbAttribute->activated(index);
    add->cmdOK->click();
  });
  Exif(1);
  const auto rows =
      window_->lvExif->findItems(QStringLiteral("DateTimeOriginal"), Qt::MatchExactly);
  ASSERT_EQ(rows.size(), 1);
  EXPECT_EQ(MetadataRow(rows.front()).Key(), QStringLiteral("DateTimeOriginal"));
  EXPECT_EQ(MetadataRow(rows.front()).Icon(), 1);
  EXPECT_NE(ExifTool(path, "-EXIF:DateTimeOriginal"), "");
  // The IPTC tab offers no add.
  Tab(1);
  pane_.cmdEXIFBar_Click(1);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(MetadataPaneTest, DeleteRemovesTheOnlyExifRowAndItsAttribute) {
  const QString path = ShowJpeg();
  QTreeWidget* list = window_->lvExif;
  for (int i = list->topLevelItemCount() - 1; i >= 0; --i)
    if (list->topLevelItem(i)->text(0) != u"Artist") delete list->takeTopLevelItem(i);
  ASSERT_EQ(list->topLevelItemCount(), 1);
  Select(list, QStringLiteral("Artist"));
  Exif(2);
  EXPECT_EQ(list->topLevelItemCount(), 0);
  EXPECT_EQ(ExifTool(path, "-EXIF:Artist"), "");
  EXPECT_EQ(ExifTool(path, "-EXIF:Make"), "Acme");
}

TEST_F(MetadataPaneTest, IptcDeleteKeepsTheRowEmptyDatesIncluded) {
  const QString path = ShowJpeg();
  Tab(1);
  for (const char* label : {"City", "Date Created", "Keywords"}) {
    MetadataRow row = Select(window_->lvIPTC, QString::fromLatin1(label));
    ASSERT_FALSE(row.Value().isEmpty()) << label;
    Iptc(3);
    EXPECT_TRUE(row.Value().isEmpty()) << label;
  }
  EXPECT_TRUE(ui_.messages.empty());
  EXPECT_EQ(ExifTool(path, "-IPTC:City -IPTC:DateCreated -IPTC:Keywords"), "");
  EXPECT_EQ(ExifTool(path, "-IPTC:Caption-Abstract"), "Harbour");
}

TEST_F(MetadataPaneTest, ClearAllAskedNoChangesNothingYesDiscardsAndKeepsXmp) {
  const QString path = ShowJpeg();
  const QByteArray before = Bytes(path);
  ui_.threeWayAnswer = shell::Answer::No;
  Exif(3);
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text,
            QStringLiteral("All EXIF metadata available in the current image will be deleted!\r\n"
                           "Do you want to continue?"));
  EXPECT_EQ(Bytes(path), before);
  EXPECT_GT(window_->lvExif->topLevelItemCount(), 0);

  ui_.threeWayAnswer = shell::Answer::Yes;
  Exif(3);
  EXPECT_EQ(window_->lvExif->topLevelItemCount(), 0);
  Tab(1);
  Iptc(4);
  for (int i = 0; i < window_->lvIPTC->topLevelItemCount(); ++i)
    EXPECT_TRUE(MetadataRow(window_->lvIPTC->topLevelItem(i)).Value().isEmpty());
  EXPECT_EQ(ExifTool(path, "-EXIF:all -IPTC:all"), "");
  EXPECT_EQ(ExifTool(path, "-XMP:Title"), "Kept");
  EXPECT_EQ(ExifTool(path, "-ImageSize"), "64x48");
}

TEST_F(MetadataPaneTest, ClearAllRewritesTiffAndPsdInPlace) {
  for (const char* name : {"scan.tif", "layers.psd"}) {
    const QString path = dir_.filePath(QString::fromLatin1(name));
    const std::string file = "'" + path.toStdString() + "'";
    ASSERT_EQ(Shell("convert -size 40x30 xc:navy " + file), 0);
    ASSERT_EQ(Shell("exiftool -q -overwrite_original -IPTC:City=Oslo -XMP:Title=Kept " + file), 0);
    Show(path);
    Tab(1);
    ASSERT_EQ(Select(window_->lvIPTC, QStringLiteral("City")).Value(), QStringLiteral("Oslo"));
    ui_.threeWayAnswer = shell::Answer::Yes;
    Iptc(4);
    EXPECT_EQ(ExifTool(path, "-IPTC:all"), "") << name;
    EXPECT_EQ(ExifTool(path, "-XMP:Title"), "Kept") << name;
    EXPECT_EQ(ExifTool(path, "-ImageSize"), "40x30") << name;
  }
}

TEST_F(MetadataPaneTest, FileInfoImportAsksOnlyOverIptcAndReportsABadFile) {
  // Fields to import, exported from an image that has them.
  const QString path = ShowJpeg();
  Tab(1);
  const QString info = dir_.filePath(QStringLiteral("fields.ffo"));
  ChooseInNextFileDialog(info);
  Iptc(2);
  ASSERT_TRUE(QFile::exists(info));
  // Into an image without IPTC: no question, and the list is read again.
  const QString bare = dir_.filePath(QStringLiteral("bare.jpg"));
  ASSERT_EQ(Shell("convert -size 32x32 xc:tan '" + bare.toStdString() + "'"), 0);
  Show(bare);
  Tab(1);
  ChooseInNextFileDialog(info);
  Iptc(1);
  EXPECT_TRUE(ui_.messages.empty());
  EXPECT_EQ(Select(window_->lvIPTC, QStringLiteral("City")).Value(), QStringLiteral("Oslo"));
  EXPECT_EQ(ExifTool(bare, "-IPTC:City"), "Oslo");
  // Now it has IPTC: asked first; a cut-short file is reported and changes nothing.
  QFile cut(dir_.filePath(QStringLiteral("cut.ffo")));
  ASSERT_TRUE(cut.open(QIODevice::WriteOnly));
  cut.write(Bytes(info).left(5));
  cut.close();
  const QByteArray before = Bytes(bare);
  ui_.threeWayAnswer = shell::Answer::Yes;
  shell::gstrErrorText.clear();
  ChooseInNextFileDialog(cut.fileName());
  CloseErrorReports();
  Iptc(1);
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_TRUE(ui_.messages[0].text.startsWith(u"Loading a .ffo file will replace"));
  EXPECT_TRUE(shell::gstrErrorText.contains(u"Invalid File Info."))
      << shell::gstrErrorText.toStdString();
  EXPECT_EQ(Bytes(bare), before);
  // The image keeps its IPTC, as the list still shows it.
  const pictavo::ax::ImageBoxProxy box(window_->ibMain->Dispatch());
  EXPECT_EQ(box.get_FFO_City().Utf8(), "Oslo");
  EXPECT_EQ(Select(window_->lvIPTC, QStringLiteral("City")).Value(), QStringLiteral("Oslo"));
  (void)path;
}

TEST_F(MetadataPaneTest, KeywordAndCategoryRewrites) {
  const QString path = ShowJpeg();
  Tab(1);
  MetadataRow keywords = Select(window_->lvIPTC, QStringLiteral("Keywords"));
  pane_.subUpdateIPTC_Keywords({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
  EXPECT_EQ(keywords.Value(), QStringLiteral("a,b,c"));
  EXPECT_EQ(ExifTool(path, "-IPTC:Keywords"), "a, b, c");
  MetadataRow categories = Select(window_->lvIPTC, QStringLiteral("Supplemental Categories"));
  pane_.subUpdateIPTC_Category({QStringLiteral("p"), QStringLiteral("q")}, QStringLiteral("3"));
  EXPECT_EQ(categories.Value(), QStringLiteral("p,q"));
  EXPECT_EQ(ExifTool(path, "-IPTC:SupplementalCategories"), "p, q");
  EXPECT_EQ(ExifTool(path, "-IPTC:Urgency -n"), "3");
  pane_.subUpdateIPTC_Category({}, QStringLiteral("None"));
  const pictavo::ax::ImageBoxProxy box(window_->ibMain->Dispatch());
  EXPECT_EQ(box.get_FFO_Urgency(), 0);
  EXPECT_EQ(ExifTool(path, "-IPTC:SupplementalCategories"), "");
}

TEST_F(MetadataPaneTest, FileInfoExportAppendsTheEndingOnlyWhenMissing) {
  ShowJpeg();
  Tab(1);
  struct Case {
    const char* chosen;
    const char* written;
  } cases[] = {{"info", "info.ffo"}, {"info2.FFO", "info2.FFO"}};
  for (const Case& c : cases) {
    ChooseInNextFileDialog(dir_.filePath(QString::fromLatin1(c.chosen)));
    Iptc(2);
    EXPECT_TRUE(QFile::exists(dir_.filePath(QString::fromLatin1(c.written)))) << c.chosen;
  }
}

TEST_F(MetadataPaneTest, ExifSetSavedAsGoldenBytesAndReadBack) {
  const QString path = ShowJpeg();
  ChooseInNextFileDialog(dir_.filePath(QStringLiteral("set")));
  Exif(5);
  const QByteArray saved = Bytes(dir_.filePath(QStringLiteral("set.xiff")));
  EXPECT_EQ(saved, QByteArray("\"Make\",\"Acme\"\r\n\"Artist\",\"Ann\"\r\n"
                              "\"DateTimeOriginal\",\"7/4/2003 1:05:09 PM\"\r\n"));
  // Loaded back over another value: the keyed row matched ignoring case, an unknown name added.
  QFile set(dir_.filePath(QStringLiteral("other.XIFF")));
  ASSERT_TRUE(set.open(QIODevice::WriteOnly));
  set.write("  \"artist\" , \"Cy \"\"Q\"\"\"\r\n\"Model\",\"Z, 1\"\n");
  set.close();
  ui_.threeWayAnswer = shell::Answer::Yes;
  ChooseInNextFileDialog(set.fileName());
  Exif(4);
  EXPECT_EQ(Select(window_->lvExif, QStringLiteral("Artist")).Value(), QStringLiteral("Cy \"Q\""));
  EXPECT_EQ(ExifTool(path, "-EXIF:Artist"), "Cy \"Q\"");
  EXPECT_EQ(ExifTool(path, "-EXIF:Model"), "Z, 1");
  EXPECT_EQ(Select(window_->lvExif, QStringLiteral("Model")).Key(), QStringLiteral("Model"));
}

TEST_F(MetadataPaneTest, ExifSetWithoutEditableRowsIsRemovedAndSaid) {
  ShowJpeg();
  QTreeWidget* list = window_->lvExif;
  for (int i = list->topLevelItemCount() - 1; i >= 0; --i)
    if (!MetadataRow(list->topLevelItem(i)).Key().isEmpty()) delete list->takeTopLevelItem(i);
  ChooseInNextFileDialog(dir_.filePath(QStringLiteral("none.XIFF")));
  EXPECT_FALSE(metadata::fncSaveEXIF(list, window_->ibMain));
  EXPECT_FALSE(QFile::exists(dir_.filePath(QStringLiteral("none.XIFF"))));
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_TRUE(ui_.messages[0].text.startsWith(u"There is no user editable EXIF attributes"));
}

TEST_F(MetadataPaneTest, ExifSetWithAMissingFieldStopsAfterEarlierRecords) {
  const QString path = ShowJpeg();
  QFile set(dir_.filePath(QStringLiteral("cut.xiff")));
  ASSERT_TRUE(set.open(QIODevice::WriteOnly));
  set.write("\"Artist\",\"Dee\"\r\n\"Make\"\r\n");
  set.close();
  ui_.threeWayAnswer = shell::Answer::Yes;
  ChooseInNextFileDialog(set.fileName());
  CloseErrorReports();
  EXPECT_FALSE(metadata::fncOpenEXIF(window_->lvExif, window_->ibMain));
  EXPECT_EQ(ExifTool(path, "-EXIF:Artist"), "Dee");
  EXPECT_EQ(ExifTool(path, "-EXIF:Make"), "Acme");
}

}  // namespace
