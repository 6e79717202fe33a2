// The worker pool hands every index to exactly one range, at any thread count, and carries a
// failure back to the caller.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/base/worker_pool.h"
#include "platform/base/workers.h"

namespace {

class WorkerPool : public ::testing::Test {
 protected:
  void TearDown() override { ::unsetenv(plat::kWorkersVariable); }
  static void SetWorkers(const char* value) { ::setenv(plat::kWorkersVariable, value, 1); }
};

// How often each index was visited.
std::vector<int> Visits(int64_t count, int64_t minChunk) {
  std::vector<std::atomic<int>> visits(static_cast<size_t>(count));
  plat::ParallelFor(count, minChunk, [&](int64_t begin, int64_t end) {
    ASSERT_LE(0, begin);
    ASSERT_LT(begin, end);
    ASSERT_LE(end, count);
    for (int64_t i = begin; i < end; ++i) ++visits[i];
  });
  std::vector<int> result;
  for (const auto& v : visits) result.push_back(v.load());
  return result;
}

TEST_F(WorkerPool, EveryIndexIsVisitedOnceAtEveryThreadCount) {
  for (const char* workers : {"1", "2", "4", "8"})
    for (int64_t count : {1, 2, 7, 64, 1000, 4097})
      for (int64_t minChunk : {0, 1, 3, 500}) {
        SCOPED_TRACE(std::string(workers) + " workers, " + std::to_string(count) + " items, " +
                     std::to_string(minChunk) + " at least a range");
        SetWorkers(workers);
        EXPECT_EQ(Visits(count, minChunk), std::vector<int>(count, 1));
      }
}

TEST_F(WorkerPool, NothingToDoCallsNothing) {
  bool called = false;
  plat::ParallelFor(0, 1, [&](int64_t, int64_t) { called = true; });
  plat::ParallelFor(-5, 1, [&](int64_t, int64_t) { called = true; });
  EXPECT_FALSE(called);
}

TEST_F(WorkerPool, NestedCallsFinishAndCoverTheirRanges) {
  SetWorkers("4");
  std::atomic<int64_t> total{0};
  plat::ParallelFor(16, 1, [&](int64_t begin, int64_t end) {
    for (int64_t i = begin; i < end; ++i)
      plat::ParallelFor(100, 1, [&](int64_t b, int64_t e) { total += e - b; });
  });
  EXPECT_EQ(total.load(), 1600);
}

TEST_F(WorkerPool, AFailureReachesTheCallerAfterTheOtherRanges) {
  SetWorkers("4");
  std::atomic<int64_t> done{0};
  EXPECT_THROW(plat::ParallelFor(1000, 1,
                                 [&](int64_t begin, int64_t end) {
                                   if (begin == 0) throw std::runtime_error("range failed");
                                   done += end - begin;
                                 }),
               std::runtime_error);
  // Every range but the failing one ran before the call returned.
  EXPECT_GT(done.load(), 0);
  EXPECT_LT(done.load(), 1000);
  // The pool still works after a failure.
  EXPECT_EQ(Visits(300, 1), std::vector<int>(300, 1));
}

}  // namespace
