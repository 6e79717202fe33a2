#pragma once
// Path pieces, folder creation and existence tests. Paths use "/" between their parts.
#include <QString>

namespace shell {

// The text after the last "."; the whole path when it has none.
QString fncGetFileExtension(const QString& path);
// The text before the last "."; raises AppError 5 when there is no ".".
QString fncRemoveExtension(const QString& path);
// The text up to and including the last "/"; empty when there is none.
QString fncGetFolderPart(const QString& path);
// Appends "/" to path itself when its trimmed text does not end with one; empty for a blank path.
QString fncAddTrailingBackslash(QString& path);
// Creates the folder and any missing parents; an existing folder is fine. On failure shows
// "Error creating directory" once and answers false.
bool subCreateFolder(const QString& path);
// An ordinary file (not hidden, not a folder) matches path; "*" and "?" in the name are wildcards.
bool fncFileExists(const QString& path);
// Any file matches path, hidden ones included; folders too when folderToo.
bool fncPathExists(const QString& path, bool folderToo);

// The program's folder, ending with exactly one "/" (the root folder already does).
QString fncAppPath();
// The program's read-only data (the manual, artwork): "share/VelmoraJPEG2000B/" beside the
// program's folder, as both the build tree and an installation lay it out; ends with "/".
QString fncAppDataPath();
// The application's help file, an HTML manual; set once at start-up.
extern QString gstrHelpFile;

}  // namespace shell
