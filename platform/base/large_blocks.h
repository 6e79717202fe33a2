#pragma once
// Storage for large pixel and file buffers. A fresh buffer of tens of megabytes costs one page
// fault per 4 KiB page the first time it is touched, and on a virtual machine those faults can
// take longer than the decoding that fills the buffer. Large blocks are therefore aligned to and
// offered as 2 MiB pages where the system allows (one fault per 2 MiB); small ones come from the
// ordinary heap.
#include <cstddef>
#include <cstdint>
#include <new>
#include <vector>

namespace plat {

// Blocks of at least this many bytes are taken as large pages where the system allows.
inline constexpr size_t kLargeBlockBytes = size_t{4} << 20;

void* AllocateBlock(size_t bytes);
void FreeBlock(void* block, size_t bytes);

// Leaves the new elements of a sized construction or a resize unset, as a block about to be
// overwritten (a file read into it, a decoder's rows) should not be cleared first: the clearing
// costs as much as the writing. Code that wants zeros asks for them with a value.
template <class T>
struct TLargeBlockAllocator {
  using value_type = T;
  TLargeBlockAllocator() = default;
  template <class U>
  TLargeBlockAllocator(const TLargeBlockAllocator<U>&) {}
  T* allocate(size_t n) { return static_cast<T*>(AllocateBlock(n * sizeof(T))); }
  void deallocate(T* block, size_t n) { FreeBlock(block, n * sizeof(T)); }
  template <class U>
  void construct(U* p) {
    ::new (static_cast<void*>(p)) U;
  }
  friend bool operator==(const TLargeBlockAllocator&, const TLargeBlockAllocator&) { return true; }
};

using TLargeBytes = std::vector<uint8_t, TLargeBlockAllocator<uint8_t>>;

}  // namespace plat
