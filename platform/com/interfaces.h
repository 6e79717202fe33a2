#pragma once
// The component interfaces. Each is an abstract class whose virtual functions, in declaration
// order, are its slots; none has a virtual destructor (that would add slots), so objects are
// destroyed only through their own Release. Interface ids are the well-known automation ones.
#include <cstdint>
#include <utility>

#include "platform/com/types.h"

class QWidget;

namespace plat::com {

struct VARIANT;
using BSTR = char16_t*;

struct IUnknown {
  static constexpr IID kIid = MakeGuid("{00000000-0000-0000-C000-000000000046}");
  virtual HRESULT QueryInterface(const IID& iid, void** object) = 0;
  virtual uint32_t AddRef() = 0;
  virtual uint32_t Release() = 0;

 protected:
  ~IUnknown() = default;
};

struct DISPPARAMS {
  VARIANT* rgvarg = nullptr;  // named arguments first, then positional ones reversed
  DISPID* rgdispidNamedArgs = nullptr;
  uint32_t cArgs = 0;
  uint32_t cNamedArgs = 0;
};

struct EXCEPINFO {
  uint16_t wCode = 0;
  uint16_t wReserved = 0;
  BSTR bstrSource = nullptr;
  BSTR bstrDescription = nullptr;
  BSTR bstrHelpFile = nullptr;
  uint32_t dwHelpContext = 0;
  void* pvReserved = nullptr;
  HRESULT (*pfnDeferredFillIn)(EXCEPINFO*) = nullptr;
  SCODE scode = 0;
};

// What a minimal type info tells about one member (one accessor of a property).
struct FUNCDESC {
  DISPID memid = 0;
  uint16_t invkind = 0;  // DISPATCH_METHOD, _PROPERTYGET, _PROPERTYPUT or _PROPERTYPUTREF
  int16_t slot = 0;      // index in the interface's function table
  int16_t cParams = 0;   // parameters without the [out, retval] result
  VARTYPE resultType = 0;
  const VARTYPE* paramTypes = nullptr;  // cParams entries; out parameters carry VT_BYREF
};

struct ITypeInfo : IUnknown {
  static constexpr IID kIid = MakeGuid("{00020401-0000-0000-C000-000000000046}");
  virtual HRESULT GetGuid(IID* iid) = 0;
  virtual HRESULT GetFuncCount(uint32_t* count) = 0;
  // desc stays valid as long as the type info lives.
  virtual HRESULT GetFuncDesc(uint32_t index, FUNCDESC* desc) = 0;
  // The member's name followed by its parameter names.
  virtual HRESULT GetNames(DISPID id, BSTR* names, uint32_t maxNames, uint32_t* count) = 0;
  virtual HRESULT GetIDsOfNames(const char16_t* const* names, uint32_t count, DISPID* ids) = 0;

 protected:
  ~ITypeInfo() = default;
};

struct IDispatch : IUnknown {
  static constexpr IID kIid = MakeGuid("{00020400-0000-0000-C000-000000000046}");
  virtual HRESULT GetTypeInfoCount(uint32_t* count) = 0;
  virtual HRESULT GetTypeInfo(uint32_t index, LCID lcid, ITypeInfo** info) = 0;
  virtual HRESULT GetIDsOfNames(const IID& riid, const char16_t* const* names, uint32_t count,
                                LCID lcid, DISPID* ids) = 0;
  virtual HRESULT Invoke(DISPID id, const IID& riid, LCID lcid, uint16_t flags, DISPPARAMS* params,
                         VARIANT* result, EXCEPINFO* excepInfo, uint32_t* argErr) = 0;

 protected:
  ~IDispatch() = default;
};

struct IErrorInfo : IUnknown {
  static constexpr IID kIid = MakeGuid("{1CF2B120-547D-101B-8E65-08002B2BD119}");
  virtual HRESULT GetGUID(GUID* guid) = 0;
  virtual HRESULT GetSource(BSTR* source) = 0;
  virtual HRESULT GetDescription(BSTR* description) = 0;
  virtual HRESULT GetHelpFile(BSTR* helpFile) = 0;
  virtual HRESULT GetHelpContext(uint32_t* helpContext) = 0;

 protected:
  ~IErrorInfo() = default;
};

struct ICreateErrorInfo : IUnknown {
  static constexpr IID kIid = MakeGuid("{22F03340-547D-101B-8E65-08002B2BD119}");
  virtual HRESULT SetGUID(const GUID& guid) = 0;
  virtual HRESULT SetSource(const char16_t* source) = 0;
  virtual HRESULT SetDescription(const char16_t* description) = 0;
  virtual HRESULT SetHelpFile(const char16_t* helpFile) = 0;
  virtual HRESULT SetHelpContext(uint32_t helpContext) = 0;

 protected:
  ~ICreateErrorInfo() = default;
};

struct ISupportErrorInfo : IUnknown {
  static constexpr IID kIid = MakeGuid("{DF0B3D60-548F-101B-8E65-08002B2BD119}");
  virtual HRESULT InterfaceSupportsErrorInfo(const IID& iid) = 0;

 protected:
  ~ISupportErrorInfo() = default;
};

struct IClassFactory : IUnknown {
  static constexpr IID kIid = MakeGuid("{00000001-0000-0000-C000-000000000046}");
  virtual HRESULT CreateInstance(IUnknown* outer, const IID& iid, void** object) = 0;
  virtual HRESULT LockServer(int32_t lock) = 0;

 protected:
  ~IClassFactory() = default;
};

struct IConnectionPointContainer;

struct IConnectionPoint : IUnknown {
  static constexpr IID kIid = MakeGuid("{B196B286-BAB4-101A-B69C-00AA00341D07}");
  virtual HRESULT GetConnectionInterface(IID* iid) = 0;
  virtual HRESULT GetConnectionPointContainer(IConnectionPointContainer** container) = 0;
  virtual HRESULT Advise(IUnknown* sink, uint32_t* cookie) = 0;
  virtual HRESULT Unadvise(uint32_t cookie) = 0;
  virtual HRESULT EnumConnections(void** enumerator) = 0;

 protected:
  ~IConnectionPoint() = default;
};

struct IConnectionPointContainer : IUnknown {
  static constexpr IID kIid = MakeGuid("{B196B284-BAB4-101A-B69C-00AA00341D07}");
  virtual HRESULT EnumConnectionPoints(void** enumerator) = 0;
  virtual HRESULT FindConnectionPoint(const IID& iid, IConnectionPoint** point) = 0;

 protected:
  ~IConnectionPointContainer() = default;
};

// The standard automation font object, as members declare it; it is reached through its dispatch
// interface only. The picture interface stands beside the platform picture object.
struct IFontDisp : IDispatch {
  static constexpr IID kIid = MakeGuid("{BEF6E003-A874-101A-8BBA-00AA00300CAB}");

 protected:
  ~IFontDisp() = default;
};

// The private interface through which a control hands its window to a host in this process:
// the host re-parents the widget; the control keeps owning it and deletes it on its last Release.
struct IWidgetControl : IUnknown {
  static constexpr IID kIid = MakeGuid("{6C1D7F30-9A41-4E8B-B2C5-3D0E8A917F42}");
  virtual QWidget* Widget() = 0;
  // The id of the event interface the host's sink should answer to.
  virtual HRESULT GetEventsIid(IID* iid) = 0;

 protected:
  ~IWidgetControl() = default;
};

// The client site a container gives each control it holds. Here it carries no members of its own:
// a control reaches the container's ambient properties through the site's IDispatch.
struct IOleClientSite : IUnknown {
  static constexpr IID kIid = MakeGuid("{00000118-0000-0000-C000-000000000046}");

 protected:
  ~IOleClientSite() = default;
};

// The embedding side of a control, reduced to the client site it is given.
struct IOleObject : IUnknown {
  static constexpr IID kIid = MakeGuid("{00000112-0000-0000-C000-000000000046}");
  virtual HRESULT SetClientSite(IOleClientSite* site) = 0;
  virtual HRESULT GetClientSite(IOleClientSite** site) = 0;

 protected:
  ~IOleObject() = default;
};

// Owns one reference; the usual smart pointer of the layer.
template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(std::nullptr_t) {}
  // Takes a new reference (AddRef).
  explicit ComPtr(T* p) : p_(p) {
    if (p_) p_->AddRef();
  }
  ComPtr(const ComPtr& o) : ComPtr(o.p_) {}
  ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  ~ComPtr() { Reset(); }
  ComPtr& operator=(ComPtr o) noexcept {
    std::swap(p_, o.p_);
    return *this;
  }

  // Adopts a reference the caller already owns (no AddRef).
  static ComPtr Attach(T* p) {
    ComPtr c;
    c.p_ = p;
    return c;
  }
  T* Detach() { return std::exchange(p_, nullptr); }
  void Reset() {
    if (T* p = std::exchange(p_, nullptr)) p->Release();
  }
  // For out parameters: releases what is held and hands out the slot.
  T** Out() {
    Reset();
    return &p_;
  }
  void** OutVoid() { return reinterpret_cast<void**>(Out()); }

  T* Get() const { return p_; }
  T* operator->() const { return p_; }
  T& operator*() const { return *p_; }
  explicit operator bool() const { return p_ != nullptr; }

  template <class U>
  ComPtr<U> As() const {
    ComPtr<U> out;
    if (p_) p_->QueryInterface(U::kIid, out.OutVoid());
    return out;
  }

 private:
  T* p_ = nullptr;
};

}  // namespace plat::com
