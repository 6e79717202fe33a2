// The header probe over files ImageMagick writes, each checked against what `identify` reports,
// and over damaged bytes it must survive.
#include "app/browse/header_probe.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/graphics/referee.h"

namespace {

using velmora_test::Capture;
using velmora_test::ReadBytes;
using velmora_test::ScratchDir;
using velmora_test::WriteBytes;

struct ProbeCase {
  const char* name;
  const char* convert;  // ImageMagick arguments that write the file named last
  const char* file;
  bool gifOrBmp;
  bool read;
  int bitsPerPixel;
  int dpi;
  bool isGray;
};

// The dpi each case must give follows from the density ImageMagick stores; identify's own view
// of size and density is checked beside ours.
const ProbeCase kCases[] = {
    {"jfif_72_dpi", "-size 64x48 xc:red -units PixelsPerInch -density 72", "a.jpg", false, true, 24,
     72, false},
    {"jfif_no_units", "-size 20x10 xc:red -units Undefined -density 5", "b.jpg", false, true, 24, 1,
     false},
    {"jfif_dots_per_cm", "-size 20x10 xc:red -units PixelsPerCentimeter -density 28", "c.jpg",
     false, true, 24, 71, false},
    {"grey_jpeg", "-size 30x20 gradient: -colorspace Gray -units PixelsPerInch -density 96",
     "d.jpg", false, true, 24, 96, true},
    {"progressive_jpeg", "-size 33x17 xc:blue -interlace JPEG -units PixelsPerInch -density 72",
     "e.jpg", false, true, 24, 72, false},
    {"png_2835_per_metre", "-size 12x9 xc:red -units PixelsPerCentimeter -density 28.35",
     "PNG24:f.png", false, true, 24, 72, false},
    {"png_rgba_8_bit", "-size 12x9 xc:red -alpha set", "PNG32:g.png", false, true, 24, 0, false},
    {"png_16_bit", "-size 12x9 xc:red -depth 16", "PNG48:h.png", false, true, 16, 0, false},
    {"png_grey",
     "-size 12x9 gradient: -colorspace Gray -define png:bit-depth=8 -define png:color-type=0",
     "PNG:i.png", false, true, 8, 0, true},
    {"tiff_300_per_inch", "-size 10x7 xc:red -units PixelsPerInch -density 300", "j.tif", false,
     true, 24, 300, false},
    {"tiff_118_per_cm", "-size 10x7 xc:red -units PixelsPerCentimeter -density 118", "k.tif", false,
     true, 24, 299, false},
    {"tiff_big_endian", "-size 10x7 xc:red -define tiff:endian=msb", "l.tif", false, false, 0, 0,
     false},
    {"gif_256_colours", "-size 3x256 gradient:red-blue -colors 256", "m.gif", true, true, 8, 0,
     false},
    {"bmp_8_bit", "-size 21x256 gradient: -type Palette", "BMP3:n.bmp", true, true, 8, 0, false},
};

// ImageMagick's "FORMAT:name" target, put inside the scratch folder.
struct Target {
  std::string path;
  std::string argument;
};

Target TargetIn(const ScratchDir& dir, const std::string& file) {
  const auto colon = file.find(':');
  const std::string prefix = colon == std::string::npos ? "" : file.substr(0, colon + 1);
  const std::string path = dir.File(file.substr(colon == std::string::npos ? 0 : colon + 1));
  return {path, prefix + path};
}

TEST(HeaderProbe, ReadsWhatImageMagickWrote) {
  ScratchDir dir;
  for (const ProbeCase& c : kCases) {
    SCOPED_TRACE(c.name);
    const Target target = TargetIn(dir, c.file);
    const std::string& path = target.path;
    ASSERT_TRUE(
        velmora_test::Run(std::string("convert ") + c.convert + " '" + target.argument + "'"));
    int width = 0, height = 0;
    ASSERT_EQ(std::sscanf(Capture("identify -format '%w %h\\n' '" + path + "' | head -1").c_str(),
                          "%d %d", &width, &height),
              2);

    browse::clsImageHeaderInfo probe;
    const QString name = QString::fromStdString(path);
    bool read = true;
    if (c.gifOrBmp) {
      probe.ReadGIF_BMP_Header(name);
    } else {
      read = probe.ReadJPEG_TIFF_PNG_Header(name);
    }
    EXPECT_EQ(read, c.read);
    if (!c.read) continue;
    EXPECT_EQ(probe.Width(), width);
    EXPECT_EQ(probe.Height(), height);
    EXPECT_EQ(probe.BitsPerPixel(), c.bitsPerPixel);
    EXPECT_EQ(probe.IsGray(), c.isGray);
    if (!c.gifOrBmp) {
      EXPECT_EQ(probe.dpi(), c.dpi);
    }
  }
}

// The size fields are signed 32-bit numbers: widths past 32767 and top-down bitmaps (a negative
// height) keep their size.
TEST(HeaderProbe, BmpSizesAreThirtyTwoBit) {
  ScratchDir dir;
  const std::string path = dir.File("base.bmp");
  ASSERT_TRUE(velmora_test::Run("convert -size 9x5 xc:red -type TrueColor BMP3:'" + path + "'"));
  const std::vector<uint8_t> base = ReadBytes(path);
  ASSERT_GT(base.size(), 29u);
  struct {
    int32_t width, height, wantHeight;
  } const cases[] = {{40000, 5, 5}, {9, -5, 5}, {70000, -40000, 40000}};
  for (const auto& c : cases) {
    std::vector<uint8_t> bytes = base;
    for (int i = 0; i < 4; ++i) {
      bytes[18 + i] = static_cast<uint8_t>(c.width >> (8 * i));
      bytes[22 + i] = static_cast<uint8_t>(c.height >> (8 * i));
    }
    browse::clsImageHeaderInfo probe;
    probe.ReadGIF_BMP_Bytes(bytes);
    EXPECT_EQ(probe.Width(), c.width);
    EXPECT_EQ(probe.Height(), c.wantHeight);
    EXPECT_EQ(probe.BitsPerPixel(), 24);
  }
}

struct DamagedCase {
  const char* name;
  std::vector<uint8_t> bytes;
  bool read;
};

TEST(HeaderProbe, DamagedBytesEndTheReader) {
  const DamagedCase cases[] = {
      {"jpeg_ending_at_once", {0xFF, 0xD8}, true},
      {"jpeg_cut_inside_segment", {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 'J', 'F'}, true},
      {"jpeg_length_below_two", {0xFF, 0xD8, 0xFF, 0xE1, 0x00, 0x01, 0xFF, 0xE1, 0x00, 0x00}, true},
      {"png_cut_in_signature", {0x89, 'P', 'N', 'G'}, false},
      {"png_without_image_data", {0x89, 'P', 'N', 'G', 13, 10, 26, 10, 0, 0, 0, 0}, false},
      {"tiff_cut_in_version", {'I', 'I', 42}, false},
      {"tiff_directory_past_end", {'I', 'I', 42, 0, 0xFF, 0xFF, 0xFF, 0xFF}, true},
      {"empty", {}, false},
  };
  for (const DamagedCase& c : cases) {
    SCOPED_TRACE(c.name);
    browse::clsImageHeaderInfo probe;
    EXPECT_EQ(probe.ReadJPEG_TIFF_PNG_Bytes(c.bytes), c.read);
    EXPECT_EQ(probe.Width(), 0);
    EXPECT_EQ(probe.Height(), 0);
  }
}

TEST(HeaderProbe, UnreadableFilesGiveEmptyResults) {
  ScratchDir dir;
  const std::string blocker = dir.File("plain");
  WriteBytes(blocker, {'G', 'I', 'F'});
  browse::clsImageHeaderInfo probe;
  probe.ReadGIF_BMP_Header(QString::fromStdString(blocker + "/inside.gif"));
  EXPECT_EQ(probe.Width(), 0);
  probe.ReadGIF_BMP_Header(QString::fromStdString(blocker));  // "GIF" and nothing more
  EXPECT_EQ(probe.BitsPerPixel(), 0);
  EXPECT_FALSE(probe.ReadJPEG_TIFF_PNG_Header(QString::fromStdString(blocker + "/inside.jpg")));
}

}  // namespace
