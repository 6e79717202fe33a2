#pragma once
// Small routines the codecs and the view control share: single bits and nibbles in the order of
// packed 1-bit and 4-bit pixel rows, the PackBits run-length coder of TIFF and PSD, and a delay
// that keeps the thread's events flowing.
#include <cstdint>
#include <span>
#include <vector>

#include "platform/base/large_blocks.h"

namespace plat {
class TMemoryStream;
class TStream;
}  // namespace plat

namespace pictavo {

// Bits are numbered 1 to 8 from the most significant bit (bit 1 = 128), the order of pixels in
// a packed 1-bit row. Bit numbers outside 1..8 read as 0 and are never written.
uint8_t GetBit(uint8_t b, int n);
// Bit 9 - n when reverse is set: TIFF FillOrder 2 keeps the first pixel in the lowest bit.
uint8_t GetBitFillOrder(uint8_t b, int n, bool reverse);
// State 1 sets bit n of p; any other state clears it.
void SetBit(uint8_t& p, int n, int state);
// which 0: the high nibble; 1: the low nibble; anything else: 0.
uint8_t GetNibble(uint8_t b, int which);
// which 0: v into the high nibble; 1: v added to the high nibble; anything else: no change.
void SetNibble(uint8_t& p, int which, uint8_t v);

// Processes the thread's pending events repeatedly until `milliseconds` have passed.
void Delay(uint32_t milliseconds);

// Decodes PackBits from source's position into dest (cleared first) until at least count source
// bytes are consumed; the last run is taken whole. Raises plat::Exception
// "Error in UnPackBits procedure" when the data ends inside a run; dest then holds what was
// decoded so far.
void UnPackBits(plat::TMemoryStream& dest, plat::TStream& source, int64_t count);
// Decodes runs of `in` onto the end of `out` until at least count bytes of `in` are used; returns
// how many were, or -1 when `in` ends inside a run (out then holds the runs before it).
int64_t DecodePackBits(std::span<const uint8_t> in, int64_t count, std::vector<uint8_t>& out);
// The same runs into `out`: true when they fill it exactly.
bool DecodePackBitsExactly(std::span<const uint8_t> in, int64_t count, std::span<uint8_t> out);
// Encodes length bytes as PackBits onto dest.
void PackBits(plat::TStream& dest, const uint8_t* buffer, int64_t length);
// The most bytes PackBits makes of length bytes.
int64_t PackBitsBound(int64_t length);
// The same runs appended to out.
void PackBits(plat::TLargeBytes& out, const uint8_t* buffer, int64_t length);

}  // namespace pictavo
