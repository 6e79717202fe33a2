#pragma once
// The temporary one-page TIFF files that basket rows of multipage files load. They live in the
// program's temp folder until a new basket deletes them.
#include <QString>

namespace pictavo::ax {
class ImageBoxProxy;
}

namespace browse {

// Creates a new empty page file named stem, page, "_", a random 0..9998 and ".tif". A name
// already taken is drawn again, so no page overwrites another. Empty when none could be created.
QString CreatePageFile(const QString& stem, int page);
// Writes page `page` of the `pages` pages of the TIFF file `source` as the one-page TIFF
// `pageFile`. The control copies a page as it is stored, so the page file keeps the source
// page's compression; a page the control must decode (a predictor, another byte order) is
// written again uncompressed. Raises what the control raises.
void CopyPage(pictavo::ax::ImageBoxProxy& box, const QString& source, int page, int pages,
              const QString& pageFile);
// Deletes every page file; other files of the temp folder stay.
void DeletePageFiles();

}  // namespace browse
