#include "platform/graphics/pixel_budget.h"

#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <utility>

namespace plat {

namespace {

constexpr int64_t kMebibyte = int64_t{1} << 20;

std::atomic<int64_t> g_in_use{0};
std::atomic<int64_t> g_budget{0};  // 0: not decided yet

int64_t DefaultBudget() {
  if (const char* text = std::getenv(kPixelBudgetVariable)) {
    char* end = nullptr;
    const long long mebibytes = std::strtoll(text, &end, 10);
    if (end != text && *end == '\0' && mebibytes > 0 && mebibytes < (int64_t{1} << 40))
      return mebibytes * kMebibyte;
  }
  const long pages = sysconf(_SC_PHYS_PAGES);
  const long page_size = sysconf(_SC_PAGESIZE);
  if (pages <= 0 || page_size <= 0) return int64_t{2048} * kMebibyte;
  return int64_t{pages} * page_size / 3;
}

// Takes bytes from the budget; false (and nothing taken) when they do not fit.
bool TryTake(int64_t bytes) {
  const int64_t budget = PixelBudget();
  int64_t used = g_in_use.load();
  do {
    if (bytes > budget - used) return false;
  } while (!g_in_use.compare_exchange_weak(used, used + bytes));
  return true;
}

}  // namespace

int64_t PixelBudget() {
  int64_t budget = g_budget.load();
  if (budget == 0) {
    budget = DefaultBudget();
    g_budget.store(budget);
  }
  return budget;
}

void SetPixelBudget(int64_t bytes) {
  g_budget.store(bytes > 0 ? bytes : DefaultBudget());
}

int64_t PixelBytesInUse() {
  return g_in_use.load();
}

bool FitsPixelBudget(int64_t bytes) {
  return bytes >= 0 && bytes <= PixelBudget() - g_in_use.load();
}

void RequirePixelBudget(int64_t bytes, const char* message) {
  if (!FitsPixelBudget(bytes)) throw EImageTooLarge(message);
}

bool DataJustifies(int64_t stored, int64_t decoded, int64_t ratio) {
  if (stored < 0 || decoded < 0) return false;
  // Divides instead of multiplying, so no size a file declares can overflow.
  return (decoded + ratio - 1) / ratio <= stored;
}

void RequireDataJustifies(int64_t stored, int64_t decoded, int64_t ratio, const char* message) {
  if (!DataJustifies(stored, decoded, ratio)) throw EImageTooLarge(message);
}

TPixelReservation::TPixelReservation(int64_t bytes) {
  if (bytes < 0 || !TryTake(bytes)) throw EImageTooLarge(kImageTooLarge);
  bytes_ = bytes;
}

TPixelReservation::TPixelReservation(const TPixelReservation& other)
    : TPixelReservation(other.bytes_) {}

TPixelReservation& TPixelReservation::operator=(const TPixelReservation& other) {
  if (this != &other) {
    TPixelReservation copy(other);
    *this = std::move(copy);
  }
  return *this;
}

TPixelReservation::TPixelReservation(TPixelReservation&& other) noexcept
    : bytes_(std::exchange(other.bytes_, 0)) {}

TPixelReservation& TPixelReservation::operator=(TPixelReservation&& other) noexcept {
  if (this != &other) {
    Release();
    bytes_ = std::exchange(other.bytes_, 0);
  }
  return *this;
}

TPixelReservation::~TPixelReservation() {
  Release();
}

void TPixelReservation::Release() noexcept {
  g_in_use.fetch_sub(bytes_);
  bytes_ = 0;
}

}  // namespace plat
