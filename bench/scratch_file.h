#pragma once
// A file in the temporary folder that one side of a benchmark writes over, and what our saving
// does after the last byte, done for a reference that wrote the file itself.
#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <string>

namespace velmora_bench {

// Removed when the case ends.
struct TScratchFile {
  std::string path;
  TScratchFile(const char* side, const char* extension)
      : path((std::filesystem::temp_directory_path() /
              ("velmora-bench-" + std::to_string(getpid()) + "-" + side + extension))
                 .string()) {}
  ~TScratchFile() { std::filesystem::remove(path); }
  TScratchFile(const TScratchFile&) = delete;
  TScratchFile& operator=(const TScratchFile&) = delete;
  double Bytes() const { return static_cast<double>(std::filesystem::file_size(path)); }
};

// Our SaveToFile makes a file survive a power loss before it returns: the file and its folder
// are flushed to the disk. A reference library only hands its bytes to the system, so its case
// flushes them the same way, or the two sides would not have done the same work.
inline void FlushToDisk(const std::string& path) {
  for (const std::string& name : {path, std::filesystem::path(path).parent_path().string()}) {
    const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) continue;
    ::fsync(fd);
    ::close(fd);
  }
}

}  // namespace velmora_bench
