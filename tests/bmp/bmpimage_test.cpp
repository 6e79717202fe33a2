#include "control/formats/bmp/bmpimage.h"

#include <gtest/gtest.h>

#include "platform/base/streams.h"

namespace pictavo {
namespace {

using plat::TPixelFormat;

uint32_t Le32(const std::vector<uint8_t>& b, size_t at) {
  return uint32_t{b[at]} | (uint32_t{b[at + 1]} << 8) | (uint32_t{b[at + 2]} << 16) |
         (uint32_t{b[at + 3]} << 24);
}

TBMPImage Image(TPixelFormat format, int width, int height, int32_t x_ppm = 0, int32_t y_ppm = 0) {
  TBMPImage image;
  image.SetPixelFormat(format);
  image.SetSize(width, height);
  image.SetXPelsPerMeter(x_ppm);
  image.SetYPelsPerMeter(y_ppm);
  return image;
}

std::vector<uint8_t> Saved(const TBMPImage& image) {
  plat::TMemoryStream out;
  image.SaveToStream(out);
  return out.Bytes();
}

struct RowCase {
  int width;
  int height;
  int64_t row_size;
};

class Bmp24RowSizes : public testing::TestWithParam<RowCase> {};

TEST_P(Bmp24RowSizes, FileAndImageSizeFollowTheRowSize) {
  const RowCase c = GetParam();
  EXPECT_EQ(Bmp24RowSize(c.width), c.row_size);
  TBMPImage image = Image(TPixelFormat::pf24bit, c.width, c.height);
  const std::vector<uint8_t> file = Saved(image);
  const int64_t expected = 54 + c.row_size * c.height;
  EXPECT_EQ(static_cast<int64_t>(file.size()), expected);
  EXPECT_EQ(Le32(file, 2), expected);
  EXPECT_EQ(Le32(file, 10), 54u);
  EXPECT_EQ(Le32(file, 14), 40u);
  EXPECT_EQ(Le32(file, 34), c.row_size * c.height);
}

INSTANTIATE_TEST_SUITE_P(Widths, Bmp24RowSizes,
                         testing::Values(RowCase{0, 1, 4}, RowCase{1, 1, 4}, RowCase{4, 1, 12},
                                         RowCase{2, 2, 8}, RowCase{5, 3, 16}, RowCase{7, 2, 24}));

TEST(BMPImage, TwoByTwo24BitFileIsSeventyBytesWithRowsBottomUp) {
  TBMPImage image = Image(TPixelFormat::pf24bit, 2, 2);
  image.ScanLine(0)[0] = 0x11;  // top row, first blue byte
  image.ScanLine(1)[0] = 0x22;  // bottom row
  const std::vector<uint8_t> file = Saved(image);
  ASSERT_EQ(file.size(), 70u);
  EXPECT_EQ(file[0], 'B');
  EXPECT_EQ(file[1], 'M');
  EXPECT_EQ(Le32(file, 2), 70u);
  EXPECT_EQ(Le32(file, 34), 16u);
  EXPECT_EQ(file[54], 0x22);
  EXPECT_EQ(file[62], 0x11);
}

class ResolutionRoundTrip : public testing::TestWithParam<TPixelFormat> {};

TEST_P(ResolutionRoundTrip, SaveAndLoadKeepBothFields) {
  TBMPImage image = Image(GetParam(), 3, 2, 3780, 2835);
  plat::TMemoryStream stream;
  image.SaveToStream(stream);
  stream.SetPosition(0);
  TBMPImage back;
  back.LoadFromStream(stream);
  EXPECT_EQ(back.GetXPelsPerMeter(), 3780);
  EXPECT_EQ(back.GetYPelsPerMeter(), 2835);
  EXPECT_EQ(back.Width(), 3);
  EXPECT_EQ(back.Height(), 2);
}

INSTANTIATE_TEST_SUITE_P(Formats, ResolutionRoundTrip,
                         testing::Values(TPixelFormat::pf1bit, TPixelFormat::pf4bit,
                                         TPixelFormat::pf8bit, TPixelFormat::pf16bit,
                                         TPixelFormat::pf24bit, TPixelFormat::pf32bit));

TEST(BMPImage, SavingBehindOtherDataPatchesTheResolutionOfItsOwnFile) {
  TBMPImage image = Image(TPixelFormat::pf8bit, 2, 2, 0x01020304, 0x05060708);
  const std::vector<uint8_t> prefix(50, 0xEE);
  plat::TMemoryStream stream(prefix);
  stream.SetPosition(50);
  image.SaveToStream(stream);
  const std::vector<uint8_t>& bytes = stream.Bytes();
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 50), prefix);
  EXPECT_EQ(Le32(bytes, 50 + 38), 0x01020304u);
  EXPECT_EQ(Le32(bytes, 50 + 42), 0x05060708u);
  EXPECT_EQ(stream.Position(), 50);
}

TEST(BMPImage, FileOfExactly54BytesLeavesResolutionAlone) {
  TBMPImage empty = Image(TPixelFormat::pf24bit, 3, 0, 1, 1);
  std::vector<uint8_t> file = Saved(empty);
  ASSERT_EQ(file.size(), 54u);
  TBMPImage image;
  image.SetXPelsPerMeter(77);
  image.SetYPelsPerMeter(88);
  plat::TMemoryStream stream(file);
  image.LoadFromStream(stream);
  EXPECT_EQ(image.GetXPelsPerMeter(), 77);
  EXPECT_EQ(image.GetYPelsPerMeter(), 88);
}

TEST(BMPImage, CoreHeaderGivesNoResolution) {
  // 12-byte core header, 8 bits, 2 x 2: the palette occupies bytes 26 onwards.
  std::vector<uint8_t> file(14 + 12 + 256 * 3 + 8, 0);
  file[0] = 'B';
  file[1] = 'M';
  file[2] = static_cast<uint8_t>(file.size());
  file[3] = static_cast<uint8_t>(file.size() >> 8);
  file[10] = static_cast<uint8_t>((14 + 12 + 768) & 0xFF);
  file[11] = static_cast<uint8_t>((14 + 12 + 768) >> 8);
  file[14] = 12;
  file[18] = 2;  // width
  file[20] = 2;  // height
  file[22] = 1;  // planes
  file[24] = 8;  // bits
  for (size_t i = 26; i < 26 + 768; ++i) file[i] = 0x5A;
  TBMPImage image;
  plat::TMemoryStream stream(file);
  image.LoadFromStream(stream);
  EXPECT_EQ(image.GetXPelsPerMeter(), 0);
  EXPECT_EQ(image.GetYPelsPerMeter(), 0);
  EXPECT_EQ(image.PixelFormat(), TPixelFormat::pf8bit);
}

TEST(BMPImage, IsGrayscalePalette) {
  TBMPImage grey = Image(TPixelFormat::pf8bit, 2, 2);
  plat::TColorTable ramp(256);
  for (int i = 0; i < 256; ++i) ramp[i] = {uint8_t(i), uint8_t(i), uint8_t(i), 0};
  grey.SetColorTable(ramp);
  EXPECT_TRUE(grey.IsGrayscalePalette());

  ramp[200].rgbRed = 1;
  grey.SetColorTable(ramp);
  EXPECT_FALSE(grey.IsGrayscalePalette());

  TBMPImage mono;
  mono.SetPixelFormat(TPixelFormat::pf1bit);
  EXPECT_TRUE(mono.IsGrayscalePalette());
  TBMPImage vga;
  vga.SetPixelFormat(TPixelFormat::pf4bit);
  EXPECT_FALSE(vga.IsGrayscalePalette());

  // A black pixel still does not make a grey palette.
  TBMPImage direct = Image(TPixelFormat::pf24bit, 1, 1);
  EXPECT_FALSE(direct.IsGrayscalePalette());
}

TEST(BMPImage, AssignToABitmapSharesThePixels) {
  TBMPImage image = Image(TPixelFormat::pf24bit, 2, 1);
  image.ScanLine(0)[0] = 42;
  plat::TBitmap dest;
  image.AssignTo(dest);
  EXPECT_EQ(dest.Width(), 2);
  EXPECT_EQ(dest.ScanLine(0)[0], 42);
}

}  // namespace
}  // namespace pictavo
