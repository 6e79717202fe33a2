#pragma once
// The temporary one-page TIFF files that basket rows of multipage files load. They live in the
// program's temp folder until a new basket deletes them.
#include <QString>

namespace browse {

// Creates a new empty page file named stem, page, "_", a random 0..9998 and ".tif". A name
// already taken is drawn again, so no page overwrites another. Empty when none could be created.
QString CreatePageFile(const QString& stem, int page);
// Deletes every page file; other files of the temp folder stay.
void DeletePageFiles();

}  // namespace browse
