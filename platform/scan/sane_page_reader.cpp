#include "platform/scan/sane_page_reader.h"

#include <algorithm>

namespace plat::scan {

namespace {

constexpr SANE_Int kReadChunk = 64 * 1024;

// Many backends read the device through a thread of their own, which sane_cancel and sane_start
// end with an asynchronous cancel and a join. Called while that thread still frees its buffers,
// the cancel can leave it holding the allocator's lock, and called while our thread is inside
// sane_read, the backend joins its thread twice: either hangs the program. So a read that ends
// by itself leaves the backend's thread a moment to finish, and a cancel lets a read that is
// about to return see the flag, interrupting the backend only when a read still blocks.
constexpr auto kBackendSettle = std::chrono::milliseconds(50);
constexpr auto kCancelGrace = std::chrono::milliseconds(500);

}  // namespace

TPageReader::TPageReader(SANE_Handle handle, double x_dpi, double y_dpi, std::function<void()> wake)
    : handle_(handle), x_dpi_(x_dpi), y_dpi_(y_dpi), wake_(std::move(wake)) {
  thread_ = std::thread([this] { Run(); });
}

TPageReader::~TPageReader() {
  if (phase_ != TPhase::kDone) Cancel();
  thread_.join();
}

void TPageReader::Cancel() {
  cancelled_ = true;
  // SANE allows this call from another thread while sane_start or sane_read blocks.
  if (!WaitUntilDone(kCancelGrace)) CancelBackend();
}

void TPageReader::CancelBackend() {
  if (!backend_cancelled_.exchange(true)) sane_cancel(handle_);
}

bool TPageReader::WaitUntilDone(std::chrono::milliseconds limit) {
  std::unique_lock lock(mutex_);
  return done_.wait_for(lock, limit, [this] { return phase_ == TPhase::kDone; });
}

void TPageReader::Enter(TPhase phase) {
  {
    std::lock_guard lock(mutex_);
    phase_ = phase;
  }
  done_.notify_all();
  wake_();
}

void TPageReader::Run() {
  const SANE_Status started = sane_start(handle_);
  start_status_ = started;
  if (started != SANE_STATUS_GOOD) {
    status_ = started;
    Enter(TPhase::kDone);
    return;
  }
  Enter(TPhase::kReading);
  SANE_Status status = ReadFrames();
  if (cancelled_) {
    status = SANE_STATUS_CANCELLED;
    CancelBackend();
  } else {
    std::this_thread::sleep_for(kBackendSettle);
  }
  if (status == SANE_STATUS_GOOD) {
    std::lock_guard lock(mutex_);
    if (auto dib = frames_.PackedDib(x_dpi_, y_dpi_))
      dib_ = std::move(*dib);
    else
      status = SANE_STATUS_IO_ERROR;
  }
  status_ = status;
  Enter(TPhase::kDone);
}

SANE_Status TPageReader::ReadFrames() {
  for (;;) {
    SANE_Parameters parameters{};
    if (const SANE_Status s = sane_get_parameters(handle_, &parameters); s != SANE_STATUS_GOOD)
      return s;
    {
      std::lock_guard lock(mutex_);
      if (!frames_.BeginFrame(parameters)) return SANE_STATUS_IO_ERROR;
    }
    if (const SANE_Status s = ReadFrame(); s != SANE_STATUS_GOOD) return s;
    if (parameters.last_frame) return SANE_STATUS_GOOD;
    // The next colour plane of a three-pass scanner.
    if (const SANE_Status s = sane_start(handle_); s != SANE_STATUS_GOOD) return s;
  }
}

SANE_Status TPageReader::ReadFrame() {
  std::vector<uint8_t> chunk(kReadChunk);
  int64_t expected = -1;
  {
    std::lock_guard lock(mutex_);
    expected = frames_.BytesExpected();
  }
  int64_t delivered = 0, reported = 0;
  while (!cancelled_) {
    SANE_Int length = 0;
    const SANE_Status s = sane_read(handle_, chunk.data(), kReadChunk, &length);
    if (s == SANE_STATUS_EOF) return SANE_STATUS_GOOD;
    if (s != SANE_STATUS_GOOD) return s;
    length = std::clamp<SANE_Int>(length, 0, kReadChunk);
    delivered += length;
    {
      std::lock_guard lock(mutex_);
      if (!frames_.Append({chunk.data(), static_cast<size_t>(length)})) return SANE_STATUS_NO_MEM;
    }
    // A backend that goes on far past its promise has sent every line it promised.
    if (expected >= 0 && delivered > 2 * expected + kReadChunk) return SANE_STATUS_GOOD;
    // Progress now and then: a backend may hand over a byte at a time.
    if (delivered - reported >= kReadChunk) {
      reported = delivered;
      wake_();
    }
  }
  return SANE_STATUS_CANCELLED;
}

std::vector<uint8_t> TPageReader::TakeDib() {
  std::lock_guard lock(mutex_);
  return std::move(dib_);
}

void TPageReader::Progress(int64_t& held, int64_t& expected) const {
  std::lock_guard lock(mutex_);
  held = frames_.BytesHeld();
  expected = frames_.BytesExpected();
}

}  // namespace plat::scan
