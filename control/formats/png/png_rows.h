#pragma once
// The row filters of the PNG standard, shared by the decoder and the encoder, and the row
// buffers they work in.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace pictavo {

// Samples per pixel of a PNG colour type (grey, -, RGB, palette, grey+alpha, -, RGBA).
inline int ChannelsOf(int color_type) {
  switch (color_type) {
    case 2:
      return 3;
    case 4:
      return 2;
    case 6:
      return 4;
    default:
      return 1;
  }
}

// |x| of a number, or of each lane of a vector of numbers.
template <class T>
T Magnitude(T x) {
  return x < 0 ? -x : x;
}

// The neighbour nearest to left + above - upper_left; ties go to left, then above. Written as
// selections rather than branches, so the per-byte loops stay free of jumps and the same lines
// serve one sample (as int) and a vector of 16-bit lanes.
template <class T>
T PaethOf(T left, T above, T upper_left) {
  // The distances of left + above - upper_left to each candidate, written without the sum.
  const T to_left = Magnitude(above - upper_left);
  const T to_above = Magnitude(left - upper_left);
  const T to_upper_left = Magnitude(left + above - 2 * upper_left);
  const auto above_nearer = to_above < to_left;
  const T nearer = above_nearer ? above : left;
  const T nearer_distance = above_nearer ? to_above : to_left;
  return to_upper_left < nearer_distance ? upper_left : nearer;
}

// One row of samples with room around it, so the loops below can go through it in whole
// 16-byte blocks without testing for its ends: kLead bytes in front of the first byte, zero
// unless the owner stores something there (the filters read the first pixel's left neighbours
// there), and more than a block's worth behind the last. What the loops leave behind the row's
// end is never part of their result.
class TRowBuffer {
 public:
  static constexpr int64_t kLead = 16;
  static constexpr int64_t kTail = 64;

  explicit TRowBuffer(int64_t count = 0) : bytes_(static_cast<size_t>(kLead + count + kTail), 0) {}

  uint8_t* Data() { return bytes_.data() + kLead; }
  const uint8_t* Data() const { return bytes_.data() + kLead; }
  void Zero() { bytes_.assign(bytes_.size(), 0); }

 private:
  std::vector<uint8_t> bytes_;
};

// Undoes filter `type` on row in place against the unfiltered previous row; bytes before the
// first pixel count as 0. Both rows are the data of row buffers. Returns false for an unknown
// filter type.
bool Unfilter(uint8_t type, uint8_t* row, const uint8_t* previous, int64_t count, int bpp);

// Applies filter `type` (1 to 4) to raw against the unfiltered previous row into out. All three
// are the data of row buffers; the bpp bytes in front of raw and previous must be zero.
void ApplyFilter(uint8_t type, const uint8_t* raw, const uint8_t* previous, uint8_t* out,
                 int64_t count, int bpp);

// Positions k (from 4 on) where bytes k - 4 to k are all equal: runs deflate packs well.
// row is the data of a row buffer.
int64_t RunScore(const uint8_t* row, int64_t count);

// What one literal is charged beyond its magnitude: literals of any value take their code bits,
// so a row of many small literals is not cheaper than one of a few larger ones.
constexpr uint8_t kLiteralPrice = 8;

// What a filtered row is estimated to cost deflate: every byte it must code as a literal is
// charged its magnitude (read as a signed difference) plus kLiteralPrice, while a byte inside
// three or more positions in a row that repeat the byte one pixel before, which deflate takes as
// a match, is free. row is the data of a row buffer.
int64_t LiteralCost(const uint8_t* row, int64_t count, int bpp);

// Copies 3-byte pixels from src to dst with their first and last bytes exchanged (blue, green,
// red to red, green, blue and back). Both are the data of row buffers.
void SwapRedBlue(const uint8_t* src, uint8_t* dst, int64_t count);

}  // namespace pictavo
