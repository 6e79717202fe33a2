#include "control/formats/tiff/tiff_lzw.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <utility>

#include "platform/base/exceptions.h"

namespace pictavo {

namespace {

constexpr uint32_t kClearCode = 256;
constexpr uint32_t kEndCode = 257;
constexpr uint32_t kTableSize = 4096;
constexpr int kMinWidth = 9;
constexpr int kMaxWidth = 12;

// After a Clear the next free code is one below the first free one: the code that follows a
// Clear then defines an entry in the end-of-information code's place, which no string ever
// reads, and every other code is handled alike.
constexpr uint32_t kNextAfterClear = kEndCode;

// A table entry is one 64-bit word: the string's first seven bytes (zeros after its end) and, in
// the top byte, its length, or kLong for a longer string. A short string, the most of them in a
// busy picture, is then written with one store of the word and no read of the output, whose
// latest bytes may still be on their way to the cache.
constexpr uint32_t kHeld = 7;
constexpr uint32_t kLong = 0xFF;

// A longer string is read back from the output: a code's string is the previous code's string
// plus the byte after it, so it lies in what was written already.
struct TLongString {
  uint32_t at;
  uint32_t length;
};

// What a code did: the decoding goes on, or stops at the end-of-information code or at a code
// the table does not have.
enum class TStep { kGo, kEnd, kCorrupt };

// The string table. It has a spare slot past its end: once it is full, the entries a code would
// add go there and are never read.
struct TTable {
  std::array<uint64_t, kTableSize + 1> entries;
  std::array<TLongString, kTableSize + 1> longs;
};

uint64_t LoadBigEndian64(const uint8_t* p) {
  uint64_t word;
  std::memcpy(&word, p, 8);
  if constexpr (std::endian::native == std::endian::little) word = __builtin_bswap64(word);
  return word;
}

// The code of `width` bits at bit `bit` of the last bytes of the strip, where eight bytes can no
// longer be loaded at once; the caller has checked that the strip holds its bits.
uint32_t CodeNearEnd(std::span<const uint8_t> strip, size_t bit, uint32_t width) {
  uint32_t bytes = 0;
  for (size_t k = bit >> 3; k < (bit >> 3) + 3; ++k)
    bytes = bytes << 8 | (k < strip.size() ? strip[k] : 0);
  return bytes >> (24 - (bit & 7) - width) & ((1u << width) - 1);
}

// The strip's codes decoded to `at`, until `end` is reached or passed, the strip ends or a code
// stops the decoding; `o` is the start of the room (places in it are kept as 32-bit numbers).
// Returns the end of the bytes written and how the decoding stopped. One function with its state
// in locals: the strings are written through a byte pointer, which the compiler must assume may
// point at anything in memory, so state kept in an object would be read back after every string.
std::pair<uint8_t*, TStep> DecodeCodes(std::span<const uint8_t> strip, uint8_t* const o,
                                       uint8_t* at, uint8_t* const end) {
  TTable table;
  for (uint32_t c = 0; c < 256; ++c) table.entries[c] = c | uint64_t{1} << 56;
  uint32_t next = kNextAfterClear;
  uint32_t width = kMinWidth;
  uint32_t widenAt = (1u << kMinWidth) - 1;
  uint64_t previous = 0;  // the entry of the previous code's string
  uint32_t previousLength = 0;
  const uint8_t* previousAt = o;

  // Defines the next free code as the previous string plus `first`. Once the table is full the
  // entries go to its spare slot.
  auto addEntry = [&](uint64_t first) {
    if (previousLength < kHeld) {
      // The previous entry's top byte is its length and its bytes after the string are zeros.
      table.entries[next] = previous + (uint64_t{1} << 56) + (first << (8 * previousLength));
    } else {
      table.entries[next] = previous | uint64_t{kLong} << 56;
      table.longs[next] = {static_cast<uint32_t>(previousAt - o), previousLength + 1};
    }
    if (++next >= widenAt) [[unlikely]] {
      if (width < kMaxWidth) ++width;
      widenAt = width < kMaxWidth ? (1u << width) - 1 : kTableSize;
      next = std::min(next, kTableSize);
    }
  };
  // Writes the string whose entry is `entry`: its held bytes in one store, a longer one's other
  // bytes eight at a time from where it was written before (the few bytes past the end are
  // scratch that the next string overwrites).
  auto output = [&](uint32_t code, uint64_t entry) {
    uint32_t length = static_cast<uint32_t>(entry >> 56);
    std::memcpy(at, &entry, 8);
    if (length == kLong) [[unlikely]] {
      const TLongString s = table.longs[code];
      for (uint32_t i = kHeld; i < s.length; i += 8) {
        uint64_t block;
        std::memcpy(&block, o + s.at + i, 8);
        std::memcpy(at + i, &block, 8);
      }
      length = s.length;
    }
    previous = entry;
    previousLength = length;
    previousAt = at;
    at += length;
  };
  auto take = [&](uint32_t code) {
    if (code < next && code - kClearCode > 1) [[likely]] {
      const uint64_t entry = table.entries[code];
      addEntry(entry & 0xFF);
      output(code, entry);
      return TStep::kGo;
    }
    if (code == kClearCode) {
      next = kNextAfterClear;
      width = kMinWidth;
      widenAt = (1u << kMinWidth) - 1;
      return TStep::kGo;
    }
    if (code == kEndCode) return TStep::kEnd;
    if (code != next || next == kNextAfterClear || next >= kTableSize) return TStep::kCorrupt;
    // The code being defined: the previous string plus its own first byte. That byte is the
    // first one the code writes, so a longer string too is read from bytes already written.
    addEntry(previous & 0xFF);
    output(code, table.entries[code]);
    return TStep::kGo;
  };

  // Away from the strip's end each code is read with one load at its bit position, so the
  // reads do not wait for each other.
  const size_t bits = 8 * strip.size();
  const size_t wordBits = strip.size() >= 8 ? 8 * (strip.size() - 7) : 0;
  size_t bit = 0;
  TStep step = TStep::kGo;
  while (step == TStep::kGo && at < end) {
    uint32_t code = 0;
    if (bit < wordBits) [[likely]] {
      code = static_cast<uint32_t>(LoadBigEndian64(strip.data() + (bit >> 3)) << (bit & 7) >>
                                   (64 - width));
    } else {
      if (bits - bit < width) break;
      code = CodeNearEnd(strip, bit, width);
    }
    bit += width;
    step = take(code);
  }
  return {at, step};
}

}  // namespace

template <class Bytes>
void DecodeLZW(Bytes& out, std::span<const uint8_t> strip, size_t limit) {
  // The output is written into room for `limit` bytes plus one longest string and its block
  // overrun, then cut.
  const size_t start = out.size();
  const size_t room = start + limit + kTableSize + 8;
  if (room > UINT32_MAX) throw plat::EInvalidGraphic("TIFF file image is too large");
  out.resize(room);
  const auto [at, step] =
      DecodeCodes(strip, out.data(), out.data() + start, out.data() + start + limit);
  const auto decoded = static_cast<size_t>(at - out.data());
  if (step == TStep::kCorrupt) {
    // The bytes decoded so far stay; then the strip is refused.
    out.resize(decoded);
    throw plat::EInvalidGraphic("TIFF file image data corrupted");
  }
  out.resize(std::min(decoded, start + limit));
}

template void DecodeLZW(std::vector<uint8_t>&, std::span<const uint8_t>, size_t);
template void DecodeLZW(plat::TLargeBytes&, std::span<const uint8_t>, size_t);

}  // namespace pictavo
