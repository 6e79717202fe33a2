#include "app/browse/viewer/selection_band.h"

#include <cstdlib>

namespace browse {
namespace {

// A middle grip shows only on an edge at least this long.
constexpr int32_t kMiddleGripSpan = 16;
// A grip takes the mouse within this many pixels on both axes.
constexpr int32_t kGripReach = 3;

// Whether v lies on the band's axis from `first` toward `second`: the first edge counts, the
// second does not.
bool OnAxis(int32_t v, int32_t first, int32_t second) {
  return first <= second ? first <= v && v < second : second < v && v <= first;
}

}  // namespace

bool SelectionBand::BandVisible() const {
  return mlMouseTool == kToolBand && mintMouseState >= kBandDrawing;
}

bool SelectionBand::GripsVisible() const {
  return mlMouseTool == kToolBand && mintMouseState == kBandShown;
}

void SelectionBand::subPlaceGrips() {
  const int32_t x1 = mintSelX1, y1 = mintSelY1, x2 = mintSelX2, y2 = mintSelY2;
  grips_[0] = {x1, y1, true};
  grips_[1] = {x2, y1, true};
  grips_[2] = {x1, y2, true};
  grips_[3] = {x2, y2, true};
  // int64 sums: the halves of two corners near the 32-bit limit do not overflow.
  const auto half = [](int32_t a, int32_t b) { return static_cast<int32_t>((int64_t{a} + b) / 2); };
  const bool wide = std::llabs(int64_t{x2} - x1) >= kMiddleGripSpan;
  const bool tall = std::llabs(int64_t{y2} - y1) >= kMiddleGripSpan;
  // A hidden middle grip keeps its old point.
  for (int i : {4, 5}) grips_[i].Visible = wide;
  for (int i : {6, 7}) grips_[i].Visible = tall;
  if (wide) {
    grips_[4].X = grips_[5].X = half(x1, x2);
    grips_[4].Y = y1;
    grips_[5].Y = y2;
  }
  if (tall) {
    grips_[6].Y = grips_[7].Y = half(y1, y2);
    grips_[6].X = x1;
    grips_[7].X = x2;
  }
}

void SelectionBand::Clear() {
  mintMouseState = kBandIdle;
  mintSelX1 = mintSelY1 = mintSelX2 = mintSelY2 = 0;
  for (SelectionGrip& grip : grips_) grip.Visible = false;
}

bool SelectionBand::Inside(int32_t x, int32_t y) const {
  return OnAxis(x, mintSelX1, mintSelX2) && OnAxis(y, mintSelY1, mintSelY2);
}

MousePointer SelectionBand::HitTest(int32_t x, int32_t y) {
  mintGripHit = kHitNothing;
  for (int number = 1; number <= 8; ++number) {
    const SelectionGrip& grip = Grip(number);
    if (grip.Visible && std::llabs(int64_t{grip.X} - x) < kGripReach &&
        std::llabs(int64_t{grip.Y} - y) < kGripReach)
      mintGripHit = static_cast<int16_t>(number);  // the last grip in reach wins
  }
  switch (mintGripHit) {
    case kHitNothing:
      if (!Inside(x, y)) return MousePointer::Arrow;
      mintGripHit = kHitInside;
      return MousePointer::SizeAll;
    case 1:
    case 4:
      return Forwards() ? MousePointer::SizeNWSE : MousePointer::SizeNESW;
    case 2:
    case 3:
      return Forwards() ? MousePointer::SizeNESW : MousePointer::SizeNWSE;
    case 5:
    case 6:
      return MousePointer::SizeNS;
    default:
      return MousePointer::SizeWE;
  }
}

std::optional<MousePointer> SelectionBand::MouseDown(int32_t x, int32_t y) {
  switch (mintMouseState) {
    case kBandIdle:
      mintSelX1 = mintSelY1 = 0;
      return std::nullopt;
    case kBandArmed:
      mintSelX1 = mintSelX2 = x;
      mintSelY1 = mintSelY2 = y;
      mintMouseState = kBandDrawing;
      return std::nullopt;
    case kBandShown:
      if (mintGripHit == kHitInside) {
        mintMouseState = kBandMoving;
        mintMoveDX = x - mintSelX1;
        mintMoveDY = y - mintSelY1;
        return MousePointer::SizeAll;
      }
      // With no grip hit the moves change nothing and the mouse-up shows the grips again.
      mintMouseState = kBandResizing;
      return std::nullopt;
    default:
      return std::nullopt;
  }
}

std::optional<MousePointer> SelectionBand::MouseMove(int32_t x, int32_t y) {
  switch (mintMouseState) {
    case kBandArmed:
      return MousePointer::Cross;
    case kBandDrawing:
      mintSelX2 = x;
      mintSelY2 = y;
      return MousePointer::Cross;
    case kBandShown:
      return HitTest(x, y);
    case kBandResizing:
      MoveGrip(x, y);
      return std::nullopt;
    case kBandMoving:
      MoveBand(x, y);
      return std::nullopt;
    default:
      return std::nullopt;
  }
}

void SelectionBand::MoveGrip(int32_t x, int32_t y) {
  switch (mintGripHit) {
    case 1:
      mintSelX1 = x;
      mintSelY1 = y;
      break;
    case 2:
      mintSelX2 = x;
      mintSelY1 = y;
      break;
    case 3:
      mintSelX1 = x;
      mintSelY2 = y;
      break;
    case 4:
      mintSelX2 = x;
      mintSelY2 = y;
      break;
    case 5:
      mintSelY1 = y;
      break;
    case 6:
      mintSelY2 = y;
      break;
    case 7:
      mintSelX1 = x;
      break;
    case 8:
      mintSelX2 = x;
      break;
    default:
      break;
  }
}

void SelectionBand::MoveBand(int32_t x, int32_t y) {
  const int32_t width = mintSelX2 - mintSelX1, height = mintSelY2 - mintSelY1;
  mintSelX1 = x - mintMoveDX;
  mintSelY1 = y - mintMoveDY;
  mintSelX2 = mintSelX1 + width;
  mintSelY2 = mintSelY1 + height;
}

void SelectionBand::MouseUp() {
  if (mintMouseState != kBandDrawing && mintMouseState != kBandResizing &&
      mintMouseState != kBandMoving)
    return;
  mintMouseState = kBandShown;
  subPlaceGrips();
}

}  // namespace browse
