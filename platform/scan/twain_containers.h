#pragma once
// The capability containers a source hands back (ONEVALUE, ENUMERATION, RANGE), written into
// memory handles in the layout TWAIN gives them, the single value an application sets, and
// TW_FIX32 for the source's side.
#include <optional>
#include <vector>

#include "platform/scan/twain_types.h"

namespace plat::scan {

// Each answers TWRC_SUCCESS after putting its container into capability.
TW_UINT16 ReplyOneValue(TW_CAPABILITY& capability, TW_UINT16 item_type, TW_UINT32 item);
TW_UINT16 ReplyEnumeration(TW_CAPABILITY& capability, TW_UINT16 item_type,
                           const std::vector<TW_UINT32>& items, TW_UINT32 current_index);
TW_UINT16 ReplyRange(TW_CAPABILITY& capability, TW_UINT16 item_type, TW_UINT32 min, TW_UINT32 max,
                     TW_UINT32 step, TW_UINT32 current);

// The single value in the container of a MSG_SET; nullopt when it holds none.
std::optional<TW_ONEVALUE> SetValue(const TW_CAPABILITY& capability);

// A value as TW_FIX32 packed in 32 bits (Whole in the low half), rounded to the nearest 1/65536.
TW_UINT32 Fix32Of(double value);
double ValueOfFix32(TW_UINT32 packed);
TW_FIX32 Fix32Field(double value);
double ValueOfFix32Field(const TW_FIX32& fix);

}  // namespace plat::scan
