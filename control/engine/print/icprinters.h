#pragma once
// The library's printer routines on top of the platform printer object.
#include <QPainter>

#include "platform/graphics/bitmap.h"
#include "platform/print/printer.h"

namespace pictavo {

// Selects the printer again with its default settings record.
void ResetPrinterMode(plat::TPrinter& printer);
// The print quality of the selected printer's record; EPrinter without a record.
int GetPrintQuality(plat::TPrinter& printer);
// Sets the paper code of the record; codes <= 0 and a printer without a record are ignored.
void SetPaperSize(plat::TPrinter& printer, int code);
// Dots per inch of the selected printer: the record's print quality when positive, else the
// largest resolution the printer supports (kept as the print quality), else worked out from the
// page width and the sheet width. 0 without a record.
int GetResolution(plat::TPrinter& printer);
// Width of the sheet in whole millimetres.
int GetHorzSize(plat::TPrinter& printer);
// Draws the bitmap, with its palette, stretched into (x, y, width, height) of the page without
// smoothing. Full integers: pages at high resolutions pass 65,535 dots.
void PrintBitmap(QPainter& canvas, int x, int y, int width, int height,
                 const plat::TBitmap& bitmap);

}  // namespace pictavo
