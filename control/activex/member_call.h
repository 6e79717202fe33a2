#pragma once
// One call of an IImageBox member as its body sees it: the arguments already converted at the
// boundary (truth values, enumerations cut to 8 bits, texts as wide strings, image data as
// bytes), and the result the body returns, which the frame converts back.
//
// A body is written in a members_<area>.cpp file:
//   PICTAVO_GET(ImageWidth) { call.Return(box.View().ImageWidth()); }
//   PICTAVO_PUT(JPEGQuality) { box.View().SetJPEGQuality(call.Short(0)); }
//   PICTAVO_CALL(LoadFromFile) { box.View().LoadFromFile(call.Utf8(0)); }
// Arguments are numbered in declaration order: a method's parameters, a property's index
// parameters, and for a setter the new value last (call.Value()).
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "control/activex/imagebox_table.h"
#include "platform/com/interfaces.h"
#include "platform/com/variant.h"
#include "platform/graphics/color.h"

namespace pictavo {

class TImageBox;

// Image data as a VARIANT result: empty, the integer a member answers without an image, or a
// byte array.
struct TVariantInt {
  int32_t value;
  friend bool operator==(TVariantInt, TVariantInt) = default;
};
using TBytes = std::vector<uint8_t>;
// A VARIANT argument as the host gave it (image data is read from it on demand).
struct TVariantArg {
  plat::com::Variant value;
  // The same variant: same type and the same value bits (an array compares by identity).
  friend bool operator==(const TVariantArg& a, const TVariantArg& b) {
    return a.value.vt == b.value.vt && a.value.llVal == b.value.llVal;
  }
};
// An automation object argument or result (a font object).
struct TObjectArg {
  plat::com::ComPtr<plat::com::IDispatch> object;
  friend bool operator==(const TObjectArg& a, const TObjectArg& b) {
    return a.object.Get() == b.object.Get();
  }
};
using TCallValue = std::variant<std::monostate, int64_t, double, bool, std::u16string, TBytes,
                                TVariantInt, TVariantArg, TObjectArg>;

class MemberCall {
 public:
  std::vector<TCallValue> args;
  std::vector<TCallValue> outs;  // output parameters, by parameter index
  TCallValue result;

  int32_t Long(size_t i) const { return static_cast<int32_t>(Integer(i)); }
  int16_t Short(size_t i) const { return static_cast<int16_t>(Integer(i)); }
  uint8_t Enum(size_t i) const { return static_cast<uint8_t>(Integer(i)); }
  plat::TColor Color(size_t i) const { return static_cast<plat::TColor>(Integer(i)); }
  double Double(size_t i) const { return std::get<double>(args.at(i)); }
  float Float(size_t i) const { return static_cast<float>(Double(i)); }
  bool Bool(size_t i) const { return std::get<bool>(args.at(i)); }
  const std::u16string& Text(size_t i) const { return std::get<std::u16string>(args.at(i)); }
  // The text as UTF-8 (file names, URLs).
  std::string Utf8(size_t i) const;
  // The text as 8-bit Windows-1252 bytes (names kept as 8-bit strings by the control).
  std::string Ansi(size_t i) const;
  // Image data: a one-dimensional byte array (VT_UI1 or VT_I1, also by reference) or a string
  // whose characters are the bytes; anything else is refused with plat::EConvertError.
  TBytes Bytes(size_t i) const;
  // An object argument; nullptr when the host passed none.
  plat::com::IDispatch* Object(size_t i) const {
    const auto* o = std::get_if<TObjectArg>(&args.at(i));
    return o ? o->object.Get() : nullptr;
  }
  // The new value of a setter.
  size_t Value() const { return args.size() - 1; }

  void Return(int32_t v) { result = int64_t{v}; }
  void Return(uint32_t v) { result = int64_t{v}; }
  void Return(int64_t v) { result = v; }
  void Return(double v) { result = v; }
  void Return(bool v) { result = v; }
  void Return(std::u16string v) { result = std::move(v); }
  void Return(TBytes v) { result = std::move(v); }
  void Return(TVariantInt v) { result = v; }
  void Return(TObjectArg v) { result = std::move(v); }
  void ReturnUtf8(const std::string& text);
  void ReturnAnsi(const std::string& text);
  void SetOut(size_t param, int32_t v) { outs.at(param) = int64_t{v}; }

 private:
  int64_t Integer(size_t i) const { return std::get<int64_t>(args.at(i)); }
};

using MemberBody = void (*)(TImageBox& box, MemberCall& call);

// Adds a body at start-up. The PICTAVO_ macros already fail to compile for a member or accessor
// the table lacks; bodies registered by a computed name (the IPTC text fields) abort here instead.
struct BodyRegistrar {
  BodyRegistrar(const char* name, Accessor accessor, MemberBody body);
};

// The body of a member's accessor, or nullptr when the member is not wired.
MemberBody FindBody(const MemberInfo& member, Accessor accessor);

// One empty type per accessor row of the member table, named <Accessor>_<Member>, so that a
// body for a member or accessor the table does not have fails to compile.
#define PICTAVO_ROW_PREFIX_Method Call
#define PICTAVO_ROW_PREFIX_Function Call
#define PICTAVO_ROW_PREFIX_Get Get
#define PICTAVO_ROW_PREFIX_Put Put
#define PICTAVO_ROW_PREFIX_PutRef PutRef
#define PICTAVO_ROW_PASTE(prefix, name) prefix##_##name
#define PICTAVO_ROW_NAME(prefix, name) PICTAVO_ROW_PASTE(prefix, name)
namespace member_rows {
#define VELMORA_MEMBER(kind, name, dispid, slot, type, params, names) \
  struct PICTAVO_ROW_NAME(PICTAVO_ROW_PREFIX_##kind, name) {};
#include "control/activex/imagebox_members.inc"
#undef VELMORA_MEMBER
}  // namespace member_rows

#define PICTAVO_BODY(name, accessor)                                                      \
  static_assert(sizeof(::pictavo::member_rows::accessor##_##name) > 0,                    \
                "no such member accessor: " #accessor " " #name);                         \
  static void PictavoBody_##name##_##accessor(::pictavo::TImageBox& box,                  \
                                              ::pictavo::MemberCall& call);               \
  static const ::pictavo::BodyRegistrar pictavo_registrar_##name##_##accessor(            \
      #name, ::pictavo::Accessor::accessor, &PictavoBody_##name##_##accessor);            \
  static void PictavoBody_##name##_##accessor([[maybe_unused]] ::pictavo::TImageBox& box, \
                                              [[maybe_unused]] ::pictavo::MemberCall& call)

#define PICTAVO_CALL(name) PICTAVO_BODY(name, Call)
#define PICTAVO_GET(name) PICTAVO_BODY(name, Get)
#define PICTAVO_PUT(name) PICTAVO_BODY(name, Put)
#define PICTAVO_PUTREF(name) PICTAVO_BODY(name, PutRef)

}  // namespace pictavo
