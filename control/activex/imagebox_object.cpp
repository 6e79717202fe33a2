// The ImageBox COM object and the exports of the Pictavo server library.
//
// Every slot of IImageBox is generated from imagebox_members.inc and forwards to the member's
// body (member_call.h): the arguments are converted at the boundary, the body runs in the member
// frame, and its result is converted back. A slot whose member has no body answers E_NOTIMPL
// with "Not available: <name>".
#include <tuple>
#include <type_traits>
#include <utility>

#include "control/activex/component_stream.h"
#include "control/activex/control_state.h"
#include "control/activex/imagebox.h"
#include "control/activex/imagebox_interface.h"
#include "platform/com/connection_point.h"
#include "platform/com/server.h"

namespace pictavo::ax {

using namespace plat::com;

const MemberTable& IImageBox::Table() {
  using TableInterface = IImageBox;
  static const MemberTable table(IImageBox::kIid, u"IImageBox",
                                 {
#define VELMORA_MEMBER(kind, name, dispid, slot, type, params, names) \
  VELMORA_TABLE_ENTRY(kind, name, dispid, slot, type, params)
#include "control/activex/imagebox_members.inc"
#undef VELMORA_MEMBER
                                 });
  return table;
}

namespace {

// ---- boundary conversions of the slots ----

template <class T>
TCallValue InValue(const T& value) {
  if constexpr (std::is_same_v<T, VARIANT_BOOL>) {
    return IsTrue(value);  // any non-zero value is true
  } else if constexpr (std::is_same_v<T, BSTR>) {
    return std::u16string(BstrView(value));
  } else if constexpr (std::is_same_v<T, VARIANT>) {
    return TVariantArg{Variant(value)};
  } else if constexpr (std::is_same_v<T, DATE> || std::is_floating_point_v<T>) {
    return static_cast<double>(value);
  } else if constexpr (std::is_enum_v<T> || std::is_integral_v<T>) {
    return static_cast<int64_t>(value);  // enumerations arrive already cut to 8 bits
  } else if constexpr (std::is_pointer_v<T> &&
                       std::is_base_of_v<IDispatch, std::remove_pointer_t<T>>) {
    return TObjectArg{ComPtr<IDispatch>(value)};
  } else {
    return std::monostate();  // out parameters and interfaces
  }
}

template <class T>
void ClearOut(T* out) {
  if constexpr (std::is_same_v<T, VARIANT>)
    VariantInit(out);
  else
    *out = T{};
}

template <class T>
void OutValue(const TCallValue& value, T* out) {
  if constexpr (std::is_same_v<T, VARIANT>) {
    VariantInit(out);
    if (const auto* bytes = std::get_if<TBytes>(&value)) {
      OleCheck(MakeByteArrayVariant(*bytes, out));
    } else if (const auto* number = std::get_if<TVariantInt>(&value)) {
      out->vt = VT_I4, out->lVal = number->value;
    }
  } else if constexpr (std::is_same_v<T, BSTR>) {
    if (const auto* text = std::get_if<std::u16string>(&value)) *out = BstrFromUtf16(*text);
  } else if constexpr (std::is_same_v<T, VARIANT_BOOL>) {
    if (const auto* b = std::get_if<bool>(&value)) *out = ToVariantBool(*b);
  } else if constexpr (std::is_same_v<T, DATE> || std::is_floating_point_v<T>) {
    if (const auto* d = std::get_if<double>(&value)) *out = static_cast<T>(*d);
  } else if constexpr (std::is_enum_v<T> || std::is_integral_v<T>) {
    if (const auto* n = std::get_if<int64_t>(&value)) *out = static_cast<T>(*n);
  } else if constexpr (std::is_pointer_v<T>) {  // an interface result
    if (const auto* o = std::get_if<TObjectArg>(&value); o && o->object)
      o->object->QueryInterface(std::remove_pointer_t<T>::kIid, reinterpret_cast<void**>(out));
  }
}

// The parameters that receive values: out parameters and the result.
template <class T>
constexpr bool IsReceiver = IsOutParam<T>;

class ImageBoxObject;

// Turns the control's events into calls on the connected IImageBoxEvents sink.
class EventForwarder final : public TEventSink {
 public:
  explicit EventForwarder(SingleSinkConnectionPoint& point) : point_(point) {}
  void Fire(int32_t dispid, std::span<const int32_t> args) override {
    if (!point_.Connected()) return;
    std::vector<VARIANT> values(args.size());
    // Button and ShiftState are 16-bit; positions 32-bit.
    const size_t shorts = dispid == kOnMouseMove ? 1 : 2;
    for (size_t i = 0; i < args.size(); ++i) {
      VariantInit(&values[i]);
      if (i < shorts) {
        values[i].vt = VT_I2, values[i].iVal = static_cast<int16_t>(args[i]);
      } else {
        values[i].vt = VT_I4, values[i].lVal = args[i];
      }
    }
    // A sink's failure stays with the sink: the control's event handling goes on.
    point_.Fire(dispid, std::span<VARIANT>(values));
  }

 private:
  SingleSinkConnectionPoint& point_;
};

class ImageBoxObject final : public ComObject<ImageBoxObject, DispatchImpl<IImageBox>,
                                              SingleEventSource<kImageBoxEventsIid>, IWidgetControl,
                                              IControlState, IOleObject> {
 public:
  ImageBoxObject() : forwarder_(Events()) {
    box_.SetEventSink(&forwarder_);
    box_.View().SetOleObject(static_cast<IOleObject*>(this));
  }
  ~ImageBoxObject() { box_.SetEventSink(nullptr); }

#define VELMORA_MEMBER(kind, name, dispid, slot, type, params, names) \
  VELMORA_OVERRIDE_SLOT(kind, name, dispid, slot, type, params)
#include "control/activex/imagebox_members.inc"
#undef VELMORA_MEMBER

  // IWidgetControl: handing the window to the host creates it, asking the host (once) whether
  // it is a designer.
  QWidget* Widget() override {
    box_.View().CreateWnd();
    return &box_.View();
  }

  // IOleObject
  HRESULT SetClientSite(IOleClientSite* site) override {
    site_ = ComPtr<IOleClientSite>(site);
    return S_OK;
  }
  HRESULT GetClientSite(IOleClientSite** site) override {
    if (!site) return E_POINTER;
    *site = ComPtr<IOleClientSite>(site_).Detach();
    return *site ? S_OK : E_FAIL;
  }
  HRESULT GetEventsIid(IID* iid) override {
    return iid ? (*iid = kImageBoxEventsIid, S_OK) : E_POINTER;
  }

  // IControlState
  HRESULT LoadState(const uint8_t* data, uint32_t size) override {
    return SafeCall(IControlState::kIid, kImageBoxProgId,
                    [&] { LoadControlStream(box_.View(), data, size); });
  }
  HRESULT SaveState(VARIANT* bytes) override {
    if (!bytes) return E_POINTER;
    VariantInit(bytes);
    return SafeCall(IControlState::kIid, kImageBoxProgId,
                    [&] { OleCheck(MakeByteArrayVariant(SaveControlStream(box_.View()), bytes)); });
  }

 private:
  template <class... A>
  HRESULT Forward(const MemberInfo& member, Accessor accessor, bool has_result,
                  std::tuple<A&...> args) {
    constexpr size_t count = sizeof...(A);
    const size_t declared = count - (has_result ? 1 : 0);
    bool null_receiver = false;
    std::apply(
        [&](auto&... a) {
          (
              [&](auto& p) {
                if constexpr (IsReceiver<std::remove_reference_t<decltype(p)>>)
                  null_receiver |= p == nullptr;
              }(a),
              ...);
        },
        args);
    if (null_receiver) return E_POINTER;
    // Results start empty, so a failed call never leaves stale values.
    std::apply(
        [&](auto&... a) {
          (
              [&](auto& p) {
                if constexpr (IsReceiver<std::remove_reference_t<decltype(p)>>) ClearOut(p);
              }(a),
              ...);
        },
        args);
    MemberCall call;
    call.outs.resize(declared);
    std::apply(
        [&](auto&... a) {
          size_t i = 0;
          ((i++ < declared ? call.args.push_back(InValue(a)) : void()), ...);
        },
        args);
    const HRESULT hr = box_.Invoke(member, accessor, call).hresult;
    if (Failed(hr)) return hr;
    return SafeCall(IImageBox::kIid, kImageBoxProgId, [&] {
      auto store_outs = [&]<size_t... At>(std::index_sequence<At...>) {
        (
            [&](auto& p) {
              if constexpr (IsReceiver<std::remove_reference_t<decltype(p)>>)
                OutValue(At < declared ? call.outs[At] : call.result, p);
            }(std::get<At>(args)),
            ...);
      };
      store_outs(std::index_sequence_for<A...>());
    });
  }

  TImageBox box_;
  EventForwarder forwarder_;
  ComPtr<IOleClientSite> site_;
};

#define PICTAVO_ACCESSOR_Method Accessor::Call
#define PICTAVO_ACCESSOR_Function Accessor::Call
#define PICTAVO_ACCESSOR_Get Accessor::Get
#define PICTAVO_ACCESSOR_Put Accessor::Put
#define PICTAVO_ACCESSOR_PutRef Accessor::PutRef
#define PICTAVO_SLOT_ARGS(kind, names) PICTAVO_SLOT_ARGS_##kind(names)
#define PICTAVO_SLOT_ARGS_Method(names) VELMORA_EXPAND names
#define PICTAVO_SLOT_ARGS_Function(names) VELMORA_APPEND(names, Value)
#define PICTAVO_SLOT_ARGS_Get(names) VELMORA_APPEND(names, Value)
#define PICTAVO_SLOT_ARGS_Put(names) VELMORA_APPEND(names, Value)
#define PICTAVO_SLOT_ARGS_PutRef(names) VELMORA_APPEND(names, Value)

#define VELMORA_MEMBER(kind, name, dispid, slot, type, params, names)                              \
  HRESULT ImageBoxObject::VELMORA_SLOT_NAME(kind, name)(VELMORA_SLOT_PARAMS(kind, type, params)) { \
    static const MemberInfo& member = *FindMember(#name);                                          \
    return Forward(member, PICTAVO_ACCESSOR_##kind, HasRetval(MemberKind::kind),                   \
                   std::forward_as_tuple(PICTAVO_SLOT_ARGS(kind, names)));                         \
  }
#include "control/activex/imagebox_members.inc"
#undef VELMORA_MEMBER

ServerRegistration Registration() {
  ServerRegistration reg;
  reg.clsid = kImageBoxClsid;
  reg.progId = "Pictavo.ImageBox";
  reg.description = "Pictavo Control";
  reg.control = true;
  reg.toolboxBitmapId = 1;
  reg.miscStatus = "131473";
  reg.verbs = {"Properties"};
  reg.libid = kLibId;
  reg.libVersion = "3.1";
  reg.libName = "Pictavo";
  reg.interfaces = {{IImageBox::kIid, "IImageBox"}, {kImageBoxEventsIid, "IImageBoxEvents"}};
  return reg;
}

}  // namespace
}  // namespace pictavo::ax

VELMORA_SERVER_EXPORTS(pictavo::ax::ImageBoxObject, pictavo::ax::kImageBoxClsid,
                       pictavo::ax::Registration())
