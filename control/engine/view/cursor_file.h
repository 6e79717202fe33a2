#pragma once
// Windows cursor files (.cur): an icon directory of type 2 whose entries carry a hotspot and
// either a BMP without its file header (colour rows followed by the AND mask) or a PNG. The reader
// takes the entry nearest the default cursor size and never scales it; anything it cannot read
// (animated cursors, icons, damaged files) gives no cursor.
#include <QImage>
#include <QPoint>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace pictavo {

struct TCursorImage {
  QImage image;  // ARGB32, transparent where the AND mask or the alpha channel says so
  QPoint hotspot;
};

std::optional<TCursorImage> ReadCursor(std::span<const uint8_t> bytes);
// The file is read whole only when it is no larger than a cursor file can sensibly be.
std::optional<TCursorImage> ReadCursorFile(const std::string& file_name);

}  // namespace pictavo
