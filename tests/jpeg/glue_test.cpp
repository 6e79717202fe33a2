#include <gtest/gtest.h>

#include "control/engine/raster/glue/jpeg_glue.h"
#include "control/engine/raster/ticbitmap.h"
#include "control/formats/jpeg/exif.h"
#include "control/formats/jpeg/file_info.h"
#include "jpeg/jpeg_fixtures.h"

namespace pictavo {
namespace {

using namespace pictavo::jpegtest;

TEST(JpegThroughTheRasterImage, LoadCarriesDensityMetadataAndQualityAndSaveWritesThemBack) {
  TScratch scratch;
  WriteTestPpm(scratch.Path("in.ppm"), 32, 16);
  Shell(scratch,
        "convert in.ppm -quality 75 -units PixelsPerInch -density 200x200 a.jpg && exiftool -q "
        "-overwrite_original -EXIF:Make=Cam -IPTC:Caption-Abstract=cap a.jpg");
  TicBitmap image;
  image.LoadImageFile(scratch.Path("a.jpg"), 0);
  EXPECT_EQ(image.Width(), 32);
  EXPECT_EQ(image.GetXDPI(), 200);
  EXPECT_EQ(image.Exif->Value("Make"), "Cam");
  EXPECT_EQ(image.FileInfo->Caption, "cap");
  EXPECT_TRUE(image.FileInfo->HasFileInfo);
  EXPECT_EQ(image.JPEGApproxQuality, 75);
  EXPECT_FALSE(image.WasCMYK);

  image.FileInfo->Keywords = {"k"};
  image.ProgressiveJPEG = true;
  image.SaveImageFile(scratch.Path("b.jpg"), false, 60);
  EXPECT_EQ(Shell(scratch, "identify -format '%[interlace] %x' b.jpg"), "JPEG 200");
  EXPECT_EQ(Shell(scratch, "exiftool -s3 -IPTC:Keywords -EXIF:Make b.jpg"), "k\nCam\n");
  TicBitmap back;
  back.LoadImageFile(scratch.Path("b.jpg"), 0);
  EXPECT_EQ(back.JPEGApproxQuality, 60);
}

TEST(JpegThroughTheRasterImage, ACorruptFileIsReportedByName) {
  TScratch scratch;
  WriteTestPpm(scratch.Path("in.ppm"), 8, 8);
  Shell(scratch,
        "cjpeg in.ppm | head -c -20 > broken.jpg && printf '\\377\\330\\377\\300\\000\\002' > "
        "bad.jpg");
  TicBitmap image;
  try {
    image.LoadImageFile(scratch.Path("bad.jpg"), 0);
    ADD_FAILURE();
  } catch (const plat::EInvalidGraphic& e) {
    EXPECT_STREQ(e.what(), "The file bad.jpg is corrupt or not in JPG format.");
  }
  EXPECT_NO_THROW(image.LoadImageFile(scratch.Path("broken.jpg"), 0));  // a cut scan still shows
}

TEST(JpegThroughTheRasterImage, OverwriteMetaData) {
  TScratch scratch;
  WriteTestPpm(scratch.Path("in.ppm"), 8, 8);
  Shell(scratch, "cjpeg in.ppm > a.jpg");
  TicBitmap image;
  image.LoadImageFile(scratch.Path("a.jpg"), 0);
  image.FileInfo->Caption = "written in place";
  image.FileInfo->HasFileInfo = true;
  glue::OverwriteJpegMetaData(image, scratch.Path("a.jpg"));
  EXPECT_EQ(Shell(scratch, "exiftool -s3 -IPTC:Caption-Abstract a.jpg"), "written in place\n");

  struct Case {
    const char* file;
    const char* message;
  };
  const Case cases[] = {{"missing.jpg", "File not found: missing.jpg"},
                        {"in.ppm", "Error overwriting JPEG Meta Data."}};
  for (const Case& c : cases) {
    std::vector<uint8_t> before = ReadFile(scratch.Path(c.file));
    try {
      glue::OverwriteJpegMetaData(image, scratch.Path(c.file));
      ADD_FAILURE() << c.file;
    } catch (const plat::Exception& e) {
      EXPECT_STREQ(e.what(), c.message);
    }
    EXPECT_EQ(ReadFile(scratch.Path(c.file)), before);
  }
}

}  // namespace
}  // namespace pictavo
