#include "platform/graphics/handles.h"

#include <gtest/gtest.h>

#include <set>
#include <thread>
#include <vector>

#include "platform/graphics/bitmap.h"

namespace plat {
namespace {

TEST(Handles, BitmapHandleHoldsASnapshotUntilDeleted) {
  const int64_t live = LiveHandleCount();
  TBitmap source(3, 2, TPixelFormat::pf8bit);
  source.ScanLine(0)[0] = 7;
  const THandle h = NewBitmapHandle(source);
  ASSERT_NE(h, 0u);
  EXPECT_EQ(LiveHandleCount(), live + 1);
  source.ScanLine(0)[0] = 8;  // later changes do not reach the handle

  std::shared_ptr<TBitmap> held = BitmapOfHandle(h);
  ASSERT_TRUE(held);
  EXPECT_EQ(held->ScanLine(0)[0], 7);
  EXPECT_EQ(held->PixelFormat(), TPixelFormat::pf8bit);

  EXPECT_TRUE(DeleteBitmapHandle(h));
  EXPECT_FALSE(DeleteBitmapHandle(h));
  EXPECT_FALSE(BitmapOfHandle(h));
  EXPECT_EQ(held->Width(), 3);  // a bitmap in use outlives its handle
  EXPECT_EQ(LiveHandleCount(), live);
}

TEST(Handles, KindsDoNotMix) {
  const THandle memory = NewMemoryHandle(16);
  const THandle bitmap = NewBitmapHandle(TBitmap(1, 1, TPixelFormat::pf24bit));
  EXPECT_FALSE(BitmapOfHandle(memory));
  EXPECT_FALSE(MemoryOfHandle(bitmap));
  EXPECT_FALSE(DeleteBitmapHandle(memory));
  EXPECT_FALSE(FreeMemoryHandle(bitmap));
  EXPECT_TRUE(FreeMemoryHandle(memory));
  EXPECT_TRUE(DeleteBitmapHandle(bitmap));
  EXPECT_FALSE(BitmapOfHandle(0));
}

TEST(Handles, MemoryBlockHasItsSizeAndIsZeroed) {
  const THandle h = NewMemoryHandle(40);
  std::shared_ptr<TMemoryBlock> block = MemoryOfHandle(h);
  ASSERT_TRUE(block);
  EXPECT_EQ(block->size(), 40u);
  EXPECT_EQ(std::count(block->begin(), block->end(), 0), 40);
  (*block)[3] = 9;
  EXPECT_EQ((*MemoryOfHandle(h))[3], 9);
  EXPECT_TRUE(FreeMemoryHandle(h));
  EXPECT_THROW(NewMemoryHandle(-1), std::exception);
}

TEST(Handles, ConcurrentUseGivesDistinctHandlesAndLeaksNothing) {
  const int64_t live = LiveHandleCount();
  std::vector<std::vector<THandle>> made(4);
  std::vector<std::thread> threads;
  for (auto& list : made)
    threads.emplace_back([&list] {
      for (int i = 0; i < 200; ++i) list.push_back(NewMemoryHandle(i));
    });
  for (auto& t : threads) t.join();
  std::set<THandle> all;
  for (const auto& list : made) all.insert(list.begin(), list.end());
  EXPECT_EQ(all.size(), 800u);
  EXPECT_EQ(all.count(0), 0u);
  for (THandle h : all) EXPECT_TRUE(FreeMemoryHandle(h));
  EXPECT_EQ(LiveHandleCount(), live);
}

TEST(BitmapHandle, ReleasedHandleBelongsToTheCaller) {
  const int64_t live = LiveHandleCount();
  THandle released = 0;
  {
    TBitmap bmp(4, 4, TPixelFormat::pf24bit);
    bmp.ScanLine(2)[1] = 5;
    released = bmp.ReleaseHandle();
  }
  ASSERT_TRUE(BitmapOfHandle(released));
  EXPECT_EQ(BitmapOfHandle(released)->ScanLine(2)[1], 5);
  EXPECT_TRUE(DeleteBitmapHandle(released));
  EXPECT_EQ(LiveHandleCount(), live);
}

TEST(BitmapHandle, TakenHandleIsDeletedWithTheBitmap) {
  const int64_t live = LiveHandleCount();
  const THandle h = NewBitmapHandle(TBitmap(6, 2, TPixelFormat::pf4bit));
  {
    TBitmap taker;
    taker.SetHandle(h);
    EXPECT_EQ(taker.Width(), 6);
    EXPECT_EQ(taker.PixelFormat(), TPixelFormat::pf4bit);
    EXPECT_EQ(taker.GetHandle(), h);
  }
  EXPECT_FALSE(BitmapOfHandle(h));
  EXPECT_EQ(LiveHandleCount(), live);
}

TEST(BitmapHandle, GetHandleFollowsTheCurrentImage) {
  TBitmap bmp(2, 2, TPixelFormat::pf24bit);
  const THandle h = bmp.GetHandle();
  bmp.SetSize(5, 1);
  EXPECT_EQ(bmp.GetHandle(), h);
  EXPECT_EQ(BitmapOfHandle(h)->Width(), 5);
}

TEST(BitmapHandle, ValueThatIsNoBitmapLeavesAnEmptyBitmapAndIsNotTaken) {
  const THandle memory = NewMemoryHandle(8);
  TBitmap bmp(3, 3, TPixelFormat::pf24bit);
  bmp.SetHandle(memory);
  EXPECT_EQ(bmp.Width(), 0);
  bmp.SetHandle(0);
  EXPECT_TRUE(MemoryOfHandle(memory));
  EXPECT_TRUE(FreeMemoryHandle(memory));
}

}  // namespace
}  // namespace plat
