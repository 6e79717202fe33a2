// Members that build multipage PDF and TIFF documents from the image, insert it into existing
// files and delete pages from a TIFF file.
#include "control/activex/imagebox.h"
#include "platform/base/text.h"

namespace pictavo {

PICTAVO_CALL(AddToPDF)(TImageBox& box, int32_t page) {
  box.View().AddToPDF(page);
}

PICTAVO_CALL(WritePDF)(TImageBox& box, std::u16string_view file_name) {
  box.View().WritePDF(plat::Utf16ToUtf8(file_name));
}

PICTAVO_CALL(ClearPDF)(TImageBox& box) {
  box.View().ClearPDF();
}

PICTAVO_CALL(InsertPDF)
(TImageBox& box, std::u16string_view source, std::u16string_view dest, int32_t page) {
  box.View().InsertPDF(plat::Utf16ToUtf8(source), plat::Utf16ToUtf8(dest), page);
}

PICTAVO_CALL(AddToTIF)(TImageBox& box, int32_t page) {
  box.View().AddToTIF(page);
}

PICTAVO_CALL(WriteTIF)(TImageBox& box, std::u16string_view file_name) {
  box.View().WriteTIF(plat::Utf16ToUtf8(file_name));
}

PICTAVO_CALL(ClearTIF)(TImageBox& box) {
  box.View().ClearTIF();
}

PICTAVO_CALL(InsertTIF)
(TImageBox& box, std::u16string_view source, std::u16string_view dest, int32_t page) {
  box.View().InsertTIF(plat::Utf16ToUtf8(source), plat::Utf16ToUtf8(dest), page);
}

PICTAVO_CALL(DeleteTIF)
(TImageBox& box, std::u16string_view source, std::u16string_view dest, int32_t first,
 int32_t count) {
  box.View().DeleteTIF(plat::Utf16ToUtf8(source), plat::Utf16ToUtf8(dest), first, count);
}

}  // namespace pictavo
