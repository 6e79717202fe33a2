#pragma once
// Turns an image file, or a picture already in memory, into a picture of a chosen size: the
// thumbnails of the file list and the basket, and the full-size pictures of the viewer.
#include <QImage>
#include <QRect>
#include <QString>
#include <cstdint>
#include <functional>

namespace browse {

// How a picture meets its box: the image's own size, fitted without enlarging, or the box.
enum ScaleMode : int32_t { kOwnSize = 0, kFitBox = 1, kExactBox = 2 };

// The size of a source fitted into a box without enlarging it.
void fncFitSize(int32_t SourceWidth, int32_t SourceHeight, int32_t BoxWidth, int32_t BoxHeight,
                int32_t& OutWidth, int32_t& OutHeight);

// Where an image of the given size lands, aspect kept, centred in a box.
QRect KeepAspectRect(int32_t ImageWidth, int32_t ImageHeight, int32_t BoxWidth, int32_t BoxHeight);

// The canvas an image of the given size gets in a mode.
QSize CanvasSize(QSize image, ScaleMode Mode, int32_t BoxWidth, int32_t BoxHeight);

// Draws an image smoothly onto a canvas of `canvas` size filled with the background
// (0x00BBGGRR), centred with its aspect kept or stretched over the whole canvas.
QImage DrawOnCanvas(const QImage& image, QSize canvas, uint32_t BackColor, bool KeepAspect);

// Loads a file through Qt's readers into a picture of the mode's size; the out sizes receive the
// stored size. A file Qt cannot read gives a null image.
QImage fncLoadScaledPicture(const QString& Path, ScaleMode Mode, int32_t BoxWidth,
                            int32_t BoxHeight, uint32_t BackColor, bool KeepAspect,
                            int32_t& OutWidth, int32_t& OutHeight);

// Fits a picture already loaded into the mode's canvas, aspect kept, on the background.
QImage fncScaleLoadedPicture(const QImage& Picture, ScaleMode Mode, int32_t BoxWidth,
                             int32_t BoxHeight, uint32_t BackColor);

// Page `page` (from 1) of a multipage file at its own size, laid on the background where it is
// transparent, with samples of more than 8 bits reduced to 8; Qt's readers only. A null image
// when the page cannot be read.
QImage ReadFilePage(const QString& Path, int page, uint32_t BackColor);

// Kinds of handle fncScalePicture takes; metafiles and icons are not read.
enum HandleKind : int32_t { kBitmapHandle = 1 };

// Scales the bitmap behind a handle of the handle table onto a canvas of the mode's size (the
// source size fitted into the box in mode 1, the box in mode 2). No picture for another kind
// of handle or a handle that holds no bitmap.
QImage fncScalePicture(uint32_t Handle, int32_t SourceWidth, int32_t SourceHeight,
                       int32_t HandleType, int32_t BoxWidth, int32_t BoxHeight, ScaleMode Mode,
                       uint32_t BackColor, bool KeepAspect);

// The Qt route as LoadPic calls it; tests put a failing reader in its place.
using QtLoadRoute = std::function<QImage(const QString& Path, ScaleMode Mode, int32_t BoxWidth,
                                         int32_t BoxHeight, uint32_t BackColor, bool KeepAspect,
                                         int32_t& OutWidth, int32_t& OutHeight)>;

// The one entry that loads a file: Qt's readers for the common types, FreeImage for the rest
// and whenever Qt gives nothing. The out sizes receive the stored size. No picture is the only
// failure signal; errors other than an overflow or an invalid picture are also reported under
// "LoadPic".
QImage LoadPic(const QString& Path, ScaleMode Mode, int32_t MaxWidth, int32_t MaxHeight,
               uint32_t BackColor, int32_t& OutWidth, int32_t& OutHeight,
               const QtLoadRoute& QtRoute = fncLoadScaledPicture);

}  // namespace browse
