#include "control/engine/twain/cap_container.h"

#include <cmath>
#include <string_view>

#include "platform/base/byte_cursor.h"
#include "platform/scan/twain_types.h"

namespace pictavo {

namespace {

using namespace plat::scan;

struct ShortContainer {};

[[noreturn]] void RaiseShort(std::string_view) {
  throw ShortContainer{};
}

int ItemSize(uint16_t item_type) {
  switch (item_type) {
    case TWTY_INT8:
    case TWTY_UINT8:
      return 1;
    case TWTY_INT16:
    case TWTY_UINT16:
    case TWTY_BOOL:
      return 2;
    case TWTY_INT32:
    case TWTY_UINT32:
    case TWTY_FIX32:
      return 4;
    default:
      return 0;
  }
}

uint32_t ReadItem(plat::TByteCursor& cursor, int size) {
  if (size == 1) return cursor.Byte();
  if (size == 2) return cursor.Word();
  return cursor.DWord();
}

void ReadEnumeration(plat::TByteCursor& cursor, TCapReply& reply) {
  const uint32_t count = cursor.DWord();
  reply.CurrentIndex = cursor.DWord();
  cursor.DWord();  // default index
  const int size = ItemSize(reply.ItemType);
  if (size == 0) return;
  // The count is only believed as far as the block holds items.
  if (!cursor.Holds(cursor.Position(), uint64_t{count} * static_cast<uint64_t>(size)))
    RaiseShort({});
  reply.Items.reserve(count);
  for (uint32_t i = 0; i < count; ++i) reply.Items.push_back(ReadItem(cursor, size));
}

void ReadRange(plat::TByteCursor& cursor, TCapReply& reply) {
  reply.MinValue = cursor.DWord();
  reply.MaxValue = cursor.DWord();
  reply.StepSize = cursor.DWord();
  cursor.DWord();  // default value
  reply.CurrentValue = cursor.DWord();
}

}  // namespace

TCapReply ReadCapContainer(uint16_t con_type, std::span<const uint8_t> block) {
  TCapReply reply;
  plat::TByteCursor cursor(block, RaiseShort, /*big_endian=*/false);
  try {
    reply.ItemType = cursor.Word();
    switch (con_type) {
      case TWON_ONEVALUE:
        reply.Items.push_back(cursor.DWord());
        break;
      case TWON_ENUMERATION:
        ReadEnumeration(cursor, reply);
        break;
      case TWON_RANGE:
        ReadRange(cursor, reply);
        break;
      default:
        return {};
    }
  } catch (const ShortContainer&) {
    return {};
  }
  reply.ConType = con_type;
  return reply;
}

double Fix32ToDouble(uint32_t packed) {
  const auto whole = static_cast<int16_t>(packed & 0xFFFF);
  const auto frac = static_cast<uint16_t>(packed >> 16);
  return whole + frac / 65536.0;
}

uint32_t DoubleToFix32(double value) {
  const double whole = std::floor(value);
  const auto frac = static_cast<uint32_t>((value - whole) * 65536.0) & 0xFFFF;
  const auto packed_whole = static_cast<uint16_t>(static_cast<int16_t>(whole));
  return packed_whole | (frac << 16);
}

}  // namespace pictavo
