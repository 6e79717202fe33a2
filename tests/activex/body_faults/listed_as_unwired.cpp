// A body for a member still listed as unwired (a real body would also delete its line).
#include "control/activex/imagebox.h"

namespace pictavo {

PICTAVO_CALL(Acquire)(TImageBox&) {}

}  // namespace pictavo
