// PDF glue: a one-page document, Group 4 for black and white, JPEG at the quality otherwise.
#include <algorithm>

#include "control/engine/raster/glue/glue.h"
#include "control/formats/pdf/pdf_document.h"

namespace pictavo::glue {

void SavePdf(SaveRequest& request) {
  TicBitmap& bitmap = request.bitmap;
  TicPDF pdf;
  if (bitmap.ColorFormat == cfMonoBW)
    pdf.AddG4Page(bitmap, 1);
  else
    pdf.AddJPEGPage(bitmap, 1, static_cast<uint8_t>(std::clamp(request.quality, 1, 100)));
  pdf.SaveToStream(request.stream);
}

}  // namespace pictavo::glue
