#pragma once
// Calls IImageBox members of a control by name, as a script host does: through
// IDispatch::Invoke with variants, reading the error info of a failed call.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "control/activex/imagebox.h"
#include "control/activex/imagebox_interface.h"
#include "platform/com/object.h"

extern "C" plat::com::HRESULT DllGetClassObject(const plat::com::CLSID&, const plat::com::IID&,
                                                void**);

namespace velmora_test {

// A value as it travels in a variant, widened: integers, colours and enumerations as int64_t,
// floating-point numbers and dates as double, byte arrays as bytes.
using TCallValue =
    std::variant<std::monostate, int64_t, double, bool, std::u16string, std::vector<uint8_t>>;

struct MemberCall {
  std::vector<TCallValue> args;  // in declaration order; a setter's new value last
  std::vector<TCallValue> outs;  // the output parameters after the call, by parameter index
  TCallValue result;
};

// A fresh ImageBox object created through its class factory.
class TestImageBox {
 public:
  TestImageBox() {
    using namespace plat::com;
    ComPtr<IClassFactory> factory;
    EXPECT_EQ(
        DllGetClassObject(pictavo::ax::kImageBoxClsid, IClassFactory::kIid, factory.OutVoid()),
        S_OK);
    ComPtr<IUnknown> object;
    EXPECT_EQ(factory->CreateInstance(nullptr, IUnknown::kIid, object.OutVoid()), S_OK);
    dispatch_ = object.As<IDispatch>();
    view_ = static_cast<pictavo::TpvImage*>(object.As<IWidgetControl>()->Widget());
  }

  pictavo::TpvImage& View() { return *view_; }
  plat::com::IDispatch& Dispatch() { return *dispatch_; }

  pictavo::MemberOutcome Invoke(const pictavo::MemberInfo& member, pictavo::Accessor accessor,
                                MemberCall& call) {
    using namespace plat::com;
    const MemberEntry& entry = EntryOf(member, accessor);
    const bool put = IsPut(entry.kind);
    const size_t count = static_cast<size_t>(entry.paramCount);
    const size_t positional = count - (put ? 1 : 0);
    std::vector<Variant> ins(count);
    std::vector<Variant> outs(count);
    std::vector<VARIANT> reversed;
    size_t next_arg = 0;
    auto take = [&](size_t i) -> VARIANT {
      if (entry.paramTypes[i] & VT_BYREF) {
        VARIANT v;
        VariantInit(&v);
        v.vt = VT_BYREF | VT_VARIANT;
        v.pvarVal = &outs[i];
        return v;
      }
      ins[i] = ToVariant(next_arg < call.args.size() ? call.args[next_arg] : TCallValue());
      ++next_arg;
      return ins[i];
    };
    for (size_t i = 0; i < count; ++i) reversed.insert(reversed.begin(), take(i));
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{reversed.data(), put ? &named : nullptr,
                      static_cast<uint32_t>(reversed.size()), put ? 1u : 0u};
    Variant result;
    EXCEPINFO excep{};
    uint32_t arg_err = 0;
    const HRESULT hr = dispatch_->Invoke(member.dispid, GUID{}, 0, InvokeKindOf(entry.kind),
                                         &params, &result, &excep, &arg_err);
    pictavo::MemberOutcome outcome{hr == DISP_E_EXCEPTION ? excep.scode : hr, ""};
    if (excep.bstrDescription) outcome.message = BstrToUtf8(excep.bstrDescription);
    ClearExcepInfo(&excep);
    call.result = FromVariant(result);
    call.outs.assign(positional, TCallValue());
    for (size_t i = 0; i < positional; ++i)
      if (entry.paramTypes[i] & VT_BYREF) call.outs[i] = FromVariant(outs[i]);
    return outcome;
  }

 private:
  static const plat::com::MemberEntry& EntryOf(const pictavo::MemberInfo& member,
                                               pictavo::Accessor accessor) {
    using plat::com::MemberKind;
    for (const plat::com::MemberEntry& e : pictavo::ax::IImageBox::Table().Entries()) {
      const bool same_kind = accessor == pictavo::Accessor::Get   ? e.kind == MemberKind::Get
                             : accessor == pictavo::Accessor::Put ? e.kind == MemberKind::Put
                             : accessor == pictavo::Accessor::PutRef
                                 ? e.kind == MemberKind::PutRef
                                 : !plat::com::IsPut(e.kind) && e.kind != MemberKind::Get;
      if (e.dispid == member.dispid && same_kind) return e;
    }
    ADD_FAILURE() << member.name << " has no such accessor";
    return pictavo::ax::IImageBox::Table().Entries().front();
  }

  static plat::com::Variant ToVariant(const TCallValue& value) {
    using namespace plat::com;
    Variant v;
    if (const auto* n = std::get_if<int64_t>(&value)) {
      if (*n >= INT32_MIN && *n <= INT32_MAX) {
        v.vt = VT_I4, v.lVal = static_cast<int32_t>(*n);
      } else if (*n >= 0 && *n <= int64_t{UINT32_MAX}) {
        v.vt = VT_UI4, v.ulVal = static_cast<uint32_t>(*n);
      } else {
        v.vt = VT_I8, v.llVal = *n;
      }
    } else if (const auto* d = std::get_if<double>(&value)) {
      v.vt = VT_R8, v.dblVal = *d;
    } else if (const auto* b = std::get_if<bool>(&value)) {
      v.vt = VT_BOOL, v.boolVal = ToVariantBool(*b);
    } else if (const auto* text = std::get_if<std::u16string>(&value)) {
      return Variant(std::u16string_view(*text));
    } else if (const auto* bytes = std::get_if<std::vector<uint8_t>>(&value)) {
      EXPECT_EQ(MakeByteArrayVariant(*bytes, &v), S_OK);
    }
    return v;
  }

  static TCallValue FromVariant(const plat::com::Variant& v) {
    using namespace plat::com;
    std::span<const uint8_t> bytes;
    switch (v.vt) {
      case VT_I1:
        return int64_t{v.cVal};
      case VT_UI1:
        return int64_t{v.bVal};
      case VT_I2:
        return int64_t{v.iVal};
      case VT_I4:
        return int64_t{v.lVal};
      case VT_UI4:
        return int64_t{v.ulVal};
      case VT_I8:
        return v.llVal;
      case VT_R4:
        return double{v.fltVal};
      case VT_R8:
        return v.dblVal;
      case VT_DATE:
        return static_cast<double>(v.date);
      case VT_BOOL:
        return IsTrue(v.boolVal);
      case VT_BSTR:
        return std::u16string(BstrView(v.bstrVal));
      default:
        if (VariantBytes(v, bytes)) return std::vector<uint8_t>(bytes.begin(), bytes.end());
        return std::monostate();
    }
  }

  plat::com::ComPtr<plat::com::IDispatch> dispatch_;
  pictavo::TpvImage* view_ = nullptr;
};

struct MemberClient {
  TestImageBox& box;

  // The outcome of one call; the call's result and output parameters go to call.
  pictavo::MemberOutcome Try(const char* name, pictavo::Accessor accessor, MemberCall& call) {
    return box.Invoke(*pictavo::FindMember(name), accessor, call);
  }
  // A call that must succeed.
  MemberCall Invoke(const char* name, pictavo::Accessor accessor,
                    std::vector<TCallValue> args = {}) {
    MemberCall call;
    call.args = std::move(args);
    const pictavo::MemberOutcome outcome = Try(name, accessor, call);
    EXPECT_EQ(outcome.hresult, pictavo::kSOk) << name << ": " << outcome.message;
    return call;
  }
  TCallValue Call(const char* name, std::vector<TCallValue> args = {}) {
    return Invoke(name, pictavo::Accessor::Call, std::move(args)).result;
  }
  TCallValue Get(const char* name, std::vector<TCallValue> args = {}) {
    return Invoke(name, pictavo::Accessor::Get, std::move(args)).result;
  }
  void Put(const char* name, TCallValue value) {
    Invoke(name, pictavo::Accessor::Put, {std::move(value)});
  }
};

}  // namespace velmora_test
