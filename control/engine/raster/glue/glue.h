#pragma once
// The per-format glue between TicBitmap and the codecs.
//
// How a codec plugs in: each format has exactly one file glue/<fmt>_glue.cpp (bmp, gif, jpeg,
// pcx, png, wbmp, psd, tiff, pdf) that defines that format's Load<Fmt> and Save<Fmt> below.
// Until a codec exists its file raises EInvalidGraphic "Not available: <FMT>". To plug a codec
// in, replace that one file with one that creates the codec's image object, converts it to or
// from the bitmap and carries what the format carries (transparency, resolution, compression,
// metadata); nothing else needs to change. The metadata holders are plugged in the same way by
// replacing glue/metadata_glue.cpp.
//
// Rules every glue keeps:
// - One codec object per call, freed afterwards (also on failure).
// - Load<Fmt> fills request.target; the caller classifies the colours afterwards.
// - Errors of the codec pass through unchanged; the caller maps them where it must.
// - TIFF carries FileInfo and Exif in both directions on every path (file and bytes), so an
//   image that goes through WriteBinary/ReadBinary keeps its metadata.
#include <cstdint>
#include <string>

#include "control/engine/raster/ticbitmap.h"

namespace pictavo {
class TTIFImage;
class TicPDF;
}  // namespace pictavo

namespace pictavo::glue {

// The file path and the stream (byte) path of a load differ in a few details per format.
enum class LoadPath { File, Stream };

// Which public operation a save serves; a few formats carry less for some of them.
enum class SaveUse { File, Bytes, Size, Post };

struct LoadRequest {
  plat::TStream& stream;  // positioned at the start of the data
  TicBitmap& target;
  const TicBitmap& owner;  // the bitmap whose settings (UseLZW) govern the load
  int page = 0;
  LoadPath path = LoadPath::Stream;
  std::string file_name;  // without folder; empty on the stream path
};

struct SaveRequest {
  TicBitmap& bitmap;  // may be converted in place (TIFF Group 4 makes it cfMonoBW)
  plat::TStream& stream;
  bool use_lzw = false;
  int quality = 75;
  SaveUse use = SaveUse::File;
};

void LoadBmp(LoadRequest& request);
void SaveBmp(SaveRequest& request);
void LoadGif(LoadRequest& request);
void SaveGif(SaveRequest& request);
void LoadJpeg(LoadRequest& request);
void SaveJpeg(SaveRequest& request);
void LoadPcx(LoadRequest& request);
void SavePcx(SaveRequest& request);
void LoadPng(LoadRequest& request);
void SavePng(SaveRequest& request);
void LoadWbmp(LoadRequest& request);
void SaveWbmp(SaveRequest& request);
void LoadPsd(LoadRequest& request);
void SavePsd(SaveRequest& request);
void LoadTiff(LoadRequest& request);
void SaveTiff(SaveRequest& request);
// PDF is written only.
void SavePdf(SaveRequest& request);

// A TIFF page as every TIFF output prepares it: Group 4 makes the bitmap itself black and white
// first; the compression code, FileInfo and resolution are carried, EXIF only when asked.
void FillTiffPage(TicBitmap& bitmap, TTIFImage& page, bool with_exif);
// Adds the bitmap as a page of pdf: Group 4 when it is black and white, else JPEG at quality.
void AddPdfPage(TicPDF& pdf, const TicBitmap& bitmap, int position, int quality);

// Raised by the glue of a format whose codec is not part of this build.
[[noreturn]] void ThrowNotAvailable(const char* format);

// --- the metadata holders (glue/metadata_glue.cpp) ---
TFileInfo* NewFileInfo();
TExif* NewExif();
void CopyFileInfo(TFileInfo& dest, const TFileInfo& source);
void CopyExif(TExif& dest, const TExif& source);
// Sets the EXIF resolution tags that exist (XResolution, YResolution as "<dpi>/1",
// ResolutionUnit "2"); creates none and does nothing when the tag list is empty.
void UpdateExifResolution(TExif& exif, int x_dpi, int y_dpi);
// Rewrites the PixelXDimension and PixelYDimension tags the store holds.
void UpdateExifDimensions(TExif& exif, int width, int height);

}  // namespace pictavo::glue
