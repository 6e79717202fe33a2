#pragma once
// The host side of a control: a widget that creates a control by ProgID (or CLSID text), gives it
// a client site whose ambient properties tell the host's UserMode, embeds the widget the control
// hands over through IWidgetControl, connects an event sink and re-emits each event as the Event
// signal. Members are called by dispatch id (dynamicCall) or through a
// typed DispatchProxy built on Dispatch().
#include <QVariant>
#include <QWidget>

#include "platform/com/interfaces.h"
#include "platform/com/variant.h"

namespace plat::com {

class ControlHost : public QWidget {
  Q_OBJECT

 public:
  explicit ControlHost(QWidget* parent = nullptr);
  ~ControlHost() override;

  // Replaces any current control. Throws EOleException when the control cannot be created.
  void SetControl(const QString& progIdOrClsid);
  void ClearControl();

  ComPtr<IDispatch> Dispatch() const { return dispatch_; }
  QWidget* ControlWidget() const { return widget_; }
  bool EventsConnected() const { return cookie_ != 0; }
  // The ambient UserMode the site offers (true by default, false for a designer); a control
  // reads it when it is embedded, so set it before SetControl.
  void SetUserMode(bool on);

  // Calls member `dispid`; args in declared order (the last is the value of a put). Throws
  // EOleException with the control's message when the member fails.
  QVariant dynamicCall(int dispid, const QVariantList& args = {},
                       uint16_t flags = DISPATCH_METHOD | DISPATCH_PROPERTYGET);

 signals:
  // An event of the control, with its arguments in declared order.
  void Event(int dispid, const QVariantList& args);

 private:
  class Sink;
  class Site;
  void Disconnect();

  ComPtr<IUnknown> control_;
  ComPtr<IDispatch> dispatch_;
  ComPtr<IConnectionPoint> point_;
  ComPtr<IDispatch> sink_;
  uint32_t cookie_ = 0;
  ComPtr<IOleClientSite> site_;
  QWidget* widget_ = nullptr;
};

// Conversions between Qt values and variants: numbers, truth values, text and byte arrays.
Variant ToVariant(const QVariant& value);
QVariant ToQVariant(const VARIANT& value);

}  // namespace plat::com
