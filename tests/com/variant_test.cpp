// VARIANT coercion, BSTR layout and SAFEARRAY ownership. Run under LeakSanitizer in CI, so a
// copy that is never freed, or a free of something not owned, fails here.
#include <cmath>
#include <functional>

#include <gtest/gtest.h>

#include "platform/com/variant.h"

using namespace plat::com;

namespace {

Variant Str(const char16_t* s) {
  return Variant(s);
}

Variant I2(int16_t v) {
  return Variant(v);
}

Variant Typed(VARTYPE vt, auto setter) {
  Variant v;
  v.vt = vt;
  setter(v);
  return v;
}

struct Coercion {
  const char* name;
  std::function<Variant()> source;
  VARTYPE target;
  HRESULT hr;
  std::function<Variant()> expected;  // unused when hr fails
};

bool SameValue(const VARIANT& a, const VARIANT& b) {
  if (a.vt != b.vt) return false;
  switch (a.vt) {
    case VT_EMPTY:
      return true;
    case VT_BSTR:
      return BstrView(a.bstrVal) == BstrView(b.bstrVal);
    case VT_R8:
      return a.dblVal == b.dblVal;
    case VT_DATE:
      return std::fabs(a.date - b.date) < 1e-9;
    case VT_R4:
      return a.fltVal == b.fltVal;
    default:
      return a.llVal == b.llVal || a.lVal == b.lVal;
  }
}

int32_t g_byref_long = 77;

class VariantCoercion : public ::testing::TestWithParam<Coercion> {};

TEST_P(VariantCoercion, ConvertsAsAutomationDoes) {
  const Coercion& c = GetParam();
  Variant src = c.source();
  Variant dest;
  ASSERT_EQ(VariantChangeType(&dest, &src, 0, c.target), c.hr) << c.name;
  if (Succeeded(c.hr)) {
    const Variant want = c.expected();
    EXPECT_TRUE(SameValue(dest, want)) << c.name << ": got vt " << dest.vt;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, VariantCoercion,
    ::testing::Values(
        Coercion{"short to long", [] { return I2(-123); }, VT_I4, S_OK,
                 [] { return Variant(int32_t{-123}); }},
        Coercion{"bool 1 is true",
                 [] { return Typed(VT_BOOL, [](auto& v) { v.boolVal = VARIANT_BOOL{1}; }); }, VT_I4,
                 S_OK, [] { return Variant(int32_t{-1}); }},
        Coercion{"by-reference long",
                 [] { return Typed(VT_BYREF | VT_I4, [](auto& v) { v.plVal = &g_byref_long; }); },
                 VT_I2, S_OK, [] { return I2(77); }},
        Coercion{"variant by reference",
                 [] {
                   static Variant inner = Str(u"42");
                   return Typed(VT_BYREF | VT_VARIANT, [](auto& v) { v.pvarVal = &inner; });
                 },
                 VT_I4, S_OK, [] { return Variant(int32_t{42}); }},
        Coercion{"text to double", [] { return Str(u" 3.75 "); }, VT_R8, S_OK,
                 [] { return Variant(3.75); }},
        Coercion{"text to long", [] { return Str(u"-12"); }, VT_I4, S_OK,
                 [] { return Variant(int32_t{-12}); }},
        Coercion{"text that is no number", [] { return Str(u"12abc"); }, VT_I4, DISP_E_TYPEMISMATCH,
                 nullptr},
        Coercion{"half to even down", [] { return Variant(2.5); }, VT_I4, S_OK,
                 [] { return Variant(int32_t{2}); }},
        Coercion{"half to even up", [] { return Variant(3.5); }, VT_I4, S_OK,
                 [] { return Variant(int32_t{4}); }},
        Coercion{"overflow of short", [] { return Variant(int32_t{70000}); }, VT_I2,
                 DISP_E_OVERFLOW, nullptr},
        Coercion{"negative to byte", [] { return Variant(int32_t{-1}); }, VT_UI1, DISP_E_OVERFLOW,
                 nullptr},
        Coercion{"double to text", [] { return Variant(0.1); }, VT_BSTR, S_OK,
                 [] { return Str(u"0.1"); }},
        Coercion{"long to text", [] { return Variant(int32_t{-7}); }, VT_BSTR, S_OK,
                 [] { return Str(u"-7"); }},
        Coercion{"true to text", [] { return Variant(true); }, VT_BSTR, S_OK,
                 [] { return Str(u"True"); }},
        Coercion{"text to false", [] { return Str(u"false"); }, VT_BOOL, S_OK,
                 [] { return Variant(false); }},
        Coercion{"text number to bool", [] { return Str(u"2"); }, VT_BOOL, S_OK,
                 [] { return Variant(true); }},
        Coercion{"date to text", [] { return Variant(DATE{38113.4244444444}); }, VT_BSTR, S_OK,
                 [] { return Str(u"2004-05-06 10:11:12"); }},
        Coercion{"text to date", [] { return Str(u"2004-05-06"); }, VT_DATE, S_OK,
                 [] { return Variant(DATE{38113}); }},
        Coercion{"empty to long", [] { return Variant(); }, VT_I4, S_OK,
                 [] { return Variant(int32_t{0}); }},
        Coercion{"null to long", [] { return Typed(VT_NULL, [](auto&) {}); }, VT_I4,
                 DISP_E_TYPEMISMATCH, nullptr},
        Coercion{"number to interface", [] { return Variant(int32_t{1}); }, VT_DISPATCH,
                 DISP_E_TYPEMISMATCH, nullptr}),
    [](const auto& info) {
      std::string n = info.param.name;
      for (char& c : n)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
      return n;
    });

TEST(VariantText, NumbersSurviveTheTripThroughText) {
  for (double d : {0.1, -2.5e-300, 1.0 / 3.0, 123456789.125, 1e21}) {
    Variant text;
    const Variant number(d);
    ASSERT_EQ(VariantChangeType(&text, &number, 0, VT_BSTR), S_OK);
    Variant back;
    ASSERT_EQ(VariantChangeType(&back, &text, 0, VT_R8), S_OK);
    EXPECT_EQ(back.dblVal, d) << BstrToUtf8(text.bstrVal);
  }
}

TEST(VariantText, ConvertsInPlace) {
  Variant v = Str(u"250");
  ASSERT_EQ(VariantChangeType(&v, &v, 0, VT_UI1), S_OK);
  EXPECT_EQ(v.vt, VT_UI1);
  EXPECT_EQ(v.bVal, 250);
}

TEST(Bstr, CarriesItsLengthAndEmbeddedZeros) {
  const char16_t text[] = {u'a', 0, u'b'};
  Bstr s = Bstr::Attach(SysAllocStringLen(text, 3));
  EXPECT_EQ(s.Length(), 3u);
  EXPECT_EQ(SysStringByteLen(s.Get()), 6u);
  EXPECT_EQ(reinterpret_cast<const uint32_t*>(s.Get())[-1], 6u);
  EXPECT_EQ(s.Get()[3], 0);
  EXPECT_EQ(SysStringLen(nullptr), 0u);
  EXPECT_EQ(BstrView(nullptr), u"");
}

TEST(Bstr, ConvertsUtf8BothWays) {
  const std::string text =
      "Gr\xC3\xBC\xC3\x9F"
      "e \xF0\x9F\x98\x80";  // umlauts and an emoji
  Bstr s = Bstr::FromUtf8(text);
  EXPECT_EQ(s.Length(), 8u);  // the emoji takes two UTF-16 units
  EXPECT_EQ(s.Utf8(), text);
  Bstr copy = s;
  Bstr moved = std::move(copy);
  EXPECT_EQ(moved.View(), s.View());
  EXPECT_NE(moved.Get(), s.Get());
}

TEST(SafeArray, OwnsItsStringsAndCopiesDeeply) {
  SAFEARRAY* psa = SafeArrayCreateVector(VT_BSTR, 1, 3);
  ASSERT_NE(psa, nullptr);
  for (int32_t i = 1; i <= 3; ++i) {
    Bstr item = Bstr::FromUtf8("item" + std::to_string(i));
    ASSERT_EQ(SafeArrayPutElement(psa, &i, item.Get()), S_OK);  // stores a copy
  }
  int32_t index = 4;
  EXPECT_EQ(SafeArrayPutElement(psa, &index, nullptr), DISP_E_BADINDEX);
  int32_t lo = 0, hi = 0;
  SafeArrayGetLBound(psa, 1, &lo);
  SafeArrayGetUBound(psa, 1, &hi);
  EXPECT_EQ(lo, 1);
  EXPECT_EQ(hi, 3);

  Variant holder;
  holder.vt = VT_ARRAY | VT_BSTR;
  holder.parray = psa;  // the variant owns the array now
  Variant copy = holder;
  ASSERT_NE(copy.parray, holder.parray);
  index = 2;
  BSTR fromCopy = nullptr;
  ASSERT_EQ(SafeArrayGetElement(copy.parray, &index, &fromCopy), S_OK);
  EXPECT_EQ(BstrToUtf8(fromCopy), "item2");
  SysFreeString(fromCopy);
}

TEST(SafeArray, VariantsInsideAreClearedWithTheArray) {
  SAFEARRAY* psa = SafeArrayCreateVector(VT_VARIANT, 0, 2);
  int32_t i = 0;
  Variant text = Str(u"kept");
  ASSERT_EQ(SafeArrayPutElement(psa, &i, &text), S_OK);
  i = 1;
  Variant bytes;
  const uint8_t raw[] = {1, 2, 3};
  ASSERT_EQ(MakeByteArrayVariant(raw, &bytes), S_OK);
  ASSERT_EQ(SafeArrayPutElement(psa, &i, &bytes), S_OK);
  EXPECT_EQ(SafeArrayDestroy(psa), S_OK);
}

TEST(SafeArray, LockedArrayIsNotDestroyed) {
  SAFEARRAY* psa = SafeArrayCreateVector(VT_UI1, 0, 4);
  void* data = nullptr;
  ASSERT_EQ(SafeArrayAccessData(psa, &data), S_OK);
  EXPECT_EQ(SafeArrayDestroy(psa), DISP_E_ARRAYISLOCKED);
  ASSERT_EQ(SafeArrayUnaccessData(psa), S_OK);
  EXPECT_EQ(SafeArrayDestroy(psa), S_OK);
}

TEST(SafeArray, ByteViewsReachThroughReferences) {
  const uint8_t raw[] = {9, 8, 7, 6};
  Variant bytes;
  ASSERT_EQ(MakeByteArrayVariant(raw, &bytes), S_OK);
  Variant ref;
  ref.vt = VT_BYREF | VT_VARIANT;
  ref.pvarVal = &bytes;
  std::span<const uint8_t> view;
  ASSERT_TRUE(VariantBytes(ref, view));
  EXPECT_EQ(std::vector<uint8_t>(view.begin(), view.end()), std::vector<uint8_t>({9, 8, 7, 6}));
  Variant copy;
  ASSERT_EQ(VariantCopyInd(&copy, &ref), S_OK);
  EXPECT_EQ(copy.vt, VT_ARRAY | VT_UI1);
  EXPECT_NE(copy.parray, bytes.parray);
  EXPECT_FALSE(VariantBytes(Variant(int32_t{1}), view));
}

TEST(SafeArray, RefusesMoreThanOneDimensionAndAbsurdSizes) {
  SAFEARRAYBOUND two[2] = {{2, 0}, {2, 0}};
  EXPECT_EQ(SafeArrayCreate(VT_I4, 2, two), nullptr);
  EXPECT_EQ(SafeArrayCreateVector(VT_VARIANT, 0, 0xFFFFFFFF), nullptr);
}

}  // namespace
