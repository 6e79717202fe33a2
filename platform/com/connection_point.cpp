#include "platform/com/connection_point.h"

#include <vector>

namespace plat::com {

namespace {
constexpr uint32_t kCookie = 1;
}

HRESULT SingleSinkConnectionPoint::QueryInterface(const IID& iid, void** object) {
  if (!object) return E_POINTER;
  if (iid == IUnknown::kIid || iid == IConnectionPoint::kIid) {
    *object = this;
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

HRESULT SingleSinkConnectionPoint::GetConnectionInterface(IID* iid) {
  return iid ? (*iid = events_, S_OK) : E_POINTER;
}

HRESULT SingleSinkConnectionPoint::GetConnectionPointContainer(
    IConnectionPointContainer** container) {
  if (!container) return E_POINTER;
  owner_->AddRef();
  *container = owner_;
  return S_OK;
}

HRESULT SingleSinkConnectionPoint::Advise(IUnknown* sink, uint32_t* cookie) {
  if (!sink || !cookie) return E_POINTER;
  *cookie = 0;
  if (sink_) return CONNECT_E_ADVISELIMIT;
  void* events = nullptr;
  if (Failed(sink->QueryInterface(events_, &events)) &&
      Failed(sink->QueryInterface(IDispatch::kIid, &events)))
    return CONNECT_E_CANNOTCONNECT;
  sink_ = static_cast<IDispatch*>(events);
  *cookie = kCookie;
  if (changed_) changed_(sink_);
  return S_OK;
}

HRESULT SingleSinkConnectionPoint::Unadvise(uint32_t cookie) {
  if (cookie != kCookie || !sink_) return CONNECT_E_NOCONNECTION;
  Disconnect();
  return S_OK;
}

HRESULT SingleSinkConnectionPoint::EnumConnections(void** enumerator) {
  if (enumerator) *enumerator = nullptr;
  return E_NOTIMPL;
}

void SingleSinkConnectionPoint::Disconnect() {
  if (IDispatch* old = std::exchange(sink_, nullptr)) {
    if (changed_) changed_(nullptr);
    old->Release();
  }
}

HRESULT SingleSinkConnectionPoint::Fire(DISPID id, std::span<VARIANT> args) {
  if (!sink_) return S_OK;
  ComPtr<IDispatch> sink(sink_);
  std::vector<VARIANT> reversed(args.rbegin(), args.rend());
  DISPPARAMS params{reversed.data(), nullptr, static_cast<uint32_t>(reversed.size()), 0};
  return sink->Invoke(id, GUID{}, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
}

HRESULT SingleSinkConnectionPoint::Fire(DISPID id, std::initializer_list<Variant> args) {
  std::vector<VARIANT> borrowed(args.begin(), args.end());
  return Fire(id, std::span<VARIANT>(borrowed));
}

}  // namespace plat::com
