// The FreeImage layer: extension rules, saves checked by tiffinfo and ImageMagick, loads at a
// given size, colour-depth codes and rescaling on small fixtures.
#include "app/browse/freeimage.h"

#include <FreeImage.h>
#include <gtest/gtest.h>

#include <QColor>
#include <QFileInfo>
#include <algorithm>
#include <functional>
#include <string>

#include "app/browse/freeimage_bitmap.h"
#include "app/shell/errors.h"
#include "tests/graphics/referee.h"

namespace {

using browse::FiBitmap;
using browse::Side;
using velmora_test::Capture;
using velmora_test::ScratchDir;

TEST(FreeImageExtensions, WholeEntriesOnly) {
  struct {
    const char* name;
    int32_t compareMode;
    bool valid;
  } const cases[] = {
      {"scan", 0, false},     {"scan.tif", 0, true}, {"scan.tiff", 0, true},
      {"scan.TIF", 0, false}, {"scan.TIF", 1, true}, {"scan.if", 0, false},
      {"scan.ti", 0, false},  {"scan.f", 1, false},  {"scan.tif.png", 0, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(browse::fncIsExtensionValidForFormat(FIF_TIFF, c.name, c.compareMode), c.valid);
  }
  EXPECT_EQ(browse::fncGetPrimaryExtension(FIF_TIFF), "tif");
}

// Eight 8 x 8 blocks in two rows, pure colours, so block centres survive lossy compression.
const QColor kBlocks[2][4] = {{Qt::black, Qt::white, Qt::red, Qt::blue},
                              {Qt::green, Qt::yellow, Qt::white, Qt::black}};

QImage BlockPicture() {
  QImage picture(32, 16, QImage::Format_RGB32);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 32; ++x) picture.setPixelColor(x, y, kBlocks[y / 8][x / 8]);
  return picture;
}

int ChannelDistance(const uint8_t* rgba, QColor want) {
  return std::max({std::abs(rgba[0] - want.red()), std::abs(rgba[1] - want.green()),
                   std::abs(rgba[2] - want.blue())});
}

std::string TiffCompression(const std::string& path) {
  return Capture("tiffinfo '" + path + "' 2>/dev/null | grep 'Compression Scheme'");
}

// The four compressions the save of the shown image asks for; fax holds black and white only,
// so its colour blocks are left out of the pixel check.
TEST(FreeImageSave, TiffCompressionsAsTiffinfoShowsThem) {
  ScratchDir dir;
  struct {
    int32_t flags;
    const char* scheme;
    int tolerance;
    bool bilevel;
  } const cases[] = {
      {TIFF_CCITTFAX3, "CCITT Group 3", 0, true},
      {TIFF_LZW, "LZW", 0, false},
      {TIFF_JPEG, "JPEG", 24, false},
      {TIFF_DEFLATE, "Deflate", 0, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.scheme);
    QString name = QString::fromStdString(dir.File(std::string("c") + std::to_string(c.flags)));
    int32_t format = FIF_TIFF;
    ASSERT_TRUE(browse::fncSavePictureToFile(BlockPicture(), name, format, c.flags));
    const std::string path = name.toStdString();
    EXPECT_NE(TiffCompression(path).find(std::string(c.scheme) + "\n"), std::string::npos)
        << TiffCompression(path);
    const velmora_test::RgbaImage written = velmora_test::ReadWithImageMagick(dir, path);
    ASSERT_EQ(written.width, 32);
    ASSERT_EQ(written.height, 16);
    for (int by = 0; by < 2; ++by)
      for (int bx = 0; bx < 4; ++bx) {
        const QColor want = kBlocks[by][bx];
        if (c.bilevel && want != Qt::black && want != Qt::white) continue;
        SCOPED_TRACE(want.name().toStdString());
        EXPECT_LE(ChannelDistance(written.At(8 * bx + 4, 8 * by + 4), want), c.tolerance);
      }
  }
}

TEST(FreeImageSave, ExtensionIsAppendedUnlessItSuitsTheFormat) {
  ScratchDir dir;
  struct {
    const char* given;
    const char* written;
  } const cases[] = {
      {"scan", "scan.tif"},
      {"scan.tiff", "scan.tiff"},
      {"scan.TIF", "scan.TIF.tif"},
      {"scan.if", "scan.if.tif"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.given);
    QString name = QString::fromStdString(dir.File(c.given));
    int32_t format = FIF_TIFF;
    ASSERT_TRUE(browse::fncSavePictureToFile(BlockPicture(), name, format, TIFF_LZW));
    EXPECT_EQ(name.toStdString(), dir.File(c.written));
    EXPECT_EQ(Capture("identify -format '%m' '" + dir.File(c.written) + "'"), "TIFF");
  }
}

TEST(FreeImageSave, FormatFromTheFileNameAndFailures) {
  ScratchDir dir;
  QString name = QString::fromStdString(dir.File("by_name.png"));
  int32_t format = -1;
  ASSERT_TRUE(browse::fncSavePictureToFile(BlockPicture(), name, format, 0));
  EXPECT_EQ(format, FIF_PNG);
  EXPECT_EQ(Capture("identify -format '%m %w %h' '" + name.toStdString() + "'"), "PNG 32 16");

  QString unknown = QString::fromStdString(dir.File("by_name.nothing"));
  format = -1;
  EXPECT_FALSE(browse::fncSavePictureToFile(BlockPicture(), unknown, format, 0));
  EXPECT_EQ(format, -1);
  EXPECT_FALSE(QFileInfo::exists(unknown));

  // A folder that is a regular file cannot take the file.
  velmora_test::WriteBytes(dir.File("plain"), {'x'});
  QString blocked = QString::fromStdString(dir.File("plain") + "/inside.tif");
  format = FIF_TIFF;
  EXPECT_FALSE(browse::fncSavePictureToFile(BlockPicture(), blocked, format, TIFF_LZW));

  try {
    QString any = QString::fromStdString(dir.File("none.tif"));
    browse::fncSavePictureToFile(QImage(), any, format, 0);
    ADD_FAILURE() << "no picture saved without an error";
  } catch (const shell::AppError& error) {
    EXPECT_EQ(error.Number(), 91);
    EXPECT_STREQ(error.what(), "Object variable or With block variable not set");
  }
}

TEST(FreeImageSize, SavesAndLoadsAtAGivenSize) {
  ScratchDir dir;
  struct {
    Side width, height;
    bool percent;
    QSize want;
  } const cases[] = {
      {int32_t{16}, {}, false, {16, 8}},
      {{}, int32_t{4}, false, {8, 4}},
      {50.0, {}, true, {16, 8}},
      {0.25, 0.5, false, {8, 8}},
      {int32_t{10}, int32_t{3}, false, {10, 3}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.want.width()) + "x" + std::to_string(c.want.height()));
    QString name = QString::fromStdString(dir.File("sized.bmp"));
    int32_t format = FIF_BMP;
    ASSERT_TRUE(browse::fncSavePictureToFile(BlockPicture(), name, format, 0, c.width, c.height,
                                             c.percent));
    EXPECT_EQ(Capture("identify -format '%w %h' '" + name.toStdString() + "'"),
              std::to_string(c.want.width()) + " " + std::to_string(c.want.height()));
  }
  // A bilevel file is widened before it is rescaled, so it keeps its colours.
  const std::string bilevel = dir.File("half.pcx");
  ASSERT_TRUE(
      velmora_test::Run("convert -size 40x20 xc:white -fill black -draw "
                        "'rectangle 0,0 19,19' -type Bilevel '" +
                        bilevel + "'"));
  int32_t format = -1;
  const QImage picture =
      browse::fncLoadPictureFromFile(QString::fromStdString(bilevel), format, int32_t{20});
  EXPECT_EQ(format, FIF_PCX);
  ASSERT_EQ(picture.size(), QSize(20, 10));
  EXPECT_EQ(picture.pixelColor(2, 5), QColor(Qt::black));
  EXPECT_EQ(picture.pixelColor(17, 5), QColor(Qt::white));
}

// --- colour depths ---

enum class Fixture { kBilevel, kGrey4, kColour4, kGrey8, kShuffledGrey8, kColour8, kColour24 };

// A small bitmap of the fixture's depth; palette entry i of each indexed fixture is given.
FiBitmap MakeFixture(Fixture fixture) {
  struct Shape {
    unsigned bpp;
    std::function<RGBQUAD(int)> entry;
  };
  const auto grey = [](int level) {
    const auto v = static_cast<BYTE>(level);
    return RGBQUAD{v, v, v, 0};
  };
  const Shape shape = [&]() -> Shape {
    switch (fixture) {
      case Fixture::kBilevel:
        return {1, [&](int i) { return grey(255 * i); }};
      case Fixture::kGrey4:
        return {4, [&](int i) { return grey(17 * i); }};
      case Fixture::kColour4:
        return {4, [](int i) {
                  return RGBQUAD{static_cast<BYTE>(255 - 16 * i), 40, static_cast<BYTE>(16 * i), 0};
                }};
      case Fixture::kGrey8:
        return {8, [&](int i) { return grey(i); }};
      case Fixture::kShuffledGrey8:
        return {8, [&](int i) { return grey((i * 7) % 256); }};
      case Fixture::kColour8:
        return {8, [](int i) {
                  return RGBQUAD{static_cast<BYTE>(i), static_cast<BYTE>(255 - i), 90, 0};
                }};
      case Fixture::kColour24:
        return {24, nullptr};
    }
    return {};
  }();
  FiBitmap bitmap(FreeImage_Allocate(16, 8, static_cast<int>(shape.bpp)));
  const unsigned entries = FreeImage_GetColorsUsed(bitmap.get());
  for (unsigned i = 0; i < entries; ++i)
    FreeImage_GetPalette(bitmap.get())[i] = shape.entry(static_cast<int>(i));
  for (unsigned y = 0; y < 8; ++y)
    for (unsigned x = 0; x < 16; ++x) {
      if (entries > 0) {
        BYTE index = static_cast<BYTE>((x * 17 + y * 5) % entries);
        FreeImage_SetPixelIndex(bitmap.get(), x, y, &index);
      } else {
        RGBQUAD colour{static_cast<BYTE>(x * 16), static_cast<BYTE>(y * 32), 200, 0};
        FreeImage_SetPixelColor(bitmap.get(), x, y, &colour);
      }
    }
  return bitmap;
}

TEST(ColorDepth, PaletteAndGreyness) {
  const FiBitmap colour4 = MakeFixture(Fixture::kColour4);
  const std::vector<uint32_t> palette = browse::fncGetPaletteArray(colour4.get());
  ASSERT_EQ(palette.size(), 16u);
  EXPECT_EQ(palette[0], 0x0028FFu);  // blue 255, green 40, red 0
  EXPECT_EQ(palette[15], 0xF0280Fu);
  EXPECT_TRUE(browse::fncGetPaletteArray(MakeFixture(Fixture::kColour24).get()).empty());
  struct {
    Fixture fixture;
    bool grey;
  } const cases[] = {{Fixture::kBilevel, true},       {Fixture::kGrey4, true},
                     {Fixture::kColour4, false},      {Fixture::kGrey8, true},
                     {Fixture::kShuffledGrey8, true}, {Fixture::kColour8, false},
                     {Fixture::kColour24, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.fixture));
    EXPECT_EQ(browse::fncIsGreyscaleImage(MakeFixture(c.fixture).get()), c.grey);
  }
}

QImage PictureOf(FIBITMAP* bitmap) {
  return browse::fncBitmapToPicture(bitmap, false);
}

TEST(ColorDepth, CodesGiveTheirDepth) {
  using browse::kPaletteByColorType;
  enum Outcome { kSame, kNew, kNewSameColours };
  struct {
    Fixture fixture;
    int32_t code;
    unsigned bpp;
    bool grey;
    Outcome outcome;
  } const cases[] = {
      {Fixture::kBilevel, 1, 1, true, kSame},
      {Fixture::kColour24, 1, 1, true, kNew},
      {Fixture::kColour4, 1, 1, true, kNew},
      {Fixture::kColour24, 3, 1, true, kNew},
      {Fixture::kColour24, 4, 4, true, kNew},
      {Fixture::kColour4, 4, 4, true, kNew},
      {Fixture::kGrey4, 4, 4, true, kSame},
      {Fixture::kColour8, 8, 8, false, kSame},
      {Fixture::kColour24, 8, 8, false, kNew},
      {Fixture::kGrey8, 9, 8, true, kSame},
      {Fixture::kShuffledGrey8, 9, 8, true, kSame},
      {Fixture::kShuffledGrey8, 9 | kPaletteByColorType, 8, true, kNew},
      {Fixture::kColour8, 9, 8, true, kNew},
      {Fixture::kColour4, 9, 8, true, kNew},
      {Fixture::kColour24, 9, 8, true, kNew},
      {Fixture::kColour24, 15, 16, false, kNew},
      {Fixture::kColour24, 16, 16, false, kNew},
      {Fixture::kColour24, 24, 24, false, kSame},
      {Fixture::kColour8, 24, 24, false, kNewSameColours},
      {Fixture::kColour24, 32, 32, false, kNewSameColours},
      {Fixture::kBilevel, 256, 24, false, kNewSameColours},
      {Fixture::kColour4, 256, 8, false, kNewSameColours},
      {Fixture::kColour24, 256, 24, false, kSame},
      {Fixture::kColour24, 7, 24, false, kSame},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("fixture " + std::to_string(static_cast<int>(c.fixture)) + " code " +
                 std::to_string(c.code));
    const FiBitmap source = MakeFixture(c.fixture);
    FIBITMAP* result = browse::fncConvertColorDepth(source.get(), c.code, false);
    const FiBitmap owned(result == source.get() ? nullptr : result);
    EXPECT_EQ(result == source.get(), c.outcome == kSame);
    EXPECT_EQ(FreeImage_GetBPP(result), c.bpp);
    EXPECT_EQ(browse::fncIsGreyscaleImage(result), c.grey);
    if (c.outcome == kNewSameColours) {
      EXPECT_TRUE(PictureOf(result) == PictureOf(source.get()));
    }
  }
}

TEST(ColorDepth, SixteenBitLayoutsAndReservedColours) {
  const FiBitmap colour = MakeFixture(Fixture::kColour24);
  const FiBitmap rgb555(browse::fncConvertColorDepth(colour.get(), 15, false));
  const FiBitmap rgb565(browse::fncConvertColorDepth(colour.get(), 16, false));
  EXPECT_EQ(FreeImage_GetGreenMask(rgb555.get()), FI16_555_GREEN_MASK);
  EXPECT_EQ(FreeImage_GetGreenMask(rgb565.get()), FI16_565_GREEN_MASK);
  EXPECT_EQ(browse::fncConvertColorDepth(rgb565.get(), 16, false), rgb565.get());
  const FiBitmap widened(browse::fncConvertColorDepth(rgb565.get(), 15, false));
  EXPECT_EQ(FreeImage_GetGreenMask(widened.get()), FI16_555_GREEN_MASK);

  const uint32_t green = 0x00FF00;
  const FiBitmap reduced(browse::fncConvertColorDepth(colour.get(), 8, false, 128, 0, FIQ_NNQUANT,
                                                      16, {&green, 1}, 0));
  ASSERT_NE(reduced.get(), colour.get());
  ASSERT_EQ(FreeImage_GetBPP(reduced.get()), 8u);
  const std::vector<uint32_t> palette = browse::fncGetPaletteArray(reduced.get());
  EXPECT_NE(std::find(palette.begin(), palette.end(), green), palette.end());
  for (unsigned y = 0; y < 8; ++y)
    for (unsigned x = 0; x < 16; ++x) {
      BYTE index = 0;
      FreeImage_GetPixelIndex(reduced.get(), x, y, &index);
      EXPECT_LT(index, 16);
    }
}

TEST(Rescale, PercentFactorsAndOneMissingSide) {
  struct {
    Side width, height;
    bool percent;
    unsigned wantWidth, wantHeight;
  } const cases[] = {
      {int32_t{8}, {}, false, 8, 4},
      {{}, int32_t{2}, false, 4, 2},
      {50.0, {}, true, 8, 4},
      {{}, 150.0, true, 24, 12},
      {0.25, 0.5, false, 4, 4},
      {int32_t{5}, int32_t{3}, false, 5, 3},
      {int32_t{0}, int32_t{0}, false, 16, 8},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.wantWidth) + "x" + std::to_string(c.wantHeight));
    const FiBitmap source = MakeFixture(Fixture::kColour24);
    FIBITMAP* result =
        browse::fncRescaleImage(source.get(), c.width, c.height, c.percent, false, FILTER_BICUBIC);
    const FiBitmap owned(result == source.get() ? nullptr : result);
    EXPECT_EQ(FreeImage_GetWidth(result), c.wantWidth);
    EXPECT_EQ(FreeImage_GetHeight(result), c.wantHeight);
  }
  const FiBitmap source = MakeFixture(Fixture::kColour24);
  EXPECT_EQ(browse::fncRescaleImage(source.get(), {}, {}, false, true, FILTER_BOX), source.get());
  // A side beyond 32 bits is an overflow, and the source stays the caller's.
  try {
    browse::fncRescaleImage(source.get(), 1e12, {}, false, true, FILTER_BOX);
    ADD_FAILURE() << "a side of 16e12 pixels was accepted";
  } catch (const shell::AppError& error) {
    EXPECT_EQ(error.Number(), 6);
  }
  EXPECT_EQ(FreeImage_GetWidth(source.get()), 16u);
}

TEST(PictureBitmap, ConversionsBothWays) {
  const QImage picture = BlockPicture();
  const FiBitmap full(browse::fncPictureToBitmap(picture));
  ASSERT_NE(full, nullptr);
  EXPECT_EQ(FreeImage_GetBPP(full.get()), 24u);
  RGBQUAD topRight{};
  FreeImage_GetPixelColor(full.get(), 31, 15, &topRight);  // FreeImage counts rows from below
  EXPECT_EQ(QColor(topRight.rgbRed, topRight.rgbGreen, topRight.rgbBlue), QColor(Qt::blue));
  EXPECT_TRUE(browse::fncBitmapToPicture(full.get(), false) == picture);

  QImage bilevel(9, 3, QImage::Format_Mono);
  bilevel.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
  bilevel.fill(1);
  bilevel.setPixel(8, 2, 0);
  const FiBitmap mono(browse::fncPictureToBitmap(bilevel));
  EXPECT_EQ(FreeImage_GetBPP(mono.get()), 1u);
  const QImage back = browse::fncBitmapToPicture(mono.get(), false);
  EXPECT_EQ(back.pixelColor(8, 2), QColor(Qt::black));
  EXPECT_EQ(back.pixelColor(7, 2), QColor(Qt::white));

  EXPECT_EQ(browse::fncPictureToBitmap(QImage()), nullptr);
  EXPECT_TRUE(browse::fncBitmapToPicture(nullptr, true).isNull());
}

}  // namespace
