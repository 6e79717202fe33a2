#pragma once
// Reads one page of an open SANE device on a thread of its own, so sane_start and sane_read never
// block the GUI thread: start, parameters and reads to the end of every frame (three-pass
// scanners send three). Whoever owns the reader hears of each change of phase through the wake
// call, which runs on the reader's thread and should only post to the owner's thread.
#include <sane/sane.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/scan/sane_frames.h"

namespace plat::scan {

class TPageReader {
 public:
  enum class TPhase { kStarting, kReading, kDone };

  // Starts reading at once; x_dpi and y_dpi go into the page's header.
  TPageReader(SANE_Handle handle, double x_dpi, double y_dpi, std::function<void()> wake);
  // Cancels a read still running and waits for the thread.
  ~TPageReader();
  TPageReader(const TPageReader&) = delete;
  TPageReader& operator=(const TPageReader&) = delete;

  // Asks the backend to stop; the page then ends with SANE_STATUS_CANCELLED. Waits a moment for
  // the reader to stop by itself before interrupting a read that blocks.
  void Cancel();
  TPhase Phase() const { return phase_; }
  // What sane_start answered; meaningful once the phase has passed kStarting.
  SANE_Status StartStatus() const { return start_status_; }
  // How the page ended; meaningful in kDone. SANE_STATUS_GOOD means the page is complete.
  SANE_Status Status() const { return status_; }
  // The page's packed DIB, once done with SANE_STATUS_GOOD (taken once).
  std::vector<uint8_t> TakeDib();
  // Progress of the current frame: bytes held and expected (-1 when unknown).
  void Progress(int64_t& held, int64_t& expected) const;

 private:
  void Run();
  SANE_Status ReadFrames();
  SANE_Status ReadFrame();
  void Enter(TPhase phase);
  bool WaitUntilDone(std::chrono::milliseconds limit);
  void CancelBackend();

  SANE_Handle handle_;
  double x_dpi_, y_dpi_;
  std::function<void()> wake_;
  std::atomic<TPhase> phase_{TPhase::kStarting};
  std::atomic<SANE_Status> start_status_{SANE_STATUS_GOOD};
  std::atomic<SANE_Status> status_{SANE_STATUS_GOOD};
  std::atomic<bool> cancelled_{false};
  std::atomic<bool> backend_cancelled_{false};
  mutable std::mutex mutex_;  // guards frames_ and dib_ between the thread and the owner
  std::condition_variable done_;
  TPageFrames frames_;
  std::vector<uint8_t> dib_;
  std::thread thread_;
};

}  // namespace plat::scan
