// Whole batch runs on a real ImageBox created by its ProgID, over small files ImageMagick and
// exiftool wrote; OpenJPEG's own tools judge every output.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QProgressBar>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>

#include "app/output/batch_jpeg2000.h"
#include "app/output/batch_names.h"
#include "app/shell/busy_dialog.h"
#include "app/shell/errors.h"
#include "app/shell/settings.h"
#include "app/tasks/task_list.h"
#include "app_output/openjpeg_referee.h"
#include "app_shell/recording_ui.h"
#include "control/activex/imagebox_interface.h"
#include "platform/base/workers.h"
#include "platform/com/control_host.h"
#include "platform/com/errorinfo.h"
#include "support/test_files.h"

namespace {

namespace fs = std::filesystem;
using browse::BasketItem;

using velmora::test::Quoted;
using velmora::test::ReadAll;
using velmora::test::Shell;
using velmora::test::WriteAll;

std::set<std::string> NamesIn(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename());
  return names;
}

// Every regular file below root, with its bytes.
std::map<fs::path, std::string> FilesBelow(const fs::path& root) {
  std::map<fs::path, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(root))
    if (entry.is_regular_file()) files[entry.path()] = ReadAll(entry.path());
  return files;
}

BasketItem Row(const QString& text, const fs::path& path) {
  BasketItem row;
  row.Text = text;
  row.Tag = QString::fromStdString(path.string());
  return row;
}

class BatchRun : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    scratch_ = fs::temp_directory_path() / ("batch-jpeg2000-" + std::to_string(::getpid()));
    fs::create_directories(scratch_ / "fixtures");
    ::setenv("XDG_CONFIG_HOME", (scratch_ / "config").c_str(), 1);
    Shell(std::string(VELMORA_REGSVR) + " -s " + PICTAVO_LIBRARY);
    // 40 x 30 and 20 x 10 pictures with detail in every channel.
    Shell("convert -size 40x30 gradient:red-blue -swirl 90 -depth 8 " + Quoted(Fixture("a.ppm")));
    Shell("convert " + Quoted(Fixture("a.ppm")) + " " + Quoted(Fixture("a.png")));
    Shell("convert -size 20x10 plasma:fractal -seed 3 " + Quoted(Fixture("c.bmp")));
    Shell("convert -size 24x16 gradient:green-yellow " + Quoted(Fixture("g.tga")));
    WriteAll(Fixture("bad.tga"), "not an image at all");
    // PPM bytes under a JPEG name: the control refuses them, the loader does not.
    Shell("convert -size 18x12 gradient:white-black ppm:" + Quoted(Fixture("fake.jpg")));
    Shell("convert " + Quoted(Fixture("a.png")) + " " + Quoted(Fixture("meta.jpg")));
    Shell("exiftool -q -overwrite_original '-Artist=../../etc/x' '-IPTC:Headline=a/b' " +
          Quoted(Fixture("meta.jpg")));
  }
  static void TearDownTestSuite() { fs::remove_all(scratch_); }
  static fs::path Fixture(const std::string& name) { return scratch_ / "fixtures" / name; }

  void SetUp() override {
    work_ = scratch_ / testing::UnitTest::GetInstance()->current_test_info()->name();
    fs::create_directories(work_ / "src");
    fs::create_directories(work_ / "out");
    host_.SetControl(QString::fromUtf16(pictavo::ax::kImageBoxProgId));
    shell::gSetup = shell::DefaultSetupRecord();
    Options().DestinationMode = 1;
    Options().DestinationFolder = QString::fromStdString((work_ / "out").string());
    shell::gbCancel = false;
    shell::gstrErrorRoutine.clear();
    QObject::connect(&progress_, &QProgressBar::valueChanged,
                     [this](int value) { progress_values_.push_back(value); });
    // Closes the error report the global handler opens, counting it.
    QObject::connect(&modal_closer_, &QTimer::timeout, [this] {
      if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
        ++reports_;
        dialog->reject();
      }
    });
    modal_closer_.start(5);
  }
  void TearDown() override { ::unsetenv(plat::kWorkersVariable); }

  static output::BatchOptions& Options() { return shell::gSetup.BatchNamingOptions; }
  fs::path Src(const std::string& name) {
    const fs::path path = work_ / "src" / name;
    if (!fs::exists(path)) fs::copy_file(Fixture(name), path);
    return path;
  }
  fs::path Out(const std::string& name) const { return work_ / "out" / name; }

  bool Run(const QList<BasketItem>& basket, const tasks::TaskList& taskList = {}) {
    return modJPEG2000Common::fncSaveSinglePage(basket, taskList, host_, progress_, picture_);
  }
  // The summary shown after the run, or "" when none was.
  QString Summary() const { return ui_.messages.empty() ? QString() : ui_.messages.back().text; }

  static void ExpectImage(const fs::path& path, int width, int height) {
    const velmora::test::Decoded decoded =
        velmora::test::DecodeWithOpenJpeg(path.string(), path.parent_path().string());
    EXPECT_EQ(decoded.width, width) << path;
    EXPECT_EQ(decoded.height, height) << path;
  }

  static fs::path scratch_;
  fs::path work_;
  plat::com::ControlHost host_;
  QProgressBar progress_;
  QImage picture_;
  RecordingUi ui_;
  QTimer modal_closer_;
  int reports_ = 0;
  std::vector<int> progress_values_;
};

fs::path BatchRun::scratch_;

TEST_F(BatchRun, NamesOverEveryModeKeepGapsOfSkippedEntries) {
  const QList<BasketItem> basket = {Row("first", Src("a.png")), Row("broken", Src("bad.tga")),
                                    Row("third", Src("c.bmp"))};
  struct Case {
    int16_t mode;
    const char* counterStart;
    uint8_t format;
    std::string first, third;
    const char* suffix = "End";
  } cases[] = {
      {0, "", 0, "first.jp2", "third.jp2"},
      {0, "", 1, "first.jpc", "third.jpc"},
      {2, "[Starting 1]", 0, "Sample1.jp2", "Sample3.jp2"},
      {2, "[Starting 1001]", 0, "Sample1001.jp2", "Sample1003.jp2"},
      {2, "7", 1, "Sample7.jpc", "Sample9.jpc"},
      {1, "", 0, "40x30_first_End.jp2", "20x10_third_End.jp2"},
      // An empty suffix takes its separator with it.
      {1, "", 0, "40x30_first.jp2", "20x10_third.jp2", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.first);
    fs::remove_all(work_ / "out");
    fs::create_directories(work_ / "out");
    Options().RenameMode = c.mode;
    Options().CounterStart = QString::fromUtf8(c.counterStart);
    Options().Jpeg2000Format = c.format;
    Options().Prefix = QStringLiteral("[Source resolution]");
    Options().Separator2 = QStringLiteral("_");
    Options().Suffix = QString::fromUtf8(c.suffix);
    ASSERT_TRUE(Run(basket));
    EXPECT_EQ(NamesIn(work_ / "out"), std::set<std::string>({c.first, c.third}));
    ExpectImage(Out(c.first), 40, 30);
    ExpectImage(Out(c.third), 20, 10);
    EXPECT_EQ(Summary(),
              "2 converted, 0 skipped (exists), 1 failed\n\nbroken: the file could not be read as "
              "an image");
  }
  EXPECT_EQ(reports_, 0);
}

// A page of a multipage file loads its page file from the program's temp folder, yet its output
// goes beside the multipage file, where the user looks for it.
TEST_F(BatchRun, SourceFolderModeWritesBesideEachEntryAndPagesBesideTheirMultipageFile) {
  const fs::path temp =
      fs::path(qEnvironmentVariable("XDG_CACHE_HOME").toStdString()) / "VelmoraJPEG2000B" / "temp";
  fs::create_directories(temp);
  Shell("convert " + Quoted(Fixture("c.bmp")) + " " + Quoted(temp / "page_1.tif"));
  Shell("convert " + Quoted(Fixture("c.bmp")) + " " + Quoted(Fixture("c.bmp")) + " " +
        Quoted(work_ / "src" / "scan.tif"));
  BasketItem page = Row("scan (page 1)", temp / "page_1.tif");
  page.Path = QString::fromStdString((work_ / "src" / "scan.tif").string());
  Options().DestinationMode = 0;
  ASSERT_TRUE(Run({Row("first", Src("a.png")), page}));
  ExpectImage(work_ / "src" / "first.jp2", 40, 30);
  ExpectImage(work_ / "src" / "scan (page 1).jp2", 20, 10);
  EXPECT_EQ(NamesIn(temp), std::set<std::string>({"page_1.tif"}));
  EXPECT_TRUE(NamesIn(work_ / "out").empty());
  fs::remove_all(temp);
}

// A transparent picture converts as the viewer shows it: laid on white. ImageMagick flattens the
// source on white, and its PSNR against the decoded output judges the pixels.
TEST_F(BatchRun, TransparentPicturesAreLaidOnWhite) {
  const struct {
    const char* name;
    const char* make;
  } cases[] = {
      {"rgba.png", "-size 40x30 radial-gradient:'rgba(255,0,0,1)-rgba(0,0,255,0)' PNG32:"},
      {"palette.png",
       "-size 40x30 xc:none -fill red -draw 'rectangle 5,5 20,20' -fill blue "
       "-draw 'circle 30,15 30,25' PNG8:"},
  };
  Options().Jpeg2000.Compression = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path source = work_ / "src" / c.name;
    Shell(std::string("convert ") + c.make + Quoted(source));
    Shell("convert " + Quoted(source) + " -background white -flatten -alpha off " +
          Quoted(work_ / "flat.ppm"));
    const std::string stem = fs::path(c.name).stem().string();
    ASSERT_TRUE(Run({Row(QString::fromStdString(stem), source)}));
    const fs::path written = Out(stem + ".jp2");
    ExpectImage(written, 40, 30);
    Shell(std::string(OPJ_DECOMPRESS) + " -i " + Quoted(written) + " -o " +
          Quoted(work_ / "decoded.ppm") + " > /dev/null");
    const std::string psnr = "compare -metric PSNR " + Quoted(work_ / "decoded.ppm") + " " +
                             Quoted(work_ / "flat.ppm") + " null: 2>&1";
    FILE* pipe = ::popen(psnr.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    char buffer[64] = {};
    const size_t got = std::fread(buffer, 1, sizeof buffer - 1, pipe);
    ::pclose(pipe);
    const std::string value(buffer, got);
    // "inf" for identical pictures, else the ratio in dB.
    EXPECT_TRUE(value.rfind("inf", 0) == 0 || std::stod(value) >= 40) << value;
  }
}

TEST_F(BatchRun, HostileNamesAllLandDirectlyInTheChosenFolder) {
  WriteAll(work_ / "x.jp2", "sentinel");
  fs::create_directories(work_ / "etc");
  WriteAll(work_ / "etc" / "x_.jp2", "sentinel");
  Options().RenameMode = 1;
  Options().Prefix = QStringLiteral("[EXIF Artist]");
  Options().Suffix = QStringLiteral("[IPTC Headline]");
  const QList<BasketItem> basket = {
      Row("../x", Src("a.png")),
      Row("..", Src("a.png")),
      Row("a/b", Src("a.png")),
      Row(QStringLiteral("nul") + QChar(0) + QStringLiteral("x"), Src("a.png")),
      Row("line\nbreak\r", Src("a.png")),
      Row(QString(300, QLatin1Char('c')), Src("a.png")),
      Row("plain", Src("meta.jpg")),
  };
  const std::map<fs::path, std::string> outside = FilesBelow(work_);
  ASSERT_TRUE(Run(basket)) << shell::gstrErrorText.toStdString();
  const std::set<std::string> written = NamesIn(work_ / "out");
  EXPECT_EQ(written.size(), basket.size());
  EXPECT_TRUE(written.count(".._.._etc_x_plain_a_b.jp2"));
  EXPECT_TRUE(written.count(".._x.jp2"));  // no separator beside the empty prefix and suffix
  for (const std::string& name : written) {
    EXPECT_LE(name.size(), 255u);
    ExpectImage(Out(name), 40, 30);
  }
  std::map<fs::path, std::string> after = FilesBelow(work_);
  std::erase_if(after, [&](const auto& file) { return file.first.parent_path() == work_ / "out"; });
  EXPECT_EQ(after, outside);
  EXPECT_EQ(Summary(), "7 converted, 0 skipped (exists), 0 failed");
}

TEST_F(BatchRun, OverwriteOffSkipsAnExistingFileAndStillAdvances) {
  WriteAll(Out("first.jp2"), "keep");
  Options().Overwrite = 0;
  const QList<BasketItem> basket = {Row("first", Src("a.png")), Row("second", Src("c.bmp"))};
  ASSERT_TRUE(Run(basket));
  EXPECT_EQ(ReadAll(Out("first.jp2")), "keep");
  ExpectImage(Out("second.jp2"), 20, 10);
  EXPECT_EQ(progress_.maximum(), 2);
  EXPECT_EQ(progress_values_.back(), 2);
  EXPECT_FALSE(progress_.isVisible());
  EXPECT_EQ(Summary(), "1 converted, 1 skipped (exists), 0 failed");  // not a failure

  Options().Overwrite = 1;
  ASSERT_TRUE(Run(basket));
  ExpectImage(Out("first.jp2"), 40, 30);
}

TEST_F(BatchRun, LosslessPassesRate25AndKeepsThePixelsAfterTheTasks) {
  tasks::TaskList negative;
  negative.Append(tasks::NewEditingTask(tasks::tskNegative));
  Options().Jpeg2000.Compression = 0;
  Options().ProcessTaskBasket = 1;
  ASSERT_TRUE(Run({Row("neg", Src("a.png"))}, negative));
  EXPECT_NE(velmora::test::DumpWithOpenJpeg(Out("neg.jp2").string()).find("qmfbid=1"),
            std::string::npos);  // the reversible 5/3 wavelet
  const velmora::test::Decoded source = velmora::test::ReadPnm(Fixture("a.ppm").string());
  const velmora::test::Decoded written =
      velmora::test::DecodeWithOpenJpeg(Out("neg.jp2").string(), work_.string());
  ASSERT_EQ(written.samples.size(), source.samples.size());
  for (size_t i = 0; i < source.samples.size(); ++i)
    ASSERT_EQ(written.samples[i], 255 - source.samples[i]) << "sample " << i;

  Options().Jpeg2000.Compression = 1;
  Options().Jpeg2000.Rate = 10;
  Options().ProcessTaskBasket = 0;
  ASSERT_TRUE(Run({Row("lossy", Src("a.png"))}, negative));
  EXPECT_NE(velmora::test::DumpWithOpenJpeg(Out("lossy.jp2").string()).find("qmfbid=0"),
            std::string::npos);
  const velmora::test::Decoded lossy =
      velmora::test::DecodeWithOpenJpeg(Out("lossy.jp2").string(), work_.string());
  ASSERT_EQ(lossy.samples.size(), source.samples.size());
  // Without the replay the image keeps its tones: near the source, far from the negative.
  int64_t error = 0;
  for (size_t i = 0; i < source.samples.size(); ++i)
    error += std::abs(int{lossy.samples[i]} - int{source.samples[i]});
  EXPECT_LT(error / static_cast<int64_t>(source.samples.size()), 16);
}

TEST_F(BatchRun, OtherFilesGoThroughThePictureLoaderAndControlFailuresAreRetriedThere) {
  {
    pictavo::ax::ImageBoxProxy box(host_.Dispatch());
    EXPECT_THROW(box.LoadFromFile(Fixture("fake.jpg").string()), plat::com::EOleException);
  }
  const QList<BasketItem> basket = {Row("good tga", Src("g.tga")), Row("broken", Src("bad.tga")),
                                    Row("fake jpeg", Src("fake.jpg"))};
  ASSERT_TRUE(Run(basket));
  EXPECT_EQ(NamesIn(work_ / "out"), std::set<std::string>({"good tga.jp2", "fake jpeg.jp2"}));
  ExpectImage(Out("good tga.jp2"), 24, 16);
  ExpectImage(Out("fake jpeg.jp2"), 18, 12);
  EXPECT_EQ(picture_.size(), QSize(18, 12));  // the loader's last picture stays
  EXPECT_EQ(host_.property("Tag").toString(), "18x12");
  EXPECT_EQ(Summary(),
            "2 converted, 0 skipped (exists), 1 failed\n\nbroken: the file could not be read as an "
            "image");
  EXPECT_EQ(reports_, 0);
}

TEST_F(BatchRun, ClashingNamesAndTheEntrysOwnFileAreNotWritten) {
  Options().DestinationMode = 0;
  Options().Overwrite = 1;
  Shell(std::string(OPJ_COMPRESS) + " -i " + Quoted(Fixture("a.ppm")) + " -n 3 -o " +
        Quoted(work_ / "src" / "own.jp2") + " > /dev/null");
  const std::string own = ReadAll(work_ / "src" / "own.jp2");
  const QList<BasketItem> basket = {Row("same", Src("a.png")), Row("same", Src("c.bmp")),
                                    Row("own", work_ / "src" / "own.jp2")};
  ASSERT_TRUE(Run(basket));
  ExpectImage(work_ / "src" / "same.jp2", 40, 30);  // the first in basket order
  EXPECT_EQ(ReadAll(work_ / "src" / "own.jp2"), own);
  EXPECT_EQ(picture_.size(), QSize(40, 30));  // the .jp2 entry was read, then refused
  EXPECT_EQ(Summary(),
            "1 converted, 0 skipped (exists), 2 failed\n\n"
            "same: an earlier image of this run has the same output name\n"
            "own: the output would replace its own file");
}

class BatchRunOneWorker : public BatchRun {
 protected:
  void SetUp() override {
    BatchRun::SetUp();
    ::setenv(plat::kWorkersVariable, "1", 1);
    for (int i = 1; i <= 5; ++i)
      basket_.append(Row(QStringLiteral("e%1").arg(i), Src(i % 2 ? "a.png" : "c.bmp")));
  }
  // Runs action once, when the progress first shows two finished entries.
  void AfterSecondEntry(std::function<void()> action) {
    QObject::connect(&progress_, &QProgressBar::valueChanged, [action](int value) {
      if (value == 2) action();
    });
  }
  QList<BasketItem> basket_;
};

TEST_F(BatchRunOneWorker, CancelStopsBeforeTheNextEntryAndKeepsWholeFiles) {
  plat::com::ControlHost ibMain;
  ibMain.SetControl(QString::fromUtf16(pictavo::ax::kImageBoxProgId));
  pictavo::ax::ImageBoxProxy shown(ibMain.Dispatch());
  shown.LoadFromFile(Fixture("c.bmp").string());
  const QList<BasketItem> before = basket_;
  AfterSecondEntry([] { shell::gbCancel = true; });
  ASSERT_TRUE(Run(basket_));
  EXPECT_EQ(NamesIn(work_ / "out"), std::set<std::string>({"e1.jp2", "e2.jp2"}));
  ExpectImage(Out("e1.jp2"), 40, 30);
  ExpectImage(Out("e2.jp2"), 20, 10);
  EXPECT_FALSE(shell::gbCancel);
  EXPECT_FALSE(progress_.isVisible());
  EXPECT_EQ(basket_, before);
  EXPECT_EQ(shown.get_ImageWidth(), 20);
  EXPECT_EQ(shown.get_ImageHeight(), 10);
  EXPECT_EQ(reports_, 0);
}

TEST_F(BatchRunOneWorker, AnEncoderFailureEndsTheRunWithOneReportAndKeepsTheFilesWritten) {
  // The chosen folder turns into a regular file: every later output path runs through it.
  AfterSecondEntry([this] {
    fs::rename(work_ / "out", work_ / "kept");
    WriteAll(work_ / "out", "a file");
  });
  EXPECT_FALSE(Run(basket_));
  EXPECT_EQ(reports_, 1);
  EXPECT_EQ(shell::gstrErrorRoutine, "fncSaveSinglePage");
  EXPECT_EQ(NamesIn(work_ / "kept"), std::set<std::string>({"e1.jp2", "e2.jp2"}));
  ExpectImage(work_ / "kept" / "e1.jp2", 40, 30);
  ExpectImage(work_ / "kept" / "e2.jp2", 20, 10);
  EXPECT_FALSE(progress_.isVisible());
}

TEST_F(BatchRun, AFlagLeftSetElsewhereDoesNotStopTheRun) {
  shell::gbCancel = true;
  ASSERT_TRUE(Run({Row("first", Src("a.png"))}));
  ExpectImage(Out("first.jp2"), 40, 30);
  EXPECT_FALSE(shell::gbCancel);
}

TEST_F(BatchRun, ABadCounterEndsTheRunWithOneReport) {
  Options().RenameMode = 2;
  Options().CounterStart = QStringLiteral("seven");
  EXPECT_FALSE(Run({Row("first", Src("a.png")), Row("second", Src("c.bmp"))}));
  EXPECT_EQ(reports_, 1);
  EXPECT_EQ(shell::gstrErrorRoutine, "fncSaveSinglePage");
  EXPECT_TRUE(shell::gstrErrorText.contains("Type mismatch")) << shell::gstrErrorText.toStdString();
  EXPECT_TRUE(NamesIn(work_ / "out").empty());
  EXPECT_FALSE(progress_.isVisible());
}

TEST_F(BatchRun, AnEmptyBasketDoesNothing) {
  progress_.setMaximum(7);
  EXPECT_TRUE(Run({}));
  EXPECT_EQ(progress_.maximum(), 7);
  EXPECT_TRUE(progress_values_.empty());
  EXPECT_EQ(reports_, 0);
}

}  // namespace
