// TIFF through the control: loading by first byte with ReadImageNumber selecting the page,
// saving by extension with the Compression property, and the page-count members.
#include <gtest/gtest.h>

#include "activex/member_client.h"
#include "control/activex/imagebox.h"
#include "tiff/tiff_helpers.h"

namespace velmora_test {
namespace {

using pictavo::Accessor;
using pictavo::MemberOutcome;

MemberOutcome Invoke(TestImageBox& box, const char* name, Accessor accessor,
                     std::vector<TCallValue> args, TCallValue* result = nullptr) {
  MemberCall call;
  call.args = std::move(args);
  call.outs.resize(call.args.size());
  MemberOutcome outcome = box.Invoke(*pictavo::FindMember(name), accessor, call);
  if (result) *result = call.result;
  return outcome;
}

std::u16string Wide(const std::string& s) {
  return std::u16string(s.begin(), s.end());
}

class TiffControl : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(WritePageFiles(dir_));
    ASSERT_TRUE(Shell(dir_, "tiffcp a.tif c.tif two.tif"));
  }
  int64_t Count(TestImageBox& box, const std::string& name, std::string* error = nullptr) {
    TCallValue result;
    MemberOutcome outcome = Invoke(box, "ImageCount", Accessor::Get, {Wide(name)}, &result);
    if (error) *error = outcome.message;
    return outcome.hresult == pictavo::kSOk ? std::get<int64_t>(result) : -1;
  }
  ScratchDir dir_;
};

TEST_F(TiffControl, ReadImageNumberSelectsThePageOfEachLoad) {
  TestImageBox box;
  const int widths[] = {173, 53, 47};
  for (int page = 1; page <= 3; ++page) {
    ASSERT_EQ(Invoke(box, "ReadImageNumber", Accessor::Put, {int64_t{page}}).hresult,
              pictavo::kSOk);
    ASSERT_EQ(Invoke(box, "LoadFromFile", Accessor::Call, {Wide(dir_.File("three.tif"))}).hresult,
              pictavo::kSOk);
    TCallValue width;
    Invoke(box, "ImageWidth", Accessor::Get, {}, &width);
    EXPECT_EQ(width, TCallValue(int64_t{widths[page - 1]}));
  }
  Invoke(box, "ReadImageNumber", Accessor::Put, {int64_t{4}});
  MemberOutcome missing =
      Invoke(box, "LoadFromFile", Accessor::Call, {Wide(dir_.File("three.tif"))});
  EXPECT_EQ(missing.hresult, pictavo::kEUnexpected);
  EXPECT_EQ(missing.message, "TIFF file error - cannot find requested page");
}

TEST_F(TiffControl, SavesByExtensionWithTheCompressionProperty) {
  TestImageBox box;
  ASSERT_EQ(Invoke(box, "LoadFromFile", Accessor::Call, {Wide(dir_.File("c.tif"))}).hresult,
            pictavo::kSOk);
  const struct {
    int64_t code;
    const char* scheme;
    const char* photometric;
  } cases[] = {
      {0, "None", "RGB color"}, {1, "PackBits", "RGB color"}, {2, "CCITT Group 4", "min-is-white"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.scheme);
    ASSERT_EQ(Invoke(box, "Compression", Accessor::Put, {c.code}).hresult, pictavo::kSOk);
    const std::string out = dir_.File("out.TIFF");
    ASSERT_EQ(Invoke(box, "SaveToFile", Accessor::Call, {Wide(out)}).hresult, pictavo::kSOk);
    const std::string info = Capture("tiffinfo '" + out + "' 2>&1");
    EXPECT_NE(info.find(std::string("Compression Scheme: ") + c.scheme), std::string::npos) << info;
    EXPECT_NE(info.find(c.photometric), std::string::npos) << info;
  }
  // The Group 4 save left the image black and white; it reads back as such.
  ASSERT_EQ(Invoke(box, "LoadFromFile", Accessor::Call, {Wide(dir_.File("out.TIFF"))}).hresult,
            pictavo::kSOk);
  TCallValue compression, format;
  Invoke(box, "Compression", Accessor::Get, {}, &compression);
  Invoke(box, "ColorFormat", Accessor::Get, {}, &format);
  EXPECT_EQ(compression, TCallValue(int64_t{2}));
  EXPECT_EQ(format, TCallValue(int64_t{6}));
}

TEST_F(TiffControl, ImageCountAndImageCountBinary) {
  TestImageBox box;
  EXPECT_EQ(Count(box, dir_.File("three.tif")), 3);
  WriteBytes(dir_.File("photo.JPG"), {0xFF, 0xD8});
  EXPECT_EQ(Count(box, dir_.File("photo.JPG")), 1);
  std::string error;
  EXPECT_EQ(Count(box, dir_.File("x.png"), &error), -1);
  EXPECT_EQ(error, "File not found");
  WriteBytes(dir_.File("doc.pdf"), {'%', 'P'});
  EXPECT_EQ(Count(box, dir_.File("doc.pdf"), &error), -1);
  EXPECT_EQ(error, "File is not a recognised graphics format");

  const pictavo::TBytes two = ReadBytes(dir_.File("two.tif"));
  TCallValue pages;
  ASSERT_EQ(Invoke(box, "ImageCountBinary", Accessor::Get, {int64_t{7}, two}, &pages).hresult,
            pictavo::kSOk);
  EXPECT_EQ(pages, TCallValue(int64_t{2}));
  Invoke(box, "ImageCountBinary", Accessor::Get, {int64_t{2}, two}, &pages);
  EXPECT_EQ(pages, TCallValue(int64_t{1}));
  MemberOutcome notTiff = Invoke(box, "ImageCountBinary", Accessor::Get,
                                 {int64_t{7}, pictavo::TBytes{'B', 'M', 0, 0, 0, 0, 0, 0}});
  EXPECT_EQ(notTiff.message, "Data is not in TIFF format");
}

}  // namespace
}  // namespace velmora_test
