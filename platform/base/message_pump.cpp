#include "platform/base/message_pump.h"

#include <QCoreApplication>
#include <chrono>

namespace plat {

namespace {

void ProcessPendingEvents() {
  // Posted events reach their receivers even on a thread that has no event dispatcher.
  QCoreApplication::sendPostedEvents();
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

}  // namespace

void PumpMessagesFor(uint32_t milliseconds) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point start = Clock::now();
  const auto wait = std::chrono::milliseconds(milliseconds);
  do {
    ProcessPendingEvents();
  } while (Clock::now() - start < wait);
}

}  // namespace plat
