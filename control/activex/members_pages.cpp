// Members that tell a host how many pages a file or an in-memory image holds (the workbench
// splits multipage TIFF files with them and ReadImageNumber).
#include "control/activex/imagebox.h"

namespace pictavo {

PICTAVO_GET(ImageCount) {
  call.Return(box.View().ImageCount(call.Text(0)));
}

PICTAVO_GET(ImageCountBinary) {
  call.Return(box.View().ImageCountBinary(call.Enum(0), call.Bytes(1)));
}

}  // namespace pictavo
