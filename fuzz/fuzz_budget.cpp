// Linked into every fuzz target: a pixel budget well under libFuzzer's -rss_limit_mb=2048, so a
// file that the readers accept can never push a run over the limit.
#include "platform/graphics/pixel_budget.h"

namespace {

const bool kBudgetLowered = [] {
  plat::SetPixelBudget(int64_t{256} << 20);
  return true;
}();

}  // namespace
