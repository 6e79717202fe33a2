#pragma once
// Octree colour quantiser: builds a palette of at most MaxColors colours from the pixels fed
// to it, merging the most recently created deepest node whenever there are too many leaves.
// Shared by the engine's colour-depth conversion and the GIF codec's colour reduction, which
// differ only in how a leaf's mean colour is rounded.
#include <array>
#include <cstdint>
#include <vector>

#include "platform/graphics/bitmap.h"

namespace pictavo {

// How a leaf's mean colour is made an integer: the engine rounds halves to even, the GIF codec
// drops the fraction.
enum class TLeafMean { HalvesToEven, Truncated };

class TColorQuantizer {
 public:
  // colorBits is the tree depth, 1..8.
  TColorQuantizer(int maxColors, int colorBits, TLeafMean mean = TLeafMean::HalvesToEven);

  // Feeds every pixel in the order of a bottom-up device-independent bitmap (bottom row first,
  // left to right); 1-, 4- and 8-bit pixels by their palette colour. 16- and 32-bit pixels add
  // nothing.
  void AddBitmap(const plat::TBitmap& bitmap);
  void AddColor(uint8_t r, uint8_t g, uint8_t b);

  // One entry a leaf, depth first with children in index order, each the leaf's mean colour
  // rounded as asked at creation (black for a leaf without pixels).
  plat::TColorTable ExportColorTable() const;
  int LeafCount() const { return leafCount_; }

 private:
  static constexpr int kNone = -1;
  struct Node {
    bool isLeaf = false;
    // 64-bit so that images of tens of millions of pixels of one colour keep that colour.
    int64_t pixelCount = 0;
    int64_t redSum = 0, greenSum = 0, blueSum = 0;
    int next = kNone;
    std::array<int, 8> child{kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone};
  };

  int NewNode(int level);
  void FreeNode(int index);
  void ReduceTree();
  void ExportNode(int index, plat::TColorTable& table) const;

  std::vector<Node> nodes_;
  std::vector<int> freeNodes_;
  int tree_ = kNone;
  int leafCount_ = 0;
  std::array<int, 8> reducibleNodes_{kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone};
  int maxColors_;
  int colorBits_;
  TLeafMean mean_;
};

}  // namespace pictavo
