#include "control/formats/support/icutils.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/base/exceptions.h"
#include "platform/base/message_pump.h"
#include "platform/base/streams.h"

namespace pictavo {

namespace {

constexpr int64_t kMaxRun = 128;

uint8_t BitMask(int n) {
  return n >= 1 && n <= 8 ? static_cast<uint8_t>(128 >> (n - 1)) : 0;
}

}  // namespace

uint8_t GetBit(uint8_t b, int n) {
  return (b & BitMask(n)) != 0 ? 1 : 0;
}

uint8_t GetBitFillOrder(uint8_t b, int n, bool reverse) {
  return GetBit(b, reverse ? 9 - n : n);
}

void SetBit(uint8_t& p, int n, int state) {
  p = state == 1 ? (p | BitMask(n)) : (p & ~BitMask(n));
}

uint8_t GetNibble(uint8_t b, int which) {
  if (which == 0) return b >> 4;
  if (which == 1) return b & 0x0F;
  return 0;
}

void SetNibble(uint8_t& p, int which, uint8_t v) {
  if (which == 0) p = static_cast<uint8_t>((v << 4) | (p & 0x0F));
  if (which == 1) p = static_cast<uint8_t>(v + (p & 0xF0));
}

void Delay(uint32_t milliseconds) {
  plat::PumpMessagesFor(milliseconds);
}

namespace {

// Walks the runs of `in` until at least count of its bytes are used, handing each to
// repeat(byte, times) or copy(bytes, length); either returns false to stop the walk. Returns the
// bytes used, or -1 when `in` ends inside a run or the walk was stopped.
template <class Repeat, class Copy>
int64_t WalkPackBits(std::span<const uint8_t> in, int64_t count, Repeat&& repeat, Copy&& copy) {
  const auto size = static_cast<int64_t>(in.size());
  int64_t at = 0;
  do {
    if (at >= size) return -1;
    const uint8_t n = in[static_cast<size_t>(at++)];
    if (n > 128) {
      if (at >= size || !repeat(in[static_cast<size_t>(at++)], static_cast<size_t>(257 - n)))
        return -1;
    } else if (n < 128) {
      const int64_t literal = n + 1;
      if (literal > size - at || !copy(in.data() + at, static_cast<size_t>(literal))) return -1;
      at += literal;
    }
  } while (at < count);
  return at;
}

}  // namespace

int64_t DecodePackBits(std::span<const uint8_t> in, int64_t count, std::vector<uint8_t>& out) {
  return WalkPackBits(
      in, count,
      [&out](uint8_t byte, size_t times) {
        out.insert(out.end(), times, byte);
        return true;
      },
      [&out](const uint8_t* bytes, size_t length) {
        out.insert(out.end(), bytes, bytes + length);
        return true;
      });
}

namespace {

// Copies a literal run in 16-byte blocks, the last one ending where the run ends, with no call:
// a busy picture is mostly runs of up to 128 bytes, too short for a library copy to pay for the
// call and its choice of method.
void CopyRun(uint8_t* to, const uint8_t* from, size_t length) {
  if (length < 16) {
    std::memcpy(to, from, length);
    return;
  }
  for (size_t i = 0; i + 16 < length; i += 16) std::memcpy(to + i, from + i, 16);
  std::memcpy(to + length - 16, from + length - 16, 16);
}

}  // namespace

bool DecodePackBitsExactly(std::span<const uint8_t> in, int64_t count, std::span<uint8_t> out) {
  size_t filled = 0;
  const int64_t used = WalkPackBits(
      in, count,
      [&](uint8_t byte, size_t times) {
        if (times > out.size() - filled) return false;
        std::memset(out.data() + filled, byte, times);
        filled += times;
        return true;
      },
      [&](const uint8_t* bytes, size_t length) {
        if (length > out.size() - filled) return false;
        CopyRun(out.data() + filled, bytes, length);
        filled += length;
        return true;
      });
  return used >= 0 && filled == out.size();
}

void UnPackBits(plat::TMemoryStream& dest, plat::TStream& source, int64_t count) {
  bool complete = false;
  try {
    dest.Clear();
    const int64_t start = source.Position();
    // A run that starts before count ends at most 128 bytes after it, so this is all we need.
    const int64_t wanted = std::min(source.Remaining(), std::max<int64_t>(count, 1) + kMaxRun);
    std::vector<uint8_t> in(static_cast<size_t>(std::max<int64_t>(wanted, 0)));
    source.ReadBuffer(in.data(), static_cast<int64_t>(in.size()));
    std::vector<uint8_t> out;
    const int64_t used = DecodePackBits(in, count, out);
    complete = used >= 0;
    source.SetPosition(start + (complete ? used : static_cast<int64_t>(in.size())));
    dest.WriteBuffer(out.data(), static_cast<int64_t>(out.size()));
  } catch (const std::exception&) {
    complete = false;
  }
  if (!complete) throw plat::Exception("Error in UnPackBits procedure");
}

namespace {

// Length of the run of bytes equal to buffer[p], capped at 128.
int64_t RepeatLength(const uint8_t* buffer, int64_t p, int64_t length) {
  int64_t q = p;
  while (q < length - 1 && buffer[q + 1] == buffer[p] && q - p + 1 < kMaxRun) ++q;
  return q - p + 1;
}

// Length of a literal starting at p: it stops before the next pair of equal bytes.
int64_t LiteralLength(const uint8_t* buffer, int64_t p, int64_t length) {
  int64_t q = p;
  while (q < length - 1 && buffer[q + 1] != buffer[q] && q - p + 1 < kMaxRun) ++q;
  if (q < length - 1 && buffer[q + 1] == buffer[q]) --q;
  return q - p + 1;
}

}  // namespace

namespace {

// A literal of one byte before a run of two turns three bytes into four, the worst there is; a
// literal at the end adds its count byte.
int64_t Bound(int64_t length) {
  return length + (length + 2) / 3 + 1;
}

// Codes into room for the most the runs can take, then gives back what they did not use.
template <class Bytes>
void AppendPackBits(Bytes& out, const uint8_t* buffer, int64_t length) {
  const size_t start = out.size();
  out.resize(start + static_cast<size_t>(Bound(length)));
  uint8_t* to = out.data() + start;
  int64_t p = 0;
  while (p < length) {
    const int64_t repeat = RepeatLength(buffer, p, length);
    if (repeat >= 2) {
      *to++ = static_cast<uint8_t>(1 - repeat);
      *to++ = buffer[p];
      p += repeat;
      continue;
    }
    const int64_t literal = LiteralLength(buffer, p, length);
    *to++ = static_cast<uint8_t>(literal - 1);
    std::memcpy(to, buffer + p, static_cast<size_t>(literal));
    to += literal;
    p += literal;
  }
  out.resize(static_cast<size_t>(to - out.data()));
}

}  // namespace

int64_t PackBitsBound(int64_t length) {
  return Bound(length);
}

void PackBits(plat::TStream& dest, const uint8_t* buffer, int64_t length) {
  std::vector<uint8_t> out;
  out.reserve(static_cast<size_t>(PackBitsBound(length)));
  AppendPackBits(out, buffer, length);
  dest.WriteBuffer(out.data(), static_cast<int64_t>(out.size()));
}

void PackBits(plat::TLargeBytes& out, const uint8_t* buffer, int64_t length) {
  AppendPackBits(out, buffer, length);
}

}  // namespace pictavo
