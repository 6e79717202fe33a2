#include "control/engine/raster/pvclasses.h"

#include "platform/base/exceptions.h"

namespace pictavo {

void TWideStringList::Add(const std::u16string& s) {
  items_.push_back(s);
}

const std::u16string& TWideStringList::Get(int index) const {
  if (index < 0 || index >= Count())
    throw plat::EListError("List index out of bounds (" + std::to_string(index) + ")");
  return items_[static_cast<size_t>(index)];
}

void TWideStringList::Clear() {
  items_.clear();
}

bool TSimpleHash::Add(int32_t key, int32_t value) {
  int slot = HomeSlot(key);
  for (int probes = 0; probes < kSlots; ++probes, slot = (slot + 1) & (kSlots - 1)) {
    if (slots_[slot].used == 1) continue;
    slots_[slot] = {key, value, 1};
    return true;
  }
  return false;
}

int32_t TSimpleHash::Find(int32_t key) const {
  int slot = HomeSlot(key);
  for (int probes = 0; probes < kSlots; ++probes, slot = (slot + 1) & (kSlots - 1)) {
    if (slots_[slot].used != 1) return -1;
    if (slots_[slot].key == key) return slots_[slot].value;
  }
  return -1;
}

}  // namespace pictavo
