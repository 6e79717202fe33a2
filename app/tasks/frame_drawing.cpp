#include "app/tasks/frame_drawing.h"

#include <cmath>
#include <string>

#include "app/tasks/bitmap_merge.h"
#include "app/tasks/task_artwork.h"

namespace tasks {

namespace {

using pictavo::ax::ImageBoxProxy;

int32_t HalfEven(double value) {
  return static_cast<int32_t>(std::nearbyint(value));
}

// Along an axis: start, middle or end for a piece of `extent` in `space`.
int32_t Aligned(int place, int32_t space, int32_t extent) {
  return place == 0 ? 0 : place == 1 ? HalfEven((space - extent) / 2.0) : space - extent;
}

// x of a horizontal text's column under each justification.
int32_t ColumnX(int column, const AnchorMetrics& m) {
  const double W = m.imageWidth, tw = m.textWidth;
  switch (m.justify) {
    case 0:
      return Aligned(column, m.imageWidth, m.textWidth);
    case 1:
      return column == 0 ? HalfEven(tw / 2) : column == 1 ? HalfEven(W / 2) : HalfEven(W - tw / 2);
    default:
      return column == 0 ? m.textWidth : column == 1 ? HalfEven((tw + W) / 2) : m.imageWidth;
  }
}

// x of a vertical text's column: the text stands to the left of x.
int32_t VerticalX(int column, const AnchorMetrics& m) {
  return column == 0   ? m.textHeight
         : column == 1 ? HalfEven((static_cast<double>(m.textHeight) + m.imageWidth) / 2)
                       : m.imageWidth;
}

struct Size {
  int32_t w, h;
};

Size SizeOf(const plat::TBitmap& picture) {
  return {picture.Width(), picture.Height()};
}

void MergeAt(ImageBoxProxy& box, const plat::TBitmap& picture, int32_t left, int32_t top) {
  box.put_MergeTop(top);
  box.put_MergeLeft(left);
  MergeBitmap(box, picture);
}

}  // namespace

bool IsGridAnchor(int16_t anchor) {
  return anchor >= 0 && anchor <= 8;
}

void AnchorPosition(uint8_t orientation, int16_t anchor, const AnchorMetrics& m, int32_t& x,
                    int32_t& y) {
  if (!IsGridAnchor(anchor)) return;
  const int row = anchor / 3, column = anchor % 3;
  if (orientation == 0) {
    y = Aligned(row, m.imageHeight, m.textHeight);
    x = ColumnX(column, m);
  } else {
    x = VerticalX(column, m);
    y = Aligned(row, m.imageHeight, m.textWidth);
  }
}

void subGetAnchorPosition(uint8_t orientation, int16_t anchor, ImageBoxProxy& box,
                          const QString& text, int32_t& x, int32_t& y) {
  if (!IsGridAnchor(anchor)) return;
  const std::u16string utf16 = text.toStdU16String();
  AnchorMetrics metrics;
  metrics.imageWidth = box.get_ImageWidth();
  metrics.imageHeight = box.get_ImageHeight();
  metrics.justify = static_cast<int32_t>(box.get_TextJustify());
  metrics.textWidth = box.get_TextWidth(utf16);
  metrics.textHeight = box.get_TextHeight(utf16);
  AnchorPosition(orientation, anchor, metrics, x, y);
}

void subDrawFrame(ImageBoxProxy& box, int16_t set, uint8_t enlarge, bool withExtraPieces) {
  const auto& tiles = FrameSet(set);
  const Size T = SizeOf(tiles[pTop_left]), TM = SizeOf(tiles[pTop_middle]),
             TR = SizeOf(tiles[pTop_right]), L = SizeOf(tiles[pleft]), R = SizeOf(tiles[pRight]),
             BL = SizeOf(tiles[pBottom_left]);
  if (enlarge == 1)
    box.Crop(-L.w, -T.h, R.w + box.get_ImageWidth() - 2, BL.h + box.get_ImageHeight() - 2);
  const int32_t W = box.get_ImageWidth(), H = box.get_ImageHeight();
  box.put_MergeStyle(pictavo::ax::TxWMStyle{1});  // wmSingle

  MergeAt(box, tiles[pTop_left], 0, 0);
  for (int32_t x = T.w; x < W; x += TM.w) MergeAt(box, tiles[pTop_middle], x, 0);
  MergeAt(box, tiles[pTop_right], W - TR.w, 0);

  const auto& pieces = Artwork().ExtraPieces;
  const Size piece = SizeOf(pieces[left_top]);
  int32_t y = T.h;
  if (withExtraPieces) {
    MergeAt(box, pieces[left_top], 0, y);
    MergeAt(box, pieces[right_top], W - piece.w, y);
    y += piece.h;
  }
  for (; y < H; y += L.h) {
    MergeAt(box, tiles[pleft], 0, y);
    MergeAt(box, tiles[pRight], W - R.w, y);
  }
  if (withExtraPieces) {
    const int32_t above = H - (T.h + piece.h);
    MergeAt(box, pieces[left_bottom], 0, above);
    MergeAt(box, pieces[right_bottom], W - SizeOf(pieces[right_bottom]).w, above);
  }

  const int32_t bottom = H - BL.h;
  MergeAt(box, tiles[pBottom_left], 0, bottom);
  for (int32_t x = T.w; x < W; x += TM.w) MergeAt(box, tiles[pBottom_middle], x, bottom);
  MergeAt(box, tiles[pBottom_right], W - TR.w, bottom);
}

}  // namespace tasks
