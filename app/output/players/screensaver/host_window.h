#pragma once
// The X11 window a preview or a daemon hands the screensaver to draw into.
#include <QSize>
#include <cstdint>
#include <optional>

namespace players::screensaver {

// The inner size of X11 window `window`; nothing when no such window exists or the platform is
// not X11.
std::optional<QSize> HostClientSize(uint64_t window);

}  // namespace players::screensaver
