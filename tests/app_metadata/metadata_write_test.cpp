// Changes from the metadata pane reach the control and the file: the write-back rule by
// extension, EXIF values and dates as the lists show them, the "Software" stamp, IPTC fields,
// deletes, and the refusals and errors that leave the file as it was. exiftool reads the files.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <cstdio>
#include <cstdlib>
#include <ostream>
#include <string>

#include "app/metadata/metadata_lists.h"
#include "app/metadata/metadata_tables.h"
#include "app/metadata/metadata_write.h"
#include "app/shell/errors.h"
#include "app_metadata/control_fixture.h"
#include "app_metadata/exiftool_helpers.h"
#include "control/activex/imagebox_interface.h"
#include "platform/com/control_host.h"

namespace {

using metadata::WriteBack;

using metadata_test::Bytes;
using metadata_test::Shell;

// What exiftool reads for one tag (its value alone, as written in the file).
std::string ExifTool(const QString& path, const std::string& tag) {
  return metadata_test::ExifToolOutput(path, "-n -" + tag);
}

TEST(WriteBackRule, ByTheExtensionInAnyCase) {
  const std::pair<const char*, WriteBack> cases[] = {
      {"/p/a.jpg", WriteBack::JpegSegments},    {"/p/a.JPG", WriteBack::JpegSegments},
      {"/p/a.jpeg", WriteBack::JpegSegments},   {"/p/a.jpe", WriteBack::JpegSegments},
      {"/p/a.tif", WriteBack::InPlace},         {"/p/a.TIFF", WriteBack::InPlace},
      {"/p/a.psd", WriteBack::InPlace},         {"/p/a.png", WriteBack::ControlOnly},
      {"/p/a", WriteBack::ControlOnly},         {"/p.jpg/a", WriteBack::ControlOnly},
      {"/p/a.jpg.bak", WriteBack::ControlOnly},
  };
  for (const auto& [path, expected] : cases)
    EXPECT_EQ(metadata::WriteBackFor(QString::fromUtf8(path)), expected) << path;
}

class MetadataWrite : public MetadataControlTest {
 protected:
  // A JPEG written by ImageMagick, tagged by exiftool, loaded into the control.
  QString Jpeg(const QString& name, const std::string& tags = "-Artist=Ann") {
    const QString path = dir_.filePath(name);
    EXPECT_EQ(Shell("convert -size 40x30 gradient:red-blue 'JPG:" + path.toStdString() + "'"), 0);
    EXPECT_EQ(Shell("exiftool -q -overwrite_original " + tags + " '" + path.toStdString() + "'"),
              0);
    Box().LoadFromFile(path.toStdString());
    return path;
  }
};

TEST_F(MetadataWrite, AnExifChangeReachesTheFileStampedWithTheProgram) {
  const QString path = Jpeg(QStringLiteral("upper.JPG"));
  ASSERT_TRUE(Update(path, 0, "Artist", QStringLiteral("Bea")));
  EXPECT_EQ(ExifTool(path, "Artist"), "Bea");
  EXPECT_EQ(ExifTool(path, "Software"), "VelmoraJPEG2000B");
  EXPECT_TRUE(shell::gstrErrorRoutine.isEmpty());
}

TEST_F(MetadataWrite, DatesAsTheListsShowThemAndInExifForm) {
  const QString path = Jpeg(QStringLiteral("dates.jpg"));
  const std::pair<QVariant, const char*> cases[] = {
      {QStringLiteral("7/4/2003 1:05:09 PM"), "2003:07:04 13:05:09"},
      {QStringLiteral("12/31/1999 12:00:00 AM"), "1999:12:31 00:00:00"},
      {QStringLiteral("2/29/2004"), "2004:02:29 00:00:00"},
      {QStringLiteral("2001:02:03 04:05:06"), "2001:02:03 04:05:06"},
      {QVariant(37806.5), "2003:07:04 12:00:00"},
  };
  for (const auto& [value, stored] : cases) {
    ASSERT_TRUE(Update(path, 0, "DateTime", value)) << value.toString().toStdString();
    EXPECT_EQ(ExifTool(path, "ModifyDate"), stored) << value.toString().toStdString();
  }
}

TEST_F(MetadataWrite, AValueTheControlRefusesChangesNothingWithoutAReport) {
  const QString path = Jpeg(QStringLiteral("refused.jpg"));
  const QByteArray before = Bytes(path);
  EXPECT_FALSE(Update(path, 0, "NoSuchAttribute", QStringLiteral("x")));
  EXPECT_FALSE(Update(path, 0, "PixelXDimension", QStringLiteral("wide")));
  EXPECT_EQ(Bytes(path), before);
  EXPECT_TRUE(shell::gstrErrorRoutine.isEmpty());
  EXPECT_EQ(Box().get_ExifValueByName("Software").Utf8(), "");
}

TEST_F(MetadataWrite, ADateThatIsNoDateIsReportedAndNothingIsWritten) {
  const QString path = Jpeg(QStringLiteral("nodate.jpg"));
  const QByteArray before = Bytes(path);
  for (const char* text : {"", "yesterday", "2/30/2004", "13:61"}) {
    shell::gstrErrorRoutine.clear();
    EXPECT_FALSE(Update(path, 0, "DateTimeOriginal", QString::fromUtf8(text))) << text;
    EXPECT_EQ(shell::gstrErrorRoutine, QStringLiteral("modMetadata.fncUpdateAttribute")) << text;
  }
  EXPECT_EQ(Bytes(path), before);
}

TEST_F(MetadataWrite, IptcFieldsByTheirLabels) {
  const QString path = Jpeg(QStringLiteral("iptc.jpg"));
  ASSERT_TRUE(Update(path, 1, "Caption", QStringLiteral("Quay")));
  ASSERT_TRUE(Update(path, 1, "Date Created", QStringLiteral("2/29/2004")));
  ASSERT_TRUE(Update(path, 1, "By (Author)", QStringLiteral("Cy")));
  EXPECT_EQ(ExifTool(path, "IPTC:Caption-Abstract"), "Quay");
  EXPECT_EQ(ExifTool(path, "IPTC:DateCreated"), "2004:02:29");
  EXPECT_EQ(ExifTool(path, "IPTC:By-line"), "Cy");
  ASSERT_TRUE(Update(path, 1, "Time Created", QStringLiteral("1:05:09 PM")));
  EXPECT_EQ(ExifTool(path, "IPTC:TimeCreated").substr(0, 8), "13:05:09");
  // An emptied date is unset: it is not written at all.
  ASSERT_TRUE(Update(path, 1, "Date Created", QString()));
  EXPECT_EQ(ExifTool(path, "IPTC:DateCreated"), "");
  EXPECT_EQ(Box().get_FFO_DateCreated(), 0.0);
  EXPECT_TRUE(shell::gstrErrorRoutine.isEmpty());
}

// "Keywords" writes no member, but what the pane changed in the control is written back.
TEST_F(MetadataWrite, TheKeywordsLabelOnlyWritesBack) {
  const QString path = Jpeg(QStringLiteral("keywords.jpg"));
  Box().FFO_KeywordsAdd("a");
  ASSERT_TRUE(Update(path, 1, "Keywords", QStringLiteral("ignored")));
  EXPECT_EQ(ExifTool(path, "IPTC:Keywords"), "a");
}

TEST_F(MetadataWrite, OtherFilesKeepTheChangeInTheControlOnly) {
  const QString path = dir_.filePath(QStringLiteral("plain.png"));
  ASSERT_EQ(Shell("convert -size 20x20 xc:red '" + path.toStdString() + "'"), 0);
  Box().LoadFromFile(path.toStdString());
  const QByteArray before = Bytes(path);
  ASSERT_TRUE(Update(path, 1, "Caption", QStringLiteral("Memory")));
  ASSERT_TRUE(Update(path, 0, "Artist", QStringLiteral("Dee")));
  EXPECT_EQ(Bytes(path), before);
  EXPECT_EQ(Box().get_FFO_Caption().Utf8(), "Memory");
  EXPECT_EQ(Box().get_ExifValueByName("Artist").Utf8(), "Dee");
}

TEST_F(MetadataWrite, ADamagedTiffIsReportedLeftUnchangedAndTheChangeKept) {
  const QString good = dir_.filePath(QStringLiteral("good.tif"));
  ASSERT_EQ(Shell("convert -size 20x20 xc:red '" + good.toStdString() + "'"), 0);
  Box().LoadFromFile(good.toStdString());
  const QString damaged = dir_.filePath(QStringLiteral("damaged.tif"));
  QFile file(damaged);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(QByteArray("II*\0\xff\xff\0\0", 8));  // its first directory lies outside the file
  file.close();
  const QByteArray before = Bytes(damaged);
  EXPECT_FALSE(Update(damaged, 1, "Caption", QStringLiteral("Kept")));
  EXPECT_EQ(shell::gstrErrorRoutine, QStringLiteral("modMetadata.fncUpdateAttribute"));
  EXPECT_TRUE(shell::gstrErrorText.endsWith(u"The metadata could not be written to this file."))
      << shell::gstrErrorText.toStdString();
  EXPECT_EQ(Bytes(damaged), before);
  EXPECT_EQ(Box().get_FFO_Caption().Utf8(), "Kept");
}

TEST_F(MetadataWrite, DeletingAnAttributeRemovesItFromFileAndList) {
  const QString path = Jpeg(QStringLiteral("delete.jpg"), "-Artist=Ann -Make=Acme");
  QTreeWidget list;
  metadata::ReadFileEXIFInfo(&host_, &list, path);
  const int rows = list.topLevelItemCount();
  QTreeWidgetItem* artist = nullptr;
  for (int i = 0; i < rows; ++i)
    if (metadata::MetadataRow(list.topLevelItem(i)).Tag() == u"Artist")
      artist = list.topLevelItem(i);
  ASSERT_NE(artist, nullptr);

  list.setCurrentItem(artist);
  EXPECT_FALSE(metadata::fncDeleteAttribute(QStringLiteral("Model"), &host_, &list));
  EXPECT_EQ(list.topLevelItemCount(), rows);

  // With no image the file named by the list is read first.
  Box().Clear();
  ASSERT_TRUE(metadata::fncDeleteAttribute(QStringLiteral("Artist"), &host_, &list));
  EXPECT_EQ(list.topLevelItemCount(), rows - 1);
  EXPECT_FALSE(metadata::fncIsAttributeNotListed(&list, QStringLiteral("Make")));
  EXPECT_EQ(ExifTool(path, "Artist"), "");
  EXPECT_EQ(ExifTool(path, "Make"), "Acme");
  EXPECT_EQ(ExifTool(path, "Software"), "VelmoraJPEG2000B");
  EXPECT_TRUE(shell::gstrErrorRoutine.isEmpty());
}

TEST_F(MetadataWrite, EmptyingKeywordsAndCategories) {
  const QString path =
      Jpeg(QStringLiteral("lists.jpg"),
           "-IPTC:Keywords=a -IPTC:Keywords=b -IPTC:SupplementalCategories=x -IPTC:City=Oslo");
  const QByteArray before = Bytes(path);
  EXPECT_FALSE(metadata::fncDeleteIPTC_Keywords_suppCat(path, QStringLiteral("City"), &host_));
  EXPECT_EQ(Bytes(path), before);
  ASSERT_TRUE(metadata::fncDeleteIPTC_Keywords_suppCat(path, QStringLiteral("Keywords"), &host_));
  EXPECT_EQ(ExifTool(path, "IPTC:Keywords"), "");
  EXPECT_EQ(ExifTool(path, "IPTC:SupplementalCategories"), "x");
  ASSERT_TRUE(metadata::fncDeleteIPTC_Keywords_suppCat(
      path, QStringLiteral("Supplemental Categories"), &host_));
  EXPECT_EQ(ExifTool(path, "IPTC:SupplementalCategories"), "");
  EXPECT_EQ(ExifTool(path, "IPTC:City"), "Oslo");
}

TEST_F(MetadataWrite, AJpegThatCannotBeRewrittenIsReportedAndKeepsTheChange) {
  const QString path = Jpeg(QStringLiteral("gone.jpg"));
  QFile::remove(path);
  EXPECT_FALSE(Update(path, 1, "Caption", QStringLiteral("Lost?")));
  EXPECT_EQ(shell::gstrErrorRoutine, QStringLiteral("modMetadata.fncUpdateAttribute"));
  EXPECT_EQ(Box().get_FFO_Caption().Utf8(), "Lost?");
}

}  // namespace
