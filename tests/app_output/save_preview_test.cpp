// The save of the shown image over every extension the save dialog accepts, each file checked by
// an outside tool, and the shown image checked to be as it was after every save.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QTimer>
#include <array>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/metadata/metadata_tables.h"
#include "app/output/save_preview.h"
#include "app/shell/errors.h"
#include "app/shell/settings.h"
#include "app_shell/recording_ui.h"
#include "control/activex/imagebox_interface.h"
#include "platform/com/control_host.h"

namespace {

namespace fs = std::filesystem;
using pictavo::ax::ImageBoxProxy;

std::string Capture(const std::string& command) {
  std::string out;
  if (FILE* pipe = ::popen((command + " 2>&1").c_str(), "r")) {
    std::array<char, 4096> buffer{};
    size_t n = 0;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
      out.append(buffer.data(), n);
    ::pclose(pipe);
  }
  return out;
}

void Shell(const std::string& command) {
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

std::string Quoted(const fs::path& path) {
  return "'" + path.string() + "'";
}

QByteArray Bytes(const fs::path& path) {
  QFile file(QString::fromStdString(path.string()));
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

using Formats = decltype(shell::gSetup.SaveFormatOptions.Formats);

// One outside tool's view of the written file: the command's output must hold `expect`, or must
// not when `absent`. "{}" in the command stands for the file.
struct Check {
  std::string command;
  std::string expect;
  bool absent = false;
};

struct SaveRow {
  std::string file;
  std::function<void(Formats&)> options;
  std::vector<Check> checks;
};

std::ostream& operator<<(std::ostream& os, const SaveRow& row) {
  return os << row.file;
}

Check Identify(const std::string& expect, const std::string& prefix = "") {
  return {"identify -format '%m %w %h %[type] %[interlace]' " + prefix + "{}", expect};
}
Check Software(bool present) {
  return {"exiftool -s3 -Software {}", "VelmoraJPEG2000B", !present};
}
Check TiffCompression(const std::string& scheme) {
  return {"tiffinfo {}", "Compression Scheme: " + scheme + "\n"};
}

void Nothing(Formats&) {}

const std::vector<SaveRow>& Rows() {
  static const std::vector<SaveRow> rows = {
      {"plain.bmp", Nothing, {Identify("BMP3 64 48 TrueColor")}},
      {"lzw.gif",
       [](Formats& f) { f.Gif.Compression = 1; },
       {Identify("GIF 64 48"), {"giftext {}", "Transparency on: yes", true}}},
      {"transparent.gif",
       [](Formats& f) {
         f.Gif.Compression = 0;  // stored without LZW, still readable
         f.Gif.Transparent = 1;
       },
       {Identify("GIF 64 48"), {"giftext {}", "Transparency on: yes"}}},
      {"standard.jpg",
       [](Formats& f) { f.Jpeg.Quality = 90; },
       {Identify("JPEG 64 48 TrueColor None"), Software(true)}},
      {"grey.jpeg",
       [](Formats& f) { f.Jpeg.ColorDepth = 1; },
       {Identify("JPEG 64 48 Grayscale None"), Software(true)}},
      {"progressive.jpe",
       [](Formats& f) { f.Jpeg.Encoding = 1; },
       {Identify("JPEG 64 48 TrueColor JPEG"), Software(true)}},
      {"upper.JPG", Nothing, {Identify("JPEG 64 48 TrueColor None"), Software(true)}},
      {"full.png",
       [](Formats& f) { f.Png.Transparent = 1; },  // ignored at 24 bits
       {{"pngcheck -v {}", "24-bit RGB"}, {"pngcheck -v {}", "tRNS", true}}},
      {"palette.png",
       [](Formats& f) { f.Png.ColorDepth = 1; },
       {{"pngcheck -v {}", "8-bit palette"}, {"pngcheck -v {}", "tRNS", true}}},
      {"clear.png",
       [](Formats& f) {
         f.Png.ColorDepth = 1;
         f.Png.Transparent = 1;
       },
       {{"pngcheck -v {}", "PLTE"}, {"pngcheck -v {}", "tRNS"}}},
      {"none.tif", Nothing, {TiffCompression("None"), Software(true)}},
      {"packbits.tiff",
       [](Formats& f) { f.Tiff.Compression = 1; },
       {TiffCompression("PackBits"), Software(true)}},
      {"group4.tif",
       [](Formats& f) { f.Tiff.Compression = 2; },
       {TiffCompression("CCITT Group 4"), Software(true)}},
      {"group3.tif",
       [](Formats& f) { f.Tiff.Compression = 3; },
       {TiffCompression("CCITT Group 3"), Software(false)}},
      {"lzw.tif",
       [](Formats& f) { f.Tiff.Compression = 4; },
       {TiffCompression("LZW"), Software(false), Identify("TIFF 64 48")}},
      {"jpeg.TIF",
       [](Formats& f) { f.Tiff.Compression = 5; },
       {TiffCompression("JPEG"), Software(false)}},
      {"deflate.tiff",
       [](Formats& f) { f.Tiff.Compression = 6; },
       {TiffCompression("Deflate"), Software(false)}},
      {"picture.pcx", Nothing, {Identify("PCX 64 48")}},
      {"layers.psd", Nothing, {Identify("PSD 64 48 TrueColor")}},
      {"document.pdf", Nothing, {{"qpdf --check {}", "No syntax or stream encoding errors"}}},
      {"mono.wbm", Nothing, {Identify("WBMP 64 48 Bilevel", "wbmp:")}},
      {"mono.wbmp", Nothing, {Identify("WBMP 64 48 Bilevel", "wbmp:")}},
      {"mono.wap", Nothing, {Identify("WBMP 64 48 Bilevel", "wbmp:")}},
      {"lossy.jp2",
       [](Formats& f) {
         f.Jpeg2000 = {1, 10};
       },
       {{"opj_dump -i {}", "qmfbid=0"}, Identify("JP2 64 48")}},
      {"lossless.jpc",
       [](Formats& f) {
         f.Jpeg2000 = {0, 3};
       },  // the slider's rate does not matter
       {{"opj_dump -i {}", "qmfbid=1"}, {"opj_dump -i {}", "qmfbid=0", true}}},
      {"targa.tga", Nothing, {Identify("TGA 64 48")}},
      {"bits.pbm", Nothing, {{"pnmfile {}", "PBM raw, 64 by 48"}}},
      {"grey.pgm", Nothing, {{"pnmfile {}", "PGM raw, 64 by 48"}}},
      {"colour.ppm", Nothing, {{"pnmfile {}", "PPM raw, 64 by 48"}}},
      {"pixmap.xpm", Nothing, {Identify("XPM 64 48")}},
  };
  return rows;
}

// What the viewer shows, as far as a save could change it.
struct Shown {
  QByteArray pixels;
  int colorFormat;
  bool transparent;
  std::string make;
  int32_t exifCount;
  bool operator==(const Shown&) const = default;
};

class SavePreviewTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    scratch_ = fs::temp_directory_path() / ("save-preview-" + std::to_string(::getpid()));
    fs::create_directories(scratch_);
    ::setenv("XDG_CONFIG_HOME", (scratch_ / "config").c_str(), 1);
    Shell(std::string(VELMORA_REGSVR) + " -s " + PICTAVO_LIBRARY);
    // 24 bits with EXIF, and a white block: white is the system colour 0x8000000E stands for.
    Shell(
        "convert -size 64x48 gradient:red-blue -swirl 90 -fill white -draw "
        "'rectangle 0,0 23,17' -quality 100 " +
        Quoted(scratch_ / "shown.jpg"));
    Shell("exiftool -q -overwrite_original -Make=Velmora -Model=Tester " +
          Quoted(scratch_ / "shown.jpg"));
  }
  static void TearDownTestSuite() { fs::remove_all(scratch_); }

  void SetUp() override {
    QCoreApplication::setApplicationName(QStringLiteral("VelmoraJPEG2000B"));
    metadata::subInitMetadataTables();
    shell::gSetup = shell::DefaultSetupRecord();
    shell::gstrErrorText.clear();
    work_ = scratch_ / testing::UnitTest::GetInstance()->current_test_info()->name();
    fs::remove_all(work_);
    fs::create_directories(work_);
    ibMain_.SetControl(QString::fromUtf16(pictavo::ax::kImageBoxProgId));
    Box().LoadFromFile((scratch_ / "shown.jpg").string());
    // Closes the error report the global handler opens, counting it.
    QObject::connect(&closer_, &QTimer::timeout, [this] {
      if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
        ++reports_;
        dialog->reject();
      }
    });
    closer_.start(5);
  }

  ImageBoxProxy Box() { return ImageBoxProxy(ibMain_.Dispatch()); }

  Shown State() {
    ImageBoxProxy box = Box();
    return {plat::com::ToQVariant(box.WriteBinary(pictavo::ax::TxGraphicsFormat(0))).toByteArray(),
            static_cast<int>(box.get_ColorFormat()), plat::com::IsTrue(box.get_Transparent()),
            box.get_ExifValueByName("Make").Utf8(), box.get_ExifCount()};
  }

  bool Save(const fs::path& path) {
    return output::fncSavePreviewImage(ibMain_, QString::fromStdString(path.string()));
  }

  static fs::path scratch_;
  fs::path work_;
  plat::com::ControlHost ibMain_;
  RecordingUi ui_;
  QTimer closer_;
  int reports_ = 0;
};

fs::path SavePreviewTest::scratch_;

class SavePreviewRowTest : public SavePreviewTest, public testing::WithParamInterface<SaveRow> {};

TEST_P(SavePreviewRowTest, WritesTheFormatWithItsOptionsAndLeavesTheShownImageAsItWas) {
  const SaveRow& row = GetParam();
  const Shown before = State();
  ASSERT_EQ(before.make, "Velmora");
  row.options(shell::gSetup.SaveFormatOptions.Formats);
  const fs::path path = work_ / row.file;

  ASSERT_TRUE(Save(path)) << shell::gstrErrorText.toStdString();
  EXPECT_EQ(reports_, 0);
  EXPECT_TRUE(ui_.messages.empty());
  ASSERT_TRUE(fs::exists(path));
  EXPECT_EQ(fs::directory_iterator(work_)->path(), path) << "nothing else left in the folder";
  for (const Check& check : row.checks) {
    std::string command = check.command;
    command.replace(command.find("{}"), 2, Quoted(path));
    const std::string output = Capture(command);
    if (check.absent)
      EXPECT_EQ(output.find(check.expect), std::string::npos) << command << "\n" << output;
    else
      EXPECT_NE(output.find(check.expect), std::string::npos) << command << "\n" << output;
  }
  EXPECT_TRUE(State() == before) << "the shown image changed";
}

INSTANTIATE_TEST_SUITE_P(EveryExtension, SavePreviewRowTest, testing::ValuesIn(Rows()),
                         [](const testing::TestParamInfo<SaveRow>& info) {
                           std::string name = info.param.file;
                           for (char& c : name)
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           return name;
                         });

TEST_F(SavePreviewTest, ReadableButNotWritableFormatIsRefusedWithAMessage) {
  const fs::path path = work_ / "image.sgi";
  EXPECT_FALSE(Save(path));
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text, "This format can be read but not saved.");
  EXPECT_EQ(reports_, 0);
  EXPECT_FALSE(fs::exists(path));
}

TEST_F(SavePreviewTest, EmptyPathWritesNothingAndCountsAsDone) {
  EXPECT_TRUE(output::fncSavePreviewImage(ibMain_, QString()));
  EXPECT_TRUE(fs::is_empty(work_));
  EXPECT_EQ(reports_, 0);
}

// A folder that is a regular file (ENOTDIR; the tests run as root, so no permission stops a
// write): every writer reports once, and nothing else appears.
TEST_F(SavePreviewTest, PathThroughARegularFileIsReportedOnceByEveryWriter) {
  Shell("echo x > " + Quoted(work_ / "plain"));
  for (const char* name : {"a.png", "a.jp2", "a.tga", "a.wap"}) {
    SCOPED_TRACE(name);
    reports_ = 0;
    shell::gstrErrorText.clear();
    shell::gSetup.SaveFormatOptions.Formats.Tiff.Compression = 4;
    EXPECT_FALSE(Save(work_ / "plain" / name));
    EXPECT_EQ(reports_, 1);
    // The report names the folder in the way.
    EXPECT_TRUE(shell::gstrErrorText.contains(QString::fromStdString((work_ / "plain").string())))
        << shell::gstrErrorText.toStdString();
  }
  EXPECT_EQ(Bytes(work_ / "plain"), "x\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(work_), fs::directory_iterator()), 1);
}

TEST_F(SavePreviewTest, FailedSaveLeavesAnExistingFileAsItWas) {
  // PSD holds at most 30000 pixels a side. ImageMagick's limits refuse so wide a picture, so the
  // bitmap is written here: one row of 30001 black pixels.
  const int width = 30001;
  const int rowBytes = (width * 3 + 3) & ~3;
  QByteArray bmp(54 + rowBytes, '\0');
  auto put = [&](int at, uint32_t value, int size) {
    for (int i = 0; i < size; ++i) bmp[at + i] = static_cast<char>(value >> (8 * i));
  };
  bmp[0] = 'B', bmp[1] = 'M';
  put(2, static_cast<uint32_t>(bmp.size()), 4);
  put(10, 54, 4);
  put(14, 40, 4);
  put(18, width, 4);
  put(22, 1, 4);
  put(26, 1, 2);
  put(28, 24, 2);
  QFile wide(QString::fromStdString((work_ / "wide.bmp").string()));
  ASSERT_TRUE(wide.open(QIODevice::WriteOnly));
  wide.write(bmp);
  wide.close();
  Box().LoadFromFile((work_ / "wide.bmp").string());
  Shell("echo kept > " + Quoted(work_ / "old.psd"));
  EXPECT_FALSE(Save(work_ / "old.psd"));
  EXPECT_EQ(reports_, 1);
  EXPECT_EQ(Bytes(work_ / "old.psd"), "kept\n");
  EXPECT_TRUE(shell::gstrErrorText.contains("PSD")) << shell::gstrErrorText.toStdString();
  EXPECT_EQ(std::distance(fs::directory_iterator(work_), fs::directory_iterator()), 2);
}

TEST_F(SavePreviewTest, SiblingNameOfAnUpperCaseExtensionReplacesAnExistingFileWhole) {
  shell::gSetup.SaveFormatOptions.Formats.Tiff.Compression = 4;
  Shell("echo old > " + Quoted(work_ / "scan.TIFF"));
  ASSERT_TRUE(Save(work_ / "scan.TIFF"));
  EXPECT_EQ(Capture("identify -format '%m %w %h' " + Quoted(work_ / "scan.TIFF")), "TIFF 64 48");
  EXPECT_EQ(std::distance(fs::directory_iterator(work_), fs::directory_iterator()), 1);
}

}  // namespace
