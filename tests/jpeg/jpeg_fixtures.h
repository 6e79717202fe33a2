#pragma once
// Scratch folders, outside tools and PNM files for the JPEG tests. Fixtures are made at test
// time with cjpeg and ImageMagick, and outside tools (djpeg, identify, exiftool) referee.
#include <cstdint>
#include <string>
#include <vector>

#include "support/test_files.h"

namespace pictavo::jpegtest {

// A fresh folder under the temporary directory, removed with everything in it at the end.
class TScratch {
 public:
  TScratch();
  ~TScratch();
  TScratch(const TScratch&) = delete;
  TScratch& operator=(const TScratch&) = delete;
  std::string Path(const std::string& name) const { return dir_ + "/" + name; }
  const std::string& Dir() const { return dir_; }

 private:
  std::string dir_;
};

// Runs a shell command in the folder; returns its standard output. Fails the test (throws) when
// the command exits with an error.
std::string Shell(const TScratch& scratch, const std::string& command);

struct TPnm {
  int Width = 0;
  int Height = 0;
  int Channels = 0;             // 1 for PGM, 3 for PPM
  std::vector<uint8_t> Pixels;  // rows top-down, red-green-blue
};

TPnm ReadPnm(const std::vector<uint8_t>& bytes);
// A 24-bit test picture with gradients and edges in every channel.
void WriteTestPpm(const std::string& path, int width, int height);

using velmora::test::ReadBytes;
void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes);

// The markers of the segments in front of the first SOS, in order (SOI included).
std::vector<uint8_t> SegmentMarkers(const std::vector<uint8_t>& file);
// Everything from the first SOS marker on.
std::vector<uint8_t> ScanData(const std::vector<uint8_t>& file);

}  // namespace pictavo::jpegtest
