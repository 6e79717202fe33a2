// The IImageBox slots of the property getters (see imagebox_object.h).
#include "control/activex/imagebox_object.h"

namespace pictavo::ax {

#define PICTAVO_SLOTS_Method(...)
#define PICTAVO_SLOTS_Function(...)
#define PICTAVO_SLOTS_Get PICTAVO_DEFINE_SLOT
#define PICTAVO_SLOTS_Put(...)
#define PICTAVO_SLOTS_PutRef(...)
#define VELMORA_MEMBER PICTAVO_SLICE_ROW
#include "control/activex/imagebox_members.inc"
#undef VELMORA_MEMBER

}  // namespace pictavo::ax
