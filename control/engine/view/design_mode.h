#pragma once
// Design-mode detection of the view control (TpvImage::UpdateDesignMode).
#include "platform/com/interfaces.h"

namespace pictavo {

// True only when the client site of ole_object's OLE object answers the ambient UserMode with
// False; a missing OLE object, site or dispatch interface, or a failed call, count as not False.
bool AmbientUserModeOff(plat::com::IUnknown* ole_object);

}  // namespace pictavo
