#include "platform/com/control_host.h"

#include <QByteArray>
#include <QVBoxLayout>
#include <span>
#include <vector>

#include "platform/com/errorinfo.h"
#include "platform/com/member_table.h"
#include "platform/com/object.h"
#include "platform/com/server.h"

namespace plat::com {

// Answers the control's events interface and turns each call into the host's signal.
class ControlHost::Sink final : public ComObject<ControlHost::Sink, IDispatch> {
 public:
  Sink(ControlHost* host, const IID& events) : host_(host), events_(events) {}

  void* QueryExtra(const IID& iid) {
    return iid == events_ ? static_cast<IDispatch*>(this) : nullptr;
  }
  void Detach() { host_ = nullptr; }

  HRESULT GetTypeInfoCount(uint32_t* count) override {
    return count ? (*count = 0, S_OK) : E_POINTER;
  }
  HRESULT GetTypeInfo(uint32_t, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT GetIDsOfNames(const IID&, const char16_t* const*, uint32_t, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT Invoke(DISPID id, const IID&, LCID, uint16_t, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                 uint32_t*) override {
    if (!params) return E_INVALIDARG;
    QVariantList args;
    for (uint32_t i = params->cArgs; i > params->cNamedArgs; --i)
      args.append(ToQVariant(params->rgvarg[i - 1]));
    if (host_) emit host_->Event(id, args);
    return S_OK;
  }

 private:
  ControlHost* host_;
  IID events_;
};

// The client site: its dispatch interface answers the ambient properties the host offers.
class ControlHost::Site final : public ComObject<ControlHost::Site, IOleClientSite, IDispatch> {
 public:
  void SetUserMode(bool on) { user_mode_ = on; }

  HRESULT GetTypeInfoCount(uint32_t* count) override {
    return count ? (*count = 0, S_OK) : E_POINTER;
  }
  HRESULT GetTypeInfo(uint32_t, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT GetIDsOfNames(const IID&, const char16_t* const*, uint32_t, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT Invoke(DISPID id, const IID&, LCID, uint16_t flags, DISPPARAMS*, VARIANT* result,
                 EXCEPINFO*, uint32_t*) override {
    if (id != DISPID_AMBIENT_USERMODE) return DISP_E_MEMBERNOTFOUND;
    if (!(flags & DISPATCH_PROPERTYGET)) return DISP_E_MEMBERNOTFOUND;
    if (!result) return E_POINTER;
    VariantInit(result);
    result->vt = VT_BOOL;
    result->boolVal = ToVariantBool(user_mode_);
    return S_OK;
  }

 private:
  bool user_mode_ = true;
};

ControlHost::ControlHost(QWidget* parent) : QWidget(parent) {
  site_ = ComPtr<IOleClientSite>(MakeObject<Site>().Get());
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
}

ControlHost::~ControlHost() {
  ClearControl();
}

void ControlHost::SetControl(const QString& progIdOrClsid) {
  ClearControl();
  ComPtr<IUnknown> control = CreateObject(progIdOrClsid.toStdU16String());
  ComPtr<IDispatch> dispatch = control.As<IDispatch>();
  if (!dispatch) throw EOleSysError("The control has no dispatch interface", E_NOINTERFACE);
  control_ = control;
  dispatch_ = dispatch;
  if (auto ole = control.As<IOleObject>()) ole->SetClientSite(site_.Get());
  if (auto embed = control.As<IWidgetControl>()) {
    widget_ = embed->Widget();
    if (widget_) {
      widget_->setParent(this);
      layout()->addWidget(widget_);
      widget_->show();
    }
    IID events{};
    auto container = control.As<IConnectionPointContainer>();
    if (Succeeded(embed->GetEventsIid(&events)) && container &&
        Succeeded(container->FindConnectionPoint(events, point_.Out()))) {
      auto sink = MakeObject<Sink>(this, events);
      if (Succeeded(point_->Advise(sink.Get(), &cookie_)))
        sink_ = ComPtr<IDispatch>(sink.Get());
      else
        point_.Reset();
    }
  }
}

void ControlHost::SetUserMode(bool on) {
  static_cast<Site*>(site_.Get())->SetUserMode(on);
}

void ControlHost::Disconnect() {
  if (point_ && cookie_ != 0) point_->Unadvise(cookie_);
  if (sink_) static_cast<Sink*>(sink_.Get())->Detach();
  cookie_ = 0;
  point_.Reset();
  sink_.Reset();
}

void ControlHost::ClearControl() {
  Disconnect();
  if (widget_) {
    // The control owns its widget and deletes it with itself.
    layout()->removeWidget(widget_);
    widget_->hide();
    widget_->setParent(nullptr);
    widget_ = nullptr;
  }
  if (auto ole = control_.As<IOleObject>()) ole->SetClientSite(nullptr);
  dispatch_.Reset();
  control_.Reset();
}

QVariant ControlHost::dynamicCall(int dispid, const QVariantList& args, uint16_t flags) {
  std::vector<Variant> owned;
  owned.reserve(static_cast<size_t>(args.size()));
  for (const QVariant& a : args) owned.push_back(ToVariant(a));
  std::vector<VARIANT> borrowed(owned.begin(), owned.end());
  const Variant result =
      DispatchClient(dispatch_).Invoke(dispid, flags, std::span<VARIANT>(borrowed));
  return ToQVariant(result);
}

Variant ToVariant(const QVariant& value) {
  switch (value.typeId()) {
    case QMetaType::Bool:
      return Variant(value.toBool());
    case QMetaType::Int:
      return Variant(static_cast<int32_t>(value.toInt()));
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong: {
      const qlonglong n = value.toLongLong();
      if (n >= INT32_MIN && n <= INT32_MAX) return Variant(static_cast<int32_t>(n));
      return Variant(value.toDouble());
    }
    case QMetaType::Float:
      return Variant(value.toFloat());
    case QMetaType::Double:
      return Variant(value.toDouble());
    case QMetaType::QString:
      return Variant(std::u16string_view(value.toString().toStdU16String()));
    case QMetaType::QByteArray: {
      const QByteArray bytes = value.toByteArray();
      Variant v;
      OleCheck(MakeByteArrayVariant(std::span(reinterpret_cast<const uint8_t*>(bytes.constData()),
                                              static_cast<size_t>(bytes.size())),
                                    &v));
      return v;
    }
    default:
      return Variant();
  }
}

QVariant ToQVariant(const VARIANT& value) {
  const VARIANT v = VariantDereference(value);
  switch (v.vt) {
    case VT_BOOL:
      return QVariant(v.boolVal != 0);
    case VT_I1:
      return QVariant(int{v.cVal});
    case VT_UI1:
      return QVariant(int{v.bVal});
    case VT_I2:
      return QVariant(int{v.iVal});
    case VT_UI2:
      return QVariant(int{v.uiVal});
    case VT_I4:
    case VT_INT:
      return QVariant(int{v.lVal});
    case VT_UI4:
    case VT_UINT:
      return QVariant(qulonglong{v.ulVal});
    case VT_I8:
      return QVariant(qlonglong{v.llVal});
    case VT_UI8:
      return QVariant(qulonglong{v.ullVal});
    case VT_R4:
      return QVariant(double{v.fltVal});
    case VT_R8:
      return QVariant(v.dblVal);
    case VT_DATE:
      return QVariant(static_cast<double>(v.date));
    case VT_BSTR: {
      const std::u16string_view s = BstrView(v.bstrVal);
      return QVariant(QString::fromUtf16(s.data(), static_cast<qsizetype>(s.size())));
    }
    default: {
      std::span<const uint8_t> bytes;
      if ((v.vt & VT_ARRAY) && VariantBytes(v, bytes))
        return QVariant(QByteArray(reinterpret_cast<const char*>(bytes.data()),
                                   static_cast<qsizetype>(bytes.size())));
      return QVariant();
    }
  }
}

}  // namespace plat::com
