#pragma once
// Multipage TIFF: the page list the control fills for multipage output, writing it as one file,
// inserting a page into an existing file and counting the pages of a file, URL or stream.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "control/formats/tiff/tif_image.h"

namespace plat {
class TStream;
}

namespace pictavo {

class TTIFList {
 public:
  int32_t Count() const { return static_cast<int32_t>(pages_.size()); }
  void Clear() { pages_.clear(); }
  // Makes the page page number `position` (1-based); 0, a negative position or one beyond the
  // last page appends it.
  void InsertPage(std::unique_ptr<TTIFImage> page, int32_t position);
  // Loads page `pageNumber` of a TIFF file and appends it; raises what loading raises.
  void AddPageFromFile(const std::string& fileName, int32_t pageNumber);
  // 1-based; nullptr outside 1..Count.
  TTIFImage* PageAt(int32_t index) const;

 private:
  std::vector<std::unique_ptr<TTIFImage>> pages_;
};

// The whole list as one little-endian multipage file (only the header when it is empty).
void SaveTIFListToStream(const TTIFList& list, plat::TStream& stream);
// Writes through a temporary file, so a failure leaves an existing file as it was.
void SaveTIFListToFile(const TTIFList& list, const std::string& fileName);

// Inserts `page` as page `position` (1-based; 0 or less appends) of the TIFF file Source and
// writes the result to Dest (Source when empty). Both names get ".tif" unless they end in
// ".tif" or ".tiff". A missing Source makes Dest a single-page file.
void InsertTIFPage(const std::string& source, const std::string& dest, int32_t position,
                   const TTIFImage& page);

// Pages of a TIFF file, or of an "http://" or "https://" address fetched with the user name and
// password.
int32_t CountTIFPages(const std::string& fileName, const std::string& userName,
                      const std::string& password);
// Pages of the TIFF data in the stream (read from its start).
int32_t CountTIFPagesInStream(plat::TStream& stream);

}  // namespace pictavo
