#include <gtest/gtest.h>

#include <filesystem>

#include "platform/base/exceptions.h"
#include "platform/base/rounding.h"
#include "platform/base/streams.h"

namespace plat {
namespace {

TEST(MemoryStream, ShortReadBufferIsAnErrorButReadReturnsWhatIsThere) {
  TMemoryStream m({1, 2, 3});
  uint8_t buf[4] = {};
  EXPECT_EQ(m.Read(buf, 4), 3);
  m.SetPosition(1);
  EXPECT_THROW(m.ReadBuffer(buf, 3), EReadError);
}

TEST(MemoryStream, WritePastEndGrowsAndSeekBeforeStartFails) {
  TMemoryStream m;
  m.SetPosition(2);
  m.WriteByte(7);
  EXPECT_EQ(m.Bytes(), (std::vector<uint8_t>{0, 0, 7}));
  EXPECT_THROW(m.Seek(-4, SeekOrigin::End), EStreamError);
}

TEST(FileStream, MissingFileGivesTheOpenMessage) {
  try {
    TFileStream f("/nonexistent/x.bmp", FileMode::OpenRead);
    FAIL();
  } catch (const EFOpenError& e) {
    EXPECT_EQ(std::string(e.what()).rfind("Cannot open file \"/nonexistent/x.bmp\". ", 0), 0u);
  }
}

TEST(WriteFileReplacing, FailedWriteKeepsTheOldFile) {
  auto dir = std::filesystem::temp_directory_path() / "velmora_replace_test";
  std::filesystem::create_directories(dir);
  std::string path = (dir / "keep.bin").string();
  WriteFileReplacing(path, [](TStream& s) { s.WriteByte(1); });
  EXPECT_THROW(WriteFileReplacing(path,
                                  [](TStream& s) {
                                    s.WriteByte(2);
                                    throw Exception("boom");
                                  }),
               Exception);
  EXPECT_EQ(ReadWholeFile(path), std::vector<uint8_t>{1});
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 1);
  std::filesystem::remove_all(dir);
}

TEST(Rounding, HalvesToEvenDiffersFromTruncHalfUp) {
  struct Case {
    double x;
    int64_t even, half_up;
  } cases[] = {{2.5, 2, 3}, {3.5, 4, 4}, {-2.5, -2, -2}, {0.49, 0, 0}, {-0.7, -1, 0}};
  for (const auto& c : cases) {
    EXPECT_EQ(RoundHalfEven(c.x), c.even) << c.x;
    EXPECT_EQ(TruncHalfUp(c.x), c.half_up) << c.x;
  }
}

}  // namespace
}  // namespace plat
