#pragma once
// A memory stream that remembers a byte order (the EXIF and TIFF readers read through it), and
// the bounded cursor over JPEG metadata.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "platform/base/byte_cursor.h"
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

// Raises plat::EReadError for a segment, EXIF block or resource that ends before its data; the
// metadata readers catch it and keep what they read before it.
[[noreturn]] void JpegShortRead(std::string_view what);

// A cursor over JPEG metadata bytes, short reads raising JpegShortRead.
inline plat::TByteCursor JpegCursor(std::span<const uint8_t> bytes, bool big_endian = true) {
  return plat::TByteCursor(bytes, JpegShortRead, big_endian);
}

// Appends numbers in a fixed byte order to a byte string.
void PutWordBE(std::string& out, uint32_t value);
void PutDWordBE(std::string& out, uint32_t value);
void PutWordLE(std::string& out, uint32_t value);
void PutDWordLE(std::string& out, uint32_t value);

inline std::span<const uint8_t> AsBytes(std::string_view text) {
  return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

}  // namespace pictavo
