#pragma once
// The IImageBox members by name: which accessors each has, for the member bodies and their
// registry. The list itself is imagebox_members.inc, read through IImageBox::Table().
//
// Where bodies live, so that each area wires its members without touching the others:
// - members_<area>.cpp holds the bodies of one area (members_window.cpp, members_image.cpp,
//   members_view.cpp here; members_raster.cpp for the raster operations, members_metadata.cpp
//   for EXIF and IPTC, ...), written with the PICTAVO_GET / PICTAVO_PUT / PICTAVO_PUTREF /
//   PICTAVO_CALL macros of member_call.h. A body registers itself; nothing else needs editing.
// - every member already has its row in imagebox_members.inc; no area adds rows.
// - a member without a body answers E_NOTIMPL with "Not available: <name>". Those members are
//   listed in tests/activex/unwired_members.txt; wiring a member means deleting its line there.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace pictavo {

// How a member is reached: a method call, or a property's getter, setter, by-reference setter.
enum class Accessor : uint8_t { Call, Get, Put, PutRef };
inline constexpr int kAccessorCount = 4;

// The value type of a member as it travels: enumerations travel as Long, colours as Color.
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
  Dispatch
};

struct MemberInfo {
  std::string name;
  int32_t dispid = 0;
  bool is_property = false;
  bool accessors[kAccessorCount] = {};
  int param_count = 0;           // a method's parameters or a property's index parameters
  ArgType type = ArgType::Void;  // a method's result or a property's value

  bool Has(Accessor a) const { return accessors[static_cast<int>(a)]; }
};

std::span<const MemberInfo> ImageBoxMembers();
// Case-insensitive, as automation names are.
const MemberInfo* FindMember(std::string_view name);
const MemberInfo* FindMember(int32_t dispid);

}  // namespace pictavo
