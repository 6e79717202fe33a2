#pragma once
// LZW decoding of TIFF strips (codes most significant bit first, the early width change of
// TIFF 6.0).
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "platform/base/large_blocks.h"

namespace pictavo {

// Appends the strip's decoded bytes to `out`, at most `limit` of them. Stops at the end-of-
// information code or at the end of the strip. A code above the next free one raises
// EInvalidGraphic "TIFF file image data corrupted". For a std::vector<uint8_t> or, where the
// room it takes need not be cleared first, a plat::TLargeBytes.
template <class Bytes>
void DecodeLZW(Bytes& out, std::span<const uint8_t> strip, size_t limit);

}  // namespace pictavo
