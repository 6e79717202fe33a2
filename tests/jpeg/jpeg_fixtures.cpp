#include "jpeg/jpeg_fixtures.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "control/formats/jpeg/jpeg_segments.h"

namespace pictavo::jpegtest {

TScratch::TScratch() {
  std::string pattern = (std::filesystem::temp_directory_path() / "velmora-jpeg-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  dir_ = pattern;
}

TScratch::~TScratch() {
  std::error_code ignored;
  std::filesystem::remove_all(dir_, ignored);
}

std::string Shell(const TScratch& scratch, const std::string& command) {
  std::string full = "cd '" + scratch.Dir() + "' && " + command;
  FILE* pipe = popen(full.c_str(), "r");
  if (!pipe) throw std::runtime_error("cannot run: " + command);
  std::string out;
  char buffer[4096];
  for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
  int status = pclose(pipe);
  if (status != 0) throw std::runtime_error("command failed: " + command);
  return out;
}

namespace {

// Next header number of a PNM file, skipping white space and comments.
int HeaderNumber(const std::vector<uint8_t>& bytes, size_t& pos) {
  while (pos < bytes.size() && (std::isspace(bytes[pos]) || bytes[pos] == '#')) {
    if (bytes[pos] == '#')
      while (pos < bytes.size() && bytes[pos] != '\n') ++pos;
    else
      ++pos;
  }
  int value = 0;
  while (pos < bytes.size() && std::isdigit(bytes[pos])) value = value * 10 + (bytes[pos++] - '0');
  return value;
}

}  // namespace

TPnm ReadPnm(const std::vector<uint8_t>& bytes) {
  if (bytes.size() < 2 || bytes[0] != 'P' || (bytes[1] != '5' && bytes[1] != '6'))
    throw std::runtime_error("not a binary PNM file");
  TPnm pnm;
  pnm.Channels = bytes[1] == '5' ? 1 : 3;
  size_t pos = 2;
  pnm.Width = HeaderNumber(bytes, pos);
  pnm.Height = HeaderNumber(bytes, pos);
  HeaderNumber(bytes, pos);
  ++pos;
  size_t size = static_cast<size_t>(pnm.Width) * pnm.Height * pnm.Channels;
  if (pos + size > bytes.size()) throw std::runtime_error("PNM file cut short");
  pnm.Pixels.assign(bytes.begin() + pos, bytes.begin() + pos + size);
  return pnm;
}

void WriteTestPpm(const std::string& path, int width, int height) {
  std::string header = "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
  std::vector<uint8_t> bytes(header.begin(), header.end());
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      bool block = ((x / 8) + (y / 8)) % 2 == 0;
      bytes.push_back(static_cast<uint8_t>(x * 255 / std::max(1, width - 1)));
      bytes.push_back(static_cast<uint8_t>(y * 255 / std::max(1, height - 1)));
      bytes.push_back(block ? 200 : 40);
    }
  WriteFile(path, bytes);
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

std::vector<uint8_t> SegmentMarkers(const std::vector<uint8_t>& file) {
  std::vector<uint8_t> markers;
  for (const TJpegSegment& segment : ScanJpegSegments(file).Segments)
    markers.push_back(segment.Marker);
  return markers;
}

std::vector<uint8_t> ScanData(const std::vector<uint8_t>& file) {
  TJpegLayout layout = ScanJpegSegments(file);
  if (layout.End != TScanEnd::StartOfScan) return {};
  return std::vector<uint8_t>(file.begin() + static_cast<std::ptrdiff_t>(layout.ScanStart),
                              file.end());
}

}  // namespace pictavo::jpegtest
