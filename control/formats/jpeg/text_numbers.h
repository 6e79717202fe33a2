#pragma once
// Locale-free number parsing for the texts stored in metadata: whatever locale Qt sets, a
// file's numbers use "." and plain digits.
#include <cstdint>
#include <optional>
#include <string_view>

namespace pictavo {

// An optional sign and decimal digits, nothing else; nullopt otherwise or on overflow.
std::optional<int64_t> ParseInteger(std::string_view text);
// A decimal real with "." (exponent allowed), surrounding spaces ignored; nullopt otherwise.
std::optional<double> ParseReal(std::string_view text);

}  // namespace pictavo
