#include "control/engine/print/icprinters.h"

#include <algorithm>

#include "platform/base/rounding.h"
#include "platform/graphics/qimage_view.h"

namespace pictavo {

void ResetPrinterMode(plat::TPrinter& printer) {
  printer.ResetDeviceMode();
}

int GetPrintQuality(plat::TPrinter& printer) {
  const plat::TDeviceMode* record = printer.DeviceMode();
  if (record == nullptr) throw plat::EPrinter("Operation not supported on selected printer");
  return record->dmPrintQuality;
}

void SetPaperSize(plat::TPrinter& printer, int code) {
  if (code <= 0) return;
  if (plat::TDeviceMode* record = printer.DeviceMode()) {
    record->dmFields |= plat::DM_PAPERSIZE;
    record->dmPaperSize = code;
  }
}

int GetResolution(plat::TPrinter& printer) {
  plat::TDeviceMode* record = printer.DeviceMode();
  if (record == nullptr) return 0;
  if (record->dmPrintQuality > 0) return record->dmPrintQuality;
  const std::vector<int> resolutions = printer.SupportedResolutions();
  if (!resolutions.empty()) {
    record->dmPrintQuality = *std::max_element(resolutions.begin(), resolutions.end());
    return record->dmPrintQuality;
  }
  const int sheet_mm = GetHorzSize(printer);
  if (sheet_mm <= 0) return 0;
  return static_cast<int>(plat::TruncHalfUp(printer.PageWidth() * 25.4 / sheet_mm));
}

int GetHorzSize(plat::TPrinter& printer) {
  return static_cast<int>(plat::TruncHalfUp(printer.PhysicalPageWidthMm()));
}

void PrintBitmap(QPainter& canvas, int x, int y, int width, int height,
                 const plat::TBitmap& bitmap) {
  const QImage image = plat::ToQImage(bitmap);
  if (image.isNull()) return;
  canvas.save();
  canvas.setRenderHint(QPainter::SmoothPixmapTransform, false);
  canvas.setRenderHint(QPainter::Antialiasing, false);
  // Without it Qt's PDF output (and so every CUPS job) stores images as JPEG, which would blur
  // the pixels and shift the palette's colours.
  canvas.setRenderHint(QPainter::LosslessImageRendering, true);
  canvas.drawImage(QRect(x, y, width, height), image);
  canvas.restore();
}

}  // namespace pictavo
