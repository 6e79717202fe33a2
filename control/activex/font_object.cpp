#include "control/activex/font_object.h"

#include <QPointer>
#include <cmath>

#include "platform/base/text.h"
#include "platform/com/errorinfo.h"
#include "platform/com/object.h"

namespace pictavo {

namespace {

using namespace plat::com;

// The standard dispatch ids of an automation font's properties.
enum FontDispId : DISPID {
  kName = 0,
  kSize = 2,
  kBold = 3,
  kItalic = 4,
  kUnderline = 5,
  kStrikethrough = 6,
  kWeight = 7,
  kCharset = 8,
};

constexpr struct {
  const char16_t* name;
  DISPID id;
} kFontNames[] = {{u"Name", kName},           {u"Size", kSize},
                  {u"Bold", kBold},           {u"Italic", kItalic},
                  {u"Underline", kUnderline}, {u"Strikethrough", kStrikethrough},
                  {u"Weight", kWeight},       {u"Charset", kCharset}};

constexpr double kPixelsPerInch = 96;

// Point size from the font's height in pixels (negative: character height).
double PointsOf(const TFontDesc& font) {
  return -font.Height * 72 / kPixelsPerInch;
}
int32_t HeightOf(double points) {
  return -static_cast<int32_t>(std::lround(points * kPixelsPerInch / 72));
}

bool StyleBit(const TFontDesc& font, uint8_t bit) {
  return (font.Style & bit) != 0;
}
void SetStyleBit(TFontDesc& font, uint8_t bit, bool on) {
  font.Style = static_cast<uint8_t>(on ? font.Style | bit : font.Style & ~bit);
}

Variant Property(const TFontDesc& font, DISPID id) {
  switch (id) {
    case kName:
      return Variant(std::u16string_view(plat::AnsiToUtf16(font.Name)));
    case kSize:
      return Variant(PointsOf(font));
    case kBold:
      return Variant(StyleBit(font, TFontDesc::fsBold));
    case kItalic:
      return Variant(StyleBit(font, TFontDesc::fsItalic));
    case kUnderline:
      return Variant(StyleBit(font, TFontDesc::fsUnderline));
    case kStrikethrough:
      return Variant(StyleBit(font, TFontDesc::fsStrikeOut));
    case kWeight:
      return Variant(static_cast<int16_t>(StyleBit(font, TFontDesc::fsBold) ? 700 : 400));
    case kCharset:
      return Variant(static_cast<int16_t>(font.Charset));
    default:
      return Variant();
  }
}

HRESULT SetProperty(TFontDesc& font, DISPID id, const VARIANT& value) {
  Variant v;
  const VARTYPE want = id == kName ? VT_BSTR : id == kSize ? VT_R8 : VT_I4;
  const HRESULT hr = VariantChangeType(&v, &value, 0, want);
  if (Failed(hr)) return hr;
  switch (id) {
    case kName:
      font.Name = plat::Utf16ToAnsi(BstrView(v.bstrVal));
      break;
    case kSize:
      font.Height = HeightOf(v.dblVal);
      break;
    case kBold:
      SetStyleBit(font, TFontDesc::fsBold, v.lVal != 0);
      break;
    case kItalic:
      SetStyleBit(font, TFontDesc::fsItalic, v.lVal != 0);
      break;
    case kUnderline:
      SetStyleBit(font, TFontDesc::fsUnderline, v.lVal != 0);
      break;
    case kStrikethrough:
      SetStyleBit(font, TFontDesc::fsStrikeOut, v.lVal != 0);
      break;
    case kWeight:
      SetStyleBit(font, TFontDesc::fsBold, v.lVal >= 600);
      break;
    case kCharset:
      font.Charset = static_cast<uint8_t>(v.lVal);
      break;
    default:
      return DISP_E_MEMBERNOTFOUND;
  }
  return S_OK;
}

class TextFontObject final : public ComObject<TextFontObject, ax::IFontDisp> {
 public:
  explicit TextFontObject(TpvImage& view) : view_(&view) {}

  HRESULT GetTypeInfoCount(uint32_t* count) override {
    return count ? (*count = 0, S_OK) : E_POINTER;
  }
  HRESULT GetTypeInfo(uint32_t, LCID, ITypeInfo** info) override {
    if (info) *info = nullptr;
    return E_NOTIMPL;
  }
  HRESULT GetIDsOfNames(const IID&, const char16_t* const* names, uint32_t count, LCID,
                        DISPID* ids) override {
    if (!names || !ids) return E_POINTER;
    HRESULT hr = S_OK;
    for (uint32_t i = 0; i < count; ++i) {
      ids[i] = DISPID_UNKNOWN;
      for (const auto& n : kFontNames)
        if (i == 0 && names[0] && plat::SameTextIgnoringCase(std::u16string_view(names[0]), n.name))
          ids[i] = n.id;
      if (ids[i] == DISPID_UNKNOWN) hr = DISP_E_UNKNOWNNAME;
    }
    return hr;
  }
  HRESULT Invoke(DISPID id, const IID&, LCID, uint16_t flags, DISPPARAMS* params, VARIANT* result,
                 EXCEPINFO*, uint32_t*) override {
    if (!params) return E_INVALIDARG;
    TFontDesc font = view_ ? view_->TextFont() : TFontDesc();
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
      if (params->cArgs != 1) return DISP_E_BADPARAMCOUNT;
      const HRESULT hr = SetProperty(font, id, params->rgvarg[0]);
      if (Succeeded(hr) && view_) view_->SetTextFont(font);
      return hr;
    }
    Variant value = Property(font, id);
    if (value.vt == VT_EMPTY) return DISP_E_MEMBERNOTFOUND;
    if (result) *result = std::exchange(static_cast<VARIANT&>(value), VARIANT{});
    return S_OK;
  }

 private:
  QPointer<TpvImage> view_;
};

}  // namespace

ComPtr<ax::IFontDisp> NewTextFontObject(TpvImage& view) {
  return ComPtr<ax::IFontDisp>(MakeObject<TextFontObject>(view).Get());
}

void CopyFontDescription(IDispatch& source, TFontDesc& font) {
  for (DISPID id : {kName, kSize, kBold, kItalic, kUnderline, kStrikethrough, kCharset}) {
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    Variant value;
    if (Succeeded(
            source.Invoke(id, GUID{}, 0, DISPATCH_PROPERTYGET, &none, &value, nullptr, nullptr)))
      SetProperty(font, id, value);
  }
}

}  // namespace pictavo
