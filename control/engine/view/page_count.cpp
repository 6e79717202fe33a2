#include "control/engine/view/page_count.h"

#include <optional>

#include "control/engine/raster/ticbitmap.h"
#include "control/formats/jpeg/be_stream.h"
#include "control/formats/tiff/tif_pages.h"
#include "platform/base/streams.h"

namespace pictavo {

int32_t CountImagePages(const std::string& file_name, const std::string& user,
                        const std::string& password) {
  const std::optional<int> format = TicBitmap::FormatOfFileName(file_name);
  if (format == gfTIF) return CountTIFPages(file_name, user, password);
  // PDF is written only, so it counts as no readable format.
  if (!format || *format == gfPDF)
    throw plat::EInvalidGraphic("File is not a recognised graphics format");
  if (!plat::FileExists(file_name)) throw plat::EInvalidGraphic("File not found");
  return 1;
}

int32_t CountImagePagesInBytes(uint8_t format, const std::vector<uint8_t>& data) {
  if (format != gfTIF) return 1;
  TBEMemoryStream stream;
  stream.WriteBuffer(data.data(), static_cast<int64_t>(data.size()));
  return CountTIFPagesInStream(stream);
}

}  // namespace pictavo
