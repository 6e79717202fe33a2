// Saving over a file: a failed write leaves the old file as it was and nothing beside it; a
// save follows the file (links, modes) the way an editor does.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "control/engine/raster/ticbitmap.h"
#include "platform/base/exceptions.h"
#include "platform/base/streams.h"
#include "support/test_files.h"

namespace pictavo {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

TicBitmap Noise(int width, int height) {
  TicBitmap image;
  image.SetPixelFormat(plat::TPixelFormat::pf24bit);
  image.SetSize(width, height);
  uint32_t state = 12345;
  for (int y = 0; y < height; ++y) {
    uint8_t* row = image.ScanLine(y);
    for (int x = 0; x < 3 * width; ++x) {
      state = state * 1103515245u + 12345u;
      row[x] = static_cast<uint8_t>(state >> 16);
    }
  }
  image.UpdateColorFormat();
  return image;
}

using velmora::test::ReadBytes;

void WriteText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

class SafeSave : public testing::Test {
 protected:
  void SetUp() override {
    dir_ =
        fs::temp_directory_path() / ("safe_save_" + std::to_string(getpid()) + "_" +
                                     testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  fs::path dir_;
};

// Every writer, on a disk that fills up: the file size limit stands in for a full disk, with
// its signal ignored so the write itself fails as it would with ENOSPC.
TEST_F(SafeSave, EveryWriterOnAFullDiskFailsAndLeavesTheOldFileAndNothingElse) {
  for (const char* extension : {"bmp", "gif", "jpg", "png", "tif", "pcx", "psd", "wbmp"}) {
    const std::string path = Path(std::string("old.") + extension);
    const std::string old_text(1000, 'o');
    WriteText(path, old_text);
    const pid_t child = fork();
    if (child == 0) {
      std::signal(SIGXFSZ, SIG_IGN);
      const rlimit limit{8192, 8192};
      setrlimit(RLIMIT_FSIZE, &limit);
      int code = 3;
      try {
        Noise(300, 300).SaveImageFile(path, true, 90);
        code = 1;  // reported success
      } catch (const plat::EInvalidGraphic& e) {
        code = std::string(e.what()).rfind("Not available", 0) == 0 ? 0 : 2;
      } catch (const plat::Exception&) {
        code = 0;
      }
      _exit(code);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status)) << extension << " died, status " << status;
    EXPECT_EQ(WEXITSTATUS(status), 0) << extension;
    EXPECT_EQ(ReadBytes(path), Bytes(old_text.begin(), old_text.end())) << extension;
    EXPECT_EQ(Names(), std::vector<std::string>{std::string("old.") + extension}) << extension;
    fs::remove(path);
  }
}

TEST_F(SafeSave, ALinkStaysALinkAndTheFileItNamesGetsTheContent) {
  fs::create_directories(dir_ / "real");
  const std::string real = Path("real/picture.bmp");
  WriteText(real, "old");
  fs::create_symlink(real, Path("link.bmp"));
  Noise(8, 8).SaveImageFile(Path("link.bmp"), false, 75);
  EXPECT_TRUE(fs::is_symlink(Path("link.bmp")));
  TicBitmap back;
  back.LoadImageFile(real, 0);
  EXPECT_EQ(back.Width(), 8);
  EXPECT_EQ(Names(), (std::vector<std::string>{"link.bmp", "real"}));
}

TEST_F(SafeSave, AFileWithSeveralNamesIsSplitAndKeepsItsMode) {
  const std::string path = Path("a.bmp");
  WriteText(path, "old");
  fs::create_hard_link(path, Path("b.bmp"));
  fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  Noise(8, 8).SaveImageFile(path, false, 75);
  EXPECT_EQ(ReadBytes(Path("b.bmp")), (Bytes{'o', 'l', 'd'}));
  EXPECT_NE(ReadBytes(path), ReadBytes(Path("b.bmp")));
  EXPECT_EQ(fs::status(path).permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST_F(SafeSave, AReadOnlyFileIsRefusedByItsModeEvenForRoot) {
  const std::string path = Path("locked.bmp");
  WriteText(path, "old");
  fs::permissions(path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  try {
    Noise(8, 8).SaveImageFile(path, false, 75);
    ADD_FAILURE() << "saved over a read-only file";
  } catch (const plat::EFCreateError& e) {
    EXPECT_EQ(std::string(e.what()).rfind("Cannot create file \"" + path + "\".", 0), 0u)
        << e.what();
  }
  EXPECT_EQ(ReadBytes(path), (Bytes{'o', 'l', 'd'}));
  EXPECT_EQ(Names(), std::vector<std::string>{"locked.bmp"});
}

TEST_F(SafeSave, AFailingWriterLeavesNoTemporary) {
  const std::string path = Path("kept.bin");
  WriteText(path, "old");
  EXPECT_THROW(plat::WriteFileReplacing(path,
                                        [](plat::TStream& out) {
                                          out.WriteByte(1);
                                          throw plat::EWriteError("Stream write error");
                                        }),
               plat::EWriteError);
  EXPECT_EQ(ReadBytes(path), (Bytes{'o', 'l', 'd'}));
  EXPECT_EQ(Names(), std::vector<std::string>{"kept.bin"});
}

// A save killed outright, half written: the old file is whole and nothing else is left in its
// folder. The child tells the parent through a pipe when half its data is out, then waits to be
// killed, so the kill always lands inside the save.
TEST_F(SafeSave, ASaveKilledHalfWayLeavesTheOldFileWholeAndNothingBesideIt) {
  const std::string path = Path("photo.bmp");
  Noise(64, 48).SaveImageFile(path, false, 75);
  const Bytes before = ReadBytes(path);
  const Bytes replacement = Noise(640, 480).SaveToBytes(gfBMP, false, 75);
  int channel[2];
  ASSERT_EQ(pipe(channel), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    close(channel[0]);
    plat::WriteFileReplacing(path, [&](plat::TStream& out) {
      const int64_t half = static_cast<int64_t>(replacement.size() / 2);
      out.WriteBuffer(replacement.data(), half);
      (void)!write(channel[1], "h", 1);
      for (;;) pause();
    });
    _exit(0);
  }
  close(channel[1]);
  char signal_byte = 0;
  const bool halfway = read(channel[0], &signal_byte, 1) == 1;
  close(channel[0]);
  kill(child, SIGKILL);
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(halfway) << "the child never reached the middle of its save";
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
  EXPECT_EQ(ReadBytes(path), before);
  EXPECT_EQ(Names(), std::vector<std::string>{"photo.bmp"});
}

// A large save killed at random moments, many of them inside the flush to the disk that takes
// most of its time: whenever it dies, the folder holds the file and nothing else, with its old or
// its new content whole.
TEST_F(SafeSave, ALargeSaveKilledAtRandomMomentsLeavesOnlyTheFileOldOrNew) {
  const std::string path = Path("document.pdf");
  const std::string old_text = "%PDF-1.4 the old document";
  const Bytes old_content(old_text.begin(), old_text.end());
  Bytes replacement(8 << 20);
  uint32_t state = 99;
  for (uint8_t& byte : replacement)
    byte = static_cast<uint8_t>((state = state * 69069u + 1u) >> 24);

  // Returns once the child has started its save.
  const auto start_save = [&] {
    int channel[2];
    EXPECT_EQ(pipe(channel), 0);
    const pid_t child = fork();
    if (child == 0) {
      close(channel[0]);
      (void)!write(channel[1], "s", 1);
      plat::WriteFileReplacing(path, [&](plat::TStream& out) {
        out.WriteBuffer(replacement.data(), static_cast<int64_t>(replacement.size()));
      });
      _exit(0);
    }
    close(channel[1]);
    char started = 0;
    EXPECT_EQ(read(channel[0], &started, 1), 1);
    close(channel[0]);
    return child;
  };

  // One save left to finish shows how long a save takes on this disk.
  WriteText(path, old_text);
  const auto begin = std::chrono::steady_clock::now();
  int status = 0;
  waitpid(start_save(), &status, 0);
  const auto whole_save = std::chrono::steady_clock::now() - begin;
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  ASSERT_EQ(plat::ReadWholeFile(path), replacement);

  std::mt19937 random(20261211);
  std::uniform_int_distribution<int64_t> moment(
      0, std::chrono::duration_cast<std::chrono::microseconds>(whole_save).count());
  int kept_old = 0;
  for (int kill_number = 0; kill_number < 20; ++kill_number) {
    WriteText(path, old_text);
    const pid_t child = start_save();
    std::this_thread::sleep_for(std::chrono::microseconds(moment(random)));
    kill(child, SIGKILL);
    waitpid(child, &status, 0);
    EXPECT_EQ(Names(), std::vector<std::string>{"document.pdf"}) << "kill " << kill_number;
    const Bytes now = plat::ReadWholeFile(path);
    EXPECT_TRUE(now == old_content || now == replacement) << "kill " << kill_number;
    kept_old += now == old_content;
  }
  // Most kills land before the rename at the very end.
  EXPECT_GT(kept_old, 0);
}

TEST_F(SafeSave, NamesAtTheFileSystemsLimitAreWrittenAndReplaced) {
  // 255 bytes each; in the second, a three-byte character straddles the temporary's cut.
  for (const std::string& name :
       {std::string(251, 'n') + ".bin",
        std::string(245, 'n') + "\xE2\x82\xAC" + std::string(3, 'n') + ".bin"}) {
    const std::string path = Path(name);
    WriteText(path, "old");
    plat::WriteFileReplacing(path, [](plat::TStream& out) { out.WriteByte(7); });
    EXPECT_EQ(ReadBytes(path), Bytes{7});
    EXPECT_EQ(Names(), std::vector<std::string>{name});
    fs::remove(path);
  }
}

// An unnamed temporary takes its name for the rename in the cache's staging folder, so a save
// killed in that moment leaves the name there, not beside the user's file: a later save clears
// such names once they are stale, keeps fresh ones (another save may be renaming), and leaves
// nothing of its own.
TEST_F(SafeSave, StaleNamesInTheStagingFolderAreClearedByTheNextSave) {
  const char* cache = std::getenv("XDG_CACHE_HOME");
  ASSERT_NE(cache, nullptr);
  const fs::path staging = fs::path(cache) / "velmora" / "saving";
  // The test program's own cache: what earlier cases' killed saves left there goes first.
  fs::remove_all(staging);
  fs::create_directories(staging);
  struct stat folder {};
  struct stat ours {};
  ASSERT_EQ(stat(dir_.c_str(), &folder), 0);
  ASSERT_EQ(stat(staging.c_str(), &ours), 0);
  if (folder.st_dev != ours.st_dev) GTEST_SKIP() << "the cache folder is on another file system";
  const auto listing = [&staging] {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(staging))
      names.push_back(entry.path().filename().string());
    return names;
  };
  const fs::path stale = staging / ".report.pdf.a1b2c3";
  const fs::path fresh = staging / ".report.pdf.d4e5f6";
  WriteText(stale.string(), "killed two hours ago");
  fs::last_write_time(stale, fs::file_time_type::clock::now() - std::chrono::hours(2));
  WriteText(fresh.string(), "killed a moment ago");

  const std::string path = Path("saved.bin");
  WriteText(path, "old");
  plat::WriteFileReplacing(path, [](plat::TStream& out) { out.WriteByte(7); });

  EXPECT_EQ(ReadBytes(path), Bytes{7});
  EXPECT_EQ(Names(), std::vector<std::string>{"saved.bin"});
  EXPECT_EQ(listing(), std::vector<std::string>{fresh.filename().string()});
  fs::remove(fresh);
}

}  // namespace
}  // namespace pictavo
