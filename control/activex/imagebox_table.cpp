#include "control/activex/imagebox_table.h"

#include <algorithm>
#include <string>
#include <vector>

#include "control/activex/imagebox_interface.h"
#include "platform/base/text.h"

namespace pictavo {

namespace {

Accessor AccessorOf(plat::com::MemberKind kind) {
  switch (kind) {
    case plat::com::MemberKind::Get:
      return Accessor::Get;
    case plat::com::MemberKind::Put:
      return Accessor::Put;
    case plat::com::MemberKind::PutRef:
      return Accessor::PutRef;
    default:
      return Accessor::Call;
  }
}

ArgType ArgTypeOf(plat::com::VARTYPE vt) {
  using namespace plat::com;
  switch (vt) {
    case VT_I4:
      return ArgType::Long;
    case VT_I2:
      return ArgType::Short;
    case VT_R4:
      return ArgType::Float;
    case VT_R8:
      return ArgType::Double;
    case VT_BOOL:
      return ArgType::Bool;
    case VT_BSTR:
      return ArgType::BStr;
    case VT_DATE:
      return ArgType::Date;
    case VT_VARIANT:
      return ArgType::Variant;
    case VT_UI4:
      return ArgType::Color;
    case VT_DISPATCH:
      return ArgType::Dispatch;
    default:
      return ArgType::Void;
  }
}

// The value an accessor carries: the result of a getter or function, the value of a put.
ArgType ValueType(const plat::com::MemberEntry& e) {
  if (plat::com::IsPut(e.kind)) return ArgTypeOf(e.paramTypes[e.paramCount - 1]);
  return ArgTypeOf(e.resultType);
}

// The declared parameters of an accessor, without its result or a put's value.
int DeclaredParams(const plat::com::MemberEntry& e) {
  return e.paramCount - (plat::com::IsPut(e.kind) ? 1 : 0);
}

const std::vector<MemberInfo>& Members() {
  static const std::vector<MemberInfo> members = [] {
    std::vector<MemberInfo> list;
    for (const plat::com::MemberEntry& e : ax::IImageBox::Table().Entries()) {
      const std::string name = plat::Utf16ToUtf8(e.name);
      MemberInfo* info = nullptr;
      for (MemberInfo& m : list)
        if (name == m.name) info = &m;
      if (!info) {
        info = &list.emplace_back();
        info->name = name;
        info->dispid = e.dispid;
      }
      const Accessor a = AccessorOf(e.kind);
      info->accessors[static_cast<int>(a)] = true;
      info->is_property = a != Accessor::Call;
      info->param_count = std::max(info->param_count, DeclaredParams(e));
      if (a != Accessor::Put && a != Accessor::PutRef) info->type = ValueType(e);
    }
    return list;
  }();
  return members;
}

}  // namespace

std::span<const MemberInfo> ImageBoxMembers() {
  return Members();
}

const MemberInfo* FindMember(std::string_view name) {
  for (const MemberInfo& m : Members())
    if (plat::SameTextIgnoringCase(m.name, name)) return &m;
  return nullptr;
}

const MemberInfo* FindMember(int32_t dispid) {
  for (const MemberInfo& m : Members())
    if (m.dispid == dispid) return &m;
  return nullptr;
}

}  // namespace pictavo
