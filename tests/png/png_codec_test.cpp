// The codec against ImageMagick: files it writes are read by us, files we write are read by it
// and checked by pngcheck.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>

#include "control/formats/png/png_image.h"
#include "png_test_util.h"

namespace pictavo {
namespace {

using pngtest::Bytes;

struct MagickFixture {
  const char* name;
  int color_type;
  int depth;
  const char* operations;
  plat::TPixelFormat expected_format;
};

const MagickFixture kFixtures[] = {
    {"grey1", 0, 1, "-colorspace gray -posterize 2", plat::TPixelFormat::pf1bit},
    {"grey2", 0, 2, "-colorspace gray -posterize 4", plat::TPixelFormat::pf4bit},
    {"grey4", 0, 4, "-colorspace gray -posterize 16", plat::TPixelFormat::pf4bit},
    {"grey8", 0, 8, "-colorspace gray -depth 8", plat::TPixelFormat::pf8bit},
    {"grey16", 0, 16, "-colorspace gray -depth 16", plat::TPixelFormat::pf8bit},
    {"rgb8", 2, 8, "-depth 8", plat::TPixelFormat::pf24bit},
    {"rgb16", 2, 16, "-depth 16", plat::TPixelFormat::pf24bit},
    {"palette1", 3, 1, "+dither -colors 2", plat::TPixelFormat::pf1bit},
    {"palette2", 3, 2, "+dither -colors 4", plat::TPixelFormat::pf4bit},
    {"palette4", 3, 4, "+dither -colors 16", plat::TPixelFormat::pf4bit},
    {"palette8", 3, 8, "+dither -colors 200", plat::TPixelFormat::pf8bit},
    {"greyalpha8", 4, 8, "-colorspace gray -alpha set -channel A -fx i/w +channel -depth 8",
     plat::TPixelFormat::pf8bit},
    {"greyalpha16", 4, 16, "-colorspace gray -alpha set -channel A -fx i/w +channel -depth 16",
     plat::TPixelFormat::pf8bit},
    {"rgba8", 6, 8, "-alpha set -channel A -fx j/h +channel -depth 8", plat::TPixelFormat::pf24bit},
    {"rgba16", 6, 16, "-alpha set -channel A -fx j/h +channel -depth 16",
     plat::TPixelFormat::pf24bit},
};

// Makes the fixture with ImageMagick and checks it got the header asked for.
Bytes MakeMagickPng(const pngtest::ScratchDir& dir, const MagickFixture& f, bool interlaced,
                    const std::string& size = "37x21",
                    const std::string& source = "-seed 5 plasma:fractal") {
  std::string path = dir / "magick.png";
  std::string command =
      "convert -size " + size + " " + source + " " + f.operations +
      " -define png:exclude-chunk=bKGD -define png:color-type=" + std::to_string(f.color_type) +
      " -define png:bit-depth=" + std::to_string(f.depth) +
      (interlaced ? " -interlace PNG" : " -interlace none") + " PNG:'" + path + "'";
  pngtest::CommandResult r = pngtest::Run(command);
  EXPECT_EQ(r.status, 0) << command << "\n" << r.output;
  Bytes file = pngtest::ReadBytes(path);
  EXPECT_GT(file.size(), 33u);
  if (file.size() > 33) {
    EXPECT_EQ(file[24], f.depth) << f.name;
    EXPECT_EQ(file[25], f.color_type) << f.name;
    EXPECT_EQ(file[28], interlaced ? 1 : 0) << f.name;
  }
  return file;
}

class MagickFixtureTest : public ::testing::TestWithParam<std::tuple<MagickFixture, bool>> {
 protected:
  pngtest::ScratchDir dir_;
};

TEST_P(MagickFixtureTest, DecodesToTheSamePixelsAsImageMagickReads) {
  const auto& [fixture, interlaced] = GetParam();
  Bytes made = MakeMagickPng(dir_, fixture, interlaced);
  // The image data split over many small IDAT chunks must decode as one stream.
  auto chunks = pngtest::ResplitImageData(pngtest::SplitChunks(made), 16);
  ASSERT_GT(std::count_if(chunks.begin(), chunks.end(), [](auto& c) { return c.type == "IDAT"; }),
            2);
  std::string path = dir_ / "split.png";
  pngtest::WriteFile(path, pngtest::JoinChunks(chunks));

  TPNGImage png;
  png.LoadFromFile(path);
  EXPECT_EQ(png.Width(), 37);
  EXPECT_EQ(png.Height(), 21);
  EXPECT_EQ(png.PixelFormat(), fixture.expected_format);
  EXPECT_EQ(pngtest::BitmapPixels(png), pngtest::MagickPixels(path));
  int idats = 0;
  for (int i = 0; i < png.Chunks().Count(); ++i)
    idats += dynamic_cast<TChunkIDAT*>(&png.Chunks().Item(i)) != nullptr;
  EXPECT_EQ(idats, 1);
}

INSTANTIATE_TEST_SUITE_P(ColourTypeDepthInterlace, MagickFixtureTest,
                         ::testing::Combine(::testing::ValuesIn(kFixtures), ::testing::Bool()),
                         [](const auto& info) {
                           return std::string(std::get<0>(info.param).name) +
                                  (std::get<1>(info.param) ? "_adam7" : "_plain");
                         });

TEST(MagickFixture, TwoBitGreyBecomesFourBitValuesOverARepeatedPalette) {
  pngtest::ScratchDir dir;
  Bytes made = MakeMagickPng(dir, kFixtures[1], false, "37x21", "gradient:");
  TPNGImage png;
  plat::TMemoryStream stream(made);
  png.LoadFromStream(stream);
  ASSERT_EQ(png.PixelFormat(), plat::TPixelFormat::pf4bit);
  ASSERT_EQ(png.Palette().size(), 16u);
  for (int k = 4; k < 16; ++k) EXPECT_EQ(png.Palette()[k], png.Palette()[k % 4]) << k;
  std::set<int> values;
  for (int y = 0; y < png.Height(); ++y)
    for (int x = 0; x < png.Width(); ++x) {
      uint8_t byte = png.ScanLine(y)[x / 2];
      values.insert((x & 1) ? byte & 0x0F : byte >> 4);
    }
  EXPECT_EQ(values, (std::set<int>{0, 5, 10, 15}));
}

TEST(MagickFixture, OnePixelWideInterlacedImageSkipsTheEmptyPasses) {
  pngtest::ScratchDir dir;
  for (const MagickFixture& f : {kFixtures[2], kFixtures[6]}) {
    Bytes made = MakeMagickPng(dir, f, true, "1x9");
    std::string path = dir / "magick.png";
    TPNGImage png;
    png.LoadFromFile(path);
    EXPECT_EQ(png.Width(), 1);
    EXPECT_EQ(png.Height(), 9);
    EXPECT_EQ(pngtest::BitmapPixels(png), pngtest::MagickPixels(path)) << f.name;
  }
}

TEST(MagickFixture, GammaChunkCorrectsTheGreyPalette) {
  pngtest::ScratchDir dir;
  Bytes made = MakeMagickPng(dir, kFixtures[3], false);
  std::string plain = dir / "magick.png";
  Bytes grey_levels = pngtest::MagickPixels(plain);
  // Gamma 1.0 stored instead of ImageMagick's own colour chunks.
  std::vector<pngtest::RawChunk> chunks;
  for (auto& c : pngtest::SplitChunks(made)) {
    if (c.type == "gAMA" || c.type == "cHRM" || c.type == "sRGB") continue;
    chunks.push_back(c);
    if (c.type == "IHDR") chunks.push_back({"gAMA", {0x00, 0x01, 0x86, 0xA0}});
  }
  plat::TMemoryStream stream(pngtest::JoinChunks(chunks));
  TPNGImage png;
  png.LoadFromStream(stream);
  Bytes ours = pngtest::BitmapPixels(png);
  ASSERT_EQ(ours.size(), grey_levels.size());
  for (size_t i = 0; i < ours.size(); ++i) {
    double expected = 255.0 * std::pow(grey_levels[i] / 255.0, 1 / 2.2);
    EXPECT_NEAR(ours[i], expected, 0.5001) << i;
  }
}

// --- tRNS written by ImageMagick -------------------------------------------------------------

struct TransparencyFixture {
  const char* name;
  const char* prepare;  // makes src.png
  const char* write;    // options for the file with the top-left colour made transparent
};

const TransparencyFixture kTransparency[] = {
    {"grey", "-colorspace gray -posterize 16 -depth 8",
     "-define png:color-type=0 -define png:bit-depth=8 PNG:"},
    {"rgb16", "-depth 8", "-define png:color-type=2 -define png:bit-depth=16 PNG:"},
    {"palette", "+dither -colors 8", "PNG8:"},
};

class TransparencyTest : public ::testing::TestWithParam<TransparencyFixture> {};

TEST_P(TransparencyTest, TopLeftColourBecomesTheTransparentColour) {
  const TransparencyFixture& f = GetParam();
  pngtest::ScratchDir dir;
  std::string src = dir / "src.png", out = dir / "trns.png";
  ASSERT_EQ(pngtest::Run("convert -size 37x21 -seed 5 plasma:fractal " + std::string(f.prepare) +
                         " '" + src + "'")
                .status,
            0);
  std::string colour = pngtest::Run("convert '" + src + "' -format '%[pixel:p{0,0}]' info:").output;
  pngtest::CommandResult r =
      pngtest::Run("convert '" + src + "' -transparent '" + colour +
                   "' -define png:exclude-chunk=bKGD " + f.write + "'" + out + "'");
  ASSERT_EQ(r.status, 0) << r.output;
  auto chunks = pngtest::SplitChunks(pngtest::ReadBytes(out));
  ASSERT_TRUE(std::any_of(chunks.begin(), chunks.end(), [](auto& c) { return c.type == "tRNS"; }));

  TPNGImage png;
  png.LoadFromFile(out);
  EXPECT_TRUE(png.HasTransparentColor);
  Bytes magick = pngtest::MagickPixels(out);
  EXPECT_EQ(png.TransparentColor, plat::RGB(magick[0], magick[1], magick[2]));
  EXPECT_EQ(pngtest::BitmapPixels(png), magick);
}

INSTANTIATE_TEST_SUITE_P(Kinds, TransparencyTest, ::testing::ValuesIn(kTransparency),
                         [](const auto& info) { return std::string(info.param.name); });

std::vector<int> RowFilterTypes(const Bytes& file, int64_t row_bytes, int rows);

// One filter type on every row (netpbm's pnmtopng forces it), for each pixel size a filter looks
// back by (1, 2, 3, 4, 6 and 8 bytes): each size has its own Average and Paeth loop.
TEST(NetpbmFixture, EachFilterAtEachPixelSizeDecodesAsImageMagickReads) {
  pngtest::ScratchDir dir;
  const std::string plasma = "convert -size 37x21 -seed 5 plasma:fractal ";
  ASSERT_EQ(
      pngtest::Run(plasma + "-depth 8 '" + (dir / "rgb8.ppm") + "' && " + plasma + "-depth 16 '" +
                   (dir / "rgb16.ppm") + "' && " + plasma + "-colorspace gray -depth 8 '" +
                   (dir / "grey8.pgm") + "' && " + plasma + "-colorspace gray -depth 16 '" +
                   (dir / "grey16.pgm") + "' && " + "convert -size 37x21 gradient: -depth 8 '" +
                   (dir / "alpha8.pgm") + "' && convert -size 37x21 gradient: -depth 16 '" +
                   (dir / "alpha16.pgm") + "'")
          .status,
      0);
  struct Source {
    const char* pnm;
    const char* alpha;  // empty: none
    int bpp;
  };
  const Source sources[] = {{"grey8.pgm", "", 1},           {"grey16.pgm", "", 2},
                            {"grey8.pgm", "alpha8.pgm", 2}, {"rgb8.ppm", "", 3},
                            {"rgb8.ppm", "alpha8.pgm", 4},  {"rgb16.ppm", "", 6},
                            {"rgb16.ppm", "alpha16.pgm", 8}};
  const char* filters[] = {"", "sub", "up", "avg", "paeth"};
  for (const Source& source : sources)
    for (int filter = 1; filter <= 4; ++filter) {
      SCOPED_TRACE(std::string(source.pnm) + " " + source.alpha + " " + filters[filter]);
      const std::string path = dir / "netpbm.png";
      const std::string alpha =
          *source.alpha ? " -alpha='" + (dir / source.alpha) + "'" : std::string();
      ASSERT_EQ(pngtest::Run(std::string("pnmtopng -") + filters[filter] + alpha + " '" +
                             (dir / source.pnm) + "' > '" + path + "'")
                    .status,
                0);
      const Bytes made = pngtest::ReadBytes(path);
      const std::vector<int> types = RowFilterTypes(made, int64_t{37} * source.bpp, 21);
      ASSERT_EQ(std::count(types.begin(), types.end(), filter), 21);
      TPNGImage png;
      png.LoadFromFile(path);
      EXPECT_EQ(pngtest::BitmapPixels(png), pngtest::MagickPixels(path));
    }
}

// --- files we write --------------------------------------------------------------------------

// Gradients with noise: every filter type gets rows it wins on.
plat::TBitmap PatternBitmap(plat::TPixelFormat format, int width, int height) {
  plat::TBitmap bitmap(width, height, format);
  uint32_t state = 99;
  for (int y = 0; y < height; ++y) {
    uint8_t* row = bitmap.ScanLine(y);
    for (int64_t i = 0; i < bitmap.RowBytes(); ++i) {
      state = state * 1103515245 + 12345;
      row[i] = static_cast<uint8_t>(y < height / 2 ? i * 3 + y : ((state >> 24) & 0x0F) + y);
    }
  }
  return bitmap;
}

struct WrittenCase {
  const char* name;
  plat::TPixelFormat format;
  bool transparent;
  std::vector<std::string> chunk_order;
};

const WrittenCase kWritten[] = {
    {"bits1", plat::TPixelFormat::pf1bit, false, {"IHDR", "PLTE", "IDAT", "IEND"}},
    {"bits4", plat::TPixelFormat::pf4bit, false, {"IHDR", "PLTE", "IDAT", "IEND"}},
    {"bits8", plat::TPixelFormat::pf8bit, false, {"IHDR", "PLTE", "IDAT", "IEND"}},
    {"bits24", plat::TPixelFormat::pf24bit, false, {"IHDR", "IDAT", "IEND"}},
    {"bits32", plat::TPixelFormat::pf32bit, false, {"IHDR", "IDAT", "IEND"}},
    {"bits8_transparent",
     plat::TPixelFormat::pf8bit,
     true,
     {"IHDR", "PLTE", "tRNS", "IDAT", "IEND"}},
    {"bits24_transparent", plat::TPixelFormat::pf24bit, true, {"IHDR", "tRNS", "IDAT", "IEND"}},
};

class WrittenFileTest : public ::testing::TestWithParam<WrittenCase> {};

TEST_P(WrittenFileTest, PassesPngcheckAndImageMagickSeesOurPixels) {
  const WrittenCase& c = GetParam();
  pngtest::ScratchDir dir;
  std::string path = dir / "ours.png";
  TPNGImage png;
  png.Assign(PatternBitmap(c.format, 45, 30));
  png.HasTransparentColor = c.transparent;
  png.TransparentColor = png.PixelColor(3, 0);
  png.SaveToFile(path);

  pngtest::CommandResult check = pngtest::Run("pngcheck -v '" + path + "'");
  EXPECT_EQ(check.status, 0) << check.output;
  EXPECT_NE(check.output.find("No errors detected"), std::string::npos) << check.output;
  EXPECT_EQ(pngtest::PngcheckChunkOrder(check.output), c.chunk_order) << check.output;
  EXPECT_EQ(pngtest::MagickPixels(path), pngtest::BitmapPixels(png));

  if (c.transparent) {
    for (auto& chunk : pngtest::SplitChunks(pngtest::ReadBytes(path)))
      if (chunk.type == "tRNS" && c.format == plat::TPixelFormat::pf24bit) {
        EXPECT_EQ(chunk.data.size(), 6u);
      }
    TPNGImage back;
    back.LoadFromFile(path);
    EXPECT_TRUE(back.HasTransparentColor);
    EXPECT_EQ(back.TransparentColor, png.TransparentColor);
  }
}

INSTANTIATE_TEST_SUITE_P(Formats, WrittenFileTest, ::testing::ValuesIn(kWritten),
                         [](const auto& info) { return std::string(info.param.name); });

// The filter type byte of every row in our file's image data.
std::vector<int> RowFilterTypes(const Bytes& file, int64_t row_bytes, int rows) {
  Bytes data;
  for (auto& c : pngtest::SplitChunks(file))
    if (c.type == "IDAT") data.insert(data.end(), c.data.begin(), c.data.end());
  Bytes raw = pngtest::Inflate(data, static_cast<size_t>((row_bytes + 1) * rows));
  std::vector<int> types;
  for (int r = 0; r < rows; ++r) types.push_back(raw[static_cast<size_t>(r * (row_bytes + 1))]);
  return types;
}

TEST(WrittenFile, UniformRowsUseNoFilterAndRampsUseSub) {
  plat::TBitmap bitmap(40, 2, plat::TPixelFormat::pf8bit);
  std::fill_n(bitmap.ScanLine(0), 40, uint8_t{7});
  for (int x = 0; x < 40; ++x) bitmap.ScanLine(1)[x] = static_cast<uint8_t>(x * 3);
  TPNGImage png;
  png.Assign(bitmap);
  plat::TMemoryStream out;
  png.SaveToStream(out);
  EXPECT_EQ(RowFilterTypes(out.Bytes(), 40, 2), (std::vector<int>{ftNone, ftSub}));
}

TEST(WrittenFile, EveryFilterSetRoundTrips) {
  plat::TBitmap bitmap = PatternBitmap(plat::TPixelFormat::pf24bit, 33, 20);
  for (uint8_t set : {0x00, 0x02, 0x04, 0x08, 0x10, 0x1F}) {
    TPNGImage png;
    png.Assign(bitmap);
    png.SetFilterSet(set);
    EXPECT_EQ(png.FilterSet(), set | 1);
    plat::TMemoryStream out;
    png.SaveToStream(out);
    out.SetPosition(0);
    TPNGImage back;
    back.LoadFromStream(out);
    EXPECT_EQ(pngtest::BitmapPixels(back), pngtest::BitmapPixels(bitmap)) << int{set};
  }
}

// The image data go out as they are compressed, their length filled in afterwards: the chunk
// must land where the stream stood, and its length and CRC must cover data larger than one
// buffer of the compressor.
TEST(WrittenFile, ImageDataWrittenAfterOtherBytesMakeTheSameFile) {
  TPNGImage png;
  png.Assign(PatternBitmap(plat::TPixelFormat::pf24bit, 700, 500));
  plat::TMemoryStream alone;
  png.SaveToStream(alone);
  const Bytes prefix = {'p', 'r', 'e', 'f', 'i', 'x', '!'};
  plat::TMemoryStream after(prefix);
  after.SetPosition(static_cast<int64_t>(prefix.size()));
  png.SaveToStream(after);
  EXPECT_EQ(after.Position(), after.Size());
  const Bytes& bytes = after.Bytes();
  ASSERT_GT(bytes.size(), prefix.size());
  EXPECT_TRUE(std::equal(prefix.begin(), prefix.end(), bytes.begin()));
  const Bytes file(bytes.begin() + static_cast<std::ptrdiff_t>(prefix.size()), bytes.end());
  EXPECT_TRUE(file == alone.Bytes());

  pngtest::ScratchDir dir;
  const std::string path = dir / "after.png";
  pngtest::WriteFile(path, file);
  pngtest::CommandResult check = pngtest::Run("pngcheck '" + path + "'");
  EXPECT_EQ(check.status, 0) << check.output;
  EXPECT_EQ(pngtest::MagickPixels(path), pngtest::BitmapPixels(png));
}

TEST(WrittenFile, LoadedImageSavesBackWithItsPixels) {
  pngtest::ScratchDir dir;
  for (const MagickFixture& f : kFixtures) {
    MakeMagickPng(dir, f, true);
    TPNGImage png;
    png.LoadFromFile(dir / "magick.png");
    std::string path = dir / "again.png";
    png.SaveToFile(path);
    pngtest::CommandResult check = pngtest::Run("pngcheck '" + path + "'");
    EXPECT_EQ(check.status, 0) << f.name << check.output;
    EXPECT_EQ(pngtest::MagickPixels(path), pngtest::BitmapPixels(png)) << f.name;
  }
}

TEST(Chunks, CorruptCrcGivesTheCrcMessage) {
  pngtest::ScratchDir dir;
  Bytes file = MakeMagickPng(dir, kFixtures[5], false);
  file[30] ^= 0x01;  // inside IHDR's data: its CRC no longer matches
  plat::TMemoryStream stream(file);
  TPNGImage png;
  try {
    png.LoadFromStream(stream);
    FAIL();
  } catch (const EPNGImageException& e) {
    EXPECT_STREQ(e.what(), "PNG Error\r\n\r\nCRC Error.");
  }
}

}  // namespace
}  // namespace pictavo
