#pragma once
// TIFF directories as plain records, read from and laid out into bytes in either byte order.
// Both rewrites of metadata in place use them: the control's for the EXIF block of a JPEG file,
// the workbench's for a TIFF file's first directory. Reads are bounds-checked and raise
// EReadError "TIFF directory lies outside the data" for anything outside the bytes.
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace plat {

inline constexpr uint16_t kTiffTypeShort = 3;
inline constexpr uint16_t kTiffTypeLong = 4;

struct TiffField {
  uint16_t tag = 0;
  uint16_t type = 0;
  uint32_t count = 0;
  std::vector<uint8_t> value;  // count values in the byte order of the directory
  // Where the value lay outside the entry when read; a field laid out with it set keeps its
  // value there (the layout never places anything else over it).
  std::optional<uint64_t> at;
};

struct TiffDirectory {
  std::vector<TiffField> fields;
  uint32_t next = 0;  // offset of the next directory, 0 for none

  const TiffField* Find(uint16_t tag) const;
  TiffField* Find(uint16_t tag);
  void Remove(uint16_t tag);
  // Adds or replaces a field.
  void Set(TiffField field);
};

// Bytes of one value of a field type; 1 for types TIFF does not define.
uint32_t TiffTypeSize(uint16_t type);

// The directory at `offset` of `bytes` (offsets count from the start of `bytes`).
TiffDirectory ReadTiffDirectory(std::span<const uint8_t> bytes, bool bigEndian, uint64_t offset);
// The first value of a SHORT or LONG field; nothing for other types or no value.
std::optional<uint32_t> TiffNumber(const TiffField& field, bool bigEndian);
// A LONG field with one value, in the given byte order.
TiffField TiffLongField(uint16_t tag, uint32_t value, bool bigEndian);
// The field's value in the other byte order.
void SwapTiffByteOrder(TiffField& field);

// Lays out directories and values into a byte buffer, in one byte order, at word-aligned
// positions from `firstFree` on, never over the values of fields that keep their place.
class TiffLayout {
 public:
  TiffLayout(std::vector<uint8_t>& out, bool bigEndian, uint64_t firstFree)
      : out_(out), bigEndian_(bigEndian), free_(firstFree) {}

  // Keeps [at, at + size) free of anything the layout places. Keep the values of every field
  // that keeps its place before placing anything.
  void Keep(uint64_t at, uint64_t size);
  // Copies bytes to a new place; returns its offset.
  uint64_t Place(std::span<const uint8_t> bytes);
  // Writes the directory (fields sorted by tag) and its out-of-line values; returns its offset.
  uint64_t PlaceDirectory(TiffDirectory directory);
  void PutLong(uint64_t at, uint32_t value);
  void PutShort(uint64_t at, uint16_t value);
  uint64_t End() const { return out_.size(); }

 private:
  uint64_t Allocate(uint64_t size);
  void Write(uint64_t at, std::span<const uint8_t> bytes);

  std::vector<uint8_t>& out_;
  bool bigEndian_;
  uint64_t free_;
  std::vector<std::pair<uint64_t, uint64_t>> kept_;  // [from, to)
};

}  // namespace plat
