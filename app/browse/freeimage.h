#pragma once
// The FreeImage route of picture loading and saving: any file type FreeImage reads, by
// extension, and the conversions between FreeImage bitmaps and pictures.
//
// A FreeImage bitmap is a FIBITMAP pointer, nullptr meaning none. Functions that take an
// unload-source flag unload their source when they hand back a new bitmap in its place.
#include <QImage>
#include <QString>
#include <cstdint>
#include <span>
#include <variant>
#include <vector>

struct FIBITMAP;

namespace browse {

// FreeImage's "invalid picture": every failure of its loader.
constexpr int32_t kInvalidPicture = 481;
// The run-time error of an arithmetic overflow: a size that does not fit 32 bits.
constexpr int32_t kOverflow = 6;

// FreeImage's resampling filter the saving subsystem passes: bicubic.
constexpr int32_t kFilterBicubic = 1;

// An optional width or height: missing, whole pixels, or a factor of the current side.
using Side = std::variant<std::monostate, int32_t, double>;

// Loads a file by the format its extension names; FormatCode receives FreeImage's format number
// (-1 when none). With a width or height the bitmap is prepared and rescaled first. Raises
// shell::AppError 481 for an unknown or unreadable format, a failed load or conversion.
QImage fncLoadPictureFromFile(const QString& Path, int32_t& FormatCode, const Side& Width = {},
                              const Side& Height = {}, bool Percent = false,
                              int32_t Filter = kFilterBicubic);

// Writes a picture in a FreeImage format with that format's save flags; True when the file was
// written. FormatCode -1 takes the format from the file name and hands it back; a file name
// whose extension does not suit the format gets the format's own one appended. Raises
// shell::AppError 91 without a picture and 481 when it cannot become a FreeImage bitmap.
bool fncSavePictureToFile(const QImage& Picture, QString& FileName, int32_t& FormatCode,
                          int32_t Flags, const Side& Width = {}, const Side& Height = {},
                          bool Percent = false, int32_t Filter = kFilterBicubic);

// FreeImage's format by content, -1 when it recognises none.
int32_t FileTypeByContent(const QString& Path);

// FreeImage's comma-separated extension list of a format, and its first entry.
QString fncGetExtensionList(int32_t FormatCode);
QString fncGetPrimaryExtension(int32_t FormatCode);

// True when the file name's extension is a whole entry of the format's list; CompareMode 0 is
// exact case, any other ignores case.
bool fncIsExtensionValidForFormat(int32_t FormatCode, const QString& FileName, int32_t CompareMode);

// Conversion codes of fncConvertColorDepth; kPaletteByColorType may be added to any of them.
enum ColorDepthCode : int32_t {
  kThreshold1Bit = 1,
  kDither1Bit = 3,
  k4Bits = 4,
  k8BitsPalette = 8,
  k8BitsGrey = 9,
  k16Bits555 = 15,
  k16Bits565 = 16,
  k24Bits = 24,
  k32Bits = 32,
  kBeforeRescale = 256,
  kPaletteByColorType = 0x1000,
};

// The bitmap in the depth a code asks for; the source itself when the code is unknown, no
// conversion is needed or FreeImage fails. ReservedColors are 0x00RRGGBB entries kept in an
// 8-bit palette; a ReservedCount below 1 reserves all of them.
FIBITMAP* fncConvertColorDepth(FIBITMAP* Bitmap, int32_t Conversion, bool UnloadSource,
                               uint8_t Threshold = 128, int32_t DitherMethod = 0,
                               int32_t Quantizer = 0, int32_t PaletteSize = 256,
                               std::span<const uint32_t> ReservedColors = {},
                               int32_t ReservedCount = 0);

// The bitmap at a new size: both sides given, or one with the aspect kept; factors are of the
// current size (percent when Percent). The source itself when neither side is given; a side
// beyond 32 bits raises shell::AppError 6 with the source kept.
FIBITMAP* fncRescaleImage(FIBITMAP* Bitmap, const Side& Width, const Side& Height, bool Percent,
                          bool UnloadSource, int32_t Filter);

// A picture of the bitmap in full colour; no picture for no bitmap or a failed conversion.
QImage fncBitmapToPicture(FIBITMAP* Bitmap, bool UnloadSource);
// A new bitmap of the picture: 1 bit for a bilevel picture, 24 bits otherwise; nullptr for no
// picture or when FreeImage cannot allocate one.
FIBITMAP* fncPictureToBitmap(const QImage& Picture);

// True only for a 1-, 4- or 8-bit bitmap whose palette entries are all grey.
bool fncIsGreyscaleImage(FIBITMAP* Bitmap);
// The palette as 0x00RRGGBB entries; empty for a bitmap without one.
std::vector<uint32_t> fncGetPaletteArray(FIBITMAP* Bitmap);

}  // namespace browse
