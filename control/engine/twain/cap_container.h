#pragma once
// Reading the capability containers a source returns (ONEVALUE, ENUMERATION, RANGE) from the
// bytes of their memory block. A block too short for what it claims reads as no reply.
#include <cstdint>
#include <span>
#include <vector>

namespace pictavo {

struct TCapReply {
  uint16_t ConType = 0;  // TWON_* of the container read, 0 when none was readable
  uint16_t ItemType = 0;
  std::vector<uint32_t> Items;  // ONEVALUE: the value; ENUMERATION: the items in order
  uint32_t CurrentIndex = 0;    // ENUMERATION
  uint32_t MinValue = 0, MaxValue = 0, StepSize = 0, CurrentValue = 0;  // RANGE
};

TCapReply ReadCapContainer(uint16_t con_type, std::span<const uint8_t> block);

// TW_FIX32 packed in 32 bits (Whole in the low half) and back. Whole is the floor, so a
// negative fraction keeps a non-negative Frac.
double Fix32ToDouble(uint32_t packed);
uint32_t DoubleToFix32(double value);

}  // namespace pictavo
