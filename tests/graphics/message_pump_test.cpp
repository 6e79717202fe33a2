#include "platform/base/message_pump.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>
#include <chrono>

namespace plat {
namespace {

using Clock = std::chrono::steady_clock;

TEST(MessagePump, WaitsAtLeastTheTimeWithoutAnApplication) {
  const auto start = Clock::now();
  PumpMessagesFor(30);
  EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(30));
}

TEST(MessagePump, RunsPendingEventsEvenForZeroAndTimersWhileWaiting) {
  int argc = 1;
  char name[] = "message_pump_test";
  char* argv[] = {name, nullptr};
  QCoreApplication app(argc, argv);
  bool queued = false;
  QTimer::singleShot(0, [&] { queued = true; });
  PumpMessagesFor(0);
  EXPECT_TRUE(queued);

  bool fired = false;
  QTimer::singleShot(20, [&] { fired = true; });
  PumpMessagesFor(80);
  EXPECT_TRUE(fired);
}

}  // namespace
}  // namespace plat
