#pragma once
// The one bounds-checked way every reader of outside bytes walks them: a byte cursor with
// sequential and positioned reads in either byte order, and a bit reader for packed codes.
// Neither decides what a short read means: the reader that owns the bytes hands in the function
// that raises its format's own error, so no bare stream error reaches a user.
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>

namespace plat {

// Raises the reader's error for bytes that are not there; `what` names the part being read
// (empty when the reader gave none). It must throw.
using TShortRead = void (*)(std::string_view what);

// A read position over bytes owned by someone else. Every read checks, in 64-bit arithmetic,
// that the bytes are there before it touches them.
class TByteCursor {
 public:
  TByteCursor(std::span<const uint8_t> bytes, TShortRead short_read, bool big_endian = true)
      : bytes_(bytes), short_read_(short_read), big_endian_(big_endian) {}

  size_t Size() const { return bytes_.size(); }
  size_t Position() const { return position_; }
  size_t Remaining() const { return bytes_.size() - position_; }
  bool AtEnd() const { return position_ >= bytes_.size(); }
  bool BigEndian() const { return big_endian_; }
  void SetBigEndian(bool value) { big_endian_ = value; }
  // True when count bytes starting at position lie inside the data.
  bool Holds(uint64_t position, uint64_t count) const {
    return position <= bytes_.size() && count <= bytes_.size() - position;
  }

  // Moves to an absolute position (the end itself is allowed).
  void Seek(uint64_t position, std::string_view what = {});
  void Skip(uint64_t count, std::string_view what = {});

  uint8_t Byte(std::string_view what = {});
  uint16_t Word(std::string_view what = {});
  uint32_t DWord(std::string_view what = {});
  std::span<const uint8_t> Bytes(uint64_t count, std::string_view what = {});
  std::string Text(uint64_t count, std::string_view what = {});

  // Reads at an absolute position; the read position stays where it is.
  uint8_t ByteAt(uint64_t position, std::string_view what = {}) const;
  uint16_t WordAt(uint64_t position, std::string_view what = {}) const;
  uint32_t DWordAt(uint64_t position, std::string_view what = {}) const;
  std::span<const uint8_t> BytesAt(uint64_t position, uint64_t count,
                                   std::string_view what = {}) const;

 private:
  // The bytes [position, position + count), or the reader's error.
  const uint8_t* Require(uint64_t position, uint64_t count, std::string_view what) const;
  uint32_t Number(const uint8_t* bytes, int count) const;

  std::span<const uint8_t> bytes_;
  TShortRead short_read_;
  bool big_endian_;
  size_t position_ = 0;
};

// Bits of a byte string, most significant first (or least significant first when `reversed`),
// read through a 64-bit window. Bits beyond the end read as 0; Remaining() tells the caller
// how many real bits are left, so each decoder judges a short code by its own rules.
class TBitReader {
 public:
  TBitReader(std::span<const uint8_t> data, bool reversed = false)
      : data_(data), reversed_(reversed), total_(data.size() * 8) {}

  // The next n bits (1 to 32) without taking them.
  uint32_t Peek(int n) {
    if (count_ < n) Fill();
    return static_cast<uint32_t>(window_ >> (64 - n));
  }
  void Skip(int n) {
    window_ <<= n;
    count_ -= n;
    position_ += static_cast<size_t>(n);
  }
  // The next n bits, taken.
  uint32_t Take(int n) {
    uint32_t bits = Peek(n);
    Skip(n);
    return bits;
  }
  // The next bit, or -1 when no real bit is left.
  int Next() { return Remaining() == 0 ? -1 : static_cast<int>(Take(1)); }
  size_t Remaining() const { return position_ >= total_ ? 0 : total_ - position_; }
  size_t Position() const { return position_; }
  void SetPosition(size_t bit);
  void AlignToByte() { SetPosition((position_ + 7) & ~size_t{7}); }

 private:
  // Tops the window up. Away from the end that is one load of every whole byte that fits; it is
  // taken once every few codes, so it stays inline in the decoders' loops.
  void Fill() {
    if (data_.size() < 8 || next_ > data_.size() - 8) return FillNearEnd();
    uint64_t word;
    std::memcpy(&word, data_.data() + next_, sizeof word);
    if constexpr (std::endian::native == std::endian::little) word = __builtin_bswap64(word);
    if (reversed_) word = ReverseBitsOfEachByte(word);
    const int bytes = (64 - count_) / 8;
    if (bytes < 8) word &= ~(~uint64_t{0} >> (8 * bytes));
    window_ |= word >> count_;
    count_ += 8 * bytes;
    next_ += static_cast<size_t>(bytes);
  }
  void FillNearEnd();
  static uint64_t ReverseBitsOfEachByte(uint64_t word) {
    word = ((word >> 1) & 0x5555555555555555) | ((word & 0x5555555555555555) << 1);
    word = ((word >> 2) & 0x3333333333333333) | ((word & 0x3333333333333333) << 2);
    return ((word >> 4) & 0x0F0F0F0F0F0F0F0F) | ((word & 0x0F0F0F0F0F0F0F0F) << 4);
  }

  std::span<const uint8_t> data_;
  bool reversed_;
  size_t total_;
  size_t next_ = 0;  // next byte to enter the window
  uint64_t window_ = 0;
  int count_ = 0;  // bits in the window
  size_t position_ = 0;
};

}  // namespace plat
