#include <gtest/gtest.h>

#include <sys/stat.h>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <cstdlib>

#include "app/shell/file_facts.h"
#include "recording_ui.h"

namespace {

using shell::clsFileInfo;

class EnglishLocale : public ::testing::Test {
 protected:
  void SetUp() override { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
  void TearDown() override { QLocale::setDefault(QLocale::system()); }
};

using SizeText = EnglishLocale;

TEST_F(SizeText, ShortAndLongForms) {
  constexpr int64_t KiB = 1024, MiB = KiB * KiB, GiB = MiB * KiB;
  struct Case {
    int64_t size;
    QString shortForm, longForm;
  };
  const Case cases[] = {
      {-1, "0.0KB (0 bytes)", "0.0KB (0 bytes)"},
      {-5, "-5 bytes", "-5 bytes"},
      {0, "0 bytes", "0 bytes"},
      {512, "512 bytes", "512 bytes"},
      {1023, "1,023 bytes", "1,023 bytes"},
      {1024, "1.00KB", "1.00KB (1,024 bytes)"},
      {1536, "1.50KB", "1.50KB (1,536 bytes)"},
      {10239, "10.00KB", "10.00KB (10,239 bytes)"},
      {10240, "10.0KB", "10.0KB (10,240 bytes)"},
      {1000 * KiB - 1, "1000.0KB", "1000.0KB (1,023,999 bytes)"},
      {1000 * KiB, "0.98MB", "0.98MB (1,024,000 bytes)"},
      {MiB, "1.00MB", "1.00MB (1,048,576 bytes)"},
      {1000 * 1000 * KiB, "0.95GB", "0.95GB (1,024,000,000 bytes)"},
      {2147483647, "2.00GB", "2.00GB (2,147,483,647 bytes)"},
      {3 * GiB, "3.00GB", "3.00GB (3,221,225,472 bytes)"},
      {5 * 1024 * GiB, "5120.00GB", "5120.00GB (5,497,558,138,880 bytes)"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(clsFileInfo::FormatSize(c.size, 0), c.shortForm) << c.size;
    EXPECT_EQ(clsFileInfo::FormatSize(c.size, 1), c.longForm) << c.size;
  }
}

TEST(VersionText, SplitsAtPointsAndCommas) {
  struct Case {
    QString text;
    int16_t major, minor;
    float revision;
  };
  const Case cases[] = {
      {"1.03.0167", 1, 3, 167}, {"1, 0, 3, 4", 1, 0, 4}, {"", 0, 0, 0},
      {"x.2", 0, 0, 2},         {"7", 0, 0, 7},
  };
  for (const Case& c : cases) {
    int16_t major = 0, minor = 0;
    float revision = 0;
    clsFileInfo::SplitVersion(c.text, major, minor, revision);
    EXPECT_EQ(major, c.major) << c.text.toStdString();
    EXPECT_EQ(minor, c.minor) << c.text.toStdString();
    EXPECT_EQ(revision, c.revision) << c.text.toStdString();
  }
  int16_t major = 9, minor = 9;
  float revision = 9;
  clsFileInfo::SplitVersion("", major, minor, revision);
  EXPECT_EQ(major + minor + revision, 0);
}

TEST(DateText, StripsTheDateOrTheTime) {
  const QString example = "Monday, January 15, 2007 10:30:45 AM";
  const QString shortYear = "Friday, March 5, 07 9:05:00 PM";
  struct Case {
    QString text;
    bool stripTime, stripDate, fourDigitYear;
    QString result;
  };
  const Case cases[] = {
      {example, false, true, false, "01/15/2007"},
      {example, true, false, false, "10:30:45 AM"},
      {example, true, true, false, "01/15/2007"},
      {example, false, false, false, ""},
      {"January 15, 2007 10:30:45 AM", false, true, false, ""},
      {"Monday January 15 2007 10:30:45 AM", false, true, false, ""},
      {"Monday, January 15, 2007 10:30:45", true, false, false, ""},
      {"", true, true, true, ""},
      {shortYear, false, true, true, "03/5/2007"},
      {shortYear, false, true, false, "03/5/07"},
      {shortYear, true, false, true, "09:05:00 PM"},
      {"Sunday, May 2, 99 1:00:00 AM", false, true, true, "05/2/1999"},
      {"Sunday, May 2, 50 1:00:00 AM", false, true, true, "05/2/2050"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(clsFileInfo::Strip_DateTime(c.text, c.stripTime, c.stripDate, c.fourDigitYear),
              c.result)
        << c.text.toStdString() << " " << c.stripTime << c.stripDate << c.fourDigitYear;
}

TEST(DateText, MonthFromTheEndOfAText) {
  struct Case {
    QString text;
    bool asName;
    QString result;
  };
  const Case cases[] = {
      {"", true, ""},
      {"Monday, January", false, "01"},
      {"december", true, "December"},
      {"x MAY", false, "05"},
      {"Mayday", false, ""},
      {"SEPTEMBER", true, "September"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(clsFileInfo::MonthFromText(c.text, c.asName), c.result) << c.text.toStdString();
}

TEST(PathText, NamesExtensionsAndNulls) {
  EXPECT_EQ(clsFileInfo::StripFileFromPath("/data/photo.jpeg"), "photo.jpeg");
  EXPECT_EQ(clsFileInfo::StripFileFromPath("/data/"), "");
  EXPECT_EQ(clsFileInfo::StripFileFromPath("bare.txt"), "bare.txt");
  EXPECT_EQ(clsFileInfo::StripFileFromPath(""), "");
  EXPECT_EQ(clsFileInfo::StripFileExtention("archive.tar.gz"), "gz");
  EXPECT_EQ(clsFileInfo::StripFileExtention("README"), "");
  EXPECT_EQ(clsFileInfo::TrimAtNull(QString::fromLatin1("JPEG image\0junk", 15)), "JPEG image");
  EXPECT_EQ(clsFileInfo::TrimAtNull(QString::fromLatin1("\0junk", 5)), "");
  EXPECT_EQ(clsFileInfo::TrimAtNull("  padded  "), "padded");
}

class RealFiles : public EnglishLocale {
 protected:
  QString Make(const QString& name, qint64 size) const {
    const QString path = dir_.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(size, 'x'));
    return path;
  }
  static mode_t Mode(const QString& path) {
    struct stat st {};
    EXPECT_EQ(::stat(path.toLocal8Bit().constData(), &st), 0);
    return st.st_mode;
  }
  QTemporaryDir dir_;
  RecordingUi ui_;
};

TEST_F(RealFiles, FactsOfAFileAndTheSizeFormItKeeps) {
  const QString path = Make("photo.jpeg", 1536);
  clsFileInfo info;
  info.FilePath(path);
  EXPECT_EQ(info.FilePath(), path);
  EXPECT_EQ(info.fPath16bit(), path);
  EXPECT_EQ(info.fName32bit(), "photo.jpeg");
  EXPECT_EQ(info.fName16bit(), "photo.jpeg");
  EXPECT_EQ(info.fFileExtention(), "jpeg");
  EXPECT_EQ(info.fLocation(), dir_.path() + "/");
  EXPECT_EQ(info.fType(), "JPEG image");
  EXPECT_FALSE(info.fIconH().isNull());
  EXPECT_EQ(info.fSize(), 1536);
  EXPECT_EQ(info.fSizeFormated(1), "1.50KB (1,536 bytes)");
  EXPECT_EQ(info.fSizeFormated(0), "1.50KB");
  EXPECT_EQ(info.fSizeCompressed(), 0);
  EXPECT_EQ(info.fSizeCompressedFormated(), "Not Compressed");
  EXPECT_EQ(info.fTargetOS(), "Undefined or Unknown");
  for (const QString& field : {info.fVersion(), info.fCompanyName(), info.fLanguage(),
                               info.fProductVersion(), info.fDecription()})
    EXPECT_TRUE(field.isEmpty());
  EXPECT_EQ(info.fVersion_Major(), "0");
  EXPECT_TRUE(info.fATTR_Normal());
  EXPECT_FALSE(info.fATTR_ReadOnly() || info.fATTR_Hidden() || info.fATTR_Archive());
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(RealFiles, DatesAreKeptAsValuesAndLocalText) {
  const QString path = Make("dated.txt", 3);
  ASSERT_EQ(std::system(("touch -m -d '2007-01-15 10:30:45' '" + path + "'").toLocal8Bit()), 0);
  clsFileInfo info;
  info.FilePath(path);
  EXPECT_EQ(info.DateModifiedValue().toLocalTime(),
            QDateTime(QDate(2007, 1, 15), QTime(10, 30, 45)));
  EXPECT_TRUE(info.fDateModified().startsWith("1/15/07 10:30:45 AM"))
      << info.fDateModified().toStdString();
  EXPECT_TRUE(info.DateCreatedValue().isValid());
  EXPECT_TRUE(info.DateAccessedValue().isValid());
}

TEST_F(RealFiles, TypeFallsBackToTheExtension) {
  clsFileInfo info;
  info.FilePath(Make("data.abc", 1));
  EXPECT_EQ(info.fType(), "ABC File");
  info.FilePath(Make("noextension", 1));
  EXPECT_EQ(info.fType(), "File");
  EXPECT_EQ(info.fFileExtention(), "");
}

TEST_F(RealFiles, AMissingOrUnreadablePathKeepsTheEarlierFacts) {
  const QString first = Make("first.png", 2048);
  const QString fifo = dir_.filePath("pipe");
  ASSERT_EQ(::mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
  clsFileInfo info;
  info.FilePath(first);
  for (const QString& other : {dir_.filePath("missing.png"), fifo, dir_.path(), QString()}) {
    info.FilePath(other);
    EXPECT_EQ(info.FilePath(), first);
    EXPECT_EQ(info.fSize(), 2048);
    EXPECT_EQ(info.fName32bit(), "first.png");
  }
  EXPECT_FALSE(clsFileInfo::CheckIfFileExists(fifo));
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(RealFiles, ShortNameOfAMissingFileIsRefusedWithAMessage) {
  const QString missing = dir_.filePath("gone.tif");
  EXPECT_EQ(clsFileInfo::ConvertLong2Short(missing), "");
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].caption, "  File Not Found");
  EXPECT_EQ(ui_.messages[0].text,
            missing + "\r\rCould not find this file to convert to 16bit file name.");
  const QString present = Make("here.tif", 1);
  EXPECT_EQ(clsFileInfo::ConvertLong2Short(present), present);
}

TEST_F(RealFiles, ReadOnlyChangesTheOwnersWriteBitAndHiddenFollowsTheName) {
  const QString path = Make(".secret", 4);
  clsFileInfo info;
  info.FilePath(path);
  EXPECT_TRUE(info.fATTR_Hidden());
  EXPECT_FALSE(info.fATTR_Normal());
  info.fATTR_ReadOnly(true);
  EXPECT_TRUE(info.fATTR_ReadOnly());
  EXPECT_EQ(Mode(path) & S_IWUSR, 0u);
  info.fATTR_Hidden(false);
  EXPECT_TRUE(info.fATTR_Hidden());
  EXPECT_EQ(Mode(path) & S_IWUSR, 0u) << "clearing hidden must leave the file read-only";
  info.fATTR_Normal(true);
  EXPECT_FALSE(info.fATTR_ReadOnly());
  EXPECT_NE(Mode(path) & S_IWUSR, 0u);

  clsFileInfo reread;
  reread.FilePath(path);
  EXPECT_FALSE(reread.fATTR_ReadOnly());
}

TEST(SharedFileFacts, OneObjectForTheGuiThread) {
  EXPECT_EQ(&shell::gobjFileInfo(), &shell::gobjFileInfo());
}

}  // namespace
