// A body whose member name is misspelt.
#include "control/activex/imagebox.h"

namespace pictavo {

PICTAVO_GET(ImageWidht)(TImageBox& box) {
  return box.View().ImageWidth();
}

}  // namespace pictavo
