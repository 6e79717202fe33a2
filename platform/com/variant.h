#pragma once
// Automation variants and one-dimensional safe arrays.
//
// Ownership: a VARIANT owns what it holds (a BSTR, an interface reference, an array) unless it is
// VT_BYREF, which only points at someone else's value. VariantClear frees what is owned;
// VariantCopy makes a deep copy. `Variant` is the RAII wrapper for C++ code.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/com/bstr.h"
#include "platform/com/interfaces.h"

namespace plat::com {

enum : VARTYPE {
  VT_EMPTY = 0,
  VT_NULL = 1,
  VT_I2 = 2,
  VT_I4 = 3,
  VT_R4 = 4,
  VT_R8 = 5,
  VT_CY = 6,
  VT_DATE = 7,
  VT_BSTR = 8,
  VT_DISPATCH = 9,
  VT_ERROR = 10,
  VT_BOOL = 11,
  VT_VARIANT = 12,
  VT_UNKNOWN = 13,
  VT_I1 = 16,
  VT_UI1 = 17,
  VT_UI2 = 18,
  VT_UI4 = 19,
  VT_I8 = 20,
  VT_UI8 = 21,
  VT_INT = 22,
  VT_UINT = 23,
  VT_ARRAY = 0x2000,
  VT_BYREF = 0x4000,
  VT_TYPEMASK = 0x0FFF,
};

struct SAFEARRAY;

struct VARIANT {
  VARTYPE vt;
  uint16_t wReserved1, wReserved2, wReserved3;
  union {
    int64_t llVal;
    uint64_t ullVal;
    int32_t lVal;
    uint32_t ulVal;
    int32_t intVal;
    uint32_t uintVal;
    int16_t iVal;
    uint16_t uiVal;
    int8_t cVal;
    uint8_t bVal;
    float fltVal;
    double dblVal;
    int64_t cyVal;  // currency: value times 10000
    VARIANT_BOOL boolVal;
    SCODE scode;
    DATE date;
    BSTR bstrVal;
    IUnknown* punkVal;
    IDispatch* pdispVal;
    SAFEARRAY* parray;
    int8_t* pcVal;
    uint8_t* pbVal;
    int16_t* piVal;
    uint16_t* puiVal;
    int32_t* plVal;
    uint32_t* pulVal;
    int64_t* pllVal;
    uint64_t* pullVal;
    float* pfltVal;
    double* pdblVal;
    VARIANT_BOOL* pboolVal;
    SCODE* pscode;
    DATE* pdate;
    BSTR* pbstrVal;
    IUnknown** ppunkVal;
    IDispatch** ppdispVal;
    SAFEARRAY** pparray;
    VARIANT* pvarVal;
    void* byref;
  };
};
static_assert(sizeof(VARIANT) == 16);

struct SAFEARRAYBOUND {
  uint32_t cElements;
  int32_t lLbound;
};

// Only one dimension is supported; the element type is kept in the array.
struct SAFEARRAY {
  uint16_t cDims;
  uint16_t fFeatures;
  uint32_t cbElements;
  uint32_t cLocks;
  VARTYPE vt;
  void* pvData;
  SAFEARRAYBOUND rgsabound[1];
};

constexpr HRESULT DISP_E_ARRAYISLOCKED = Code(0x8002000D);

// Flags of VariantChangeType.
constexpr uint16_t VARIANT_NOVALUEPROP = 0x1;

void VariantInit(VARIANT* v);
HRESULT VariantClear(VARIANT* v);
// dest is cleared first; by-reference sources are copied as references.
HRESULT VariantCopy(VARIANT* dest, const VARIANT* src);
// As VariantCopy, but a by-reference source is copied as the value it points at.
HRESULT VariantCopyInd(VARIANT* dest, const VARIANT* src);
// Converts src (by-reference values unwrapped) to vt into dest, which is cleared first; dest may
// be src. Numbers round halves to even; out-of-range values give DISP_E_OVERFLOW, text that is
// not a number DISP_E_TYPEMISMATCH. Text is read and written locale-free.
HRESULT VariantChangeType(VARIANT* dest, const VARIANT* src, uint16_t flags, VARTYPE vt);
// A non-owning view of what a by-reference variant points at (src itself when not by-reference).
VARIANT VariantDereference(const VARIANT& src);

SAFEARRAY* SafeArrayCreate(VARTYPE vt, uint32_t dims, const SAFEARRAYBOUND* bounds);
SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, int32_t lowerBound, uint32_t count);
HRESULT SafeArrayDestroy(SAFEARRAY* psa);
uint32_t SafeArrayGetDim(SAFEARRAY* psa);
uint32_t SafeArrayGetElemsize(SAFEARRAY* psa);
HRESULT SafeArrayGetVartype(SAFEARRAY* psa, VARTYPE* vt);
HRESULT SafeArrayGetLBound(SAFEARRAY* psa, uint32_t dim, int32_t* bound);
HRESULT SafeArrayGetUBound(SAFEARRAY* psa, uint32_t dim, int32_t* bound);
HRESULT SafeArrayLock(SAFEARRAY* psa);
HRESULT SafeArrayUnlock(SAFEARRAY* psa);
HRESULT SafeArrayAccessData(SAFEARRAY* psa, void** data);
HRESULT SafeArrayUnaccessData(SAFEARRAY* psa);
// value: for VT_BSTR the BSTR itself, for interfaces the pointer, for VT_VARIANT a VARIANT*,
// else a pointer to the element; a copy is stored. GetElement hands out a copy the caller owns.
HRESULT SafeArrayPutElement(SAFEARRAY* psa, const int32_t* indices, const void* value);
HRESULT SafeArrayGetElement(SAFEARRAY* psa, const int32_t* indices, void* value);
HRESULT SafeArrayCopy(SAFEARRAY* psa, SAFEARRAY** out);

// The bytes of an image held in a variant: a one-dimensional array of (unsigned) bytes, also by
// reference or inside a by-reference variant, or the raw bytes of a string. False otherwise.
bool VariantBytes(const VARIANT& v, std::span<const uint8_t>& bytes);
// A variant holding a new byte array with a copy of bytes.
HRESULT MakeByteArrayVariant(std::span<const uint8_t> bytes, VARIANT* out);

// RAII wrapper: owns its value and clears it on destruction.
class Variant : public VARIANT {
 public:
  Variant() { VariantInit(this); }
  Variant(const VARIANT& v) {
    VariantInit(this);
    VariantCopy(this, &v);
  }
  Variant(const Variant& v) : Variant(static_cast<const VARIANT&>(v)) {}
  Variant(Variant&& v) noexcept : VARIANT(v) { VariantInit(&v); }
  Variant& operator=(Variant v) noexcept {
    std::swap(static_cast<VARIANT&>(*this), static_cast<VARIANT&>(v));
    return *this;
  }
  ~Variant() { VariantClear(this); }

  explicit Variant(int32_t v) : Variant() { vt = VT_I4, lVal = v; }
  explicit Variant(int16_t v) : Variant() { vt = VT_I2, iVal = v; }
  explicit Variant(uint8_t v) : Variant() { vt = VT_UI1, bVal = v; }
  explicit Variant(double v) : Variant() { vt = VT_R8, dblVal = v; }
  explicit Variant(float v) : Variant() { vt = VT_R4, fltVal = v; }
  explicit Variant(DATE v) : Variant() { vt = VT_DATE, date = v; }
  explicit Variant(bool v) : Variant() { vt = VT_BOOL, boolVal = ToVariantBool(v); }
  explicit Variant(VARIANT_BOOL v) : Variant() { vt = VT_BOOL, boolVal = v; }
  explicit Variant(std::u16string_view s) : Variant() { vt = VT_BSTR, bstrVal = BstrFromUtf16(s); }
  explicit Variant(const char16_t* s) : Variant(std::u16string_view(s)) {}
  static Variant FromUtf8(std::string_view s) {
    Variant v;
    v.vt = VT_BSTR, v.bstrVal = BstrFromUtf8(s);
    return v;
  }
  // Takes a new reference.
  explicit Variant(IDispatch* d) : Variant() {
    vt = VT_DISPATCH, pdispVal = d;
    if (d) d->AddRef();
  }
  // Adopts whatever v holds; v is left empty.
  static Variant Attach(VARIANT& v) {
    Variant out;
    static_cast<VARIANT&>(out) = v;
    VariantInit(&v);
    return out;
  }
  VARIANT Detach() {
    VARIANT v = *this;
    VariantInit(this);
    return v;
  }
  // For out parameters: clears and hands out the slot.
  VARIANT* Out() {
    VariantClear(this);
    return this;
  }

  // Converted copies; throw EOleSysError when the value does not convert.
  int32_t ToInt32() const;
  double ToDouble() const;
  bool ToBool() const;
  std::u16string ToUtf16() const;
  std::string ToUtf8() const;
};

}  // namespace plat::com
