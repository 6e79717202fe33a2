#include "control/formats/support/icutils.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <vector>

#include "platform/base/exceptions.h"
#include "platform/base/streams.h"

namespace pictavo {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes Pack(const Bytes& in) {
  plat::TMemoryStream out;
  PackBits(out, in.data(), static_cast<int64_t>(in.size()));
  return out.Bytes();
}

Bytes Unpack(const Bytes& packed, int64_t count) {
  plat::TMemoryStream source(packed);
  plat::TMemoryStream dest;
  UnPackBits(dest, source, count);
  return dest.Bytes();
}

TEST(IcUtils, BitsAreNumberedFromTheMostSignificant) {
  EXPECT_EQ(GetBit(128, 1), 1);
  EXPECT_EQ(GetBit(128, 2), 0);
  EXPECT_EQ(GetBit(1, 8), 1);
  EXPECT_EQ(GetBitFillOrder(1, 1, true), 1);
  EXPECT_EQ(GetBitFillOrder(1, 1, false), 0);
  EXPECT_EQ(GetBitFillOrder(0x40, 2, false), 1);
  uint8_t b = 0;
  SetBit(b, 1, 1);
  SetBit(b, 8, 1);
  EXPECT_EQ(b, 0x81);
  SetBit(b, 1, 2);  // any state but 1 clears
  EXPECT_EQ(b, 0x01);
  SetBit(b, 9, 1);  // no such bit: nothing changes
  EXPECT_EQ(b, 0x01);
}

TEST(IcUtils, Nibbles) {
  EXPECT_EQ(GetNibble(0xA3, 0), 0xA);
  EXPECT_EQ(GetNibble(0xA3, 1), 0x3);
  EXPECT_EQ(GetNibble(0xA3, 2), 0);
  uint8_t low = 0xA3, high = 0xA3, other = 0xA3;
  SetNibble(low, 1, 5);
  SetNibble(high, 0, 5);
  SetNibble(other, 7, 5);
  EXPECT_EQ(low, 0xA5);
  EXPECT_EQ(high, 0x53);
  EXPECT_EQ(other, 0xA3);
}

TEST(IcUtils, PackBitsEncodesRunsAndLiterals) {
  struct Case {
    const char* name;
    Bytes in;
    Bytes expected;
  };
  Bytes different129(129);
  for (size_t i = 0; i < different129.size(); ++i) different129[i] = static_cast<uint8_t>(i);
  Bytes literal128(131);
  literal128[0] = 0x7F;
  std::copy(different129.begin(), different129.begin() + 128, literal128.begin() + 1);
  literal128[129] = 0x00;
  literal128[130] = different129[128];
  const std::vector<Case> cases = {
      {"pair after a single", {'A', 'B', 'B'}, {0x00, 'A', 0xFF, 'B'}},
      {"130 equal bytes", Bytes(130, 7), {0x81, 7, 0xFF, 7}},
      {"129 different bytes", different129, literal128},
      {"single byte", {9}, {0x00, 9}},
      {"empty", {}, {}},
      {"literal stops before a pair", {1, 2, 3, 3, 4}, {0x01, 1, 2, 0xFF, 3, 0x00, 4}},
  };
  for (const Case& c : cases) EXPECT_EQ(Pack(c.in), c.expected) << c.name;
}

TEST(IcUtils, UnPackBitsDecodesRunsLiteralsAndNoOps) {
  EXPECT_EQ(Unpack({0xFE, 0x41}, 2), Bytes(3, 0x41));
  EXPECT_EQ(Unpack({0x80}, 1), Bytes{});
  EXPECT_EQ(Unpack({0x02, 1, 2, 3, 0x80, 0xFF, 9}, 7), (Bytes{1, 2, 3, 9, 9}));
}

TEST(IcUtils, UnPackBitsStopsAtTheCountAndLeavesTheSourceBehindTheLastRun) {
  plat::TMemoryStream source(Bytes{0x01, 5, 6, 0xFD, 8, 0x00, 1});
  plat::TMemoryStream dest;
  UnPackBits(dest, source, 2);  // the first run is taken whole although it is 3 bytes long
  EXPECT_EQ(dest.Bytes(), (Bytes{5, 6}));
  EXPECT_EQ(source.Position(), 3);
  UnPackBits(dest, source, 2);  // the destination is cleared first
  EXPECT_EQ(dest.Bytes(), Bytes(4, 8));
  EXPECT_EQ(source.Position(), 5);
}

TEST(IcUtils, TruncatedInputRaisesAndKeepsWhatWasDecoded) {
  for (const Bytes& broken : {Bytes{0x05, 0x01}, Bytes{0x00, 7, 0xFE}, Bytes{}}) {
    plat::TMemoryStream source(broken);
    plat::TMemoryStream dest;
    try {
      UnPackBits(dest, source, 10);
      ADD_FAILURE() << "no error";
    } catch (const plat::Exception& e) {
      EXPECT_STREQ(e.what(), "Error in UnPackBits procedure");
    }
    if (broken.size() == 3) {
      EXPECT_EQ(dest.Bytes(), Bytes{7});
    }
  }
}

TEST(IcUtils, PackBitsRoundTripsAndNeverHoldsEqualNeighboursInALiteral) {
  std::mt19937 random(99);
  std::vector<Bytes> inputs;
  for (int n : {1, 2, 3, 127, 128, 129, 255, 256, 257, 1000, 4097}) {
    Bytes noise(n), runs, few(n);
    for (auto& b : noise) b = static_cast<uint8_t>(random());
    for (auto& b : few) b = static_cast<uint8_t>(random() % 3);
    while (static_cast<int>(runs.size()) < n)
      runs.insert(runs.end(), 1 + random() % 300, static_cast<uint8_t>(random()));
    runs.resize(n);
    inputs.insert(inputs.end(), {noise, runs, few, Bytes(n, 0xAA)});
  }
  for (const Bytes& in : inputs) {
    const Bytes packed = Pack(in);
    EXPECT_EQ(Unpack(packed, static_cast<int64_t>(packed.size())), in) << in.size();
    for (size_t at = 0; at < packed.size();) {
      const int8_t n = static_cast<int8_t>(packed[at]);
      if (n >= 0) {
        for (int i = 1; i < n + 1 && n + 1 < 128; ++i)
          EXPECT_NE(packed[at + i], packed[at + i + 1]) << "equal pair inside a literal";
        at += n + 2;
      } else {
        at += 2;
      }
    }
  }
}

TEST(IcUtils, DelayPassesAtLeastTheTime) {
  const auto start = std::chrono::steady_clock::now();
  Delay(15);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(15));
}

}  // namespace
}  // namespace pictavo
