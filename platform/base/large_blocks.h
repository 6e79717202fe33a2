#pragma once
// Storage for large pixel and file buffers. A fresh buffer of tens of megabytes costs one page
// fault per 4 KiB page the first time it is touched, and on a virtual machine those faults can
// take longer than the decoding that fills the buffer. Large blocks are therefore aligned to and
// offered as 2 MiB pages where the system allows (one fault per 2 MiB); small ones come from the
// ordinary heap.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace plat {

// Blocks of at least this many bytes are taken as large pages where the system allows.
inline constexpr size_t kLargeBlockBytes = size_t{4} << 20;

void* AllocateBlock(size_t bytes);
void FreeBlock(void* block, size_t bytes);

template <class T>
struct TLargeBlockAllocator {
  using value_type = T;
  TLargeBlockAllocator() = default;
  template <class U>
  TLargeBlockAllocator(const TLargeBlockAllocator<U>&) {}
  T* allocate(size_t n) { return static_cast<T*>(AllocateBlock(n * sizeof(T))); }
  void deallocate(T* block, size_t n) { FreeBlock(block, n * sizeof(T)); }
  friend bool operator==(const TLargeBlockAllocator&, const TLargeBlockAllocator&) { return true; }
};

using TLargeBytes = std::vector<uint8_t, TLargeBlockAllocator<uint8_t>>;

}  // namespace plat
