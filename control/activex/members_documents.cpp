// Members that build multipage PDF and TIFF documents from the image, insert it into existing
// files and delete pages from a TIFF file.
#include "control/activex/imagebox.h"

namespace pictavo {

PICTAVO_CALL(AddToPDF) {
  box.View().AddToPDF(call.Long(0));
}

PICTAVO_CALL(WritePDF) {
  box.View().WritePDF(call.Utf8(0));
}

PICTAVO_CALL(ClearPDF) {
  box.View().ClearPDF();
}

PICTAVO_CALL(InsertPDF) {
  box.View().InsertPDF(call.Utf8(0), call.Utf8(1), call.Long(2));
}

PICTAVO_CALL(AddToTIF) {
  box.View().AddToTIF(call.Long(0));
}

PICTAVO_CALL(WriteTIF) {
  box.View().WriteTIF(call.Utf8(0));
}

PICTAVO_CALL(ClearTIF) {
  box.View().ClearTIF();
}

PICTAVO_CALL(InsertTIF) {
  box.View().InsertTIF(call.Utf8(0), call.Utf8(1), call.Long(2));
}

PICTAVO_CALL(DeleteTIF) {
  box.View().DeleteTIF(call.Utf8(0), call.Utf8(1), call.Long(2), call.Long(3));
}

}  // namespace pictavo
