#include "platform/scan/sane_frames.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/graphics/bmp_format.h"
#include "platform/graphics/pixel_budget.h"

namespace plat::scan {

namespace {

// Far above any scanner's line, low enough that no product below overflows 64 bits.
constexpr int64_t kMaxPixelsPerLine = int64_t{1} << 20;
constexpr int64_t kMaxBytesPerLine = int64_t{1} << 26;

bool IsPlane(SANE_Frame format) {
  return format == SANE_FRAME_RED || format == SANE_FRAME_GREEN || format == SANE_FRAME_BLUE;
}

int Channels(SANE_Frame format) {
  return format == SANE_FRAME_RGB ? 3 : 1;
}

// Bytes the pixels of one line take in a frame, padding excluded.
int64_t DataBytesPerLine(const SANE_Parameters& p) {
  const int64_t samples = int64_t{p.pixels_per_line} * Channels(p.format);
  return p.depth == 1 ? (samples + 7) / 8 : samples * (p.depth / 8);
}

// The high byte of sample i of a line: 16-bit samples come in the machine's byte order.
uint8_t Sample(const uint8_t* line, int64_t i, int depth) {
  if (depth == 8) return line[i];
  uint16_t wide;
  std::memcpy(&wide, line + 2 * i, sizeof wide);
  return static_cast<uint8_t>(wide >> 8);
}

// Blue-green-red offset of a colour plane in a 24-bit pixel.
int PlaneOffset(SANE_Frame format) {
  return format == SANE_FRAME_RED ? 2 : format == SANE_FRAME_GREEN ? 1 : 0;
}

}  // namespace

int32_t PixelsPerMetre(double dpi) {
  const auto whole = static_cast<int64_t>(std::nearbyint(dpi));
  return static_cast<int32_t>((whole * 10000 + 127) / 254);
}

bool TPageFrames::Fail(const char* message) const {
  error_ = message;
  return false;
}

bool TPageFrames::BeginFrame(const SANE_Parameters& p) {
  // The backend may put any number there: read as a number before it is trusted as a kind.
  int kind = 0;
  std::memcpy(&kind, &p.format, sizeof kind);
  if (kind < SANE_FRAME_GRAY || kind > SANE_FRAME_BLUE)
    return Fail("The scanner sent a frame of an unknown kind");
  const bool plane = IsPlane(p.format);
  if (p.depth != 1 && p.depth != 8 && p.depth != 16)
    return Fail("The scanner sent samples of an unsupported depth");
  if (p.depth == 1 && p.format != SANE_FRAME_GRAY)
    return Fail("The scanner sent 1-bit colour, which is not supported");
  if (p.pixels_per_line <= 0 || p.pixels_per_line > kMaxPixelsPerLine || p.lines < -1 ||
      p.bytes_per_line > kMaxBytesPerLine || p.bytes_per_line < DataBytesPerLine(p))
    return Fail("The scanner sent frame parameters that do not fit together");
  if (!frames_.empty()) {
    const SANE_Parameters& first = frames_.front().parameters;
    const bool repeated = std::any_of(frames_.begin(), frames_.end(), [&](const Frame& f) {
      return f.parameters.format == p.format;
    });
    if (!plane || !IsPlane(first.format) || repeated ||
        first.pixels_per_line != p.pixels_per_line || first.depth != p.depth)
      return Fail("The scanner sent colour frames that do not fit together");
  }
  frames_.push_back(Frame{p, {}});
  return true;
}

bool TPageFrames::Append(std::span<const uint8_t> bytes) {
  if (frames_.empty()) return Fail("The scanner sent data before its parameters");
  Frame& frame = frames_.back();
  const int64_t bpl = frame.parameters.bytes_per_line;
  int64_t take = static_cast<int64_t>(bytes.size());
  if (frame.parameters.lines >= 0)
    take = std::min(take, frame.parameters.lines * bpl - static_cast<int64_t>(frame.bytes.size()));
  if (take <= 0) return true;
  if (!FitsPixelBudget(BytesHeld() + take)) return Fail(kImageTooLarge);
  frame.bytes.insert(frame.bytes.end(), bytes.begin(), bytes.begin() + take);
  return true;
}

int64_t TPageFrames::BytesExpected() const {
  if (frames_.empty() || frames_.back().parameters.lines < 0) return -1;
  const SANE_Parameters& p = frames_.back().parameters;
  return int64_t{p.lines} * p.bytes_per_line;
}

int64_t TPageFrames::BytesHeld() const {
  int64_t held = 0;
  for (const Frame& frame : frames_) held += static_cast<int64_t>(frame.bytes.size());
  return held;
}

int64_t TPageFrames::CompleteLines() const {
  int64_t lines = INT64_MAX;
  for (const Frame& frame : frames_)
    lines =
        std::min(lines, static_cast<int64_t>(frame.bytes.size()) / frame.parameters.bytes_per_line);
  return frames_.empty() ? 0 : lines;
}

std::optional<std::vector<uint8_t>> TPageFrames::PackedDib(double x_dpi, double y_dpi) const {
  if (frames_.empty() || (IsPlane(frames_.front().parameters.format) && frames_.size() != 3)) {
    Fail("The scanner did not send every frame of the page");
    return std::nullopt;
  }
  const SANE_Parameters& p = frames_.front().parameters;
  const int64_t lines = std::min<int64_t>(CompleteLines(), INT32_MAX);
  if (lines == 0) {
    Fail("The scanner sent no complete line");
    return std::nullopt;
  }
  bmp::Layout layout;
  layout.width = p.pixels_per_line;
  layout.height = static_cast<int32_t>(lines);
  layout.bits = p.format == SANE_FRAME_GRAY ? (p.depth == 1 ? 1 : 8) : 24;
  layout.row_bytes = (int64_t{layout.width} * layout.bits + 31) / 32 * 4;
  layout.colours = layout.bits == 24 ? 0 : int64_t{1} << layout.bits;
  layout.x_pels_per_meter = PixelsPerMetre(x_dpi);
  layout.y_pels_per_meter = PixelsPerMetre(y_dpi);
  if (!FitsPixelBudget(layout.row_bytes * lines)) {
    Fail(kImageTooLarge);
    return std::nullopt;
  }
  std::vector<uint8_t> file = bmp::NewFile(layout);
  uint8_t* table = file.data() + bmp::kHeadersSize;
  for (int64_t i = 0; i < layout.colours; ++i) {
    // Index 0 black: a grey level is its own index, and 1-bit white is 1.
    const auto level = static_cast<uint8_t>(layout.bits == 1 ? i * 255 : i);
    std::memset(table + 4 * i, level, 3);
  }
  WriteRows(table + 4 * layout.colours, layout.row_bytes, lines, layout.bits);
  file.erase(file.begin(), file.begin() + bmp::kFileHeaderSize);
  return file;
}

void TPageFrames::WriteRows(uint8_t* pixels, int64_t stride, int64_t lines, int bits) const {
  for (const Frame& frame : frames_) {
    const SANE_Parameters& p = frame.parameters;
    const int64_t width = p.pixels_per_line;
    for (int64_t y = 0; y < lines; ++y) {
      const uint8_t* line = frame.bytes.data() + y * p.bytes_per_line;
      uint8_t* row = pixels + (lines - 1 - y) * stride;
      if (bits == 1) {
        // SANE's 1 is black, our index 0.
        for (int64_t i = 0; i < (width + 7) / 8; ++i) row[i] = static_cast<uint8_t>(~line[i]);
      } else if (bits == 8) {
        for (int64_t x = 0; x < width; ++x) row[x] = Sample(line, x, p.depth);
      } else if (p.format == SANE_FRAME_RGB) {
        for (int64_t x = 0; x < width; ++x)
          for (int c = 0; c < 3; ++c) row[3 * x + 2 - c] = Sample(line, 3 * x + c, p.depth);
      } else {
        const int offset = PlaneOffset(p.format);
        for (int64_t x = 0; x < width; ++x) row[3 * x + offset] = Sample(line, x, p.depth);
      }
    }
  }
}

}  // namespace plat::scan
