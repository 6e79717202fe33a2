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

// FreeImage's comma-separated extension list of a format, and its first entry.
QString fncGetExtensionList(int32_t FormatCode);
QString fncGetPrimaryExtension(int32_t FormatCode);

// True when the file name's extension is a whole entry of the format's list; CompareMode 0 is
// exact case, any other ignores case.
bool fncIsExtensionValidForFormat(int32_t FormatCode, const QString& FileName, int32_t CompareMode);

}  // namespace browse
