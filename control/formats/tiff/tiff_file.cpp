#include "control/formats/tiff/tiff_file.h"

#include "platform/base/byte_cursor.h"
#include "platform/base/exceptions.h"

namespace pictavo {

namespace {

// An EReadError still, so the page counter can tell a cut-off file from a corrupt one.
[[noreturn]] void TiffShortRead(std::string_view) {
  throw plat::EReadError(kTiffTruncated);
}

}  // namespace

uint32_t TypeSize(uint16_t type) {
  switch (type) {
    case 3:  // SHORT
    case 8:  // SSHORT
      return 2;
    case 4:   // LONG
    case 9:   // SLONG
    case 11:  // FLOAT
      return 4;
    case 5:   // RATIONAL
    case 10:  // SRATIONAL
    case 12:  // DOUBLE
      return 8;
    default:
      return 1;
  }
}

bool TTiffBytes::ReadHeader() {
  if (bytes_.size() < 8) return false;
  if (bytes_[0] == 'I' && bytes_[1] == 'I') {
    bigEndian_ = false;
  } else if (bytes_[0] == 'M' && bytes_[1] == 'M') {
    bigEndian_ = true;
  } else {
    return false;
  }
  return U16(2) == 42;
}

uint16_t TTiffBytes::U16(uint64_t position) const {
  return plat::TByteCursor(bytes_, TiffShortRead, bigEndian_).WordAt(position);
}

uint32_t TTiffBytes::U32(uint64_t position) const {
  return plat::TByteCursor(bytes_, TiffShortRead, bigEndian_).DWordAt(position);
}

uint32_t TTiffBytes::Value(uint16_t type, uint64_t position) const {
  return type == kTypeShort ? U16(position) : U32(position);
}

TTiffEntry TTiffBytes::Entry(uint64_t ifd, uint32_t index) const {
  uint64_t at = ifd + 2 + 12 * uint64_t{index};
  return {U16(at), U16(at + 2), U32(at + 4), at + 8};
}

uint64_t TTiffBytes::Location(const TTiffEntry& entry) const {
  uint64_t length = uint64_t{entry.count} * TypeSize(entry.type);
  return length <= 4 ? entry.valuePosition : U32(entry.valuePosition);
}

}  // namespace pictavo
