#include "control/engine/raster/ticbitmap.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "platform/base/streams.h"

namespace pictavo {
namespace {

using plat::TPixelFormat;
namespace fs = std::filesystem;

class ScratchDir : public testing::Test {
 protected:
  void SetUp() override {
    dir_ =
        fs::temp_directory_path() / ("ticbitmap_" + std::to_string(::getpid()) + "_" +
                                     testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }
  fs::path dir_;
};

// A 24-bit image with a distinct colour per pixel, so any misplaced pixel shows.
TicBitmap Gradient(int width, int height) {
  TicBitmap image;
  image.SetPixelFormat(TPixelFormat::pf24bit);
  image.SetSize(width, height);
  for (int y = 0; y < height; ++y) {
    uint8_t* row = image.ScanLine(y);
    for (int x = 0; x < width; ++x) {
      row[3 * x] = static_cast<uint8_t>(x * 7);
      row[3 * x + 1] = static_cast<uint8_t>(y * 11);
      row[3 * x + 2] = static_cast<uint8_t>(x + y);
    }
  }
  image.UpdateColorFormat();
  return image;
}

void ExpectSamePixels(const plat::TBitmap& a, const plat::TBitmap& b) {
  ASSERT_EQ(a.Width(), b.Width());
  ASSERT_EQ(a.Height(), b.Height());
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x)
      ASSERT_EQ(a.PixelColor(x, y), b.PixelColor(x, y)) << x << "," << y;
}

template <typename E>
std::string MessageOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const E& e) {
    return e.what();
  }
  return "(no exception)";
}

TEST(TicBitmapFields, FreshBitmapHasItsDocumentedStart) {
  TicBitmap b;
  EXPECT_EQ(b.ColorFormat, cfNone);
  EXPECT_FALSE(b.Transparent);
  EXPECT_EQ(b.BGColor, 0xFFFFFFu);
  EXPECT_TRUE(b.SelectionMask().empty());
  EXPECT_EQ(b.TIFCompression, cmNone);
  EXPECT_NE(b.FileInfo, nullptr);
  EXPECT_NE(b.Exif, nullptr);
  EXPECT_EQ(b.GetXDPI(), 0);
}

struct DpiCase {
  int dpi;
  int32_t pels;
  int back;
};

class TicBitmapDpi : public testing::TestWithParam<DpiCase> {};

TEST_P(TicBitmapDpi, ConvertsBothWaysIn64Bits) {
  const DpiCase c = GetParam();
  TicBitmap b;
  b.SetXDPI(c.dpi);
  b.SetYDPI(c.dpi);
  EXPECT_EQ(b.GetXPelsPerMeter(), c.pels);
  EXPECT_EQ(b.GetYPelsPerMeter(), c.pels);
  EXPECT_EQ(b.GetXDPI(), c.back);
  EXPECT_EQ(b.GetYDPI(), c.back);
}

INSTANTIATE_TEST_SUITE_P(Table, TicBitmapDpi,
                         testing::Values(DpiCase{300, 11811, 300}, DpiCase{72, 2835, 72},
                                         DpiCase{0, 0, 0}, DpiCase{1, 39, 1},
                                         // Beyond 32 bits the resolution saturates instead of
                                         // wrapping to a negative value.
                                         DpiCase{INT_MAX, INT32_MAX, 54546085}));

TEST(TicBitmapClassify, WhiteBlackMonoBecomesBlackWhiteKeepingItsLook) {
  TicBitmap b;
  b.SetPixelFormat(TPixelFormat::pf1bit);
  b.SetSize(9, 2);
  b.SetColorTable({plat::TRGBQuad::FromColor(0xFFFFFF), plat::TRGBQuad::FromColor(0)});
  b.ScanLine(0)[0] = 0xA5;  // alternating pattern in the first eight pixels
  TicBitmap before(b);
  b.UpdateColorFormat();
  EXPECT_EQ(b.ColorFormat, cfMonoBW);
  EXPECT_EQ(b.Palette()[0].ToColor(), 0x000000u);
  EXPECT_EQ(b.Palette()[1].ToColor(), 0xFFFFFFu);
  ExpectSamePixels(b, before);
}

TEST(TicBitmapClassify, PaletteKinds) {
  struct Case {
    TPixelFormat format;
    bool grey;
    uint8_t expected;
  } cases[] = {
      {TPixelFormat::pf8bit, true, cf256Grayscale}, {TPixelFormat::pf8bit, false, cf256Color},
      {TPixelFormat::pf4bit, true, cf16Grayscale},  {TPixelFormat::pf4bit, false, cf16Color},
      {TPixelFormat::pf24bit, false, cf24bit},      {TPixelFormat::pf32bit, false, cfNone}};
  for (const Case& c : cases) {
    TicBitmap b;
    b.SetPixelFormat(c.format);
    b.SetSize(2, 2);
    const int n = plat::PaletteSizeOf(c.format);
    plat::TColorTable palette(n);
    for (int i = 0; i < n; ++i) {
      // Greys in reverse order: the order of the entries does not matter.
      const auto g = static_cast<uint8_t>(255 - i * 255 / std::max(1, n - 1));
      palette[i] = {g, g, static_cast<uint8_t>(c.grey ? g : g ^ 1), 0};
    }
    if (n) b.SetColorTable(palette);
    b.UpdateColorFormat();
    EXPECT_EQ(b.ColorFormat, c.expected) << static_cast<int>(c.format);
  }
}

TEST(TicBitmapAssign, CopiesImageFieldsButNeverTheSelection) {
  TicBitmap source = Gradient(5, 4);
  source.Transparent = true;
  source.BGColor = 0x123456;
  source.WasCMYK = true;
  source.TIFCompression = cmPackBits;
  source.ProgressiveJPEG = true;
  source.JPEGApproxQuality = 77;
  source.SetXDPI(150);
  source.UseLZW = true;
  source.SetSelection(ssRectangle, {0, 0, 3, 0},
                      std::vector<uint8_t>(size_t(source.Width()) * source.Height(), 1));
  source.SetUseSelection(true);
  TicBitmap copy;
  copy.Assign(source);
  ExpectSamePixels(copy, source);
  EXPECT_TRUE(copy.Transparent);
  EXPECT_EQ(copy.BGColor, 0x123456u);
  EXPECT_TRUE(copy.WasCMYK);
  EXPECT_EQ(copy.TIFCompression, cmPackBits);
  EXPECT_TRUE(copy.ProgressiveJPEG);
  EXPECT_EQ(copy.JPEGApproxQuality, 77);
  EXPECT_EQ(copy.GetXDPI(), 150);
  EXPECT_EQ(copy.ColorFormat, cf24bit);
  EXPECT_FALSE(copy.UseLZW);
  EXPECT_FALSE(copy.UseSelection());
  EXPECT_EQ(copy.SelectionShape(), ssNone);
  EXPECT_EQ(copy.SelectionBounds().right, 0);
}

TEST_F(ScratchDir, BmpFileRoundTripKeepsPixelsAndResolution) {
  TicBitmap image = Gradient(7, 3);
  image.SetXDPI(300);
  image.SetYDPI(96);
  image.SaveImageFile(Path("a.BMP"), false, 75);
  TicBitmap loaded;
  loaded.LoadImageFile(Path("a.BMP"), 1);
  ExpectSamePixels(loaded, image);
  EXPECT_EQ(loaded.GetXDPI(), 300);
  EXPECT_EQ(loaded.GetYDPI(), 96);
  EXPECT_EQ(loaded.ColorFormat, cf24bit);
}

TEST_F(ScratchDir, OutsideToolReadsOurBmp) {
  Gradient(13, 5).SaveImageFile(Path("ref.bmp"), false, 75);
  const std::string command = "identify -format '%w %h %[pixel:p{12,4}]' " + Path("ref.bmp");
  FILE* pipe = popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  char text[128] = {};
  const size_t n = fread(text, 1, sizeof text - 1, pipe);
  pclose(pipe);
  // Pixel (12, 4) holds red x + y = 16, green y * 11 = 44, blue x * 7 = 84.
  EXPECT_EQ(std::string(text, n), "13 5 srgb(16,44,84)");
}

TEST_F(ScratchDir, TheFirstByteNotTheExtensionPicksTheReader) {
  Gradient(3, 3).SaveImageFile(Path("a.bmp"), false, 75);
  fs::copy_file(Path("a.bmp"), Path("looks.jpg"));
  TicBitmap loaded;
  loaded.LoadImageFile(Path("looks.jpg"), 1);
  EXPECT_EQ(loaded.Width(), 3);
}

TEST_F(ScratchDir, LoadFailuresCarryTheirMessagesAndChangeNothing) {
  std::ofstream(Path("text.bmp")) << "hello";
  std::ofstream(Path("anim.gif")) << "GIF89a";
  TicBitmap b = Gradient(4, 4);
  EXPECT_EQ(MessageOf<plat::EFOpenError>([&] { b.LoadImageFile(Path("none.bmp"), 1); }),
            "File not found: none.bmp");
  EXPECT_EQ(MessageOf<EInvalidFormat>([&] { b.LoadImageFile(Path("text.bmp"), 1); }),
            "File is not a supported graphics format");
  EXPECT_EQ(MessageOf<plat::EInvalidGraphic>([&] { b.LoadImageFile(Path("anim.gif"), 1); }),
            "File format not supported");
  EXPECT_EQ(b.Width(), 4);
  EXPECT_EQ(b.ColorFormat, cf24bit);
}

TEST_F(ScratchDir, SaveRefusesUnknownExtensionAndKeepsExistingFile) {
  TicBitmap b = Gradient(2, 2);
  EXPECT_EQ(MessageOf<EInvalidFormat>([&] { b.SaveImageFile(Path("x.xyz"), false, 75); }),
            "File extension is not a supported graphics format");
  EXPECT_FALSE(fs::exists(Path("x.xyz")));
}

TEST(TicBitmapBytes, RoundTripAndDibData) {
  TicBitmap image = Gradient(6, 5);
  const std::vector<uint8_t> bytes = image.SaveToBytes(gfBMP, false, 75);
  EXPECT_EQ(image.EncodedSize(gfBMP, false, 75), static_cast<int64_t>(bytes.size()));
  const std::vector<uint8_t> dib = image.GetDIBData();
  ASSERT_EQ(dib.size() + 14, bytes.size());
  EXPECT_TRUE(std::equal(dib.begin(), dib.end(), bytes.begin() + 14));
  TicBitmap loaded;
  loaded.LoadFromBytes(bytes.data(), static_cast<int64_t>(bytes.size()), 1);
  ExpectSamePixels(loaded, image);
  EXPECT_TRUE(image.SaveToBytes(9, false, 75).empty());
  EXPECT_TRUE(image.SaveToBytes(-1, false, 75).empty());
  EXPECT_EQ(image.EncodedSize(9, false, 75), 0);
}

TEST(TicBitmapBytes, UnreadableBytesGiveTheReadBinaryMessage) {
  const std::vector<uint8_t> truncated_bmp = {'B', 'M', 1, 2, 3};
  const std::vector<uint8_t> unknown = {'Z', 0, 0};
  TicBitmap b;
  EXPECT_EQ(MessageOf<plat::EInvalidGraphic>(
                [&] { b.LoadFromBytes(truncated_bmp.data(), truncated_bmp.size(), 1); }),
            "The ReadBinary method has failed to read an image.");
  EXPECT_EQ(MessageOf<EInvalidFormat>([&] { b.LoadFromBytes(unknown.data(), unknown.size(), 1); }),
            "Data is not in a supported graphics format");
  EXPECT_ANY_THROW(b.LoadFromBytes(nullptr, 0, 1));
}

}  // namespace
}  // namespace pictavo
