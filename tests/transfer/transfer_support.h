#pragma once
// What the transfer tests share: a scratch folder of their own and the output of outside tools.
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace velmora_test {

// A new empty folder under the temporary directory; empty when none could be made.
inline std::filesystem::path MakeScratchDir(const std::string& stem) {
  std::string pattern = (std::filesystem::temp_directory_path() / (stem + "-XXXXXX")).string();
  return ::mkdtemp(pattern.data()) ? std::filesystem::path(pattern) : std::filesystem::path();
}

// The standard output of a shell command.
inline std::string Shell(const std::string& command) {
  std::string out;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[256];
    while (size_t n = fread(buffer, 1, sizeof buffer, pipe)) out.append(buffer, n);
    pclose(pipe);
  }
  return out;
}

}  // namespace velmora_test
