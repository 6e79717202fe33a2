#pragma once
// The rubber band the viewer's mouse draws over ibMain to choose a crop region: its state
// (idle, armed, drawing, shown with grips, resizing, moving), its two corners, its eight grips and
// the pointer each mouse position asks for. Plain state: mouse positions in, corners, grips and
// pointers out, so every rule runs without a window. Positions are displayed pixels of ibMain.
#include <array>
#include <cstdint>
#include <optional>

namespace browse {

// The pointer shapes the mouse handling shows over the image.
enum class MousePointer { Arrow, SizeNWSE, SizeNESW, SizeNS, SizeWE, SizeAll, Cross, IBeam };

// The band's states (mintMouseState).
enum BandState : int16_t {
  kBandIdle = 0,
  kBandArmed = 1,
  kBandDrawing = 2,
  kBandShown = 3,
  kBandResizing = 4,
  kBandMoving = 5,
};

// The mouse tools (mlMouseTool).
enum MouseTool : int32_t { kToolNone = 0, kToolBand = 2, kToolColourPick = 4 };

struct SelectionGrip {
  int32_t X = 0;
  int32_t Y = 0;
  bool Visible = false;
};

// What mintGripHit holds besides a grip number.
constexpr int16_t kHitNothing = 0;
constexpr int16_t kHitInside = 9;

class SelectionBand {
 public:
  int16_t mintMouseState = kBandIdle;
  int32_t mlMouseTool = kToolNone;
  // Corners: the first where the drag began, the second following the mouse; the second may lie
  // left of or above the first. 32-bit, so a band on a very wide image does not wrap.
  int32_t mintSelX1 = 0, mintSelY1 = 0, mintSelX2 = 0, mintSelY2 = 0;
  int16_t mintGripHit = kHitNothing;
  int32_t mintMoveDX = 0, mintMoveDY = 0;

  // Grips 1 to 8.
  const SelectionGrip& Grip(int number) const { return grips_.at(number - 1); }

  // The band is on screen while drawing, shown, resizing or moving with the band tool; its
  // grips only while it is shown.
  bool BandVisible() const;
  bool GripsVisible() const;

  void subPlaceGrips();
  // Forgets the band: idle, corners at 0, no grip visible. The tool stays.
  void Clear();
  // Sets mintGripHit for the position and answers the pointer it asks for.
  MousePointer HitTest(int32_t x, int32_t y);
  bool Inside(int32_t x, int32_t y) const;

  // The band's part of the three mouse events; each answers the pointer to show, if it changes.
  std::optional<MousePointer> MouseDown(int32_t x, int32_t y);
  std::optional<MousePointer> MouseMove(int32_t x, int32_t y);
  // Back to shown with grips after drawing, resizing or moving.
  void MouseUp();

 private:
  void MoveGrip(int32_t x, int32_t y);
  void MoveBand(int32_t x, int32_t y);
  // Whether the band runs toward the lower right from its first corner.
  bool Forwards() const { return mintSelX2 > mintSelX1 && mintSelY2 > mintSelY1; }

  std::array<SelectionGrip, 8> grips_{};
};

}  // namespace browse
