// Large pixel buffers: small and large blocks hold what is written to them, a vector growing
// across the threshold keeps its bytes, and large blocks start on a 2 MiB boundary (the
// alignment large pages need); the last two large blocks freed are taken again; blocks of two sizes
// freed and taken again by several threads at once each hold their whole size (the sanitizer build
// checks every byte written).
#include <gtest/gtest.h>

#include <cstdint>
#include <thread>
#include <vector>

#include "platform/base/large_blocks.h"

namespace plat {
namespace {

TEST(LargeBlocks, BlocksOnEitherSideOfTheThresholdHoldTheirBytes) {
  for (size_t bytes : {size_t{1}, size_t{4096}, kLargeBlockBytes - 1, kLargeBlockBytes,
                       kLargeBlockBytes * 3 + 17}) {
    SCOPED_TRACE(bytes);
    TLargeBytes block(bytes, 0);
    for (size_t i = 0; i < bytes; i += 4093) block[i] = static_cast<uint8_t>(i * 7);
    block.back() = 0xA5;
    for (size_t i = 0; i + 1 < bytes; i += 4093) ASSERT_EQ(block[i], static_cast<uint8_t>(i * 7));
    EXPECT_EQ(block.back(), 0xA5);
    if (bytes >= kLargeBlockBytes) {
      EXPECT_EQ(reinterpret_cast<uintptr_t>(block.data()) % (uintptr_t{2} << 20), 0u);
    }
  }
}

TEST(LargeBlocks, GrowingAcrossTheThresholdKeepsTheBytes) {
  TLargeBytes grown;
  for (size_t i = 0; i < kLargeBlockBytes + 4096; ++i)
    grown.push_back(static_cast<uint8_t>(i % 251));
  for (size_t i = 0; i < grown.size(); i += 997) ASSERT_EQ(grown[i], i % 251) << i;
  const TLargeBytes copy = grown;
  EXPECT_EQ(copy, grown);
}

// Opening one file after another frees and takes two large blocks each time, the file's bytes
// and its pixels: both come back, so neither pays for fresh pages again.
TEST(LargeBlocks, TheLastTwoFreedBlocksAreTakenAgain) {
  const size_t fileBytes = kLargeBlockBytes * 5, pixelBytes = kLargeBlockBytes * 6;
  void* file = AllocateBlock(fileBytes);
  void* pixels = AllocateBlock(pixelBytes);
  FreeBlock(file, fileBytes);
  FreeBlock(pixels, pixelBytes);
  void* pixelsAgain = AllocateBlock(pixelBytes);
  void* fileAgain = AllocateBlock(fileBytes);
  EXPECT_EQ(fileAgain, file);
  EXPECT_EQ(pixelsAgain, pixels);
  FreeBlock(fileAgain, fileBytes);
  FreeBlock(pixelsAgain, pixelBytes);
}

TEST(LargeBlocks, ThreadsTakingAndFreeingBlocksKeepTheirOwnBytes) {
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([t] {
      for (int round = 0; round < 50; ++round) {
        const size_t bytes =
            kLargeBlockBytes + static_cast<size_t>((round + t) % 2) * (size_t{2} << 20);
        TLargeBytes block(bytes, static_cast<uint8_t>(t));
        block[bytes / 2] = static_cast<uint8_t>(t + 1);
        ASSERT_EQ(block.front(), t);
        ASSERT_EQ(block[bytes / 2], t + 1);
        ASSERT_EQ(block.back(), t);
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
}

}  // namespace
}  // namespace plat
