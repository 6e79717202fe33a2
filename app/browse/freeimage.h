#pragma once
// The FreeImage route of picture loading: any file type FreeImage reads, by extension.
#include <QImage>
#include <QString>
#include <cstdint>

namespace browse {

// FreeImage's "invalid picture": every failure of its loader.
constexpr int32_t kInvalidPicture = 481;

// Loads a file by the format its extension names; FormatCode receives FreeImage's format number
// (-1 when none). Raises shell::AppError 481 for an unknown or unreadable format or a failed load.
QImage fncLoadPictureFromFile(const QString& Path, int32_t& FormatCode);

// FreeImage's format by content, -1 when it recognises none.
int32_t FileTypeByContent(const QString& Path);

}  // namespace browse
