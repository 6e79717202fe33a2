#pragma once
// Bounds-checked access to the bytes of a TIFF file in its own byte order: the header, the
// directory entries and the values they point at. Every read outside the file raises the
// platform's stream read error.
#include <cstdint>
#include <span>

namespace pictavo {

enum : uint16_t {
  kTypeByte = 1,
  kTypeAscii = 2,
  kTypeShort = 3,
  kTypeLong = 4,
  kTypeRational = 5,
};

// Compression 2, 3 and 4: the CCITT fax codings of bilevel pages.
inline bool IsFaxCompression(uint16_t compression) {
  return compression >= 2 && compression <= 4;
}

// Bytes of one value of a TIFF field type (1 for types the library does not know).
uint32_t TypeSize(uint16_t type);

struct TTiffEntry {
  uint16_t tag;
  uint16_t type;
  uint32_t count;
  uint64_t valuePosition;  // of the entry's last four bytes
};

struct TByteRange {
  uint64_t location = 0;
  uint64_t length = 0;
};

// Raised (as plat::EReadError) when a directory, value or strip lies past the end of the file.
inline constexpr const char* kTiffTruncated = "TIFF file is truncated";

// A view: the bytes stay their owner's.
class TTiffBytes {
 public:
  explicit TTiffBytes(std::span<const uint8_t> bytes) : bytes_(bytes) {}

  // "II" or "MM" followed by 42; sets the byte order. False for anything else.
  bool ReadHeader();
  bool BigEndian() const { return bigEndian_; }
  uint64_t Size() const { return bytes_.size(); }
  const uint8_t* Data() const { return bytes_.data(); }

  bool Holds(uint64_t position, uint64_t length) const {
    return position <= bytes_.size() && length <= bytes_.size() - position;
  }
  uint16_t U16(uint64_t position) const;
  uint32_t U32(uint64_t position) const;
  // A SHORT or LONG value.
  uint32_t Value(uint16_t type, uint64_t position) const;

  // Entry `index` of the directory at `ifd`.
  TTiffEntry Entry(uint64_t ifd, uint32_t index) const;
  // Where an entry's values lie: in the entry when they fit in four bytes, else at its offset.
  uint64_t Location(const TTiffEntry& entry) const;
  // Position of the next-directory offset of the directory at `ifd`.
  uint64_t NextIfdPosition(uint64_t ifd) const { return ifd + 2 + 12 * uint64_t{U16(ifd)}; }
  uint32_t NextIfd(uint64_t ifd) const { return U32(NextIfdPosition(ifd)); }

 private:
  std::span<const uint8_t> bytes_;
  bool bigEndian_ = false;
};

}  // namespace pictavo
