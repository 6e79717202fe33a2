#pragma once
// 24-bit pixels between the blue-green-red order of our bitmaps and the red-green-blue order most
// file formats store.
#include <cstddef>
#include <cstdint>

namespace plat {

// Writes `pixels` 3-byte pixels of `from` to `to` with their first and third bytes exchanged.
// `to` may be `from` itself; otherwise the two must not overlap.
void SwapRedAndBlue(uint8_t* to, const uint8_t* from, size_t pixels);

}  // namespace plat
