#include "app/output/package/mapped_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace output::package {

namespace {

[[noreturn]] void Fail(int error) {
  throw std::runtime_error(std::string("the file cannot be read: ") + std::strerror(error));
}

}  // namespace

MappedFile::MappedFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) Fail(errno);
  struct stat facts {};
  if (::fstat(fd, &facts) != 0) {
    const int error = errno;
    ::close(fd);
    Fail(error);
  }
  size_ = static_cast<size_t>(facts.st_size);
  if (size_ > 0) {
    void* mapped = ::mmap(nullptr, size_, PROT_READ, MAP_PRIVATE, fd, 0);
    const int error = errno;
    ::close(fd);
    if (mapped == MAP_FAILED) Fail(error);
    data_ = static_cast<const uint8_t*>(mapped);
  } else {
    ::close(fd);
  }
}

MappedFile::~MappedFile() {
  if (data_) ::munmap(const_cast<uint8_t*>(data_), size_);
}

}  // namespace output::package
