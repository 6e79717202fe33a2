#pragma once
// A memory stream that remembers a byte order (the EXIF and TIFF readers read through it), and
// the bounded cursor every reader of this unit works with.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "platform/base/streams.h"

namespace pictavo {

class TBEMemoryStream : public plat::TMemoryStream {
 public:
  using plat::TMemoryStream::TMemoryStream;
  // Most significant byte first when true.
  bool BigEndian = false;
};

// Both raise plat::EReadError("Stream read error") when the stream ends before the number.
uint16_t ReadWord(TBEMemoryStream& stream);
uint32_t ReadDWord(TBEMemoryStream& stream);

// A read position over bytes owned by someone else. Every read checks the bytes are there (in
// 64-bit arithmetic) and raises plat::EReadError("Stream read error") otherwise.
class TByteCursor {
 public:
  explicit TByteCursor(std::span<const uint8_t> bytes, bool big_endian = true)
      : bytes_(bytes), big_endian_(big_endian) {}

  size_t Size() const { return bytes_.size(); }
  size_t Position() const { return position_; }
  size_t Remaining() const { return bytes_.size() - position_; }
  bool AtEnd() const { return position_ >= bytes_.size(); }
  bool BigEndian() const { return big_endian_; }
  void SetBigEndian(bool value) { big_endian_ = value; }

  // Moves to an absolute position; raises when it lies beyond the end.
  void Seek(uint64_t position);
  void Skip(uint64_t count);
  // True when count bytes starting at position lie inside the data.
  bool Holds(uint64_t position, uint64_t count) const {
    return position <= bytes_.size() && count <= bytes_.size() - position;
  }

  uint8_t Byte();
  uint16_t Word();
  uint32_t DWord();
  std::span<const uint8_t> Bytes(uint64_t count);
  std::string Text(uint64_t count);

 private:
  void Require(uint64_t count) const;

  std::span<const uint8_t> bytes_;
  bool big_endian_;
  size_t position_ = 0;
};

// Appends numbers in a fixed byte order to a byte string.
void PutWordBE(std::string& out, uint32_t value);
void PutDWordBE(std::string& out, uint32_t value);
void PutWordLE(std::string& out, uint32_t value);
void PutDWordLE(std::string& out, uint32_t value);

inline std::span<const uint8_t> AsBytes(std::string_view text) {
  return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

}  // namespace pictavo
