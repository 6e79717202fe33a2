#pragma once
// Text stored inside image files (IPTC datasets, EXIF ASCII values) is Windows-1252, the code
// page files from the original platform use. These convert at the boundary to UTF-16 (the
// control's BSTR) and UTF-8 (EXIF values written with ConvertUTF8).
#include <string>
#include <string_view>

namespace pictavo {

// Characters without a Windows-1252 equivalent become '?', the code page's default character.
std::string WideToAnsi(std::u16string_view text);
std::u16string AnsiToWide(std::string_view text);

std::string AnsiToUtf8(std::string_view text);
// Bytes that are not valid UTF-8 are taken as they stand: older writers put plain
// Windows-1252 into EXIF ASCII values.
std::string Utf8ToAnsi(std::string_view text);

}  // namespace pictavo
