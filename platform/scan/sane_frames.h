#pragma once
// Turns the frames a SANE backend delivers for one page into the packed DIB a native transfer
// hands over: 1-bit black-first, 8-bit grey, or 24-bit blue-green-red, rows bottom-up padded to
// 4 bytes. The backend's parameters and byte counts are outside data: a frame keeps at most the
// lines its parameters promise (every line when they promise none), bytes beyond that are
// dropped, a short last line is dropped, and the pixels held never pass the pixel budget.
#include <sane/sane.h>

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace plat::scan {

class TPageFrames {
 public:
  // Starts the next frame; false (with Error() saying why) when its parameters cannot be used
  // or do not fit the frames before it.
  bool BeginFrame(const SANE_Parameters& parameters);
  // Adds delivered bytes to the current frame; false once the page would pass the budget.
  bool Append(std::span<const uint8_t> bytes);
  // The page as a packed DIB with the resolution in pixels per metre; nullopt (with Error())
  // when no complete frame set or no line was delivered.
  std::optional<std::vector<uint8_t>> PackedDib(double x_dpi, double y_dpi) const;
  const std::string& Error() const { return error_; }

  // Bytes the current frame still expects; -1 when the backend does not know its lines.
  int64_t BytesExpected() const;
  int64_t BytesHeld() const;

 private:
  struct Frame {
    SANE_Parameters parameters{};
    std::vector<uint8_t> bytes;
  };
  bool Fail(const char* message) const;
  int64_t CompleteLines() const;
  void WriteRows(uint8_t* pixels, int64_t stride, int64_t lines, int bits) const;

  std::vector<Frame> frames_;
  mutable std::string error_;
};

// Pixels per metre of a resolution in dots per inch.
int32_t PixelsPerMetre(double dpi);

}  // namespace plat::scan
