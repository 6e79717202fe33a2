// CCITT fax coding: our Group 4 encoder against our decoder and libtiff's, and the decoders'
// handling of strip ends, EOLs and long runs.
#include <gtest/gtest.h>

#include "control/formats/tiff/ccitt.h"
#include "tiff/tiff_helpers.h"

namespace velmora_test {
namespace {

using pictavo::TFaxPage;

// A pf1bit bitmap (index 0 black, 1 white) with runs of many lengths, rows that share edges with
// the row above (vertical modes) and rows that do not (horizontal and pass modes).
plat::TBitmap FaxPicture(int width, int height) {
  plat::TBitmap bmp(width, height, plat::TPixelFormat::pf1bit);
  bmp.SetColorTable({{0, 0, 0, 0}, {255, 255, 255, 0}});
  for (int y = 0; y < height; ++y) {
    uint8_t* row = bmp.ScanLine(y);
    for (int x = 0; x < width; ++x) {
      bool black =
          ((x + y) / 13) % 4 == 0 || (x * 31 + y * y) % 211 < 9 || (y % 7 == 3 && x > width / 3);
      if (!black) row[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
    }
  }
  return bmp;
}

std::vector<uint8_t> Encode(const plat::TBitmap& bmp) {
  plat::TMemoryStream out;
  pictavo::EncodeGroup4(bmp, out);
  return out.TakeBytes();
}

void ExpectRowsEqual(const plat::TBitmap& bmp, const std::vector<uint8_t>& rows) {
  const size_t rowBytes = (static_cast<size_t>(bmp.Width()) + 7) / 8;
  ASSERT_EQ(rows.size(), rowBytes * bmp.Height());
  for (int y = 0; y < bmp.Height(); ++y)
    for (int x = 0; x < bmp.Width(); ++x) {
      int ours = (rows[y * rowBytes + x / 8] >> (7 - x % 8)) & 1;
      int source = (bmp.ScanLine(y)[x / 8] >> (7 - x % 8)) & 1;
      ASSERT_EQ(ours, source) << "pixel " << x << "," << y;
    }
}

TEST(Group4, RoundTripsAndLibtiffReadsOurStrips) {
  ScratchDir dir;
  for (int width : {1, 7, 8, 9, 2561, 3000}) {
    SCOPED_TRACE(width);
    plat::TBitmap bmp = FaxPicture(width, 23);
    std::vector<uint8_t> coded = Encode(bmp);
    std::vector<uint8_t> rows;
    pictavo::DecodeGroup4(rows, coded, 23, TFaxPage{static_cast<uint32_t>(width), 0, false});
    ExpectRowsEqual(bmp, rows);

    pictavo::TTIFImage page;
    page.Compression = 4;
    page.Assign(bmp);
    page.SaveToFile(dir.File("g4.tif"));
    ASSERT_TRUE(Shell(dir, "tiffcp -c none g4.tif plain.tif"));
    RgbaImage theirs = ReadWithImageMagick(dir, dir.File("plain.tif"));
    ExpectSamePixels(bmp, theirs);
  }
}

TEST(Group4, WhiteRowIsV0ThenEndOfBlock) {
  plat::TBitmap bmp(8, 1, plat::TPixelFormat::pf1bit);
  bmp.SetColorTable({{0, 0, 0, 0}, {255, 255, 255, 0}});
  bmp.ScanLine(0)[0] = 0xFF;
  // "1", then two EOLs (000000000001 000000000001): 25 bits.
  EXPECT_EQ(Encode(bmp), (std::vector<uint8_t>{0x80, 0x08, 0x00, 0x80}));
}

TEST(Group4, StripWithoutEndOfBlockDecodesAlike) {
  plat::TBitmap bmp = FaxPicture(50, 9);
  std::vector<uint8_t> coded = Encode(bmp);
  std::vector<uint8_t> withEofb, cut;
  TFaxPage page{50, 0, false};
  pictavo::DecodeGroup4(withEofb, coded, 9, page);
  std::vector<uint8_t> shorter(coded.begin(), coded.end() - 3);  // the EOFB's last 24 bits
  pictavo::DecodeGroup4(cut, shorter, 9, page);
  EXPECT_EQ(withEofb, cut);
  ExpectRowsEqual(bmp, cut);
}

TEST(Group4, StripCutShortGivesFewerRowsOrOverrun) {
  plat::TBitmap bmp = FaxPicture(300, 30);
  std::vector<uint8_t> coded = Encode(bmp);
  coded.resize(coded.size() / 2);
  std::vector<uint8_t> rows;
  try {
    pictavo::DecodeGroup4(rows, coded, 30, TFaxPage{300, 0, false});
  } catch (const pictavo::EOverrunStream& e) {
    EXPECT_STREQ(e.what(), "Abort Group4 read");
  }
  EXPECT_LT(rows.size(), 30u * 38u);
}

TEST(Group4, GarbageIsCorruptNotEndless) {
  std::vector<uint8_t> junk(64, 0x02);  // 0000001x: an extension code
  std::vector<uint8_t> rows;
  try {
    pictavo::DecodeGroup4(rows, junk, 100, TFaxPage{100, 0, false});
    FAIL() << "no error";
  } catch (const plat::EInvalidGraphic& e) {
    EXPECT_STREQ(e.what(), "TIFF file image data corrupted");
  }
}

// A white run of 3000 pixels: make-up 2560, make-up 384, terminating 56 (white codes).
std::vector<uint8_t> WhiteRun3000() {
  // 000000011111 (2560) 00110111 (384) 01011001 (56) -> 28 bits, padded
  return {0x01, 0xF3, 0x75, 0x90};
}

TEST(OneDimensionalCoding, LongWhiteRowInModifiedHuffmanAndGroup3) {
  std::vector<uint8_t> mh, g3;
  pictavo::DecodeModifiedHuffman(mh, WhiteRun3000(), 1, TFaxPage{3000, 0, false});
  pictavo::DecodeGroup3(g3, WhiteRun3000(), 1, TFaxPage{3000, 0, false}, false);
  EXPECT_EQ(mh, std::vector<uint8_t>(375, 0xFF));
  EXPECT_EQ(g3, mh);
  std::vector<uint8_t> blackIsZero;
  pictavo::DecodeGroup3(blackIsZero, WhiteRun3000(), 1, TFaxPage{3000, 1, false}, false);
  EXPECT_EQ(blackIsZero, std::vector<uint8_t>(375, 0x00));
}

TEST(OneDimensionalCoding, EolWithFillBitsIsSkipped) {
  // 0000 (fill) 000000000001 (EOL) then the same row: 0000 0000 0000 0001 + 28 bits
  std::vector<uint8_t> withEol = {0x00, 0x01, 0x01, 0xF3, 0x75, 0x90};
  std::vector<uint8_t> a, b;
  pictavo::DecodeGroup3(a, withEol, 1, TFaxPage{3000, 0, false}, false);
  pictavo::DecodeGroup3(b, WhiteRun3000(), 1, TFaxPage{3000, 0, false}, false);
  EXPECT_EQ(a, b);
}

TEST(OneDimensionalCoding, ModifiedHuffmanRowsStartOnFreshBytes) {
  // Row of width 8: white 3 (1000), black 2 (11), white 3 (1000) = 10 bits, then the next row
  // starts on the following byte boundary.
  std::vector<uint8_t> strip = {0x8E, 0x00, 0x8E, 0x00};
  std::vector<uint8_t> rows;
  pictavo::DecodeModifiedHuffman(rows, strip, 2, TFaxPage{8, 0, false});
  EXPECT_EQ(rows, (std::vector<uint8_t>{0xE7, 0xE7}));
  rows.clear();
  EXPECT_THROW(pictavo::DecodeModifiedHuffman(rows, strip, 3, TFaxPage{8, 0, false}),
               plat::EInvalidGraphic);
}

TEST(OneDimensionalCoding, RunPastTheRowEndIsCorrupt) {
  std::vector<uint8_t> rows;
  EXPECT_THROW(pictavo::DecodeGroup3(rows, WhiteRun3000(), 1, TFaxPage{2999, 0, false}, false),
               plat::EInvalidGraphic);
}

// `prefix` (its bits right-aligned) and then white make-up codes of 2560 (000000011111), enough
// of them to add up past 2^31, packed most significant bit first.
std::vector<uint8_t> EndlessWhiteMakeUp(uint32_t prefix, int prefixBits) {
  std::vector<uint8_t> bytes;
  uint64_t window = 0;
  int held = 0;
  auto put = [&](uint32_t bits, int count) {
    window = (window << count) | bits;
    for (held += count; held >= 8; held -= 8)
      bytes.push_back(static_cast<uint8_t>(window >> (held - 8)));
  };
  put(prefix, prefixBits);
  for (int i = 0; i < 900000; ++i) put(0x1F, 12);
  put(0, 8);
  return bytes;
}

TEST(FaxRuns, EndlessMakeUpCodesAreCorruptNotAnOverflow) {
  const struct {
    const char* coding;
    bool group4;
    std::vector<uint8_t> strip;
    const char* error;  // Group 4 reports a strip that ends inside a run for the page to judge
  } cases[] = {
      {"modified Huffman", false, EndlessWhiteMakeUp(0, 0), "TIFF file image data corrupted"},
      {"Group 4 horizontal mode (001)", true, EndlessWhiteMakeUp(0b001, 3), "Abort Group4 read"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.coding);
    std::vector<uint8_t> rows;
    const TFaxPage page{100, 0, false};
    try {
      if (c.group4)
        pictavo::DecodeGroup4(rows, c.strip, 1, page);
      else
        pictavo::DecodeModifiedHuffman(rows, c.strip, 1, page);
      ADD_FAILURE() << "no error";
    } catch (const plat::Exception& e) {
      EXPECT_STREQ(e.what(), c.error);
    }
  }
}

}  // namespace
}  // namespace velmora_test
