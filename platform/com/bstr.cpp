#include "platform/com/bstr.h"

#include <cstdlib>
#include <cstring>

#include "platform/base/text.h"

namespace plat::com {
namespace {

uint32_t* Header(BSTR s) {
  return reinterpret_cast<uint32_t*>(s) - 1;
}

}  // namespace

BSTR SysAllocStringLen(const char16_t* text, uint32_t length) {
  if (length > (UINT32_MAX - 8) / 2) return nullptr;
  const size_t bytes = size_t{length} * 2;
  auto* block = static_cast<uint32_t*>(std::malloc(sizeof(uint32_t) + bytes + 2));
  if (!block) return nullptr;
  block[0] = static_cast<uint32_t>(bytes);
  auto* chars = reinterpret_cast<char16_t*>(block + 1);
  if (text)
    std::memcpy(chars, text, bytes);
  else
    std::memset(chars, 0, bytes);
  chars[length] = 0;
  return chars;
}

BSTR SysAllocString(const char16_t* text) {
  if (!text) return nullptr;
  return SysAllocStringLen(text, static_cast<uint32_t>(std::char_traits<char16_t>::length(text)));
}

void SysFreeString(BSTR s) {
  if (s) std::free(Header(s));
}

uint32_t SysStringLen(BSTR s) {
  return s ? *Header(s) / 2 : 0;
}
uint32_t SysStringByteLen(BSTR s) {
  return s ? *Header(s) : 0;
}

bool SysReAllocString(BSTR* s, const char16_t* text) {
  BSTR copy = SysAllocString(text);
  if (text && !copy) return false;
  SysFreeString(*s);
  *s = copy;
  return true;
}

BSTR BstrFromUtf16(std::u16string_view text) {
  return SysAllocStringLen(text.data(), static_cast<uint32_t>(text.size()));
}

BSTR BstrFromUtf8(std::string_view utf8) {
  return BstrFromUtf16(Utf8ToUtf16(utf8));
}

std::u16string_view BstrView(BSTR s) {
  return s ? std::u16string_view(s, SysStringLen(s)) : u"";
}

std::string BstrToUtf8(BSTR s) {
  return Utf16ToUtf8(BstrView(s));
}

}  // namespace plat::com
