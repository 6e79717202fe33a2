#include "control/engine/view/image_upload.h"

#include <memory>

#include "control/formats/support/webprocs.h"
#include "control/formats/tiff/tif_pages.h"
#include "platform/base/streams.h"

namespace pictavo {

namespace {

// The pending document the format asks for, as one file in memory; nothing while it has no page.
std::unique_ptr<plat::TMemoryStream> PendingDocument(uint8_t file_type, const TPageLists& pending) {
  auto document = std::make_unique<plat::TMemoryStream>();
  if (file_type == gfPDF && pending.PendingPDF().PageCount() > 0)
    pending.PendingPDF().SaveToStream(*document);
  else if (file_type == gfTIF && pending.PendingTIF().Count() > 0)
    SaveTIFListToStream(pending.PendingTIF(), *document);
  else
    return nullptr;
  document->SetPosition(0);
  return document;
}

}  // namespace

uint8_t UploadFormatOf(uint8_t file_type) {
  static constexpr uint8_t kUploadCode[] = {0, 1, 2, 3, 5, 7, 6, 4, 8};  // by TxGraphicsFormat
  return file_type < std::size(kUploadCode) ? kUploadCode[file_type] : 0;
}

void TImageUpload::AddFormVar(const std::string& name, const std::string& value) {
  fields_.Add(name + "=" + value);
}

bool TImageUpload::Post(const TUploadTarget& target, const TPageLists& pending,
                        TImageDocument& document, uint8_t quality, bool use_lzw, int32_t& status) {
  const uint8_t code = UploadFormatOf(target.file_type);
  bool sent = false;
  if (auto pending_document = PendingDocument(target.file_type, pending)) {
    sent = webprocs::HTTPPost(target.url, fields_, *pending_document, status, code,
                              target.form_var_name, target.file_name);
  } else if (document.Loaded()) {
    document.WithWorkingCopy([&](TicBitmap& image) {
      sent = image.PostToURL(target.url, target.file_name, status, quality, use_lzw, fields_, code,
                             target.form_var_name);
    });
  } else {
    return false;
  }
  fields_.Clear();
  return sent;
}

}  // namespace pictavo
