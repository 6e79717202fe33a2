#pragma once
// Automation strings: UTF-16 text preceded by its length in bytes (32 bits) and followed by a
// zero character. A null BSTR is a valid empty string. Whoever receives an owned BSTR frees it
// with SysFreeString; Bstr does that for C++ code.
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "platform/com/interfaces.h"

namespace plat::com {

// Copies `length` characters (or leaves them zero when text is null). Null on failure.
BSTR SysAllocStringLen(const char16_t* text, uint32_t length);
// Copies a zero-terminated string; null in gives null out.
BSTR SysAllocString(const char16_t* text);
void SysFreeString(BSTR s);
uint32_t SysStringLen(BSTR s);
uint32_t SysStringByteLen(BSTR s);
// Replaces *s by a copy of text; false when out of memory.
bool SysReAllocString(BSTR* s, const char16_t* text);

BSTR BstrFromUtf16(std::u16string_view text);
BSTR BstrFromUtf8(std::string_view utf8);
std::u16string_view BstrView(BSTR s);
std::string BstrToUtf8(BSTR s);

class Bstr {
 public:
  Bstr() = default;
  explicit Bstr(std::u16string_view text) : s_(BstrFromUtf16(text)) {}
  explicit Bstr(const char16_t* text) : s_(SysAllocString(text)) {}
  static Bstr FromUtf8(std::string_view utf8) { return Attach(BstrFromUtf8(utf8)); }
  // Adopts a BSTR the caller owns.
  static Bstr Attach(BSTR s) {
    Bstr b;
    b.s_ = s;
    return b;
  }
  Bstr(const Bstr& o) : s_(SysAllocStringLen(o.s_, SysStringLen(o.s_))) {}
  Bstr(Bstr&& o) noexcept : s_(std::exchange(o.s_, nullptr)) {}
  Bstr& operator=(Bstr o) noexcept {
    std::swap(s_, o.s_);
    return *this;
  }
  ~Bstr() { SysFreeString(s_); }

  BSTR Get() const { return s_; }
  BSTR Detach() { return std::exchange(s_, nullptr); }
  // For out parameters: frees what is held and hands out the slot.
  BSTR* Out() {
    SysFreeString(std::exchange(s_, nullptr));
    return &s_;
  }
  uint32_t Length() const { return SysStringLen(s_); }
  std::u16string_view View() const { return BstrView(s_); }
  std::string Utf8() const { return BstrToUtf8(s_); }

 private:
  BSTR s_ = nullptr;
};

}  // namespace plat::com
