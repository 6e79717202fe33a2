// Whether the view control runs inside a designer. The host is asked once, through the client
// site of the control object's OLE object, and the reference is dropped afterwards.
#include "control/engine/view/design_mode.h"

#include "control/engine/view/pvimage.h"
#include "platform/com/variant.h"

namespace pictavo {

using namespace plat::com;

bool AmbientUserModeOff(IUnknown* ole_object) {
  ComPtr<IOleObject> ole;
  if (Failed(ole_object->QueryInterface(IOleObject::kIid, ole.OutVoid())) || !ole) return false;
  ComPtr<IOleClientSite> site;
  if (Failed(ole->GetClientSite(site.Out())) || !site) return false;
  const auto ambient = site.As<IDispatch>();
  if (!ambient) return false;
  DISPPARAMS no_arguments;
  Variant user_mode;
  if (Failed(ambient->Invoke(DISPID_AMBIENT_USERMODE, GUID{}, 0, DISPATCH_PROPERTYGET,
                             &no_arguments, &user_mode, nullptr, nullptr)))
    return false;
  return user_mode.vt == VT_BOOL && user_mode.boolVal == 0;
}

void TpvImage::UpdateDesignMode() {
  DesignMode_ = IsDesignMode();
  ole_object_ = nullptr;
}

bool TpvImage::IsDesignMode() {
  if (!ole_object_) return designing_;
  if (designing_ || !AmbientUserModeOff(ole_object_)) return DesignMode_;
  designing_ = true;
  return true;
}

}  // namespace pictavo
