#pragma once
// The form upload of a view control: the fields a host adds for the next upload, and what is
// sent — the pending PDF or TIFF document when the format asks for one and pages are pending,
// otherwise the image encoded in the format.
#include <cstdint>
#include <string>

#include "control/engine/view/image_document.h"
#include "control/engine/view/page_lists.h"
#include "platform/base/string_list.h"

namespace pictavo {

// The upload format code of a TxGraphicsFormat (TIFF, PNG and WBMP are numbered differently);
// a code the control does not know goes as BMP.
uint8_t UploadFormatOf(uint8_t file_type);

// What an upload needs to know besides its addresses.
struct TUploadTarget {
  std::string url, file_name, form_var_name;
  uint8_t file_type;
};

class TImageUpload {
 public:
  // Entries are "Name=Value"; a value may hold "=" itself.
  void AddFormVar(const std::string& name, const std::string& value);
  const plat::TStringList& FormFields() const { return fields_; }

  // Posts the pending document, or else the document's image encoded on its working copy with
  // quality and use_lzw; status receives the server's status. The fields are emptied after a
  // post; without anything to send, or when encoding raises, they stay.
  bool Post(const TUploadTarget& target, const TPageLists& pending, TImageDocument& document,
            uint8_t quality, bool use_lzw, int32_t& status);

 private:
  plat::TStringList fields_;
};

}  // namespace pictavo
