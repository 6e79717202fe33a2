#pragma once
// The clipboard as the codecs see it: formats are numbers registered by name, data travels in
// memory handles (bitmaps in bitmap handles). Underneath lies the GUI application's clipboard;
// without a GUI application nothing can be placed or found.
#include <cstdint>
#include <string>

#include "platform/graphics/handles.h"

namespace plat {

// The number of a named format; the same name always gives the same number (from 0xC000 up).
uint16_t RegisterClipboardFormat(const std::string& name);
// The name a format was registered under; empty for CF_BITMAP and unknown numbers.
std::string ClipboardFormatName(uint16_t format);

// Takes everything off the clipboard.
bool EmptyClipboard();
// Adds data under format beside what the clipboard already holds: a bitmap handle for
// CF_BITMAP, a memory handle for a registered format. On success the clipboard owns the data
// and the handle is freed; false leaves the handle with the caller.
bool SetClipboardData(uint16_t format, THandle data);
// A new handle (the caller's) holding the clipboard's data in format; 0 when there is none.
THandle GetClipboardData(uint16_t format);

}  // namespace plat
