#include "control/activex/member_body.h"

#include "platform/base/exceptions.h"
#include "platform/base/text.h"
#include "platform/com/errorinfo.h"
#include "platform/com/variant.h"

namespace pictavo {

namespace {

using namespace plat::com;

[[noreturn]] void NotImageData() {
  throw plat::EConvertError("Image data must be a byte array or a string");
}

TBytes BytesOfArray(SAFEARRAY* array) {
  if (!array || array->cDims != 1 || array->cbElements != 1) NotImageData();
  int32_t low = 0, high = -1;
  OleCheck(SafeArrayGetLBound(array, 1, &low));
  OleCheck(SafeArrayGetUBound(array, 1, &high));
  const int64_t count = int64_t{high} - low + 1;
  if (count <= 0) return {};
  void* data = nullptr;
  OleCheck(SafeArrayAccessData(array, &data));
  TBytes bytes(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + count);
  SafeArrayUnaccessData(array);
  return bytes;
}

// Each character of the string is one byte of the data. A host that turned the bytes into text
// through Windows-1252 hands over that code page's characters (byte 0x80 as U+20AC): they map
// back to their bytes; any other character above 255 cannot be one.
TBytes BytesOfString(BSTR text) {
  TBytes bytes;
  for (char16_t c : BstrView(text)) {
    const std::string ansi = c > 0xFF ? plat::Utf16ToAnsi(std::u16string_view(&c, 1)) : "";
    if (c > 0xFF && ansi == "?")
      throw plat::EConvertError("Image data in a string must hold one byte per character");
    bytes.push_back(c > 0xFF ? static_cast<uint8_t>(ansi[0]) : static_cast<uint8_t>(c));
  }
  return bytes;
}

}  // namespace

TBytes ImageDataOf(const VARIANT& given) {
  const VARIANT v = VariantDereference(given);
  if (v.vt == VT_BSTR) return BytesOfString(v.bstrVal);
  if (v.vt == (VT_ARRAY | VT_UI1) || v.vt == (VT_ARRAY | VT_I1)) return BytesOfArray(v.parray);
  NotImageData();
}

void BodyOut<VARIANT>::To(const TVariantResult& value, VARIANT* out) {
  if (const auto* bytes = std::get_if<TBytes>(&value)) {
    OleCheck(MakeByteArrayVariant(*bytes, out));
  } else if (const auto* number = std::get_if<int32_t>(&value)) {
    out->vt = VT_I4, out->lVal = *number;
  }
}

}  // namespace pictavo
