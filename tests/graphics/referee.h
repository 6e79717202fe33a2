#pragma once
// Outside tools as referees: a scratch folder, files in and out, and ImageMagick's view of an
// image as plain RGBA bytes.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "tests/support/test_files.h"

namespace velmora_test {

class ScratchDir {
 public:
  ScratchDir() {
    std::random_device seed;
    path_ = std::filesystem::temp_directory_path() /
            ("velmora-graphics-" + std::to_string(seed()) + std::to_string(seed()));
    std::filesystem::create_directories(path_);
  }
  ~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

using velmora::test::ReadBytes;

inline void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

// Runs a shell command and returns its standard output.
inline std::string Capture(const std::string& command) {
  std::string out;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[256];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    pclose(pipe);
  }
  return out;
}

inline bool Run(const std::string& command) {
  return std::system(command.c_str()) == 0;
}

struct RgbaImage {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgba;  // rows top-down

  const uint8_t* At(int x, int y) const {
    return rgba.data() + (static_cast<size_t>(y) * width + x) * 4;
  }
};

// The pixels of an image file as ImageMagick reads them, 8 bits a channel.
inline RgbaImage ReadWithImageMagick(const ScratchDir& dir, const std::string& path) {
  RgbaImage image;
  const std::string size = Capture("identify -format '%w %h' '" + path + "' 2>/dev/null");
  if (std::sscanf(size.c_str(), "%d %d", &image.width, &image.height) != 2) return {};
  const std::string raw = dir.File("referee.rgba");
  if (!Run("convert '" + path + "' -depth 8 rgba:'" + raw + "' 2>/dev/null")) return {};
  image.rgba = ReadBytes(raw);
  if (image.rgba.size() != static_cast<size_t>(image.width) * image.height * 4) return {};
  return image;
}

}  // namespace velmora_test
