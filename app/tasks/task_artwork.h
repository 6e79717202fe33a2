#pragma once
// The pictures the editor's tasks carry: 16 frame picture sets of eight tiles (sets 8 to 15 are
// the Shadow task's edges), the four extra pieces of frame set 4 and the eight masks. Drawn by
// scripts/make_task_artwork.py and compiled in as resources.
#include <array>

#include "platform/graphics/bitmap.h"

namespace tasks {

enum FrameTile {
  pTop_left,
  pTop_middle,
  pTop_right,
  pleft,
  pRight,
  pBottom_left,
  pBottom_middle,
  pBottom_right,
  kFrameTileCount
};

enum ExtraPiece { left_top, right_top, left_bottom, right_bottom, kExtraPieceCount };

constexpr int kFrameSetCount = 16;
constexpr int kMaskCount = 8;
// The Shadow task draws shadow picture n with frame set n + kShadowSetOffset.
constexpr int kShadowSetOffset = 8;

using FrameTiles = std::array<plat::TBitmap, kFrameTileCount>;

struct TaskArtwork {
  std::array<FrameTiles, kFrameSetCount> Frames;
  std::array<plat::TBitmap, kExtraPieceCount> ExtraPieces;
  std::array<plat::TBitmap, kMaskCount> Masks;
};

// Loaded on first use and kept for the run. Raises AppError 5 when a resource is missing.
const TaskArtwork& Artwork();

// A frame picture set (0 to 15) or a mask (0 to 7) by a recorded index; an index outside raises
// AppError 340, as a missing element of a control array does.
const FrameTiles& FrameSet(int index);
const plat::TBitmap& MaskPicture(int index);

}  // namespace tasks
