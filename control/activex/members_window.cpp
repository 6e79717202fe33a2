// Members that pass through to the control's window.
#include "control/activex/imagebox.h"

namespace pictavo {

PICTAVO_CALL(CreateWnd) {
  box.View().CreateWnd();
}
PICTAVO_GET(DoubleBuffered) {
  call.Return(box.DoubleBuffered);
}
PICTAVO_PUT(DoubleBuffered) {
  box.DoubleBuffered = call.Bool(call.Value());
}
PICTAVO_GET(AlignDisabled) {
  call.Return(false);
}
PICTAVO_GET(VisibleDockClientCount) {
  call.Return(0);
}
PICTAVO_CALL(DrawTextBiDiModeFlagsReadingOnly) {
  call.Return(0);
}
PICTAVO_GET(Enabled) {
  call.Return(box.View().isEnabled());
}
PICTAVO_PUT(Enabled) {
  box.View().setEnabled(call.Bool(call.Value()));
}
PICTAVO_CALL(InitiateAction) {}
PICTAVO_CALL(IsRightToLeft) {
  call.Return(false);
}
PICTAVO_CALL(UseRightToLeftReading) {
  call.Return(false);
}
PICTAVO_CALL(UseRightToLeftScrollBar) {
  call.Return(false);
}
PICTAVO_GET(Visible) {
  call.Return(box.View().isVisibleTo(box.View().parentWidget()));
}
PICTAVO_PUT(Visible) {
  box.View().setVisible(call.Bool(call.Value()));
}
PICTAVO_GET(Cursor) {
  call.Return(int32_t{box.View().Cursor});
}
PICTAVO_PUT(Cursor) {
  box.View().SetCursorId(call.Short(call.Value()));
}
PICTAVO_GET(HelpType) {
  call.Return(int32_t{box.View().HelpType});
}
PICTAVO_PUT(HelpType) {
  box.View().HelpType = call.Enum(call.Value());
}
PICTAVO_GET(HelpKeyword) {
  call.ReturnAnsi(box.View().HelpKeyword);
}
PICTAVO_PUT(HelpKeyword) {
  box.View().HelpKeyword = call.Ansi(call.Value());
}
PICTAVO_CALL(SetSubComponent) {
  box.IsSubComponent = call.Bool(0);
}
PICTAVO_CALL(AboutBox) {
  box.ShowAbout();
}

}  // namespace pictavo
