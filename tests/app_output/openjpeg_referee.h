#pragma once
// OpenJPEG's own command-line tools as the referee of what our encoder writes.
#include <cstdint>
#include <string>
#include <vector>

namespace velmora::test {

// What opj_decompress made of a file, as 8-bit samples interleaved by component.
struct Decoded {
  int width = 0;
  int height = 0;
  int channels = 0;  // 1 (PGM) or 3 (PPM)
  std::vector<uint8_t> samples;
};

Decoded DecodeWithOpenJpeg(const std::string& path, const std::string& scratch);

// A binary PGM (P5) or PPM (P6) with maxval 255, as opj_decompress and ImageMagick write them.
Decoded ReadPnm(const std::string& path);

// The text opj_dump prints for a file.
std::string DumpWithOpenJpeg(const std::string& path);

// A top-level or nested JP2 box: its type and its content.
struct Box {
  std::string type;
  std::vector<uint8_t> content;
};
std::vector<Box> BoxesOf(const std::vector<uint8_t>& bytes);

}  // namespace velmora::test
