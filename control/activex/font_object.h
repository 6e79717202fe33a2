#pragma once
// The automation font object behind the TextFont property: reading its properties reads the
// control's text font, setting them changes it. Hosts may also hand in any font object, whose
// description is copied (the control keeps no reference to it).
#include "control/activex/imagebox_interface.h"
#include "control/engine/view/pvimage.h"

namespace pictavo {

// A new font object tied to view's text font (it survives the view and then does nothing).
plat::com::ComPtr<ax::IFontDisp> NewTextFontObject(TpvImage& view);
// Copies Name, Size, Bold, Italic, Underline, Strikethrough and Charset of an automation font
// object into font; properties the object does not answer keep their value.
void CopyFontDescription(plat::com::IDispatch& source, TFontDesc& font);

}  // namespace pictavo
