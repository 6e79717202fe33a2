#pragma once
// The layout of a generated executable: a player program followed by its JPEG entries, for a
// slide show a 6-byte options record, an index text and a 17-byte trailer that locates the
// index. Offsets are 0-based positions in the whole file; numbers are little-endian; offsets and
// lengths are signed 32-bit, so a package stays below 2 GiB.
#include <cstdint>
#include <stdexcept>
#include <string>

namespace output::package {

// The background colour (0x00BBGGRR, or 0x80000000 + n for system colour n) and the seconds
// between slides that a slide show carries.
struct SlideShowOptions {
  int32_t BackColor = 0;
  int16_t Interval = 0;
};

// One image of the package: its name (not used by any player), where its bytes start, how many.
struct PackageEntry {
  std::string Name;
  int32_t Offset = 0;
  int32_t Length = 0;
};

constexpr size_t kTrailerSize = 17;
constexpr size_t kOptionsSize = 6;
// The digits of the index offset, padded with spaces, at [L - 11, L - 1) of a file of length L.
constexpr size_t kTrailerDigits = 10;
constexpr uint16_t kTrailerTextType = 8;
constexpr uint32_t kTrailerTextLength = 11;
constexpr const char* kOptionsLine = "OPTIONS";
constexpr const char* kSingleEntryName = "Single";
constexpr int64_t kLargestPackage = INT32_MAX;

// A package that is there but cannot be read: an offset, length or index outside the file, a field
// that is no number. what() says which, in words a user can act on.
class EPackageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The file carries no package: a bare player, or one cut short so that its trailer is gone.
class ENoPackage : public std::runtime_error {
 public:
  ENoPackage() : std::runtime_error("nothing is attached, or the file is incomplete") {}
};

}  // namespace output::package
