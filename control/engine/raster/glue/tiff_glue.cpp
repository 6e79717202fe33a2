// TIFF glue: a TTIFImage reads the page the caller asks for and decodes it into the bitmap;
// saving encodes the bitmap with the compression the image carries (Group 4 on black and white).
#include "control/engine/raster/glue/glue.h"
#include "control/formats/tiff/tif_image.h"

namespace pictavo::glue {

namespace {

uint8_t TxCompressionOf(uint16_t compression) {
  switch (compression) {
    case 4:
      return cmGroup4;
    case 32773:
      return cmPackBits;
    default:
      return cmNone;
  }
}

uint16_t TiffCompressionOf(uint8_t code) {
  switch (code) {
    case cmGroup4:
      return 4;
    case cmPackBits:
      return 32773;
    default:
      return 1;
  }
}

}  // namespace

void LoadTiff(LoadRequest& request) {
  TTIFImage tif;
  tif.UseLZW = request.owner.UseLZW;
  tif.PageNumber = request.page;
  tif.LoadFromStream(request.stream);
  TicBitmap& target = request.target;
  target.Assign(tif);
  target.SetXDPI(tif.XDPI);
  target.SetYDPI(tif.YDPI);
  target.WasCMYK = tif.WasCMYK;
  target.TIFCompression = TxCompressionOf(tif.Compression);
  CopyFileInfo(*target.FileInfo, tif.FileInfo);
  CopyExif(*target.Exif, tif.Exif);
}

void FillTiffPage(TicBitmap& bitmap, TTIFImage& page, bool with_exif) {
  if (bitmap.TIFCompression == cmGroup4) bitmap.SetColorFormat(cfMonoBW);
  page.Compression = TiffCompressionOf(bitmap.TIFCompression);
  const plat::TPixelFormat format = bitmap.PixelFormat();
  if (format == plat::TPixelFormat::pf1bit || format == plat::TPixelFormat::pf4bit ||
      format == plat::TPixelFormat::pf8bit || format == plat::TPixelFormat::pf24bit) {
    page.Assign(bitmap);
  } else {  // pixels the page cannot hold as they are go out as 24-bit colour
    plat::TBitmap colour(bitmap);
    colour.SetPixelFormat(plat::TPixelFormat::pf24bit);
    page.Assign(colour);
  }
  CopyFileInfo(page.FileInfo, *bitmap.FileInfo);
  if (with_exif) CopyExif(page.Exif, *bitmap.Exif);
  page.XDPI = bitmap.GetXDPI();
  page.YDPI = bitmap.GetYDPI();
}

void SaveTiff(SaveRequest& request) {
  TTIFImage tif;
  FillTiffPage(request.bitmap, tif, true);
  tif.SaveToStream(request.stream);
}

}  // namespace pictavo::glue
