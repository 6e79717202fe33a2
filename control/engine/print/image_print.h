#pragma once
// TImagePrint: the view's print settings and the print job of one image on one page. The
// settings belong to the control, not to the image, so they survive every image change; the fit
// and centre steps write their results back into them.
#include <string>
#include <vector>

#include "control/engine/raster/ticbitmap.h"

namespace pictavo {

// PrintImage results.
enum TxPrintResult : int { prNoImage = 0, prPrinted = 1, prCancelled = 2 };

class TImagePrint {
 public:
  bool UsePrintDialog = true;
  int PrinterIndex = -1;  // -1 the default printer; checked only when printing
  std::string PrintTitle = "Tamblin Pictavo";
  int PrintOrientation = 0;  // poPortrait
  int PrintUnits = 0;        // pucm; any other value means inches
  bool PrintFit = false;
  bool PrintCentre = false;

  // Positions read and written in PrintUnits; kept in centimetres.
  double PrintLeft() const { return FromCm(left_cm_); }
  double PrintTop() const { return FromCm(top_cm_); }
  void SetPrintLeft(double value) { left_cm_ = ToCm(value); }
  void SetPrintTop(double value) { top_cm_ = ToCm(value); }
  // Values not above 0 are ignored.
  double PrintScale() const { return scale_; }
  void SetPrintScale(double percent);
  int PrintCopies() const { return copies_; }
  void SetPrintCopies(int copies);
  int PrintPaperSize() const { return paper_; }
  void SetPrintPaperSize(int code);
  // Dots per inch of the printer at the last print; 0 before one.
  int PrinterResolution() const { return resolution_; }

  int PrinterCount() const;
  // Empty outside 0 <= index < PrinterCount().
  std::string PrinterName(int index) const;
  bool SelectPrinterByName(const std::string& name);
  // The same among these printer names.
  bool SelectPrinterByName(const std::vector<std::string>& printers, const std::string& name);

  // Prints image on one page, after the preview when UsePrintDialog is on: prPrinted or
  // prCancelled. Printer errors pass out as plat::EPrinter.
  int Print(const TicBitmap& image);

 private:
  double FromCm(double cm) const { return PrintUnits == 0 ? cm : cm / 2.54; }
  double ToCm(double value) const { return PrintUnits == 0 ? value : value * 2.54; }
  // Shows the preview; on Print its values become the settings. False when cancelled.
  bool AskSettings(const TicBitmap& image, double image_w_mm, double image_h_mm);
  // Selects and sets up the printer; returns its resolution in dots per inch.
  int PreparePrinter();
  void FitToPage(double image_w_mm, double image_h_mm, double page_w_mm, double page_h_mm);
  void CentreOnPage(double image_w_mm, double image_h_mm, double page_w_mm, double page_h_mm);

  double left_cm_ = 0;
  double top_cm_ = 0;
  double scale_ = 100;
  int copies_ = 1;
  int paper_ = 0;
  int resolution_ = 0;
};

// Dots per inch of an image resolution; below 10 (none, or only an aspect) counts as 100.
int EffectiveDpi(int dpi);

}  // namespace pictavo
