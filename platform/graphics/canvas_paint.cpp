#include "platform/graphics/canvas_paint.h"

#include <utility>

#include "platform/graphics/bitmap.h"
#include "platform/graphics/pixel_access.h"

namespace plat {

uint32_t ApplyPenMode(TPenMode mode, uint32_t pen, uint32_t pixel) {
  switch (mode) {
    case TPenMode::pmBlack:
      return 0;
    case TPenMode::pmWhite:
      return ~0u;
    case TPenMode::pmNop:
      return pixel;
    case TPenMode::pmNot:
      return ~pixel;
    case TPenMode::pmCopy:
      return pen;
    case TPenMode::pmNotCopy:
      return ~pen;
    case TPenMode::pmMergePenNot:
      return pen | ~pixel;
    case TPenMode::pmMaskPenNot:
      return pen & ~pixel;
    case TPenMode::pmMergeNotPen:
      return ~pen | pixel;
    case TPenMode::pmMaskNotPen:
      return ~pen & pixel;
    case TPenMode::pmMerge:
      return pen | pixel;
    case TPenMode::pmNotMerge:
      return ~(pen | pixel);
    case TPenMode::pmMask:
      return pen & pixel;
    case TPenMode::pmNotMask:
      return ~(pen & pixel);
    case TPenMode::pmXor:
      return pen ^ pixel;
    case TPenMode::pmNotXor:
      return ~(pen ^ pixel);
  }
  return pixel;
}

namespace {

// The stored bits that carry colour: the index bits, or every channel but 32-bit alpha.
uint32_t ColourBits(TPixelFormat format) {
  switch (format) {
    case TPixelFormat::pf15bit:
      return 0x7FFF;
    case TPixelFormat::pf32bit:
    case TPixelFormat::pfCustom:
      return 0xFFFFFF;
    default: {
      const int bits = BitsPerPixel(format);
      return bits >= 32 ? ~0u : (1u << bits) - 1;
    }
  }
}

// Hatch rows, bit x set where column x is drawn.
std::array<uint8_t, 8> HatchPattern(TBrushStyle style) {
  std::array<uint8_t, 8> rows{};
  for (int y = 0; y < 8; ++y) {
    const auto horizontal = static_cast<uint8_t>(y == 0 ? 0xFF : 0);
    const uint8_t vertical = 0x01;
    const auto forward = static_cast<uint8_t>(1 << y);
    const auto backward = static_cast<uint8_t>(1 << (7 - y));
    switch (style) {
      case TBrushStyle::bsHorizontal:
        rows[y] = horizontal;
        break;
      case TBrushStyle::bsVertical:
        rows[y] = vertical;
        break;
      case TBrushStyle::bsFDiagonal:
        rows[y] = forward;
        break;
      case TBrushStyle::bsBDiagonal:
        rows[y] = backward;
        break;
      case TBrushStyle::bsCross:
        rows[y] = horizontal | vertical;
        break;
      case TBrushStyle::bsDiagCross:
        rows[y] = forward | backward;
        break;
      default:
        rows[y] = 0xFF;
    }
  }
  return rows;
}

}  // namespace

TPixelWriter::TPixelWriter(TBitmap& bitmap)
    : bitmap_(bitmap),
      bits_(BitsPerPixel(bitmap.PixelFormat())),
      colour_bits_(ColourBits(bitmap.PixelFormat())) {}

uint32_t TPixelWriter::Encode(TColor color) const {
  // The bitmap's own conversion decides the stored value, so drawing and SetPixel agree.
  TBitmap probe(1, 1, bitmap_.PixelFormat());
  if (PaletteSizeOf(bitmap_.PixelFormat()) > 0) probe.SetColorTable(bitmap_.Palette());
  probe.SetPixelColor(0, 0, color);
  return RawPixelAt(std::as_const(probe).ScanLine(0), 0, bits_);
}

uint32_t TPixelWriter::Get(int x, int y) const {
  return RawPixelAt(std::as_const(bitmap_).ScanLine(y), x, bits_) & colour_bits_;
}

void TPixelWriter::Combine(int x, int y, TPenMode mode, uint32_t value) {
  uint8_t* row = bitmap_.ScanLine(y);
  const uint32_t old = RawPixelAt(row, x, bits_);
  const uint32_t mixed = ApplyPenMode(mode, value, old & colour_bits_) & colour_bits_;
  SetRawPixelAt(row, x, bits_, (old & ~colour_bits_) | mixed);
}

TInk ColourInk(TColor color, TPenMode mode, const TPixelWriter& writer) {
  TInk ink;
  ink.draws = true;
  ink.mode = mode;
  ink.value = writer.Encode(color);
  return ink;
}

TInk BrushInk(const TBrush& brush, TPenMode mode, const TPixelWriter& writer) {
  if (brush.Style == TBrushStyle::bsClear) return {};
  TInk ink = ColourInk(brush.Color, mode, writer);
  ink.pattern = HatchPattern(brush.Style);
  return ink;
}

TInk BackgroundInk(const TBrush& brush, TPenMode mode, const TPixelWriter& writer) {
  if (brush.Style != TBrushStyle::bsSolid) return {};
  return ColourInk(brush.Color, mode, writer);
}

void PaintCoverage(TBitmap& bitmap, const TCoverage& coverage, const std::array<TInk, 4>& inks) {
  if (coverage.IsEmpty()) return;
  TPixelWriter writer(bitmap);
  for (int y = coverage.Top(); y < coverage.Top() + coverage.Height(); ++y)
    for (int x = coverage.Left(); x < coverage.Left() + coverage.Width(); ++x) {
      const TInk& ink = inks[coverage.At(x, y) & 3];
      if (ink.draws && (ink.pattern[y & 7] >> (x & 7)) & 1)
        writer.Combine(x, y, ink.mode, ink.value);
    }
  bitmap.Changed();
}

}  // namespace plat
