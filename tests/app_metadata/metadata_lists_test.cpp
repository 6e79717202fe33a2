// The EXIF and IPTC lists filled from a real ImageBox over files exiftool wrote: rows, keys, tags,
// icons, dates and the readable values; the IPTC list's 52 rows; a PSD's IPTC, which the viewer
// shows through the picture loader; and the key test the add dialog relies on.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QString>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <cstdlib>
#include <map>
#include <ostream>
#include <set>
#include <string>

#include "app/metadata/metadata_lists.h"
#include "app/metadata/metadata_tables.h"
#include "app/metadata/pane_service.h"
#include "app/shell/errors.h"
#include "app_metadata/exiftool_helpers.h"
#include "control/activex/imagebox_interface.h"
#include "platform/com/control_host.h"
#include "support/qstring_print.h"

namespace {

using metadata::MetadataRow;

using metadata_test::Shell;

class MetadataLists : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_TRUE(dir_->isValid());
    ::setenv("XDG_CONFIG_HOME", dir_->path().toUtf8().constData(), 1);
    ASSERT_EQ(Shell(std::string(VELMORA_REGSVR) + " -s " + PICTAVO_LIBRARY), 0);
    metadata::subInitMetadataTables();
    ASSERT_EQ(Shell("convert -size 64x48 gradient:red-blue " + Path("plain.jpg")), 0);
    const std::map<std::string, std::string> tags = {
        {"camera.jpg",
         "-Make=Acme -Model=Z1 -Artist=Ann -Copyright=Me '-DateTimeOriginal=2003:07:04 13:05:09' "
         "-ExposureTime=0.008 -FNumber=2.8 -EXIF:Flash#=16 -ISO=100 -MeteringMode#=5 "
         "-Orientation#=3 "
         "-FocalLength=6.3 -ExposureCompensation=-0.67"},
        {"iptc.jpg",
         "-IPTC:Caption-Abstract=Harbour -IPTC:Keywords=a -IPTC:Keywords=b "
         "-IPTC:SupplementalCategories=x -IPTC:DateCreated=2004:02:29 -IPTC:City=Oslo"},
        {"bad_date.jpg", "-n -Make=Acme '-DateTimeOriginal=2003:13:45 10:00:00'"},
    };
    for (const auto& [name, args] : tags) {
      ASSERT_EQ(Shell("cp " + Path("plain.jpg") + " " + Path(name)), 0);
      ASSERT_EQ(Shell("exiftool -q -overwrite_original " + args + " " + Path(name)), 0) << name;
    }
    ASSERT_EQ(Shell("convert -size 64x48 xc:orange " + Path("captioned.psd")), 0);
    ASSERT_EQ(Shell("exiftool -q -overwrite_original -IPTC:Caption-Abstract=Quay " +
                    Path("captioned.psd")),
              0);
    ASSERT_EQ(Shell("convert -size 64x48 xc:green BMP3:" + Path("picture.bmp")), 0);
  }
  static void TearDownTestSuite() { delete dir_; }
  static std::string Path(const std::string& name) {
    return dir_->filePath(QString::fromStdString(name)).toStdString();
  }
  static QString QPath(const std::string& name) { return QString::fromStdString(Path(name)); }

  void SetUp() override {
    host_.SetControl(QStringLiteral("Pictavo.ImageBox"));
    shell::gstrErrorRoutine.clear();
    // An error report would wait for a person: close it (the test then sees its routine).
    QObject::connect(&modalWatch_, &QTimer::timeout, [] {
      if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
        dialog->reject();
    });
    modalWatch_.start(20);
  }
  void TearDown() override {
    modalWatch_.stop();
    EXPECT_TRUE(shell::gstrErrorRoutine.isEmpty()) << shell::gstrErrorRoutine.toStdString();
  }

  pictavo::ax::ImageBoxProxy Box() const { return pictavo::ax::ImageBoxProxy(host_.Dispatch()); }
  void Load(const std::string& name) { Box().LoadFromFile(Path(name)); }

  // Rows by their tag (EXIF) or by their text (IPTC).
  static std::map<QString, MetadataRow> ByTag(const QTreeWidget& list) {
    std::map<QString, MetadataRow> rows;
    for (int i = 0; i < list.topLevelItemCount(); ++i) {
      const MetadataRow row(list.topLevelItem(i));
      rows.emplace(row.Tag(), row);
    }
    return rows;
  }
  static std::map<QString, QString> ValuesByText(const QTreeWidget& list) {
    std::map<QString, QString> values;
    for (int i = 0; i < list.topLevelItemCount(); ++i) {
      const MetadataRow row(list.topLevelItem(i));
      values[row.Text()] = row.Value();
    }
    return values;
  }

  static inline QTemporaryDir* dir_ = new QTemporaryDir;
  plat::com::ControlHost host_;
  QTreeWidget list_;
  QTimer modalWatch_;
};

TEST_F(MetadataLists, ExifRowsShowReadableNamesAndValuesKeyedOnlyWhenEditable) {
  Load("camera.jpg");
  metadata::ReadFileEXIFInfo(&host_, &list_, QPath("camera.jpg"));
  EXPECT_EQ(metadata::ListTag(&list_), QPath("camera.jpg"));
  const std::map<QString, MetadataRow> rows = ByTag(list_);
  ASSERT_EQ(static_cast<int>(rows.size()), list_.topLevelItemCount());

  struct Expected {
    const char* tag;
    const char* text;
    const char* value;
  };
  const Expected expected[] = {
      {"Make", "Make", "Acme"},
      {"Model", "Model", "Z1"},
      {"Artist", "Artist", "Ann"},
      {"Copyright", "Copyright", "Me"},
      {"DateTimeOriginal", "Date/Time Original", "7/4/2003 1:05:09 PM"},
      {"ExposureTime", "Exposure Time", "1/125 s"},
      {"FNumber", "F-Number", "f/2.8"},
      {"Flash", "Flash", "Flash did not fire, compulsory flash mode"},
      {"ISOSpeedRatings", "ISO Speed Ratings", "100"},
      {"MeteringMode", "Metering Mode", "Multi-segment"},
      {"Orientation", "Orientation", "Bottom Right"},
      {"FocalLength", "Focal Length", "6.3 mm"},
      {"ExifVersion", "Exif Version", ""},  // the value depends on the writer; checked below
  };
  for (const Expected& e : expected) {
    const auto found = rows.find(QString::fromUtf8(e.tag));
    ASSERT_NE(found, rows.end()) << e.tag;
    EXPECT_EQ(found->second.Text(), QString::fromUtf8(e.text)) << e.tag;
    if (*e.value) {
      EXPECT_EQ(found->second.Value(), QString::fromUtf8(e.value)) << e.tag;
    }
  }
  EXPECT_TRUE(rows.at(QStringLiteral("ExifVersion")).Value().contains(u'.'));

  // Keys and icons mark exactly the editable attributes.
  for (const auto& [tag, row] : rows) {
    const bool editable = metadata::fncIsUserEditableEXIF(tag);
    EXPECT_EQ(row.Key(), editable ? tag : QString()) << tag.toStdString();
    EXPECT_EQ(row.Icon(), editable ? 1 : 0) << tag.toStdString();
  }
}

TEST_F(MetadataLists, EveryAttributeOfTheControlHasItsRowInOrder) {
  Load("camera.jpg");
  metadata::ReadFileEXIFInfo(&host_, &list_, QPath("camera.jpg"));
  const int32_t count = Box().get_ExifCount();
  ASSERT_GT(count, 10);
  ASSERT_EQ(list_.topLevelItemCount(), count);
  for (int32_t i = 0; i < count; ++i)
    EXPECT_EQ(MetadataRow(list_.topLevelItem(i)).Tag().toStdString(), Box().get_ExifName(i).Utf8());
}

TEST_F(MetadataLists, ADamagedDateNeverOpensAReport) {
  Load("bad_date.jpg");
  metadata::ReadFileEXIFInfo(&host_, &list_, QPath("bad_date.jpg"));
  const std::map<QString, MetadataRow> rows = ByTag(list_);
  ASSERT_TRUE(rows.count(QStringLiteral("Make")));
  ASSERT_TRUE(rows.count(QStringLiteral("DateTimeOriginal")));
  const MetadataRow date = rows.at(QStringLiteral("DateTimeOriginal"));
  // The control either refuses the date (raw name, no value) or gives the zero date.
  if (date.Value().isEmpty()) {
    EXPECT_EQ(date.Text(), QStringLiteral("DateTimeOriginal"));
  } else {
    EXPECT_EQ(date.Value(), QStringLiteral("12/30/1899 12:00:00 AM"));
  }
}

TEST_F(MetadataLists, NoExifGivesAnEmptyListWithItsPath) {
  Load("plain.jpg");
  metadata::ReadFileEXIFInfo(&host_, &list_, QPath("plain.jpg"));
  EXPECT_EQ(list_.topLevelItemCount(), 0);
  EXPECT_EQ(metadata::ListTag(&list_), QPath("plain.jpg"));
}

TEST_F(MetadataLists, WithoutAnImageBothListsStayAsTheyWere) {
  metadata::SetListTag(&list_, QStringLiteral("/earlier.jpg"));
  MetadataRow::Add(&list_, QStringLiteral("kept"));
  metadata::ReadFileEXIFInfo(&host_, &list_, QPath("camera.jpg"));
  metadata::ReadFileIPTCInfo(&host_, &list_, QPath("camera.jpg"));
  EXPECT_EQ(list_.topLevelItemCount(), 1);
  EXPECT_EQ(metadata::ListTag(&list_), QStringLiteral("/earlier.jpg"));
}

TEST_F(MetadataLists, IptcListHasItsFiftyTwoRowsWithJoinedListsAndShortDates) {
  Load("iptc.jpg");
  metadata::ReadFileIPTCInfo(&host_, &list_, QPath("iptc.jpg"));
  ASSERT_EQ(list_.topLevelItemCount(), 52);
  EXPECT_EQ(MetadataRow(list_.topLevelItem(0)).Text(), QStringLiteral("Caption"));
  EXPECT_EQ(MetadataRow(list_.topLevelItem(51)).Text(), QStringLiteral("Image Notes"));
  EXPECT_EQ(MetadataRow(list_.topLevelItem(50)).Text(), QStringLiteral("Custom Field 20"));
  for (int i = 0; i < 52; ++i) {
    const MetadataRow row(list_.topLevelItem(i));
    EXPECT_EQ(row.Icon(), 1);
    EXPECT_TRUE(row.Key().isEmpty());
    EXPECT_TRUE(row.Tag().isEmpty());
  }
  const std::map<QString, QString> values = ValuesByText(list_);
  EXPECT_EQ(values.at(QStringLiteral("Caption")), QStringLiteral("Harbour"));
  EXPECT_EQ(values.at(QStringLiteral("Keywords")), QStringLiteral("a,b"));
  EXPECT_EQ(values.at(QStringLiteral("Supplemental Categories")), QStringLiteral("x"));
  EXPECT_EQ(values.at(QStringLiteral("Date Created")), QStringLiteral("2/29/2004"));
  EXPECT_EQ(values.at(QStringLiteral("City")), QStringLiteral("Oslo"));
  EXPECT_EQ(values.at(QStringLiteral("Date Released")), QString());
  EXPECT_EQ(values.at(QStringLiteral("Reference Date")), QString());
  EXPECT_EQ(values.count(QStringLiteral("Time Created")), 0u);
}

TEST_F(MetadataLists, AnImageWithoutIptcStillListsEveryFieldEmpty) {
  Load("plain.jpg");
  metadata::ReadFileIPTCInfo(&host_, &list_, QPath("plain.jpg"));
  ASSERT_EQ(list_.topLevelItemCount(), 52);
  for (const auto& [label, value] : ValuesByText(list_))
    EXPECT_TRUE(value.isEmpty()) << label.toStdString();
}

// The viewer shows a PSD through the picture loader: the control holds only its picture.
TEST_F(MetadataLists, APsdShownAsAPictureListsTheFilesIptc) {
  Load("picture.bmp");
  metadata::PaneService service;
  service.ReadFileIPTCInfo(&host_, &list_, QPath("captioned.psd"));
  EXPECT_EQ(ValuesByText(list_).at(QStringLiteral("Caption")), QStringLiteral("Quay"));
  EXPECT_EQ(Box().get_FFO_Caption().Utf8(), "Quay");
}

TEST_F(MetadataLists, AttributeNotListedComparesKeysExactly) {
  EXPECT_TRUE(metadata::fncIsAttributeNotListed(&list_, QStringLiteral("Make")));
  MetadataRow::Add(&list_, QStringLiteral("Model"));  // no key: never matches
  MetadataRow::Add(&list_, QStringLiteral("Make"), QStringLiteral("Make"), 1);
  EXPECT_FALSE(metadata::fncIsAttributeNotListed(&list_, QStringLiteral("Make")));
  EXPECT_TRUE(metadata::fncIsAttributeNotListed(&list_, QStringLiteral("make")));
  EXPECT_TRUE(metadata::fncIsAttributeNotListed(&list_, QStringLiteral("Model")));
}

}  // namespace
