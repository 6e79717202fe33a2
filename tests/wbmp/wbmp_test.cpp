// The WBMP codec with netpbm's pbmtowbmp and wbmptopbm as referees, its integers, its two
// thresholds and its refusals.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "control/formats/wbmp/wbmp_image.h"
#include "graphics/referee.h"
#include "platform/base/exceptions.h"
#include "platform/base/streams.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/canvas.h"

namespace velmora_test {
namespace {

using pictavo::TWBMPImage;

bool IsBlack(int x, int y) {
  return (x * x + 3 * y) % 7 < 3 || x == y;
}

void ExpectSameBlackAndWhite(const plat::TBitmap& ours, const RgbaImage& theirs) {
  ASSERT_EQ(ours.Width(), theirs.width);
  ASSERT_EQ(ours.Height(), theirs.height);
  for (int y = 0; y < theirs.height; ++y)
    for (int x = 0; x < theirs.width; ++x) {
      const plat::TColor expected = theirs.At(x, y)[0] ? 0xFFFFFFu : 0u;
      ASSERT_EQ(ours.PixelColor(x, y), expected) << x << "," << y;
    }
}

std::vector<uint8_t> Save(const plat::TBitmap& image) {
  TWBMPImage wbmp;
  wbmp.Assign(image);
  plat::TMemoryStream out;
  wbmp.SaveToStream(out);
  return out.Bytes();
}

std::string LoadError(const std::vector<uint8_t>& bytes) {
  TWBMPImage wbmp;
  plat::TReadOnlyMemoryStream in(bytes.data(), static_cast<int64_t>(bytes.size()));
  try {
    wbmp.LoadFromStream(in);
  } catch (const plat::EInvalidGraphic& e) {
    return e.what();
  }
  return "loaded";
}

TEST(WbmpNetpbm, BothWaysForSeveralWidths) {
  ScratchDir dir;
  for (int width : {1, 8, 9, 131}) {
    SCOPED_TRACE(width);
    std::string head = "P4\n" + std::to_string(width) + " 5\n";
    std::vector<uint8_t> pbm(head.begin(), head.end());
    for (int y = 0; y < 5; ++y) {
      std::vector<uint8_t> row((width + 7) / 8, 0);
      for (int x = 0; x < width; ++x)
        if (IsBlack(x, y)) row[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
      pbm.insert(pbm.end(), row.begin(), row.end());
    }
    WriteBytes(dir.File("in.pbm"), pbm);
    ASSERT_TRUE(velmora_test::Run("pbmtowbmp '" + dir.File("in.pbm") + "' > '" +
                                  dir.File("in.wbmp") + "'"));
    TWBMPImage wbmp;
    wbmp.LoadFromFile(dir.File("in.wbmp"));
    ExpectSameBlackAndWhite(wbmp.MonoBitmap, ReadWithImageMagick(dir, dir.File("in.pbm")));

    WriteBytes(dir.File("out.wbmp"), Save(wbmp.MonoBitmap));
    ASSERT_TRUE(velmora_test::Run("wbmptopbm '" + dir.File("out.wbmp") + "' > '" +
                                  dir.File("out.pbm") + "'"));
    ExpectSameBlackAndWhite(wbmp.MonoBitmap, ReadWithImageMagick(dir, dir.File("out.pbm")));
  }
}

TEST(WbmpCodec, MultiByteIntegers) {
  const struct {
    uint64_t value;
    std::string bytes;
  } cases[] = {
      {0, std::string(1, '\0')},
      {127, "\x7F"},
      {128, std::string("\x81\x00", 2)},
      {200, "\x81\x48"},
      {uint64_t{1} << 28, std::string("\x81\x80\x80\x80\x00", 5)},
  };
  for (const auto& c : cases) EXPECT_EQ(pictavo::EncodeMultiByteInteger(c.value), c.bytes);
  // Nine pixels wide is two bytes a row.
  EXPECT_EQ(Save(plat::TBitmap(9, 3, plat::TPixelFormat::pf24bit)).size(), 2u + 1 + 1 + 3 * 2);
}

TEST(WbmpCodec, ThresholdsOnAssignAndOnSave) {
  plat::TBitmap grey(4, 1, plat::TPixelFormat::pf24bit);
  const plat::TColor greys[] = {plat::RGB(128, 128, 128), plat::RGB(127, 127, 127),
                                plat::RGB(255, 255, 0), plat::RGB(200, 100, 83)};
  for (int x = 0; x < 4; ++x) grey.SetPixelColor(x, 0, greys[x]);
  TWBMPImage wbmp;
  wbmp.Assign(grey);  // white from a sum of 384
  EXPECT_EQ(wbmp.MonoBitmap.PixelFormat(), plat::TPixelFormat::pf1bit);
  const plat::TColor assigned[] = {0xFFFFFF, 0, 0xFFFFFF, 0};
  for (int x = 0; x < 4; ++x) EXPECT_EQ(wbmp.MonoBitmap.PixelColor(x, 0), assigned[x]) << x;

  wbmp.MonoBitmap = grey;  // saving: white only when every channel is above 126
  plat::TMemoryStream out;
  wbmp.SaveToStream(out);
  EXPECT_EQ(out.Position(), 0);
  TWBMPImage back;
  back.LoadFromStream(out);
  const plat::TColor saved[] = {0xFFFFFF, 0xFFFFFF, 0, 0};
  for (int x = 0; x < 4; ++x) EXPECT_EQ(back.MonoBitmap.PixelColor(x, 0), saved[x]) << x;
}

TEST(WbmpCodec, RefusesWhatIsNotATypeZeroImageWithItsData) {
  const std::string ok_header("\x00\x00\x09\x02", 4);
  const struct {
    std::string bytes;
    const char* message;
  } cases[] = {
      {ok_header + std::string(4, '\xFF'), "loaded"},
      {std::string("\x00\x7F\x09\x02", 4) + std::string(4, '\xFF'), "loaded"},
      {std::string("\x00\x80\x09\x02", 4) + std::string(4, '\xFF'), "Error reading WBMP file."},
      {std::string("\x01\x00\x09\x02", 4) + std::string(4, '\xFF'), "Error reading WBMP file."},
      {ok_header + std::string(3, '\xFF'), "Error reading WBMP file."},  // ends early
      {std::string("\x00\x00\x00\x02", 4), "Error reading WBMP file."},  // width 0
      {std::string("\x00\x00\x81\x81\x81\x81\x81\x01\x01", 9) + std::string(9, '\xFF'),
       "Error reading WBMP file."},  // six bytes read as 0
      {std::string("\x00\x00\x8F\xFF\xFF\xFF\x7F\x8F\xFF\xFF\xFF\x7F\xFF", 13),
       "Error reading WBMP file."},  // 2^32 by 2^32 from one byte of data
      {std::string("\x00\x00\x81", 3), "Error reading WBMP file."},
      {"", "Error reading WBMP file."},
  };
  for (const auto& c : cases)
    EXPECT_EQ(LoadError({c.bytes.begin(), c.bytes.end()}), c.message)
        << testing::PrintToString(c.bytes);

  TWBMPImage wbmp;
  plat::TBitmap surface(1, 1, plat::TPixelFormat::pf24bit);
  try {
    wbmp.Draw(surface.Canvas(), {0, 0, 1, 1});
    ADD_FAILURE() << "drew";
  } catch (const plat::EInvalidGraphic& e) {
    EXPECT_STREQ(e.what(), "Function not supported.");
  }
  try {
    wbmp.LoadFromClipboardFormat(plat::CF_BITMAP, 0, 0);
    ADD_FAILURE() << "pasted";
  } catch (const plat::EInvalidGraphic& e) {
    EXPECT_STREQ(e.what(), "Clipboard functions not supported.");
  }
}

}  // namespace
}  // namespace velmora_test
