#include "platform/com/variant.h"

#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "platform/base/datetime.h"
#include "platform/base/numbers.h"
#include "platform/base/text.h"
#include "platform/com/errorinfo.h"

namespace plat::com {
namespace {

bool IsInterfaceType(VARTYPE t) {
  return t == VT_DISPATCH || t == VT_UNKNOWN;
}

size_t ElementSize(VARTYPE t) {
  switch (t) {
    case VT_I1:
    case VT_UI1:
      return 1;
    case VT_I2:
    case VT_UI2:
    case VT_BOOL:
      return 2;
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
    case VT_R4:
    case VT_ERROR:
      return 4;
    case VT_I8:
    case VT_UI8:
    case VT_R8:
    case VT_DATE:
    case VT_CY:
      return 8;
    case VT_BSTR:
    case VT_DISPATCH:
    case VT_UNKNOWN:
      return sizeof(void*);
    case VT_VARIANT:
      return sizeof(VARIANT);
    default:
      return 0;
  }
}

// The payload of a scalar variant, in the widest type that holds it exactly.
struct Number {
  enum Kind { kSigned, kUnsigned, kReal } kind = kSigned;
  int64_t i = 0;
  uint64_t u = 0;
  double d = 0;
};

bool ReadNumber(const VARIANT& v, Number& n) {
  switch (v.vt) {
    case VT_EMPTY:
      n = {Number::kSigned, 0, 0, 0};
      return true;
    case VT_I1:
      n.i = v.cVal;
      return true;
    case VT_I2:
      n.i = v.iVal;
      return true;
    case VT_I4:
    case VT_INT:
      n.i = v.lVal;
      return true;
    case VT_I8:
      n.i = v.llVal;
      return true;
    case VT_BOOL:
      n.i = v.boolVal != 0 ? -1 : 0;
      return true;
    case VT_ERROR:
      n.i = v.scode;
      return true;
    case VT_UI1:
      n.kind = Number::kUnsigned, n.u = v.bVal;
      return true;
    case VT_UI2:
      n.kind = Number::kUnsigned, n.u = v.uiVal;
      return true;
    case VT_UI4:
    case VT_UINT:
      n.kind = Number::kUnsigned, n.u = v.ulVal;
      return true;
    case VT_UI8:
      n.kind = Number::kUnsigned, n.u = v.ullVal;
      return true;
    case VT_R4:
      n.kind = Number::kReal, n.d = v.fltVal;
      return true;
    case VT_R8:
      n.kind = Number::kReal, n.d = v.dblVal;
      return true;
    case VT_DATE:
      n.kind = Number::kReal, n.d = v.date;
      return true;
    case VT_CY:
      n.kind = Number::kReal, n.d = static_cast<double>(v.cyVal) / 10000.0;
      return true;
    default:
      return false;
  }
}

HRESULT ParseNumber(BSTR s, Number& n) {
  const std::string text = BstrToUtf8(s);
  if (TryStrToInt64(text, n.i)) {
    n.kind = Number::kSigned;
    return S_OK;
  }
  if (TryStrToFloat(text, n.d)) {
    n.kind = Number::kReal;
    return S_OK;
  }
  return DISP_E_TYPEMISMATCH;
}

// Integer targets: [lo, hi] range, reals rounded halves to even.
HRESULT ToInteger(const Number& n, int64_t lo, uint64_t hi, int64_t& si, uint64_t& ui) {
  switch (n.kind) {
    case Number::kSigned:
      if (n.i < lo || (n.i >= 0 && static_cast<uint64_t>(n.i) > hi)) return DISP_E_OVERFLOW;
      si = n.i, ui = static_cast<uint64_t>(n.i);
      return S_OK;
    case Number::kUnsigned:
      if (n.u > hi) return DISP_E_OVERFLOW;
      si = static_cast<int64_t>(n.u), ui = n.u;
      return S_OK;
    case Number::kReal: {
      const double r = std::nearbyint(n.d);
      if (!(r >= static_cast<double>(lo)) || !(r <= static_cast<double>(hi)) ||
          r >= 18446744073709551616.0 || (lo < 0 && r >= 9223372036854775808.0))
        return DISP_E_OVERFLOW;
      if (r < 0) {
        si = static_cast<int64_t>(r), ui = static_cast<uint64_t>(si);
      } else {
        ui = static_cast<uint64_t>(r), si = static_cast<int64_t>(ui);
      }
      return S_OK;
    }
  }
  return DISP_E_TYPEMISMATCH;
}

double ToReal(const Number& n) {
  return n.kind == Number::kReal     ? n.d
         : n.kind == Number::kSigned ? static_cast<double>(n.i)
                                     : static_cast<double>(n.u);
}

std::string NumberText(const VARIANT& v, const Number& n) {
  if (v.vt == VT_BOOL) return v.boolVal ? "True" : "False";
  if (v.vt == VT_DATE) return DateTimeToIsoText(v.date);
  if (v.vt == VT_R4) return FloatToStr(static_cast<double>(v.fltVal));
  switch (n.kind) {
    case Number::kSigned:
      return IntToStr(n.i);
    case Number::kUnsigned:
      return std::to_string(n.u);
    default:
      return FloatToStr(n.d);
  }
}

HRESULT TextToBool(BSTR s, VARIANT_BOOL& b) {
  const std::u16string_view text = BstrView(s);
  if (SameTextIgnoringCase(text, u"true")) return b = VARIANT_TRUE, S_OK;
  if (SameTextIgnoringCase(text, u"false")) return b = VARIANT_FALSE, S_OK;
  Number n;
  if (Failed(ParseNumber(s, n))) return DISP_E_TYPEMISMATCH;
  b = ToVariantBool(ToReal(n) != 0);
  return S_OK;
}

HRESULT ConvertScalar(const VARIANT& src, VARTYPE vt, VARIANT& out) {
  Number n;
  if (vt == VT_BSTR) {
    if (!ReadNumber(src, n)) return DISP_E_TYPEMISMATCH;
    out.bstrVal = src.vt == VT_EMPTY ? nullptr : BstrFromUtf8(NumberText(src, n));
    out.vt = VT_BSTR;
    return S_OK;
  }
  if (src.vt == VT_BSTR) {
    if (vt == VT_BOOL) {
      const HRESULT hr = TextToBool(src.bstrVal, out.boolVal);
      if (Succeeded(hr)) out.vt = VT_BOOL;
      return hr;
    }
    double date = 0;
    if (vt == VT_DATE && TryIsoTextToDateTime(BstrToUtf8(src.bstrVal), date)) {
      out.vt = VT_DATE, out.date = date;
      return S_OK;
    }
    if (const HRESULT hr = ParseNumber(src.bstrVal, n); Failed(hr)) return hr;
  } else if (!ReadNumber(src, n)) {
    return DISP_E_TYPEMISMATCH;
  }
  int64_t si = 0;
  uint64_t ui = 0;
  HRESULT hr = S_OK;
  switch (vt) {
    case VT_I1:
      hr = ToInteger(n, INT8_MIN, INT8_MAX, si, ui), out.cVal = static_cast<int8_t>(si);
      break;
    case VT_UI1:
      hr = ToInteger(n, 0, UINT8_MAX, si, ui), out.bVal = static_cast<uint8_t>(ui);
      break;
    case VT_I2:
      hr = ToInteger(n, INT16_MIN, INT16_MAX, si, ui), out.iVal = static_cast<int16_t>(si);
      break;
    case VT_UI2:
      hr = ToInteger(n, 0, UINT16_MAX, si, ui), out.uiVal = static_cast<uint16_t>(ui);
      break;
    case VT_I4:
    case VT_INT:
      hr = ToInteger(n, INT32_MIN, INT32_MAX, si, ui), out.lVal = static_cast<int32_t>(si);
      break;
    case VT_UI4:
    case VT_UINT:
      hr = ToInteger(n, 0, UINT32_MAX, si, ui), out.ulVal = static_cast<uint32_t>(ui);
      break;
    case VT_I8:
      hr = ToInteger(n, INT64_MIN, INT64_MAX, si, ui), out.llVal = si;
      break;
    case VT_UI8:
      hr = ToInteger(n, 0, UINT64_MAX, si, ui), out.ullVal = ui;
      break;
    case VT_ERROR:
      hr = ToInteger(n, INT32_MIN, INT32_MAX, si, ui), out.scode = static_cast<SCODE>(si);
      break;
    case VT_R8:
      out.dblVal = ToReal(n);
      break;
    case VT_DATE:
      out.date = ToReal(n);
      break;
    case VT_R4: {
      const double d = ToReal(n);
      if (std::fabs(d) > FLT_MAX) hr = DISP_E_OVERFLOW;
      out.fltVal = static_cast<float>(d);
      break;
    }
    case VT_CY: {
      const double d = ToReal(n) * 10000.0;
      if (!(std::fabs(d) < 9.2e18))
        hr = DISP_E_OVERFLOW;
      else
        out.cyVal = static_cast<int64_t>(std::nearbyint(d));
      break;
    }
    case VT_BOOL:
      out.boolVal = ToVariantBool(ToReal(n) != 0);
      break;
    default:
      return DISP_E_BADVARTYPE;
  }
  if (Succeeded(hr)) out.vt = vt;
  return hr;
}

HRESULT ConvertInterface(const VARIANT& src, VARTYPE vt, VARIANT& out) {
  if (src.vt == VT_EMPTY) {
    out.vt = vt, out.punkVal = nullptr;
    return S_OK;
  }
  if (!IsInterfaceType(src.vt)) return DISP_E_TYPEMISMATCH;
  if (!src.punkVal) {
    out.vt = vt, out.punkVal = nullptr;
    return S_OK;
  }
  void* p = nullptr;
  const IID& iid = vt == VT_DISPATCH ? IDispatch::kIid : IUnknown::kIid;
  if (Failed(src.punkVal->QueryInterface(iid, &p))) return DISP_E_TYPEMISMATCH;
  out.vt = vt, out.punkVal = static_cast<IUnknown*>(p);
  return S_OK;
}

void FreeElements(SAFEARRAY* psa) {
  const uint32_t n = psa->rgsabound[0].cElements;
  if (psa->vt == VT_BSTR) {
    for (uint32_t i = 0; i < n; ++i) SysFreeString(static_cast<BSTR*>(psa->pvData)[i]);
  } else if (IsInterfaceType(psa->vt)) {
    for (uint32_t i = 0; i < n; ++i)
      if (auto* p = static_cast<IUnknown**>(psa->pvData)[i]) p->Release();
  } else if (psa->vt == VT_VARIANT) {
    for (uint32_t i = 0; i < n; ++i) VariantClear(&static_cast<VARIANT*>(psa->pvData)[i]);
  }
}

HRESULT ElementAddress(SAFEARRAY* psa, const int32_t* indices, void** at) {
  if (!psa || !indices) return E_INVALIDARG;
  const int64_t i = int64_t{indices[0]} - psa->rgsabound[0].lLbound;
  if (i < 0 || i >= psa->rgsabound[0].cElements) return DISP_E_BADINDEX;
  *at = static_cast<uint8_t*>(psa->pvData) + i * psa->cbElements;
  return S_OK;
}

// Stores a copy of *value (see SafeArrayPutElement) into the slot at.
HRESULT CopyElementIn(VARTYPE vt, void* at, const void* value, size_t size) {
  if (vt == VT_BSTR) {
    auto s = static_cast<BSTR>(const_cast<void*>(value));
    BSTR copy = s ? SysAllocStringLen(s, SysStringLen(s)) : nullptr;
    if (s && !copy) return E_OUTOFMEMORY;
    SysFreeString(*static_cast<BSTR*>(at));
    *static_cast<BSTR*>(at) = copy;
  } else if (IsInterfaceType(vt)) {
    auto* p = static_cast<IUnknown*>(const_cast<void*>(value));
    if (p) p->AddRef();
    if (auto* old = *static_cast<IUnknown**>(at)) old->Release();
    *static_cast<IUnknown**>(at) = p;
  } else if (vt == VT_VARIANT) {
    return VariantCopy(static_cast<VARIANT*>(at), static_cast<const VARIANT*>(value));
  } else {
    std::memcpy(at, value, size);
  }
  return S_OK;
}

HRESULT CopyElementOut(VARTYPE vt, const void* at, void* value, size_t size) {
  if (vt == VT_BSTR) {
    BSTR s = *static_cast<BSTR const*>(at);
    *static_cast<BSTR*>(value) = s ? SysAllocStringLen(s, SysStringLen(s)) : nullptr;
  } else if (IsInterfaceType(vt)) {
    IUnknown* p = *static_cast<IUnknown* const*>(at);
    if (p) p->AddRef();
    *static_cast<IUnknown**>(value) = p;
  } else if (vt == VT_VARIANT) {
    VariantInit(static_cast<VARIANT*>(value));
    return VariantCopy(static_cast<VARIANT*>(value), static_cast<const VARIANT*>(at));
  } else {
    std::memcpy(value, at, size);
  }
  return S_OK;
}

}  // namespace

void VariantInit(VARIANT* v) {
  std::memset(v, 0, sizeof *v);
}

HRESULT VariantClear(VARIANT* v) {
  if (!v) return E_INVALIDARG;
  if (!(v->vt & VT_BYREF)) {
    if (v->vt & VT_ARRAY) {
      if (v->parray) {
        const HRESULT hr = SafeArrayDestroy(v->parray);
        if (Failed(hr)) return hr;
      }
    } else if (v->vt == VT_BSTR) {
      SysFreeString(v->bstrVal);
    } else if (IsInterfaceType(v->vt)) {
      if (v->punkVal) v->punkVal->Release();
    }
  }
  VariantInit(v);
  return S_OK;
}

HRESULT VariantCopy(VARIANT* dest, const VARIANT* src) {
  if (!dest || !src) return E_INVALIDARG;
  if (dest == src) return S_OK;
  VARIANT copy = *src;
  if (!(src->vt & VT_BYREF)) {
    if (src->vt & VT_ARRAY) {
      copy.parray = nullptr;
      if (src->parray) {
        const HRESULT hr = SafeArrayCopy(src->parray, &copy.parray);
        if (Failed(hr)) return hr;
      }
    } else if (src->vt == VT_BSTR && src->bstrVal) {
      copy.bstrVal = SysAllocStringLen(src->bstrVal, SysStringLen(src->bstrVal));
      if (!copy.bstrVal) return E_OUTOFMEMORY;
    } else if (IsInterfaceType(src->vt) && src->punkVal) {
      src->punkVal->AddRef();
    }
  }
  VariantClear(dest);
  *dest = copy;
  return S_OK;
}

VARIANT VariantDereference(const VARIANT& src) {
  if (!(src.vt & VT_BYREF)) return src;
  VARIANT v;
  VariantInit(&v);
  const VARTYPE t = src.vt & ~VT_BYREF;
  if (!src.byref) return v;
  if (t == VT_VARIANT) return VariantDereference(*src.pvarVal);
  v.vt = t;
  if (t & VT_ARRAY) {
    v.parray = *src.pparray;
    return v;
  }
  const size_t size = ElementSize(t);
  if (size == 0) {
    v.vt = VT_EMPTY;
    return v;
  }
  std::memcpy(&v.llVal, src.byref, size);
  return v;
}

HRESULT VariantCopyInd(VARIANT* dest, const VARIANT* src) {
  if (!dest || !src) return E_INVALIDARG;
  const VARIANT view = VariantDereference(*src);
  if ((src->vt & VT_BYREF) && view.vt == VT_EMPTY && (src->vt & ~VT_BYREF) != VT_VARIANT &&
      (src->vt & ~VT_BYREF) != VT_EMPTY)
    return DISP_E_BADVARTYPE;
  if (dest == src) {
    VARIANT copy;
    VariantInit(&copy);
    const HRESULT hr = VariantCopy(&copy, &view);
    if (Failed(hr)) return hr;
    *dest = copy;  // a by-reference source owned nothing
    return S_OK;
  }
  return VariantCopy(dest, &view);
}

HRESULT VariantChangeType(VARIANT* dest, const VARIANT* src, uint16_t, VARTYPE vt) {
  if (!dest || !src) return E_INVALIDARG;
  const VARIANT view = VariantDereference(*src);
  VARIANT out;
  VariantInit(&out);
  HRESULT hr = S_OK;
  if (view.vt == vt) {
    hr = VariantCopy(&out, &view);
  } else if (vt == VT_EMPTY) {
    hr = S_OK;
  } else if (vt == VT_NULL || view.vt == VT_NULL || (vt & (VT_ARRAY | VT_BYREF)) ||
             (view.vt & VT_ARRAY)) {
    hr = DISP_E_TYPEMISMATCH;
  } else if (IsInterfaceType(vt)) {
    hr = ConvertInterface(view, vt, out);
  } else if (IsInterfaceType(view.vt)) {
    hr = DISP_E_TYPEMISMATCH;
  } else {
    hr = ConvertScalar(view, vt, out);
  }
  if (Failed(hr)) return hr;
  if (dest == src && (src->vt & VT_BYREF)) {
    *dest = out;
    return S_OK;
  }
  VariantClear(dest);
  *dest = out;
  return S_OK;
}

SAFEARRAY* SafeArrayCreate(VARTYPE vt, uint32_t dims, const SAFEARRAYBOUND* bounds) {
  if (dims != 1 || !bounds) return nullptr;
  return SafeArrayCreateVector(vt, bounds[0].lLbound, bounds[0].cElements);
}

SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, int32_t lowerBound, uint32_t count) {
  const size_t size = ElementSize(vt);
  if (size == 0 || count > std::numeric_limits<uint32_t>::max() / size) return nullptr;
  auto* psa = static_cast<SAFEARRAY*>(std::calloc(1, sizeof(SAFEARRAY)));
  if (!psa) return nullptr;
  psa->pvData = std::calloc(count == 0 ? 1 : count, size);
  if (!psa->pvData) {
    std::free(psa);
    return nullptr;
  }
  psa->cDims = 1;
  psa->cbElements = static_cast<uint32_t>(size);
  psa->vt = vt;
  psa->rgsabound[0] = {count, lowerBound};
  return psa;
}

HRESULT SafeArrayDestroy(SAFEARRAY* psa) {
  if (!psa) return S_OK;
  if (psa->cLocks > 0) return DISP_E_ARRAYISLOCKED;
  FreeElements(psa);
  std::free(psa->pvData);
  std::free(psa);
  return S_OK;
}

uint32_t SafeArrayGetDim(SAFEARRAY* psa) {
  return psa ? psa->cDims : 0;
}
uint32_t SafeArrayGetElemsize(SAFEARRAY* psa) {
  return psa ? psa->cbElements : 0;
}

HRESULT SafeArrayGetVartype(SAFEARRAY* psa, VARTYPE* vt) {
  if (!psa || !vt) return E_INVALIDARG;
  *vt = psa->vt;
  return S_OK;
}

HRESULT SafeArrayGetLBound(SAFEARRAY* psa, uint32_t dim, int32_t* bound) {
  if (!psa || !bound) return E_INVALIDARG;
  if (dim != 1) return DISP_E_BADINDEX;
  *bound = psa->rgsabound[0].lLbound;
  return S_OK;
}

HRESULT SafeArrayGetUBound(SAFEARRAY* psa, uint32_t dim, int32_t* bound) {
  if (!psa || !bound) return E_INVALIDARG;
  if (dim != 1) return DISP_E_BADINDEX;
  *bound =
      static_cast<int32_t>(int64_t{psa->rgsabound[0].lLbound} + psa->rgsabound[0].cElements - 1);
  return S_OK;
}

HRESULT SafeArrayLock(SAFEARRAY* psa) {
  if (!psa) return E_INVALIDARG;
  ++psa->cLocks;
  return S_OK;
}

HRESULT SafeArrayUnlock(SAFEARRAY* psa) {
  if (!psa) return E_INVALIDARG;
  if (psa->cLocks == 0) return E_UNEXPECTED;
  --psa->cLocks;
  return S_OK;
}

HRESULT SafeArrayAccessData(SAFEARRAY* psa, void** data) {
  if (!psa || !data) return E_INVALIDARG;
  ++psa->cLocks;
  *data = psa->pvData;
  return S_OK;
}

HRESULT SafeArrayUnaccessData(SAFEARRAY* psa) {
  return SafeArrayUnlock(psa);
}

HRESULT SafeArrayPutElement(SAFEARRAY* psa, const int32_t* indices, const void* value) {
  void* at = nullptr;
  if (const HRESULT hr = ElementAddress(psa, indices, &at); Failed(hr)) return hr;
  return CopyElementIn(psa->vt, at, value, psa->cbElements);
}

HRESULT SafeArrayGetElement(SAFEARRAY* psa, const int32_t* indices, void* value) {
  void* at = nullptr;
  if (!value) return E_INVALIDARG;
  if (const HRESULT hr = ElementAddress(psa, indices, &at); Failed(hr)) return hr;
  return CopyElementOut(psa->vt, at, value, psa->cbElements);
}

HRESULT SafeArrayCopy(SAFEARRAY* psa, SAFEARRAY** out) {
  if (!out) return E_INVALIDARG;
  *out = nullptr;
  if (!psa) return S_OK;
  SAFEARRAY* copy =
      SafeArrayCreateVector(psa->vt, psa->rgsabound[0].lLbound, psa->rgsabound[0].cElements);
  if (!copy) return E_OUTOFMEMORY;
  for (uint32_t i = 0; i < psa->rgsabound[0].cElements; ++i) {
    const uint8_t* from = static_cast<uint8_t*>(psa->pvData) + size_t{i} * psa->cbElements;
    uint8_t* to = static_cast<uint8_t*>(copy->pvData) + size_t{i} * psa->cbElements;
    const void* value = from;
    if (psa->vt == VT_BSTR || IsInterfaceType(psa->vt))
      value = *reinterpret_cast<void* const*>(from);
    const HRESULT hr = CopyElementIn(psa->vt, to, value, psa->cbElements);
    if (Failed(hr)) {
      SafeArrayDestroy(copy);
      return hr;
    }
  }
  *out = copy;
  return S_OK;
}

bool VariantBytes(const VARIANT& v, std::span<const uint8_t>& bytes) {
  const VARIANT view = VariantDereference(v);
  if (view.vt == (VT_ARRAY | VT_UI1) || view.vt == (VT_ARRAY | VT_I1)) {
    if (!view.parray) return bytes = {}, true;
    bytes = {static_cast<const uint8_t*>(view.parray->pvData), view.parray->rgsabound[0].cElements};
    return true;
  }
  if (view.vt == VT_BSTR) {
    bytes = {reinterpret_cast<const uint8_t*>(view.bstrVal), SysStringByteLen(view.bstrVal)};
    return true;
  }
  return false;
}

HRESULT MakeByteArrayVariant(std::span<const uint8_t> bytes, VARIANT* out) {
  if (!out || bytes.size() > UINT32_MAX) return E_INVALIDARG;
  SAFEARRAY* psa = SafeArrayCreateVector(VT_UI1, 0, static_cast<uint32_t>(bytes.size()));
  if (!psa) return E_OUTOFMEMORY;
  if (!bytes.empty()) std::memcpy(psa->pvData, bytes.data(), bytes.size());
  VariantClear(out);
  out->vt = VT_ARRAY | VT_UI1;
  out->parray = psa;
  return S_OK;
}

namespace {
Variant Converted(const VARIANT& v, VARTYPE vt) {
  Variant out;
  const HRESULT hr = VariantChangeType(&out, &v, 0, vt);
  if (Failed(hr)) throw EOleSysError(hr);
  return out;
}
}  // namespace

int32_t Variant::ToInt32() const {
  return Converted(*this, VT_I4).lVal;
}
double Variant::ToDouble() const {
  return Converted(*this, VT_R8).dblVal;
}
bool Variant::ToBool() const {
  return Converted(*this, VT_BOOL).boolVal != 0;
}
std::u16string Variant::ToUtf16() const {
  return std::u16string(BstrView(Converted(*this, VT_BSTR).bstrVal));
}
std::string Variant::ToUtf8() const {
  return BstrToUtf8(Converted(*this, VT_BSTR).bstrVal);
}

}  // namespace plat::com
