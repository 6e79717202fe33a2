// The worker count: the machine's cores, lowered but never raised by the environment.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <thread>

#include "platform/base/workers.h"

namespace {

TEST(WorkerCount, EnvironmentOnlyLowersTheCores) {
  const int cores = std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
  struct Case {
    const char* value;  // nullptr: unset
    int expected;
  };
  const Case cases[] = {{nullptr, cores}, {"1", 1},          {"0", cores},
                        {"-2", cores},    {"two", cores},    {"3x", cores},
                        {"", cores},      {"100000", cores}, {"99999999999999999999", cores}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value ? c.value : "(unset)");
    if (c.value)
      ::setenv(plat::kWorkersVariable, c.value, 1);
    else
      ::unsetenv(plat::kWorkersVariable);
    EXPECT_EQ(plat::WorkerCount(), c.expected);
  }
  ::unsetenv(plat::kWorkersVariable);
}

}  // namespace
