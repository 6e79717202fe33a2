#include "app/browse/freeimage.h"

#include <FreeImage.h>

#include <QFile>
#include <cstring>
#include <memory>

#include "app/shell/errors.h"

namespace browse {

namespace {

struct Unload {
  void operator()(FIBITMAP* bitmap) const { FreeImage_Unload(bitmap); }
};
using Bitmap = std::unique_ptr<FIBITMAP, Unload>;

[[noreturn]] void RaiseInvalidPicture() {
  throw shell::AppError(kInvalidPicture, "Invalid picture");
}

// FreeImage keeps rows bottom-up in BGRA order, which is ARGB32 read as 32-bit words.
QImage ToQImage(FIBITMAP* source) {
  const Bitmap colour(FreeImage_ConvertTo32Bits(source));
  if (!colour) RaiseInvalidPicture();
  const int width = static_cast<int>(FreeImage_GetWidth(colour.get()));
  const int height = static_cast<int>(FreeImage_GetHeight(colour.get()));
  QImage image(width, height, QImage::Format_ARGB32);
  if (image.isNull()) RaiseInvalidPicture();
  for (int y = 0; y < height; ++y)
    std::memcpy(image.scanLine(y), FreeImage_GetScanLine(colour.get(), height - 1 - y),
                static_cast<size_t>(width) * 4);
  return image;
}

}  // namespace

QString fncGetExtensionList(int32_t FormatCode) {
  const char* list = FreeImage_GetFIFExtensionList(static_cast<FREE_IMAGE_FORMAT>(FormatCode));
  return list == nullptr ? QString() : QString::fromLatin1(list);
}

QString fncGetPrimaryExtension(int32_t FormatCode) {
  return fncGetExtensionList(FormatCode).section(',', 0, 0);
}

// Whole entries only: a part of an entry ("ti" of "tif") is no extension of the format.
bool fncIsExtensionValidForFormat(int32_t FormatCode, const QString& FileName,
                                  int32_t CompareMode) {
  const qsizetype dot = FileName.lastIndexOf('.');
  if (dot < 0) return false;
  const Qt::CaseSensitivity sensitivity =
      CompareMode == 0 ? Qt::CaseSensitive : Qt::CaseInsensitive;
  return fncGetExtensionList(FormatCode).split(',').contains(FileName.mid(dot + 1), sensitivity);
}

int32_t FileTypeByContent(const QString& Path) {
  return FreeImage_GetFileType(QFile::encodeName(Path).constData(), 0);
}

QImage fncLoadPictureFromFile(const QString& Path, int32_t& FormatCode) {
  const QByteArray name = QFile::encodeName(Path);
  const FREE_IMAGE_FORMAT format = FreeImage_GetFIFFromFilename(name.constData());
  FormatCode = format;
  if (format == FIF_UNKNOWN || !FreeImage_FIFSupportsReading(format)) RaiseInvalidPicture();
  const Bitmap bitmap(FreeImage_Load(format, name.constData(), 0));
  if (!bitmap) RaiseInvalidPicture();
  return ToQImage(bitmap.get());
}

}  // namespace browse
