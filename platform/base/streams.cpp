#include "platform/base/streams.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>

#include "platform/base/exceptions.h"

namespace plat {

namespace {

int64_t ResolveSeek(int64_t offset, SeekOrigin origin, int64_t position, int64_t size) {
  int64_t base = origin == SeekOrigin::Begin ? 0 : origin == SeekOrigin::Current ? position : size;
  int64_t result = base + offset;
  if (result < 0) throw EStreamError("Stream seek error");
  return result;
}

std::string ErrnoText() {
  return std::strerror(errno);
}

}  // namespace

int64_t TStream::Size() {
  int64_t here = Seek(0, SeekOrigin::Current);
  int64_t end = Seek(0, SeekOrigin::End);
  Seek(here, SeekOrigin::Begin);
  return end;
}

void TStream::ReadBuffer(void* buffer, int64_t count) {
  if (count < 0 || (count != 0 && Read(buffer, count) != count))
    throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* buffer, int64_t count) {
  if (count < 0 || (count != 0 && Write(buffer, count) != count))
    throw EWriteError(WriteErrorMessage());
}

int64_t TStream::CopyFrom(TStream& source, int64_t count) {
  if (count == 0) {
    source.SetPosition(0);
    count = source.Size();
  }
  std::vector<uint8_t> chunk(static_cast<size_t>(std::min<int64_t>(count, 1 << 20)));
  int64_t left = count;
  while (left > 0) {
    int64_t n = std::min<int64_t>(left, static_cast<int64_t>(chunk.size()));
    source.ReadBuffer(chunk.data(), n);
    WriteBuffer(chunk.data(), n);
    left -= n;
  }
  return count;
}

uint8_t TStream::ReadByte() {
  uint8_t b = 0;
  ReadBuffer(&b, 1);
  return b;
}

void TStream::WriteByte(uint8_t value) {
  WriteBuffer(&value, 1);
}

std::vector<uint8_t> TStream::ReadRest() {
  int64_t n = std::max<int64_t>(0, Remaining());
  std::vector<uint8_t> out(static_cast<size_t>(n));
  ReadBuffer(out.data(), n);
  return out;
}

TLargeBytes ReadRestInLargeBlocks(TStream& stream) {
  TLargeBytes out(static_cast<size_t>(std::max<int64_t>(0, stream.Remaining())));
  stream.ReadBuffer(out.data(), static_cast<int64_t>(out.size()));
  return out;
}

// ---- TMemoryStream

int64_t TMemoryStream::Read(void* buffer, int64_t count) {
  if (count <= 0 || position_ >= Size()) return 0;
  int64_t n = std::min(count, Size() - position_);
  std::memcpy(buffer, data_.data() + position_, static_cast<size_t>(n));
  position_ += n;
  return n;
}

int64_t TMemoryStream::Write(const void* buffer, int64_t count) {
  if (count <= 0) return 0;
  int64_t end = position_ + count;
  if (end > Size()) data_.resize(static_cast<size_t>(end));
  std::memcpy(data_.data() + position_, buffer, static_cast<size_t>(count));
  position_ = end;
  return count;
}

int64_t TMemoryStream::Seek(int64_t offset, SeekOrigin origin) {
  position_ = ResolveSeek(offset, origin, position_, Size());
  return position_;
}

void TMemoryStream::SetSize(int64_t size) {
  if (size < 0) throw EStreamError("Stream seek error");
  data_.resize(static_cast<size_t>(size));
  position_ = std::min(position_, size);
}

void TMemoryStream::Clear() {
  data_.clear();
  position_ = 0;
}

std::vector<uint8_t> TMemoryStream::TakeBytes() {
  position_ = 0;
  return std::move(data_);
}

void TMemoryStream::LoadFromStream(TStream& source) {
  source.SetPosition(0);
  int64_t n = source.Size();
  data_.resize(static_cast<size_t>(n));
  source.ReadBuffer(data_.data(), n);
  position_ = 0;
}

void TMemoryStream::LoadFromFile(const std::string& path) {
  TFileStream file(path, FileMode::OpenRead);
  LoadFromStream(file);
}

void TMemoryStream::SaveToStream(TStream& dest) {
  dest.WriteBuffer(data_.data(), Size());
}

void TMemoryStream::SaveToFile(const std::string& path) {
  WriteFileReplacing(path, [this](TStream& out) { SaveToStream(out); });
}

// ---- TReadOnlyMemoryStream

int64_t TReadOnlyMemoryStream::Read(void* buffer, int64_t count) {
  if (count <= 0 || position_ >= size_) return 0;
  int64_t n = std::min(count, size_ - position_);
  std::memcpy(buffer, data_ + position_, static_cast<size_t>(n));
  position_ += n;
  return n;
}

int64_t TReadOnlyMemoryStream::Write(const void*, int64_t) {
  return 0;
}

int64_t TReadOnlyMemoryStream::Seek(int64_t offset, SeekOrigin origin) {
  position_ = ResolveSeek(offset, origin, position_, size_);
  return position_;
}

void TReadOnlyMemoryStream::SetSize(int64_t) {
  throw EWriteError("Stream write error");
}

// ---- TWriteWindow

int64_t TWriteWindow::Read(void*, int64_t) {
  return 0;
}

int64_t TWriteWindow::Write(const void* buffer, int64_t count) {
  const int64_t n = target_.Write(buffer, count);
  position_ += std::max<int64_t>(n, 0);
  size_ = std::max(size_, position_);
  return n;
}

int64_t TWriteWindow::Seek(int64_t offset, SeekOrigin origin) {
  const int64_t position = ResolveSeek(offset, origin, position_, size_);
  target_.SetPosition(base_ + position);
  position_ = position;
  return position_;
}

void TWriteWindow::SetSize(int64_t size) {
  target_.SetSize(base_ + size);
  size_ = size;
  position_ = std::min(position_, size_);
  target_.SetPosition(base_ + position_);
}

// ---- TFileStream

TFileStream::TFileStream(const std::string& path, FileMode mode) : path_(path) {
  int flags = mode == FileMode::OpenRead        ? O_RDONLY
              : mode == FileMode::OpenReadWrite ? O_RDWR
                                                : O_RDWR | O_CREAT | O_TRUNC;
  fd_ = ::open(path.c_str(), flags | O_CLOEXEC, 0644);
  if (fd_ < 0 || (mode != FileMode::Create && std::filesystem::is_directory(path))) {
    std::string reason = fd_ < 0 ? ErrnoText() : "Is a directory";
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (mode == FileMode::Create)
      throw EFCreateError("Cannot create file \"" + path + "\". " + reason);
    throw EFOpenError("Cannot open file \"" + path + "\". " + reason);
  }
}

TFileStream::TFileStream(int fd, const std::string& path)
    : path_(path),
      fd_(fd),
      owns_fd_(false),
      position_(std::max<off_t>(0, ::lseek(fd, 0, SEEK_CUR))) {}

TFileStream::~TFileStream() {
  if (fd_ >= 0 && owns_fd_) ::close(fd_);
}

namespace {

// Large enough that a decoder's small fetches hardly ever reach the file; small enough to give
// every open stream one.
constexpr int64_t kReadAhead = 64 * 1024;

}  // namespace

int64_t TFileStream::ReadAt(void* out, int64_t count) {
  for (;;) {
    const ssize_t n = ::pread(fd_, out, static_cast<size_t>(count), position_);
    if (n < 0 && errno == EINTR) continue;
    return std::max<int64_t>(n, 0);
  }
}

// Serves count bytes from the buffer, refilling it from position_ when it holds none of them.
int64_t TFileStream::ReadAhead(uint8_t* out, int64_t count) {
  if (!InBuffer()) {
    buffer_.resize(static_cast<size_t>(kReadAhead));
    buffer_start_ = position_;
    buffer_fill_ = ReadAt(buffer_.data(), kReadAhead);
    if (buffer_fill_ == 0) return 0;
  }
  const int64_t offset = position_ - buffer_start_;
  const int64_t n = std::min(count, buffer_fill_ - offset);
  std::memcpy(out, buffer_.data() + offset, static_cast<size_t>(n));
  return n;
}

int64_t TFileStream::Read(void* buffer, int64_t count) {
  int64_t total = 0;
  auto* out = static_cast<uint8_t*>(buffer);
  while (total < count) {
    const int64_t want = count - total;
    // A large read skips the buffer unless the buffer already holds its start.
    const int64_t n = want >= kReadAhead && !InBuffer() ? ReadAt(out + total, want)
                                                        : ReadAhead(out + total, want);
    if (n <= 0) break;
    total += n;
    position_ += n;
  }
  return total;
}

int64_t TFileStream::Write(const void* buffer, int64_t count) {
  buffer_fill_ = 0;  // what was read ahead may be written over now
  int64_t total = 0;
  const auto* in = static_cast<const uint8_t*>(buffer);
  while (total < count) {
    ssize_t n = ::pwrite(fd_, in + total, static_cast<size_t>(count - total), position_);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) write_errno_ = errno;
    if (n <= 0) break;
    total += n;
    position_ += n;
  }
  return total;
}

int64_t TFileStream::Seek(int64_t offset, SeekOrigin origin) {
  int64_t base = 0;
  if (origin == SeekOrigin::Current) {
    base = position_;
  } else if (origin == SeekOrigin::End) {
    struct stat st {};
    if (::fstat(fd_, &st) != 0) throw EStreamError("Stream seek error");
    base = st.st_size;
  }
  if (offset > 0 && base > INT64_MAX - offset) throw EStreamError("Stream seek error");
  const int64_t target = base + offset;
  if (target < 0) throw EStreamError("Stream seek error");
  position_ = target;
  return position_;
}

void TFileStream::SetSize(int64_t size) {
  buffer_fill_ = 0;
  if (::ftruncate(fd_, size) != 0) throw EWriteError(plat::WriteErrorMessage(path_, errno));
}

std::string TFileStream::WriteErrorMessage() const {
  return plat::WriteErrorMessage(path_, write_errno_);
}

std::string WriteErrorMessage(const std::string& path, int error) {
  if (error == ENOSPC || error == EDQUOT)
    return "Cannot write file \"" + path + "\": the disk is full";
  return "Stream write error";
}

// ---- whole files

namespace {

[[noreturn]] void CannotCreate(const std::string& path, const std::string& reason) {
  throw EFCreateError("Cannot create file \"" + path + "\". " + reason);
}

// The file a save replaces: a symbolic link is followed, so the link stays a link and the new
// content lands beside the file it points to.
std::string ReplacedFile(const std::string& path) {
  namespace fs = std::filesystem;
  std::error_code error;
  if (!fs::is_symlink(path, error)) return path;
  return fs::weakly_canonical(fs::path(path), error).string();
}

mode_t NewFileMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

// The mode the new file gets: the old file's, so a save changes content only. A file without
// write bits is refused by its mode, as a user who is not root would be refused.
mode_t ModeForReplacing(const std::string& path, const std::string& file) {
  struct stat st {};
  if (::stat(file.c_str(), &st) != 0) return NewFileMode();
  if (S_ISDIR(st.st_mode)) CannotCreate(path, "Is a directory");
  if ((st.st_mode & 0222) == 0) CannotCreate(path, std::strerror(EACCES));
  return st.st_mode & 07777;
}

std::string FolderOf(const std::string& file) {
  const std::filesystem::path target(file);
  return target.has_parent_path() ? target.parent_path().string() : std::string(".");
}

// A temporary name for `file` in `folder`: the file's own name between "." and ".XXXXXX".
std::string TemporaryPattern(const std::string& file, const std::string& folder) {
  // The decorated name must still fit the file system's name limit, so a name near the limit
  // borrows only its start, cut before a UTF-8 continuation byte.
  constexpr size_t kLongestName = 255;
  constexpr size_t kDecoration = 8;
  std::string name = std::filesystem::path(file).filename().string();
  if (name.size() > kLongestName - kDecoration) {
    size_t cut = kLongestName - kDecoration;
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
    name.resize(cut);
  }
  return (std::filesystem::path(folder) / ("." + name + ".XXXXXX")).string();
}

// Names left in the staging folder by a save killed between naming and renaming are removed by
// a later save once they are this old; a save in progress holds its name for microseconds.
constexpr auto kStaleStagedName = std::chrono::hours(1);

// The folder where an unnamed temporary takes its name for the moment before it replaces the
// target: a folder of the program's own in the user's cache, when it lies on the target's file
// system. No system call both names an unnamed file and replaces a name, so the file has a name
// of its own between the two steps; a process killed then leaves that name here, where a later
// save clears it (ClearStaleStagedNames), rather than beside the user's file. Empty where there
// is no such folder.
std::string StagingFolder(const std::string& file) {
  namespace fs = std::filesystem;
  const char* cache = std::getenv("XDG_CACHE_HOME");
  const char* home = std::getenv("HOME");
  fs::path base;
  if (cache != nullptr && *cache == '/')
    base = cache;
  else if (home != nullptr && *home == '/')
    base = fs::path(home) / ".cache";
  else
    return {};
  const fs::path folder = base / "velmora" / "saving";
  std::error_code error;
  fs::create_directories(folder, error);
  struct stat target {};
  struct stat staging {};
  if (::stat(FolderOf(file).c_str(), &target) != 0 || ::stat(folder.c_str(), &staging) != 0 ||
      !S_ISDIR(staging.st_mode) || target.st_dev != staging.st_dev)
    return {};
  return folder.string();
}

void ClearStaleStagedNames(const std::string& staging) {
  namespace fs = std::filesystem;
  std::error_code error;
  const auto stale = fs::file_time_type::clock::now() - kStaleStagedName;
  for (const fs::directory_entry& entry : fs::directory_iterator(staging, error))
    if (entry.is_regular_file(error) && entry.last_write_time(error) < stale)
      fs::remove(entry.path(), error);
}

// Makes a fresh unused name from a mkstemp pattern and runs make(name) until it does not fail
// with EEXIST; returns the name, or "" when make failed otherwise.
template <class Make>
std::string FreshName(const std::string& pattern, Make&& make) {
  static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  thread_local std::mt19937 random{std::random_device{}()};
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = pattern;
    for (size_t i = name.size() - 6; i < name.size(); ++i)
      name[i] = kLetters[random() % (sizeof kLetters - 1)];
    if (make(name)) return name;
    if (errno != EEXIST) return {};
  }
  return {};
}

// A temporary file beside the target. Unnamed (O_TMPFILE) where the file system allows, so a
// process killed while writing leaves nothing behind; a hidden named file elsewhere.
struct TTemporaryFile {
  int fd = -1;
  std::string name;  // empty while the file has no name

  TTemporaryFile(const std::string& path, const std::string& file, mode_t mode) {
    fd = ::open(FolderOf(file).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
    if (fd >= 0) return;
    const std::string text = TemporaryPattern(file, FolderOf(file));
    std::vector<char> pattern(text.begin(), text.end());
    pattern.push_back('\0');
    fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0) CannotCreate(path, std::strerror(errno));
    name = pattern.data();
  }
  TTemporaryFile(const TTemporaryFile&) = delete;
  TTemporaryFile& operator=(const TTemporaryFile&) = delete;
  ~TTemporaryFile() {
    if (fd >= 0) ::close(fd);
    if (!name.empty()) ::unlink(name.c_str());
  }

  // Gives an unnamed file a fresh name for the rename over the target (linkat cannot replace a
  // name): in the staging folder, or beside the target where that folder is on another mount.
  void Name(const std::string& path, const std::string& file) {
    if (!name.empty()) return;
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    const auto link = [&self](const std::string& candidate) {
      return ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, candidate.c_str(), AT_SYMLINK_FOLLOW) == 0;
    };
    const std::string staging = StagingFolder(file);
    if (!staging.empty()) {
      ClearStaleStagedNames(staging);
      name = FreshName(TemporaryPattern(file, staging), link);
    }
    if (name.empty()) name = FreshName(TemporaryPattern(file, FolderOf(file)), link);
    if (name.empty()) CannotCreate(path, std::strerror(errno));
  }

  // Flushes the data to the disk and closes; either failing is a write error. An unnamed file is
  // flushed before it gets its name, so a process killed during the slow flush leaves nothing.
  void FlushAndClose(const std::string& path, const std::string& file) {
    const bool synced = ::fsync(fd) == 0;
    const int sync_error = errno;
    if (synced) Name(path, file);
    const int closed = ::close(fd);
    const int close_error = errno;
    fd = -1;
    if (!synced || closed != 0)
      throw EWriteError(WriteErrorMessage(file, synced ? close_error : sync_error));
  }
};

// Makes a rename in the folder survive a power loss: until the folder is flushed, the disk may
// still hold the old name.
void FlushFolder(const std::string& file) {
  const int fd = ::open(FolderOf(file).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) throw EWriteError("Stream write error");
  // EINVAL: a file system that keeps no folder to flush.
  const bool synced = ::fsync(fd) == 0 || errno == EINVAL;
  ::close(fd);
  if (!synced) throw EWriteError("Stream write error");
}

}  // namespace

void WriteFileReplacing(const std::string& path, const std::function<void(TStream&)>& write) {
  const std::string file = ReplacedFile(path);
  const mode_t mode = ModeForReplacing(path, file);
  TTemporaryFile temporary(path, file, mode);
  {
    TFileStream out(temporary.fd, file);
    write(out);
  }
  if (::fchmod(temporary.fd, mode) != 0) CannotCreate(path, std::strerror(errno));
  temporary.FlushAndClose(path, file);
  // Over a file with several names this one gets the new content and the others keep the old.
  if (::rename(temporary.name.c_str(), file.c_str()) != 0) CannotCreate(path, std::strerror(errno));
  temporary.name.clear();
  FlushFolder(file);
}

std::vector<uint8_t> ReadWholeFile(const std::string& path) {
  TMemoryStream m;
  m.LoadFromFile(path);
  return m.TakeBytes();
}

bool FileExists(const std::string& path) {
  std::error_code ec;
  return std::filesystem::is_regular_file(path, ec);
}

}  // namespace plat
