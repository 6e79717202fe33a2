#pragma once
// The two roundings of the system. They are not interchangeable: each caller states which.
#include <cmath>
#include <cstdint>

namespace plat {

// To the nearest integer, halves to even (2.5 -> 2, 3.5 -> 4). Never std::round.
inline int64_t RoundHalfEven(double x) { return static_cast<int64_t>(std::nearbyint(x)); }

// Towards zero, as an integer cast does.
inline int64_t Trunc(double x) { return static_cast<int64_t>(std::trunc(x)); }

// Trunc(x + 0.5): halves up for positive values, towards zero for negative ones.
inline int64_t TruncHalfUp(double x) { return Trunc(x + 0.5); }

}  // namespace plat
