#include "platform/base/numbers.h"

#include <charconv>
#include <cmath>

#include "platform/base/exceptions.h"

namespace plat {
namespace {

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// from_chars rejects a leading '+'; a sign followed by another sign is still refused afterwards.
std::string_view SkipPlus(std::string_view s) {
  if (s.size() > 1 && s.front() == '+' && s[1] != '-' && s[1] != '+') s.remove_prefix(1);
  return s;
}

template <class T>
std::string ToChars(T value, auto... format) {
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof buf, value, format...);
  return std::string(buf, r.ptr);
}

}  // namespace

bool TryStrToInt64(std::string_view text, int64_t& value) {
  const std::string_view s = SkipPlus(TrimBlanks(text));
  int64_t v = 0;
  const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
  if (s.empty() || r.ec != std::errc() || r.ptr != s.data() + s.size()) return false;
  value = v;
  return true;
}

bool TryStrToInt(std::string_view text, int32_t& value) {
  int64_t v = 0;
  if (!TryStrToInt64(text, v) || v < INT32_MIN || v > INT32_MAX) return false;
  value = static_cast<int32_t>(v);
  return true;
}

bool TryStrToFloat(std::string_view text, double& value) {
  const std::string_view s = SkipPlus(TrimBlanks(text));
  double v = 0;
  const auto r = std::from_chars(s.data(), s.data() + s.size(), v, std::chars_format::general);
  if (s.empty() || r.ec != std::errc() || r.ptr != s.data() + s.size() || !std::isfinite(v))
    return false;
  value = v;
  return true;
}

int64_t StrToInt64(std::string_view text) {
  int64_t v = 0;
  if (!TryStrToInt64(text, v))
    throw EConvertError("'" + std::string(text) + "' is not a valid integer value");
  return v;
}

int32_t StrToInt(std::string_view text) {
  int32_t v = 0;
  if (!TryStrToInt(text, v))
    throw EConvertError("'" + std::string(text) + "' is not a valid integer value");
  return v;
}

double StrToFloat(std::string_view text) {
  double v = 0;
  if (!TryStrToFloat(text, v))
    throw EConvertError("'" + std::string(text) + "' is not a valid floating point value");
  return v;
}

std::string IntToStr(int64_t value) {
  return ToChars(value);
}
std::string FloatToStr(double value) {
  return ToChars(value);
}

std::string FloatToStrDigits(double value, int digits) {
  return ToChars(value, std::chars_format::general, digits);
}

std::string FloatToStrFixed(double value, int decimals) {
  char buf[400];
  const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
  return r.ec == std::errc() ? std::string(buf, r.ptr) : ToChars(value);
}

}  // namespace plat
