#pragma once
// The basic types and result codes of the component layer. The numeric values are the ones
// automation hosts already know, so an error number shown to a user means what it always meant.
#include <compare>
#include <cstdint>
#include <string>
#include <string_view>

namespace plat::com {

using HRESULT = int32_t;
using SCODE = int32_t;
using DISPID = int32_t;
using LCID = uint32_t;
using VARTYPE = uint16_t;

constexpr HRESULT Code(uint32_t bits) {
  return static_cast<HRESULT>(bits);
}
constexpr bool Succeeded(HRESULT hr) {
  return hr >= 0;
}
constexpr bool Failed(HRESULT hr) {
  return hr < 0;
}

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOTIMPL = Code(0x80004001);
constexpr HRESULT E_NOINTERFACE = Code(0x80004002);
constexpr HRESULT E_POINTER = Code(0x80004003);
constexpr HRESULT E_FAIL = Code(0x80004005);
constexpr HRESULT E_UNEXPECTED = Code(0x8000FFFF);
constexpr HRESULT E_OUTOFMEMORY = Code(0x8007000E);
constexpr HRESULT E_INVALIDARG = Code(0x80070057);
constexpr HRESULT DISP_E_UNKNOWNINTERFACE = Code(0x80020001);
constexpr HRESULT DISP_E_MEMBERNOTFOUND = Code(0x80020003);
constexpr HRESULT DISP_E_PARAMNOTFOUND = Code(0x80020004);
constexpr HRESULT DISP_E_TYPEMISMATCH = Code(0x80020005);
constexpr HRESULT DISP_E_UNKNOWNNAME = Code(0x80020006);
constexpr HRESULT DISP_E_NONAMEDARGS = Code(0x80020007);
constexpr HRESULT DISP_E_BADVARTYPE = Code(0x80020008);
constexpr HRESULT DISP_E_EXCEPTION = Code(0x80020009);
constexpr HRESULT DISP_E_OVERFLOW = Code(0x8002000A);
constexpr HRESULT DISP_E_BADINDEX = Code(0x8002000B);
constexpr HRESULT DISP_E_BADPARAMCOUNT = Code(0x8002000E);
constexpr HRESULT DISP_E_PARAMNOTOPTIONAL = Code(0x8002000F);
constexpr HRESULT TYPE_E_ELEMENTNOTFOUND = Code(0x8002802B);
constexpr HRESULT CLASS_E_NOAGGREGATION = Code(0x80040110);
constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = Code(0x80040111);
constexpr HRESULT REGDB_E_CLASSNOTREG = Code(0x80040154);
constexpr HRESULT CO_E_CLASSSTRING = Code(0x800401F3);
constexpr HRESULT CO_E_DLLNOTFOUND = Code(0x8004F001);
constexpr HRESULT CO_E_ERRORINDLL = Code(0x800401F9);
constexpr HRESULT CONNECT_E_NOCONNECTION = Code(0x80040200);
constexpr HRESULT CONNECT_E_ADVISELIMIT = Code(0x80040201);
constexpr HRESULT CONNECT_E_CANNOTCONNECT = Code(0x80040202);
constexpr HRESULT SELFREG_E_CLASS = Code(0x80040201);

// Dispatch ids and invocation kinds.
constexpr DISPID DISPID_UNKNOWN = -1;
constexpr DISPID DISPID_VALUE = 0;
// The ambient property that tells a control whether it runs for a user (true) or in a designer.
constexpr DISPID DISPID_AMBIENT_USERMODE = -709;
constexpr DISPID DISPID_PROPERTYPUT = -3;
constexpr uint16_t DISPATCH_METHOD = 1;
constexpr uint16_t DISPATCH_PROPERTYGET = 2;
constexpr uint16_t DISPATCH_PROPERTYPUT = 4;
constexpr uint16_t DISPATCH_PROPERTYPUTREF = 8;

// 16-bit truth value of automation: 0 false, -1 true; any non-zero value reads as true.
enum VARIANT_BOOL : int16_t { VARIANT_FALSE = 0, VARIANT_TRUE = -1 };
constexpr VARIANT_BOOL ToVariantBool(bool b) {
  return b ? VARIANT_TRUE : VARIANT_FALSE;
}
constexpr bool IsTrue(VARIANT_BOOL b) {
  return b != 0;
}

// Automation colour, 0x00BBGGRR (or 0x800000nn for a system colour), passed unchanged.
enum OLE_COLOR : uint32_t {};

// Automation date: days from 30 December 1899, the fraction being the time of day.
struct DATE {
  double value;
  DATE() = default;
  constexpr DATE(double v) : value(v) {}
  constexpr operator double() const { return value; }
};

struct GUID {
  uint32_t data1 = 0;
  uint16_t data2 = 0;
  uint16_t data3 = 0;
  uint8_t data4[8] = {};

  friend constexpr bool operator==(const GUID&, const GUID&) = default;
  friend constexpr auto operator<=>(const GUID&, const GUID&) = default;
};
using IID = GUID;
using CLSID = GUID;

namespace detail {
constexpr int HexDigit(char c) {
  return c >= '0' && c <= '9'   ? c - '0'
         : c >= 'a' && c <= 'f' ? c - 'a' + 10
         : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                : -1;
}
constexpr bool ParseHex(std::string_view s, size_t pos, size_t digits, uint64_t& out) {
  out = 0;
  for (size_t i = 0; i < digits; ++i) {
    const int d = HexDigit(s[pos + i]);
    if (d < 0) return false;
    out = out * 16 + static_cast<uint64_t>(d);
  }
  return true;
}
}  // namespace detail

// Parses "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" (braces optional). Usable at compile time.
constexpr bool TryParseGuid(std::string_view text, GUID& guid) {
  if (text.size() == 38 && text.front() == '{' && text.back() == '}') text = text.substr(1, 36);
  if (text.size() != 36 || text[8] != '-' || text[13] != '-' || text[18] != '-' || text[23] != '-')
    return false;
  uint64_t v = 0;
  GUID g;
  if (!detail::ParseHex(text, 0, 8, v)) return false;
  g.data1 = static_cast<uint32_t>(v);
  if (!detail::ParseHex(text, 9, 4, v)) return false;
  g.data2 = static_cast<uint16_t>(v);
  if (!detail::ParseHex(text, 14, 4, v)) return false;
  g.data3 = static_cast<uint16_t>(v);
  constexpr size_t kTail[8] = {19, 21, 24, 26, 28, 30, 32, 34};
  for (int i = 0; i < 8; ++i) {
    if (!detail::ParseHex(text, kTail[i], 2, v)) return false;
    g.data4[i] = static_cast<uint8_t>(v);
  }
  guid = g;
  return true;
}

// A GUID from its text; a malformed literal fails to compile when used in a constant expression.
consteval GUID MakeGuid(std::string_view text) {
  GUID g;
  if (!TryParseGuid(text, g)) throw "malformed GUID literal";
  return g;
}

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" in upper case, as the registry stores it.
std::string GuidToString(const GUID& guid);

}  // namespace plat::com
