#pragma once
// The printer object: the installed printers, the selected one with its settings record, and one
// print job at a time drawn through a QPainter.
//
// Printers are the CUPS destinations in the order QPrinterInfo lists them. Each printer has a
// settings record (paper code in the Windows paper numbering, print quality in dots per inch, and
// which of the two are set) that starts at the printer's defaults and lives as long as this object.
#include <QPainter>
#include <QPrinter>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/base/exceptions.h"

namespace plat {

VELMORA_EXCEPTION(EPrinter, Exception);

// Bits of TDeviceMode::dmFields.
constexpr uint32_t DM_PAPERSIZE = 0x0002;
constexpr uint32_t DM_PRINTQUALITY = 0x0400;

struct TDeviceMode {
  uint32_t dmFields = 0;
  int dmPaperSize = 0;
  int dmPrintQuality = 0;
};

enum class TPrinterOrientation { poPortrait, poLandscape };

class TPrinter {
 public:
  TPrinter();
  ~TPrinter();
  TPrinter(const TPrinter&) = delete;
  TPrinter& operator=(const TPrinter&) = delete;

  // Names of the installed printers, as the spooler shows them.
  std::vector<std::string> Printers() const;
  // The selected printer's place in Printers(); -1 when no printer is installed.
  int PrinterIndex() const;
  // -1 selects the default printer (the first one when none is the default). An index outside
  // the list raises EPrinter.
  void SetPrinterIndex(int index);

  TPrinterOrientation Orientation() const { return orientation_; }
  void SetOrientation(TPrinterOrientation orientation) { orientation_ = orientation; }
  const std::string& Title() const { return title_; }
  void SetTitle(const std::string& title) { title_ = title; }
  int Copies() const { return copies_; }
  void SetCopies(int copies) { copies_ = copies; }

  // The settings record of the selected printer; null when no printer is installed.
  TDeviceMode* DeviceMode();
  // Puts the selected printer's record back to the printer's defaults.
  void ResetDeviceMode();
  // The resolutions the selected printer supports, in dots per inch (empty without a printer).
  std::vector<int> SupportedResolutions() const;
  // Width of the whole sheet in millimetres in the current orientation; 0 without a printer.
  double PhysicalPageWidthMm() const;

  // The printable area in dots at the record's resolution, in the current orientation; its
  // origin is the printable origin of the sheet. 0 without a printer.
  int PageWidth() const;
  int PageHeight() const;

  // Writes the job into this PDF file instead of the selected printer's queue; empty goes back
  // to the queue.
  void SetOutputFileName(const std::string& path) { output_file_ = path; }

  // Starts a job with the current title, copies, orientation and record; raises EPrinter when
  // there is no printer or the job cannot start.
  void BeginDoc();
  // Sends the job; raises EPrinter when it could not be completed.
  void EndDoc();
  void NewPage();
  bool Printing() const { return painter_ != nullptr; }
  // The drawing surface of the page being printed; raises EPrinter outside a job.
  QPainter& Canvas();

 private:
  // Index into the printer list of the selected printer, with -1 resolved.
  int ResolvedIndex(const std::vector<std::string>& printers) const;
  std::string SelectedName() const;
  // A QPrinter for the selected printer set up from the record and the job fields.
  void Configure(QPrinter& printer) const;
  QRect PageRectInDots() const;

  int index_ = -1;
  TPrinterOrientation orientation_ = TPrinterOrientation::poPortrait;
  std::string title_;
  int copies_ = 1;
  std::string output_file_;
  std::map<std::string, TDeviceMode> records_;
  std::unique_ptr<QPrinter> job_;
  std::unique_ptr<QPainter> painter_;
};

// The process's printer object.
TPrinter& Printer();

}  // namespace plat
