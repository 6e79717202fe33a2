#pragma once
// Ditherers of the GIF colour reduction. They walk the rows of an image serpentine (left to
// right first, then alternately back), ask a colour lookup for each pixel and, except for the
// nearest-colour engine, spread each pixel's quantisation error over the neighbours ahead.
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "control/formats/gif/gif_color_lookup.h"

namespace pictavo {

enum class TDitherMethod : uint8_t {
  dtNearestColour = 0,
  dtFloydSteinberg = 1,
  dtStucki = 2,
  dtSierra = 3,
  dtJaJuNi = 4,
  dtSteveArche = 5,
  dtBurkes = 6
};

// Nearest colour: the lookup's answer for each pixel, no error carried.
class TDitherEngine {
 public:
  // The lookup is not owned and must outlive the engine.
  TDitherEngine(int rowWidth, TColorLookup& lookup) : lookup_(lookup), rowWidth_(rowWidth) {}
  virtual ~TDitherEngine() = default;
  TDitherEngine(const TDitherEngine&) = delete;
  TDitherEngine& operator=(const TDitherEngine&) = delete;

  // The palette index for the pixel at Column(); `out` receives its colour. Moves to the next
  // column of the walk. Called once for each column of a row, then NextLine.
  virtual int Dither(const TRGBValue& colour, TRGBValue& out);
  // Turns the walk round for the next row.
  virtual void NextLine();
  // Moves past the pixel at Column() without choosing a colour for it or spreading any error.
  void Skip() { column_ += direction_; }

  int Column() const { return column_; }
  // +1 on left-to-right rows, -1 on right-to-left rows.
  int Direction() const { return direction_; }

 protected:
  TColorLookup& lookup_;
  int rowWidth_;
  int direction_ = 1;
  int column_ = 0;
};

// One weight of an error-diffusion kernel: `row` rows below the current one (0: this row), at
// `offset` pixels along the walk (+1 the next pixel to be visited).
struct TDiffusionTap {
  int row;
  int offset;
  int weight;
};

struct TDiffusionKernel {
  int divisor;
  std::span<const TDiffusionTap> taps;
};

// The kernel of an error-diffusion method (every method but dtNearestColour).
const TDiffusionKernel& DiffusionKernelOf(TDitherMethod method);

class TErrorDiffusionDitherer : public TDitherEngine {
 public:
  TErrorDiffusionDitherer(int rowWidth, TColorLookup& lookup, const TDiffusionKernel& kernel);

  int Dither(const TRGBValue& colour, TRGBValue& out) override;
  void NextLine() override;

  // The error gathered so far, times the divisor, for the pixel at `column` (0..width - 1) of
  // the row `rowBelow` rows under the current one (within the rows the kernel reaches), in
  // `channel` (0 red, 1 green, 2 blue).
  int Accumulator(int channel, int rowBelow, int column) const;

 private:
  int CellIndex(int channel, int rowBelow, int column) const;

  const TDiffusionKernel& kernel_;
  int rows_;
  // Taps that would land this far beside the row go to a margin nobody reads.
  int margin_;
  int stride_;
  // The physical row that holds the current image row; the rows below follow it cyclically.
  int currentRow_ = 0;
  std::vector<int> cells_;
};

// The ditherer of `method` over `lookup`; nullptr for a value outside the enumeration.
std::unique_ptr<TDitherEngine> MakeDitherer(TDitherMethod method, int rowWidth,
                                            TColorLookup& lookup);

}  // namespace pictavo
