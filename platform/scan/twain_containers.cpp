#include "platform/scan/twain_containers.h"

#include <cmath>
#include <cstring>

#include "platform/graphics/handles.h"

namespace plat::scan {

namespace {

size_t ItemSize(TW_UINT16 item_type) {
  return item_type == TWTY_FIX32 || item_type == TWTY_UINT32 || item_type == TWTY_INT32 ? 4 : 2;
}

template <class Head>
TW_UINT16 Reply(TW_CAPABILITY& capability, TW_UINT16 con_type, const Head& head,
                TW_UINT16 item_type, const std::vector<TW_UINT32>& items) {
  const size_t size = ItemSize(item_type);
  capability.ConType = con_type;
  capability.hContainer = NewMemoryHandle(static_cast<int64_t>(sizeof head + items.size() * size));
  uint8_t* at = MemoryOfHandle(capability.hContainer)->data();
  std::memcpy(at, &head, sizeof head);
  at += sizeof head;
  for (const TW_UINT32 item : items) {
    // Items are little-endian, as on the platform TWAIN was made for and on ours.
    std::memcpy(at, &item, size);
    at += size;
  }
  return TWRC_SUCCESS;
}

}  // namespace

TW_UINT16 ReplyOneValue(TW_CAPABILITY& capability, TW_UINT16 item_type, TW_UINT32 item) {
  return Reply(capability, TWON_ONEVALUE, TW_ONEVALUE{item_type, item}, item_type, {});
}

TW_UINT16 ReplyEnumeration(TW_CAPABILITY& capability, TW_UINT16 item_type,
                           const std::vector<TW_UINT32>& items, TW_UINT32 current_index) {
  const TW_ENUMERATION head{item_type, static_cast<TW_UINT32>(items.size()), current_index,
                            current_index};
  return Reply(capability, TWON_ENUMERATION, head, item_type, items);
}

TW_UINT16 ReplyRange(TW_CAPABILITY& capability, TW_UINT16 item_type, TW_UINT32 min, TW_UINT32 max,
                     TW_UINT32 step, TW_UINT32 current) {
  return Reply(capability, TWON_RANGE, TW_RANGE{item_type, min, max, step, current, current},
               item_type, {});
}

std::optional<TW_ONEVALUE> SetValue(const TW_CAPABILITY& capability) {
  const auto block = MemoryOfHandle(capability.hContainer);
  if (capability.ConType != TWON_ONEVALUE || !block || block->size() < sizeof(TW_ONEVALUE))
    return std::nullopt;
  TW_ONEVALUE one{};
  std::memcpy(&one, block->data(), sizeof one);
  if (ItemSize(one.ItemType) == 2) one.Item &= 0xFFFF;
  return one;
}

TW_UINT32 Fix32Of(double value) {
  const auto scaled = static_cast<int64_t>(std::nearbyint(value * 65536.0));
  const auto whole = static_cast<int16_t>(scaled >> 16);
  const auto frac = static_cast<uint16_t>(scaled & 0xFFFF);
  return static_cast<uint16_t>(whole) | (TW_UINT32{frac} << 16);
}

double ValueOfFix32(TW_UINT32 packed) {
  return static_cast<int16_t>(packed & 0xFFFF) + static_cast<uint16_t>(packed >> 16) / 65536.0;
}

TW_FIX32 Fix32Field(double value) {
  const TW_UINT32 packed = Fix32Of(value);
  return {static_cast<TW_INT16>(packed & 0xFFFF), static_cast<TW_UINT16>(packed >> 16)};
}

double ValueOfFix32Field(const TW_FIX32& fix) {
  return ValueOfFix32(static_cast<uint16_t>(fix.Whole) | (TW_UINT32{fix.Frac} << 16));
}

}  // namespace plat::scan
