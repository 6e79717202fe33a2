// A body for a member still listed as unwired (a real body would also delete its line).
#include "control/activex/imagebox.h"

namespace pictavo {

PICTAVO_CALL(Arc)
(TImageBox&, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t) {}

}  // namespace pictavo
