#pragma once
// Between the metadata code and the image control: the typed proxy of a hosted control, the
// control's BSTR results as QString, and a QString as the control's text argument.
#include <QString>
#include <string>

#include "control/activex/imagebox_interface.h"
#include "platform/com/bstr.h"
#include "platform/com/control_host.h"

namespace metadata {

inline pictavo::ax::ImageBoxProxy Box(plat::com::ControlHost* control) {
  return pictavo::ax::ImageBoxProxy(control->Dispatch());
}

inline QString Text(const plat::com::Bstr& value) {
  const std::u16string_view view = value.View();
  return QString::fromUtf16(view.data(), static_cast<qsizetype>(view.size()));
}

inline std::u16string Arg(const QString& text) {
  return text.toStdU16String();
}

}  // namespace metadata
