#include "app/browse/freeimage.h"

#include <FreeImage.h>

#include <QFile>
#include <cstring>
#include <memory>

#include "app/browse/freeimage_bitmap.h"
#include "app/shell/errors.h"
#include "platform/base/exceptions.h"
#include "platform/base/streams.h"

namespace browse {

namespace {

[[noreturn]] void RaiseInvalidPicture() {
  throw shell::AppError(kInvalidPicture, "Invalid picture");
}

bool IsGiven(const Side& side) {
  return !std::holds_alternative<std::monostate>(side);
}

// The preparation and rescale both the loader and the saver apply when a size is given.
FiBitmap Resized(FiBitmap bitmap, const Side& width, const Side& height, bool percent,
                 int32_t filter) {
  if (!IsGiven(width) && !IsGiven(height)) return bitmap;
  bitmap.reset(fncConvertColorDepth(bitmap.release(), kBeforeRescale, true));
  FIBITMAP* rescaled = fncRescaleImage(bitmap.get(), width, height, percent, false, filter);
  if (rescaled != bitmap.get()) bitmap.reset(rescaled);
  return bitmap;
}

// Full colour in 8 bits a channel: FreeImage widens bitmaps and 16-bit colour itself; single-
// channel types (16-bit grey, float) are scaled to its standard type first.
FiBitmap FullColor(FIBITMAP* source) {
  if (FiBitmap colour{FreeImage_ConvertTo32Bits(source)}) return colour;
  const FiBitmap standard(FreeImage_ConvertToStandardType(source, TRUE));
  return standard ? FiBitmap(FreeImage_ConvertTo32Bits(standard.get())) : nullptr;
}

// FreeImage keeps rows bottom-up in BGRA order, which is RGB32 read as 32-bit words; the
// alpha byte is set, as a picture has none.
QImage PictureOf(FIBITMAP* source) {
  const FiBitmap colour = FullColor(source);
  if (!colour) return {};
  const int width = static_cast<int>(FreeImage_GetWidth(colour.get()));
  const int height = static_cast<int>(FreeImage_GetHeight(colour.get()));
  QImage picture(width, height, QImage::Format_RGB32);
  for (int y = 0; y < picture.height(); ++y) {
    const auto* from =
        reinterpret_cast<const uint32_t*>(FreeImage_GetScanLine(colour.get(), height - 1 - y));
    auto* to = reinterpret_cast<uint32_t*>(picture.scanLine(y));
    for (int x = 0; x < width; ++x) to[x] = from[x] | 0xFF000000u;
  }
  return picture;
}

// A bilevel picture keeps its two colours in a 1-bit bitmap; any other becomes 24 bits.
FiBitmap BitmapOf(const QImage& picture) {
  const bool bilevel = picture.depth() == 1;
  const QImage rows =
      picture.convertToFormat(bilevel ? QImage::Format_Mono : QImage::Format_BGR888);
  FiBitmap bitmap(FreeImage_Allocate(rows.width(), rows.height(), bilevel ? 1 : 24));
  if (!bitmap) return nullptr;
  const size_t rowBytes = (static_cast<size_t>(rows.width()) * (bilevel ? 1 : 24) + 7) / 8;
  for (int y = 0; y < rows.height(); ++y)
    std::memcpy(FreeImage_GetScanLine(bitmap.get(), rows.height() - 1 - y), rows.constScanLine(y),
                rowBytes);
  if (bilevel) {
    RGBQUAD* palette = FreeImage_GetPalette(bitmap.get());
    for (int i = 0; i < 2; ++i) {
      const QRgb colour = rows.color(i);
      palette[i] = {static_cast<BYTE>(qBlue(colour)), static_cast<BYTE>(qGreen(colour)),
                    static_cast<BYTE>(qRed(colour)), 0};
    }
  }
  return bitmap;
}

// Fax compression holds only black and white: other pictures are thresholded to it, so the
// file carries the compression asked for instead of FreeImage's silent LZW.
// FreeImage's portable-map writer picks the kind by the bitmap's depth alone, so a bitmap of
// the wrong depth would put colour into a ".pgm" or ".pbm" file.
FIBITMAP* SuitedToFlags(FIBITMAP* bitmap, int32_t format, int32_t flags) {
  if (format == FIF_PGM || format == FIF_PGMRAW)
    return fncConvertColorDepth(bitmap, k8BitsGrey, true);
  if (format == FIF_PBM || format == FIF_PBMRAW)
    return fncConvertColorDepth(bitmap, kThreshold1Bit, true);
  if (format == FIF_PPM || format == FIF_PPMRAW) return fncConvertColorDepth(bitmap, k24Bits, true);
  const bool fax = (flags & (TIFF_CCITTFAX3 | TIFF_CCITTFAX4)) != 0;
  if (format != FIF_TIFF || !fax) return bitmap;
  return fncConvertColorDepth(bitmap, kThreshold1Bit, true);
}

// Written beside the target and renamed, so a failed save leaves an existing file whole.
bool WriteReplacing(FIBITMAP* bitmap, int32_t format, int32_t flags, const QString& fileName) {
  const std::unique_ptr<FIMEMORY, decltype(&FreeImage_CloseMemory)> memory(FreeImage_OpenMemory(),
                                                                           FreeImage_CloseMemory);
  if (!memory ||
      !FreeImage_SaveToMemory(static_cast<FREE_IMAGE_FORMAT>(format), bitmap, memory.get(), flags))
    return false;
  BYTE* data = nullptr;
  DWORD size = 0;
  if (!FreeImage_AcquireMemory(memory.get(), &data, &size)) return false;
  try {
    plat::WriteFileReplacing(QFile::encodeName(fileName).toStdString(),
                             [&](plat::TStream& out) { out.WriteBuffer(data, size); });
  } catch (const plat::Exception&) {
    return false;
  }
  return true;
}

}  // namespace

QImage fncBitmapToPicture(FIBITMAP* Bitmap, bool UnloadSource) {
  if (Bitmap == nullptr) return {};
  QImage picture = PictureOf(Bitmap);
  if (UnloadSource) FreeImage_Unload(Bitmap);
  return picture;
}

FIBITMAP* fncPictureToBitmap(const QImage& Picture) {
  return Picture.isNull() ? nullptr : BitmapOf(Picture).release();
}

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

QImage fncLoadPictureFromFile(const QString& Path, int32_t& FormatCode, const Side& Width,
                              const Side& Height, bool Percent, int32_t Filter) {
  const QByteArray name = QFile::encodeName(Path);
  const FREE_IMAGE_FORMAT format = FreeImage_GetFIFFromFilename(name.constData());
  FormatCode = format;
  if (format == FIF_UNKNOWN || !FreeImage_FIFSupportsReading(format)) RaiseInvalidPicture();
  FiBitmap bitmap(FreeImage_Load(format, name.constData(), 0));
  if (!bitmap) RaiseInvalidPicture();
  QImage picture = fncBitmapToPicture(
      Resized(std::move(bitmap), Width, Height, Percent, Filter).release(), true);
  if (picture.isNull()) RaiseInvalidPicture();
  return picture;
}

bool fncSavePictureToFile(const QImage& Picture, QString& FileName, int32_t& FormatCode,
                          int32_t Flags, const Side& Width, const Side& Height, bool Percent,
                          int32_t Filter) {
  if (Picture.isNull())
    throw shell::AppError(shell::kErrObjectNotSet,
                          "Object variable or With block variable not set");
  FiBitmap bitmap(fncPictureToBitmap(Picture));
  if (!bitmap) RaiseInvalidPicture();
  bitmap = Resized(std::move(bitmap), Width, Height, Percent, Filter);
  if (FormatCode == FIF_UNKNOWN)
    FormatCode = FreeImage_GetFIFFromFilename(QFile::encodeName(FileName).constData());
  if (FormatCode == FIF_UNKNOWN) return false;
  if (!fncIsExtensionValidForFormat(FormatCode, FileName, 0))
    FileName += QLatin1Char('.') + fncGetPrimaryExtension(FormatCode);
  bitmap.reset(SuitedToFlags(bitmap.release(), FormatCode, Flags));
  return WriteReplacing(bitmap.get(), FormatCode, Flags, FileName);
}

}  // namespace browse
