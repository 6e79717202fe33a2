#pragma once
// Twips (1/1440 inch) <-> pixels: the one conversion of the program. The settings file keeps
// widths in twips, the splitters and the main window lay out in pixels; all of them convert here
// so that a stored width and the width on screen always agree.
namespace velmora {

// The screen's logical dots per inch (96 when no screen is attached).
double ScreenLogicalDpi();

// Twips per pixel at `dpi` logical dots per inch: 1440 / dpi, 15 at 96 dpi.
double TwipsPerPixel(double dpi = ScreenLogicalDpi());

// Whole pixels for `twips`, halves to even.
int TwipsToPixels(int twips, double dpi = ScreenLogicalDpi());

// Whole twips for `pixels`, halves to even.
int PixelsToTwips(int pixels, double dpi = ScreenLogicalDpi());

}  // namespace velmora
