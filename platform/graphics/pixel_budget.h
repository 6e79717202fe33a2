#pragma once
// One memory rule for every bitmap: all live pixel storage together stays within one
// process-wide budget, and a reader asks for pixels only after the data it holds could have
// produced them at its coding's best compression ratio. A file therefore never makes a load
// take more than its bytes justify, and a set of loads never more than the budget.
#include <cstdint>

#include "platform/base/exceptions.h"

namespace plat {

// Raised when pixels would not fit the budget, or the data present cannot justify them.
VELMORA_EXCEPTION(EImageTooLarge, EOutOfMemory);

// The message of EImageTooLarge where a format has none of its own.
inline constexpr char kImageTooLarge[] = "Image is too large";

// The environment variable that sets the budget in mebibytes; without it the budget is a third
// of the physical memory, which leaves room for a copy, a snapshot and an encoder's buffers.
inline constexpr char kPixelBudgetVariable[] = "VELMORA_PIXEL_BUDGET_MB";

// Bytes of pixel storage all live bitmaps may hold together.
int64_t PixelBudget();
// Changes the budget (tests and fuzz targets lower it); 0 or less restores the default.
void SetPixelBudget(int64_t bytes);
// Bytes of pixel storage held by live bitmaps now.
int64_t PixelBytesInUse();
// True when bytes more would still fit the budget.
bool FitsPixelBudget(int64_t bytes);
// Raises EImageTooLarge(message) unless bytes more would fit the budget.
void RequirePixelBudget(int64_t bytes, const char* message = kImageTooLarge);

// The most decoded bytes one stored byte can give in each coding (output per input).
namespace best_ratio {
inline constexpr int64_t kStored = 1;
inline constexpr int64_t kPackBits = 64;  // two bytes repeat one byte 128 times
inline constexpr int64_t kDeflate = 1032;
// A 12-bit code stands for at most 4096 bytes: 4096 * 8 / 12, rounded up.
inline constexpr int64_t kLzw = 2731;
}  // namespace best_ratio

// Every 8 x 8 block of the component with the fewest blocks costs at least one bit of Huffman
// data, and that component has at least one block per 8 x 32 pixels.
inline constexpr int64_t kJpegPixelsPerByte = 8 * 8 * 4 * 8;

// A file cut short still shows what it has: this many decoded bytes need no data behind them.
inline constexpr int64_t kCutShortAllowance = int64_t{1} << 24;

// True when stored bytes can decode to decoded bytes at the given best ratio.
bool DataJustifies(int64_t stored, int64_t decoded, int64_t ratio);
// Raises EImageTooLarge(message) unless the data justifies what it decodes to.
void RequireDataJustifies(int64_t stored, int64_t decoded, int64_t ratio,
                          const char* message = kImageTooLarge);

// Holds a share of the budget for as long as it lives; a copy holds a share of its own.
class TPixelReservation {
 public:
  TPixelReservation() = default;
  explicit TPixelReservation(int64_t bytes);
  TPixelReservation(const TPixelReservation& other);
  TPixelReservation& operator=(const TPixelReservation& other);
  TPixelReservation(TPixelReservation&& other) noexcept;
  TPixelReservation& operator=(TPixelReservation&& other) noexcept;
  ~TPixelReservation();

  int64_t Bytes() const { return bytes_; }

 private:
  void Release() noexcept;
  int64_t bytes_ = 0;
};

}  // namespace plat
