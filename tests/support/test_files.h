#pragma once
// Small helpers of tests that make fixtures with outside tools and look at the files written.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace velmora::test {

// Runs a shell command that must succeed.
inline void Shell(const std::string& command) {
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

inline std::string Quoted(const std::filesystem::path& path) {
  return "'" + path.string() + "'";
}

inline std::string ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

inline void WriteAll(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

}  // namespace velmora::test
