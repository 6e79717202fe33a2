// PSD, PCX and WBMP through the control: files and byte arrays both ways, NewFileSize, and what
// a PSD carries (IPTC file info, DPI, whether it was CMYK).
#include <gtest/gtest.h>

#include "activex/member_client.h"
#include "control/activex/imagebox.h"
#include "control/formats/pcx/pcx_image.h"
#include "control/formats/tiff/psd_image.h"
#include "control/formats/wbmp/wbmp_image.h"
#include "platform/graphics/pixel_budget.h"
#include "tiff/tiff_helpers.h"

namespace velmora_test {
namespace {

using pictavo::Accessor;
using pictavo::MemberOutcome;

class Box {
 public:
  MemberOutcome Invoke(const char* name, Accessor accessor, std::vector<TCallValue> args = {},
                       TCallValue* result = nullptr) {
    MemberCall call;
    call.args = std::move(args);
    call.outs.resize(call.args.size());
    MemberOutcome outcome = box_.Invoke(*pictavo::FindMember(name), accessor, call);
    if (result) *result = call.result;
    return outcome;
  }
  // Calls a member that must succeed and returns its result.
  TCallValue Ok(const char* name, Accessor accessor, std::vector<TCallValue> args = {}) {
    TCallValue result;
    const MemberOutcome outcome = Invoke(name, accessor, std::move(args), &result);
    EXPECT_EQ(outcome.hresult, pictavo::kSOk) << name << ": " << outcome.message;
    return result;
  }
  TCallValue Get(const char* name) { return Ok(name, Accessor::Get); }

 private:
  TestImageBox box_;
};

std::u16string Wide(const std::string& s) {
  return std::u16string(s.begin(), s.end());
}

class FormatsControl : public testing::Test {
 protected:
  void SetUp() override {
    WriteSources(dir_, 20);
    ASSERT_TRUE(
        Shell(dir_,
              "convert colour.ppm -depth 8 in.psd && "
              "convert colour.ppm -depth 8 -colorspace CMYK cmyk.psd && "
              "(ppmtopcx colour.ppm > in.pcx 2>/dev/null) && (pbmtowbmp mono.pbm > in.wbmp)"));
  }
  ScratchDir dir_;
};

TEST_F(FormatsControl, FilesAndByteArraysOfEachFormat) {
  const struct {
    const char* file;
    const char* saved_as;
    int64_t code;  // TxGraphicsFormat
    int64_t width, height;
  } cases[] = {
      {"in.psd", "out.PSD", 6, 47, 29},
      {"in.pcx", "out.pcx", 3, 47, 29},
      {"in.wbmp", "out.wbm", 5, 20, 41},
      {"in.wbmp", "out.wbmp", 5, 20, 41},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.saved_as);
    Box box;
    box.Ok("LoadFromFile", Accessor::Call, {Wide(dir_.File(c.file))});
    EXPECT_EQ(box.Get("ImageWidth"), TCallValue(c.width));
    EXPECT_EQ(box.Get("ImageHeight"), TCallValue(c.height));
    const TCallValue bytes = box.Ok("WriteBinary", Accessor::Call, {c.code});
    ASSERT_TRUE(std::holds_alternative<pictavo::TBytes>(bytes));
    const size_t size = std::get<pictavo::TBytes>(bytes).size();
    EXPECT_EQ(box.Ok("NewFileSize", Accessor::Call, {c.code}),
              TCallValue(static_cast<int64_t>(size)));
    box.Ok("SaveToFile", Accessor::Call, {Wide(dir_.File(c.saved_as))});
    EXPECT_EQ(ReadBytes(dir_.File(c.saved_as)), std::get<pictavo::TBytes>(bytes));

    Box copy;
    copy.Ok("ReadBinary", Accessor::Call, {c.code, bytes});
    EXPECT_EQ(copy.Get("ImageWidth"), TCallValue(c.width));
    EXPECT_EQ(copy.Ok("WriteBinary", Accessor::Call, {c.code}), bytes);
  }
}

TEST_F(FormatsControl, PsdKeepsFileInfoAndDpiAndTellsCmyk) {
  Box box;
  box.Ok("LoadFromFile", Accessor::Call, {Wide(dir_.File("cmyk.psd"))});
  EXPECT_EQ(box.Get("WasCMYK"), TCallValue(true));
  box.Ok("FFO_Caption", Accessor::Put, {u"Quay"});
  box.Ok("FFO_KeywordsAdd", Accessor::Call, {u"harbour"});
  box.Ok("XDPI", Accessor::Put, {int64_t{300}});
  box.Ok("YDPI", Accessor::Put, {int64_t{150}});
  box.Ok("SaveToFile", Accessor::Call, {Wide(dir_.File("kept.psd"))});
  // The size count carries the file info but no resolution block (38 bytes).
  const TCallValue bytes = box.Ok("WriteBinary", Accessor::Call, {int64_t{6}});
  EXPECT_EQ(box.Ok("NewFileSize", Accessor::Call, {int64_t{6}}),
            TCallValue(static_cast<int64_t>(std::get<pictavo::TBytes>(bytes).size() - 38)));

  Box back;
  back.Ok("LoadFromFile", Accessor::Call, {Wide(dir_.File("kept.psd"))});
  EXPECT_EQ(back.Get("FFO_Caption"), TCallValue(std::u16string(u"Quay")));
  EXPECT_EQ(back.Ok("FFO_Keywords", Accessor::Get, {int64_t{0}}),
            TCallValue(std::u16string(u"harbour")));
  EXPECT_EQ(back.Get("XDPI"), TCallValue(int64_t{300}));
  EXPECT_EQ(back.Get("YDPI"), TCallValue(int64_t{150}));
  EXPECT_EQ(back.Get("WasCMYK"), TCallValue(false));  // we write RGB
}

// Files whose data justify their pixels still stay within the process-wide pixel budget.
TEST_F(FormatsControl, EachReaderAsksThePixelBudgetFirst) {
  pictavo::TPSDImage psd;
  pictavo::TPCXImage pcx;
  pictavo::TWBMPImage wbmp;
  const struct {
    plat::TGraphic* codec;
    const char* file;
  } cases[] = {{&psd, "in.psd"}, {&pcx, "in.pcx"}, {&wbmp, "in.wbmp"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    plat::SetPixelBudget(40);  // below each picture, above nothing
    try {
      c.codec->LoadFromFile(dir_.File(c.file));
      ADD_FAILURE() << "loaded";
    } catch (const plat::EImageTooLarge& e) {
      EXPECT_STREQ(e.what(), plat::kImageTooLarge);
    }
    plat::SetPixelBudget(0);
    c.codec->LoadFromFile(dir_.File(c.file));
    EXPECT_FALSE(c.codec->GetEmpty());
  }
}

}  // namespace
}  // namespace velmora_test
