// Loading an image from a URL, against a file server on the loopback started by the test.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "control/engine/raster/ticbitmap.h"

extern char** environ;

namespace pictavo {
namespace {

namespace fs = std::filesystem;

// Python's file server on a free port of 127.0.0.1, serving one scratch folder.
class FileServer : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = fs::temp_directory_path() / ("url-test-" + std::to_string(::getpid()));
    fs::create_directories(dir_);
    TicBitmap image;
    image.SetPixelFormat(plat::TPixelFormat::pf24bit);
    image.SetSize(4, 3);
    image.SaveImageFile((dir_ / "small.bmp").string(), false, 75);
    std::ofstream(dir_ / "note.txt") << "just text";
    fs::copy_file(dir_ / "small.bmp", dir_ / "cut.bmp");
    fs::resize_file(dir_ / "cut.bmp", 40);

    int out[2];
    ASSERT_EQ(::pipe(out), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    const std::string folder = dir_.string();
    const char* argv[] = {"python3", "-u",        "-m",          "http.server",  "0",
                          "--bind",  "127.0.0.1", "--directory", folder.c_str(), nullptr};
    ASSERT_EQ(
        posix_spawnp(&server_, "python3", &actions, nullptr, const_cast<char**>(argv), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    // "Serving HTTP on 127.0.0.1 port 41234 (http://127.0.0.1:41234/) ..."
    FILE* first = ::fdopen(out[0], "r");
    char line[256] = {};
    ASSERT_NE(std::fgets(line, sizeof line, first), nullptr);
    std::fclose(first);
    const std::string text(line);
    const size_t at = text.find("port ");
    ASSERT_NE(at, std::string::npos) << text;
    base_ = "http://127.0.0.1:" + std::to_string(std::stoi(text.substr(at + 5))) + "/";
  }
  static void TearDownTestSuite() {
    if (server_ > 0) {
      ::kill(server_, SIGTERM);
      ::waitpid(server_, nullptr, 0);
    }
    fs::remove_all(dir_);
  }

  template <typename E>
  static std::string FailureOf(const std::string& name) {
    TicBitmap target;
    try {
      target.LoadFromURL(base_ + name, "", 1, "");
    } catch (const E& e) {
      EXPECT_EQ(target.Width(), 0);
      return e.what();
    }
    return "(loaded)";
  }

  static inline fs::path dir_;
  static inline pid_t server_ = 0;
  static inline std::string base_;
};

TEST_F(FileServer, LoadsTheImageTheServerSends) {
  TicBitmap image;
  image.LoadFromURL(base_ + "small.bmp", "", 1, "");
  EXPECT_EQ(image.Width(), 4);
  EXPECT_EQ(image.Height(), 3);
  EXPECT_EQ(image.ColorFormat, cf24bit);
}

TEST_F(FileServer, EachFailureHasItsMessage) {
  EXPECT_EQ(FailureOf<plat::EInvalidGraphic>("missing.bmp"),
            "The ReadURL method has failed to read an image.");
  EXPECT_EQ(FailureOf<EInvalidFormat>("note.txt"),
            "Image type specified is not a supported format.");
  EXPECT_EQ(FailureOf<plat::EInvalidGraphic>("cut.bmp"),
            "The LoadFromURL method has failed to read an image.");
}

}  // namespace
}  // namespace pictavo
