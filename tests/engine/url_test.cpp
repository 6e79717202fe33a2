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
#include <vector>

#include "control/engine/raster/ticbitmap.h"
#include "support/test_files.h"

extern char** environ;

namespace pictavo {
namespace {

namespace fs = std::filesystem;

// Starts a server program and returns the first line it prints (where it says its port).
std::string StartServer(const std::vector<std::string>& args, pid_t& pid) {
  int out[2];
  if (::pipe(out) != 0) return "";
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(out[1]);
  FILE* first = ::fdopen(out[0], "r");
  char line[256] = {};
  if (spawned != 0 || !std::fgets(line, sizeof line, first)) line[0] = 0;
  std::fclose(first);
  return line;
}

void StopServer(pid_t pid) {
  if (pid <= 0) return;
  ::kill(pid, SIGTERM);
  ::waitpid(pid, nullptr, 0);
}

TicBitmap SmallImage() {
  TicBitmap image;
  image.SetPixelFormat(plat::TPixelFormat::pf24bit);
  image.SetSize(4, 3);
  image.ScanLine(0)[2] = 0xAB;
  return image;
}

// Python's file server on a free port of 127.0.0.1, serving one scratch folder.
class FileServer : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = fs::temp_directory_path() / ("url-test-" + std::to_string(::getpid()));
    fs::create_directories(dir_);
    SmallImage().SaveImageFile((dir_ / "small.bmp").string(), false, 75);
    std::ofstream(dir_ / "note.txt") << "just text";
    fs::copy_file(dir_ / "small.bmp", dir_ / "cut.bmp");
    fs::resize_file(dir_ / "cut.bmp", 40);
    // "Serving HTTP on 127.0.0.1 port 41234 (http://127.0.0.1:41234/) ..."
    const std::string text = StartServer({"python3", "-u", "-m", "http.server", "0", "--bind",
                                          "127.0.0.1", "--directory", dir_.string()},
                                         server_);
    const size_t at = text.find("port ");
    ASSERT_NE(at, std::string::npos) << text;
    base_ = "http://127.0.0.1:" + std::to_string(std::stoi(text.substr(at + 5))) + "/";
  }
  static void TearDownTestSuite() {
    StopServer(server_);
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

namespace pictavo {
namespace {

TEST(PostToURL, SendsTheEncodedImageAsAFormPart) {
  const fs::path dir = fs::temp_directory_path() / ("post-test-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  pid_t server = 0;
  const std::string port =
      StartServer({"python3", "-u",
                   std::string(VELMORA_SOURCE_DIR) + "/tests/net/loopback_server.py", dir.string()},
                  server);
  ASSERT_FALSE(port.empty());
  TicBitmap image = SmallImage();
  plat::TStringList fields;
  fields.Add("caption=harbour");
  int32_t status = 0;
  const bool sent =
      image.PostToURL("http://127.0.0.1:" + std::to_string(std::stoi(port)) + "/upload",
                      "small.bmp", status, 75, false, fields, 0, "picture");
  StopServer(server);
  EXPECT_TRUE(sent);
  EXPECT_EQ(status, 200);
  const std::string upload = velmora::test::ReadAll(dir / "upload.txt");
  std::string hex;
  for (uint8_t b : image.SaveToBytes(gfBMP, false, 75)) {
    static const char kDigits[] = "0123456789abcdef";
    hex += kDigits[b >> 4];
    hex += kDigits[b & 15];
  }
  EXPECT_NE(upload.find("|small.bmp|"), std::string::npos) << upload;
  EXPECT_NE(upload.find(hex), std::string::npos) << upload;
  EXPECT_NE(upload.find("part caption|"), std::string::npos) << upload;
  fs::remove_all(dir);
}

}  // namespace
}  // namespace pictavo
