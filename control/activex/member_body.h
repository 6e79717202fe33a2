#pragma once
// The body of an IImageBox member: a plain function with typed parameters that the generated
// slot calls directly. Every row of imagebox_members.inc declares one; a body missing for a
// wired row fails to link, a misspelt one or one with the wrong parameters fails to compile.
//
// Writing a body, in a members_<area>.cpp file inside namespace pictavo:
//   PICTAVO_GET(ImageWidth)(TImageBox& box) { return box.View().ImageWidth(); }
//   PICTAVO_PUT(JPEGQuality)(TImageBox& box, int16_t value) { box.View().SetJPEGQuality(value); }
//   PICTAVO_CALL(Crop)(TImageBox& box, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {...}
// Parameters follow the row in declaration order (a method's parameters, a property's index
// parameters, then a setter's new value), each as the body type of its boundary type:
//   int32_t, int16_t, float, double   the same        VARIANT_BOOL   bool
//   BSTR                  std::u16string_view         OLE_COLOR      plat::TColor
//   an enumeration Tx...  uint8_t (int8_t for the     DATE           double
//                         two signed ones)            VARIANT        TBytes (image data)
//   an interface          plat::com::IDispatch*       int32_t* (out) int32_t&
// A getter or function returns its value as the same body type, except: BSTR as std::u16string,
// VARIANT as TVariantResult, an interface as plat::com::ComPtr<plat::com::IDispatch>.
//
// Converting a body from the older form "PICTAVO_CALL(Name) { ... call.Long(0) ... }":
//   1. add the parameter list after the macro: (TImageBox& box, <one typed parameter per
//      argument>), naming each parameter after the row's own name for it;
//   2. call.Long(i) / call.Enum(i) / call.Bool(i) / ... become the i-th parameter,
//      call.Value() the last one; call.Utf8(i) becomes plat::Utf16ToUtf8(<parameter>),
//      call.Ansi(i) plat::Utf16ToAnsi(<parameter>), call.Bytes(i) the TBytes parameter;
//   3. call.Return(x) becomes return x; call.ReturnUtf8 / call.ReturnAnsi return
//      plat::Utf8ToUtf16 / plat::AnsiToUtf16 of the text; call.SetOut(i, v) assigns the
//      i-th (reference) parameter;
//   4. wiring a member means deleting its line in tests/activex/unwired_members.txt: a body for
//      a member still listed there fails to compile;
//   5. the view's stored settings are accessors: box.View().PenColor reads PenColor(), and
//      box.View().PenColor = v becomes SetPenColor(v); a parameter the body does not use
//      stays unnamed.
#include <cstdint>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <variant>
#include <vector>

#include "control/activex/imagebox_interface.h"
#include "platform/com/interfaces.h"
#include "platform/com/member_table.h"
#include "platform/graphics/color.h"

namespace pictavo {

class TImageBox;

using TBytes = std::vector<uint8_t>;
// Image data as a VARIANT result: empty, the integer a member answers without an image, or a
// byte array.
using TVariantResult = std::variant<std::monostate, int32_t, TBytes>;

// The body type of a boundary type, and the one conversion of an argument into it.
template <class P>
struct BodyIn {
  using type = P;
  static P From(P value) { return value; }
};
template <>
struct BodyIn<plat::com::VARIANT_BOOL> {
  using type = bool;
  static bool From(plat::com::VARIANT_BOOL value) { return plat::com::IsTrue(value); }
};
template <>
struct BodyIn<plat::com::BSTR> {
  using type = std::u16string_view;
  static std::u16string_view From(plat::com::BSTR value) { return plat::com::BstrView(value); }
};
template <>
struct BodyIn<plat::com::OLE_COLOR> {
  using type = plat::TColor;
  static plat::TColor From(plat::com::OLE_COLOR value) { return value; }
};
template <>
struct BodyIn<plat::com::DATE> {
  using type = double;
  static double From(plat::com::DATE value) { return value; }
};
// Image data: a one-dimensional byte array (VT_UI1 or VT_I1, also by reference) or a string
// whose characters are the bytes; anything else is refused with plat::EConvertError.
TBytes ImageDataOf(const plat::com::VARIANT& value);
template <>
struct BodyIn<plat::com::VARIANT> {
  using type = TBytes;
  static TBytes From(const plat::com::VARIANT& value) { return ImageDataOf(value); }
};
template <class E>
requires(std::is_enum_v<E> && !std::is_same_v<E, plat::com::VARIANT_BOOL> &&
         !std::is_same_v<E, plat::com::OLE_COLOR>) struct BodyIn<E> {
  using type = std::underlying_type_t<E>;
  static type From(E value) { return static_cast<type>(value); }
};
template <class I>
requires std::is_base_of_v<plat::com::IDispatch, I>
struct BodyIn<I*> {
  using type = plat::com::IDispatch*;
  static plat::com::IDispatch* From(I* value) { return value; }
};
template <class T>
requires plat::com::IsOutParam<T*>
struct BodyIn<T*> {
  using type = T&;
};

// The body type of a result, and its one conversion back into the slot's receiver.
template <class R>
struct BodyOut {
  using type = typename BodyIn<R>::type;
  static void To(type value, R* out) { *out = static_cast<R>(value); }
};
template <>
struct BodyOut<plat::com::VARIANT_BOOL> {
  using type = bool;
  static void To(bool value, plat::com::VARIANT_BOOL* out) {
    *out = plat::com::ToVariantBool(value);
  }
};
template <>
struct BodyOut<plat::com::BSTR> {
  using type = std::u16string;
  static void To(const std::u16string& value, plat::com::BSTR* out) {
    *out = plat::com::BstrFromUtf16(value);
  }
};
template <>
struct BodyOut<plat::com::VARIANT> {
  using type = TVariantResult;
  static void To(const TVariantResult& value, plat::com::VARIANT* out);
};
template <class I>
requires std::is_base_of_v<plat::com::IDispatch, I>
struct BodyOut<I*> {
  using type = plat::com::ComPtr<plat::com::IDispatch>;
  static void To(const type& value, I** out) {
    if (value) value->QueryInterface(I::kIid, reinterpret_cast<void**>(out));
  }
};

// The function type of the body of slot Fn reached as kind K.
template <auto Fn, plat::com::MemberKind K,
          class Params = typename plat::com::detail::SlotTraits<decltype(Fn)>::Params>
struct BodyOf;
template <auto Fn, plat::com::MemberKind K, class... P>
struct BodyOf<Fn, K, std::tuple<P...>> {
  static constexpr size_t kDeclared = sizeof...(P) - (plat::com::HasRetval(K) ? 1 : 0);
  template <size_t... I>
  static auto Params(std::index_sequence<I...>)
      -> std::tuple<typename BodyIn<std::tuple_element_t<I, std::tuple<P...>>>::type...>;
  template <class R>
  struct ResultOf {
    using type = typename BodyOut<std::remove_pointer_t<R>>::type;
  };
  // The last slot parameter is the result's receiver (int* stands in when there is none).
  using Result = typename std::conditional_t<
      plat::com::HasRetval(K), ResultOf<std::tuple_element_t<sizeof...(P), std::tuple<int*, P...>>>,
      std::type_identity<void>>::type;
  template <class... A>
  static auto Function(std::tuple<A...>) -> Result (*)(TImageBox&, A...);
  using Type = std::remove_pointer_t<decltype(Function(
      std::declval<decltype(Params(std::make_index_sequence<kDeclared>()))>()))>;
};

// One declaration per member name (a tag for the unwired list) and one body per accessor row.
#define PICTAVO_ROW_PREFIX_Method Call
#define PICTAVO_ROW_PREFIX_Function Call
#define PICTAVO_ROW_PREFIX_Get Get
#define PICTAVO_ROW_PREFIX_Put Put
#define PICTAVO_ROW_PREFIX_PutRef PutRef
#define PICTAVO_ROW_PASTE(prefix, name, suffix) prefix##_##name##suffix
#define PICTAVO_ROW_NAME(prefix, name, suffix) PICTAVO_ROW_PASTE(prefix, name, suffix)
#define PICTAVO_ROW(kind, name, suffix) PICTAVO_ROW_NAME(PICTAVO_ROW_PREFIX_##kind, name, suffix)

namespace member_rows {
#define VELMORA_MEMBER(kind, name, dispid, slot, type, params, names) struct name;
#include "control/activex/imagebox_members.inc"
#undef VELMORA_MEMBER
}  // namespace member_rows

// True for the members listed in tests/activex/unwired_members.txt: they have no bodies and
// answer "Not available: <name>".
template <class Row>
inline constexpr bool kUnwired = false;
#define PICTAVO_UNWIRED(name) \
  template <>                 \
  inline constexpr bool kUnwired<member_rows::name> = true;
#include "unwired_members.inc"  // generated from tests/activex/unwired_members.txt
#undef PICTAVO_UNWIRED

namespace bodies {
#define VELMORA_MEMBER(kind, name, dispid, slot, type, params, names)                             \
  using PICTAVO_ROW(kind, name, _Type) =                                                          \
      BodyOf<&ax::IImageBox::VELMORA_SLOT_NAME(kind, name), plat::com::MemberKind::kind>::Type;   \
  using PICTAVO_ROW(kind, name, _Result) =                                                        \
      BodyOf<&ax::IImageBox::VELMORA_SLOT_NAME(kind, name), plat::com::MemberKind::kind>::Result; \
  PICTAVO_ROW(kind, name, _Type) PICTAVO_ROW(kind, name, );
#include "control/activex/imagebox_members.inc"
#undef VELMORA_MEMBER
}  // namespace bodies

#define PICTAVO_BODY(prefix, name)                                                         \
  static_assert(!::pictavo::kUnwired<::pictavo::member_rows::name>,                        \
                #name " is listed in tests/activex/unwired_members.txt: delete its line"); \
  pictavo::bodies::prefix##_##name##_Result pictavo::bodies::prefix##_##name

#define PICTAVO_CALL(name) PICTAVO_BODY(Call, name)
#define PICTAVO_GET(name) PICTAVO_BODY(Get, name)
#define PICTAVO_PUT(name) PICTAVO_BODY(Put, name)
#define PICTAVO_PUTREF(name) PICTAVO_BODY(PutRef, name)

}  // namespace pictavo
