#pragma once
// The member table: one list of an interface's members that produces, with no second copy,
//   - the interface's function table (slots in order; each returns an HRESULT),
//   - the server dispatch (IDispatch::Invoke with argument coercion, GetIDsOfNames),
//   - a minimal type info, and
//   - a typed client proxy that calls every member by dispatch id.
//
// DECLARING A TABLE. Write the members, in slot order starting at 7, into an .inc file, one line
// per accessor:
//
// clang-format off
//   //             kind      name          dispid slot type          (parameters)
//   VELMORA_MEMBER(Method,   LoadFromFile,  15,  19, void,         (BSTR FileName))
//   VELMORA_MEMBER(Function, ResizeFit,    316, 476, VARIANT_BOOL, (int32_t MaxWidth, int32_t MaxHeight))
//   VELMORA_MEMBER(Get,      PixelColor,    23, 112, OLE_COLOR,    (int32_t X, int32_t Y))
//   VELMORA_MEMBER(Put,      PixelColor,    23, 113, OLE_COLOR,    (int32_t X, int32_t Y))
//   VELMORA_MEMBER(PutRef,   TextFont,    -512,  65, IFontDisp*,   ())
// clang-format on
//
// Kinds: Method (no result), Function (a method with an [out, retval] result of the given type),
// Get (result of the given type), Put and PutRef (a value of the given type appended as the last
// parameter). The declarations name the result and a put's value Value, so beside them no
// parameter in brackets may be called Value; definitions may name their parameters freely. The
// parameters in brackets come first; out parameters are pointers (int32_t* X1). Slot functions are
// named Name, get_Name, put_Name and putref_Name.
//
// Boundary types: int8_t/uint8_t, int16_t (short), uint16_t, int32_t (long: never C++ long),
// uint32_t, int64_t, uint64_t, float, double, DATE, VARIANT_BOOL, OLE_COLOR, any enumeration (sent
// as VT_I4), BSTR, VARIANT (by value, a borrowed view), and pointers to interfaces that declare
// kIid. In parameters are borrowed for the call; out and result values pass to the caller.
//
// The type names of the table are looked up where it is included, so bring plat::com's names
// into that scope (a using-directive or using-declarations). Then, with the interface id as a
// member kIid:
//
//   struct IThing : plat::com::IDispatch {                   // the interface
//     static constexpr plat::com::IID kIid = plat::com::MakeGuid("{...}");
//     static const plat::com::MemberTable& Table();
//   #define VELMORA_MEMBER VELMORA_PURE_SLOT
//   #include "thing_members.inc"
//   #undef VELMORA_MEMBER
//   };
//
//   const plat::com::MemberTable& IThing::Table() {          // in one .cpp
//     using TableInterface = IThing;
//     static const plat::com::MemberTable table(IThing::kIid, u"IThing", {
//   #define VELMORA_MEMBER VELMORA_TABLE_ENTRY
//   #include "thing_members.inc"
//   #undef VELMORA_MEMBER
//     });
//     return table;
//   }
//
//   class ThingProxy : public plat::com::DispatchProxy<IThing> {   // the client side
//    public:
//     using DispatchProxy::DispatchProxy;
//   #define VELMORA_MEMBER VELMORA_PROXY_MEMBER
//   #include "thing_members.inc"
//   #undef VELMORA_MEMBER
//   };
//
// IMPLEMENTING MEMBERS. The object derives from DispatchImpl<IThing> (which answers the four
// IDispatch slots from the table) and declares the slots with VELMORA_OVERRIDE_SLOT the same way;
// the bodies may live in as many .cpp files as suit the areas. Each body runs in the member
// frame, so an exception reaches a vtable caller as E_UNEXPECTED with its message as error info
// and a dispatch caller as DISP_E_EXCEPTION with the message in EXCEPINFO:
//
//   HRESULT Thing::get_Width(int32_t* Value) {  // Frame: SafeCall(IThing::kIid, u"Lib.Thing", f)
//     return Frame([&] { *Value = image_.Width(); });
//   }
//
// A CONTROL adds SingleEventSource<kEventsIid> (connection_point.h) for its events and
// IWidgetControl (interfaces.h) for its window, and its library exports the four Dll* functions
// (server.h); tests/com/test_server/test_box.cpp is a complete small example.
//
// Dispatch rules: arguments arrive reversed in DISPPARAMS and are coerced to the declared types
// (by-reference values unwrapped); a failure names the argument's index in rgvarg through argErr.
// A put takes its value as the one named argument DISPID_PROPERTYPUT; DISPATCH_PROPERTYPUT falls
// back to putref when a property has only that, and the reverse. Out parameters need by-reference
// arguments of their type or of VT_VARIANT. Other named arguments are refused (DISP_E_NONAMEDARGS).
#include <array>
#include <cstddef>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include "platform/com/bstr.h"
#include "platform/com/errorinfo.h"
#include "platform/com/interfaces.h"
#include "platform/com/variant.h"

namespace plat::com {

enum class MemberKind : uint8_t { Method, Function, Get, Put, PutRef };

constexpr uint16_t InvokeKindOf(MemberKind k) {
  switch (k) {
    case MemberKind::Get:
      return DISPATCH_PROPERTYGET;
    case MemberKind::Put:
      return DISPATCH_PROPERTYPUT;
    case MemberKind::PutRef:
      return DISPATCH_PROPERTYPUTREF;
    default:
      return DISPATCH_METHOD;
  }
}
constexpr bool HasRetval(MemberKind k) {
  return k == MemberKind::Function || k == MemberKind::Get;
}
constexpr bool IsPut(MemberKind k) {
  return k == MemberKind::Put || k == MemberKind::PutRef;
}

// ---- How each boundary type travels in a VARIANT -------------------------------------------

template <class T, class = void>
struct BoundaryType;  // undefined: a type the layer does not carry

template <class T, VARTYPE Vt, T VARIANT::*Field>
struct ScalarBoundary {
  static constexpr VARTYPE vt = Vt;
  static constexpr VARTYPE coerceVt = Vt;
  static HRESULT Read(const VARIANT& v, T& out) { return out = v.*Field, S_OK; }
  static void Write(VARIANT& v, T value) { v.vt = Vt, v.*Field = value; }
  static void Free(T&) {}
};

template <>
struct BoundaryType<int8_t> : ScalarBoundary<int8_t, VT_I1, &VARIANT::cVal> {};
template <>
struct BoundaryType<uint8_t> : ScalarBoundary<uint8_t, VT_UI1, &VARIANT::bVal> {};
template <>
struct BoundaryType<int16_t> : ScalarBoundary<int16_t, VT_I2, &VARIANT::iVal> {};
template <>
struct BoundaryType<uint16_t> : ScalarBoundary<uint16_t, VT_UI2, &VARIANT::uiVal> {};
template <>
struct BoundaryType<int32_t> : ScalarBoundary<int32_t, VT_I4, &VARIANT::lVal> {};
template <>
struct BoundaryType<uint32_t> : ScalarBoundary<uint32_t, VT_UI4, &VARIANT::ulVal> {};
template <>
struct BoundaryType<int64_t> : ScalarBoundary<int64_t, VT_I8, &VARIANT::llVal> {};
template <>
struct BoundaryType<uint64_t> : ScalarBoundary<uint64_t, VT_UI8, &VARIANT::ullVal> {};
template <>
struct BoundaryType<float> : ScalarBoundary<float, VT_R4, &VARIANT::fltVal> {};
template <>
struct BoundaryType<double> : ScalarBoundary<double, VT_R8, &VARIANT::dblVal> {};
template <>
struct BoundaryType<DATE> : ScalarBoundary<DATE, VT_DATE, &VARIANT::date> {};
template <>
struct BoundaryType<VARIANT_BOOL> : ScalarBoundary<VARIANT_BOOL, VT_BOOL, &VARIANT::boolVal> {};

// Colours arrive from hosts as signed longs as often as unsigned ones: any 32-bit pattern passes.
template <>
struct BoundaryType<OLE_COLOR> {
  static constexpr VARTYPE vt = VT_UI4;
  static constexpr VARTYPE coerceVt = VT_I8;
  static HRESULT Read(const VARIANT& v, OLE_COLOR& out) {
    if (v.llVal < INT32_MIN || v.llVal > int64_t{UINT32_MAX}) return DISP_E_OVERFLOW;
    out = static_cast<OLE_COLOR>(static_cast<uint32_t>(v.llVal));
    return S_OK;
  }
  static void Write(VARIANT& v, OLE_COLOR value) { v.vt = VT_UI4, v.ulVal = value; }
  static void Free(OLE_COLOR&) {}
};

// Enumerations of a type library travel as longs.
template <class E>
struct BoundaryType<E, std::enable_if_t<std::is_enum_v<E> && !std::is_same_v<E, VARIANT_BOOL> &&
                                        !std::is_same_v<E, OLE_COLOR>>> {
  static constexpr VARTYPE vt = VT_I4;
  static constexpr VARTYPE coerceVt = VT_I4;
  static HRESULT Read(const VARIANT& v, E& out) { return out = static_cast<E>(v.lVal), S_OK; }
  static void Write(VARIANT& v, E value) { v.vt = VT_I4, v.lVal = static_cast<int32_t>(value); }
  static void Free(E&) {}
};

template <>
struct BoundaryType<BSTR> {
  static constexpr VARTYPE vt = VT_BSTR;
  static constexpr VARTYPE coerceVt = VT_BSTR;
  static HRESULT Read(const VARIANT& v, BSTR& out) { return out = v.bstrVal, S_OK; }  // borrowed
  static void Write(VARIANT& v, BSTR value) { v.vt = VT_BSTR, v.bstrVal = value; }
  static void Free(BSTR& s) { SysFreeString(std::exchange(s, nullptr)); }
};

template <>
struct BoundaryType<VARIANT> {
  static constexpr VARTYPE vt = VT_VARIANT;
  static void Write(VARIANT& v, VARIANT value) { v = value; }
  static void Free(VARIANT& v) { VariantClear(&v); }
};

template <class I>
struct BoundaryType<I*, std::enable_if_t<std::is_base_of_v<IUnknown, I>>> {
  static constexpr VARTYPE vt = std::is_base_of_v<IDispatch, I> ? VT_DISPATCH : VT_UNKNOWN;
  static constexpr VARTYPE coerceVt = vt;
  // Gives an owned reference.
  static HRESULT Read(const VARIANT& v, I*& out) {
    out = nullptr;
    if (!v.punkVal) return S_OK;
    return Succeeded(v.punkVal->QueryInterface(I::kIid, reinterpret_cast<void**>(&out)))
               ? S_OK
               : DISP_E_TYPEMISMATCH;
  }
  static void Write(VARIANT& v, I* value) { v.vt = vt, v.punkVal = value; }
  static void Free(I*& p) {
    if (I* q = std::exchange(p, nullptr)) q->Release();
  }
};

// A pointer parameter that is not a BSTR or an interface is an out parameter.
template <class T>
constexpr bool IsOutParam = std::is_pointer_v<T> && !std::is_same_v<T, BSTR> &&
                            !std::is_base_of_v<IUnknown, std::remove_pointer_t<T>>;

template <class T>
constexpr VARTYPE ParamVarType() {
  if constexpr (IsOutParam<T>)
    return VT_BYREF | BoundaryType<std::remove_pointer_t<T>>::vt;
  else
    return BoundaryType<T>::vt;
}

// ---- Argument holders of the server dispatch -------------------------------------------------

namespace detail {

// An in parameter: coerced from the argument, alive until the call returns.
template <class T>
struct InArg {
  Variant coerced;
  T value{};
  bool owned = false;
  HRESULT Load(const VARIANT& arg) {
    using B = BoundaryType<T>;
    HRESULT hr = VariantChangeType(&coerced, &arg, 0, B::coerceVt);
    if (Succeeded(hr)) hr = B::Read(coerced, value);
    owned = Succeeded(hr) && std::is_pointer_v<T> && !std::is_same_v<T, BSTR>;
    return hr;
  }
  T Get() { return value; }
  ~InArg() {
    if (owned) BoundaryType<T>::Free(value);
  }
};

template <>
struct InArg<VARIANT> {
  VARIANT value{};
  HRESULT Load(const VARIANT& arg) { return value = VariantDereference(arg), S_OK; }
  VARIANT Get() { return value; }
};

// An out parameter: filled by the member, then stored where the by-reference argument points.
template <class P>
struct OutArg {
  using T = std::remove_pointer_t<P>;
  VARIANT* target = nullptr;
  T value{};
  HRESULT Load(VARIANT& arg) {
    const VARTYPE want = VT_BYREF | BoundaryType<T>::vt;
    const bool sameBits = std::is_same_v<T, OLE_COLOR> && arg.vt == (VT_BYREF | VT_I4);
    if ((arg.vt != want && arg.vt != (VT_BYREF | VT_VARIANT) && !sameBits) || !arg.byref)
      return DISP_E_TYPEMISMATCH;
    target = &arg;
    return S_OK;
  }
  P Get() { return &value; }
  void Commit() {
    if (target->vt == (VT_BYREF | VT_VARIANT) && !std::is_same_v<T, VARIANT>) {
      VariantClear(target->pvarVal);
      BoundaryType<T>::Write(*target->pvarVal, value);
    } else {
      T* slot = static_cast<T*>(target->byref);
      BoundaryType<T>::Free(*slot);
      *slot = value;
    }
  }
  void Discard() { BoundaryType<T>::Free(value); }
};

// The [out, retval] result.
template <class P>
struct RetArg {
  using T = std::remove_pointer_t<P>;
  T value{};
  P Get() { return &value; }
  void Commit(VARIANT* result) {
    if (!result) return BoundaryType<T>::Free(value);
    VariantInit(result);
    BoundaryType<T>::Write(*result, value);
  }
  void Discard() { BoundaryType<T>::Free(value); }
};

template <class F>
struct SlotTraits;
template <class I, class... A>
struct SlotTraits<HRESULT (I::*)(A...)> {
  using Interface = I;
  using Params = std::tuple<A...>;
  static constexpr size_t count = sizeof...(A);
};

enum class Role { In, Out, Ret, PutValue };

template <MemberKind K, class P, size_t Index, size_t Count>
constexpr Role RoleOf() {
  if (Index + 1 == Count && HasRetval(K)) return Role::Ret;
  if (Index + 1 == Count && IsPut(K)) return Role::PutValue;
  return IsOutParam<P> ? Role::Out : Role::In;
}

template <MemberKind K, class P, size_t Index, size_t Count>
using HolderOf = std::conditional_t<
    RoleOf<K, P, Index, Count>() == Role::Ret, RetArg<P>,
    std::conditional_t<RoleOf<K, P, Index, Count>() == Role::Out, OutArg<P>, InArg<P>>>;

}  // namespace detail

// Where a call's arguments are: positional ones reversed as DISPPARAMS has them, and the value
// of a put.
struct CallArgs {
  VARIANT* reversed = nullptr;  // positional arguments, last one first
  uint32_t count = 0;           // positional count
  uint32_t offset = 0;          // index in rgvarg of reversed[0], for argErr
  VARIANT* putValue = nullptr;
  bool memberFailed = false;  // set when the member itself (not the coercion) failed
};

using MemberThunk = HRESULT (*)(void* self, CallArgs& args, VARIANT* result, uint32_t* argErr);

template <auto Fn, MemberKind K>
struct MemberThunkOf {
  using Traits = detail::SlotTraits<decltype(Fn)>;
  using I = typename Traits::Interface;
  static constexpr size_t N = Traits::count;
  static constexpr size_t Positional = N - ((HasRetval(K) || IsPut(K)) ? 1 : 0);

  template <size_t... Is>
  static HRESULT Run(void* self, CallArgs& args, VARIANT* result, uint32_t* argErr,
                     std::index_sequence<Is...>) {
    if (args.count != Positional) return DISP_E_BADPARAMCOUNT;
    std::tuple<detail::HolderOf<K, std::tuple_element_t<Is, typename Traits::Params>, Is, N>...>
        holders;
    HRESULT hr = S_OK;
    // The helpers below go unused for a member without parameters (the folds are then empty).
    [[maybe_unused]] auto load = [&](auto& holder, size_t index) {
      if (Failed(hr)) return;
      if constexpr (requires { holder.Commit(result); }) {
        (void)index;                     // the result is not an argument
      } else if (index == Positional) {  // the value of a put
        hr = holder.Load(*args.putValue);
        if (Failed(hr) && argErr) *argErr = 0;
      } else {
        const size_t at = args.count - 1 - index;
        hr = holder.Load(args.reversed[at]);
        if (Failed(hr) && argErr) *argErr = static_cast<uint32_t>(args.offset + at);
      }
    };
    (load(std::get<Is>(holders), Is), ...);
    if (Failed(hr)) return hr;
    hr = (static_cast<I*>(self)->*Fn)(std::get<Is>(holders).Get()...);
    args.memberFailed = Failed(hr);
    [[maybe_unused]] auto finish = [&](auto& holder) {
      if constexpr (requires { holder.Commit(result); }) {
        Succeeded(hr) ? holder.Commit(result) : holder.Discard();
      } else if constexpr (requires { holder.Commit(); }) {
        Succeeded(hr) ? holder.Commit() : holder.Discard();
      }
    };
    (finish(std::get<Is>(holders)), ...);
    return hr;
  }

  static HRESULT Call(void* self, CallArgs& args, VARIANT* result, uint32_t* argErr) {
    return Run(self, args, result, argErr, std::make_index_sequence<N>());
  }

  static constexpr VARTYPE ResultType() {
    if constexpr (HasRetval(K))
      return BoundaryType<
          std::remove_pointer_t<std::tuple_element_t<N - 1, typename Traits::Params>>>::vt;
    else
      return VT_EMPTY;
  }

  template <size_t... Is>
  static constexpr auto ParamTypes(std::index_sequence<Is...>) {
    return std::array<VARTYPE, sizeof...(Is) + 1>{
        ParamVarType<std::tuple_element_t<Is, typename Traits::Params>>()..., VT_EMPTY};
  }
  static constexpr size_t DeclaredParams = N - (HasRetval(K) ? 1 : 0);
  static constexpr auto kParamTypes = ParamTypes(std::make_index_sequence<DeclaredParams>());
};

struct MemberEntry {
  std::u16string_view name;
  DISPID dispid;
  MemberKind kind;
  int slot;
  std::string_view params;  // the declared parameter list as written, for parameter names
  MemberThunk thunk;
  VARTYPE resultType;
  const VARTYPE* paramTypes;
  int16_t paramCount;  // without the result; a put's value included
};

template <auto Fn, MemberKind K>
MemberEntry MakeMember(std::u16string_view name, DISPID dispid, int slot, std::string_view params) {
  using T = MemberThunkOf<Fn, K>;
  return MemberEntry{name,
                     dispid,
                     K,
                     slot,
                     params,
                     &T::Call,
                     T::ResultType(),
                     T::kParamTypes.data(),
                     static_cast<int16_t>(T::DeclaredParams)};
}

class MemberTable {
 public:
  // Checks the table: slots consecutive from 7, no (name, kind) or (dispid, kind) twice, one
  // dispatch id per name. Throws std::logic_error naming the offending member.
  MemberTable(const IID& iid, std::u16string_view interfaceName,
              std::initializer_list<MemberEntry> entries);

  const IID& Iid() const { return iid_; }
  std::u16string_view Name() const { return name_; }
  const std::vector<MemberEntry>& Entries() const { return entries_; }

  // The entry a dispatch call reaches, or null.
  const MemberEntry* Find(DISPID id, uint16_t flags) const;
  HRESULT GetIDsOfNames(const char16_t* const* names, uint32_t count, DISPID* ids) const;
  HRESULT Invoke(void* self, DISPID id, uint16_t flags, DISPPARAMS* params, VARIANT* result,
                 EXCEPINFO* excepInfo, uint32_t* argErr) const;
  // The parameter names of an entry, in order (a put's value is "Value").
  std::vector<std::u16string> ParamNames(const MemberEntry& entry) const;
  // A new type info describing this table (one reference).
  ITypeInfo* NewTypeInfo() const;

 private:
  IID iid_;
  std::u16string name_;
  std::vector<MemberEntry> entries_;
  std::map<std::u16string, DISPID> ids_by_name_;  // folded to lower case
  std::map<std::pair<DISPID, MemberKind>, size_t> by_id_;
};

// The IDispatch half of a dual interface, answered from I::Table().
template <class I>
class DispatchImpl : public I {
 public:
  HRESULT GetTypeInfoCount(uint32_t* count) override {
    return count ? (*count = 1, S_OK) : E_POINTER;
  }
  HRESULT GetTypeInfo(uint32_t index, LCID, ITypeInfo** info) override {
    if (!info) return E_POINTER;
    if (index != 0) return DISP_E_BADINDEX;
    *info = I::Table().NewTypeInfo();
    return S_OK;
  }
  HRESULT GetIDsOfNames(const IID&, const char16_t* const* names, uint32_t count, LCID,
                        DISPID* ids) override {
    return I::Table().GetIDsOfNames(names, count, ids);
  }
  HRESULT Invoke(DISPID id, const IID&, LCID, uint16_t flags, DISPPARAMS* params, VARIANT* result,
                 EXCEPINFO* excepInfo, uint32_t* argErr) override {
    return I::Table().Invoke(static_cast<I*>(this), id, flags, params, result, excepInfo, argErr);
  }
};

// ---- The client side --------------------------------------------------------------------------

// Late-bound calls on any IDispatch. Failures throw EOleException with the callee's message.
class DispatchClient {
 public:
  DispatchClient() = default;
  explicit DispatchClient(ComPtr<IDispatch> dispatch) : dispatch_(std::move(dispatch)) {}

  IDispatch* Dispatch() const { return dispatch_.Get(); }
  explicit operator bool() const { return static_cast<bool>(dispatch_); }

  // args in declared order (borrowed); for a put the last one is the value.
  Variant Invoke(DISPID id, uint16_t flags, std::span<VARIANT> args) const;
  Variant Invoke(DISPID id, uint16_t flags, std::initializer_list<Variant> args) const;
  DISPID IdOfName(std::u16string_view name) const;

 private:
  ComPtr<IDispatch> dispatch_;
};

namespace detail {

// What a caller may pass for a BSTR parameter; text is copied into a BSTR for the call.
struct BstrArg {
  Bstr value;
  BstrArg(std::u16string_view s) : value(s) {}
  BstrArg(const char16_t* s) : value(std::u16string_view(s ? s : u"")) {}
  BstrArg(const std::u16string& s) : value(std::u16string_view(s)) {}
  BstrArg(const Bstr& s) : value(s) {}
  BstrArg(std::string_view utf8) : value(Bstr::FromUtf8(utf8)) {}
  BstrArg(const std::string& utf8) : value(Bstr::FromUtf8(utf8)) {}
  BstrArg(const char* utf8) : value(Bstr::FromUtf8(utf8)) {}
};

template <class P, class A>
void PackArg(VARIANT& v, A&& arg, std::vector<Bstr>& keep) {
  VariantInit(&v);
  if constexpr (IsOutParam<P>) {
    using T = std::remove_pointer_t<P>;
    v.vt = VT_BYREF | BoundaryType<T>::vt;
    v.byref = static_cast<P>(arg);
  } else if constexpr (std::is_same_v<P, BSTR>) {
    keep.push_back(BstrArg(std::forward<A>(arg)).value);
    v.vt = VT_BSTR, v.bstrVal = keep.back().Get();
  } else if constexpr (std::is_same_v<P, VARIANT>) {
    v = static_cast<const VARIANT&>(arg);
  } else if constexpr (std::is_same_v<P, VARIANT_BOOL> &&
                       std::is_same_v<std::remove_cvref_t<A>, bool>) {
    BoundaryType<P>::Write(v, ToVariantBool(arg));  // true travels as -1
  } else {
    BoundaryType<P>::Write(v, static_cast<P>(arg));  // interfaces stay borrowed
  }
}

template <class T>
auto UnpackResult(Variant& v) {
  if constexpr (std::is_same_v<T, VARIANT>) {
    return std::move(v);
  } else if constexpr (std::is_same_v<T, BSTR>) {
    Variant s;
    OleCheck(VariantChangeType(&s, &v, 0, VT_BSTR));
    return Bstr::Attach(std::exchange(s.bstrVal, nullptr));
  } else if constexpr (std::is_pointer_v<T>) {
    using I = std::remove_pointer_t<T>;
    Variant p;
    OleCheck(VariantChangeType(&p, &v, 0, BoundaryType<T>::vt));
    T out = nullptr;
    OleCheck(BoundaryType<T>::Read(p, out));
    return ComPtr<I>::Attach(out);
  } else {
    Variant c;
    OleCheck(VariantChangeType(&c, &v, 0, BoundaryType<T>::coerceVt));
    T out{};
    OleCheck(BoundaryType<T>::Read(c, out));
    return out;
  }
}

}  // namespace detail

// Typed late-bound calls for interface I; the generated members call Call<>.
template <class I>
class DispatchProxy : public DispatchClient {
 public:
  using DispatchClient::DispatchClient;
  explicit DispatchProxy(ComPtr<IUnknown> object)
      : DispatchClient(object ? object.template As<IDispatch>() : nullptr) {}

 protected:
  using ProxyInterface = I;

  template <auto Fn, MemberKind K, DISPID Id, class... A>
  auto Call(A&&... args) const {
    using Traits = detail::SlotTraits<decltype(Fn)>;
    constexpr size_t given = Traits::count - (HasRetval(K) ? 1 : 0);
    static_assert(sizeof...(A) == given, "wrong number of arguments for this member");
    std::array<VARIANT, given + 1> packed{};
    std::vector<Bstr> keep;
    keep.reserve(given);
    Pack<Traits>(packed, keep, std::make_index_sequence<given>(), std::forward<A>(args)...);
    Variant result = Invoke(Id, InvokeKindOf(K), std::span<VARIANT>(packed.data(), given));
    if constexpr (HasRetval(K)) {
      using R =
          std::remove_pointer_t<std::tuple_element_t<Traits::count - 1, typename Traits::Params>>;
      return detail::UnpackResult<R>(result);
    }
  }

 private:
  template <class Traits, class Packed, size_t... Is, class... A>
  static void Pack(Packed& packed, std::vector<Bstr>& keep, std::index_sequence<Is...>,
                   A&&... args) {
    (detail::PackArg<std::tuple_element_t<Is, typename Traits::Params>>(
         packed[Is], std::forward<A>(args), keep),
     ...);
  }
};

// ---- The macros that read a member table ----------------------------------------------------

#define VELMORA_EXPAND(...) __VA_ARGS__
#define VELMORA_APPEND(params, last) VELMORA_APPEND_I(last, VELMORA_EXPAND params)
#define VELMORA_APPEND_I(last, ...) VELMORA_APPEND_II(last, __VA_ARGS__)
#define VELMORA_APPEND_II(last, ...) __VA_ARGS__ __VA_OPT__(, ) last

#define VELMORA_SLOT_NAME(kind, name) VELMORA_SLOT_NAME_##kind(name)
#define VELMORA_SLOT_NAME_Method(name) name
#define VELMORA_SLOT_NAME_Function(name) name
#define VELMORA_SLOT_NAME_Get(name) get_##name
#define VELMORA_SLOT_NAME_Put(name) put_##name
#define VELMORA_SLOT_NAME_PutRef(name) putref_##name

#define VELMORA_SLOT_PARAMS(kind, type, params) VELMORA_SLOT_PARAMS_##kind(type, params)
#define VELMORA_SLOT_PARAMS_Method(type, params) VELMORA_EXPAND params
#define VELMORA_SLOT_PARAMS_Function(type, params) VELMORA_APPEND(params, type* Value)
#define VELMORA_SLOT_PARAMS_Get(type, params) VELMORA_APPEND(params, type* Value)
#define VELMORA_SLOT_PARAMS_Put(type, params) VELMORA_APPEND(params, type Value)
#define VELMORA_SLOT_PARAMS_PutRef(type, params) VELMORA_APPEND(params, type Value)

#define VELMORA_PURE_SLOT(kind, name, dispid, slot, type, params) \
  virtual ::plat::com::HRESULT VELMORA_SLOT_NAME(                 \
      kind, name)(VELMORA_SLOT_PARAMS(kind, type, params)) = 0;

#define VELMORA_OVERRIDE_SLOT(kind, name, dispid, slot, type, params)                         \
  ::plat::com::HRESULT VELMORA_SLOT_NAME(kind, name)(VELMORA_SLOT_PARAMS(kind, type, params)) \
      override;

#define VELMORA_U16(literal) VELMORA_U16_I(literal)
#define VELMORA_U16_I(literal) u##literal
#define VELMORA_TABLE_ENTRY(kind, name, dispid, slot, type, params)                        \
  ::plat::com::MakeMember<&TableInterface::VELMORA_SLOT_NAME(kind, name),                  \
                          ::plat::com::MemberKind::kind>(VELMORA_U16(#name), dispid, slot, \
                                                         #params),

#define VELMORA_PROXY_MEMBER(kind, name, dispid, slot, type, params)                             \
  template <class... A>                                                                          \
  auto VELMORA_SLOT_NAME(kind, name)(A && ... args) const {                                      \
    return this->template Call<&ProxyInterface::VELMORA_SLOT_NAME(kind, name),                   \
                               ::plat::com::MemberKind::kind, dispid>(std::forward<A>(args)...); \
  }

}  // namespace plat::com
