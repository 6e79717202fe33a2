// Naming tokens resolved against a real ImageBox created by its ProgID, over JPEG files whose
// EXIF and IPTC data exiftool wrote.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QFileInfo>
#include <QTimer>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

#include "app/metadata/metadata_tables.h"
#include "app/output/naming_tokens.h"
#include "app/shell/errors.h"
#include "app/shell/file_facts.h"
#include "control/activex/imagebox_interface.h"
#include "platform/com/control_host.h"

namespace {

namespace fs = std::filesystem;
using output::fncRetrieveNamingString;
using output::TokenList;
using output::TokensOf;

const QDateTime kFourthOfJuly(QDate(2003, 7, 4), QTime(13, 5, 9));

int Shell(const std::string& command) {
  return std::system(command.c_str());
}

TEST(NamingPatterns, WriteMonthDayYearAndTwelveHourClockWithFullStops) {
  struct Case {
    QDateTime when;
    const char* date;
    const char* dateTime;
  } cases[] = {
      {kFourthOfJuly, "7.4.2003", "7.4.2003 1.05.09 PM"},
      {QDateTime(QDate(2010, 11, 25), QTime(0, 5, 0)), "11.25.2010", "11.25.2010 12.05.00 AM"},
      {QDateTime(QDate(1999, 1, 1), QTime(12, 0, 0)), "1.1.1999", "1.1.1999 12.00.00 PM"},
      {output::FromAutomationDate(0), "12.30.1899", "12.30.1899 12.00.00 AM"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(output::NamingDate(c.when), c.date);
    EXPECT_EQ(output::NamingDateTime(c.when), c.dateTime);
  }
}

TEST(NamingTokens, ListsHoldTheTokensInTheirOfferedOrder) {
  const QStringList naming = TokensOf(TokenList::Naming);
  ASSERT_EQ(naming.size(), 25);
  EXPECT_EQ(naming.front(), "[No Prefix]");
  EXPECT_EQ(naming.at(12), "[EXIF Date]");
  EXPECT_EQ(naming.back(), "[IPTC Ref. Number]");
  EXPECT_EQ(TokensOf(TokenList::Separator), QStringList({"_", "-", "=", ",", ".", ";", "!", "AND",
                                                         "[WhiteSpace]", "[No Separator]"}));
  EXPECT_EQ(TokensOf(TokenList::Counter), QStringList({"[Starting 1]", "[Starting 1001]"}));
}

TEST(NamingTokens, SeparatorTexts) {
  const std::map<QString, QString> cases = {{"[WhiteSpace]", " "},
                                            {"[No Separator]", ""},
                                            {"AND", "AND"},
                                            {"[whitespace]", "[whitespace]"},
                                            {"~", "~"}};
  for (const auto& [token, text] : cases)
    EXPECT_EQ(output::fncSeparatorText(token), text) << token.toStdString();
}

class TokenResolution : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    scratch_ = fs::temp_directory_path() / ("naming-tokens-" + std::to_string(::getpid()));
    fs::create_directories(scratch_);
    ::setenv("XDG_CONFIG_HOME", scratch_.c_str(), 1);
    ASSERT_EQ(Shell(std::string(VELMORA_REGSVR) + " -s " + PICTAVO_LIBRARY), 0);
    metadata::subInitMetadataTables();
    ASSERT_EQ(Shell("convert -size 300x200 gradient:red-blue " + Path("plain.jpg")), 0);
    const std::map<std::string, std::string> tags = {
        {"full.jpg",
         "-Make=Acme -Model=Z1 -ImageDescription=Harbour -Artist=Ann "
         "'-DateTimeOriginal=2003:07:04 13:05:09' -ExifImageWidth=640 -ExifImageHeight=480 "
         "-IPTC:Headline=Head -IPTC:Caption-Abstract=Cap -IPTC:By-line=Bo "
         "-IPTC:DateCreated=2004:02:29 -IPTC:ReleaseDate=2005:03:01 "
         "-IPTC:ReferenceDate=2006:12:31 -IPTC:ReferenceNumber=42"},
        {"make_only.jpg", "-Make=Acme"},
        {"short_date.jpg", "-n -DateTimeOriginal=2003:07:04"},
        {"unknown_date.jpg", "-n '-DateTimeOriginal=0000:00:00 00:00:00'"},
        {"blank_date.jpg", "-n '-DateTimeOriginal=    :  :     :  :  '"},
        {"bad_month.jpg", "-n '-DateTimeOriginal=2003:13:45 10:00:00'"},
    };
    for (const auto& [name, args] : tags) {
      fs::copy_file(Path("plain.jpg"), Path(name));
      ASSERT_EQ(Shell("exiftool -q -overwrite_original " + args + " " + Path(name)), 0) << name;
    }
  }
  static void TearDownTestSuite() { fs::remove_all(scratch_); }
  static std::string Path(const std::string& name) { return (scratch_ / name).string(); }

  void SetUp() override {
    host_.SetControl("Pictavo.ImageBox");
    box_ = pictavo::ax::ImageBoxProxy(host_.Dispatch());
    output::SetNamingClock([] { return kFourthOfJuly; });
    shell::gstrErrorRoutine.clear();
  }
  void TearDown() override { output::SetNamingClock(nullptr); }

  void Load(const std::string& name) {
    source_ = Path(name);
    box_.LoadFromFile(source_);
    host_.setProperty(output::kContainerTag, QStringLiteral("300x200"));
  }
  QString Resolve(const QString& token, const QString& ext = QStringLiteral("jp2")) {
    return fncRetrieveNamingString(host_, token, QString::fromStdString(source_), ext);
  }
  // Resolves token while closing any error report it opens; gives whether one opened.
  bool Reports(const QString& token, QString& text) {
    QTimer::singleShot(0, [] {
      if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
        dialog->reject();
    });
    text = Resolve(token);
    QApplication::processEvents();
    return shell::gstrErrorRoutine == "fncRetrieveNamingString";
  }

  static fs::path scratch_;
  plat::com::ControlHost host_;
  pictavo::ax::ImageBoxProxy box_;
  std::string source_;
};

fs::path TokenResolution::scratch_;

TEST_F(TokenResolution, EveryTokenOfAnImageWithExifAndIptc) {
  Load("full.jpg");
  const std::map<QString, QString> expected = {
      {"[No Prefix]", ""},
      {"[Resulting resolution]", "300x200"},
      {"[Date Today-Time]", "7.4.2003 1.05.09 PM"},
      {"[Date Today]", "7.4.2003"},
      {"[Source resolution]", "300x200"},
      {"[EXIF Image Description]", "Harbour"},
      {"[EXIF Artist]", "Ann"},
      {"[EXIF Date]", "7.4.2003"},
      {"[EXIF Date-Time]", "7.4.2003 1.05.09 PM"},
      {"[EXIF Make]", "Acme"},
      {"[EXIF Model]", "Z1"},
      {"[EXIF Make & Model]", "Acme-Z1"},
      {"[EXIF X-Y Dimension]", "640x480"},
      {"[IPTC Headline]", "Head"},
      {"[IPTC Caption]", "Cap"},
      {"[IPTC Author]", "Bo"},
      {"[IPTC Date Created]", "2.29.2004 12.00.00 AM"},
      {"[IPTC Date Released]", "3.1.2005 12.00.00 AM"},
      {"[IPTC Ref. Date]", "12.31.2006 12.00.00 AM"},
      {"[IPTC Ref. Number]", "00000042"},  // the field holds eight digits
      {"[date today]", "[date today]"},
      {"Proof_", "Proof_"},
      {"[Resulting size]", ""},
  };
  for (const auto& [token, text] : expected) EXPECT_EQ(Resolve(token), text) << token.toStdString();
  EXPECT_TRUE(shell::gstrErrorRoutine.isEmpty());
}

TEST_F(TokenResolution, SourceFileFactsComeFromTheFileOnDisk) {
  Load("plain.jpg");
  ASSERT_EQ(Shell("touch -m -d '2003-07-04 13:05:09' " + source_), 0);
  ASSERT_EQ(Shell("touch -a -d '2001-02-03 00:05:00' " + source_), 0);
  EXPECT_EQ(Resolve("[Source Date Modified]"), "7.4.2003 1.05.09 PM");
  EXPECT_EQ(Resolve("[Source Date Accessed]"), "2.3.2001 12.05.00 AM");
  const QFileInfo file(QString::fromStdString(source_));
  const QDateTime created = file.birthTime().isValid() ? file.birthTime() : file.lastModified();
  EXPECT_EQ(Resolve("[Source Date Created]"), output::NamingDateTime(created));
  EXPECT_EQ(Resolve("[Source size]"),
            shell::clsFileInfo::FormatSize(static_cast<int64_t>(fs::file_size(source_)), 0));
}

TEST_F(TokenResolution, ResultingSizeIsTheOutputSizeInWholeKilobytes) {
  Load("plain.jpg");
  struct Case {
    const char* ext;
    uint8_t format;
  } cases[] = {{"tif", 7}, {"tiff", 7}, {"jpg", 2}, {"png", 4}, {"bmp", 0}};
  for (const Case& c : cases) {
    const double bytes = box_.NewFileSize(pictavo::ax::TxGraphicsFormat{c.format});
    ASSERT_GT(bytes, 0) << c.ext;
    EXPECT_EQ(Resolve("[Resulting size]", c.ext),
              QString::number(static_cast<int64_t>(std::nearbyint(bytes / 1024))) + "Kb")
        << c.ext;
  }
  // An uncompressed 300 x 200 image takes its pixels' bytes and a header.
  EXPECT_EQ(Resolve("[Resulting size]", "bmp"), "176Kb");
  for (const char* ext : {"jp2", "jpc", "xyz", "TIF"})
    EXPECT_EQ(Resolve("[Resulting size]", ext), "") << ext;
}

TEST_F(TokenResolution, WithoutExifOrIptcEveryMetadataTokenIsEmpty) {
  Load("plain.jpg");
  for (const QString& token : TokensOf(TokenList::Naming)) {
    if (!token.startsWith("[EXIF") && !token.startsWith("[IPTC")) continue;
    EXPECT_EQ(Resolve(token), "") << token.toStdString();
  }
}

TEST_F(TokenResolution, ExifWithoutDateGivesTodayAndHalfPairsKeepTheirJoint) {
  Load("make_only.jpg");
  EXPECT_EQ(Resolve("[EXIF Date]"), "7.4.2003");
  EXPECT_EQ(Resolve("[EXIF Date-Time]"), "7.4.2003 1.05.09 PM");
  EXPECT_EQ(Resolve("[EXIF Make & Model]"), "Acme-");
  EXPECT_EQ(Resolve("[EXIF X-Y Dimension]"), "");
}

TEST_F(TokenResolution, ExifDatesTheControlCannotRead) {
  QString text;
  Load("short_date.jpg");
  EXPECT_FALSE(Reports("[EXIF Date]", text));
  EXPECT_EQ(text, "12.30.1899");
  // A date EXIF marks as unknown names no day: no text, and no report to stall a batch.
  Load("unknown_date.jpg");
  EXPECT_FALSE(Reports("[EXIF Date-Time]", text));
  EXPECT_EQ(text, "");
  Load("blank_date.jpg");
  EXPECT_FALSE(Reports("[EXIF Date]", text));
  EXPECT_EQ(text, "");
  Load("bad_month.jpg");
  EXPECT_TRUE(Reports("[EXIF Date]", text));
  EXPECT_EQ(text, "");
}

TEST_F(TokenResolution, WithoutAnImageEveryTokenIsEmpty) {
  source_ = Path("plain.jpg");
  for (const char* token : {"Proof_", "[Date Today]", "[Resulting resolution]"})
    EXPECT_EQ(Resolve(token), "") << token;
}

}  // namespace
