// Members that reach beyond the image: form uploads, the open and save dialogs, and cursors
// loaded from files.
#include "control/activex/imagebox.h"

namespace pictavo {

PICTAVO_CALL(PostImage) {
  call.Return(box.View().PostImage({call.Utf8(0), call.Utf8(1), call.Utf8(2), call.Enum(3)}));
}
PICTAVO_CALL(AddFormVar) {
  box.View().AddFormVar(call.Utf8(0), call.Utf8(1));
}
PICTAVO_GET(PostReturnCode) {
  call.Return(box.View().PostReturnCode);
}
PICTAVO_CALL(LoadDialog) {
  call.Return(box.View().LoadDialog());
}
PICTAVO_CALL(SaveDialog) {
  call.Return(box.View().SaveDialog());
}
PICTAVO_CALL(AddCursor) {
  box.View().AddCursor(call.Short(0), call.Utf8(1));
}

}  // namespace pictavo
