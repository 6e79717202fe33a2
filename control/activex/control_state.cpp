#include "control/activex/control_state.h"

#include <functional>
#include <optional>
#include <string>

#include "control/activex/imagebox_enums.h"
#include "control/engine/view/pvimage.h"
#include "platform/base/exceptions.h"

namespace pictavo {

namespace {

constexpr char kClassName[] = "TpvImage";

struct NamedValue {
  int32_t value;
  const char* name;
};

// Colours that the stream names instead of numbering.
constexpr NamedValue kColorNames[] = {
    {0x000000, "clBlack"},
    {0x000080, "clMaroon"},
    {0x008000, "clGreen"},
    {0x008080, "clOlive"},
    {0x800000, "clNavy"},
    {0x800080, "clPurple"},
    {0x808000, "clTeal"},
    {0x808080, "clGray"},
    {0xC0C0C0, "clSilver"},
    {0x0000FF, "clRed"},
    {0x00FF00, "clLime"},
    {0x00FFFF, "clYellow"},
    {0xFF0000, "clBlue"},
    {0xFF00FF, "clFuchsia"},
    {0xFFFF00, "clAqua"},
    {0xFFFFFF, "clWhite"},
    {0xC0DCC0, "clMoneyGreen"},
    {0xF0CAA6, "clSkyBlue"},
    {0xF0FBFF, "clCream"},
    {0xA4A0A0, "clMedGray"},
    {0x1FFFFFFF, "clNone"},
    {0x20000000, "clDefault"},
    {int32_t(0x80000000), "clScrollBar"},
    {int32_t(0x80000001), "clBackground"},
    {int32_t(0x80000002), "clActiveCaption"},
    {int32_t(0x80000003), "clInactiveCaption"},
    {int32_t(0x80000004), "clMenu"},
    {int32_t(0x80000005), "clWindow"},
    {int32_t(0x80000006), "clWindowFrame"},
    {int32_t(0x80000007), "clMenuText"},
    {int32_t(0x80000008), "clWindowText"},
    {int32_t(0x80000009), "clCaptionText"},
    {int32_t(0x8000000A), "clActiveBorder"},
    {int32_t(0x8000000B), "clInactiveBorder"},
    {int32_t(0x8000000C), "clAppWorkSpace"},
    {int32_t(0x8000000D), "clHighlight"},
    {int32_t(0x8000000E), "clHighlightText"},
    {int32_t(0x8000000F), "clBtnFace"},
    {int32_t(0x80000010), "clBtnShadow"},
    {int32_t(0x80000011), "clGrayText"},
    {int32_t(0x80000012), "clBtnText"},
    {int32_t(0x80000013), "clInactiveCaptionText"},
    {int32_t(0x80000014), "clBtnHighlight"},
    {int32_t(0x80000015), "cl3DDkShadow"},
    {int32_t(0x80000016), "cl3DLight"},
    {int32_t(0x80000017), "clInfoText"},
    {int32_t(0x80000018), "clInfoBk"},
    {int32_t(0x8000001A), "clHotLight"},
    {int32_t(0x8000001B), "clGradientActiveCaption"},
    {int32_t(0x8000001C), "clGradientInactiveCaption"},
    {int32_t(0x8000001D), "clMenuHighlight"},
    {int32_t(0x8000001E), "clMenuBar"},
};

constexpr NamedValue kCharsetNames[] = {
    {0, "ANSI_CHARSET"},      {1, "DEFAULT_CHARSET"},    {2, "SYMBOL_CHARSET"},
    {77, "MAC_CHARSET"},      {128, "SHIFTJIS_CHARSET"}, {129, "HANGEUL_CHARSET"},
    {130, "JOHAB_CHARSET"},   {134, "GB2312_CHARSET"},   {136, "CHINESEBIG5_CHARSET"},
    {161, "GREEK_CHARSET"},   {162, "TURKISH_CHARSET"},  {163, "VIETNAMESE_CHARSET"},
    {177, "HEBREW_CHARSET"},  {178, "ARABIC_CHARSET"},   {186, "BALTIC_CHARSET"},
    {204, "RUSSIAN_CHARSET"}, {222, "THAI_CHARSET"},     {238, "EASTEUROPE_CHARSET"},
    {255, "OEM_CHARSET"},
};

constexpr NamedValue kCursorNames[] = {
    {0, "crDefault"},     {-1, "crNone"},     {-2, "crArrow"},      {-3, "crCross"},
    {-4, "crIBeam"},      {-6, "crSizeNESW"}, {-7, "crSizeNS"},     {-8, "crSizeNWSE"},
    {-9, "crSizeWE"},     {-10, "crUpArrow"}, {-11, "crHourGlass"}, {-12, "crDrag"},
    {-13, "crNoDrop"},    {-14, "crHSplit"},  {-15, "crVSplit"},    {-16, "crMultiDrag"},
    {-17, "crSQLWait"},   {-18, "crNo"},      {-19, "crAppStart"},  {-20, "crHelp"},
    {-21, "crHandPoint"}, {-22, "crSizeAll"},
};

constexpr const char* kFontStyleNames[] = {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"};

[[noreturn]] void BadValue() {
  throw plat::EReadError("Invalid property value");
}

// An integer that the stream may also give as one of the names.
template <size_t N>
TStreamValue NamedInteger(int32_t value, const NamedValue (&names)[N]) {
  for (const NamedValue& n : names)
    if (n.value == value) return TStreamValue::Identifier(n.name);
  return TStreamValue::Integer(value);
}

template <size_t N>
int32_t ReadNamedInteger(const TStreamValue& v, const NamedValue (&names)[N]) {
  if (v.IsInteger()) return static_cast<int32_t>(v.integer);
  if (v.tag == TValueTag::Ident)
    for (const NamedValue& n : names)
      if (v.text == n.name) return n.value;
  BadValue();
}

int32_t ReadInteger(const TStreamValue& v) {
  if (!v.IsInteger()) BadValue();
  return static_cast<int32_t>(v.integer);
}

bool ReadBoolean(const TStreamValue& v) {
  if (!v.IsBoolean()) BadValue();
  return v.tag == TValueTag::True;
}

double ReadReal(const TStreamValue& v) {
  if (!v.IsReal()) BadValue();
  return v.IsInteger() ? static_cast<double>(v.integer) : v.real;
}

std::string ReadText(const TStreamValue& v) {
  if (!v.IsText()) BadValue();
  return v.text;
}

uint8_t ReadEnum(EnumId id, const TStreamValue& v) {
  int32_t value = 0;
  if (v.tag != TValueTag::Ident || !EnumValue(id, v.text, value)) BadValue();
  return static_cast<uint8_t>(value);
}

// One published property: how to write it (nothing when at its default) and read it back.
struct Property {
  const char* name;
  std::function<std::optional<TStreamValue>(const TpvImage&)> save;
  std::function<void(TpvImage&, const TStreamValue&)> load;
};

template <typename Get>
std::optional<TStreamValue> Unless(bool at_default, Get make) {
  if (at_default) return std::nullopt;
  return make();
}

// A setting read by get and written by set, both members of the view.
template <class Get, class Set>
Property IntProperty(const char* name, Get get, Set set, std::optional<int32_t> def) {
  return {name,
          [=](const TpvImage& v) {
            return Unless((v.*get)() == def.value_or(0),
                          [&] { return TStreamValue::Integer((v.*get)()); });
          },
          [=](TpvImage& v, const TStreamValue& s) { (v.*set)(ReadInteger(s)); }};
}

template <class Get, class Set>
Property BoolProperty(const char* name, Get get, Set set, bool def) {
  return {name,
          [=](const TpvImage& v) {
            return Unless((v.*get)() == def, [&] { return TStreamValue::Boolean((v.*get)()); });
          },
          [=](TpvImage& v, const TStreamValue& s) { (v.*set)(ReadBoolean(s)); }};
}

template <class Get, class Set>
Property ColorProperty(const char* name, Get get, Set set, plat::TColor def) {
  return {name,
          [=](const TpvImage& v) {
            return Unless((v.*get)() == def, [&] {
              return NamedInteger(static_cast<int32_t>((v.*get)()), kColorNames);
            });
          },
          [=](TpvImage& v, const TStreamValue& s) {
            (v.*set)(static_cast<plat::TColor>(ReadNamedInteger(s, kColorNames)));
          }};
}

template <class Get, class Set>
Property EnumProperty(const char* name, Get get, Set set, EnumId id, uint8_t def) {
  return {name,
          [=](const TpvImage& v) {
            return Unless((v.*get)() == def, [&] {
              const char* ident = EnumName(id, (v.*get)());
              return ident ? TStreamValue::Identifier(ident) : TStreamValue::Integer((v.*get)());
            });
          },
          [=](TpvImage& v, const TStreamValue& s) { (v.*set)(ReadEnum(id, s)); }};
}

template <class Get, class Set>
Property TextProperty(const char* name, Get get, Set set) {
  return {name,
          [=](const TpvImage& v) {
            return Unless((v.*get)().empty(), [&] { return TStreamValue::Text((v.*get)()); });
          },
          [=](TpvImage& v, const TStreamValue& s) { (v.*set)(ReadText(s)); }};
}

// Geometry lives in the widget itself.
Property GeometryProperty(const char* name, int (QWidget::*get)() const,
                          void (*set)(TpvImage&, int)) {
  return {name, [=](const TpvImage& v) { return std::optional(TStreamValue::Integer((v.*get)())); },
          [=](TpvImage& v, const TStreamValue& s) { set(v, ReadInteger(s)); }};
}

Property FontProperty(const char* name, std::function<TStreamValue(const TFontDesc&)> save,
                      std::function<void(TFontDesc&, const TStreamValue&)> load) {
  return {name, [=](const TpvImage& v) { return std::optional(save(v.TextFont())); },
          [=](TpvImage& v, const TStreamValue& s) {
            TFontDesc font = v.TextFont();
            load(font, s);
            v.SetTextFont(font);
          }};
}

const std::vector<Property>& Properties() {
  static const std::vector<Property> table = {
      IntProperty("Tag", &TpvImage::Tag, &TpvImage::SetTag, 0),
      GeometryProperty("Left", &QWidget::x, [](TpvImage& v, int a) { v.move(a, v.y()); }),
      GeometryProperty("Top", &QWidget::y, [](TpvImage& v, int a) { v.move(v.x(), a); }),
      GeometryProperty("Width", &QWidget::width,
                       [](TpvImage& v, int a) { v.resize(a, v.height()); }),
      GeometryProperty("Height", &QWidget::height,
                       [](TpvImage& v, int a) { v.resize(v.width(), a); }),
      {"Cursor",
       [](const TpvImage& v) {
         return Unless(v.Cursor() == 0, [&] { return NamedInteger(v.Cursor(), kCursorNames); });
       },
       [](TpvImage& v, const TStreamValue& s) {
         v.SetCursorId(static_cast<int16_t>(ReadNamedInteger(s, kCursorNames)));
       }},
      TextProperty("Hint", &TpvImage::Hint, &TpvImage::SetHint),
      EnumProperty("HelpType", &TpvImage::HelpType, &TpvImage::SetHelpType, EnumId::TxHelpType, 1),
      TextProperty("HelpKeyword", &TpvImage::HelpKeyword, &TpvImage::SetHelpKeyword),
      IntProperty("HelpContext", &TpvImage::HelpContext, &TpvImage::SetHelpContext, 0),
      BoolProperty("MergeTransparent", &TpvImage::MergeTransparent, &TpvImage::SetMergeTransparent,
                   false),
      ColorProperty("MergeTransparentColor", &TpvImage::MergeTransparentColor,
                    &TpvImage::SetMergeTransparentColor, 0xFFFFFF),
      {"MergeTransparency",
       [](const TpvImage& v) {
         return Unless(v.MergeTransparency() == 0,
                       [&] { return TStreamValue::Real(v.MergeTransparency()); });
       },
       [](TpvImage& v, const TStreamValue& s) { v.SetMergeTransparency(ReadReal(s)); }},
      EnumProperty("MergeStyle", &TpvImage::MergeStyle, &TpvImage::SetMergeStyle, EnumId::TxWMStyle,
                   1),
      IntProperty("MergeLeft", &TpvImage::MergeLeft, &TpvImage::SetMergeLeft, 0),
      IntProperty("MergeTop", &TpvImage::MergeTop, &TpvImage::SetMergeTop, 0),
      {"JPEGQuality",
       [](const TpvImage& v) {
         return Unless(v.JPEGQuality() == 90,
                       [&] { return TStreamValue::Integer(v.JPEGQuality()); });
       },
       [](TpvImage& v, const TStreamValue& s) { v.SetJPEGQuality(ReadInteger(s)); }},
      FontProperty(
          "TextFont.Charset",
          [](const TFontDesc& f) { return NamedInteger(f.Charset, kCharsetNames); },
          [](TFontDesc& f, const TStreamValue& s) {
            f.Charset = static_cast<uint8_t>(ReadNamedInteger(s, kCharsetNames));
          }),
      FontProperty(
          "TextFont.Color",
          [](const TFontDesc& f) {
            return NamedInteger(static_cast<int32_t>(f.Color), kColorNames);
          },
          [](TFontDesc& f, const TStreamValue& s) {
            f.Color = static_cast<plat::TColor>(ReadNamedInteger(s, kColorNames));
          }),
      FontProperty(
          "TextFont.Height", [](const TFontDesc& f) { return TStreamValue::Integer(f.Height); },
          [](TFontDesc& f, const TStreamValue& s) { f.Height = ReadInteger(s); }),
      FontProperty(
          "TextFont.Name", [](const TFontDesc& f) { return TStreamValue::Text(f.Name); },
          [](TFontDesc& f, const TStreamValue& s) { f.Name = ReadText(s); }),
      FontProperty(
          "TextFont.Style",
          [](const TFontDesc& f) {
            std::vector<std::string> names;
            for (int bit = 0; bit < 4; ++bit)
              if (f.Style & (1 << bit)) names.push_back(kFontStyleNames[bit]);
            return TStreamValue::SetOf(names);
          },
          [](TFontDesc& f, const TStreamValue& s) {
            if (s.tag != TValueTag::Set) BadValue();
            f.Style = 0;
            for (const std::string& e : s.elements) {
              int bit = 0;
              while (bit < 4 && e != kFontStyleNames[bit]) ++bit;
              if (bit == 4) BadValue();
              f.Style |= static_cast<uint8_t>(1 << bit);
            }
          }),
      ColorProperty("PenColor", &TpvImage::PenColor, &TpvImage::SetPenColor, 0),
      EnumProperty("PenMode", &TpvImage::PenMode, &TpvImage::SetPenMode, EnumId::TxPenMode, 4),
      IntProperty("PenWidth", &TpvImage::PenWidth, &TpvImage::SetPenWidth, 1),
      EnumProperty("PenStyle", &TpvImage::PenStyle, &TpvImage::SetPenStyle, EnumId::TxPenStyle, 0),
      ColorProperty("BrushColor", &TpvImage::BrushColor, &TpvImage::SetBrushColor, 0xFFFFFF),
      EnumProperty("BrushStyle", &TpvImage::BrushStyle, &TpvImage::SetBrushStyle,
                   EnumId::TxBrushStyle, 0),
      BoolProperty("Resample", &TpvImage::Resample, &TpvImage::SetResample, false),
      BoolProperty("TextTransparent", &TpvImage::TextTransparent, &TpvImage::SetTextTransparent,
                   false),
      {"TextAngle",
       [](const TpvImage& v) {
         return Unless(v.TextAngle() == 0, [&] { return TStreamValue::Float(v.TextAngle()); });
       },
       [](TpvImage& v, const TStreamValue& s) { v.SetTextAngle(static_cast<float>(ReadReal(s))); }},
      ColorProperty("FloodFillColor", &TpvImage::FloodFillColor, &TpvImage::SetFloodFillColor, 0),
      EnumProperty("FloodFillStyle", &TpvImage::FloodFillStyle, &TpvImage::SetFloodFillStyle,
                   EnumId::TxFloodFillStyle, 0),
      BoolProperty("MergeReverse", &TpvImage::MergeReverse, &TpvImage::SetMergeReverse, false),
      BoolProperty("SelectionVisible", &TpvImage::SelectionVisible, &TpvImage::SetSelectionVisible,
                   true),
      BoolProperty("UseLZW", &TpvImage::UseLZW, &TpvImage::SetUseLZW, true),
      {"Zoom",
       [](const TpvImage& v) {
         return Unless(v.Zoom() == 0, [&] { return TStreamValue::Real(v.Zoom()); });
       },
       [](TpvImage& v, const TStreamValue& s) { v.SetZoom(ReadReal(s)); }},
      EnumProperty("TextJustify", &TpvImage::TextJustify, &TpvImage::SetTextJustify,
                   EnumId::TxTextJustify, 0),
      {"AutoZoom",
       [](const TpvImage& v) {
         return Unless(!v.AutoZoom(), [&] { return TStreamValue::Boolean(true); });
       },
       [](TpvImage& v, const TStreamValue& s) { v.SetAutoZoom(ReadBoolean(s)); }},
      {"ShowScrollBars",
       [](const TpvImage& v) {
         return Unless(v.ShowScrollBars(), [&] { return TStreamValue::Boolean(false); });
       },
       [](TpvImage& v, const TStreamValue& s) { v.SetShowScrollBars(ReadBoolean(s)); }},
      TextProperty("TwainAppName", &TpvImage::TwainAppName, &TpvImage::SetTwainAppName),
      {"ScaleToGray",
       [](const TpvImage& v) {
         return Unless(!v.ScaleToGray(), [&] { return TStreamValue::Boolean(true); });
       },
       [](TpvImage& v, const TStreamValue& s) { v.SetScaleToGray(ReadBoolean(s)); }},
      {"ScrollSpeed",
       [](const TpvImage& v) {
         return Unless(v.ScrollSpeed() == 1,
                       [&] { return TStreamValue::Integer(v.ScrollSpeed()); });
       },
       [](TpvImage& v, const TStreamValue& s) { v.SetScrollSpeed(ReadInteger(s)); }},
  };
  return table;
}

}  // namespace

TComponentImage SaveControlState(const TpvImage& view) {
  TComponentImage image;
  image.class_name = kClassName;
  for (const Property& p : Properties())
    if (auto value = p.save(view)) image.properties.emplace_back(p.name, std::move(*value));
  return image;
}

void LoadControlState(TpvImage& view, const TComponentImage& image) {
  for (const auto& [name, value] : image.properties)
    for (const Property& p : Properties())
      if (name == p.name) p.load(view, value);
}

std::vector<uint8_t> SaveControlStream(const TpvImage& view) {
  return WriteComponentStream(SaveControlState(view));
}

void LoadControlStream(TpvImage& view, const uint8_t* data, size_t size) {
  LoadControlState(view, ReadComponentStream(data, size));
}

}  // namespace pictavo
