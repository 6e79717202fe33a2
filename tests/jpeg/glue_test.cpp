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

// Sets the field type of the first directory entry of tag to type, in either byte order.
void RetypeExifEntry(std::vector<uint8_t>& file, uint16_t tag, uint16_t from, uint16_t to) {
  for (size_t i = 0; i + 4 <= file.size(); ++i) {
    const bool little = file[i] == (tag & 0xFF) && file[i + 1] == tag >> 8 && file[i + 2] == from &&
                        file[i + 3] == 0;
    const bool big = file[i] == tag >> 8 && file[i + 1] == (tag & 0xFF) && file[i + 2] == 0 &&
                     file[i + 3] == from;
    if (little || big) {
      file[little ? i + 2 : i + 3] = static_cast<uint8_t>(to);
      return;
    }
  }
  ADD_FAILURE() << "no entry of tag " << tag;
}

// An ExifVersion stored as ASCII (as some writers do), a value SetAttribute must refuse and an
// empty stored value: the JPEG and TIFF saves still succeed with every other tag intact.
TEST(JpegThroughTheRasterImage, AnUnwritableExifEntryCostsOnlyItself) {
  TScratch scratch;
  WriteTestPpm(scratch.Path("in.ppm"), 16, 16);
  Shell(scratch,
        "convert in.ppm a.jpg && exiftool -q -overwrite_original -EXIF:Make=Cam -EXIF:Model=M1 "
        "-EXIF:ExposureTime=1/250 -EXIF:ExifVersion=0230 a.jpg");
  std::vector<uint8_t> file = ReadBytes(scratch.Path("a.jpg"));
  RetypeExifEntry(file, 0x9000, 7, 2);
  WriteFile(scratch.Path("ascii.jpg"), file);
  ASSERT_EQ(Shell(scratch, "exiftool -s3 -EXIF:ExifVersion ascii.jpg"), "0230\n");

  TicBitmap image;
  image.LoadImageFile(scratch.Path("ascii.jpg"), 0);
  EXPECT_FALSE(image.Exif->SetAttribute("FileSource", u"zz"));
  image.Exif->Tags.push_back("FNumber=");
  for (const char* out : {"b.jpg", "b.tif"}) {
    SCOPED_TRACE(out);
    image.SaveImageFile(scratch.Path(out), false, 90);
    EXPECT_EQ(Shell(scratch, std::string("exiftool -s3 -EXIF:Make -EXIF:Model -EXIF:ExposureTime "
                                         "-EXIF:ExifVersion -EXIF:FNumber -EXIF:FileSource ") +
                                 out),
              "Cam\nM1\n1/250\n0230\n");
  }
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
    std::vector<uint8_t> before = ReadBytes(scratch.Path(c.file));
    try {
      glue::OverwriteJpegMetaData(image, scratch.Path(c.file));
      ADD_FAILURE() << c.file;
    } catch (const plat::Exception& e) {
      EXPECT_STREQ(e.what(), c.message);
    }
    EXPECT_EQ(ReadBytes(scratch.Path(c.file)), before);
  }
}

}  // namespace
}  // namespace pictavo
