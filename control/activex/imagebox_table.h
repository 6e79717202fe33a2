#pragma once
// The IImageBox members by name: which accessors each has, for hosts' name lookups and the
// tests. The list itself is imagebox_members.inc, read through IImageBox::Table().
//
// Where bodies live, so that each area wires its members without touching the others:
// - members_<area>.cpp holds the typed bodies of one area (members_window.cpp,
//   members_image.cpp, members_view.cpp, members_raster.cpp, members_metadata.cpp, ...),
//   written as member_body.h shows; the generated slot calls them directly.
// - every member already has its row in imagebox_members.inc; no area adds rows.
// - a member without a body is listed in tests/activex/unwired_members.txt and answers
//   E_NOTIMPL with "Not available: <name>"; wiring a member means deleting its line there.
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
