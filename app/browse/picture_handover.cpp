#include "app/browse/picture_handover.h"

#include "control/activex/imagebox_interface.h"
#include "platform/com/control_host.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/handles.h"
#include "platform/graphics/qimage_view.h"

namespace browse {

void HandOverPicture(plat::com::ControlHost& imageControl, const QImage& picture) {
  const plat::THandle handle = plat::NewBitmapHandle(plat::FromQImage(picture));
  // Deleted also when the put fails; a control told to release it has done so already.
  struct DeleteAfterPut {
    plat::THandle handle;
    ~DeleteAfterPut() { plat::DeleteBitmapHandle(handle); }
  } const owner{handle};
  pictavo::ax::ImageBoxProxy(imageControl.Dispatch()).put_BMPHandle(static_cast<int32_t>(handle));
}

}  // namespace browse
