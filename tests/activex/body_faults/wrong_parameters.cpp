// A body whose parameters differ from its row: JPEGQuality's value is a 16-bit integer.
#include "control/activex/imagebox.h"

namespace pictavo {

PICTAVO_PUT(JPEGQuality)(TImageBox& box, int32_t value) {
  box.View().SetJPEGQuality(value);
}

}  // namespace pictavo
