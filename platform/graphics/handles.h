#pragma once
// The process-wide table of handles: small 32-bit numbers that stand for bitmaps and for sized
// memory blocks when an image is exchanged with a host (bitmap handles, packed DIBs in global
// memory). A handle lives until it is deleted explicitly; what it refers to is reference
// counted, so a bitmap or block taken from the table stays valid while it is used even if the
// handle is deleted meanwhile. The table is safe to use from several threads.
#include <cstdint>
#include <memory>
#include <vector>

namespace plat {

class TBitmap;

using THandle = uint32_t;  // 0 is never a valid handle

// A new bitmap handle holding a shared copy of bitmap (copy on write: later changes to either
// side do not reach the other).
THandle NewBitmapHandle(const TBitmap& bitmap);
// The bitmap behind a handle; nullptr when the handle is not a live bitmap handle.
std::shared_ptr<TBitmap> BitmapOfHandle(THandle handle);
// Deletes a bitmap handle; false when it is not a live bitmap handle.
bool DeleteBitmapHandle(THandle handle);

using TMemoryBlock = std::vector<uint8_t>;

// A new memory handle for a zero-filled block of size bytes. Raises EOutOfMemory for blocks
// larger than kMaxMemoryBlock.
THandle NewMemoryHandle(int64_t size);
constexpr int64_t kMaxMemoryBlock = int64_t{1} << 31;
// The block behind a handle (its size is the block's size); nullptr when the handle is not a
// live memory handle.
std::shared_ptr<TMemoryBlock> MemoryOfHandle(THandle handle);
// Frees a memory handle; false when it is not a live memory handle.
bool FreeMemoryHandle(THandle handle);

// Number of live handles of both kinds: lets tests prove that nothing leaks.
int64_t LiveHandleCount();

}  // namespace plat
