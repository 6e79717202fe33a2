#pragma once
// Texts between the metadata code and the image control: the control's BSTR results as QString,
// and a QString as the control's text argument.
#include <QString>
#include <string>

#include "platform/com/bstr.h"

namespace metadata {

inline QString Text(const plat::com::Bstr& value) {
  const std::u16string_view view = value.View();
  return QString::fromUtf16(view.data(), static_cast<qsizetype>(view.size()));
}

inline std::u16string Arg(const QString& text) {
  return text.toStdU16String();
}

}  // namespace metadata
