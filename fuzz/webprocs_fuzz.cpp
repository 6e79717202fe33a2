// The URL cracker and the multipart builder on arbitrary text: the first line is a URL, the
// second a file name, the rest form fields (one a line) and, after a NUL, the image bytes.
#include <cstdint>
#include <string>
#include <string_view>

#include "control/formats/support/webprocs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  const size_t nul = input.find('\0');
  const std::string_view text = input.substr(0, nul);
  const std::string_view image = nul == std::string_view::npos ? "" : input.substr(nul + 1);
  const size_t first = text.find('\n');
  const std::string url(text.substr(0, first));
  std::string_view rest = first == std::string_view::npos ? "" : text.substr(first + 1);
  const size_t second = rest.find('\n');
  const std::string fileName(rest.substr(0, second));
  plat::TStringList fields;
  fields.SetText(second == std::string_view::npos ? "" : rest.substr(second + 1));

  pictavo::webprocs::UrlParts parts;
  if (pictavo::webprocs::CrackURL(url, parts) && parts.port == 0 && parts.scheme == "http")
    __builtin_trap();  // http always has a port
  plat::TMemoryStream body, imageData(std::vector<uint8_t>(image.begin(), image.end()));
  std::string header;
  // Format 2 keeps the registry (a file) out of the loop.
  pictavo::webprocs::BuildMultipartBodyWithBoundary(body, imageData, header, "B", 2, "f", fileName,
                                                    fields);
  if (body.Size() < 5) __builtin_trap();  // always ends with the closing delimiter
  return 0;
}
