#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

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

// The file stream reads ahead: any mix of small and large reads, seeks from every origin and
// writes in between must give what a memory stream holding the same bytes gives.
TEST(FileStream, ReadingAheadAgreesWithAMemoryStreamThroughMixedOperations) {
  const std::string path =
      (std::filesystem::temp_directory_path() / "velmora_file_stream_model.bin").string();
  std::vector<uint8_t> start(300000);
  std::mt19937 rng(5);
  for (uint8_t& b : start) b = static_cast<uint8_t>(rng());
  {
    TFileStream create(path, FileMode::Create);
    create.WriteBuffer(start.data(), static_cast<int64_t>(start.size()));
  }
  TFileStream file(path, FileMode::OpenReadWrite);
  TMemoryStream model(start);
  std::vector<uint8_t> a, b;
  for (int step = 0; step < 3000; ++step) {
    SCOPED_TRACE(step);
    const int64_t size = model.Size();
    switch (rng() % 6) {
      case 0:
      case 1: {  // mostly small reads, as decoders do; now and then one larger than the buffer
        const int64_t count = rng() % 8 == 0 ? 60000 + rng() % 150000 : 1 + rng() % 40;
        a.assign(static_cast<size_t>(count), 0);
        b.assign(static_cast<size_t>(count), 0);
        ASSERT_EQ(file.Read(a.data(), count), model.Read(b.data(), count));
        ASSERT_TRUE(a == b);
        break;
      }
      case 2: {
        const int64_t to = static_cast<int64_t>(rng() % size);
        ASSERT_EQ(file.Seek(to, SeekOrigin::Begin), model.Seek(to, SeekOrigin::Begin));
        break;
      }
      case 3: {
        const int64_t back = std::min<int64_t>(model.Position(), rng() % 2000);
        ASSERT_EQ(file.Seek(-back, SeekOrigin::Current), model.Seek(-back, SeekOrigin::Current));
        break;
      }
      case 4: {
        const int64_t back = static_cast<int64_t>(rng() % 100000);
        ASSERT_EQ(file.Seek(-back, SeekOrigin::End), model.Seek(-back, SeekOrigin::End));
        break;
      }
      default: {
        std::vector<uint8_t> bytes(1 + rng() % 50);
        for (uint8_t& x : bytes) x = static_cast<uint8_t>(rng());
        ASSERT_EQ(file.Write(bytes.data(), static_cast<int64_t>(bytes.size())),
                  model.Write(bytes.data(), static_cast<int64_t>(bytes.size())));
      }
    }
    ASSERT_EQ(file.Position(), model.Position());
  }
  file.SetPosition(0);
  std::vector<uint8_t> whole(static_cast<size_t>(file.Size()));
  file.ReadBuffer(whole.data(), static_cast<int64_t>(whole.size()));
  EXPECT_TRUE(whole == model.Bytes());
  std::filesystem::remove(path);
}

// A window counts from where its target stood and ends where its own writes end, whatever the
// target held before or beyond; the target keeps everything the window did not write over.
TEST(WriteWindow, CountsFromTheTargetPositionAndEndsAtItsLastWrite) {
  TMemoryStream target({'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h', 'i', 'j'});
  target.SetPosition(3);
  TWriteWindow window(target);
  EXPECT_EQ(window.Size(), 0);
  window.WriteBuffer("XYZ", 3);
  EXPECT_EQ(window.Position(), 3);
  window.SetPosition(1);
  window.WriteByte('q');
  EXPECT_EQ(window.Seek(0, SeekOrigin::End), 3);  // not the target's end
  window.WriteByte('!');
  EXPECT_EQ(window.Size(), 4);
  EXPECT_EQ(target.Position(), 7);
  uint8_t unused = 0;
  EXPECT_EQ(window.Read(&unused, 1), 0);
  EXPECT_THROW(window.Seek(-1, SeekOrigin::Begin), EStreamError);
  const std::string bytes(target.Bytes().begin(), target.Bytes().end());
  EXPECT_EQ(bytes, "abcXqZ!hij");
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
