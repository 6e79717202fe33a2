#pragma once
// The ImageBox COM object, shared by the units that define its IImageBox slots: the slots of the
// whole table in one unit took the longest compile of the tree, so imagebox_slots_<kinds>.cpp
// each define the slots of some row kinds of imagebox_members.inc, still the one list.
//
// Every slot calls the member's typed body (member_body.h): each argument is converted once, the
// body runs in the member frame, and its result is converted back. A member listed as unwired
// answers E_NOTIMPL with "Not available: <name>".
#include <span>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include "control/activex/component_stream.h"
#include "control/activex/control_state.h"
#include "control/activex/imagebox.h"
#include "control/activex/imagebox_interface.h"
#include "platform/com/connection_point.h"
#include "platform/com/server.h"

namespace pictavo::ax {

using namespace plat::com;

template <class T>
void ClearOut(T* out) {
  if constexpr (std::is_same_v<T, VARIANT>)
    VariantInit(out);
  else
    *out = T{};
}

// The slot's receivers: out parameters and the result.
template <class T>
constexpr bool IsReceiver = IsOutParam<T>;

template <class... A>
void ClearReceivers(std::tuple<A&...>& args) {
  std::apply(
      [](auto&... a) {
        (
            [](auto& p) {
              if constexpr (IsReceiver<std::remove_reference_t<decltype(p)>>) ClearOut(p);
            }(a),
            ...);
      },
      args);
}

template <class... A>
bool AnyNullReceiver(std::tuple<A&...>& args) {
  return std::apply(
      [](auto&... a) {
        return ([](auto& p) {
          if constexpr (IsReceiver<std::remove_reference_t<decltype(p)>>) return p == nullptr;
          return false;
        }(a) || ...);
      },
      args);
}

// The one conversion of a slot argument into its body type (an out parameter: its target).
template <class P>
decltype(auto) BodyArgument(P& value) {
  if constexpr (IsOutParam<P>)
    return (*value);
  else
    return BodyIn<P>::From(value);
}

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

// The events' IID as one object for every unit: the object's type names it as a template argument,
// and kImageBoxEventsIid is a copy per unit.
inline constexpr IID kObjectEventsIid = kImageBoxEventsIid;

class ImageBoxObject final
    : public ComObject<ImageBoxObject, DispatchImpl<IImageBox>, SingleEventSource<kObjectEventsIid>,
                       IWidgetControl, IControlState, IOleObject> {
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
  // Runs the body of a row in the member frame; results start empty, so a failed call never
  // leaves stale values. Row is the member's tag: a member listed as unwired has no body.
  template <class Row, MemberKind K, class Body, class... A>
  HRESULT Forward(const char* name, Body body, std::tuple<A&...> args) {
    if (AnyNullReceiver(args)) return E_POINTER;
    ClearReceivers(args);
    if constexpr (kUnwired<Row>) {
      return box_.NotAvailable(name).hresult;
    } else {
      constexpr size_t declared = sizeof...(A) - (HasRetval(K) ? 1 : 0);
      const HRESULT hr =
          box_.Run([&] {
                auto call = [&]<size_t... I>(std::index_sequence<I...>)->decltype(auto) {
                  return body(box_, BodyArgument(std::get<I>(args))...);
                };
                if constexpr (HasRetval(K)) {
                  using R = std::remove_pointer_t<std::tuple_element_t<declared, std::tuple<A...>>>;
                  BodyOut<R>::To(call(std::make_index_sequence<declared>()),
                                 std::get<declared>(args));
                } else {
                  call(std::make_index_sequence<declared>());
                }
              })
              .hresult;
      if (Failed(hr)) ClearReceivers(args);
      return hr;
    }
  }

  TImageBox box_;
  EventForwarder forwarder_;
  ComPtr<IOleClientSite> site_;
};

#define PICTAVO_SLOT_ARGS(kind, names) PICTAVO_SLOT_ARGS_##kind(names)
#define PICTAVO_SLOT_ARGS_Method(names) VELMORA_EXPAND names
#define PICTAVO_SLOT_ARGS_Function(names) VELMORA_APPEND(names, Value)
#define PICTAVO_SLOT_ARGS_Get(names) VELMORA_APPEND(names, Value)
#define PICTAVO_SLOT_ARGS_Put(names) VELMORA_APPEND(names, Value)
#define PICTAVO_SLOT_ARGS_PutRef(names) VELMORA_APPEND(names, Value)

// The slot of one row; the body is named inside a generic lambda, so a member listed as unwired
// needs none.
#define PICTAVO_DEFINE_SLOT(kind, name, dispid, slot, type, params, names)                         \
  HRESULT ImageBoxObject::VELMORA_SLOT_NAME(kind, name)(VELMORA_SLOT_PARAMS(kind, type, params)) { \
    return Forward<member_rows::name, MemberKind::kind>(                                           \
        #name,                                                                                     \
        [](auto&&... a) -> decltype(auto) {                                                        \
          return bodies::PICTAVO_ROW(kind, name, )(std::forward<decltype(a)>(a)...);               \
        },                                                                                         \
        std::forward_as_tuple(PICTAVO_SLOT_ARGS(kind, names)));                                    \
  }

// Each slots unit defines the slots of some row kinds: it defines PICTAVO_SLOTS_<kind> as
// PICTAVO_DEFINE_SLOT for those and as nothing for the others, then includes the table with
// VELMORA_MEMBER defined as PICTAVO_SLICE_ROW. A kind left out of every unit leaves its slots
// undefined and the library does not link; a kind in two units is defined twice.
#define PICTAVO_SLICE_ROW(kind, ...) PICTAVO_SLOTS_##kind(kind, __VA_ARGS__)

}  // namespace pictavo::ax
