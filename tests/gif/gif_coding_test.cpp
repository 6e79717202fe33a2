// The LZW decoder and both encoders, checked against ImageMagick as the independent decoder.
#include <gtest/gtest.h>

#include <random>

#include "control/formats/gif/gif_lzw.h"
#include "gif_test_support.h"

namespace pictavo::test {
namespace {

enum class Pattern { Noise, Runs, Gradient };

std::vector<uint8_t> MakePixels(Pattern pattern, int width, int height, int colours,
                                unsigned seed) {
  std::mt19937 random(seed);
  std::vector<uint8_t> pixels(size_t(width) * size_t(height));
  uint8_t run_value = 0;
  for (size_t i = 0; i < pixels.size(); ++i) {
    switch (pattern) {
      case Pattern::Noise:
        pixels[i] = uint8_t(random() % unsigned(colours));
        break;
      case Pattern::Runs:
        if (random() % 97 == 0) run_value = uint8_t(random() % unsigned(colours));
        pixels[i] = run_value;
        break;
      case Pattern::Gradient:
        pixels[i] = uint8_t((i / 3) % unsigned(colours));
        break;
    }
  }
  return pixels;
}

struct GridCase {
  int min_code_size;  // 2^n colours in the global map
  int width;
  int height;
  bool interlaced;
  Pattern pattern;
};

std::vector<GridCase> Grid() {
  std::vector<GridCase> cases;
  for (int bits = 1; bits <= 8; ++bits) {
    cases.push_back({bits, 1, 5, false, Pattern::Noise});
    cases.push_back({bits, 37, 23, false, Pattern::Noise});
    cases.push_back({bits, 61, 40, false, Pattern::Runs});
  }
  for (int height = 1; height <= 9; ++height)
    cases.push_back({height % 2 ? 8 : 3, 13, height, true, Pattern::Gradient});
  // Long runs: one colour over a whole large frame, and long runs of few colours.
  cases.push_back({2, 641, 480, false, Pattern::Runs});
  cases.push_back({8, 1000, 301, false, Pattern::Runs});
  // Far more than 4095 distinct strings, so the table fills and starts again many times.
  cases.push_back({8, 257, 199, false, Pattern::Noise});
  cases.push_back({5, 300, 200, true, Pattern::Noise});
  return cases;
}

std::vector<uint8_t> ExpectedRgb(const std::vector<uint8_t>& pixels,
                                 const std::vector<plat::TColor>& colours) {
  std::vector<uint8_t> rgb;
  for (uint8_t p : pixels)
    rgb.insert(rgb.end(), {plat::GetRValue(colours[p]), plat::GetGValue(colours[p]),
                           plat::GetBValue(colours[p])});
  return rgb;
}

class EncoderGrid : public ::testing::TestWithParam<uint8_t> {};

TEST_P(EncoderGrid, ImageMagickDecodesEveryCaseToTheSamePixels) {
  ScratchDir dir;
  int n = 0;
  for (const GridCase& c : Grid()) {
    SCOPED_TRACE(::testing::Message() << "bits " << c.min_code_size << " " << c.width << "x"
                                      << c.height << (c.interlaced ? " interlaced" : ""));
    std::vector<plat::TColor> colours = DistinctColours(1 << c.min_code_size);
    std::vector<uint8_t> pixels =
        MakePixels(c.pattern, c.width, c.height, int(colours.size()), unsigned(++n));
    std::vector<uint8_t> gif =
        EncodeIndexedGIF(pixels, c.width, c.height, colours, c.interlaced, GetParam());
    std::string path = dir.Path("grid" + std::to_string(n) + ".gif");
    WriteBytes(path, gif);

    RgbImage decoded = DecodeWithImageMagick(path);
    ASSERT_EQ(decoded.width, c.width);
    ASSERT_EQ(decoded.height, c.height);
    EXPECT_TRUE(decoded.rgb == ExpectedRgb(pixels, colours));

    LoadedGIF ours = LoadGIF(gif);
    EXPECT_TRUE(ours.warnings.empty());
    EXPECT_TRUE(ours.image->Frames().FrameAt(0)->PixelData() == pixels);
    EXPECT_EQ(ours.image->Frames().FrameAt(0)->Interlaced(), c.interlaced);
  }
}

INSTANTIATE_TEST_SUITE_P(BothEncoders, EncoderGrid, ::testing::Values(ecLZW, ecRunLength),
                         [](const auto& info) {
                           return info.param == ecLZW ? std::string("LZW") : "RunLength";
                         });

// The image data alone, as one encoder writes it.
std::vector<uint8_t> EncodeData(uint8_t compression, const std::vector<uint8_t>& pixels, int width,
                                int height, int bits, bool interlaced = false) {
  plat::TMemoryStream out;
  std::unique_ptr<TGIFEncoder> encoder;
  if (compression == ecRunLength)
    encoder = std::make_unique<TRLEEncoder>();
  else
    encoder = std::make_unique<TLZWEncoder>();
  encoder->EncodeFrame(out, bits, 1 << bits, pixels.data(), interlaced, height, width);
  return out.TakeBytes();
}

std::vector<uint8_t> DecodeData(const std::vector<uint8_t>& data, int width, int height,
                                bool interlaced, std::vector<std::string>* warnings = nullptr,
                                uint8_t fill = 0) {
  std::vector<uint8_t> pixels(size_t(width) * size_t(height), fill);
  plat::TReadOnlyMemoryStream in(data.data(), int64_t(data.size()));
  DecodeImageData(in, pixels.data(), width, height, interlaced, [&](const std::string& m) {
    if (warnings) warnings->push_back(m);
  });
  return pixels;
}

TEST(GIFEncoder, EmptyFrameIsCodeSizeOneEndCodeAndTerminator) {
  for (uint8_t method : {ecLZW, ecRunLength}) {
    // Minimum code size 2: the end code 5 in 3 bits.
    EXPECT_EQ(EncodeData(method, {}, 0, 4, 1), (std::vector<uint8_t>{2, 1, 5, 0}));
    EXPECT_EQ(EncodeData(method, {}, 7, 0, 8), (std::vector<uint8_t>{8, 2, 1, 1, 0}));
  }
}

TEST(GIFWriter, CutsDataIntoFullSubBlocksAndAShorterLastOne) {
  for (int count : {255, 256, 600}) {
    std::vector<uint8_t> data(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) data[size_t(i)] = uint8_t(i * 7);
    plat::TMemoryStream out;
    TGIFWriter writer(out);
    writer.Write(data.data(), count);
    writer.FlushBlock();
    std::vector<uint8_t> expected;
    for (int i = 0; i < count; i += 255) {
      int n = std::min(255, count - i);
      expected.push_back(uint8_t(n));
      expected.insert(expected.end(), data.begin() + i, data.begin() + i + n);
    }
    EXPECT_EQ(out.Bytes(), expected) << count;
  }
}

TEST(GIFEncoder, InterlacedFramesOfTwoToFourRowsKeepEveryRow) {
  for (uint8_t method : {ecLZW, ecRunLength})
    for (int height = 2; height <= 4; ++height) {
      std::vector<uint8_t> pixels;
      for (int y = 0; y < height; ++y) pixels.insert(pixels.end(), 3, uint8_t(y));
      std::vector<uint8_t> data = EncodeData(method, pixels, 3, height, 2, true);
      // Read without interlacing, the rows come in the order they were written.
      std::vector<uint8_t> stream_order = DecodeData(data, 3, height, false);
      std::vector<int> rows;
      for (int y = 0; y < height; ++y) rows.push_back(stream_order[size_t(y) * 3]);
      std::vector<int> expected = {0, 2, 1, 3};
      if (height == 2) expected = {0, 1};
      if (height == 3) expected = {0, 2, 1};
      EXPECT_EQ(rows, expected) << height;
      EXPECT_EQ(DecodeData(data, 3, height, true), pixels);
    }
}

TEST(GIFEncoder, PixelAtTheColourLimitIsRejected) {
  for (uint8_t method : {ecLZW, ecRunLength}) {
    std::unique_ptr<TGIFEncoder> encoder;
    if (method == ecRunLength)
      encoder = std::make_unique<TRLEEncoder>();
    else
      encoder = std::make_unique<TLZWEncoder>();
    plat::TMemoryStream out;
    std::vector<uint8_t> pixels = {0, 1, 4};
    std::string message;
    try {
      encoder->EncodeFrame(out, 2, 4, pixels.data(), false, 1, 3);
    } catch (const GIFException& e) {
      message = e.what();
    }
    EXPECT_EQ(message, "Color not in color table");
  }
}

// Packs codes least significant bit first and wraps them in sub-blocks of `block` bytes.
std::vector<uint8_t> PackCodes(int min_code_size, const std::vector<std::pair<int, int>>& codes,
                               int block = 255, bool terminate = true) {
  std::vector<uint8_t> bytes;
  uint32_t bucket = 0;
  int bits = 0;
  for (auto [code, width] : codes) {
    bucket |= uint32_t(code) << bits;
    bits += width;
    while (bits >= 8) {
      bytes.push_back(uint8_t(bucket));
      bucket >>= 8;
      bits -= 8;
    }
  }
  if (bits > 0) bytes.push_back(uint8_t(bucket));
  std::vector<uint8_t> data = {uint8_t(min_code_size)};
  for (size_t i = 0; i < bytes.size(); i += size_t(block)) {
    size_t n = std::min(bytes.size() - i, size_t(block));
    data.push_back(uint8_t(n));
    data.insert(data.end(), bytes.begin() + i, bytes.begin() + i + n);
  }
  if (terminate) data.push_back(0);
  return data;
}

TEST(GIFDecoder, TwelveBitCodesInOneByteSubBlocks) {
  // Noise at 8 bits drives the codes to 12 bits; one-byte sub-blocks split every code.
  std::mt19937 random(3);
  std::vector<uint8_t> pixels(120 * 90);
  for (auto& p : pixels) p = uint8_t(random());
  std::vector<uint8_t> data = EncodeData(ecLZW, pixels, 120, 90, 8);
  std::vector<uint8_t> one_byte = {data[0]};
  for (size_t i = 1; i < data.size() - 1;) {
    uint8_t n = data[i];
    for (size_t k = 0; k < n; ++k) one_byte.insert(one_byte.end(), {1, data[i + 1 + k]});
    i += n + 1;
  }
  one_byte.push_back(0);
  std::vector<std::string> warnings;
  EXPECT_EQ(DecodeData(one_byte, 120, 90, false, &warnings), pixels);
  EXPECT_TRUE(warnings.empty());
}

TEST(GIFDecoder, StartsWithAResetEvenWithoutAClearCode) {
  // m = 2: literal 1, then 6 (= next free code: previous string plus its first pixel), end 5.
  std::vector<uint8_t> data = PackCodes(2, {{1, 3}, {6, 3}, {2, 3}, {5, 4}});
  EXPECT_EQ(DecodeData(data, 4, 1, false), (std::vector<uint8_t>{1, 1, 1, 2}));
}

TEST(GIFDecoder, CodeAboveTheNextFreeCodeActsAsPreviousStringPlusFirstPixel) {
  std::vector<uint8_t> data = PackCodes(2, {{4, 3}, {3, 3}, {7, 3}, {5, 3}});
  EXPECT_EQ(DecodeData(data, 3, 1, false), (std::vector<uint8_t>{3, 3, 3}));
}

struct MalformedCase {
  const char* name;
  std::vector<uint8_t> data;
  std::vector<uint8_t> expected;  // pixels of an 8 x 1 frame filled with 9
  const char* warning;
};

std::vector<MalformedCase> MalformedCases() {
  return {
      {"code size above 11", {12, 2, 0xFF, 0xFF, 0}, {9, 9, 9, 9, 9, 9, 9, 9}, "Invalid GIF data"},
      // Entry 7 takes code 7 itself as its prefix.
      {"entry that is its own prefix",
       PackCodes(2, {{4, 3}, {0, 3}, {7, 3}, {1, 3}, {7, 4}, {5, 4}}),
       {0, 0, 0, 1, 9, 9, 9, 9},
       "Circular decoder table entry"},
      // Entries 11 and 12 take each other as prefix.
      {"prefix chain through two entries",
       PackCodes(3, {{8, 4}, {0, 4}, {12, 4}, {11, 4}, {1, 4}, {11, 4}, {9, 4}}),
       {0, 0, 0, 0, 0, 0, 1, 9},
       "Circular decoder table entry"},
      // A sub-block of 9 bytes of which one is there: clear and 1, then nothing.
      {"data ends inside a sub-block",
       {2, 9, 0x8C},
       {1, 9, 9, 9, 9, 9, 9, 9},
       "Premature end of data"},
      {"data ends before its terminator",
       PackCodes(2, {{4, 3}, {0, 3}, {1, 3}, {2, 3}, {3, 4}}, 255, false),
       {0, 1, 2, 3, 9, 9, 9, 9},
       "Premature end of data"},
      {"codes run out before the pixels",
       PackCodes(2, {{4, 3}, {0, 3}, {1, 3}, {2, 3}, {3, 4}}),
       {0, 1, 2, 3, 9, 9, 9, 9},
       "Decoder bit buffer under-run"},
  };
}

TEST(GIFDecoder, MalformedDataKeepsWhatDecodedAndWarns) {
  for (const MalformedCase& c : MalformedCases()) {
    std::vector<std::string> warnings;
    EXPECT_EQ(DecodeData(c.data, 8, 1, false, &warnings, 9), c.expected) << c.name;
    EXPECT_NE(std::find(warnings.begin(), warnings.end(), c.warning), warnings.end()) << c.name;
  }
}

TEST(GIFDecoder, LeavesTheStreamAfterTheTerminatorEvenWithSurplusCodes) {
  std::vector<uint8_t> data = EncodeData(ecLZW, {1, 2, 3, 1, 2, 3, 0, 0}, 8, 1, 2);
  data.push_back(';');
  plat::TReadOnlyMemoryStream in(data.data(), int64_t(data.size()));
  std::vector<uint8_t> pixels(4);
  DecodeImageData(in, pixels.data(), 4, 1, false, [](const std::string&) {});
  EXPECT_EQ(pixels, (std::vector<uint8_t>{1, 2, 3, 1}));
  EXPECT_EQ(in.Position(), int64_t(data.size()) - 1);
}

TEST(GIFHashTable, FindsStoredCodesAndResets) {
  THashTable table;
  for (uint32_t key = 0; key < 4000; ++key)
    ASSERT_TRUE(table.StoreCode(key * 4099 % 0xFFFFF, int(key)));
  for (uint32_t key = 0; key < 4000; ++key)
    EXPECT_EQ(table.FindCode(key * 4099 % 0xFFFFF), int(key));
  table.ResetTable();
  EXPECT_EQ(table.FindCode(4099), -1);
}

}  // namespace
}  // namespace pictavo::test
