#pragma once
// Scanning and screen capture into the basket: the image comes into a hidden image control, is
// written as PNG into the folder the settings name for it, and the files are handed back for the
// basket to add. Every failure (no scanner, a cancelled or failed scan, no X11 screen, a folder
// that cannot be written) is told to the user and gives no file.
#include <QString>
#include <QStringList>

namespace pictavo::ax {
class ImageBoxProxy;
}
namespace shell {
struct AcquireTarget;
}

namespace output {

// Creates "<folder>/<generic><n>.png" for the smallest n from 1 that names no existing file, and
// returns its path, making the folder when it is missing; empty when it cannot take a new file.
// Creating it at once keeps a second writer from taking the same name.
QString ReserveImageName(const shell::AcquireTarget& target);

// Scans one page from the current device; with several devices the user chooses one first.
QStringList ScanIntoFolder(pictavo::ax::ImageBoxProxy& box, const shell::AcquireTarget& target);

// Captures the whole screen.
QStringList CaptureIntoFolder(pictavo::ax::ImageBoxProxy& box, const shell::AcquireTarget& target);

}  // namespace output
