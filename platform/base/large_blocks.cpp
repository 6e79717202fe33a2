#include "platform/base/large_blocks.h"

#include <sys/mman.h>

#include <cstdlib>
#include <new>

namespace plat {

namespace {

constexpr size_t kLargePage = size_t{2} << 20;

size_t RoundedToLargePages(size_t bytes) {
  return (bytes + kLargePage - 1) / kLargePage * kLargePage;
}

}  // namespace

void* AllocateBlock(size_t bytes) {
  if (bytes < kLargeBlockBytes) return ::operator new(bytes);
  const size_t rounded = RoundedToLargePages(bytes);
  void* block = std::aligned_alloc(kLargePage, rounded);
  if (block == nullptr) throw std::bad_alloc();
  // Only advice: where large pages are off or used up the block simply stays in small pages.
  ::madvise(block, rounded, MADV_HUGEPAGE);
  return block;
}

void FreeBlock(void* block, size_t bytes) {
  if (bytes < kLargeBlockBytes)
    ::operator delete(block);
  else
    std::free(block);
}

}  // namespace plat
