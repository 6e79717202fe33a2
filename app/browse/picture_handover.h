#pragma once
// Hands a picture to an image control: the control takes a copy of it as its image.
#include <QImage>

namespace plat::com {
class ControlHost;
}

namespace browse {

// The picture becomes a 24-bit bitmap behind a handle of the handle table, which the control's
// BMPHandle takes; the handle is deleted again after the put. Failures of the control raise
// plat::com::EOleException.
void HandOverPicture(plat::com::ControlHost& imageControl, const QImage& picture);

}  // namespace browse
