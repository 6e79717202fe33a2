#pragma once
// Modal waits that keep the thread's events flowing.
#include <cstdint>

namespace plat {

// Processes the calling thread's pending events, again and again, until at least `milliseconds`
// have passed since the call. Events are processed at least once, and the wait never sleeps, so
// painting, timers and re-entrant calls run inside it. Works without an application object:
// then only posted events are delivered.
void PumpMessagesFor(uint32_t milliseconds);

}  // namespace plat
