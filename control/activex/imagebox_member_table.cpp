// IImageBox's member table, which its IDispatch and the hosts' name lookups read.
#include "control/activex/imagebox_interface.h"

namespace pictavo::ax {

using namespace plat::com;

const MemberTable& IImageBox::Table() {
  using TableInterface = IImageBox;
  static const MemberTable table(IImageBox::kIid, u"IImageBox",
                                 {
#define VELMORA_MEMBER(kind, name, dispid, slot, type, params, names) \
  VELMORA_TABLE_ENTRY(kind, name, dispid, slot, type, params)
#include "control/activex/imagebox_members.inc"
#undef VELMORA_MEMBER
                                 });
  return table;
}

}  // namespace pictavo::ax
