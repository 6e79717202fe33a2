// Decoding TIFF files that libtiff's tools and ImageMagick wrote: our pixels must equal theirs.
#include <gtest/gtest.h>

#include "tiff/tiff_helpers.h"

namespace velmora_test {
namespace {

class TiffDecodeTable : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new ScratchDir;
    WriteSources(*dir_);
    const char* bases[] = {
        "convert mono.pbm -compress none bw.tif",
        "convert grey.pgm -depth 8 -compress none g8.tif",
        "convert grey.pgm -depth 4 -compress none g4.tif",
        "convert colour.ppm -depth 8 -colors 200 -type Palette -compress none p8.tif",
        "convert colour.ppm -depth 8 -colors 12 -type Palette -compress none p4.tif",
        "convert colour.ppm -depth 8 -compress none rgb.tif",
        "convert colour.ppm -depth 16 -compress none rgb16.tif",
        "convert colour.ppm -depth 8 -alpha opaque -compress none rgba.tif",
        "convert colour.ppm -depth 8 -colorspace CMYK -compress none cmyk.tif",
    };
    for (const char* command : bases) ASSERT_TRUE(Shell(*dir_, command)) << command;
  }
  static void TearDownTestSuite() {
    delete dir_;
    dir_ = nullptr;
  }
  static ScratchDir* dir_;
};

ScratchDir* TiffDecodeTable::dir_ = nullptr;

struct DecodeCase {
  const char* make;  // shell command writing case.tif in the scratch folder
  int tolerance;
};

TEST_F(TiffDecodeTable, OurPixelsEqualLibtiffs) {
  const DecodeCase cases[] = {
      // bilevel: every compression, both byte orders, FillOrder 2, several strips, WhiteIsZero
      {"tiffcp -c none bw.tif case.tif", 0},
      {"tiffcp -c packbits bw.tif case.tif", 0},
      {"tiffcp -c lzw bw.tif case.tif", 0},
      {"tiffcp -c g3 bw.tif case.tif", 0},
      {"tiffcp -c g3:2d bw.tif case.tif", 0},
      {"tiffcp -c g3:2d:fill -r 9 bw.tif case.tif", 0},
      {"tiffcp -c g4 bw.tif case.tif", 0},
      {"tiffcp -c g4 -r 7 -B bw.tif case.tif", 0},
      {"tiffcp -c g3 -f lsb2msb -r 5 bw.tif case.tif", 0},
      {"tiffcp -c g4 -f lsb2msb bw.tif case.tif", 0},
      {"tiffcp -c none -f lsb2msb bw.tif case.tif", 0},
      {"tiffcp -c packbits -f lsb2msb -B bw.tif case.tif", 0},
      {"tiffcp -c none -r 8 bw.tif case.tif && tiffset -s 262 0 case.tif", 0},
      {"tiffcp -c g4 bw.tif case.tif && tiffset -s 262 0 case.tif", 0},
      // greyscale 8 and 4 bits
      {"tiffcp -c none g8.tif case.tif", 0},
      {"tiffcp -c packbits -B -r 4 g8.tif case.tif", 0},
      {"tiffcp -c lzw g8.tif case.tif", 0},
      {"tiffcp -c lzw:2 -r 6 g8.tif case.tif", 0},
      {"tiffcp -c lzw:2 -B g8.tif case.tif", 0},
      {"tiffcp -c none g8.tif case.tif && tiffset -s 262 0 case.tif", 0},
      {"tiffcp -c none g4.tif case.tif", 0},
      {"tiffcp -c lzw -B g4.tif case.tif", 0},
      {"tiffcp -c packbits g4.tif case.tif && tiffset -s 262 0 case.tif", 0},
      // palette 8 and 4 bits (we round the 16-bit ColorMap levels, libtiff shifts them)
      {"tiffcp -c none p8.tif case.tif", 1},
      {"tiffcp -c lzw:2 -B p8.tif case.tif", 1},
      {"tiffcp -c packbits -r 3 p8.tif case.tif", 1},
      {"tiffcp -c none -B p4.tif case.tif", 1},
      {"tiffcp -c lzw p4.tif case.tif", 1},
      // RGB: contiguous and planar, 16 bits, an alpha sample
      {"tiffcp -c none rgb.tif case.tif", 0},
      {"tiffcp -c packbits -r 5 rgb.tif case.tif", 0},
      {"tiffcp -c lzw rgb.tif case.tif", 0},
      {"tiffcp -c lzw:2 -B rgb.tif case.tif", 0},
      {"tiffcp -c none -p separate rgb.tif case.tif", 0},
      {"tiffcp -c lzw:2 -p separate -r 4 -B rgb.tif case.tif", 0},
      {"tiffcp -c none rgb16.tif case.tif", 0},
      {"tiffcp -c none -B rgb16.tif case.tif", 0},
      {"tiffcp -c lzw:2 rgba.tif case.tif", 0},
      // CMYK
      {"tiffcp -c none cmyk.tif case.tif", 1},
      {"tiffcp -c lzw:2 -B cmyk.tif case.tif", 1},
      {"tiffcp -c packbits -p separate cmyk.tif case.tif", 1},
  };
  for (const DecodeCase& c : cases) {
    SCOPED_TRACE(c.make);
    ASSERT_TRUE(Shell(*dir_, std::string("rm -f case.tif && ") + c.make));
    // libtiff's own RGBA reader is the referee (ImageMagick shows 4-bit WhiteIsZero
    // inverted).
    ASSERT_TRUE(Shell(*dir_, "tiff2rgba -c none case.tif ref.tif"));
    RgbaImage theirs = ReadWithImageMagick(*dir_, dir_->File("ref.tif"));
    ASSERT_GT(theirs.width, 0);
    try {
      ExpectSamePixels(DecodeTiff(dir_->File("case.tif")), theirs, c.tolerance);
    } catch (const std::exception& e) {
      ADD_FAILURE() << e.what();
    }
  }
}

// Large flat areas make LZW strings up to the longest the table allows, and short repeats make
// strings of every length in between: each is copied out of the decoded bytes as libtiff does.
TEST_F(TiffDecodeTable, LongAndUnevenLzwStringsDecodeAsLibtiffReadsThem) {
  constexpr int kWidth = 700, kHeight = 260;
  std::string pgm = "P5\n" + std::to_string(kWidth) + " " + std::to_string(kHeight) + "\n255\n";
  std::vector<uint8_t> bytes(pgm.begin(), pgm.end());
  uint32_t noise = 12345;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      noise = noise * 1103515245u + 12345u;
      uint8_t v = 0;
      if (y < 100)
        v = 200;  // flat
      else if (y < 180)
        v = static_cast<uint8_t>((x % (3 + y % 11)) * 17);  // repeats of many periods
      else
        v = static_cast<uint8_t>(noise >> 24);
      bytes.push_back(v);
    }
  WriteBytes(dir_->File("lzw.pgm"), bytes);
  ASSERT_TRUE(Shell(*dir_, "convert lzw.pgm -depth 8 -compress none lzwsrc.tif"));
  for (const char* make :
       {"tiffcp -c lzw -r 260 lzwsrc.tif case.tif", "tiffcp -c lzw:2 -r 37 lzwsrc.tif case.tif"}) {
    SCOPED_TRACE(make);
    ASSERT_TRUE(Shell(*dir_, std::string("rm -f case.tif && ") + make));
    ASSERT_TRUE(Shell(*dir_, "tiff2rgba -c none case.tif ref.tif"));
    ExpectSamePixels(DecodeTiff(dir_->File("case.tif")),
                     ReadWithImageMagick(*dir_, dir_->File("ref.tif")));
  }
}

// fax2tiff re-encodes raw Group 3 data as a WhiteIsZero fax page with EOLs on byte boundaries.
TEST_F(TiffDecodeTable, Fax2TiffPagesDecode) {
  ASSERT_TRUE(Shell(*dir_, "tiffcp -c g3 -r 1000 bw.tif one.tif"));
  // The single strip of one.tif is the raw fax data fax2tiff takes.
  auto bytes = ReadBytes(dir_->File("one.tif"));
  pictavo::TTIFImage probe;
  probe.LoadFromFile(dir_->File("one.tif"));
  ASSERT_EQ(probe.StripCount(), 1u);
  std::string dump = Capture("tiffdump '" + dir_->File("one.tif") + "'");
  auto field = [&dump](const std::string& name) {
    size_t at = dump.find(name);
    at = dump.find('<', at);
    return std::stoul(dump.substr(at + 1));
  };
  size_t offset = field("StripOffsets"), count = field("StripByteCounts");
  ASSERT_LE(offset + count, bytes.size());
  WriteBytes(dir_->File("raw.fax"),
             std::vector<uint8_t>(bytes.begin() + offset, bytes.begin() + offset + count));
  for (const char* options :
       {"-M -1 -X 173", "-M -1 -X 173 -8", "-M -1 -X 173 -5 -a", "-M -1 -X 173 -6 -p"}) {
    SCOPED_TRACE(options);
    ASSERT_TRUE(Shell(*dir_, std::string("fax2tiff ") + options + " -o fax.tif raw.fax"));
    RgbaImage theirs = ReadWithImageMagick(*dir_, dir_->File("fax.tif"));
    ASSERT_GT(theirs.width, 0);
    ExpectSamePixels(DecodeTiff(dir_->File("fax.tif")), theirs);
  }
}

}  // namespace
}  // namespace velmora_test
