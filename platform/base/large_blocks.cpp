#include "platform/base/large_blocks.h"

#include <sys/mman.h>

#include <cstdlib>
#include <mutex>
#include <new>
#include <utility>

namespace plat {

namespace {

constexpr size_t kLargePage = size_t{2} << 20;

size_t RoundedToLargePages(size_t bytes) {
  return (bytes + kLargePage - 1) / kLargePage * kLargePage;
}

// The last large block freed is kept for the next request of its size: images opened one after
// another (a batch, a slide show, stepping through a folder) then reuse pages already faulted in
// instead of asking the kernel for fresh, zeroed ones each time. Only one block, and none above
// this size, so an idle program holds little.
constexpr size_t kKeptBlockLimit = size_t{64} << 20;

class TKeptBlock {
 public:
  void* Take(size_t rounded) {
    std::lock_guard lock(mutex_);
    if (rounded != rounded_) return nullptr;
    rounded_ = 0;
    return std::exchange(block_, nullptr);
  }
  void Keep(void* block, size_t rounded) {
    void* previous = nullptr;
    {
      std::lock_guard lock(mutex_);
      previous = std::exchange(block_, block);
      rounded_ = rounded;
    }
    std::free(previous);
  }

 private:
  std::mutex mutex_;
  void* block_ = nullptr;
  size_t rounded_ = 0;
};

TKeptBlock& KeptBlock() {
  static TKeptBlock kept;
  return kept;
}

}  // namespace

void* AllocateBlock(size_t bytes) {
  if (bytes < kLargeBlockBytes) return ::operator new(bytes);
  const size_t rounded = RoundedToLargePages(bytes);
  if (void* kept = KeptBlock().Take(rounded)) return kept;
  void* block = std::aligned_alloc(kLargePage, rounded);
  if (block == nullptr) throw std::bad_alloc();
  // Only advice: where large pages are off or used up the block simply stays in small pages.
  ::madvise(block, rounded, MADV_HUGEPAGE);
  return block;
}

void FreeBlock(void* block, size_t bytes) {
  const size_t rounded = RoundedToLargePages(bytes);
  if (bytes < kLargeBlockBytes)
    ::operator delete(block);
  else if (rounded <= kKeptBlockLimit)
    KeptBlock().Keep(block, rounded);
  else
    std::free(block);
}

}  // namespace plat
