// PNG through the raster image: loaded by its first byte, saved by extension or format code,
// with the transparent colour carried as Transparent and BGColor.
#include <gtest/gtest.h>

#include "control/engine/raster/ticbitmap.h"
#include "control/formats/png/png_image.h"
#include "png_test_util.h"

namespace pictavo {
namespace {

using pngtest::Bytes;

// An ImageMagick palette PNG whose top-left colour is transparent.
std::string MakeTransparentPalettePng(const pngtest::ScratchDir& dir, const std::string& name) {
  std::string src = dir / "src.png", out = dir / name;
  EXPECT_EQ(
      pngtest::Run("convert -size 23x17 -seed 9 plasma:fractal +dither -colors 12 '" + src + "'")
          .status,
      0);
  std::string colour = pngtest::Run("convert '" + src + "' -format '%[pixel:p{0,0}]' info:").output;
  EXPECT_EQ(
      pngtest::Run("convert '" + src + "' -transparent '" + colour + "' PNG8:'" + out + "'").status,
      0);
  return out;
}

TEST(PngGlue, FileNamedJpgLoadsAsPngWithItsTransparentColour) {
  pngtest::ScratchDir dir;
  std::string path = MakeTransparentPalettePng(dir, "picture.jpg");
  TicBitmap image;
  image.LoadImageFile(path, 0);
  Bytes magick = pngtest::MagickPixels(path);
  EXPECT_EQ(pngtest::BitmapPixels(image), magick);
  EXPECT_TRUE(image.Transparent);
  EXPECT_EQ(image.BGColor, plat::RGB(magick[0], magick[1], magick[2]));
  EXPECT_EQ(image.PixelFormat(), plat::TPixelFormat::pf8bit);
}

// Indexed files come in with the palette a BMP of their format holds: the file's PLTE entries,
// then black up to 2, 16 or 256 entries (an 8-bit file read from bytes keeps its PLTE alone).
// Two-bit files are left out: their indices are spread over a repeated four-bit palette.
TEST(PngGlue, IndexedFilesLoadWithTheirFormatsWholePalette) {
  pngtest::ScratchDir dir;
  struct Case {
    int depth;
    int colours;
    plat::TPixelFormat format;
    size_t entries;
  };
  const Case cases[] = {{1, 2, plat::TPixelFormat::pf1bit, 2},
                        {4, 5, plat::TPixelFormat::pf4bit, 16},
                        {8, 7, plat::TPixelFormat::pf8bit, 256}};
  for (const Case& c : cases) {
    SCOPED_TRACE("depth " + std::to_string(c.depth));
    const std::string path = dir / "indexed.png";
    ASSERT_EQ(pngtest::Run("convert -size 29x13 -seed 4 plasma:fractal +dither -colors " +
                           std::to_string(c.colours) + " -depth " + std::to_string(c.depth) +
                           " -define png:color-type=3 -define png:bit-depth=" +
                           std::to_string(c.depth) + " PNG:'" + path + "'")
                  .status,
              0);
    const Bytes file = pngtest::ReadBytes(path);
    ASSERT_EQ(file[24], c.depth);
    Bytes plte;
    for (const auto& chunk : pngtest::SplitChunks(file))
      if (chunk.type == "PLTE") plte = chunk.data;
    ASSERT_FALSE(plte.empty());
    TicBitmap fromFile, fromBytes;
    fromFile.LoadImageFile(path, 0);
    fromBytes.LoadFromBytes(file.data(), static_cast<int64_t>(file.size()), 0);
    for (TicBitmap* image : {&fromFile, &fromBytes}) {
      EXPECT_EQ(image->PixelFormat(), c.format);
      EXPECT_EQ(pngtest::BitmapPixels(*image), pngtest::MagickPixels(path));
      const plat::TColorTable& palette = image->Palette();
      const bool whole = image == &fromFile || c.depth < 8;
      EXPECT_EQ(palette.size(), whole ? c.entries : plte.size() / 3);
      for (size_t i = 0; i < palette.size(); ++i) {
        const bool listed = i < plte.size() / 3;
        EXPECT_EQ(palette[i].rgbRed, listed ? plte[3 * i] : 0) << i;
        EXPECT_EQ(palette[i].rgbGreen, listed ? plte[3 * i + 1] : 0) << i;
        EXPECT_EQ(palette[i].rgbBlue, listed ? plte[3 * i + 2] : 0) << i;
        if (whole) {
          EXPECT_EQ(palette[i].rgbReserved, 0) << i;
        }
      }
    }
  }
}

TEST(PngGlue, BytesLoadByTheirFirstByte) {
  pngtest::ScratchDir dir;
  Bytes file = pngtest::ReadBytes(MakeTransparentPalettePng(dir, "p.png"));
  TicBitmap image;
  image.LoadFromBytes(file.data(), static_cast<int64_t>(file.size()), 0);
  EXPECT_EQ(pngtest::BitmapPixels(image), pngtest::MagickPixels(dir / "p.png"));
  EXPECT_TRUE(image.Transparent);
}

TEST(PngGlue, OpaquePngClearsTransparent) {
  pngtest::ScratchDir dir;
  std::string path = dir / "opaque.png";
  ASSERT_EQ(
      pngtest::Run("convert -size 5x4 -seed 2 plasma:fractal -depth 8 -define png:color-type=2 '" +
                   path + "'")
          .status,
      0);
  TicBitmap image;
  image.Transparent = true;
  image.LoadImageFile(path, 0);
  EXPECT_FALSE(image.Transparent);
  EXPECT_EQ(image.PixelFormat(), plat::TPixelFormat::pf24bit);
}

TicBitmap Pattern() {
  TicBitmap image;
  image.SetPixelFormat(plat::TPixelFormat::pf24bit);
  image.SetSize(19, 11);
  for (int y = 0; y < 11; ++y)
    for (int x = 0; x < 19; ++x) {
      uint8_t* p = image.ScanLine(y) + 3 * x;
      p[0] = static_cast<uint8_t>(x * 13);
      p[1] = static_cast<uint8_t>(y * 23);
      p[2] = static_cast<uint8_t>((x + y) % 3 == 0 ? 200 : 40);
    }
  image.UpdateColorFormat();
  return image;
}

TEST(PngGlue, SavedByUpperCaseExtensionWithTheTransparentColour) {
  pngtest::ScratchDir dir;
  TicBitmap image = Pattern();
  image.Transparent = true;
  image.BGColor = image.PixelColor(0, 0);
  std::string path = dir / "OUT.PNG";
  image.SaveImageFile(path, false, 75);

  pngtest::CommandResult check = pngtest::Run("pngcheck -v '" + path + "'");
  EXPECT_EQ(check.status, 0) << check.output;
  EXPECT_EQ(pngtest::PngcheckChunkOrder(check.output),
            (std::vector<std::string>{"IHDR", "tRNS", "IDAT", "IEND"}));
  EXPECT_EQ(pngtest::MagickPixels(path), pngtest::BitmapPixels(image));
  TPNGImage png;
  png.LoadFromFile(path);
  EXPECT_TRUE(png.HasTransparentColor);
  EXPECT_EQ(png.TransparentColor, image.BGColor);
}

TEST(PngGlue, FormatCodeGivesPngBytesWithoutTransparency) {
  pngtest::ScratchDir dir;
  TicBitmap image = Pattern();
  Bytes bytes = image.SaveToBytes(gfPNG, false, 75);
  ASSERT_GT(bytes.size(), 8u);
  EXPECT_EQ(bytes[0], 137);
  std::string path = dir / "bytes.png";
  pngtest::WriteFile(path, bytes);
  EXPECT_EQ(pngtest::MagickPixels(path), pngtest::BitmapPixels(image));
  for (auto& chunk : pngtest::SplitChunks(bytes)) EXPECT_NE(chunk.type, "tRNS");
  EXPECT_EQ(image.EncodedSize(gfPNG, false, 75), static_cast<int64_t>(bytes.size()));
}

}  // namespace
}  // namespace pictavo
