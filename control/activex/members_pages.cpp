// Members that tell a host how many pages a file or an in-memory image holds (the workbench
// splits multipage TIFF files with them and ReadImageNumber).
#include "control/activex/imagebox.h"

namespace pictavo {

PICTAVO_GET(ImageCount)(TImageBox& box, std::u16string_view file_name) {
  return box.View().ImageCount(std::u16string(file_name));
}

PICTAVO_GET(ImageCountBinary)(TImageBox& box, uint8_t format, TBytes ole_input) {
  return box.View().ImageCountBinary(format, ole_input);
}

}  // namespace pictavo
