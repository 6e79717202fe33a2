// Members that tell a host how many pages a file or an in-memory image holds (the workbench
// splits multipage TIFF files with them and ReadImageNumber).
#include <algorithm>
#include <cctype>

#include "control/activex/imagebox.h"
#include "control/formats/jpeg/be_stream.h"
#include "control/formats/tiff/tif_pages.h"
#include "platform/base/text.h"

namespace pictavo {

namespace {

std::string LowerExtension(const std::string& name) {
  size_t dot = name.rfind('.');
  std::string ext = dot == std::string::npos ? std::string() : name.substr(dot);
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return ext;
}

}  // namespace

PICTAVO_GET(ImageCount) {
  const std::string name = call.Utf8(0);
  const std::string ext = LowerExtension(name);
  if (ext == ".tif" || ext == ".tiff")
    return call.Return(CountTIFPages(name, plat::Utf16ToUtf8(box.View().URLUserName),
                                     plat::Utf16ToUtf8(box.View().URLPassword)));
  for (const char* single :
       {".bmp", ".gif", ".pcx", ".png", ".jpg", ".jpeg", ".jpe", ".wbmp", ".wbm", ".psd"})
    if (ext == single) {
      if (!plat::FileExists(name)) throw plat::EInvalidGraphic("File not found");
      return call.Return(int32_t{1});
    }
  throw plat::EInvalidGraphic("File is not a recognised graphics format");
}

PICTAVO_GET(ImageCountBinary) {
  if (call.Enum(0) != gfTIF) return call.Return(int32_t{1});
  const TBytes bytes = call.Bytes(1);
  TBEMemoryStream data;
  data.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
  call.Return(CountTIFPagesInStream(data));
}

}  // namespace pictavo
