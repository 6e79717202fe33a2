#pragma once
// Helpers for the PNG tests: a scratch folder, outside tools, and raw chunk surgery on files.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/graphics/bitmap.h"
#include "support/test_files.h"

namespace pngtest {

using Bytes = std::vector<uint8_t>;

class ScratchDir {
 public:
  ScratchDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "pngtest-XXXXXX").string();
    path_ = mkdtemp(pattern.data());
  }
  ~ScratchDir() { std::filesystem::remove_all(path_); }
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

struct CommandResult {
  int status = -1;
  std::string output;
};

inline CommandResult Run(const std::string& command) {
  CommandResult result;
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (!pipe) return result;
  char buffer[4096];
  while (size_t n = fread(buffer, 1, sizeof buffer, pipe)) result.output.append(buffer, n);
  result.status = pclose(pipe);
  return result;
}

using velmora::test::ReadBytes;

inline void WriteFile(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

struct RawChunk {
  std::string type;
  Bytes data;
};

inline uint32_t BE32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

inline void PutBE32(Bytes& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(v >> shift));
}

// The chunks of a PNG file as stored (no CRC checking).
inline std::vector<RawChunk> SplitChunks(const Bytes& file) {
  std::vector<RawChunk> chunks;
  for (size_t pos = 8; pos + 12 <= file.size();) {
    uint32_t length = BE32(&file[pos]);
    if (pos + 12 + length > file.size()) break;
    chunks.push_back({std::string(file.begin() + pos + 4, file.begin() + pos + 8),
                      Bytes(file.begin() + pos + 8, file.begin() + pos + 8 + length)});
    pos += 12 + length;
  }
  return chunks;
}

// A PNG file of these chunks with correct CRCs.
inline Bytes JoinChunks(const std::vector<RawChunk>& chunks) {
  Bytes out = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  for (const RawChunk& c : chunks) {
    PutBE32(out, static_cast<uint32_t>(c.data.size()));
    out.insert(out.end(), c.type.begin(), c.type.end());
    out.insert(out.end(), c.data.begin(), c.data.end());
    uLong crc = crc32(0, reinterpret_cast<const Bytef*>(c.type.data()), 4);
    if (!c.data.empty()) crc = crc32(crc, c.data.data(), static_cast<uInt>(c.data.size()));
    PutBE32(out, static_cast<uint32_t>(crc));
  }
  return out;
}

// Joins all IDAT data and splits it again into pieces of at most `piece` bytes.
inline std::vector<RawChunk> ResplitImageData(const std::vector<RawChunk>& chunks, size_t piece) {
  Bytes data;
  for (const RawChunk& c : chunks)
    if (c.type == "IDAT") data.insert(data.end(), c.data.begin(), c.data.end());
  std::vector<RawChunk> out;
  for (const RawChunk& c : chunks) {
    if (c.type == "IDAT") {
      if (data.empty()) continue;
      for (size_t pos = 0; pos < data.size(); pos += piece)
        out.push_back(
            {"IDAT", Bytes(data.begin() + pos, data.begin() + std::min(data.size(), pos + piece))});
      data.clear();
    } else {
      out.push_back(c);
    }
  }
  return out;
}

inline Bytes Inflate(const Bytes& compressed, size_t expected) {
  Bytes out(expected + 1);
  uLongf size = out.size();
  EXPECT_EQ(uncompress(out.data(), &size, compressed.data(), compressed.size()), Z_OK);
  out.resize(size);
  return out;
}

inline Bytes Deflate(const Bytes& raw) {
  uLongf size = compressBound(raw.size());
  Bytes out(size);
  EXPECT_EQ(compress(out.data(), &size, raw.data(), raw.size()), Z_OK);
  out.resize(size);
  return out;
}

// The chunk names pngcheck lists, in file order (pngcheck -v also validates the file).
inline std::vector<std::string> PngcheckChunkOrder(const std::string& output) {
  std::vector<std::string> names;
  const std::string marker = "chunk ";
  for (size_t pos = output.find(marker); pos != std::string::npos;
       pos = output.find(marker, pos + 1)) {
    if (pos > 0 && output[pos - 1] != ' ' && output[pos - 1] != '\n') continue;
    names.push_back(output.substr(pos + marker.size(), 4));
  }
  return names;
}

// Red, green, blue of every pixel as ImageMagick reads the file: the high byte of its 16-bit
// samples, which is what the codec keeps of 16-bit files and exactly the sample of 8-bit ones.
inline Bytes MagickPixels(const std::string& path) {
  std::string command = "convert '" + path + "' -alpha off -depth 16 -endian MSB rgb:-";
  FILE* pipe = popen(command.c_str(), "r");
  Bytes samples;
  if (!pipe) return samples;
  uint8_t buffer[8192];
  while (size_t n = fread(buffer, 1, sizeof buffer, pipe))
    samples.insert(samples.end(), buffer, buffer + n);
  pclose(pipe);
  Bytes high;
  for (size_t i = 0; i + 1 < samples.size(); i += 2) high.push_back(samples[i]);
  return high;
}

// The colours a bitmap shows, in ImageMagick's raw RGB order.
inline Bytes BitmapPixels(const plat::TBitmap& image) {
  Bytes out;
  for (int y = 0; y < image.Height(); ++y)
    for (int x = 0; x < image.Width(); ++x) {
      plat::TColor c = image.PixelColor(x, y);
      out.insert(out.end(), {plat::GetRValue(c), plat::GetGValue(c), plat::GetBValue(c)});
    }
  return out;
}

}  // namespace pngtest
