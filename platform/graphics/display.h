#pragma once
// Facts about the screen the program shows its pictures on.

namespace plat {

// Bits per pixel of the primary screen; 24 when there is no screen (no GUI application yet,
// or a program without one).
int ScreenBitsPerPixel();

}  // namespace plat
