#pragma once
// The multipage documents the control builds: one pending PDF and one pending TIFF page list that
// live as long as the control. Pages accumulate across images and writes; only the clear calls
// empty them, so a host may write the same document twice. Both lists own copies of the pages, so
// nothing in them refers back to the control's image.
#include <cstdint>
#include <string>

#include "control/engine/raster/ticbitmap.h"
#include "control/formats/pdf/pdf_document.h"
#include "control/formats/tiff/tif_pages.h"

namespace pictavo {

class TPageLists {
 public:
  // Positions are 1-based; 0 or one beyond the last page appends.
  void AddToPDF(const TicBitmap& image, int32_t page, uint8_t quality);
  // Nothing while no page is pending; ".pdf" is added unless the name ends in it.
  void WritePDF(const std::string& file_name) const;
  void ClearPDF() { pdf_.Clear(); }
  // image may be made black and white for Group 4 (it is the export's working copy).
  void AddToTIF(TicBitmap& image, int32_t page);
  // Nothing while no page is pending; ".tif" is added unless the name ends in ".tif" or ".tiff".
  void WriteTIF(const std::string& file_name) const;
  void ClearTIF() { tif_.Clear(); }

  // What an upload posts instead of the current image while pages are pending.
  const TicPDF& PendingPDF() const { return pdf_; }
  const TTIFList& PendingTIF() const { return tif_; }

 private:
  TicPDF pdf_;
  TTIFList tif_;
};

// Writes the TIFF file source without pages first .. first + count - 1 to dest (source when
// empty). Does nothing when source is missing, the range starts outside the file or would take
// every page.
void DeleteTIFPages(const std::string& source, const std::string& dest, int32_t first,
                    int32_t count);

// file_name trimmed, with ".pdf" added unless its ASCII lower-cased extension is ".pdf".
std::string PDFFileName(const std::string& file_name);
// file_name trimmed, with ".tif" added unless its extension is ".tif" or ".tiff".
std::string TIFFileName(const std::string& file_name);

// The names a page insertion or deletion reads and writes: both by the file-name rule of the
// format, an empty (or blank) dest standing for source.
struct TSourceAndDest {
  std::string source, dest;
};
TSourceAndDest PDFFileNames(const std::string& source, const std::string& dest);
TSourceAndDest TIFFileNames(const std::string& source, const std::string& dest);

}  // namespace pictavo
