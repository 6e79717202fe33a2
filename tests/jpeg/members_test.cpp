#include <gtest/gtest.h>

#include <filesystem>

#include "control/activex/imagebox.h"
#include "jpeg/jpeg_fixtures.h"

namespace pictavo {
namespace {

using namespace pictavo::jpegtest;

// Calls members the way a host does: by dispatch id, with the arguments already converted.
class Control {
 public:
  TCallValue Get(const char* name, std::vector<TCallValue> args = {}) {
    return Invoke(name, Accessor::Get, std::move(args));
  }
  void Put(const char* name, std::vector<TCallValue> args) {
    Invoke(name, Accessor::Put, std::move(args));
  }
  TCallValue Call(const char* name, std::vector<TCallValue> args = {}) {
    return Invoke(name, Accessor::Call, std::move(args));
  }
  // The error message of the last call; empty when it succeeded.
  const std::string& Error() const { return error_; }
  void NewImage() { Call("NewImage", {int64_t{4}, int64_t{4}}); }

 private:
  TCallValue Invoke(const char* name, Accessor accessor, std::vector<TCallValue> args) {
    const MemberInfo* named = FindMember(name);
    EXPECT_NE(named, nullptr) << name;
    if (!named) return {};
    const MemberInfo* member = FindMember(named->dispid);
    MemberCall call;
    call.args = std::move(args);
    call.outs.resize(member->param_count);
    MemberOutcome outcome = box_.Invoke(*member, accessor, call);
    EXPECT_NE(outcome.hresult, kENotImpl) << name;
    error_ = outcome.hresult == kSOk ? std::string() : outcome.message;
    return call.result;
  }

  TImageBox box_;
  std::string error_;
};

TCallValue Text(const std::u16string& text) {
  return text;
}
TCallValue Long(int64_t value) {
  return value;
}

TEST(MetadataMembers, RowsCarryTheirDispatchIds) {
  const std::pair<const char*, int32_t> rows[] = {
      {"FFO_Caption", 96},       {"FFO_AuthorsPosition", 250}, {"FFO_Keywords", 115},
      {"HasFileInfo", 95},       {"ExifSetAttribute", 306},    {"ExifDataType", 313},
      {"OverwriteMetaData", 174}};
  for (const auto& [name, dispid] : rows) {
    ASSERT_NE(FindMember(dispid), nullptr) << name;
    EXPECT_STREQ(FindMember(dispid)->name, name);
  }
}

TEST(MetadataMembers, EveryFieldReadsBackWhatWasSet) {
  Control control;
  control.NewImage();
  EXPECT_EQ(control.Get("HasFileInfo"), TCallValue(false));
  int n = 0;
  for (const MemberInfo& m : ImageBoxMembers()) {
    std::string name = m.name;
    if (name.rfind("FFO_", 0) != 0 || !m.Has(Accessor::Put) || m.param_count != 0) continue;
    ++n;
    TCallValue value;
    if (m.type == ArgType::BStr)
      value = Text(u"\u20AC " + std::u16string(name.begin(), name.end()) + u" \u00E9");
    else if (m.type == ArgType::Date)
      value = 38113.5 + n;
    else if (m.type == ArgType::Bool)
      value = true;
    else
      value = Long(3);
    control.Put(m.name, {value});
    EXPECT_EQ(control.Get(m.name), value) << name;
  }
  EXPECT_EQ(n, 57);
  EXPECT_EQ(control.Get("HasFileInfo"), TCallValue(true));
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
  EXPECT_EQ(control.Get("HasFileInfo"), TCallValue(false));
  control.Put("FFO_Caption", {Text(u"")});
  EXPECT_EQ(control.Get("HasFileInfo"), TCallValue(true));
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
  std::vector<TCallValue> items;
  for (int64_t i = 0; i < 3; ++i) items.push_back(control.Get("FFO_Keywords", {Long(i)}));
  EXPECT_EQ(items, (std::vector<TCallValue>{Text(u"z"), Text(u"A"), Text(u"b")}));
  control.Call("FFO_KeywordsDelete", {Long(-2)});
  EXPECT_EQ(control.Error(), "List index out of bounds (-2)");
  control.Call("FFO_KeywordsClear");
  EXPECT_EQ(control.Get("FFO_KeywordsCount"), Long(0));
  EXPECT_EQ(control.Get("HasFileInfo"), TCallValue(true));
  EXPECT_EQ(control.Call("FFO_SuppCatAdd", {Text(u"s")}), Long(0));
  EXPECT_EQ(control.Get("FFO_SuppCat", {Long(0)}), Text(u"s"));
}

TEST(MetadataMembers, ExifAttributes) {
  Control control;
  control.NewImage();
  EXPECT_EQ(control.Call("ExifSetAttribute", {Text(u"make"), Text(u"ACME")}), TCallValue(true));
  EXPECT_EQ(control.Call("ExifSetAttribute", {Text(u"Orientation"), Text(u"70000")}),
            TCallValue(false));
  EXPECT_EQ(control.Get("ExifCount"), Long(2));
  EXPECT_EQ(control.Get("ExifName", {Long(0)}), Text(u"Make"));
  EXPECT_EQ(control.Get("ExifValueByIndex", {Long(1)}), Text(u"30,32,32,30"));
  EXPECT_EQ(control.Get("ExifValueByIndex", {Long(2)}), Text(u""));
  EXPECT_EQ(control.Get("ExifValueByName", {Text(u"MAKE")}), Text(u"ACME"));
  EXPECT_EQ(control.Call("ExifDelete", {Text(u"Make")}), TCallValue(true));
  EXPECT_EQ(control.Call("ExifDelete", {Text(u"Make")}), TCallValue(false));
  control.Call("ExifClear");
  EXPECT_EQ(control.Get("ExifCount"), Long(0));
  EXPECT_EQ(control.Get("ExifConvertUTF8"), TCallValue(true));

  EXPECT_EQ(control.Call("ExifAttributeName", {Long(0x010F)}), Text(u"Make"));
  EXPECT_EQ(control.Call("ExifAttributeName", {Long(70000)}), Text(u""));
  EXPECT_EQ(control.Call("ExifDataType", {Text(u"XResolution")}), Long(5));
  EXPECT_EQ(control.Call("ExifDataCount", {Text(u"GPSLatitude")}), Long(3));
  EXPECT_EQ(control.Call("RationalToReal", {Text(u"1/4")}), TCallValue(0.25));
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
  EXPECT_EQ(control.Get("FFO_DateCreated"), TCallValue(38113.0));
  EXPECT_EQ(control.Get("FFO_CopyrightFlag"), TCallValue(true));
  EXPECT_EQ(control.Get("FFO_ImageURL"), Text(u"http://example.invalid/"));
  EXPECT_EQ(control.Get("FFO_Keywords", {Long(0)}), Text(u"k1"));
  EXPECT_EQ(control.Get("HasFileInfo"), TCallValue(true));
  control.Call("FFO_Load", {Text(file + u".missing")});
  EXPECT_EQ(control.Error(), "Info file not found.");

  Control empty;  // without an image nothing happens, not even for a missing file
  empty.Call("FFO_Load", {Text(file + u".missing")});
  EXPECT_EQ(empty.Error(), "");
  empty.Put("FFO_Caption", {Text(u"x")});
  EXPECT_EQ(empty.Get("FFO_Caption"), Text(u""));
  EXPECT_EQ(empty.Call("FFO_KeywordsAdd", {Text(u"x")}), Long(0));
  EXPECT_EQ(empty.Call("ExifDelete", {Text(u"Make")}), TCallValue(false));
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
  std::vector<uint8_t> scan = ScanData(ReadFile(scratch.Path("a.jpg")));
  reader.Call("OverwriteMetaData", {Text(file)});
  ASSERT_EQ(reader.Error(), "");
  EXPECT_EQ(Shell(scratch, "exiftool -s3 -IPTC:Caption-Abstract a.jpg"), "second\n");
  EXPECT_EQ(ScanData(ReadFile(scratch.Path("a.jpg"))), scan);

  Control empty;
  empty.Call("OverwriteMetaData", {Text(file)});
  EXPECT_EQ(empty.Error(), "Error overwriting JPEG Meta Data.");
  empty.Call("OverwriteMetaData", {Text(file + u"x")});
  EXPECT_EQ(empty.Error(), "File not found: a.jpgx");
}

}  // namespace
}  // namespace pictavo
