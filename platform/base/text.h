#pragma once
// Text conversions between the three encodings the system meets: UTF-8 (our own files, paths,
// messages), UTF-16 (automation strings) and Windows-1252 (the 8-bit code page of text stored in
// image files and of the control's 8-bit members).
#include <string>
#include <string_view>

namespace plat {

// Windows-1252 bytes to UTF-16; the five unassigned bytes map to the C1 control of the same value.
std::u16string AnsiToUtf16(std::string_view ansi);
// UTF-16 to Windows-1252; a character the code page lacks becomes '?'.
std::string Utf16ToAnsi(std::u16string_view text);

std::string AnsiToUtf8(std::string_view ansi);
std::string Utf8ToAnsi(std::string_view utf8);

// Malformed UTF-8 sequences and lone surrogates become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view text);

bool IsValidUtf8(std::string_view bytes);
// How our own text files are read: UTF-8 when the bytes are valid UTF-8, else Windows-1252.
std::string TextBytesToUtf8(std::string_view bytes);

// ASCII-only case folding, as names of keys, members and list entries compare.
char16_t AsciiLower(char16_t c);
bool SameTextIgnoringCase(std::string_view a, std::string_view b);
bool SameTextIgnoringCase(std::u16string_view a, std::u16string_view b);
int CompareTextIgnoringCase(std::string_view a, std::string_view b);

// text without leading and trailing blanks and control characters (bytes up to the space).
std::string_view TrimControls(std::string_view text);

}  // namespace plat
