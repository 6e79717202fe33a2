#pragma once
// Screen pictures of windows. A window is an X11 window id (what QWidget::winId() gives); the
// desktop is the X11 root window.
#include <QImage>
#include <cstdint>
#include <optional>

namespace plat {

// The root window of the display; 0 where the platform is not X11.
uint32_t DesktopWindow();

// What the screen shows where the window is: its rectangle (border included) in root
// coordinates, clipped to the root. An empty image when none of it is on the screen; nothing
// where the platform cannot capture (not X11) or the window does not exist.
std::optional<QImage> CaptureWindowPixels(uint32_t window);

}  // namespace plat
