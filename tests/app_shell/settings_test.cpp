#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstring>
#include <optional>

#include "app/controls/twips.h"
#include "app/shell/errors.h"
#include "app/shell/settings.h"
#include "modal_helper.h"
#include "platform/base/streams.h"
#include "recording_ui.h"

namespace {

using namespace shell;
using Bytes = std::vector<uint8_t>;

const QString kCorruptWarning = QStringLiteral(
    "Configuration data file is corrupted\r\nSetting values will be initilized to default");

Bytes FileBytes(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  const QByteArray content = file.readAll();
  return Bytes(content.begin(), content.end());
}

void WriteBytes(const QString& path, const Bytes& bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
}

// A value of the same type that differs from the one given, and stays inside the ranges the load
// clamps to.
void Change(uint8_t& v) {
  v = static_cast<uint8_t>(v + 7);
}
void Change(int16_t& v) {
  v = static_cast<int16_t>(v + 3);
}
void Change(int32_t& v) {
  v ^= 0x01020304;
}
void Change(bool& v) {
  v = !v;
}
void Change(double& v) {
  v += 1.25;
}
void Change(QString& v) {
  v += QStringLiteral("/Bilder für Zoë/路径");
}
template <size_t N>
void Change(std::array<int16_t, N>& values) {
  for (size_t i = 0; i < N; ++i) values[i] = static_cast<int16_t>(values[i] + 1 + i);
}

SetupRecord EveryMemberChanged() {
  SetupRecord record = DefaultSetupRecord();
#define VELMORA_CHANGE(member, value) Change(record.member);
  VELMORA_SETUP_FIELDS(VELMORA_CHANGE)
#undef VELMORA_CHANGE
  return record;
}

// Names each member whose values differ in a and b.
std::vector<std::string> DifferingMembers(const SetupRecord& a, const SetupRecord& b) {
  std::vector<std::string> differing;
#define VELMORA_COMPARE(member, value) \
  if (!(a.member == b.member)) differing.push_back(#member);
  VELMORA_SETUP_FIELDS(VELMORA_COMPARE)
#undef VELMORA_COMPARE
  return differing;
}

class SettingsFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    QCoreApplication::setApplicationName("VelmoraJPEG2000B");
    subInitErrorHandling();
    gSetup = SetupRecord();
    subLoadSetup();  // settles gstrSetupFile
    subDeleteSetup();
    QFile::remove(gstrSetupFile + ".bad");
    ui_.messages.clear();
  }
  void TearDown() override {
    subDeleteSetup();
    QFile::remove(gstrSetupFile + ".bad");
  }

  // Loads bytes as the settings file and tells whether the corrupt-file warning was shown.
  bool LoadWarns(const Bytes& bytes) {
    WriteBytes(gstrSetupFile, bytes);
    ui_.messages.clear();
    subLoadSetup();
    return ui_.messages.size() == 1 && ui_.messages[0].text == kCorruptWarning;
  }

  RecordingUi ui_;
};

TEST_F(SettingsFileTest, FileLivesInTheConfigFolderUnderTheProgramName) {
  const QString config = QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME"));
  ASSERT_FALSE(config.isEmpty());
  EXPECT_EQ(gstrSetupFile, config + "/VelmoraJPEG2000B/VelmoraJPEG2000B");
}

TEST_F(SettingsFileTest, DefaultRecordMatchesTheIndependentScriptByteForByte) {
  ASSERT_EQ(velmora::TwipsPerPixel(), 15.0) << "tests run at 96 dpi";
  const QString folder = DefaultSetupFolder();
  QTemporaryDir dir;
  const QString out = dir.filePath("default.bin");
  const int rc = QProcess::execute(
      "python3",
      {VELMORA_SOURCE_DIR "/tests/app_shell/default_setup_record.py", out, folder, "15"});
  ASSERT_EQ(rc, 0);
  const Bytes ours = EncodeSetupRecord(DefaultSetupRecord());
  EXPECT_EQ(ours, FileBytes(out));
  EXPECT_EQ(ours.size(), 333 + 3 * static_cast<size_t>(folder.toUtf8().size()));
}

TEST_F(SettingsFileTest, DefaultRecordStartsAndPrintScaleAsDocumented) {
  const Bytes bytes = EncodeSetupRecord(DefaultSetupRecord());
  const Bytes start = {0x03, 0x00, 0x74, 0x69, 0x66, 0x00, 0x00, 0x00, 0x00, 0x50, 0x00, 0x00, 0x01,
                       0x14, 0x00, 0x00, 0x00, 0x0E, 0x00, 0x00, 0x80, 0x01, 0x00, 0x00, 0x00};
  ASSERT_GE(bytes.size(), 25u);
  EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 25), start);
  // PrintScale sits before the last 5 bytes: orientation (1), fit (2), centre (2).
  const Bytes scale = {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x59, 0x40};
  EXPECT_EQ(Bytes(bytes.end() - 13, bytes.end() - 5), scale);
}

TEST_F(SettingsFileTest, EveryTextEmptyGives304BytesAndTruesAreFFFF) {
  SetupRecord record = DefaultSetupRecord();
  for (QString* text :
       {&record.SaveFormatOptions.DefaultExtension, &record.BatchNamingOptions.Separator1,
        &record.BatchNamingOptions.Separator2, &record.BatchNamingOptions.GenericName,
        &record.BatchNamingOptions.CounterStart, &record.BatchNamingOptions.DestinationFolder,
        &record.BrowseOptions.LastFolder, &record.BasketListOptions.Folder,
        &record.TaskOptions.Text.Text})
    text->clear();
  record.PrintOptions.PrintCentre = true;
  const Bytes bytes = EncodeSetupRecord(record);
  EXPECT_EQ(bytes.size(), 304u);
  EXPECT_EQ(Bytes(bytes.end() - 4, bytes.end()), (Bytes{0x00, 0x00, 0xFF, 0xFF}));
}

TEST_F(SettingsFileTest, MemberListHas134MembersInFileOrder) {
  const std::vector<QString> names = SetupMemberNames();
  ASSERT_EQ(names.size(), 134u);
  EXPECT_EQ(names.front(), "SaveFormatOptions.DefaultExtension");
  EXPECT_EQ(names[47], "FolderListOptions.ColumnWidths");
  EXPECT_EQ(names[87], "TaskOptions.Text.Text");
  EXPECT_EQ(names.back(), "PrintOptions.PrintCentre");
}

// The first start writes the defaults at once: a start that ends before its exit (a crash, a
// kill) leaves a whole file, and the next start reads it without a warning.
TEST_F(SettingsFileTest, NoFileWritesTheDefaultsAtOnceAndTheNextStartReadsThem) {
  subLoadSetup();
  EXPECT_TRUE(ui_.messages.empty());
  EXPECT_TRUE(DifferingMembers(gSetup, DefaultSetupRecord()).empty());
  EXPECT_EQ(FileBytes(gstrSetupFile), EncodeSetupRecord(DefaultSetupRecord()));

  gSetup = EveryMemberChanged();  // what a run changed, lost with the crash
  subLoadSetup();
  EXPECT_TRUE(ui_.messages.empty());
  EXPECT_TRUE(DifferingMembers(gSetup, DefaultSetupRecord()).empty());
  EXPECT_FALSE(QFile::exists(gstrSetupFile + ".bad"));
}

TEST_F(SettingsFileTest, EveryMemberChangedRoundTripsThroughTheFile) {
  const SetupRecord changed = EveryMemberChanged();
  const std::vector<std::string> changedMembers = DifferingMembers(changed, DefaultSetupRecord());
  ASSERT_EQ(changedMembers.size(), 134u);

  // A longer file first: its stale tail must not matter once the shorter record replaces it.
  gSetup = changed;
  gSetup.TaskOptions.Watermark.ImageFile = QString(3000, QLatin1Char('x'));
  subSaveSetup();
  gSetup = changed;
  subSaveSetup();
  gSetup = SetupRecord();
  subLoadSetup();
  EXPECT_TRUE(ui_.messages.empty());
  EXPECT_EQ(DifferingMembers(gSetup, changed), std::vector<std::string>());
  EXPECT_TRUE(gSetup.BrowseOptions.LastFolder.endsWith(QStringLiteral("Bilder für Zoë/路径")));
}

TEST_F(SettingsFileTest, TextLongerThanItsLengthFieldLosesItsEndNotHalfACharacter) {
  SetupRecord record = DefaultSetupRecord();
  record.TaskOptions.Watermark.ImageFile = QString(40000, QChar(0x00E9));  // 80000 UTF-8 bytes
  const std::optional<SetupRecord> read = DecodeSetupRecord(EncodeSetupRecord(record));
  ASSERT_TRUE(read.has_value());
  EXPECT_EQ(read->TaskOptions.Watermark.ImageFile, QString(32767, QChar(0x00E9)));
  EXPECT_EQ(read->PrintOptions.PrintScale, 100.0);
}

TEST_F(SettingsFileTest, BytesAfterTheRecordAreIgnored) {
  Bytes bytes = EncodeSetupRecord(EveryMemberChanged());
  bytes.insert(bytes.end(), {0x41, 0x42, 0x43});
  EXPECT_FALSE(LoadWarns(bytes));
  EXPECT_TRUE(DifferingMembers(gSetup, EveryMemberChanged()).empty());
}

TEST_F(SettingsFileTest, TextsThatAreNotUtf8AreReadAsWindows1252) {
  SetupRecord record = DefaultSetupRecord();
  record.TaskOptions.Text.Text = QStringLiteral("@@@@@@");
  Bytes bytes = EncodeSetupRecord(record);
  const Bytes marker = {'@', '@', '@', '@', '@', '@'};
  auto at = std::search(bytes.begin(), bytes.end(), marker.begin(), marker.end());
  ASSERT_NE(at, bytes.end());
  const Bytes latin = {'c', 'a', 'f', 0xE9, ' ', 0x80};  // "café €" in the ANSI code page
  std::copy(latin.begin(), latin.end(), at);
  EXPECT_FALSE(LoadWarns(bytes));
  EXPECT_EQ(gSetup.TaskOptions.Text.Text, QStringLiteral("café €"));
}

TEST_F(SettingsFileTest, EmptyFileWarnsAndGivesDefaults) {
  gSetup = EveryMemberChanged();
  EXPECT_TRUE(LoadWarns({}));
  EXPECT_EQ(ui_.messages[0].caption, gstrApplicationName);
  EXPECT_EQ(ui_.messages[0].icon, MessageIcon::Exclamation);
  EXPECT_TRUE(DifferingMembers(gSetup, DefaultSetupRecord()).empty());
  EXPECT_EQ(FileBytes(gstrSetupFile), EncodeSetupRecord(DefaultSetupRecord()));
}

// A damaged file is not thrown away: it stays beside as ".bad", an older one replaced, and the
// defaults take its place, so only the first start after the damage warns.
TEST_F(SettingsFileTest, DamagedFileIsKeptAsBadAndTheDefaultsReplaceIt) {
  const QString bad = gstrSetupFile + ".bad";
  WriteBytes(bad, {0x01});
  Bytes damaged = EncodeSetupRecord(EveryMemberChanged());
  damaged.resize(damaged.size() / 2);
  EXPECT_TRUE(LoadWarns(damaged));
  EXPECT_EQ(FileBytes(bad), damaged);
  EXPECT_EQ(FileBytes(gstrSetupFile), EncodeSetupRecord(DefaultSetupRecord()));
  ui_.messages.clear();
  subLoadSetup();
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(SettingsFileTest, FileCutAtAnyOffsetWarnsAndGivesDefaultsOnly) {
  const Bytes sample = EncodeSetupRecord(EveryMemberChanged());
  for (size_t cut = 1; cut < sample.size(); ++cut) {
    gSetup = SetupRecord();
    ASSERT_TRUE(LoadWarns(Bytes(sample.begin(), sample.begin() + cut))) << "cut at " << cut;
    ASSERT_TRUE(DifferingMembers(gSetup, DefaultSetupRecord()).empty()) << "cut at " << cut;
  }
}

TEST_F(SettingsFileTest, TextLengthPastTheEndWarnsAndGivesDefaults) {
  Bytes bytes = EncodeSetupRecord(EveryMemberChanged());
  bytes[0] = 0xFF;  // the first text now claims 65535 bytes
  bytes[1] = 0xFF;
  EXPECT_TRUE(LoadWarns(bytes));
  EXPECT_TRUE(DifferingMembers(gSetup, DefaultSetupRecord()).empty());
}

TEST_F(SettingsFileTest, ValuesThatBreakTheLayoutAreClampedAtLoad) {
  struct Case {
    const char* member;
    int16_t* (*field)(SetupRecord&);
    int16_t stored, loaded;
  };
  const Case cases[] = {
      {"thumbnail width 0", [](SetupRecord& r) { return &r.FolderListOptions.ThumbnailWidth; }, 0,
       20},
      {"thumbnail height 30000",
       [](SetupRecord& r) { return &r.BasketListOptions.ThumbnailHeight; }, 30000, 300},
      {"column width -5", [](SetupRecord& r) { return &r.FolderListOptions.ColumnWidths[3]; }, -5,
       0},
      {"column width 5000", [](SetupRecord& r) { return &r.BasketListOptions.ColumnWidths[4]; },
       5000, 4000},
      {"exif width -1", [](SetupRecord& r) { return &r.MetadataListOptions.ExifValueWidth; }, -1,
       0},
      {"splitter 5", [](SetupRecord& r) { return &r.SplitterOptions.Main; }, 5, 10},
      {"splitter 95", [](SetupRecord& r) { return &r.SplitterOptions.View; }, 95, 90},
      {"font size kept", [](SetupRecord& r) { return &r.TaskOptions.Text.FontSize; }, 30000, 30000},
      {"scale kept", [](SetupRecord& r) { return &r.TaskOptions.Resize.Scale; }, -7, -7},
  };
  for (const Case& c : cases) {
    SetupRecord record = DefaultSetupRecord();
    *c.field(record) = c.stored;
    EXPECT_FALSE(LoadWarns(EncodeSetupRecord(record))) << c.member;
    EXPECT_EQ(*c.field(gSetup), c.loaded) << c.member;
  }
}

TEST_F(SettingsFileTest, SaveKilledBeforeTheRenameLeavesTheOldFileWhole) {
  gSetup = EveryMemberChanged();
  subSaveSetup();
  const Bytes before = FileBytes(gstrSetupFile);
  ASSERT_FALSE(before.empty());
  const Bytes newer = EncodeSetupRecord(DefaultSetupRecord());
  const std::string path = QFile::encodeName(gstrSetupFile).toStdString();

  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    plat::WriteFileReplacing(path, [&](plat::TStream& out) {
      out.WriteBuffer(newer.data(), static_cast<int64_t>(newer.size() / 2));
      ::kill(::getpid(), SIGKILL);
    });
    ::_exit(0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
  EXPECT_EQ(FileBytes(gstrSetupFile), before);
  gSetup = SetupRecord();
  subLoadSetup();
  EXPECT_TRUE(DifferingMembers(gSetup, EveryMemberChanged()).empty());
}

// A folder path that runs through a regular file can be neither created nor written.
class SettingsFolderBlockedTest : public SettingsFileTest {
 protected:
  void SetUp() override {
    SettingsFileTest::SetUp();
    blocker_ = dir_.filePath("plain-file");
    QFile file(blocker_);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  }
  // Answers every error report by closing it, and collects the routine labels.
  void ExpectReportFrom(const QString& routine) {
    WhenModalOpens([](QDialog* dialog) { dialog->done(0); });
    expected_ = routine;
  }
  void TearDown() override {
    if (!expected_.isEmpty()) {
      EXPECT_EQ(gstrErrorRoutine, expected_);
    }
    SettingsFileTest::TearDown();
  }
  QTemporaryDir dir_;
  QString blocker_, expected_;
};

TEST_F(SettingsFolderBlockedTest, LoadErrorIsReportedAndTheDefaultsApply) {
  const QByteArray config = qgetenv("XDG_CONFIG_HOME");
  qputenv("XDG_CONFIG_HOME", QFile::encodeName(blocker_ + "/config"));
  gSetup = SetupRecord();
  gstrErrorRoutine.clear();
  ExpectReportFrom("subLoadSetup");
  subLoadSetup();
  qputenv("XDG_CONFIG_HOME", config);
  EXPECT_TRUE(DifferingMembers(gSetup, DefaultSetupRecord()).empty());
}

TEST_F(SettingsFolderBlockedTest, SaveErrorIsReportedAndNothingIsWritten) {
  gstrSetupFile = blocker_ + "/VelmoraJPEG2000B";
  gstrErrorRoutine.clear();
  ExpectReportFrom("subSaveSetup");
  subSaveSetup();
  EXPECT_EQ(QFileInfo(blocker_).size(), 0);
}

}  // namespace
