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
// itself holds the strings: each entry is a place and a length there. The single bytes are put
// after the room for the output, so every code is copied the same way; places count from the
// start of the room, which keeps the table small enough for the fastest cache.
struct TEntry {
  uint32_t at;
  uint32_t length;
};

// Copies a string to the end of the output, eight bytes at a time. The string lies wholly
// before `to`, so each block reads only bytes of the string or bytes already written; the few
// bytes past its end are scratch that the next string overwrites (the output has room for them).
inline void CopyForward(uint8_t* to, const uint8_t* from, uint32_t length) {
  // Short strings, the most of them in a busy picture, often lie in the last few strings
  // written: a block read across two blocks still being stored waits for both, single bytes
  // do not.
  if (length <= 3) {
    to[0] = from[0];
    to[1] = from[1];
    to[2] = from[2];
    return;
  }
  for (uint32_t i = 0; i < length; i += 8) {
    uint64_t block;
    std::memcpy(&block, from + i, 8);
    std::memcpy(to + i, &block, 8);
  }
}

// The next code of `width` bits, or -1 when the strip holds fewer bits.
[[gnu::always_inline]] inline int64_t NextCode(plat::TBitReader& in, int width) {
  if (in.Remaining() < static_cast<size_t>(width)) return -1;
  return in.Take(width);
}

// The bytes decoded so far stay; then the strip is refused.
template <class Bytes>
[[noreturn]] void Corrupt(Bytes& out, size_t decoded) {
  out.resize(decoded);
  throw plat::EInvalidGraphic("TIFF file image data corrupted");
}

}  // namespace

template <class Bytes>
void DecodeLZW(Bytes& out, std::span<const uint8_t> strip, size_t limit) {
  // The output is written into room for `limit` bytes plus one longest string and its block
  // overrun, then cut; the single bytes follow.
  const size_t start = out.size();
  const size_t singles = start + limit + kTableSize + 8;
  if (singles + 256 + 8 > UINT32_MAX) throw plat::EInvalidGraphic("TIFF file image is too large");
  out.resize(singles + 256 + 8);
  uint8_t* const o = out.data();
  std::array<TEntry, kTableSize> table;
  for (uint32_t c = 0; c < 256; ++c) {
    o[singles + c] = static_cast<uint8_t>(c);
    table[c] = {static_cast<uint32_t>(singles + c), 1};
  }
  uint8_t* at = o + start;
  uint8_t* const end = at + limit;
  plat::TBitReader in(strip);
  uint32_t next = kFirstFreeCode;
  int width = kMinWidth;
  bool afterClear = true;
  TEntry previous{};

  while (at < end) {
    const int64_t code = NextCode(in, width);
    if (code < 0 || code == kEndCode) break;
    if (code == kClearCode) {
      next = kFirstFreeCode;
      width = kMinWidth;
      afterClear = true;
      continue;
    }
    if (afterClear ? code > 255 : code > next || (code == next && next >= kTableSize))
      Corrupt(out, static_cast<size_t>(at - out.data()));
    TEntry current{static_cast<uint32_t>(at - o), 0};
    if (code < next) {
      current.length = table[code].length;
      CopyForward(at, o + table[code].at, current.length);
    } else {  // the code being defined: the previous string plus its own first byte
      current.length = previous.length + 1;
      CopyForward(at, o + previous.at, previous.length);
      at[previous.length] = o[previous.at];
    }
    at += current.length;
    if (!afterClear && next < kTableSize) {
      table[next] = {previous.at, previous.length + 1};
      ++next;
      if (next >= (1u << width) - 1 && width < kMaxWidth) ++width;
    }
    afterClear = false;
    previous = current;
  }
  out.resize(std::min(static_cast<size_t>(at - out.data()), start + limit));
}

template void DecodeLZW(std::vector<uint8_t>&, std::span<const uint8_t>, size_t);
template void DecodeLZW(plat::TLargeBytes&, std::span<const uint8_t>, size_t);

}  // namespace pictavo
