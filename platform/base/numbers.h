#pragma once
// Locale-free number text: Qt calls setlocale, so nothing here may depend on the C locale.
// Parsing accepts optional surrounding blanks and a leading '+' or '-'; the decimal separator is
// '.'.
#include <cstdint>
#include <string>
#include <string_view>

namespace plat {

bool TryStrToInt64(std::string_view text, int64_t& value);
bool TryStrToInt(std::string_view text, int32_t& value);
bool TryStrToFloat(std::string_view text, double& value);

// Raise EConvertError("'<text>' is not a valid integer value" / "... floating point value").
int64_t StrToInt64(std::string_view text);
int32_t StrToInt(std::string_view text);
double StrToFloat(std::string_view text);

std::string IntToStr(int64_t value);
// The shortest text that reads back as the same double ("0.1", "2.5", "1e+300").
std::string FloatToStr(double value);
// At most `digits` significant digits, trailing zeros dropped ("%.*g" without the locale).
std::string FloatToStrDigits(double value, int digits);
// Exactly `decimals` digits after the point ("%.*f" without the locale).
std::string FloatToStrFixed(double value, int decimals);

}  // namespace plat
