#include "platform/graphics/picture.h"

#include <gtest/gtest.h>

#include "platform/com/variant.h"
#include "platform/graphics/bitmap.h"

namespace plat {
namespace {

using namespace plat::com;

TEST(Picture, OwnedBitmapIsDeletedWithTheLastReference) {
  const int64_t live = LiveHandleCount();
  const THandle h = NewBitmapHandle(TBitmap(96, 48, TPixelFormat::pf24bit));
  {
    ComPtr<IPicture> picture = CreateBitmapPicture(h, true);
    int32_t handle = 0, width = 0, height = 0;
    int16_t type = 0;
    EXPECT_EQ(picture->get_Handle(&handle), S_OK);
    EXPECT_EQ(static_cast<THandle>(handle), h);
    picture->get_Type(&type);
    EXPECT_EQ(type, PICTYPE_BITMAP);
    picture->get_Width(&width);
    picture->get_Height(&height);
    EXPECT_EQ(width, 2540);  // one inch at 96 pixels per inch
    EXPECT_EQ(height, 1270);
    EXPECT_TRUE(BitmapOfHandle(h));
  }
  EXPECT_FALSE(BitmapOfHandle(h));
  EXPECT_EQ(LiveHandleCount(), live);
}

TEST(Picture, BorrowedBitmapStaysAndEmptyPictureHasHandleZero) {
  const THandle h = NewBitmapHandle(TBitmap(2, 2, TPixelFormat::pf8bit));
  CreateBitmapPicture(h, false).Reset();
  EXPECT_TRUE(DeleteBitmapHandle(h));

  ComPtr<IPicture> empty = CreateBitmapPicture(0, true);
  int32_t handle = -1, width = -1;
  empty->get_Handle(&handle);
  empty->get_Width(&width);
  EXPECT_EQ(handle, 0);
  EXPECT_EQ(width, 0);
}

TEST(Picture, AutomationViewAnswersTheHandleByDispatchId) {
  const THandle h = NewBitmapHandle(TBitmap(5, 5, TPixelFormat::pf1bit));
  ComPtr<IPicture> picture = CreateBitmapPicture(h, true);
  ComPtr<IPictureDisp> disp;
  ASSERT_EQ(picture->QueryInterface(IPictureDisp::kIid, reinterpret_cast<void**>(disp.Out())),
            S_OK);
  ComPtr<IDispatch> dispatch;
  ASSERT_EQ(picture->QueryInterface(IDispatch::kIid, reinterpret_cast<void**>(dispatch.Out())),
            S_OK);
  DISPPARAMS none;
  VARIANT result;
  VariantInit(&result);
  ASSERT_EQ(dispatch->Invoke(0, IID{}, 0, DISPATCH_PROPERTYGET, &none, &result, nullptr, nullptr),
            S_OK);
  EXPECT_EQ(result.vt, VT_I4);
  EXPECT_EQ(static_cast<THandle>(result.lVal), h);
  ASSERT_EQ(dispatch->Invoke(3, IID{}, 0, DISPATCH_PROPERTYGET, &none, &result, nullptr, nullptr),
            S_OK);
  EXPECT_EQ(result.iVal, PICTYPE_BITMAP);
  VariantClear(&result);
}

}  // namespace
}  // namespace plat
