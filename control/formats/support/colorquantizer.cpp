#include "control/formats/support/colorquantizer.h"

#include "platform/base/exceptions.h"
#include "platform/base/rounding.h"
#include "platform/graphics/pixel_access.h"

namespace pictavo {

TColorQuantizer::TColorQuantizer(int maxColors, int colorBits, TLeafMean mean)
    : maxColors_(maxColors), colorBits_(colorBits), mean_(mean) {
  if (colorBits < 1 || colorBits > 8)
    throw plat::EInvalidGraphicOperation("Colour depth of the quantiser must be 1 to 8 bits");
}

int TColorQuantizer::NewNode(int level) {
  int index;
  if (!freeNodes_.empty()) {
    index = freeNodes_.back();
    freeNodes_.pop_back();
    nodes_[index] = Node{};
  } else {
    index = static_cast<int>(nodes_.size());
    nodes_.emplace_back();
  }
  if (level == colorBits_) {
    nodes_[index].isLeaf = true;
    ++leafCount_;
  } else {
    nodes_[index].next = reducibleNodes_[level];
    reducibleNodes_[level] = index;
  }
  return index;
}

void TColorQuantizer::FreeNode(int index) {
  freeNodes_.push_back(index);
}

void TColorQuantizer::AddColor(uint8_t r, uint8_t g, uint8_t b) {
  if (tree_ == kNone) tree_ = NewNode(0);
  int index = tree_;
  for (int level = 0;; ++level) {
    if (nodes_[index].isLeaf) {
      Node& leaf = nodes_[index];
      ++leaf.pixelCount;
      leaf.redSum += r;
      leaf.greenSum += g;
      leaf.blueSum += b;
      break;
    }
    const int shift = 7 - level;
    const int m = 0x80 >> level;
    const int c = (((r & m) >> shift) << 2) | (((g & m) >> shift) << 1) | ((b & m) >> shift);
    int next = nodes_[index].child[c];
    if (next == kNone) {
      next = NewNode(level + 1);  // may move nodes_: index the parent again
      nodes_[index].child[c] = next;
    }
    index = next;
  }
  while (leafCount_ > maxColors_) ReduceTree();
}

void TColorQuantizer::ReduceTree() {
  int level = colorBits_ - 1;
  while (level > 0 && reducibleNodes_[level] == kNone) --level;
  const int index = reducibleNodes_[level];
  if (index == kNone) return;  // a single leaf cannot be reduced further
  Node& node = nodes_[index];
  reducibleNodes_[level] = node.next;
  int children = 0;
  for (int& c : node.child) {
    if (c == kNone) continue;
    const Node& child = nodes_[c];
    node.pixelCount += child.pixelCount;
    node.redSum += child.redSum;
    node.greenSum += child.greenSum;
    node.blueSum += child.blueSum;
    FreeNode(c);
    c = kNone;
    ++children;
  }
  node.isLeaf = true;
  leafCount_ -= children - 1;
}

void TColorQuantizer::AddBitmap(const plat::TBitmap& bitmap) {
  const plat::TPixelFormat format = bitmap.PixelFormat();
  const int bits = plat::BitsPerPixel(format);
  if (bits != 1 && bits != 4 && bits != 8 && bits != 24) return;
  if (format == plat::TPixelFormat::pfDevice) return;
  const plat::TColorTable& palette = bitmap.Palette();
  for (int y = bitmap.Height() - 1; y >= 0; --y) {
    const uint8_t* row = bitmap.ScanLine(y);
    for (int x = 0; x < bitmap.Width(); ++x) {
      if (bits == 24) {
        AddColor(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
      } else {
        const uint8_t i = plat::IndexAt(row, x, bits);
        const plat::TRGBQuad q = i < palette.size() ? palette[i] : plat::TRGBQuad{};
        AddColor(q.rgbRed, q.rgbGreen, q.rgbBlue);
      }
    }
  }
}

void TColorQuantizer::ExportNode(int index, plat::TColorTable& table) const {
  const Node& node = nodes_[index];
  if (node.isLeaf) {
    auto mean = [&](int64_t sum) -> uint8_t {
      if (node.pixelCount == 0) return 0;
      if (mean_ == TLeafMean::Truncated) return static_cast<uint8_t>(sum / node.pixelCount);
      return static_cast<uint8_t>(
          plat::RoundHalfEven(static_cast<double>(sum) / static_cast<double>(node.pixelCount)));
    };
    table.push_back({mean(node.blueSum), mean(node.greenSum), mean(node.redSum), 0});
    return;
  }
  for (int c : node.child)
    if (c != kNone) ExportNode(c, table);
}

plat::TColorTable TColorQuantizer::ExportColorTable() const {
  plat::TColorTable table;
  if (tree_ != kNone) ExportNode(tree_, table);
  return table;
}

}  // namespace pictavo
