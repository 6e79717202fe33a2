#pragma once
// Two small engine classes: a growable list of UTF-16 strings (the multi-line text code splits a
// text into lines with it) and a fixed open-addressing table from colour to palette index.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace pictavo {

class TWideStringList {
 public:
  void Add(const std::u16string& s);
  // The string at index 0 .. Count - 1; any other index raises plat::EListError.
  const std::u16string& Get(int index) const;
  void Clear();
  int Count() const { return static_cast<int>(items_.size()); }

 private:
  std::vector<std::u16string> items_;
};

// 4096 slots with linear probing; entries are never removed or replaced, so with duplicate keys
// the one added first is found (the palette remapping relies on that: the lowest index wins).
class TSimpleHash {
 public:
  static constexpr int kSlots = 4096;

  // Stores the pair in the first free slot from the key's home slot. False when every slot is
  // taken: the table does not grow, and probing a full table would otherwise never end.
  bool Add(int32_t key, int32_t value);
  // The value of the first entry with that key, or -1 when there is none.
  int32_t Find(int32_t key) const;

 private:
  struct Slot {
    int32_t key = 0;
    int32_t value = 0;
    uint8_t used = 0;
  };
  // Negative keys are masked like the others, so every key has a home inside the table.
  static int HomeSlot(int32_t key) {
    return static_cast<int>(static_cast<uint32_t>(key) & (kSlots - 1));
  }

  std::array<Slot, kSlots> slots_{};
};

}  // namespace pictavo
