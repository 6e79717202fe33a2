#include "control/formats/jpeg/be_stream.h"

#include "platform/base/exceptions.h"

namespace pictavo {

namespace {

[[noreturn]] void ReadPastEnd() {
  throw plat::EReadError("Stream read error");
}

uint32_t Combine(const uint8_t* bytes, int count, bool big_endian) {
  uint32_t value = 0;
  for (int i = 0; i < count; ++i) {
    int index = big_endian ? i : count - 1 - i;
    value = (value << 8) | bytes[index];
  }
  return value;
}

}  // namespace

uint16_t ReadWord(TBEMemoryStream& stream) {
  uint8_t bytes[2];
  stream.ReadBuffer(bytes, 2);
  return static_cast<uint16_t>(Combine(bytes, 2, stream.BigEndian));
}

uint32_t ReadDWord(TBEMemoryStream& stream) {
  uint8_t bytes[4];
  stream.ReadBuffer(bytes, 4);
  return Combine(bytes, 4, stream.BigEndian);
}

void TByteCursor::Require(uint64_t count) const {
  if (!Holds(position_, count)) ReadPastEnd();
}

void TByteCursor::Seek(uint64_t position) {
  if (position > bytes_.size()) ReadPastEnd();
  position_ = static_cast<size_t>(position);
}

void TByteCursor::Skip(uint64_t count) {
  Require(count);
  position_ += static_cast<size_t>(count);
}

uint8_t TByteCursor::Byte() {
  Require(1);
  return bytes_[position_++];
}

uint16_t TByteCursor::Word() {
  Require(2);
  uint16_t value = static_cast<uint16_t>(Combine(bytes_.data() + position_, 2, big_endian_));
  position_ += 2;
  return value;
}

uint32_t TByteCursor::DWord() {
  Require(4);
  uint32_t value = Combine(bytes_.data() + position_, 4, big_endian_);
  position_ += 4;
  return value;
}

std::span<const uint8_t> TByteCursor::Bytes(uint64_t count) {
  Require(count);
  std::span<const uint8_t> out = bytes_.subspan(position_, static_cast<size_t>(count));
  position_ += static_cast<size_t>(count);
  return out;
}

std::string TByteCursor::Text(uint64_t count) {
  std::span<const uint8_t> bytes = Bytes(count);
  return std::string(bytes.begin(), bytes.end());
}

void PutWordBE(std::string& out, uint32_t value) {
  out += static_cast<char>((value >> 8) & 0xFF);
  out += static_cast<char>(value & 0xFF);
}

void PutDWordBE(std::string& out, uint32_t value) {
  PutWordBE(out, value >> 16);
  PutWordBE(out, value & 0xFFFF);
}

void PutWordLE(std::string& out, uint32_t value) {
  out += static_cast<char>(value & 0xFF);
  out += static_cast<char>((value >> 8) & 0xFF);
}

void PutDWordLE(std::string& out, uint32_t value) {
  PutWordLE(out, value & 0xFFFF);
  PutWordLE(out, value >> 16);
}

}  // namespace pictavo
