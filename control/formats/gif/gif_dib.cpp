#include "control/formats/gif/gif_dib.h"

#include "control/formats/gif/gif_base.h"

namespace pictavo {

int64_t RowByteCount(int64_t width, int bits, int alignment) {
  return ((width * bits + alignment - 1) & ~int64_t(alignment - 1)) / 8;
}

TDIBReader::TDIBReader(plat::TBitmap& bitmap, plat::TPixelFormat format) : bitmap_(bitmap) {
  bitmap_.SetPixelFormat(format);
}

const uint8_t* TDIBReader::RowAddress(int row) const {
  return static_cast<const plat::TBitmap&>(bitmap_).ScanLine(row);
}

TDIBWriter::TDIBWriter(plat::TBitmap& target, plat::TPixelFormat format, int width, int height,
                       const plat::TColorTable& palette)
    : target_(target), format_(format), width_(width), height_(height), palette_(palette) {
  if (format != plat::TPixelFormat::pf8bit && format != plat::TPixelFormat::pf24bit)
    RaiseGIFError("Unsupported PixelFormat");
  if (width == 0 || height == 0) RaiseGIFError("Invalid image dimensions");
}

TDIBWriter::~TDIBWriter() {
  if (dib_) target_ = *dib_;
}

void TDIBWriter::CreateDIB() {
  try {
    dib_ = std::make_unique<plat::TBitmap>(width_, height_, format_);
  } catch (const plat::EOutOfMemory&) {
    throw plat::EOutOfMemory("Failed to allocate memory for GIF DIB");
  }
  if (format_ == plat::TPixelFormat::pf8bit) {
    // An 8-bit picture always has 256 entries; those the palette does not give are black.
    plat::TColorTable table(256);
    for (size_t i = 0; i < palette_.size() && i < 256; ++i) table[i] = palette_[i];
    dib_->SetColorTable(table);
  }
}

uint8_t* TDIBWriter::RowAddress(int row) {
  if (!dib_) CreateDIB();
  if (row < 0 || row >= height_)
    throw plat::EInvalidGraphicOperation("Scan line index out of range");
  return dib_->ScanLine(row);
}

}  // namespace pictavo
