#include "platform/base/byte_cursor.h"

#include <array>
#include <bit>
#include <cstring>
#include <exception>

namespace plat {

namespace {

constexpr std::array<uint8_t, 256> kReversedBytes = [] {
  std::array<uint8_t, 256> table{};
  for (int b = 0; b < 256; ++b)
    for (int i = 0; i < 8; ++i)
      if (b & (1 << i)) table[b] |= static_cast<uint8_t>(0x80 >> i);
  return table;
}();

}  // namespace

const uint8_t* TByteCursor::Require(uint64_t position, uint64_t count,
                                    std::string_view what) const {
  if (!Holds(position, count)) {
    short_read_(what);
    // A handler that returns would let the read run past the bytes.
    std::terminate();
  }
  return bytes_.data() + position;
}

uint32_t TByteCursor::Number(const uint8_t* bytes, int count) const {
  uint32_t value = 0;
  for (int i = 0; i < count; ++i) value = (value << 8) | bytes[big_endian_ ? i : count - 1 - i];
  return value;
}

void TByteCursor::Seek(uint64_t position, std::string_view what) {
  Require(position, 0, what);
  position_ = static_cast<size_t>(position);
}

void TByteCursor::Skip(uint64_t count, std::string_view what) {
  Require(position_, count, what);
  position_ += static_cast<size_t>(count);
}

uint8_t TByteCursor::Byte(std::string_view what) {
  uint8_t value = ByteAt(position_, what);
  ++position_;
  return value;
}

uint16_t TByteCursor::Word(std::string_view what) {
  uint16_t value = WordAt(position_, what);
  position_ += 2;
  return value;
}

uint32_t TByteCursor::DWord(std::string_view what) {
  uint32_t value = DWordAt(position_, what);
  position_ += 4;
  return value;
}

std::span<const uint8_t> TByteCursor::Bytes(uint64_t count, std::string_view what) {
  std::span<const uint8_t> out = BytesAt(position_, count, what);
  position_ += out.size();
  return out;
}

std::string TByteCursor::Text(uint64_t count, std::string_view what) {
  std::span<const uint8_t> bytes = Bytes(count, what);
  return std::string(bytes.begin(), bytes.end());
}

uint8_t TByteCursor::ByteAt(uint64_t position, std::string_view what) const {
  return *Require(position, 1, what);
}

uint16_t TByteCursor::WordAt(uint64_t position, std::string_view what) const {
  return static_cast<uint16_t>(Number(Require(position, 2, what), 2));
}

uint32_t TByteCursor::DWordAt(uint64_t position, std::string_view what) const {
  return Number(Require(position, 4, what), 4);
}

std::span<const uint8_t> TByteCursor::BytesAt(uint64_t position, uint64_t count,
                                              std::string_view what) const {
  return {Require(position, count, what), static_cast<size_t>(count)};
}

void TBitReader::SetPosition(size_t bit) {
  next_ = bit >> 3;
  window_ = 0;
  count_ = 0;
  position_ = bit & ~size_t{7};
  if (bit & 7) {
    Fill();
    Skip(static_cast<int>(bit & 7));
  }
}

// Byte by byte near the end, the bytes past it read as zeros.
void TBitReader::FillNearEnd() {
  while (count_ <= 56) {
    uint8_t byte = next_ < data_.size() ? data_[next_] : 0;
    if (reversed_) byte = kReversedBytes[byte];
    window_ |= uint64_t{byte} << (56 - count_);
    count_ += 8;
    ++next_;
  }
}

}  // namespace plat
