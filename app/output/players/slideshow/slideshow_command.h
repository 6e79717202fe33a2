#pragma once
// The slide-show player's command line, which follows a screensaver's switches.
#include <QStringList>
#include <cstdint>
#include <optional>

namespace players::slideshow {

enum class Mode {
  kShow,       // "/S", or no argument at all: show the slide show
  kPreview,    // "/P <window id>": end without drawing
  kConfigure,  // "/C": say there is nothing to configure
  kEnd,        // anything else: end at once
};

struct Command {
  Mode mode = Mode::kEnd;
  // The preview host's X11 window id ("/P" only), decimal or "0x" hex.
  std::optional<uint64_t> window;
};

// `arguments` are the words after the program's name.
Command ParseCommandLine(const QStringList& arguments);

}  // namespace players::slideshow
