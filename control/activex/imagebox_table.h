#pragma once
// The IImageBox member table: one row per member (name, dispatch id, kind, slots, argument and
// result types). It is the single source of the control's dispatch, its name lookup and the
// typed client proxy.
//
// Where the rows and bodies live, so that each area adds its own without touching the others:
// - rows: imagebox_rows.inc (image, view, drawing, processing families); a family added later
//   brings its own rows file, imagebox_rows_metadata.inc (EXIF and IPTC members) or
//   imagebox_rows_output.inc (printing, HTTP, page lists, scanning), which imagebox_table.cpp
//   includes when it exists. Same row macros, see imagebox_rows.inc.
// - bodies: members_<area>.cpp (members_window.cpp, members_image.cpp, members_view.cpp here;
//   members_raster.cpp for the raster operations, members_metadata.cpp for the metadata, ...),
//   each defining bodies with the PICTAVO_GET / PICTAVO_PUT / PICTAVO_PUTREF / PICTAVO_CALL
//   macros of member_call.h. A body registers itself; nothing else needs editing.
// - a member without a body answers E_NOTIMPL with "Not available: <name>". The list of such
//   members is tests/activex/unwired_members.txt; wiring a member means deleting its line there.
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "control/activex/imagebox_enums.h"

namespace pictavo {

// Argument and result types of the type library.
enum class ArgType : uint8_t {
  Void,
  Long,
  Short,
  Float,
  Double,
  Bool,
  BStr,
  Date,
  Variant,
  Color,
  Font,
  Picture,
  // enumerations, in the order of EnumId
  TxFlipMode,
  TxGraphicsFormat,
  TxColorFormat,
  TxWMStyle,
  TxPenMode,
  TxPenStyle,
  TxBrushStyle,
  TxHelpType,
  TxFloodFillStyle,
  TxSelectionType,
  TxPrinterOrientation,
  TxPrintUnits,
  TxCompression,
  TxTextJustify,
  TxTwainUnits,
  TxPixelType,
};

inline constexpr bool IsEnum(ArgType t) {
  return t >= ArgType::TxFlipMode;
}
inline constexpr EnumId EnumOf(ArgType t) {
  return static_cast<EnumId>(static_cast<int>(t) - static_cast<int>(ArgType::TxFlipMode));
}

// How a member is reached: a method call, or a property's getter, setter, by-reference setter.
enum class Accessor : uint8_t { Call, Get, Put, PutRef };
inline constexpr int kAccessorCount = 4;

struct ParamInfo {
  const char* name = nullptr;
  ArgType type = ArgType::Void;
  bool out = false;
};

inline constexpr int kMaxParams = 8;

struct MemberInfo {
  const char* name;
  int32_t dispid;
  bool is_property;
  bool accessors[kAccessorCount];   // which accessors exist
  int16_t slot_of[kAccessorCount];  // slot per accessor (0: none)
  ArgType type;                     // result of a method, value of a property
  ParamInfo params[kMaxParams];     // method parameters or property index parameters
  int param_count;

  bool Has(Accessor a) const { return accessors[static_cast<int>(a)]; }
  int16_t Slot(Accessor a) const { return slot_of[static_cast<int>(a)]; }
};

std::span<const MemberInfo> ImageBoxMembers();
// Case-insensitive, as automation names are.
const MemberInfo* FindMember(std::string_view name);
const MemberInfo* FindMember(int32_t dispid);
// The member and accessor that occupy an interface slot.
std::optional<std::pair<const MemberInfo*, Accessor>> FindSlot(int slot);

}  // namespace pictavo
