#pragma once
// Row access to platform bitmaps for the GIF codec: a reader that walks a bitmap's rows in a
// fixed pixel format, and a writer that builds an 8- or 24-bit picture and hands it over whole.
#include <cstdint>
#include <memory>

#include "platform/graphics/bitmap.h"

namespace pictavo {

// Bytes of one row of `width` pixels of `bits` each, padded to `alignment` bits.
int64_t RowByteCount(int64_t width, int bits, int alignment);

class TDIBReader {
 public:
  // Converts the caller's bitmap to `format` in place.
  TDIBReader(plat::TBitmap& bitmap, plat::TPixelFormat format);
  const uint8_t* RowAddress(int row) const;
  const plat::TBitmap& TargetBitmap() const { return bitmap_; }

 private:
  plat::TBitmap& bitmap_;
};

class TDIBWriter {
 public:
  // Only the 8- and 24-bit formats; no memory is taken before the first row is asked for.
  TDIBWriter(plat::TBitmap& target, plat::TPixelFormat format, int width, int height,
             const plat::TColorTable& palette);
  // Stores the picture into the target bitmap when a row was ever asked for.
  ~TDIBWriter();
  TDIBWriter(const TDIBWriter&) = delete;
  TDIBWriter& operator=(const TDIBWriter&) = delete;

  uint8_t* RowAddress(int row);

 private:
  void CreateDIB();

  plat::TBitmap& target_;
  plat::TPixelFormat format_;
  int width_;
  int height_;
  plat::TColorTable palette_;
  std::unique_ptr<plat::TBitmap> dib_;
};

}  // namespace pictavo
