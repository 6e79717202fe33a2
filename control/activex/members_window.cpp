// Members that pass through to the control's window.
#include "control/activex/imagebox.h"
#include "platform/base/text.h"

namespace pictavo {

PICTAVO_CALL(CreateWnd)(TImageBox& box) {
  box.View().CreateWnd();
}
PICTAVO_GET(DoubleBuffered)(TImageBox& box) {
  return box.DoubleBuffered;
}
PICTAVO_PUT(DoubleBuffered)(TImageBox& box, bool value) {
  box.DoubleBuffered = value;
}
PICTAVO_GET(AlignDisabled)(TImageBox&) {
  return false;
}
PICTAVO_GET(VisibleDockClientCount)(TImageBox&) {
  return 0;
}
PICTAVO_CALL(DrawTextBiDiModeFlagsReadingOnly)(TImageBox&) {
  return 0;
}
PICTAVO_GET(Enabled)(TImageBox& box) {
  return box.View().isEnabled();
}
PICTAVO_PUT(Enabled)(TImageBox& box, bool value) {
  box.View().setEnabled(value);
}
PICTAVO_CALL(InitiateAction)(TImageBox&) {}
PICTAVO_CALL(IsRightToLeft)(TImageBox&) {
  return false;
}
PICTAVO_CALL(UseRightToLeftReading)(TImageBox&) {
  return false;
}
PICTAVO_CALL(UseRightToLeftScrollBar)(TImageBox&) {
  return false;
}
PICTAVO_GET(Visible)(TImageBox& box) {
  return box.View().isVisibleTo(box.View().parentWidget());
}
PICTAVO_PUT(Visible)(TImageBox& box, bool value) {
  box.View().setVisible(value);
}
PICTAVO_GET(Cursor)(TImageBox& box) {
  return int32_t{box.View().Cursor()};
}
PICTAVO_PUT(Cursor)(TImageBox& box, int16_t value) {
  box.View().SetCursorId(value);
}
PICTAVO_GET(HelpType)(TImageBox& box) {
  return int32_t{box.View().HelpType()};
}
PICTAVO_PUT(HelpType)(TImageBox& box, uint8_t value) {
  box.View().SetHelpType(value);
}
PICTAVO_GET(HelpKeyword)(TImageBox& box) {
  return plat::AnsiToUtf16(box.View().HelpKeyword());
}
PICTAVO_PUT(HelpKeyword)(TImageBox& box, std::u16string_view value) {
  box.View().SetHelpKeyword(plat::Utf16ToAnsi(value));
}
PICTAVO_CALL(SetSubComponent)(TImageBox& box, bool is_sub_component) {
  box.IsSubComponent = is_sub_component;
}
PICTAVO_CALL(AboutBox)(TImageBox& box) {
  box.ShowAbout();
}

}  // namespace pictavo
