// What a user reads when a file cannot be loaded: the message names the file and the cause,
// and the image that was there before stays.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "control/engine/raster/ticbitmap.h"
#include "control/formats/jpeg/exif.h"
#include "platform/base/exceptions.h"

namespace pictavo {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

TicBitmap Pattern(int width, int height) {
  TicBitmap image;
  image.SetPixelFormat(plat::TPixelFormat::pf24bit);
  image.SetSize(width, height);
  for (int y = 0; y < height; ++y) {
    uint8_t* row = image.ScanLine(y);
    for (int x = 0; x < 3 * width; ++x) row[x] = static_cast<uint8_t>(x * 7 + y * 13);
  }
  return image;
}

// A JPEG whose APP1 (EXIF) segment is cut off in the middle.
Bytes JpegCutInsideApp1() {
  TicBitmap image = Pattern(8, 8);
  EXPECT_TRUE(image.Exif->SetAttribute("ImageDescription", std::u16string(200, u'x')));
  Bytes jpeg = image.SaveToBytes(gfJPG, false, 80);
  for (size_t i = 2; i + 3 < jpeg.size(); ++i)
    if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xE1) {
      jpeg.resize(i + 60);
      return jpeg;
    }
  ADD_FAILURE() << "our encoder wrote no APP1 segment";
  return jpeg;
}

// A TIFF of ours cut before its directory.
Bytes TiffCutBeforeItsDirectory() {
  Bytes tiff = Pattern(16, 16).SaveToBytes(gfTIF, false, 0);
  tiff.resize(tiff.size() / 2);
  return tiff;
}

struct LoadCase {
  const char* name;
  const char* file;  // written unless make is empty; "folder/" makes a folder
  Bytes (*make)();
  bool (*is_class)(const plat::Exception&);
  std::string message;
};

template <class E>
bool Is(const plat::Exception& e) {
  return dynamic_cast<const E*>(&e) != nullptr;
}

class LoadMessages : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("load_messages_" + std::to_string(getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }
  fs::path dir_;
};

TEST_F(LoadMessages, EachNamesTheFileAndItsCauseAndKeepsThePreviousImage) {
  const LoadCase cases[] = {
      {"zero bytes", "nothing.jpg", [] { return Bytes{}; }, Is<plat::EReadError>,
       "The file nothing.jpg is empty"},
      {"a folder", "pictures", nullptr, Is<plat::EFOpenError>, "pictures is a folder, not a file"},
      {"a TIFF cut before its directory", "cut.tif", TiffCutBeforeItsDirectory,
       Is<plat::EReadError>, "cut.tif: TIFF file is truncated"},
      {"a JPEG cut inside its EXIF segment", "cut.jpg", JpegCutInsideApp1,
       Is<plat::EInvalidGraphic>, "The file cut.jpg is corrupt or not in JPG format."},
  };
  const std::string good = Path("good.bmp");
  Pattern(5, 3).SaveImageFile(good, false, 0);
  for (const LoadCase& c : cases) {
    const std::string path = Path(c.file);
    if (c.make) {
      const Bytes bytes = c.make();
      std::ofstream(path, std::ios::binary)
          .write(reinterpret_cast<const char*>(bytes.data()),
                 static_cast<std::streamsize>(bytes.size()));
    } else {
      fs::create_directories(path);
    }
    TicBitmap image;
    image.LoadImageFile(good, 0);
    try {
      image.LoadImageFile(path, 0);
      ADD_FAILURE() << c.name << " loaded";
    } catch (const plat::Exception& e) {
      EXPECT_EQ(std::string(e.what()), c.message) << c.name;
      EXPECT_TRUE(c.is_class(e)) << c.name << ": " << typeid(e).name();
    }
    EXPECT_EQ(image.Width(), 5) << c.name;
    EXPECT_EQ(image.Height(), 3) << c.name;
  }
}

}  // namespace
}  // namespace pictavo
