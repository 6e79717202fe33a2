// The raster members of IImageBox reach their operations through the member frame.
#include <gtest/gtest.h>

#include "activex/member_client.h"
#include "control/activex/imagebox.h"

namespace pictavo {
namespace {

using velmora_test::MemberCall;
using velmora_test::TCallValue;
using velmora_test::TestImageBox;

class RasterMembers : public ::testing::Test {
 protected:
  MemberCall Invoke(const char* name, Accessor accessor, std::vector<TCallValue> args = {}) {
    MemberCall call;
    call.args = std::move(args);
    call.outs.resize(FindMember(name)->param_count);
    const MemberOutcome outcome = box.Invoke(*FindMember(name), accessor, call);
    EXPECT_EQ(outcome.hresult, kSOk) << name << ": " << outcome.message;
    return call;
  }
  MemberCall Call(const char* name, std::vector<TCallValue> args = {}) {
    return Invoke(name, Accessor::Call, std::move(args));
  }
  TCallValue Get(const char* name) { return Invoke(name, Accessor::Get).result; }
  void Put(const char* name, TCallValue value) { Invoke(name, Accessor::Put, {std::move(value)}); }

  // A w x h image in the brush colour.
  void NewImage(int w, int h, plat::TColor colour) {
    Put("BrushColor", int64_t{colour});
    Call("NewImage", {int64_t{w}, int64_t{h}});
  }
  plat::TColor Pixel(int x, int y) { return box.View().CurrentImage()->PixelColor(x, y); }

  TestImageBox box;
};

TEST_F(RasterMembers, ToneAndFiltersChangeThePixels) {
  NewImage(3, 3, plat::RGB(200, 100, 50));
  Call("Brightness", {int64_t{0}, true, true, true});
  EXPECT_EQ(Pixel(1, 1), plat::RGB(72, 0, 0));
  Call("Contrast", {int64_t{50}, true, true, true});
  EXPECT_EQ(Pixel(1, 1), plat::RGB(72, 0, 0));
  Call("SharpenBy", {int64_t{11}});
  Call("BlurBy", {int64_t{0}});
  Call("Sharpen");
  Call("Blur");
  EXPECT_EQ(Pixel(1, 1), plat::RGB(72, 0, 0));  // a uniform image stays uniform
}

TEST_F(RasterMembers, GeometryFollowsResampleFilterTypeAndBGColor) {
  NewImage(200, 100, plat::RGB(10, 20, 30));
  Put("FilterType", int64_t{5});
  Put("Resample", true);
  Call("ResizeImage", {int64_t{0}, int64_t{50}});
  EXPECT_EQ(Get("ImageWidth"), TCallValue(int64_t{100}));
  EXPECT_EQ(Get("ImageHeight"), TCallValue(int64_t{50}));
  Put("BGColor", int64_t{plat::RGB(0, 0, 255)});
  Call("Rotate", {90.0});
  EXPECT_EQ(Get("ImageWidth"), TCallValue(int64_t{50}));
  Put("Resample", false);  // unsmoothed: the corners take the fill exactly
  Call("Rotate", {45.0});
  EXPECT_EQ(Pixel(0, 0), plat::RGB(0, 0, 255));
  Call("Crop", {int64_t{0}, int64_t{0}, int64_t{9}, int64_t{4}});
  EXPECT_EQ(Get("ImageWidth"), TCallValue(int64_t{10}));
  Call("Flip", {int64_t{1}});
  EXPECT_EQ(Get("ImageHeight"), TCallValue(int64_t{5}));
}

TEST_F(RasterMembers, SelectionMembers) {
  NewImage(100, 50, plat::RGB(200, 100, 60));
  EXPECT_EQ(Get("SelectionType"), TCallValue(int64_t{0}));
  Put("UseSelection", true);
  EXPECT_EQ(Get("UseSelection"), TCallValue(false));

  Call("SelectRectangle", {int64_t{-5}, int64_t{10}, int64_t{1000}, int64_t{20}});
  EXPECT_EQ(Get("SelectionType"), TCallValue(int64_t{1}));
  const MemberCall coords =
      Call("GetSelectionCoords", {int64_t{0}, int64_t{0}, int64_t{0}, int64_t{0}});
  EXPECT_EQ(coords.outs,
            (std::vector<TCallValue>{int64_t{0}, int64_t{10}, int64_t{99}, int64_t{20}}));
  EXPECT_EQ(Get("SelectionX2"), TCallValue(int64_t{99}));
  EXPECT_EQ(Get("SelectionY1"), TCallValue(int64_t{10}));

  Put("UseSelection", true);
  EXPECT_EQ(Get("UseSelection"), TCallValue(true));
  Call("ReduceRedEye");
  EXPECT_EQ(Pixel(5, 15), plat::RGB(80, 60, 100));
  EXPECT_EQ(Pixel(5, 5), plat::RGB(200, 100, 60));

  Call("SelectEllipse", {int64_t{0}, int64_t{0}, int64_t{10}, int64_t{10}});
  EXPECT_EQ(Get("SelectionType"), TCallValue(int64_t{2}));
  Call("CancelSelection");
  EXPECT_EQ(Get("SelectionType"), TCallValue(int64_t{0}));
  EXPECT_EQ(Get("SelectionX2"), TCallValue(int64_t{0}));
  Call("CropToSelection");  // the last selection's bounds
  EXPECT_EQ(Get("ImageWidth"), TCallValue(int64_t{11}));
  EXPECT_EQ(Get("ImageHeight"), TCallValue(int64_t{11}));
}

}  // namespace
}  // namespace pictavo
