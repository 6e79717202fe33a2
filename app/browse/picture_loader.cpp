#include "app/browse/picture_loader.h"

#include <QColor>
#include <QCoreApplication>
#include <QImageReader>
#include <QPainter>
#include <QThread>
#include <cmath>

#include "app/browse/freeimage.h"
#include "app/shell/errors.h"
#include "platform/base/rounding.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/handles.h"
#include "platform/graphics/qimage_view.h"

namespace browse {

namespace {

// Products are taken in single precision, as the ratios are.
int32_t RoundedProduct(int32_t value, float ratio) {
  return static_cast<int32_t>(std::nearbyint(static_cast<float>(value) * ratio));
}

int32_t RoundHalfEven(double value) {
  return static_cast<int32_t>(plat::RoundHalfEven(value));
}

// Types whose files carry no signature: FreeImage cannot tell them by content, so their
// extension decides.
bool HasNoSignature(const QString& extension) {
  return extension == "wbmp" || extension == "wbm";
}

bool IsMetafile(const QString& extension) {
  return extension == "emf" || extension == "wmf";
}

bool TakesQtRoute(const QString& extension) {
  static const QStringList kQtTypes = {"tiff", "tif", "gif", "jpeg", "jpg", "jpe", "png", "bmp"};
  return kQtTypes.contains(extension);
}

QString LowerExtension(const QString& path) {
  const qsizetype dot = path.lastIndexOf('.');
  return dot < 0 ? QString() : path.mid(dot + 1).toLower();
}

QImage LoadThroughFreeImage(const QString& path, ScaleMode mode, int32_t boxWidth,
                            int32_t boxHeight, uint32_t backColor, int32_t& outWidth,
                            int32_t& outHeight) {
  int32_t format = -1;
  const QImage picture = fncLoadPictureFromFile(path, format);
  outWidth = picture.width();
  outHeight = picture.height();
  if (mode == kOwnSize) return picture;
  return fncScaleLoadedPicture(picture, mode, boxWidth, boxHeight, backColor);
}

// One step of LoadPic: an overflow or an invalid picture gives no picture, so the next step
// runs; other errors go on to the report.
QImage FallingThrough(const std::function<QImage()>& step) {
  try {
    return step();
  } catch (const shell::AppError& error) {
    if (error.Number() != kOverflow && error.Number() != kInvalidPicture) throw;
    return {};
  }
}

// The report is a dialog, so a worker thread leaves it to the GUI thread.
void ReportLoadPicError(const shell::TrappedError& error) {
  const auto report = [error] {
    shell::subGlobalErrorHandler(error.description, error.number, error.line,
                                 shell::RoutineLabel(shell::Routine::LoadPic));
  };
  QCoreApplication* application = QCoreApplication::instance();
  if (application == nullptr) return;  // no program to show it
  if (QThread::currentThread() == application->thread())
    report();
  else
    QMetaObject::invokeMethod(application, report, Qt::QueuedConnection);
}

QColor ColorFromBgr(uint32_t bgr) {
  return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                static_cast<int>((bgr >> 16) & 0xFF));
}

}  // namespace

void fncFitSize(int32_t SourceWidth, int32_t SourceHeight, int32_t BoxWidth, int32_t BoxHeight,
                int32_t& OutWidth, int32_t& OutHeight) {
  if (SourceWidth <= BoxWidth && SourceHeight <= BoxHeight) {
    OutWidth = SourceWidth;
    OutHeight = SourceHeight;
    return;
  }
  const float widthRatio = static_cast<float>(BoxWidth) / static_cast<float>(SourceWidth);
  const float heightRatio = static_cast<float>(BoxHeight) / static_cast<float>(SourceHeight);
  if (widthRatio < heightRatio) {
    OutWidth = BoxWidth;
    OutHeight = RoundedProduct(SourceHeight, widthRatio);
  } else {
    OutWidth = RoundedProduct(SourceWidth, heightRatio);
    OutHeight = BoxHeight;
  }
}

QRect KeepAspectRect(int32_t ImageWidth, int32_t ImageHeight, int32_t BoxWidth, int32_t BoxHeight) {
  const double imageAspect = static_cast<double>(ImageWidth) / ImageHeight;
  const double boxAspect = static_cast<double>(BoxWidth) / BoxHeight;
  const int32_t width = boxAspect < imageAspect ? BoxWidth : RoundHalfEven(BoxHeight * imageAspect);
  const int32_t height =
      boxAspect < imageAspect ? RoundHalfEven(BoxWidth / imageAspect) : BoxHeight;
  return QRect(RoundHalfEven((BoxWidth - width) / 2.0), RoundHalfEven((BoxHeight - height) / 2.0),
               width, height);
}

QSize CanvasSize(QSize image, ScaleMode Mode, int32_t BoxWidth, int32_t BoxHeight) {
  if (Mode == kOwnSize) return image;
  if (Mode == kExactBox) return QSize(BoxWidth, BoxHeight);
  int32_t width = 0;
  int32_t height = 0;
  fncFitSize(image.width(), image.height(), BoxWidth, BoxHeight, width, height);
  return QSize(width, height);
}

QImage DrawOnCanvas(const QImage& image, QSize canvas, uint32_t BackColor, bool KeepAspect) {
  if (image.isNull() || canvas.isEmpty()) return {};
  QImage picture(canvas, QImage::Format_RGB32);
  picture.fill(ColorFromBgr(BackColor));
  const QRect target =
      KeepAspect ? KeepAspectRect(image.width(), image.height(), canvas.width(), canvas.height())
                 : QRect(QPoint(0, 0), canvas);
  // Smooth scaling needs full colour: palette and bilevel images are widened first.
  const QImage scaled = image.convertToFormat(QImage::Format_ARGB32)
                            .scaled(target.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  QPainter painter(&picture);
  painter.drawImage(target.topLeft(), scaled);
  painter.end();
  return picture;
}

QImage ReadFilePage(const QString& Path, int page, uint32_t BackColor) {
  QImageReader reader(Path);
  reader.setAutoTransform(false);
  if (page < 1 || !reader.jumpToImage(page - 1)) return {};
  const QImage image = reader.read();
  return DrawOnCanvas(image, image.size(), BackColor, false);
}

QImage fncLoadScaledPicture(const QString& Path, ScaleMode Mode, int32_t BoxWidth,
                            int32_t BoxHeight, uint32_t BackColor, bool KeepAspect,
                            int32_t& OutWidth, int32_t& OutHeight) {
  QImageReader reader(Path);
  reader.setAutoTransform(false);
  const QSize stored = reader.size();
  if (!stored.isValid()) return {};
  OutWidth = stored.width();
  OutHeight = stored.height();
  const QSize canvas = CanvasSize(stored, Mode, BoxWidth, BoxHeight);
  if (canvas.isEmpty()) return {};
  const QSize drawn =
      KeepAspect
          ? KeepAspectRect(stored.width(), stored.height(), canvas.width(), canvas.height()).size()
          : canvas;
  // JPEG decodes at reduced scale, far less work for a small box. Other readers scale after
  // decoding, and bilevel images lose their colours that way, so they are left to the smooth
  // scaling below.
  if (reader.format() == "jpeg" && drawn.width() < stored.width() &&
      drawn.height() < stored.height())
    reader.setScaledSize(drawn);
  return DrawOnCanvas(reader.read(), canvas, BackColor, KeepAspect);
}

QImage fncScaleLoadedPicture(const QImage& Picture, ScaleMode Mode, int32_t BoxWidth,
                             int32_t BoxHeight, uint32_t BackColor) {
  if (Picture.isNull()) return {};
  return DrawOnCanvas(Picture, CanvasSize(Picture.size(), Mode, BoxWidth, BoxHeight), BackColor,
                      true);
}

QImage fncScalePicture(uint32_t Handle, int32_t SourceWidth, int32_t SourceHeight,
                       int32_t HandleType, int32_t BoxWidth, int32_t BoxHeight, ScaleMode Mode,
                       uint32_t BackColor, bool KeepAspect) {
  if (HandleType != kBitmapHandle) return {};
  const std::shared_ptr<plat::TBitmap> bitmap = plat::BitmapOfHandle(Handle);
  if (!bitmap) return {};
  return DrawOnCanvas(plat::ToQImage(*bitmap),
                      CanvasSize(QSize(SourceWidth, SourceHeight), Mode, BoxWidth, BoxHeight),
                      BackColor, KeepAspect);
}

QImage LoadPic(const QString& Path, ScaleMode Mode, int32_t MaxWidth, int32_t MaxHeight,
               uint32_t BackColor, int32_t& OutWidth, int32_t& OutHeight,
               const QtLoadRoute& QtRoute) {
  const QString extension = LowerExtension(Path);
  const bool metafile = IsMetafile(extension);
  QImage picture;
  const std::optional<shell::TrappedError> error = shell::RunTrapped(
      [&] {
        if (!metafile && !HasNoSignature(extension) && FileTypeByContent(Path) < 0) return;
        if (metafile || TakesQtRoute(extension))
          picture = FallingThrough([&] {
            return QtRoute(Path, Mode, MaxWidth, MaxHeight, BackColor, true, OutWidth, OutHeight);
          });
        if (picture.isNull())
          picture = FallingThrough([&] {
            return LoadThroughFreeImage(Path, Mode, MaxWidth, MaxHeight, BackColor, OutWidth,
                                        OutHeight);
          });
      },
      __LINE__);
  if (!error) return picture;
  ReportLoadPicError(*error);
  return {};
}

}  // namespace browse
