// The encoder's row cost estimate, block at a time, against the same sum taken a byte at a time.
#include "control/formats/png/png_rows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

namespace pictavo {
namespace {

// The estimate as its definition reads: bytes inside three positions in a row that equal the
// byte one pixel before are free, every other byte costs its magnitude plus the literal price.
int64_t PlainLiteralCost(const uint8_t* row, int64_t count, int bpp) {
  std::vector<bool> repeats(static_cast<size_t>(count), false);
  for (int64_t i = bpp; i < count; ++i) repeats[size_t(i)] = row[i] == row[i - bpp];
  std::vector<bool> matched(static_cast<size_t>(count), false);
  for (int64_t i = 0; i + 2 < count; ++i)
    if (repeats[size_t(i)] && repeats[size_t(i + 1)] && repeats[size_t(i + 2)])
      matched[size_t(i)] = matched[size_t(i + 1)] = matched[size_t(i + 2)] = true;
  int64_t cost = 0;
  for (int64_t i = 0; i < count; ++i)
    if (!matched[size_t(i)]) cost += std::min(row[i], uint8_t(256 - row[i])) + kLiteralPrice;
  return cost;
}

struct CostCase {
  const char* name;
  std::vector<uint8_t> alphabet;  // the bytes rows are drawn from
};

// Few values give many repeats and runs; the largest magnitudes fill the block counters fastest.
const CostCase kCostCases[] = {
    {"runs", {0, 0, 0, 1}},
    {"small_values", {0, 1, 2, 255, 254}},
    {"largest_magnitudes", {127, 128, 129}},
    {"all_values", {}},
};

void PrintTo(const CostCase& c, std::ostream* out) {
  *out << c.name;
}

class LiteralCostTest : public ::testing::TestWithParam<CostCase> {};

TEST_P(LiteralCostTest, BlocksSumAsBytesDo) {
  const CostCase& c = GetParam();
  uint32_t state = 5;
  const auto next = [&] {
    state = state * 1103515245 + 12345;
    const uint32_t pick = state >> 16;
    return c.alphabet.empty() ? static_cast<uint8_t>(pick) : c.alphabet[pick % c.alphabet.size()];
  };
  std::vector<int64_t> counts;
  for (int64_t count = 1; count <= 70; ++count) counts.push_back(count);
  // Long enough for the block counters to be emptied along the way.
  counts.insert(counts.end(), {4000, 12001});
  for (int bpp : {1, 3, 4})
    for (int64_t count : counts) {
      TRowBuffer row(count);
      // Bytes around the row that would repeat, were they counted.
      std::fill_n(row.Data() - TRowBuffer::kLead, TRowBuffer::kLead, next());
      std::fill_n(row.Data() + count, TRowBuffer::kTail, next());
      for (int64_t i = 0; i < count; ++i) row.Data()[i] = next();
      EXPECT_EQ(LiteralCost(row.Data(), count, bpp), PlainLiteralCost(row.Data(), count, bpp))
          << "bpp " << bpp << ", " << count << " bytes";
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, LiteralCostTest, ::testing::ValuesIn(kCostCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pictavo
