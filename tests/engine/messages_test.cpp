// What a load or a save says when it cannot be done: the message must name the real cause (a
// full disk, a pipe or a device in place of a file), and a GIF frame that reaches past its
// logical screen is judged by the part on the screen.
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "control/engine/raster/ticbitmap.h"
#include "platform/base/exceptions.h"
#include "platform/base/streams.h"
#include "platform/graphics/pixel_budget.h"

namespace pictavo {
namespace {

namespace fs = std::filesystem;

// The message of what work raised; "" when it raised nothing.
std::string MessageOf(const std::function<void()>& work) {
  try {
    work();
  } catch (const std::exception& e) {
    return e.what();
  }
  return "";
}

TicBitmap Noise(int width, int height) {
  TicBitmap image;
  image.SetPixelFormat(plat::TPixelFormat::pf24bit);
  image.SetSize(width, height);
  uint32_t state = 7;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < 3 * width; ++x)
      image.ScanLine(y)[x] = static_cast<uint8_t>((state = state * 1103515245u + 12345u) >> 16);
  return image;
}

// The message of work run in a child process on a 64 KB file system mounted at folder, which
// only that process sees; nullopt where this system does not let the test mount one.
std::optional<std::string> MessageOnASmallDisk(const std::string& folder,
                                               const std::function<void()>& work) {
  int channel[2];
  if (pipe(channel) != 0) return std::nullopt;
  const pid_t child = fork();
  if (child == 0) {
    close(channel[0]);
    std::string message = "\x01";
    if (unshare(CLONE_NEWNS) == 0 &&
        mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
        mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=64k") == 0)
      message = MessageOf(work);
    (void)!write(channel[1], message.data(), message.size());
    _exit(0);
  }
  close(channel[1]);
  std::string message;
  char buffer[512];
  for (ssize_t n; (n = read(channel[0], buffer, sizeof buffer)) > 0;)
    message.append(buffer, size_t(n));
  close(channel[0]);
  waitpid(child, nullptr, 0);
  if (message == "\x01") return std::nullopt;
  return message;
}

struct TFrame {
  uint16_t left, top, width, height;
};

// A GIF of a logical screen and frames whose data holds one pixel and ends: far less than a
// frame of any size needs.
std::vector<uint8_t> GifWithFrames(uint16_t width, uint16_t height,
                                   const std::vector<TFrame>& frames) {
  const auto word = [](std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
  };
  std::vector<uint8_t> gif = {'G', 'I', 'F', '8', '9', 'a'};
  word(gif, width);
  word(gif, height);
  gif.insert(gif.end(), {0x80, 0, 0, 0, 0, 0, 255, 255, 255});  // two colours
  for (const TFrame& f : frames) {
    gif.push_back(',');
    word(gif, f.left);
    word(gif, f.top);
    word(gif, f.width);
    word(gif, f.height);
    // No local colours; code size 2; codes clear, 0, end in one sub-block.
    gif.insert(gif.end(), {0, 2, 2, 0x44, 0x01, 0});
  }
  gif.push_back(';');
  return gif;
}

class Messages : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("messages_" + std::to_string(getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }
  fs::path dir_;
};

TEST_F(Messages, TheMessageNamesTheCause) {
  ASSERT_EQ(mkfifo(Path("pipe.png").c_str(), 0600), 0);
  fs::create_directories(Path("small"));
  const auto load_gif = [](const std::vector<uint8_t>& bytes) {
    return [bytes] {
      TicBitmap image;
      image.UseLZW = true;
      image.LoadFromBytes(bytes.data(), static_cast<int64_t>(bytes.size()), 0);
      if (image.Width() != 16 || image.Height() != 16) throw plat::Exception("not the screen");
    };
  };
  struct Case {
    const char* what;
    std::function<std::optional<std::string>()> message;
    std::string expected;
  } cases[] = {
      {"a save to a full disk",
       [&] {
         return MessageOnASmallDisk(Path("small"), [&] {
           Noise(300, 300).SaveImageFile(Path("small/photo.bmp"), false, 75);
         });
       },
       "Cannot write file \"" + Path("small/photo.bmp") + "\": the disk is full"},
      {"a write to a device that is full",
       [] {
         return MessageOf([] {
           plat::TFileStream full("/dev/full", plat::FileMode::OpenReadWrite);
           full.WriteBuffer("abc", 3);
         });
       },
       "Cannot write file \"/dev/full\": the disk is full"},
      {"a load from a named pipe",
       [&] { return MessageOf([&] { TicBitmap().LoadImageFile(Path("pipe.png"), 0); }); },
       "pipe.png is not a regular file"},
      {"a load from a device",
       [] { return MessageOf([] { TicBitmap().LoadImageFile("/dev/zero", 0); }); },
       "zero is not a regular file"},
      {"a load of a missing file",
       [&] { return MessageOf([&] { TicBitmap().LoadImageFile(Path("gone.png"), 0); }); },
       "File not found: gone.png"},
      {"a GIF whose frame lies wholly outside its screen",
       [&] {
         return MessageOf(load_gif(GifWithFrames(16, 16, {{60000, 60000, 200, 200}})));
       },
       ""},
      {"a GIF whose frame reaches past its screen",
       [&] {
         return MessageOf(load_gif(GifWithFrames(16, 16, {{0, 0, 200, 200}})));
       },
       ""},
      {"a GIF whose frame on its screen has too little data",
       [&] {
         return MessageOf(load_gif(GifWithFrames(200, 200, {{0, 0, 200, 200}})));
       },
       plat::kImageTooLarge},
      {"a GIF whose frames off its screen go past one file's allowance",
       [&] {
         return MessageOf(
             load_gif(GifWithFrames(16, 16, {{100, 0, 3000, 3000}, {100, 0, 3000, 3000}})));
       },
       plat::kImageTooLarge},
  };
  for (const Case& c : cases) {
    const std::optional<std::string> message = c.message();
    if (!message) {
      std::printf("skipped, cannot mount a file system here: %s\n", c.what);
      continue;
    }
    EXPECT_EQ(*message, c.expected) << c.what;
  }
}

}  // namespace
}  // namespace pictavo
