// JPEG glue: TJPEGImageExtra carries the resolution, the CMYK flag, the progressive flag, the
// quality estimate and the IPTC and EXIF data between the file and the bitmap.
#include <algorithm>

#include "control/engine/raster/glue/glue.h"
#include "control/engine/raster/glue/jpeg_glue.h"
#include "control/formats/jpeg/jpeg_image.h"
#include "platform/base/streams.h"

namespace pictavo::glue {

void LoadJpeg(LoadRequest& request) {
  TJPEGImageExtra jpeg;
  jpeg.SetPixelFormat(TJPEGPixelFormat::jf24Bit);
  try {
    jpeg.LoadFromStream(request.stream);
    request.target.Assign(static_cast<const plat::TBitmap&>(jpeg.GetBitmap()));
  } catch (const plat::EInvalidGraphic&) {
    if (request.path != LoadPath::File) throw;
    throw plat::EInvalidGraphic("The file " + request.file_name +
                                " is corrupt or not in JPG format.");
  }
  TicBitmap& target = request.target;
  target.SetXDPI(jpeg.GetXDensity());
  target.SetYDPI(jpeg.GetYDensity());
  target.WasCMYK = jpeg.ColorSpaceKind == kColorSpaceCMYK;
  target.FileInfo->CopyFrom(jpeg.FileInfo);
  target.Exif->CopyFrom(jpeg.Exif);
  target.ProgressiveJPEG = jpeg.ProgressiveEncoding;
  if (request.path == LoadPath::File) {
    target.JPEGApproxQuality = jpeg.ApproxQuality;
    target.JPEGApproxQualityError = jpeg.ApproxQualityError;
  }
}

void SaveJpeg(SaveRequest& request) {
  TicBitmap& bitmap = request.bitmap;
  TJPEGImageExtra jpeg;
  jpeg.Assign(static_cast<const plat::TBitmap&>(bitmap));
  jpeg.Quality = static_cast<uint8_t>(std::clamp(request.quality, 1, 100));
  jpeg.SetXDensity(static_cast<uint16_t>(std::clamp(bitmap.GetXDPI(), 0, 65535)));
  jpeg.SetYDensity(static_cast<uint16_t>(std::clamp(bitmap.GetYDPI(), 0, 65535)));
  jpeg.FileInfo.CopyFrom(*bitmap.FileInfo);
  jpeg.Exif.CopyFrom(*bitmap.Exif);
  jpeg.ProgressiveEncoding = bitmap.ProgressiveJPEG;
  jpeg.SetGrayscale(bitmap.IsGrayscalePalette());
  jpeg.SaveToStream(request.stream);
}

void OverwriteJpegMetaData(const TicBitmap& image, const std::string& file_name) {
  if (!plat::FileExists(file_name))
    throw plat::EFOpenError("File not found: " + TicBitmap::NameWithoutFolder(file_name));
  try {
    TJPEGImageExtra check;  // only files the decoder accepts are rewritten
    check.LoadFromFile(file_name);
    TJPEGImageExtra::RewriteFileMetadata(file_name, *image.FileInfo, *image.Exif);
  } catch (const plat::Exception&) {
    throw plat::EInvalidGraphic("Error overwriting JPEG Meta Data.");
  }
}

}  // namespace pictavo::glue
