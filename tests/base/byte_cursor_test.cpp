#include "platform/base/byte_cursor.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>

namespace {

// Stands in for a format's own error so the test sees which part the reader was in.
struct ShortRead : std::runtime_error {
  using std::runtime_error::runtime_error;
};

[[noreturn]] void RaiseShortRead(std::string_view what) {
  throw ShortRead("ends early in [" + std::string(what) + "]");
}

constexpr std::array<uint8_t, 7> kBytes = {0x12, 0x34, 0x56, 0x78, 0x9A, 'o', 'k'};

std::string ShortReadMessage(void (*read)(plat::TByteCursor&)) {
  plat::TByteCursor cursor(kBytes, RaiseShortRead);
  try {
    read(cursor);
  } catch (const ShortRead& error) {
    return error.what();
  }
  return "no error";
}

TEST(ByteCursor, ReadsNumbersInEitherByteOrderAndKeepsItsPlace) {
  plat::TByteCursor big(kBytes, RaiseShortRead);
  EXPECT_EQ(big.Word(), 0x1234);
  EXPECT_EQ(big.Byte(), 0x56);
  EXPECT_EQ(big.Position(), 3u);
  EXPECT_EQ(big.DWordAt(0), 0x12345678u);
  EXPECT_EQ(big.Position(), 3u);

  plat::TByteCursor little(kBytes, RaiseShortRead, false);
  EXPECT_EQ(little.DWord(), 0x78563412u);
  little.Skip(1);
  EXPECT_EQ(little.Text(2), "ok");
  EXPECT_TRUE(little.AtEnd());
  EXPECT_EQ(little.WordAt(3), 0x9A78);
}

TEST(ByteCursor, EveryShortReadRaisesTheReadersOwnErrorNamingThePart) {
  struct Case {
    void (*read)(plat::TByteCursor&);
    const char* message;
  };
  const Case cases[] = {
      {[](plat::TByteCursor& c) { c.Seek(6), c.Word("the header"); }, "ends early in [the header]"},
      {[](plat::TByteCursor& c) { c.Seek(4), c.DWord(); }, "ends early in []"},
      {[](plat::TByteCursor& c) { c.Skip(8, "a skip"); }, "ends early in [a skip]"},
      {[](plat::TByteCursor& c) { c.Seek(8, "a seek"); }, "ends early in [a seek]"},
      {[](plat::TByteCursor& c) { c.Bytes(8, "a run"); }, "ends early in [a run]"},
      // Offsets that wrap around in 64-bit arithmetic must not pass the check.
      {[](plat::TByteCursor& c) { c.BytesAt(2, std::numeric_limits<uint64_t>::max() - 1, "wrap"); },
       "ends early in [wrap]"},
      {[](plat::TByteCursor& c) { c.DWordAt(std::numeric_limits<uint64_t>::max() - 1, "far"); },
       "ends early in [far]"},
  };
  for (const Case& c : cases) EXPECT_EQ(ShortReadMessage(c.read), c.message);
}

TEST(ByteCursor, TheEndItselfIsAPlaceButNotAByte) {
  plat::TByteCursor cursor(kBytes, RaiseShortRead);
  cursor.Seek(kBytes.size());
  EXPECT_TRUE(cursor.AtEnd());
  EXPECT_EQ(cursor.Bytes(0).size(), 0u);
  EXPECT_THROW(cursor.Byte(), ShortRead);
  EXPECT_EQ(cursor.Position(), kBytes.size());
}

TEST(BitReader, ReadsMostSignificantFirstOrReversedAndReportsRealBitsLeft) {
  const std::array<uint8_t, 2> bits = {0b1011'0001, 0b0000'0011};
  plat::TBitReader msb(bits);
  EXPECT_EQ(msb.Take(3), 0b101u);
  EXPECT_EQ(msb.Remaining(), 13u);
  EXPECT_EQ(msb.Peek(5), 0b10001u);
  msb.SetPosition(14);
  EXPECT_EQ(msb.Next(), 1);
  EXPECT_EQ(msb.Next(), 1);
  EXPECT_EQ(msb.Next(), -1);
  // Past the end the window reads zeros, and Remaining() says none of them are real.
  EXPECT_EQ(msb.Peek(8), 0u);

  plat::TBitReader reversed(bits, true);
  EXPECT_EQ(reversed.Take(8), 0b1000'1101u);
  reversed.SetPosition(3);
  reversed.AlignToByte();
  EXPECT_EQ(reversed.Position(), 8u);
  EXPECT_EQ(reversed.Take(2), 0b11u);
}

}  // namespace
