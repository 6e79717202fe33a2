#pragma once
// The row filters of the PNG standard, shared by the decoder and the encoder.
#include <cstdint>
#include <cstdlib>

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

// The neighbour nearest to left + above - upper_left; ties go to left, then above. Written as
// two selections rather than branches, so the compiler keeps the per-byte loop free of jumps.
inline uint8_t PaethPredictor(uint8_t left, uint8_t above, uint8_t upper_left) {
  // The distances of left + above - upper_left to each candidate, written without the sum.
  const int to_left = std::abs(above - upper_left);
  const int to_above = std::abs(left - upper_left);
  const int to_upper_left = std::abs(left + above - 2 * upper_left);
  const bool above_nearer = to_above < to_left;
  const uint8_t nearer = above_nearer ? above : left;
  const int nearer_distance = above_nearer ? to_above : to_left;
  return to_upper_left < nearer_distance ? upper_left : nearer;
}

// Undoes filter `type` on row in place against the unfiltered previous row; bytes before the
// first pixel count as 0. Returns false for an unknown filter type.
bool Unfilter(uint8_t type, uint8_t* row, const uint8_t* previous, int64_t count, int bpp);

// Applies filter `type` to raw against the unfiltered previous row into out.
void ApplyFilter(uint8_t type, const uint8_t* raw, const uint8_t* previous, uint8_t* out,
                 int64_t count, int bpp);

}  // namespace pictavo
