#include "control/formats/jpeg/ansi_text.h"

#include <array>
#include <cstdint>
#include <optional>

namespace pictavo {

namespace {

// Windows-1252 bytes 0x80..0x9F; 0 marks the five unassigned codes, which map to themselves.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char16_t CodeUnitOf(uint8_t byte) {
  if (byte >= 0x80 && byte <= 0x9F && kHighControls[byte - 0x80] != 0)
    return kHighControls[byte - 0x80];
  return byte;
}

std::optional<uint8_t> ByteOf(char32_t code) {
  if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) return static_cast<uint8_t>(code);
  for (size_t i = 0; i < kHighControls.size(); ++i) {
    char16_t mapped = kHighControls[i];
    if (mapped == code || (mapped == 0 && code == 0x80 + i)) return static_cast<uint8_t>(0x80 + i);
  }
  return std::nullopt;
}

void AppendUtf8(std::string& out, char32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

// Decodes UTF-8 strictly (no overlong forms, no surrogates); nullopt when the bytes are not UTF-8.
std::optional<std::u32string> DecodeUtf8(std::string_view text) {
  std::u32string out;
  for (size_t i = 0; i < text.size();) {
    uint8_t lead = static_cast<uint8_t>(text[i]);
    int extra = lead < 0x80             ? 0
                : (lead & 0xE0) == 0xC0 ? 1
                : (lead & 0xF0) == 0xE0 ? 2
                : (lead & 0xF8) == 0xF0 ? 3
                                        : -1;
    if (extra < 0 || i + static_cast<size_t>(extra) >= text.size()) return std::nullopt;
    char32_t code = extra == 0 ? lead : lead & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) {
      uint8_t next = static_cast<uint8_t>(text[i + k]);
      if ((next & 0xC0) != 0x80) return std::nullopt;
      code = (code << 6) | (next & 0x3F);
    }
    static constexpr char32_t kMinimum[] = {0, 0x80, 0x800, 0x10000};
    if (code < kMinimum[extra] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
      return std::nullopt;
    out += code;
    i += 1 + extra;
  }
  return out;
}

}  // namespace

std::string WideToAnsi(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t code = text[i];
    if (code >= 0xD800 && code <= 0xDBFF && i + 1 < text.size()) ++i;  // a pair: no equivalent
    out += static_cast<char>(ByteOf(code).value_or('?'));
  }
  return out;
}

std::u16string AnsiToWide(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (char c : text) out += CodeUnitOf(static_cast<uint8_t>(c));
  return out;
}

std::string AnsiToUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) AppendUtf8(out, CodeUnitOf(static_cast<uint8_t>(c)));
  return out;
}

std::string Utf8ToAnsi(std::string_view text) {
  std::optional<std::u32string> codes = DecodeUtf8(text);
  if (!codes) return std::string(text);
  std::string out;
  out.reserve(codes->size());
  for (char32_t code : *codes) out += static_cast<char>(ByteOf(code).value_or('?'));
  return out;
}

}  // namespace pictavo
