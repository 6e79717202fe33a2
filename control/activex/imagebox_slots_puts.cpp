// The IImageBox slots of the property setters (by value and by reference) (see imagebox_object.h).
#include "control/activex/imagebox_object.h"

namespace pictavo::ax {

#define PICTAVO_SLOTS_Method(...)
#define PICTAVO_SLOTS_Function(...)
#define PICTAVO_SLOTS_Get(...)
#define PICTAVO_SLOTS_Put PICTAVO_DEFINE_SLOT
#define PICTAVO_SLOTS_PutRef PICTAVO_DEFINE_SLOT
#define VELMORA_MEMBER PICTAVO_SLICE_ROW
#include "control/activex/imagebox_members.inc"
#undef VELMORA_MEMBER

}  // namespace pictavo::ax
