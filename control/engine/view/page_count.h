#pragma once
// How many pages a file or an in-memory image holds: a TIFF counts its pages (a file may also be
// a URL, fetched with the given credentials); every other readable format holds one. The page
// lists of multipage documents build on this.
#include <cstdint>
#include <string>
#include <vector>

namespace pictavo {

// Raises "File is not a recognised graphics format" for an extension no reader claims and
// "File not found" for a single-page file that is not there.
int32_t CountImagePages(const std::string& file_name, const std::string& user,
                        const std::string& password);
// format is a TxGraphicsFormat code; only TIFF data is looked into.
int32_t CountImagePagesInBytes(uint8_t format, const std::vector<uint8_t>& data);

}  // namespace pictavo
