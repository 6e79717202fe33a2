// Members of printing and screen capture.
#include "control/activex/imagebox.h"

namespace pictavo {

namespace {

TImagePrint& Printing(TImageBox& box) {
  return box.View().Printing();
}

}  // namespace

PICTAVO_CALL(PrintImage) {
  call.Return(int32_t{box.View().PrintImage()});
}
PICTAVO_GET(UsePrintDialog) {
  call.Return(Printing(box).UsePrintDialog);
}
PICTAVO_PUT(UsePrintDialog) {
  Printing(box).UsePrintDialog = call.Bool(call.Value());
}
PICTAVO_GET(PrinterIndex) {
  call.Return(int32_t{Printing(box).PrinterIndex});
}
PICTAVO_PUT(PrinterIndex) {
  Printing(box).PrinterIndex = call.Long(call.Value());
}
PICTAVO_GET(PrinterCount) {
  call.Return(int32_t{Printing(box).PrinterCount()});
}
PICTAVO_GET(PrinterName) {
  call.ReturnUtf8(Printing(box).PrinterName(call.Long(0)));
}
PICTAVO_CALL(SelectPrinterByName) {
  call.Return(Printing(box).SelectPrinterByName(call.Utf8(0)));
}
PICTAVO_GET(PrintOrientation) {
  call.Return(int32_t{Printing(box).PrintOrientation});
}
PICTAVO_PUT(PrintOrientation) {
  Printing(box).PrintOrientation = call.Enum(call.Value());
}
PICTAVO_GET(PrintPaperSize) {
  call.Return(int32_t{Printing(box).PrintPaperSize()});
}
PICTAVO_PUT(PrintPaperSize) {
  Printing(box).SetPrintPaperSize(call.Long(call.Value()));
}
PICTAVO_GET(PrintUnits) {
  call.Return(int32_t{Printing(box).PrintUnits});
}
PICTAVO_PUT(PrintUnits) {
  Printing(box).PrintUnits = call.Enum(call.Value());
}
PICTAVO_GET(PrintLeft) {
  call.Return(Printing(box).PrintLeft());
}
PICTAVO_PUT(PrintLeft) {
  Printing(box).SetPrintLeft(call.Double(call.Value()));
}
PICTAVO_GET(PrintTop) {
  call.Return(Printing(box).PrintTop());
}
PICTAVO_PUT(PrintTop) {
  Printing(box).SetPrintTop(call.Double(call.Value()));
}
PICTAVO_GET(PrintScale) {
  call.Return(Printing(box).PrintScale());
}
PICTAVO_PUT(PrintScale) {
  Printing(box).SetPrintScale(call.Double(call.Value()));
}
PICTAVO_GET(PrintFit) {
  call.Return(Printing(box).PrintFit);
}
PICTAVO_PUT(PrintFit) {
  Printing(box).PrintFit = call.Bool(call.Value());
}
PICTAVO_GET(PrintCentre) {
  call.Return(Printing(box).PrintCentre);
}
PICTAVO_PUT(PrintCentre) {
  Printing(box).PrintCentre = call.Bool(call.Value());
}
PICTAVO_GET(PrintCopies) {
  call.Return(int32_t{Printing(box).PrintCopies()});
}
PICTAVO_PUT(PrintCopies) {
  Printing(box).SetPrintCopies(call.Long(call.Value()));
}
PICTAVO_GET(PrintTitle) {
  call.ReturnUtf8(Printing(box).PrintTitle);
}
PICTAVO_PUT(PrintTitle) {
  Printing(box).PrintTitle = call.Utf8(call.Value());
}
PICTAVO_CALL(CaptureWindow) {
  box.View().CaptureWindow(static_cast<uint32_t>(call.Long(0)));
}
PICTAVO_CALL(CaptureScreen) {
  box.View().CaptureScreen();
}

}  // namespace pictavo
