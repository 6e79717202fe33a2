// Members of printing and screen capture.
#include "control/activex/imagebox.h"
#include "platform/base/text.h"

namespace pictavo {

namespace {

TImagePrint& Printing(TImageBox& box) {
  return box.View().Printing();
}

}  // namespace

PICTAVO_CALL(PrintImage)(TImageBox& box) {
  return int32_t{box.View().PrintImage()};
}
PICTAVO_GET(UsePrintDialog)(TImageBox& box) {
  return Printing(box).UsePrintDialog;
}
PICTAVO_PUT(UsePrintDialog)(TImageBox& box, bool value) {
  Printing(box).UsePrintDialog = value;
}
PICTAVO_GET(PrinterIndex)(TImageBox& box) {
  return int32_t{Printing(box).PrinterIndex};
}
PICTAVO_PUT(PrinterIndex)(TImageBox& box, int32_t value) {
  Printing(box).PrinterIndex = value;
}
PICTAVO_GET(PrinterCount)(TImageBox& box) {
  return int32_t{Printing(box).PrinterCount()};
}
PICTAVO_GET(PrinterName)(TImageBox& box, int32_t index) {
  return plat::Utf8ToUtf16(Printing(box).PrinterName(index));
}
PICTAVO_CALL(SelectPrinterByName)(TImageBox& box, std::u16string_view name) {
  return Printing(box).SelectPrinterByName(plat::Utf16ToUtf8(name));
}
PICTAVO_GET(PrintOrientation)(TImageBox& box) {
  return int32_t{Printing(box).PrintOrientation};
}
PICTAVO_PUT(PrintOrientation)(TImageBox& box, uint8_t value) {
  Printing(box).PrintOrientation = value;
}
PICTAVO_GET(PrintPaperSize)(TImageBox& box) {
  return int32_t{Printing(box).PrintPaperSize()};
}
PICTAVO_PUT(PrintPaperSize)(TImageBox& box, int32_t value) {
  Printing(box).SetPrintPaperSize(value);
}
PICTAVO_GET(PrintUnits)(TImageBox& box) {
  return int32_t{Printing(box).PrintUnits};
}
PICTAVO_PUT(PrintUnits)(TImageBox& box, uint8_t value) {
  Printing(box).PrintUnits = value;
}
PICTAVO_GET(PrintLeft)(TImageBox& box) {
  return Printing(box).PrintLeft();
}
PICTAVO_PUT(PrintLeft)(TImageBox& box, double value) {
  Printing(box).SetPrintLeft(value);
}
PICTAVO_GET(PrintTop)(TImageBox& box) {
  return Printing(box).PrintTop();
}
PICTAVO_PUT(PrintTop)(TImageBox& box, double value) {
  Printing(box).SetPrintTop(value);
}
PICTAVO_GET(PrintScale)(TImageBox& box) {
  return Printing(box).PrintScale();
}
PICTAVO_PUT(PrintScale)(TImageBox& box, double value) {
  Printing(box).SetPrintScale(value);
}
PICTAVO_GET(PrintFit)(TImageBox& box) {
  return Printing(box).PrintFit;
}
PICTAVO_PUT(PrintFit)(TImageBox& box, bool value) {
  Printing(box).PrintFit = value;
}
PICTAVO_GET(PrintCentre)(TImageBox& box) {
  return Printing(box).PrintCentre;
}
PICTAVO_PUT(PrintCentre)(TImageBox& box, bool value) {
  Printing(box).PrintCentre = value;
}
PICTAVO_GET(PrintCopies)(TImageBox& box) {
  return int32_t{Printing(box).PrintCopies()};
}
PICTAVO_PUT(PrintCopies)(TImageBox& box, int32_t value) {
  Printing(box).SetPrintCopies(value);
}
PICTAVO_GET(PrintTitle)(TImageBox& box) {
  return plat::Utf8ToUtf16(Printing(box).PrintTitle);
}
PICTAVO_PUT(PrintTitle)(TImageBox& box, std::u16string_view value) {
  Printing(box).PrintTitle = plat::Utf16ToUtf8(value);
}
PICTAVO_CALL(CaptureWindow)(TImageBox& box, int32_t h_wnd) {
  box.View().CaptureWindow(static_cast<uint32_t>(h_wnd));
}
PICTAVO_CALL(CaptureScreen)(TImageBox& box) {
  box.View().CaptureScreen();
}

}  // namespace pictavo
