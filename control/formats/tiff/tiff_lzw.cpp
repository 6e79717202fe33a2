#include "control/formats/tiff/tiff_lzw.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "platform/base/byte_cursor.h"
#include "platform/base/exceptions.h"

namespace pictavo {

namespace {

constexpr uint32_t kClearCode = 256;
constexpr uint32_t kEndCode = 257;
constexpr uint32_t kFirstFreeCode = 258;
constexpr uint32_t kTableSize = 4096;
constexpr int kMinWidth = 9;
constexpr int kMaxWidth = 12;

// A string of the table. Every string but the single bytes has been written to the output
// already (a code's string is the previous code's string plus the byte after it), so the output
// itself holds the strings: each entry is a place and a length there.
struct TEntry {
  size_t offset;
  uint32_t length;
};

// Copies a string of the output to its end, eight bytes at a time. The string lies wholly
// before `to`, so each block reads only bytes of the string or bytes already written; the few
// bytes past its end are scratch that the next string overwrites (the output has room for them).
inline void CopyForward(uint8_t* to, const uint8_t* from, uint32_t length) {
  for (uint32_t i = 0; i < length; i += 8) {
    uint64_t block;
    std::memcpy(&block, from + i, 8);
    std::memcpy(to + i, &block, 8);
  }
}

// The next code of `width` bits, or -1 when the strip holds fewer bits.
int64_t NextCode(plat::TBitReader& in, int width) {
  if (in.Remaining() < static_cast<size_t>(width)) return -1;
  return in.Take(width);
}

// The bytes decoded so far stay; then the strip is refused.
[[noreturn]] void Corrupt(std::vector<uint8_t>& out, size_t decoded) {
  out.resize(decoded);
  throw plat::EInvalidGraphic("TIFF file image data corrupted");
}

}  // namespace

void DecodeLZW(std::vector<uint8_t>& out, std::span<const uint8_t> strip, size_t limit) {
  std::array<TEntry, kTableSize> table;
  // The output is written into room for `limit` bytes plus one longest string and its block
  // overrun, then cut.
  const size_t start = out.size();
  const size_t end = start + limit;
  out.resize(end + kTableSize + 8);
  size_t at = start;
  plat::TBitReader in(strip);
  uint32_t next = kFirstFreeCode;
  int width = kMinWidth;
  bool afterClear = true;
  TEntry previous{};

  // Writes the string of a code and returns where it now stands.
  auto emit = [&](int64_t code) {
    TEntry written{at, 1};
    if (code < 256) {
      out[at] = static_cast<uint8_t>(code);
    } else {
      written.length = table[code].length;
      CopyForward(&out[at], &out[table[code].offset], written.length);
    }
    at += written.length;
    return written;
  };

  while (at < end) {
    const int64_t code = NextCode(in, width);
    if (code < 0 || code == kEndCode) break;
    if (code == kClearCode) {
      next = kFirstFreeCode;
      width = kMinWidth;
      afterClear = true;
      continue;
    }
    if (afterClear) {
      if (code > 255) Corrupt(out, at);
      previous = emit(code);
      afterClear = false;
      continue;
    }
    if (code > next || (code == next && next >= kTableSize)) Corrupt(out, at);
    TEntry current;
    if (code < next) {
      current = emit(code);
    } else {  // the code being defined: the previous string plus its own first byte
      current = {at, previous.length + 1};
      CopyForward(&out[at], &out[previous.offset], previous.length);
      out[at + previous.length] = out[previous.offset];
      at += current.length;
    }
    if (next < kTableSize) {
      table[next] = {previous.offset, previous.length + 1};
      ++next;
      if (next >= (1u << width) - 1 && width < kMaxWidth) ++width;
    }
    previous = current;
  }
  out.resize(std::min(at, end));
}

}  // namespace pictavo
