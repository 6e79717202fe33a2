#include "control/activex/imagebox_table.h"

#include <strings.h>

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

const std::vector<MemberInfo>& Members() {
  static const std::vector<MemberInfo> members = [] {
    std::vector<MemberInfo> list;
    for (const plat::com::MemberEntry& e : ax::IImageBox::Table().Entries()) {
      const std::string name = plat::Utf16ToUtf8(e.name);
      MemberInfo* info = nullptr;
      for (MemberInfo& m : list)
        if (m.name == name) info = &m;
      if (!info) {
        info = &list.emplace_back();
        info->name = name;
        info->dispid = e.dispid;
      }
      const Accessor a = AccessorOf(e.kind);
      info->accessors[static_cast<int>(a)] = true;
      info->is_property = a != Accessor::Call;
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
    if (m.name.size() == name.size() && strncasecmp(m.name.c_str(), name.data(), name.size()) == 0)
      return &m;
  return nullptr;
}

const MemberInfo* FindMember(int32_t dispid) {
  for (const MemberInfo& m : Members())
    if (m.dispid == dispid) return &m;
  return nullptr;
}

}  // namespace pictavo
