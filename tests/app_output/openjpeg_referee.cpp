#include "app_output/openjpeg_referee.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

namespace velmora::test {

namespace {

std::string Run(const std::string& command) {
  std::string output;
  FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
  if (pipe == nullptr) throw std::runtime_error("cannot run " + command);
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
  if (::pclose(pipe) != 0) throw std::runtime_error(command + " failed: " + output);
  return output;
}

std::string Quoted(const std::string& path) {
  return "'" + path + "'";
}

// The next header word of a PNM file; "#" starts a comment that runs to the end of the line.
std::string HeaderWord(std::istream& in) {
  std::string word;
  while (in >> word && word[0] == '#') {
    std::string rest;
    std::getline(in, rest);
  }
  return word;
}

int HeaderNumber(std::istream& in) {
  const std::string word = HeaderWord(in);
  return word.empty() ? -1 : std::stoi(word);
}

uint32_t BigEndian32(const std::vector<uint8_t>& bytes, size_t at) {
  return uint32_t{bytes[at]} << 24 | uint32_t{bytes[at + 1]} << 16 | uint32_t{bytes[at + 2]} << 8 |
         bytes[at + 3];
}

}  // namespace

// Binary PGM (P5) or PPM (P6) with maxval 255, as opj_decompress writes them.
Decoded ReadPnm(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  Decoded image;
  const std::string magic = HeaderWord(in);
  image.width = HeaderNumber(in);
  image.height = HeaderNumber(in);
  const int maxval = HeaderNumber(in);
  in.get();
  if (!in || (magic != "P5" && magic != "P6") || maxval != 255)
    throw std::runtime_error("unexpected PNM header in " + path);
  image.channels = magic == "P5" ? 1 : 3;
  image.samples.resize(static_cast<size_t>(image.width) * image.height * image.channels);
  in.read(reinterpret_cast<char*>(image.samples.data()),
          static_cast<std::streamsize>(image.samples.size()));
  if (!in) throw std::runtime_error("short PNM " + path);
  return image;
}

Decoded DecodeWithOpenJpeg(const std::string& path, const std::string& scratch) {
  // The tool picks PGM for one component and PPM for three from the ".pnm" name.
  const std::string pnm = scratch + "/decoded.pnm";
  std::remove(pnm.c_str());
  std::remove((scratch + "/decoded.pgm").c_str());
  std::remove((scratch + "/decoded.ppm").c_str());
  Run(std::string(OPJ_DECOMPRESS) + " -i " + Quoted(path) + " -o " + Quoted(pnm));
  std::ifstream probe(pnm);
  return ReadPnm(probe ? pnm : scratch + "/decoded.pgm");
}

std::string DumpWithOpenJpeg(const std::string& path) {
  return Run(std::string(OPJ_DUMP) + " -i " + Quoted(path));
}

std::vector<Box> BoxesOf(const std::vector<uint8_t>& bytes) {
  std::vector<Box> boxes;
  size_t at = 0;
  while (at + 8 <= bytes.size()) {
    const uint32_t length = BigEndian32(bytes, at);
    const size_t end = length == 0 ? bytes.size() : at + length;
    if (length != 0 && (length < 8 || end > bytes.size())) throw std::runtime_error("bad box");
    boxes.push_back({std::string(bytes.begin() + at + 4, bytes.begin() + at + 8),
                     std::vector<uint8_t>(bytes.begin() + at + 8, bytes.begin() + end)});
    at = end;
  }
  return boxes;
}

}  // namespace velmora::test
