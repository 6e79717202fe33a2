#include "platform/base/text.h"

#include <array>
#include <cstdint>

namespace plat {
namespace {

// The bytes 0x80..0x9F of Windows-1252; 0 marks the five unassigned ones.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char16_t AnsiChar(uint8_t b) {
  if (b >= 0x80 && b < 0xA0 && kHighControls[b - 0x80] != 0) return kHighControls[b - 0x80];
  return b;
}

char AnsiByte(char32_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
  for (size_t i = 0; i < kHighControls.size(); ++i) {
    const char16_t mapped = kHighControls[i] != 0 ? kHighControls[i] : char16_t(0x80 + i);
    if (mapped == c) return static_cast<char>(0x80 + i);
  }
  return '?';
}

constexpr char32_t kReplacement = 0xFFFD;

// Decodes one UTF-8 sequence at pos; returns kReplacement for a malformed one and advances past it.
char32_t DecodeUtf8(std::string_view s, size_t& pos) {
  const uint8_t b0 = static_cast<uint8_t>(s[pos++]);
  if (b0 < 0x80) return b0;
  int extra = 0;
  char32_t c = 0;
  char32_t min = 0;
  if ((b0 & 0xE0) == 0xC0) {
    extra = 1, c = b0 & 0x1F, min = 0x80;
  } else if ((b0 & 0xF0) == 0xE0) {
    extra = 2, c = b0 & 0x0F, min = 0x800;
  } else if ((b0 & 0xF8) == 0xF0) {
    extra = 3, c = b0 & 0x07, min = 0x10000;
  } else {
    return kReplacement;
  }
  for (int i = 0; i < extra; ++i) {
    if (pos >= s.size() || (static_cast<uint8_t>(s[pos]) & 0xC0) != 0x80) return kReplacement;
    c = (c << 6) | (static_cast<uint8_t>(s[pos++]) & 0x3F);
  }
  if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return kReplacement;
  return c;
}

char32_t DecodeUtf16(std::u16string_view s, size_t& pos) {
  const char16_t c = s[pos++];
  if (c < 0xD800 || c > 0xDFFF) return c;
  if (c <= 0xDBFF && pos < s.size() && s[pos] >= 0xDC00 && s[pos] <= 0xDFFF) {
    const char16_t low = s[pos++];
    return 0x10000 + ((char32_t(c) - 0xD800) << 10) + (low - 0xDC00);
  }
  return kReplacement;
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

void AppendUtf16(std::u16string& out, char32_t c) {
  if (c < 0x10000) {
    out += static_cast<char16_t>(c);
  } else {
    c -= 0x10000;
    out += static_cast<char16_t>(0xD800 + (c >> 10));
    out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
  }
}

char AsciiLower8(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

}  // namespace

std::u16string AnsiToUtf16(std::string_view ansi) {
  std::u16string out;
  out.reserve(ansi.size());
  for (char b : ansi) out += AnsiChar(static_cast<uint8_t>(b));
  return out;
}

std::string Utf16ToAnsi(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t pos = 0; pos < text.size();) out += AnsiByte(DecodeUtf16(text, pos));
  return out;
}

std::string AnsiToUtf8(std::string_view ansi) {
  return Utf16ToUtf8(AnsiToUtf16(ansi));
}
std::string Utf8ToAnsi(std::string_view utf8) {
  return Utf16ToAnsi(Utf8ToUtf16(utf8));
}

std::u16string Utf8ToUtf16(std::string_view utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  for (size_t pos = 0; pos < utf8.size();) AppendUtf16(out, DecodeUtf8(utf8, pos));
  return out;
}

std::string Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t pos = 0; pos < text.size();) AppendUtf8(out, DecodeUtf16(text, pos));
  return out;
}

bool IsValidUtf8(std::string_view bytes) {
  for (size_t pos = 0; pos < bytes.size();) {
    const size_t start = pos;
    if (DecodeUtf8(bytes, pos) == kReplacement) {
      // A literal U+FFFD (EF BF BD) is valid; anything else that decoded to it is not.
      if (bytes.substr(start, 3) != "\xEF\xBF\xBD") return false;
    }
  }
  return true;
}

std::string TextBytesToUtf8(std::string_view bytes) {
  return IsValidUtf8(bytes) ? std::string(bytes) : AnsiToUtf8(bytes);
}

char16_t AsciiLower(char16_t c) {
  return c >= u'A' && c <= u'Z' ? c + 32 : c;
}

bool SameTextIgnoringCase(std::string_view a, std::string_view b) {
  return CompareTextIgnoringCase(a, b) == 0;
}

bool SameTextIgnoringCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  return true;
}

int CompareTextIgnoringCase(std::string_view a, std::string_view b) {
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    const auto ca = static_cast<uint8_t>(AsciiLower8(a[i]));
    const auto cb = static_cast<uint8_t>(AsciiLower8(b[i]));
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

std::string_view TrimControls(std::string_view text) {
  const auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace plat
