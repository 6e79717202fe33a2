// PDF glue: a one-page document, Group 4 for black and white, JPEG at the quality otherwise.
#include <algorithm>

#include "control/engine/raster/glue/glue.h"
#include "control/formats/pdf/pdf_document.h"

namespace pictavo::glue {

void AddPdfPage(TicPDF& pdf, const TicBitmap& bitmap, int position, int quality) {
  if (bitmap.ColorFormat == cfMonoBW)
    pdf.AddG4Page(bitmap, position);
  else
    pdf.AddJPEGPage(bitmap, position, static_cast<uint8_t>(std::clamp(quality, 1, 100)));
}

void SavePdf(SaveRequest& request) {
  TicPDF pdf;
  AddPdfPage(pdf, request.bitmap, 1, request.quality);
  pdf.SaveToStream(request.stream);
}

}  // namespace pictavo::glue
