#pragma once
// One row of the image basket: what the basket shows and what its outputs read.
#include <QString>

namespace browse {

struct BasketItem {
  QString Text;  // the shown name; the batch conversion builds its output names from it
  QString Tag;  // the file loaded for the row: the source, or the temporary one-page TIFF of a page
  int ThumbnailIndex = -1;  // the row's picture in the basket's thumbnail list
  QString Resolution;       // for a page: width " X " height
  QString Size;
  QString Type;
  QString Path;  // the source file, also for a page
  bool operator==(const BasketItem&) const = default;
};

}  // namespace browse
