#include "platform/graphics/handles.h"

#include <mutex>
#include <unordered_map>
#include <variant>

#include "platform/base/exceptions.h"
#include "platform/graphics/bitmap.h"

namespace plat {

namespace {

using Entry = std::variant<std::shared_ptr<TBitmap>, std::shared_ptr<TMemoryBlock>>;

class HandleTable {
 public:
  THandle Add(Entry entry) {
    std::lock_guard lock(mutex_);
    // Numbers are handed out in turn, so a deleted handle is not soon mistaken for a new one.
    do {
      ++last_;
    } while (last_ == 0 || entries_.count(last_) != 0);
    entries_.emplace(last_, std::move(entry));
    return last_;
  }

  template <typename T>
  std::shared_ptr<T> Find(THandle handle) {
    std::lock_guard lock(mutex_);
    auto it = entries_.find(handle);
    if (it == entries_.end()) return nullptr;
    auto* held = std::get_if<std::shared_ptr<T>>(&it->second);
    return held ? *held : nullptr;
  }

  template <typename T>
  bool Remove(THandle handle) {
    std::shared_ptr<T> released;  // destroyed outside the lock
    std::lock_guard lock(mutex_);
    auto it = entries_.find(handle);
    if (it == entries_.end() || !std::holds_alternative<std::shared_ptr<T>>(it->second))
      return false;
    released = std::get<std::shared_ptr<T>>(std::move(it->second));
    entries_.erase(it);
    return true;
  }

  int64_t Count() {
    std::lock_guard lock(mutex_);
    return static_cast<int64_t>(entries_.size());
  }

 private:
  std::mutex mutex_;
  std::unordered_map<THandle, Entry> entries_;
  THandle last_ = 0;
};

HandleTable& Table() {
  static HandleTable table;
  return table;
}

}  // namespace

THandle NewBitmapHandle(const TBitmap& bitmap) {
  return Table().Add(std::make_shared<TBitmap>(bitmap));
}

std::shared_ptr<TBitmap> BitmapOfHandle(THandle handle) {
  return Table().Find<TBitmap>(handle);
}

bool DeleteBitmapHandle(THandle handle) {
  return Table().Remove<TBitmap>(handle);
}

THandle NewMemoryHandle(int64_t size) {
  if (size < 0 || size > kMaxMemoryBlock) throw EOutOfMemory("Out of memory");
  return Table().Add(std::make_shared<TMemoryBlock>(static_cast<size_t>(size), 0));
}

std::shared_ptr<TMemoryBlock> MemoryOfHandle(THandle handle) {
  return Table().Find<TMemoryBlock>(handle);
}

bool FreeMemoryHandle(THandle handle) {
  return Table().Remove<TMemoryBlock>(handle);
}

int64_t LiveHandleCount() {
  return Table().Count();
}

}  // namespace plat
