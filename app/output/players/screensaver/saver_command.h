#pragma once
// What a screensaver's command line asks for. The host forms: "/S" (also no word at all) full
// screen, "/P <window>" a preview inside that window, "/C" the settings; the first two characters
// of the first word decide, in any case. A screensaver daemon's hack forms: "-root" draws into the
// window named by $XSCREENSAVER_WINDOW (full screen when unset), "-window-id <window>" previews.
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

namespace players::screensaver {

enum class SaverMode { kFullScreen, kPreview, kConfigure, kEnd };

struct SaverCommand {
  SaverMode Mode = SaverMode::kEnd;
  // The window to draw into (preview, or full show under a daemon); 0 for a window of our own.
  uint64_t Host = 0;
};

// A window id as decimal or 0x hex; nothing when `text` is neither.
std::optional<uint64_t> WindowNumber(const QString& text);

// `arguments` are the words after the program name; `daemon_window` is $XSCREENSAVER_WINDOW.
SaverCommand ParseCommand(const QStringList& arguments, const QString& daemon_window);

}  // namespace players::screensaver
