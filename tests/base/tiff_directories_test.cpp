// TIFF directories read from bytes and laid out again: round trip in both byte orders, values
// that keep their place, and directories whose values would multiply the data in memory.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/base/exceptions.h"
#include "platform/base/tiff_directories.h"

namespace {

using plat::TiffDirectory;
using plat::TiffField;

TiffField Ascii(uint16_t tag, const std::string& text) {
  std::vector<uint8_t> value(text.begin(), text.end());
  value.push_back(0);
  return {tag, 2, static_cast<uint32_t>(value.size()), value, {}};
}

TEST(TiffDirectories, LaidOutAndReadBackInEitherByteOrder) {
  for (bool big : {false, true}) {
    std::vector<uint8_t> out(8);
    plat::TiffLayout layout(out, big, 8);
    TiffDirectory directory;
    directory.Set(Ascii(0x013B, "A long artist name"));
    directory.Set(plat::TiffLongField(0x0100, 640, big));
    directory.Set(Ascii(0x010F, "Cam"));  // fits in the entry
    directory.next = 1234;
    const uint64_t at = layout.PlaceDirectory(directory);
    const TiffDirectory read = plat::ReadTiffDirectory(out, big, at);
    ASSERT_EQ(read.fields.size(), 3u);
    EXPECT_EQ(read.fields[0].tag, 0x0100);  // sorted by tag
    EXPECT_EQ(plat::TiffNumber(read.fields[0], big), 640u);
    EXPECT_EQ(read.Find(0x013B)->value, Ascii(0x013B, "A long artist name").value);
    EXPECT_EQ(read.Find(0x010F)->value, Ascii(0x010F, "Cam").value);
    EXPECT_EQ(read.next, 1234u);
  }
}

TEST(TiffDirectories, AValueThatKeepsItsPlaceIsNeverOverlaid) {
  std::vector<uint8_t> out(8);
  plat::TiffLayout layout(out, false, 8);
  TiffField note = Ascii(0x927C, "note at forty");
  note.at = 40;
  layout.Keep(40, note.value.size());
  TiffDirectory directory;
  directory.Set(Ascii(0x013B, std::string(50, 'x')));  // would run over offset 40
  directory.Set(note);
  const uint64_t at = layout.PlaceDirectory(directory);
  const TiffDirectory read = plat::ReadTiffDirectory(out, false, at);
  EXPECT_EQ(read.Find(0x927C)->at, 40u);
  EXPECT_EQ(read.Find(0x927C)->value, note.value);
  EXPECT_EQ(read.Find(0x013B)->value, Ascii(0x013B, std::string(50, 'x')).value);
  EXPECT_GE(*read.Find(0x013B)->at, 40u + note.value.size());
}

TEST(TiffDirectories, DamagedDirectoriesAreRefused) {
  // Two entries whose 40-byte values are the same bytes: more value than the data holds.
  std::vector<uint8_t> shared = {2, 0};
  for (int i = 0; i < 2; ++i)
    shared.insert(shared.end(), {0x0E, 0x01, 2, 0, 40, 0, 0, 0, 30, 0, 0, 0});
  shared.resize(70, 'x');
  EXPECT_THROW(plat::ReadTiffDirectory(shared, false, 0), plat::EReadError);
  std::vector<uint8_t> outside = {1, 0, 0x0E, 0x01, 2, 0, 40, 0, 0, 0, 200, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_THROW(plat::ReadTiffDirectory(outside, false, 0), plat::EReadError);
  EXPECT_THROW(plat::ReadTiffDirectory(outside, false, 17), plat::EReadError);
}

}  // namespace
