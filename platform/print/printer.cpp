#include "platform/print/printer.h"

#include <QPageSize>
#include <QPrinterInfo>
#include <algorithm>
#include <charconv>
#include <cstring>

#include <cups/cups.h>
#include <cups/ppd.h>
#include <unistd.h>

namespace plat {

namespace {

QPrinterInfo InfoOf(const std::string& name) {
  return QPrinterInfo::printerInfo(QString::fromStdString(name));
}

// The resolution the printer's driver description marks as its default ("300dpi",
// "600x600dpi"); 0 when the printer has no description or names none. Qt does not report it:
// its own printer object starts at a fixed resolution of its own.
int DriverDefaultResolution(const std::string& name) {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  const char* path = cupsGetPPD(name.c_str());
  if (path == nullptr) return 0;
  int dpi = 0;
  if (ppd_file_t* ppd = ppdOpenFile(path)) {
    ppdMarkDefaults(ppd);
    if (const ppd_choice_t* choice = ppdFindMarkedChoice(ppd, "Resolution"))
      std::from_chars(choice->choice, choice->choice + std::strlen(choice->choice), dpi);
    ppdClose(ppd);
  }
  unlink(path);
#pragma GCC diagnostic pop
  return dpi;
}

// The record a printer starts with: its default paper and its default resolution.
TDeviceMode DefaultRecord(const std::string& name) {
  TDeviceMode record;
  record.dmFields = DM_PAPERSIZE | DM_PRINTQUALITY;
  record.dmPaperSize = InfoOf(name).defaultPageSize().windowsId();
  record.dmPrintQuality = DriverDefaultResolution(name);
  return record;
}

// The page a paper code names; the printer's own default when the code names none.
QPageSize PageSizeOf(const TDeviceMode& record, const QPrinterInfo& info) {
  if ((record.dmFields & DM_PAPERSIZE) && record.dmPaperSize > 0) {
    const QPageSize::PageSizeId id = QPageSize::id(record.dmPaperSize);
    if (id != QPageSize::Custom) return QPageSize(id);
  }
  return info.defaultPageSize();
}

}  // namespace

TPrinter::TPrinter() = default;

TPrinter::~TPrinter() {
  if (painter_) painter_->end();
}

std::vector<std::string> TPrinter::Printers() const {
  std::vector<std::string> names;
  for (const QString& name : QPrinterInfo::availablePrinterNames())
    names.push_back(name.toStdString());
  return names;
}

int TPrinter::ResolvedIndex(const std::vector<std::string>& printers) const {
  if (printers.empty()) return -1;
  if (index_ >= 0 && index_ < static_cast<int>(printers.size())) return index_;
  const auto found =
      std::find(printers.begin(), printers.end(), QPrinterInfo::defaultPrinterName().toStdString());
  return found == printers.end() ? 0 : static_cast<int>(found - printers.begin());
}

int TPrinter::PrinterIndex() const {
  return ResolvedIndex(Printers());
}

void TPrinter::SetPrinterIndex(int index) {
  const int count = static_cast<int>(Printers().size());
  if (index < -1 || index >= count) throw EPrinter("Printer selected is not valid");
  index_ = index;
}

std::string TPrinter::SelectedName() const {
  const std::vector<std::string> printers = Printers();
  const int index = ResolvedIndex(printers);
  return index < 0 ? std::string() : printers[index];
}

TDeviceMode* TPrinter::DeviceMode() {
  const std::string name = SelectedName();
  if (name.empty()) return nullptr;
  auto found = records_.find(name);
  if (found == records_.end()) found = records_.emplace(name, DefaultRecord(name)).first;
  return &found->second;
}

void TPrinter::ResetDeviceMode() {
  const std::string name = SelectedName();
  if (!name.empty()) records_[name] = DefaultRecord(name);
}

std::vector<int> TPrinter::SupportedResolutions() const {
  const std::string name = SelectedName();
  if (name.empty()) return {};
  const QList<int> resolutions = InfoOf(name).supportedResolutions();
  return {resolutions.begin(), resolutions.end()};
}

void TPrinter::Configure(QPrinter& printer) const {
  const std::string name = SelectedName();
  if (output_file_.empty()) {
    printer.setPrinterName(QString::fromStdString(name));
  } else {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(output_file_));
  }
  const auto found = records_.find(name);
  const TDeviceMode record = found != records_.end() ? found->second
                             : name.empty()          ? TDeviceMode{}
                                                     : DefaultRecord(name);
  if (record.dmPrintQuality > 0) printer.setResolution(record.dmPrintQuality);
  printer.setPageSize(PageSizeOf(record, InfoOf(name)));
  printer.setPageOrientation(orientation_ == TPrinterOrientation::poLandscape
                                 ? QPageLayout::Landscape
                                 : QPageLayout::Portrait);
  printer.setDocName(QString::fromStdString(title_));
  printer.setCopyCount(copies_);
}

QRect TPrinter::PageRectInDots() const {
  if (job_) return job_->pageRect(QPrinter::DevicePixel).toRect();
  if (SelectedName().empty()) return {};
  QPrinter printer(QPrinter::HighResolution);
  Configure(printer);
  return printer.pageRect(QPrinter::DevicePixel).toRect();
}

int TPrinter::PageWidth() const {
  return PageRectInDots().width();
}

int TPrinter::PageHeight() const {
  return PageRectInDots().height();
}

double TPrinter::PhysicalPageWidthMm() const {
  if (SelectedName().empty()) return 0;
  QPrinter printer(QPrinter::HighResolution);
  Configure(printer);
  return printer.pageLayout().fullRect(QPageLayout::Millimeter).width();
}

void TPrinter::BeginDoc() {
  if (painter_) throw EPrinter("Printing in progress");
  if (output_file_.empty() && SelectedName().empty())
    throw EPrinter("There is no printer installed");
  job_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
  Configure(*job_);
  painter_ = std::make_unique<QPainter>();
  if (!painter_->begin(job_.get())) {
    painter_.reset();
    job_.reset();
    throw EPrinter("The print job could not be started");
  }
}

void TPrinter::EndDoc() {
  if (!painter_) throw EPrinter("Printer is not currently printing");
  const bool sent = painter_->end();
  painter_.reset();
  job_.reset();
  if (!sent) throw EPrinter("The print job could not be completed");
}

void TPrinter::NewPage() {
  if (!painter_) throw EPrinter("Printer is not currently printing");
  job_->newPage();
}

QPainter& TPrinter::Canvas() {
  if (!painter_) throw EPrinter("Printer is not currently printing");
  return *painter_;
}

TPrinter& Printer() {
  static TPrinter printer;
  return printer;
}

}  // namespace plat
