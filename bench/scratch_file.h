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

// Flushes a file or folder to the disk.
inline void Flush(const std::string& name) {
  const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

// Our SaveToFile makes a saved file survive a power loss before it returns: it writes a new file
// beside the old one, flushes it to the disk, puts it in the old one's place and flushes the
// folder. A reference library only hands its bytes to the system, so its case takes the same
// steps around the library's writing (write(name) writes the file `name`), or the two sides
// would not have done the same work.
template <class Write>
void SaveDurably(const std::string& path, Write&& write) {
  const std::string fresh = path + ".new";
  write(fresh);
  Flush(fresh);
  std::filesystem::rename(fresh, path);
  Flush(std::filesystem::path(path).parent_path().string());
}

}  // namespace velmora_bench
