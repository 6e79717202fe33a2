#include "control/formats/gif/gif_dither.h"

#include <algorithm>
#include <cstdlib>

namespace pictavo {

namespace {

constexpr TDiffusionTap kFloydSteinbergTaps[] = {{0, 1, 7}, {1, -1, 3}, {1, 0, 5}, {1, 1, 1}};

constexpr TDiffusionTap kStuckiTaps[] = {{0, 1, 8},  {0, 2, 4}, {1, -2, 2}, {1, -1, 4},
                                         {1, 0, 8},  {1, 1, 4}, {1, 2, 2},  {2, -2, 1},
                                         {2, -1, 2}, {2, 0, 4}, {2, 1, 2},  {2, 2, 1}};

constexpr TDiffusionTap kSierraTaps[] = {{0, 1, 5}, {0, 2, 3}, {1, -2, 2}, {1, -1, 4}, {1, 0, 5},
                                         {1, 1, 4}, {1, 2, 2}, {2, -1, 2}, {2, 0, 3},  {2, 1, 2}};

constexpr TDiffusionTap kJaJuNiTaps[] = {{0, 1, 7},  {0, 2, 5}, {1, -2, 3}, {1, -1, 5},
                                         {1, 0, 7},  {1, 1, 5}, {1, 2, 3},  {2, -2, 1},
                                         {2, -1, 3}, {2, 0, 5}, {2, 1, 3},  {2, 2, 1}};

constexpr TDiffusionTap kBurkesTaps[] = {{0, 1, 8}, {0, 2, 4}, {1, -2, 2}, {1, -1, 4},
                                         {1, 0, 8}, {1, 1, 4}, {1, 2, 2}};

constexpr TDiffusionTap kSteveArcheTaps[] = {{0, 2, 32}, {1, -3, 12}, {1, -1, 26}, {1, 1, 30},
                                             {1, 3, 16}, {2, -2, 12}, {2, 0, 26},  {2, 2, 12},
                                             {3, -3, 5}, {3, -1, 12}, {3, 1, 12},  {3, 3, 5}};

// Indexed by TDitherMethod; nearest colour has no kernel.
const TDiffusionKernel kKernels[] = {
    {1, {}},           {16, kFloydSteinbergTaps}, {42, kStuckiTaps}, {32, kSierraTaps},
    {48, kJaJuNiTaps}, {200, kSteveArcheTaps},    {32, kBurkesTaps},
};

constexpr int kLastMethod = static_cast<int>(TDitherMethod::dtBurkes);

int RowsOf(const TDiffusionKernel& kernel) {
  int rows = 1;
  for (const TDiffusionTap& tap : kernel.taps) rows = std::max(rows, tap.row + 1);
  return rows;
}

int MarginOf(const TDiffusionKernel& kernel) {
  int margin = 0;
  for (const TDiffusionTap& tap : kernel.taps) margin = std::max(margin, std::abs(tap.offset));
  return margin;
}

}  // namespace

int TDitherEngine::Dither(const TRGBValue& colour, TRGBValue& out) {
  const int index = lookup_.Lookup(colour, out);
  column_ += direction_;
  return index;
}

void TDitherEngine::NextLine() {
  direction_ = -direction_;
  column_ = direction_ > 0 ? 0 : rowWidth_ - 1;
}

const TDiffusionKernel& DiffusionKernelOf(TDitherMethod method) {
  return kKernels[static_cast<int>(method)];
}

TErrorDiffusionDitherer::TErrorDiffusionDitherer(int rowWidth, TColorLookup& lookup,
                                                 const TDiffusionKernel& kernel)
    : TDitherEngine(rowWidth, lookup),
      kernel_(kernel),
      rows_(RowsOf(kernel)),
      margin_(MarginOf(kernel)),
      stride_(rowWidth + 2 * margin_),
      cells_(size_t(3) * rows_ * stride_, 0) {}

int TErrorDiffusionDitherer::CellIndex(int channel, int rowBelow, int column) const {
  const int row = (currentRow_ + rowBelow) % rows_;
  return (channel * rows_ + row) * stride_ + margin_ + column;
}

int TErrorDiffusionDitherer::Accumulator(int channel, int rowBelow, int column) const {
  return cells_[CellIndex(channel, rowBelow, column)];
}

int TErrorDiffusionDitherer::Dither(const TRGBValue& colour, TRGBValue& out) {
  const int divisor = kernel_.divisor;
  TRGBValue wanted;
  for (int channel = 0; channel < 3; ++channel) {
    // Integer division truncates toward zero, for negative errors too.
    const int carried = (cells_[CellIndex(channel, 0, column_)] + divisor / 2) / divisor;
    wanted[channel] = std::clamp(colour[channel] + carried, 0, 255);
  }
  const int index = lookup_.Lookup(wanted, out);
  for (int channel = 0; channel < 3; ++channel) {
    const int error = wanted[channel] - out[channel];
    if (error == 0) continue;
    for (const TDiffusionTap& tap : kernel_.taps)
      cells_[CellIndex(channel, tap.row, column_ + tap.offset * direction_)] += error * tap.weight;
  }
  column_ += direction_;
  return index;
}

void TErrorDiffusionDitherer::NextLine() {
  for (int channel = 0; channel < 3; ++channel) {
    auto first = cells_.begin() + CellIndex(channel, 0, -margin_);
    std::fill(first, first + stride_, 0);
  }
  currentRow_ = (currentRow_ + 1) % rows_;
  TDitherEngine::NextLine();
}

std::unique_ptr<TDitherEngine> MakeDitherer(TDitherMethod method, int rowWidth,
                                            TColorLookup& lookup) {
  const int code = static_cast<int>(method);
  if (code > kLastMethod) return nullptr;
  if (method == TDitherMethod::dtNearestColour)
    return std::make_unique<TDitherEngine>(rowWidth, lookup);
  return std::make_unique<TErrorDiffusionDitherer>(rowWidth, lookup, DiffusionKernelOf(method));
}

}  // namespace pictavo
