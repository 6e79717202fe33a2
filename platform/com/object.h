#pragma once
// The reference counting and interface lookup every object of the layer shares.
//
//   class Thing final : public ComObject<Thing, IThing, IOther> { ... };
//   ComPtr<Thing> t = MakeObject<Thing>(args...);
//
// QueryInterface answers IUnknown, each listed interface and, when one of them derives from
// IDispatch, IDispatch; a class can answer more by defining QueryExtra(iid). The object is
// deleted as the concrete class when its last reference goes.
#include <atomic>
#include <type_traits>

#include "platform/com/interfaces.h"

namespace plat::com {

template <class Derived, class First, class... Rest>
class ComObject : public First, public Rest... {
 public:
  HRESULT QueryInterface(const IID& iid, void** object) override {
    if (!object) return E_POINTER;
    *object = Lookup(iid);
    if (!*object) *object = static_cast<Derived*>(this)->QueryExtra(iid);
    if (!*object) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  uint32_t AddRef() override { return ++refs_; }
  uint32_t Release() override {
    const uint32_t left = --refs_;
    if (left == 0) delete static_cast<Derived*>(this);
    return left;
  }

  // Another interface of this object, without touching the count.
  void* QueryExtra(const IID&) { return nullptr; }

 protected:
  ComObject() = default;
  ~ComObject() = default;
  uint32_t RefCount() const { return refs_; }

 private:
  void* Lookup(const IID& iid) {
    if (iid == IUnknown::kIid) return static_cast<IUnknown*>(static_cast<First*>(this));
    void* found = nullptr;
    auto match = [&](auto* self) {
      using I = std::remove_pointer_t<decltype(self)>;
      if (!found && (iid == I::kIid || (iid == IDispatch::kIid && std::is_base_of_v<IDispatch, I>)))
        found = self;
    };
    match(static_cast<First*>(this));
    (match(static_cast<Rest*>(this)), ...);
    return found;
  }

  std::atomic<uint32_t> refs_{0};
};

// Creates an object holding one reference.
template <class T, class... Args>
ComPtr<T> MakeObject(Args&&... args) {
  return ComPtr<T>(new T(std::forward<Args>(args)...));
}

}  // namespace plat::com
