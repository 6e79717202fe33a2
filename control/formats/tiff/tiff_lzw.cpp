#include "control/formats/tiff/tiff_lzw.h"

#include <array>

#include "platform/base/exceptions.h"

namespace pictavo {

namespace {

constexpr uint32_t kClearCode = 256;
constexpr uint32_t kEndCode = 257;
constexpr uint32_t kFirstFreeCode = 258;
constexpr uint32_t kTableSize = 4096;
constexpr int kMinWidth = 9;
constexpr int kMaxWidth = 12;

struct TEntry {
  uint16_t prefix;
  uint16_t length;
  uint8_t suffix;
  uint8_t first;
};

class TCodeReader {
 public:
  explicit TCodeReader(std::span<const uint8_t> data) : data_(data) {}
  // The next code of `width` bits, or -1 when the strip holds fewer bits.
  int64_t Next(int width) {
    while (count_ < width) {
      if (pos_ >= data_.size()) return -1;
      acc_ = (acc_ << 8) | data_[pos_++];
      count_ += 8;
    }
    count_ -= width;
    return static_cast<int64_t>((acc_ >> count_) & ((1u << width) - 1));
  }

 private:
  std::span<const uint8_t> data_;
  size_t pos_ = 0;
  uint64_t acc_ = 0;
  int count_ = 0;
};

}  // namespace

void DecodeLZW(std::vector<uint8_t>& out, std::span<const uint8_t> strip, size_t limit) {
  std::array<TEntry, kTableSize> table;
  for (uint32_t i = 0; i < 256; ++i)
    table[i] = {0, 1, static_cast<uint8_t>(i), static_cast<uint8_t>(i)};
  const size_t start = out.size();
  const size_t end = start + limit;
  TCodeReader in(strip);
  uint32_t next = kFirstFreeCode;
  int width = kMinWidth;
  int64_t previous = -1;

  auto emit = [&](uint32_t code) {
    size_t at = out.size();
    out.resize(at + table[code].length);
    for (size_t i = out.size(); i > at; code = table[code].prefix) out[--i] = table[code].suffix;
  };

  while (out.size() < end) {
    int64_t code = in.Next(width);
    if (code < 0 || code == kEndCode) break;
    if (code == kClearCode) {
      next = kFirstFreeCode;
      width = kMinWidth;
      previous = -1;
      continue;
    }
    if (previous < 0) {
      if (code > 255) throw plat::EInvalidGraphic("TIFF file image data corrupted");
      emit(static_cast<uint32_t>(code));
      previous = code;
      continue;
    }
    if (code > next || (code == next && next >= kTableSize))
      throw plat::EInvalidGraphic("TIFF file image data corrupted");
    uint8_t first;
    if (code < next) {
      first = table[code].first;
      emit(static_cast<uint32_t>(code));
    } else {  // the code being defined: the previous string plus its own first byte
      first = table[previous].first;
      emit(static_cast<uint32_t>(previous));
      out.push_back(first);
    }
    if (next < kTableSize) {
      const TEntry& p = table[previous];
      table[next] = {static_cast<uint16_t>(previous), static_cast<uint16_t>(p.length + 1), first,
                     p.first};
      ++next;
      if (next >= (1u << width) - 1 && width < kMaxWidth) ++width;
    }
    previous = code;
  }
  if (out.size() > end) out.resize(end);
}

}  // namespace pictavo
