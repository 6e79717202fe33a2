#pragma once
// Small helpers of tests that make fixtures with outside tools and look at the files written.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace velmora::test {

// Runs a shell command that must succeed.
inline void Shell(const std::string& command) {
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

inline std::string Quoted(const std::filesystem::path& path) {
  return "'" + path.string() + "'";
}

// The whole file in one read, empty when it cannot be read: written files and rendered pages run
// to a hundred megabytes, too many to take a byte at a time through a stream iterator.
template <typename Bytes>
Bytes ReadWhole(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) return {};
  Bytes bytes(static_cast<size_t>(in.tellg()), 0);
  in.seekg(0);
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!in) return {};
  return bytes;
}

inline std::string ReadAll(const std::filesystem::path& path) {
  return ReadWhole<std::string>(path);
}

inline std::vector<uint8_t> ReadBytes(const std::filesystem::path& path) {
  return ReadWhole<std::vector<uint8_t>>(path);
}

inline void WriteAll(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

}  // namespace velmora::test
