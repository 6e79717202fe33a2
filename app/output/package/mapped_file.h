#pragma once
// A file's bytes mapped read-only, so a player reads the package it runs from without copying
// images it may never show.
#include <cstdint>
#include <span>
#include <string>

namespace output::package {

class MappedFile {
 public:
  // Throws std::runtime_error naming the system's reason when the file cannot be opened or mapped.
  explicit MappedFile(const std::string& path);
  ~MappedFile();
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;

  std::span<const uint8_t> Bytes() const { return {data_, size_}; }

 private:
  const uint8_t* data_ = nullptr;
  size_t size_ = 0;
};

}  // namespace output::package
