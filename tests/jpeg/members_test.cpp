// The EXIF and IPTC members of the control, called by dispatch id through IDispatch::Invoke.
#include <gtest/gtest.h>

#include <filesystem>
#include <variant>

#include "control/activex/imagebox_interface.h"
#include "control/activex/imagebox_table.h"
#include "jpeg/jpeg_fixtures.h"
#include "platform/com/errorinfo.h"
#include "platform/com/object.h"

extern "C" plat::com::HRESULT DllGetClassObject(const plat::com::CLSID&, const plat::com::IID&,
                                                void**);

namespace pictavo {
namespace {

using namespace pictavo::jpegtest;
using plat::com::Variant;

// What a member answered, in a form tests can compare.
using TValue = std::variant<std::monostate, int64_t, double, bool, std::u16string>;

TValue ValueOf(const Variant& v) {
  switch (v.vt) {
    case plat::com::VT_BSTR:
      return v.ToUtf16();
    case plat::com::VT_BOOL:
      return v.boolVal != 0;
    case plat::com::VT_R8:
      return v.dblVal;
    case plat::com::VT_DATE:
      return static_cast<double>(v.date.value);
    case plat::com::VT_I4:
      return int64_t{v.lVal};
    case plat::com::VT_I2:
      return int64_t{v.iVal};
    default:
      return std::monostate();
  }
}

Variant ArgOf(const TValue& value) {
  if (const auto* text = std::get_if<std::u16string>(&value))
    return Variant(std::u16string_view(*text));
  if (const auto* number = std::get_if<int64_t>(&value))
    return Variant(static_cast<int32_t>(*number));
  if (const auto* real = std::get_if<double>(&value)) return Variant(*real);
  if (const auto* truth = std::get_if<bool>(&value)) return Variant(*truth);
  return Variant();
}

// One ImageBox created through its class factory, called as a late-bound host calls it.
class Control {
 public:
  Control() {
    plat::com::ComPtr<plat::com::IClassFactory> factory;
    EXPECT_EQ(
        DllGetClassObject(ax::kImageBoxClsid, plat::com::IClassFactory::kIid, factory.OutVoid()),
        plat::com::S_OK);
    plat::com::ComPtr<plat::com::IUnknown> object;
    factory->CreateInstance(nullptr, plat::com::IUnknown::kIid, object.OutVoid());
    proxy_ = std::make_unique<ax::ImageBoxProxy>(object);
  }

  TValue Get(const char* name, std::vector<TValue> args = {}) {
    return Invoke(name, plat::com::DISPATCH_PROPERTYGET, std::move(args));
  }
  void Put(const char* name, std::vector<TValue> args) {
    Invoke(name, plat::com::DISPATCH_PROPERTYPUT, std::move(args));
  }
  TValue Call(const char* name, std::vector<TValue> args = {}) {
    return Invoke(name, plat::com::DISPATCH_METHOD, std::move(args));
  }
  // The error message of the last call; empty when it succeeded.
  const std::string& Error() const { return error_; }
  void NewImage() { Call("NewImage", {int64_t{4}, int64_t{4}}); }

 private:
  TValue Invoke(const char* name, uint16_t flags, std::vector<TValue> args) {
    const MemberInfo* member = FindMember(name);
    EXPECT_NE(member, nullptr) << name;
    if (!member) return {};
    std::vector<Variant> packed;
    for (const TValue& arg : args) packed.push_back(ArgOf(arg));
    std::vector<plat::com::VARIANT> raw(packed.begin(), packed.end());
    error_.clear();
    try {
      return ValueOf(proxy_->Invoke(member->dispid, flags, raw));
    } catch (const plat::com::EOleException& e) {
      error_ = e.what();
      EXPECT_EQ(error_.rfind("Not available", 0), std::string::npos) << name;
      return {};
    }
  }

  std::unique_ptr<ax::ImageBoxProxy> proxy_;
  std::string error_;
};

TValue Text(const std::u16string& text) {
  return text;
}
TValue Long(int64_t value) {
  return value;
}

TEST(MetadataMembers, RowsCarryTheirDispatchIds) {
  const std::pair<const char*, int32_t> rows[] = {
      {"FFO_Caption", 96},       {"FFO_AuthorsPosition", 250}, {"FFO_Keywords", 115},
      {"HasFileInfo", 95},       {"ExifSetAttribute", 306},    {"ExifDataType", 313},
      {"OverwriteMetaData", 174}};
  for (const auto& [name, dispid] : rows) {
    ASSERT_NE(FindMember(dispid), nullptr) << name;
    EXPECT_EQ(FindMember(dispid)->name, name);
  }
}

TEST(MetadataMembers, EveryFieldReadsBackWhatWasSet) {
  Control control;
  control.NewImage();
  EXPECT_EQ(control.Get("HasFileInfo"), TValue(false));
  int n = 0;
  for (const MemberInfo& m : ImageBoxMembers()) {
    std::string name = m.name;
    bool indexed = name == "FFO_Keywords" || name == "FFO_SuppCat";
    if (name.rfind("FFO_", 0) != 0 || !m.Has(Accessor::Put) || indexed) continue;
    ++n;
    TValue value;
    // The current value tells the member's type.
    TValue current = control.Get(m.name.c_str());
    if (std::holds_alternative<std::u16string>(current))
      value = Text(u"\u20AC " + std::u16string(name.begin(), name.end()) + u" \u00E9");
    else if (std::holds_alternative<double>(current))
      value = 38113.5 + n;
    else if (std::holds_alternative<bool>(current))
      value = true;
    else
      value = Long(3);
    control.Put(m.name.c_str(), {value});
    EXPECT_EQ(control.Get(m.name.c_str()), value) << name;
  }
  EXPECT_EQ(n, 57);
  EXPECT_EQ(control.Get("HasFileInfo"), TValue(true));
  // Second names share their field.
  control.Put("FFO_Title", {Text(u"t")});
  EXPECT_EQ(control.Get("FFO_ObjectName"), Text(u"t"));
  control.Put("FFO_Byline", {Text(u"b")});
  EXPECT_EQ(control.Get("FFO_Author"), Text(u"b"));
  control.Put("FFO_Urgency", {Long(300)});
  EXPECT_EQ(control.Get("FFO_Urgency"), Long(44));
  // A character without a Windows-1252 equivalent becomes '?'.
  control.Put("FFO_City", {Text(u"\u4E2D")});
  EXPECT_EQ(control.Get("FFO_City"), Text(u"?"));
  control.Call("FFO_Clear");
  EXPECT_EQ(control.Get("HasFileInfo"), TValue(false));
  control.Put("FFO_Caption", {Text(u"")});
  EXPECT_EQ(control.Get("HasFileInfo"), TValue(true));
}

TEST(MetadataMembers, KeywordListEdits) {
  Control control;
  control.NewImage();
  EXPECT_EQ(control.Call("FFO_KeywordsAdd", {Text(u"a")}), Long(0));
  EXPECT_EQ(control.Call("FFO_KeywordsAdd", {Text(u"b")}), Long(1));
  EXPECT_EQ(control.Get("FFO_KeywordsCount"), Long(2));
  EXPECT_EQ(control.Get("FFO_Keywords", {Long(5)}), Text(u""));
  control.Get("FFO_Keywords", {Long(-1)});
  EXPECT_EQ(control.Error(), "List index out of bounds (-1)");
  control.Call("FFO_KeywordsInsert", {Long(2), Text(u"c")});
  EXPECT_EQ(control.Error(), "");
  control.Call("FFO_KeywordsInsert", {Long(4), Text(u"d")});
  EXPECT_EQ(control.Error(), "List index out of bounds (4)");
  control.Call("FFO_KeywordsInsert", {Long(0), Text(u"z")});
  control.Put("FFO_Keywords", {Long(1), Text(u"A")});
  control.Put("FFO_Keywords", {Long(9), Text(u"ignored")});
  control.Call("FFO_KeywordsDelete", {Long(3)});
  std::vector<TValue> items;
  for (int64_t i = 0; i < 3; ++i) items.push_back(control.Get("FFO_Keywords", {Long(i)}));
  EXPECT_EQ(items, (std::vector<TValue>{Text(u"z"), Text(u"A"), Text(u"b")}));
  control.Call("FFO_KeywordsDelete", {Long(-2)});
  EXPECT_EQ(control.Error(), "List index out of bounds (-2)");
  control.Call("FFO_KeywordsClear");
  EXPECT_EQ(control.Get("FFO_KeywordsCount"), Long(0));
  EXPECT_EQ(control.Get("HasFileInfo"), TValue(true));
  EXPECT_EQ(control.Call("FFO_SuppCatAdd", {Text(u"s")}), Long(0));
  EXPECT_EQ(control.Get("FFO_SuppCat", {Long(0)}), Text(u"s"));
}

TEST(MetadataMembers, ExifAttributes) {
  Control control;
  control.NewImage();
  EXPECT_EQ(control.Call("ExifSetAttribute", {Text(u"make"), Text(u"ACME")}), TValue(true));
  EXPECT_EQ(control.Call("ExifSetAttribute", {Text(u"Orientation"), Text(u"70000")}),
            TValue(false));
  EXPECT_EQ(control.Get("ExifCount"), Long(2));
  EXPECT_EQ(control.Get("ExifName", {Long(0)}), Text(u"Make"));
  EXPECT_EQ(control.Get("ExifValueByIndex", {Long(1)}), Text(u"30,32,32,30"));
  EXPECT_EQ(control.Get("ExifValueByIndex", {Long(2)}), Text(u""));
  EXPECT_EQ(control.Get("ExifValueByName", {Text(u"MAKE")}), Text(u"ACME"));
  EXPECT_EQ(control.Call("ExifDelete", {Text(u"Make")}), TValue(true));
  EXPECT_EQ(control.Call("ExifDelete", {Text(u"Make")}), TValue(false));
  control.Call("ExifClear");
  EXPECT_EQ(control.Get("ExifCount"), Long(0));
  EXPECT_EQ(control.Get("ExifConvertUTF8"), TValue(true));

  EXPECT_EQ(control.Call("ExifAttributeName", {Long(0x010F)}), Text(u"Make"));
  EXPECT_EQ(control.Call("ExifAttributeName", {Long(70000)}), Text(u""));
  EXPECT_EQ(control.Call("ExifDataType", {Text(u"XResolution")}), Long(5));
  EXPECT_EQ(control.Call("ExifDataCount", {Text(u"GPSLatitude")}), Long(3));
  EXPECT_EQ(control.Call("RationalToReal", {Text(u"1/4")}), TValue(0.25));
  control.Call("RationalToReal", {Text(u"1/0")});
  EXPECT_EQ(control.Error(), "Conversion error - division by zero.");
  EXPECT_EQ(control.Call("ExifDateToString", {0.0}), Text(u"1899:12:30 00:00:00"));
  control.Call("ExifStringToDate", {Text(u"2004:13:06 10:11:12")});
  EXPECT_NE(control.Error(), "");
}

TEST(MetadataMembers, InfoFileSaveAndLoadRoundTrip) {
  TScratch scratch;
  Control control;
  control.NewImage();
  control.Put("FFO_Caption", {Text(u"caption \u00E9")});
  control.Put("FFO_DateCreated", {38113.0});
  control.Put("FFO_CopyrightFlag", {true});
  control.Put("FFO_ImageURL", {Text(u"http://example.invalid/")});
  control.Call("FFO_KeywordsAdd", {Text(u"k1")});
  std::u16string file = std::filesystem::path(scratch.Path("info.ffo")).u16string();
  control.Call("FFO_Save", {Text(file)});
  EXPECT_EQ(control.Error(), "");
  control.Call("FFO_Clear");
  EXPECT_EQ(control.Get("FFO_Caption"), Text(u""));
  control.Call("FFO_Load", {Text(file)});
  EXPECT_EQ(control.Error(), "");
  EXPECT_EQ(control.Get("FFO_Caption"), Text(u"caption \u00E9"));
  EXPECT_EQ(control.Get("FFO_DateCreated"), TValue(38113.0));
  EXPECT_EQ(control.Get("FFO_CopyrightFlag"), TValue(true));
  EXPECT_EQ(control.Get("FFO_ImageURL"), Text(u"http://example.invalid/"));
  EXPECT_EQ(control.Get("FFO_Keywords", {Long(0)}), Text(u"k1"));
  EXPECT_EQ(control.Get("HasFileInfo"), TValue(true));
  control.Call("FFO_Load", {Text(file + u".missing")});
  EXPECT_EQ(control.Error(), "Info file not found.");

  Control empty;  // without an image nothing happens, not even for a missing file
  empty.Call("FFO_Load", {Text(file + u".missing")});
  EXPECT_EQ(empty.Error(), "");
  empty.Put("FFO_Caption", {Text(u"x")});
  EXPECT_EQ(empty.Get("FFO_Caption"), Text(u""));
  EXPECT_EQ(empty.Call("FFO_KeywordsAdd", {Text(u"x")}), Long(0));
  EXPECT_EQ(empty.Call("ExifDelete", {Text(u"Make")}), TValue(false));
}

TEST(MetadataMembers, JpegSaveLoadAndOverwriteThroughTheControl) {
  TScratch scratch;
  std::u16string file = std::filesystem::path(scratch.Path("a.jpg")).u16string();
  Control control;
  control.NewImage();
  control.Put("FFO_Caption", {Text(u"first")});
  control.Call("ExifSetAttribute", {Text(u"Model"), Text(u"M1")});
  control.Call("SaveToFile", {Text(file)});
  ASSERT_EQ(control.Error(), "");
  EXPECT_EQ(Shell(scratch, "exiftool -s3 -IPTC:Caption-Abstract -EXIF:Model a.jpg"), "first\nM1\n");

  Control reader;
  reader.Call("LoadFromFile", {Text(file)});
  ASSERT_EQ(reader.Error(), "");
  EXPECT_EQ(reader.Get("FFO_Caption"), Text(u"first"));
  EXPECT_EQ(reader.Get("ExifValueByName", {Text(u"Model")}), Text(u"M1"));
  reader.Put("FFO_Caption", {Text(u"second")});
  std::vector<uint8_t> scan = ScanData(ReadBytes(scratch.Path("a.jpg")));
  reader.Call("OverwriteMetaData", {Text(file)});
  ASSERT_EQ(reader.Error(), "");
  EXPECT_EQ(Shell(scratch, "exiftool -s3 -IPTC:Caption-Abstract a.jpg"), "second\n");
  EXPECT_EQ(ScanData(ReadBytes(scratch.Path("a.jpg"))), scan);

  Control empty;
  empty.Call("OverwriteMetaData", {Text(file)});
  EXPECT_EQ(empty.Error(), "Error overwriting JPEG Meta Data.");
  empty.Call("OverwriteMetaData", {Text(file + u"x")});
  EXPECT_EQ(empty.Error(), "File not found: a.jpgx");
}

}  // namespace
}  // namespace pictavo
