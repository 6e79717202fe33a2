#pragma once
// Where the batch conversion writes an entry and under which name. The name parts come from row
// texts, typed tokens and file metadata, so every part is made safe here, in one place, before
// it becomes a path.
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

#include "app/shell/settings.h"

namespace output {

using BatchOptions = decltype(shell::SetupRecord::BatchNamingOptions);

// The longest file name the file systems we write to take, in bytes.
inline constexpr int kLongestFileName = 255;

// "jpc" when the options choose the bare code stream, else "jp2".
QString OutputExtension(const BatchOptions& options);

// The folder an entry's output goes to, ending in "/": the chosen folder (blanks trimmed), or
// the folder of entryPath (for a page of a multipage file, the multipage file).
QString OutputFolder(const BatchOptions& options, const QString& entryPath);

// The counter of basket position (from 1) for a CounterStart of "[Starting 1]",
// "[Starting 1001]" or a typed whole number. A typed text that is no number raises AppError
// "Type mismatch"; a counter outside 32 bits raises "Overflow".
int32_t CounterOf(const QString& counterStart, int32_t position);

// folder + the parts joined + "." + ext, with "/", NUL and other control characters in the parts
// turned into "_", a stem that is empty, "." or ".." turned into "_", and the stem shortened at a
// character boundary so the name fits kLongestFileName bytes of UTF-8. Nothing when the result
// would not lie directly in folder.
std::optional<QString> ComposeOutputPath(const QString& folder, const QStringList& parts,
                                         const QString& ext);

}  // namespace output
