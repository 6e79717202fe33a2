#include "platform/base/large_blocks.h"

#include <sys/mman.h>

#include <cstdint>
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

// The last two large blocks freed are kept for the next requests of their sizes: images opened
// one after another (a batch, a slide show, stepping through a folder) then reuse pages already
// faulted in instead of asking the kernel for fresh, zeroed ones each time. Two, because opening
// a file holds two large blocks at once, its bytes and its pixels. None above this size, so an
// idle program holds little.
constexpr size_t kKeptBlockLimit = size_t{64} << 20;

class TKeptBlocks {
 public:
  void* Take(size_t rounded) {
    std::lock_guard lock(mutex_);
    for (TSlot& slot : slots_)
      if (slot.block != nullptr && slot.rounded == rounded) {
        slot.rounded = 0;
        return std::exchange(slot.block, nullptr);
      }
    return nullptr;
  }
  // Keeps block in an empty slot, or in place of the one kept longest.
  void Keep(void* block, size_t rounded) {
    void* previous = nullptr;
    {
      std::lock_guard lock(mutex_);
      TSlot* slot = slots_[0].age <= slots_[1].age ? &slots_[0] : &slots_[1];
      for (TSlot& empty : slots_)
        if (empty.block == nullptr) slot = &empty;
      previous = std::exchange(slot->block, block);
      slot->rounded = rounded;
      slot->age = ++age_;
    }
    std::free(previous);
  }

 private:
  struct TSlot {
    void* block = nullptr;
    size_t rounded = 0;
    uint64_t age = 0;
  };
  std::mutex mutex_;
  TSlot slots_[2];
  uint64_t age_ = 0;
};

TKeptBlocks& KeptBlocks() {
  static TKeptBlocks kept;
  return kept;
}

}  // namespace

void* AllocateBlock(size_t bytes) {
  if (bytes < kLargeBlockBytes) return ::operator new(bytes);
  const size_t rounded = RoundedToLargePages(bytes);
  if (void* kept = KeptBlocks().Take(rounded)) return kept;
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
    KeptBlocks().Keep(block, rounded);
  else
    std::free(block);
}

}  // namespace plat
