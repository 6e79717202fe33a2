// The IImageBox slots of the methods and functions (see imagebox_object.h).
#include "control/activex/imagebox_object.h"

namespace pictavo::ax {

#define PICTAVO_SLOTS_Method PICTAVO_DEFINE_SLOT
#define PICTAVO_SLOTS_Function PICTAVO_DEFINE_SLOT
#define PICTAVO_SLOTS_Get(...)
#define PICTAVO_SLOTS_Put(...)
#define PICTAVO_SLOTS_PutRef(...)
#define VELMORA_MEMBER PICTAVO_SLICE_ROW
#include "control/activex/imagebox_members.inc"
#undef VELMORA_MEMBER

}  // namespace pictavo::ax
