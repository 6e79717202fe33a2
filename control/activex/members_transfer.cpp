// Members that reach beyond the image: form uploads, the open and save dialogs, and cursors
// loaded from files.
#include "control/activex/imagebox.h"
#include "platform/base/text.h"

namespace pictavo {

PICTAVO_CALL(PostImage)
(TImageBox& box, std::u16string_view url, std::u16string_view file_name,
 std::u16string_view form_var_name, uint8_t file_type) {
  return box.View().PostImage({plat::Utf16ToUtf8(url), plat::Utf16ToUtf8(file_name),
                               plat::Utf16ToUtf8(form_var_name), file_type});
}
PICTAVO_CALL(AddFormVar)(TImageBox& box, std::u16string_view name, std::u16string_view value) {
  box.View().AddFormVar(plat::Utf16ToUtf8(name), plat::Utf16ToUtf8(value));
}
PICTAVO_GET(PostReturnCode)(TImageBox& box) {
  return box.View().PostReturnCode();
}
PICTAVO_CALL(LoadDialog)(TImageBox& box) {
  return box.View().LoadDialog();
}
PICTAVO_CALL(SaveDialog)(TImageBox& box) {
  return box.View().SaveDialog();
}
PICTAVO_CALL(AddCursor)(TImageBox& box, int16_t index, std::u16string_view file_name) {
  box.View().AddCursor(index, plat::Utf16ToUtf8(file_name));
}

}  // namespace pictavo
