#include "control/engine/print/image_print.h"

#include <algorithm>

#include "control/engine/print/icprinters.h"
#include "control/engine/print/print_preview.h"
#include "platform/base/rounding.h"

namespace pictavo {

namespace {

constexpr double kMmPerInch = 25.4;
constexpr double kCmPerInch = 2.54;
// A JPEG whose density has no unit carries only its aspect (often 1 x 1), and other files carry
// as little: so few dots per inch are no resolution, or an image would print yards wide.
constexpr int kLeastImageDpi = 10;
constexpr int kDpiOfNoResolution = 100;

// Printer dots for a length of image pixels at a printed scale.
int PrinterDots(int pixels, double dots_per_pixel, double scale_percent) {
  return static_cast<int>(plat::TruncHalfUp(pixels * dots_per_pixel * scale_percent / 100));
}

int CmToDots(double cm, int resolution) {
  return static_cast<int>(plat::TruncHalfUp(cm / kCmPerInch * resolution));
}

}  // namespace

int EffectiveDpi(int dpi) {
  return dpi < kLeastImageDpi ? kDpiOfNoResolution : dpi;
}

void TImagePrint::SetPrintScale(double percent) {
  if (percent > 0) scale_ = percent;
}

void TImagePrint::SetPrintCopies(int copies) {
  if (copies > 0) copies_ = copies;
}

void TImagePrint::SetPrintPaperSize(int code) {
  if (code > 0) paper_ = code;
}

int TImagePrint::PrinterCount() const {
  return static_cast<int>(plat::Printer().Printers().size());
}

std::string TImagePrint::PrinterName(int index) const {
  const std::vector<std::string> printers = plat::Printer().Printers();
  if (index < 0 || index >= static_cast<int>(printers.size())) return {};
  return printers[index];
}

bool TImagePrint::SelectPrinterByName(const std::string& name) {
  return SelectPrinterByName(plat::Printer().Printers(), name);
}

bool TImagePrint::SelectPrinterByName(const std::vector<std::string>& printers,
                                      const std::string& name) {
  bool found = false;
  for (size_t i = 0; i < printers.size(); ++i) {
    if (printers[i] != name) continue;
    PrinterIndex = static_cast<int>(i);
    found = true;
  }
  return found;
}

int TImagePrint::Print(const TicBitmap& image) {
  const int x_dpi = EffectiveDpi(image.GetXDPI());
  const int y_dpi = EffectiveDpi(image.GetYDPI());
  const double image_w_mm = image.Width() * kMmPerInch / x_dpi;
  const double image_h_mm = image.Height() * kMmPerInch / y_dpi;
  if (UsePrintDialog && !AskSettings(image, image_w_mm, image_h_mm)) return prCancelled;

  const int resolution = PreparePrinter();
  plat::TPrinter& printer = plat::Printer();
  if (PrintFit || PrintCentre) {
    const double page_w_mm = printer.PageWidth() * kMmPerInch / resolution;
    const double page_h_mm = printer.PageHeight() * kMmPerInch / resolution;
    if (PrintFit) FitToPage(image_w_mm, image_h_mm, page_w_mm, page_h_mm);
    if (PrintCentre) CentreOnPage(image_w_mm, image_h_mm, page_w_mm, page_h_mm);
  }

  const double fx = static_cast<double>(resolution) / x_dpi;
  const double fy = static_cast<double>(resolution) / y_dpi;
  printer.BeginDoc();
  PrintBitmap(printer.Canvas(), CmToDots(left_cm_, resolution), CmToDots(top_cm_, resolution),
              PrinterDots(image.Width(), fx, scale_), PrinterDots(image.Height(), fy, scale_),
              image);
  printer.EndDoc();
  return prPrinted;
}

bool TImagePrint::AskSettings(const TicBitmap& image, double image_w_mm, double image_h_mm) {
  TPrintSettings settings{.orientation = PrintOrientation,
                          .printer_index = PrinterIndex,
                          .left_cm = left_cm_,
                          .top_cm = top_cm_,
                          .copies = copies_,
                          .scale = scale_,
                          .fit = PrintFit,
                          .centre = PrintCentre,
                          .paper_code = paper_};
  if (!ShowPrintPreview(settings, image, image_w_mm, image_h_mm, PrintUnits == 0 ? 0 : 1))
    return false;
  PrinterIndex = settings.printer_index;
  PrintOrientation = settings.orientation;
  left_cm_ = settings.left_cm;
  top_cm_ = settings.top_cm;
  SetPrintCopies(settings.copies);
  // A scale typed as 0 or less would print nothing: the previous one stays.
  SetPrintScale(settings.scale);
  PrintFit = settings.fit;
  PrintCentre = settings.centre;
  paper_ = settings.paper_code;
  return true;
}

int TImagePrint::PreparePrinter() {
  plat::TPrinter& printer = plat::Printer();
  // Selected first so that the record put back to the defaults is the one that prints (records
  // live per printer; the preview may have changed them).
  printer.SetPrinterIndex(PrinterIndex);
  ResetPrinterMode(printer);
  printer.SetTitle(PrintTitle);
  printer.SetOrientation(PrintOrientation == 0 ? plat::TPrinterOrientation::poPortrait
                                               : plat::TPrinterOrientation::poLandscape);
  resolution_ = GetResolution(printer);
  // Without a resolution every size would be 0 dots: an empty page reported as printed.
  if (resolution_ <= 0) throw plat::EPrinter("Operation not supported on selected printer");
  printer.SetCopies(copies_);
  SetPaperSize(printer, paper_);
  return resolution_;
}

void TImagePrint::FitToPage(double image_w_mm, double image_h_mm, double page_w_mm,
                            double page_h_mm) {
  scale_ = image_h_mm / page_h_mm >= image_w_mm / page_w_mm ? page_h_mm * 100 / image_h_mm
                                                            : page_w_mm * 100 / image_w_mm;
  left_cm_ = 0;
  top_cm_ = 0;
}

void TImagePrint::CentreOnPage(double image_w_mm, double image_h_mm, double page_w_mm,
                               double page_h_mm) {
  // Half the free room, from millimetres to centimetres; an image larger than the page stays at
  // the origin.
  left_cm_ = std::max(0.0, (page_w_mm - image_w_mm * scale_ / 100) / 20);
  top_cm_ = std::max(0.0, (page_h_mm - image_h_mm * scale_ / 100) / 20);
}

}  // namespace pictavo
