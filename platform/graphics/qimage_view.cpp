#include "platform/graphics/qimage_view.h"

#include <algorithm>
#include <cstring>

#include "platform/graphics/bitmap.h"
#include "platform/graphics/pixel_access.h"

namespace plat {

namespace {

QImage::Format QtFormat(TPixelFormat format) {
  switch (format) {
    case TPixelFormat::pf1bit:
      return QImage::Format_Mono;
    case TPixelFormat::pf4bit:
    case TPixelFormat::pf8bit:
      return QImage::Format_Indexed8;
    case TPixelFormat::pf15bit:
      return QImage::Format_RGB555;
    case TPixelFormat::pf16bit:
      return QImage::Format_RGB16;
    case TPixelFormat::pf32bit:
    case TPixelFormat::pfCustom:
      return QImage::Format_RGB32;
    default:
      return QImage::Format_BGR888;
  }
}

QList<QRgb> QtColorTable(const TColorTable& table, int entries) {
  QList<QRgb> colours(entries, qRgb(0, 0, 0));
  for (int i = 0; i < entries && i < static_cast<int>(table.size()); ++i)
    colours[i] = qRgb(table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue);
  return colours;
}

void CopyRow(const TBitmap& bitmap, int y, QImage& image) {
  const uint8_t* src = bitmap.ScanLine(y);
  uchar* dest = image.scanLine(y);
  switch (bitmap.PixelFormat()) {
    case TPixelFormat::pf4bit:
      for (int x = 0; x < bitmap.Width(); ++x) dest[x] = IndexAt(src, x, 4);
      break;
    case TPixelFormat::pf32bit:
    case TPixelFormat::pfCustom:
      // Qt wants the unused byte of an RGB32 pixel at 0xFF.
      for (int x = 0; x < bitmap.Width(); ++x) {
        std::memcpy(dest + 4 * x, src + 4 * x, 3);
        dest[4 * x + 3] = 0xFF;
      }
      break;
    default:
      std::memcpy(dest, src,
                  static_cast<size_t>(std::min<int64_t>(bitmap.RowBytes(), image.bytesPerLine())));
  }
}

}  // namespace

QImage ToQImage(const TBitmap& bitmap) {
  if (bitmap.GetEmpty()) return QImage();
  const TPixelFormat format = bitmap.PixelFormat();
  QImage image(bitmap.Width(), bitmap.Height(), QtFormat(format));
  if (PaletteSizeOf(format) > 0)
    image.setColorTable(QtColorTable(bitmap.Palette(), PaletteSizeOf(format)));
  for (int y = 0; y < bitmap.Height(); ++y) CopyRow(bitmap, y, image);
  return image;
}

TBitmap From24BitQImage(const QImage& picture) {
  if (picture.isNull()) return TBitmap();
  const QImage bgr = picture.convertToFormat(QImage::Format_BGR888);
  TBitmap bitmap(bgr.width(), bgr.height(), TPixelFormat::pf24bit);
  for (int y = 0; y < bgr.height(); ++y)
    std::copy_n(bgr.constScanLine(y), 3 * static_cast<size_t>(bgr.width()), bitmap.ScanLine(y));
  return bitmap;
}

}  // namespace plat
