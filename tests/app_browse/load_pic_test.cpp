// LoadPic's routes over files ImageMagick writes, with ImageMagick's pixels as the referee.
#include <gtest/gtest.h>

#include <QApplication>
#include <QColor>
#include <QDialog>
#include <QTimer>
#include <string>
#include <thread>
#include <vector>

#include "app/browse/picture_loader.h"
#include "app/shell/errors.h"
#include "tests/graphics/referee.h"

namespace {

using velmora_test::ScratchDir;

// The largest channel difference between our picture and ImageMagick's view of the file.
int LargestDifference(const QImage& picture, const velmora_test::RgbaImage& referee) {
  int largest = 0;
  for (int y = 0; y < referee.height; ++y)
    for (int x = 0; x < referee.width; ++x) {
      const QColor got = picture.pixelColor(x, y);
      const uint8_t* want = referee.At(x, y);
      largest = std::max({largest, std::abs(got.red() - want[0]), std::abs(got.green() - want[1]),
                          std::abs(got.blue() - want[2])});
    }
  return largest;
}

const browse::QtLoadRoute kFailingQtRoute = [](const QString&, browse::ScaleMode, int32_t, int32_t,
                                               uint32_t, bool, int32_t&,
                                               int32_t&) { return QImage(); };

TEST(LoadPic, EveryRouteGivesTheStoredPixels) {
  ScratchDir dir;
  struct {
    const char* format;  // ImageMagick's name of the format written
    const char* file;
    int tolerance;
  } const cases[] = {
      {"PNG", "a.png", 1},  {"TIFF", "a.tif", 1}, {"TIFF", "a.tiff", 1}, {"GIF", "a.gif", 1},
      {"BMP3", "a.bmp", 1}, {"JPEG", "a.jpg", 8}, {"JPEG", "a.jpeg", 8}, {"JPEG", "a.jpe", 8},
      {"PCX", "a.pcx", 1},  {"PPM", "a.ppm", 1},  {"WBMP", "a.wbmp", 1}, {"WBMP", "a.wbm", 1},
      {"PSD", "a.psd", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    const std::string path = dir.File(c.file);
    const std::string target = std::string(c.format) + ":" + path;
    // ImageMagick cannot read back its own palette PSD, so that one is written in full colour.
    const std::string colours = std::string(c.format) == "WBMP" ? "-monochrome"
                                : std::string(c.format) == "PSD"
                                    ? "-colors 16 -type TrueColor -depth 8"
                                    : "-colors 16";
    ASSERT_TRUE(velmora_test::Run("convert -size 30x20 gradient:red-blue " + colours + " '" +
                                  target + "'"));
    // The format prefix lets ImageMagick read the signature-less WBMP; [0] takes the merged
    // image of a PSD without its layers.
    const velmora_test::RgbaImage referee = velmora_test::ReadWithImageMagick(dir, target + "[0]");
    ASSERT_EQ(referee.width, 30);
    for (const bool qtFails : {false, true}) {
      SCOPED_TRACE(qtFails ? "Qt route failing" : "Qt route working");
      int32_t width = 0;
      int32_t height = 0;
      const QImage picture = qtFails
                                 ? browse::LoadPic(QString::fromStdString(path), browse::kOwnSize,
                                                   40, 40, 0xFFFFFF, width, height, kFailingQtRoute)
                                 : browse::LoadPic(QString::fromStdString(path), browse::kOwnSize,
                                                   40, 40, 0xFFFFFF, width, height);
      ASSERT_EQ(picture.size(), QSize(30, 20));
      EXPECT_EQ(QSize(width, height), QSize(30, 20));
      EXPECT_LE(LargestDifference(picture, referee), c.tolerance);
    }
  }
}

TEST(LoadPic, ThumbnailThroughFreeImageKeepsAspect) {
  ScratchDir dir;
  const std::string path = dir.File("wide.pcx");
  ASSERT_TRUE(velmora_test::Run("convert -size 100x50 xc:red '" + path + "'"));
  int32_t width = 0;
  int32_t height = 0;
  const QImage picture = browse::LoadPic(QString::fromStdString(path), browse::kExactBox, 40, 40,
                                         0xFFFFFF, width, height);
  ASSERT_EQ(picture.size(), QSize(40, 40));
  EXPECT_EQ(QSize(width, height), QSize(100, 50));
  EXPECT_EQ(picture.pixelColor(20, 9), QColor(Qt::white));
  EXPECT_EQ(picture.pixelColor(20, 20), QColor(Qt::red));
}

TEST(LoadPic, TextNamedAsImageGivesNoPicture) {
  ScratchDir dir;
  for (const char* name : {"text.jpg", "text.pcx", "missing.png"}) {
    SCOPED_TRACE(name);
    const std::string path = dir.File(name);
    if (std::string(name) != "missing.png")
      velmora_test::WriteBytes(path, {'p', 'l', 'a', 'i', 'n', ' ', 't', 'e', 'x', 't', '\n'});
    int32_t width = -1;
    int32_t height = -1;
    EXPECT_TRUE(browse::LoadPic(QString::fromStdString(path), browse::kOwnSize, 40, 40, 0xFFFFFF,
                                width, height)
                    .isNull());
  }
}

// An overflow or an invalid picture on the Qt route passes the file on to FreeImage silently;
// any other error ends with no picture and a report under "LoadPic", which a worker thread
// leaves to the GUI thread.
TEST(LoadPic, ErrorsFallThroughOrAreReported) {
  ScratchDir dir;
  const std::string path = dir.File("red.png");
  ASSERT_TRUE(velmora_test::Run("convert -size 6x4 xc:red '" + path + "'"));
  struct {
    int32_t number;
    const char* description;
    bool onWorker;
    bool reported;
  } const cases[] = {
      {6, "Overflow", false, false},
      {481, "Invalid picture", false, false},
      {5, "Invalid procedure call or argument", false, true},
      {5, "Invalid procedure call or argument", true, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.number) + (c.onWorker ? " on a worker" : ""));
    const browse::QtLoadRoute raising = [&](const QString&, browse::ScaleMode, int32_t, int32_t,
                                            uint32_t, bool, int32_t&, int32_t&) -> QImage {
      throw shell::AppError(c.number, c.description);
    };
    shell::gstrErrorRoutine.clear();
    shell::gstrErrorText.clear();
    int reports = 0;
    QTimer closer;
    closer.setInterval(0);
    QObject::connect(&closer, &QTimer::timeout, [&] {
      if (auto* report = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
        ++reports;
        report->reject();
      }
    });
    closer.start();
    QImage picture;
    const auto load = [&] {
      int32_t width = 0;
      int32_t height = 0;
      picture = browse::LoadPic(QString::fromStdString(path), browse::kOwnSize, 40, 40, 0xFFFFFF,
                                width, height, raising);
    };
    if (c.onWorker) {
      std::thread(load).join();
    } else {
      load();
    }
    QApplication::processEvents();
    EXPECT_EQ(picture.isNull(), c.reported);
    EXPECT_EQ(reports, c.reported ? 1 : 0);
    if (c.reported) {
      EXPECT_EQ(shell::gstrErrorRoutine, "LoadPic");
      EXPECT_EQ(shell::gstrErrorText, "5 - Invalid procedure call or argument");
    } else {
      EXPECT_EQ(picture.size(), QSize(6, 4));
      EXPECT_EQ(picture.pixelColor(3, 2), QColor(Qt::red));
      EXPECT_TRUE(shell::gstrErrorRoutine.isEmpty());
    }
  }
}

std::vector<QImage> Thumbnails(const std::vector<std::string>& paths) {
  std::vector<QImage> pictures;
  for (const std::string& path : paths) {
    int32_t width = 0;
    int32_t height = 0;
    pictures.push_back(browse::LoadPic(QString::fromStdString(path), browse::kExactBox, 40, 40,
                                       0xFFFFFF, width, height));
  }
  return pictures;
}

// The file list makes its thumbnails on worker threads: each must see what one thread sees.
TEST(LoadPic, ThumbnailsOnEightThreadsMatchOneThread) {
  ScratchDir dir;
  std::vector<std::string> paths;
  for (const char* name : {"t.jpg", "t.png", "t.pcx", "t.tif", "t.wbmp"}) {
    paths.push_back(dir.File(name));
    ASSERT_TRUE(
        velmora_test::Run("convert -seed 3 -size 90x60 plasma:fractal '" + paths.back() + "'"));
  }
  const std::vector<QImage> alone = Thumbnails(paths);
  for (const QImage& picture : alone) ASSERT_EQ(picture.size(), QSize(40, 40));
  std::vector<std::vector<QImage>> results(8);
  std::vector<std::thread> threads;
  for (auto& result : results) threads.emplace_back([&] { result = Thumbnails(paths); });
  for (auto& thread : threads) thread.join();
  for (const auto& result : results) EXPECT_TRUE(result == alone);
}

}  // namespace
