#pragma once
// The event side of a control: one outgoing interface that accepts one sink at a time. The
// connection point lives inside its control object and shares its reference count.
#include <functional>
#include <span>

#include "platform/com/interfaces.h"
#include "platform/com/variant.h"

namespace plat::com {

class SingleSinkConnectionPoint final : public IConnectionPoint {
 public:
  // owner: the control object (its container); events: the id of the outgoing interface.
  SingleSinkConnectionPoint(IConnectionPointContainer* owner, const IID& events)
      : owner_(owner), events_(events) {}
  SingleSinkConnectionPoint(const SingleSinkConnectionPoint&) = delete;
  SingleSinkConnectionPoint& operator=(const SingleSinkConnectionPoint&) = delete;
  ~SingleSinkConnectionPoint() { Disconnect(); }

  HRESULT QueryInterface(const IID& iid, void** object) override;
  uint32_t AddRef() override { return owner_->AddRef(); }
  uint32_t Release() override { return owner_->Release(); }
  HRESULT GetConnectionInterface(IID* iid) override;
  HRESULT GetConnectionPointContainer(IConnectionPointContainer** container) override;
  // A second connection is refused with CONNECT_E_ADVISELIMIT.
  HRESULT Advise(IUnknown* sink, uint32_t* cookie) override;
  HRESULT Unadvise(uint32_t cookie) override;
  HRESULT EnumConnections(void** enumerator) override;

  const IID& EventsIid() const { return events_; }
  bool Connected() const { return sink_ != nullptr; }
  IDispatch* Sink() const { return sink_; }
  // Called after a sink was connected or disconnected (with null).
  void OnSinkChanged(std::function<void(IDispatch*)> handler) { changed_ = std::move(handler); }
  void Disconnect();

  // Calls event `id` on the sink with args in declared order; S_OK without a sink. The sink is
  // kept alive for the call even if it disconnects from inside its handler.
  HRESULT Fire(DISPID id, std::span<VARIANT> args = {});
  HRESULT Fire(DISPID id, std::initializer_list<Variant> args);

 private:
  IConnectionPointContainer* owner_;
  IID events_;
  IDispatch* sink_ = nullptr;
  std::function<void(IDispatch*)> changed_;
};

}  // namespace plat::com
