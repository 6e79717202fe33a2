#pragma once
// Byte streams with a position, as the codecs use them. Read returns what is there; ReadBuffer
// and WriteBuffer raise on a short transfer, so a reader never silently works on missing bytes.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/base/large_blocks.h"

namespace plat {

enum class SeekOrigin { Begin, Current, End };

class TStream {
 public:
  virtual ~TStream() = default;

  // Reads up to count bytes; returns how many were read (0 at the end).
  virtual int64_t Read(void* buffer, int64_t count) = 0;
  // Writes count bytes; returns how many were written.
  virtual int64_t Write(const void* buffer, int64_t count) = 0;
  // Moves the position; returns the new one. Raises EStreamError for a negative result.
  virtual int64_t Seek(int64_t offset, SeekOrigin origin) = 0;
  virtual int64_t Size();
  virtual void SetSize(int64_t size) = 0;

  int64_t Position() { return Seek(0, SeekOrigin::Current); }
  void SetPosition(int64_t position) { Seek(position, SeekOrigin::Begin); }
  int64_t Remaining() { return Size() - Position(); }

  // Raises EReadError("Stream read error") when fewer than count bytes are there.
  void ReadBuffer(void* buffer, int64_t count);
  // Raises EWriteError when fewer than count bytes were written: "Stream write error", or what
  // the stream knows of the reason.
  void WriteBuffer(const void* buffer, int64_t count);
  // Copies count bytes from source's current position; count 0 copies the whole source from its
  // start. Returns the number of bytes copied.
  int64_t CopyFrom(TStream& source, int64_t count);

  uint8_t ReadByte();
  void WriteByte(uint8_t value);
  // Everything from the current position to the end.
  std::vector<uint8_t> ReadRest();

 protected:
  // The message of a write that fell short.
  virtual std::string WriteErrorMessage() const { return "Stream write error"; }
};

// A growable block of memory.
class TMemoryStream : public TStream {
 public:
  TMemoryStream() = default;
  explicit TMemoryStream(std::vector<uint8_t> bytes) : data_(std::move(bytes)) {}

  int64_t Read(void* buffer, int64_t count) override;
  int64_t Write(const void* buffer, int64_t count) override;
  int64_t Seek(int64_t offset, SeekOrigin origin) override;
  int64_t Size() override { return static_cast<int64_t>(data_.size()); }
  void SetSize(int64_t size) override;

  void Clear();
  uint8_t* Memory() { return data_.data(); }
  const uint8_t* Memory() const { return data_.data(); }
  const std::vector<uint8_t>& Bytes() const { return data_; }
  std::vector<uint8_t> TakeBytes();
  void LoadFromStream(TStream& source);
  void LoadFromFile(const std::string& path);
  void SaveToStream(TStream& dest);
  void SaveToFile(const std::string& path);

 private:
  std::vector<uint8_t> data_;
  int64_t position_ = 0;
};

// A read-only view of bytes owned by someone else.
class TReadOnlyMemoryStream : public TStream {
 public:
  TReadOnlyMemoryStream(const void* data, int64_t size)
      : data_(static_cast<const uint8_t*>(data)), size_(size) {}

  int64_t Read(void* buffer, int64_t count) override;
  int64_t Write(const void* buffer, int64_t count) override;
  int64_t Seek(int64_t offset, SeekOrigin origin) override;
  int64_t Size() override { return size_; }
  void SetSize(int64_t size) override;

 private:
  const uint8_t* data_;
  int64_t size_;
  int64_t position_ = 0;
};

// Writes into another stream from that stream's position on, counting positions from there and
// ending where the last write through it ended, as a new stream would: a format whose offsets
// count from its first byte is written straight into its destination, not built in memory first.
// Nothing is read through it.
class TWriteWindow : public TStream {
 public:
  explicit TWriteWindow(TStream& target) : target_(target), base_(target.Position()) {}

  int64_t Read(void* buffer, int64_t count) override;
  int64_t Write(const void* buffer, int64_t count) override;
  int64_t Seek(int64_t offset, SeekOrigin origin) override;
  int64_t Size() override { return size_; }
  void SetSize(int64_t size) override;

 private:
  TStream& target_;
  const int64_t base_;
  int64_t position_ = 0;
  int64_t size_ = 0;
};

enum class FileMode { OpenRead, OpenReadWrite, Create };

// Reads go through a read-ahead buffer, so decoders that fetch a few bytes at a time and seek
// about cost no system call per fetch; writes go straight to the file at the stream's position,
// so nothing is left unwritten when the stream goes away.
class TFileStream : public TStream {
 public:
  // OpenRead and OpenReadWrite raise EFOpenError("Cannot open file \"<name>\". <reason>");
  // Create raises EFCreateError("Cannot create file \"<name>\". <reason>").
  TFileStream(const std::string& path, FileMode mode);
  // A stream over an open descriptor that stays its owner's (path only names it).
  TFileStream(int fd, const std::string& path);
  ~TFileStream() override;
  TFileStream(const TFileStream&) = delete;
  TFileStream& operator=(const TFileStream&) = delete;

  int64_t Read(void* buffer, int64_t count) override;
  int64_t Write(const void* buffer, int64_t count) override;
  int64_t Seek(int64_t offset, SeekOrigin origin) override;
  void SetSize(int64_t size) override;
  const std::string& FileName() const { return path_; }

 protected:
  // Names the file when the disk is full.
  std::string WriteErrorMessage() const override;

 private:
  // Reads at position_ straight into out; returns the bytes read (0 at the end or on failure).
  int64_t ReadAt(void* out, int64_t count);
  int64_t ReadAhead(uint8_t* out, int64_t count);
  bool InBuffer() const {
    return position_ >= buffer_start_ && position_ < buffer_start_ + buffer_fill_;
  }

  std::string path_;
  int fd_ = -1;
  bool owns_fd_ = true;
  int64_t position_ = 0;
  std::vector<uint8_t> buffer_;  // the file's bytes from buffer_start_ on, buffer_fill_ of them
  int64_t buffer_start_ = 0;
  int64_t buffer_fill_ = 0;
  int write_errno_ = 0;  // of the last write that failed
};

// Writes a file so that a failure never destroys an existing one: the content goes to a
// temporary file in the same folder (unnamed where the file system allows, so a killed process
// leaves nothing), is flushed to the disk, and replaces the target only after write succeeded;
// the folder is flushed after the rename, so a power loss cannot bring the old file back. An
// unnamed temporary takes a name only for the rename, in "velmora/saving" of the user's cache
// folder where that lies on the same file system (else beside the target).
// A symbolic link stays a link (the file it points to is replaced); a file with several hard
// links is split (this name gets the new content); a file without write bits is refused with
// EFCreateError, whoever runs the program; the old file's mode is kept.
void WriteFileReplacing(const std::string& path, const std::function<void(TStream&)>& write);

// Everything from the stream's position to its end, in storage fit for a large buffer.
TLargeBytes ReadRestInLargeBlocks(TStream& stream);

// The message of a write to path that failed with the system's error number: the disk being full
// names the file; anything else is "Stream write error".
std::string WriteErrorMessage(const std::string& path, int error);

// Whole-file helpers.
std::vector<uint8_t> ReadWholeFile(const std::string& path);
bool FileExists(const std::string& path);

}  // namespace plat
