// Packages built on a real ImageBox created by its ProgID, from small files ImageMagick wrote.
// The players' reader reads them back, ImageMagick judges each JPEG entry cut out of them and
// readelf the whole file.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QProgressBar>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/output/executable_builders.h"
#include "app/output/package/package_reader.h"
#include "app/shell/busy_dialog.h"
#include "app/shell/errors.h"
#include "app/shell/main_window.h"
#include "app/shell/settings.h"
#include "app/tasks/task_list.h"
#include "app_shell/recording_ui.h"
#include "control/activex/imagebox_interface.h"
#include "platform/com/control_host.h"
#include "support/test_files.h"

namespace {

namespace fs = std::filesystem;
using browse::BasketItem;
using output::package::PackageKind;
using output::package::PackageReader;

using velmora::test::Quoted;
using velmora::test::ReadAll;
using velmora::test::Shell;
using velmora::test::WriteAll;

std::string Output(const std::string& command) {
  std::string text;
  if (FILE* pipe = ::popen(command.c_str(), "r")) {
    char buffer[256];
    while (size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) text.append(buffer, n);
    ::pclose(pipe);
  }
  return text;
}

BasketItem Row(const QString& text, const fs::path& path) {
  BasketItem row;
  row.Text = text;
  row.Tag = QString::fromStdString(path.string());
  return row;
}

std::span<const uint8_t> Bytes(const std::string& bytes) {
  return {reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()};
}

class Builders : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    scratch_ = fs::temp_directory_path() / ("executables-" + std::to_string(::getpid()));
    fs::create_directories(scratch_ / "fixtures");
    ::setenv("XDG_CONFIG_HOME", (scratch_ / "config").c_str(), 1);
    ::setenv("XDG_CACHE_HOME", (scratch_ / "cache").c_str(), 1);
    Shell(std::string(VELMORA_REGSVR) + " -s " + PICTAVO_LIBRARY);
    Shell("convert -size 40x30 gradient:red-blue " + Quoted(Fixture("a.png")));
    Shell("convert -size 20x10 plasma:fractal -seed 3 " + Quoted(Fixture("c.bmp")));
    // A format the control does not read: it goes through the picture loader.
    Shell("convert -size 24x16 gradient:green-yellow " + Quoted(Fixture("g.tga")));
    Shell("convert -size 16x16 xc:orange " + Quoted(Fixture("d.png")));
    Shell("convert -size 12x8 xc:navy " + Quoted(Fixture("e.png")));
    WriteAll(Fixture("bad.tga"), "not an image at all");
  }
  static void TearDownTestSuite() { fs::remove_all(scratch_); }
  static fs::path Fixture(const std::string& name) { return scratch_ / "fixtures" / name; }

  void SetUp() override {
    work_ = scratch_ / testing::UnitTest::GetInstance()->current_test_info()->name();
    fs::create_directories(work_);
    host_.SetControl(QString::fromUtf16(pictavo::ax::kImageBoxProgId));
    shell::gSetup = shell::DefaultSetupRecord();
    shell::gbCancel = false;
    player_ = ReadAll(SLIDESHOW_PLAYER);
  }

  QString Out(const std::string& name) const {
    return QString::fromStdString((work_ / name).string());
  }
  // Builds into out; returns the names left out, or fails the test on an error.
  QStringList Build(const modScreensaver::PackageJob& job, const QString& out,
                    shell::frmStatus* status = nullptr) {
    QStringList skipped;
    modScreensaver::WritePackage(tools_, QByteArray::fromStdString(player_), job, out, status,
                                 skipped);
    return skipped;
  }

  // The JPEG quality ImageMagick estimates for an entry cut out of the package.
  std::string QualityOf(std::span<const uint8_t> entry) {
    const fs::path cut = work_ / "entry.jpg";
    WriteAll(cut, std::string(reinterpret_cast<const char*>(entry.data()), entry.size()));
    return Output("identify -format '%m %Q' " + Quoted(cut));
  }

  static fs::path scratch_;
  fs::path work_;
  plat::com::ControlHost host_;
  QImage picture_;
  tasks::TaskList tasks_;
  RecordingUi ui_;
  modScreensaver::BuildTools tools_{host_, picture_, tasks_};
  std::string player_;
};

fs::path Builders::scratch_;

TEST_F(Builders, SlideShowReadsBackWithItsEntriesOptionsAndQuality) {
  const QList<BasketItem> rows = {Row("first", Fixture("a.png")), Row("sec;ond", Fixture("c.bmp")),
                                  Row("third", Fixture("g.tga"))};
  const QString out = Out("Show");
  EXPECT_TRUE(
      Build({rows, 63, 0, output::package::SlideShowOptions{0x00336699, 7}, false}, out).isEmpty());

  const std::string file = ReadAll(out.toStdString());
  ASSERT_EQ(file.compare(0, player_.size(), player_), 0) << "the player comes first, unchanged";
  const PackageReader reader(Bytes(file), PackageKind::kSlideShow);
  ASSERT_EQ(reader.Entries().size(), 3u);
  EXPECT_EQ(reader.Entries()[1].Name, "sec_ond");
  EXPECT_EQ(reader.Options().BackColor, 0x00336699);
  EXPECT_EQ(reader.Options().Interval, 7);
  for (size_t k = 0; k < 3; ++k) EXPECT_EQ(QualityOf(reader.Entry(k)), "JPEG 63") << k;

  struct stat status {};
  ASSERT_EQ(::stat(out.toUtf8().constData(), &status), 0);
  EXPECT_NE(status.st_mode & 0100, 0u) << "the package is executable";
  const std::string header = Output(std::string(READELF) + " -h " + Quoted(out.toStdString()));
  EXPECT_TRUE(header.find("EXEC (Executable file)") != std::string::npos ||
              header.find("DYN (Position-Independent Executable file)") != std::string::npos)
      << header;
  EXPECT_FALSE(fs::exists(work_ / "Show.lst"));
}

TEST_F(Builders, RowsThatCannotBeReadAreLeftOutAndNamed) {
  const QList<BasketItem> rows = {Row("gone", work_ / "deleted.png"),
                                  Row("broken", Fixture("bad.tga")), Row("good", Fixture("d.png"))};
  const QString out = Out("saver.scr");
  EXPECT_EQ(Build({rows, 80, 0, std::nullopt, false}, out), (QStringList{"gone", "broken"}));
  const std::string file = ReadAll(out.toStdString());
  const PackageReader reader(Bytes(file), PackageKind::kImages);
  ASSERT_EQ(reader.Entries().size(), 1u);
  EXPECT_EQ(reader.Entries()[0].Name, "good");
}

TEST_F(Builders, CancelDuringTheThirdOfFiveRowsKeepsThreeImages) {
  const QList<BasketItem> rows = {Row("1", Fixture("a.png")), Row("2", Fixture("c.bmp")),
                                  Row("3", Fixture("d.png")), Row("4", Fixture("e.png")),
                                  Row("5", Fixture("a.png"))};
  shell::frmStatus status(nullptr);
  // The Cancel press arrives while row 3 is being worked: it completes, the next yield stops.
  int shown = 0;
  QObject::connect(status.pbQueue, &QProgressBar::valueChanged, [&shown](int value) {
    shown = value;
    if (value == 3) shell::gbCancel = true;
  });
  const QString out = Out("Cut");
  Build({rows, 75, 0, output::package::SlideShowOptions{0, 3}, false}, out, &status);
  EXPECT_EQ(shown, 3);
  EXPECT_FALSE(shell::gbCancel);
  const std::string file = ReadAll(out.toStdString());
  const PackageReader reader(Bytes(file), PackageKind::kSlideShow);
  EXPECT_EQ(reader.Entries().size(), 3u);
  EXPECT_EQ(reader.Options().Interval, 3);
}

TEST_F(Builders, AFailedBuildKeepsTheOldFile) {
  const QString out = Out("card");
  WriteAll(out.toStdString(), "the old card");
  struct Case {
    const char* what;
    QList<BasketItem> rows;
    bool single;
  } cases[] = {
      {"no readable image", {Row("broken", Fixture("bad.tga"))}, false},
      {"unreadable single image", {Row("broken", Fixture("bad.tga"))}, true},
      {"cancelled before the first image", {Row("a", Fixture("a.png"))}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    shell::gbCancel = std::string(c.what).starts_with("cancelled");
    try {
      Build({c.rows, 75, 0, std::nullopt, c.single}, out);
      ADD_FAILURE() << "an empty package was written";
    } catch (const shell::AppError& e) {
      EXPECT_EQ(QString::fromUtf8(e.what()), modScreensaver::NoImageMessage());
    }
    EXPECT_EQ(ReadAll(out.toStdString()), "the old card");
  }
}

TEST_F(Builders, AFolderThatCannotBeWrittenKeepsNothing) {
  // A path running through a regular file cannot be created, even by root.
  WriteAll(work_ / "plain", "x");
  const QString out = Out("plain/Show");
  EXPECT_THROW(Build({{Row("a", Fixture("a.png"))}, 75, 0, std::nullopt, false}, out),
               shell::AppError);
  EXPECT_EQ(ReadAll(work_ / "plain"), "x");
}

TEST_F(Builders, SingleImageIsNamedSingleAndTheTemporaryJpegIsGone) {
  const QString out = Out("saver.scr");
  Build({{Row("g.tga", Fixture("g.tga"))}, 90, 0, std::nullopt, true}, out);
  const std::string file = ReadAll(out.toStdString());
  const PackageReader reader(Bytes(file), PackageKind::kImages);
  ASSERT_EQ(reader.Entries().size(), 1u);
  EXPECT_EQ(reader.Entries()[0].Name, "Single");
  EXPECT_EQ(QualityOf(reader.Entry(0)), "JPEG 90");
  EXPECT_FALSE(QFile::exists(shell::TempFolder() + "/temp0001.jpg"));
}

}  // namespace
