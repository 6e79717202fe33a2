#pragma once
// Writes a generated executable: the player program, then each JPEG entry with its index line,
// for a slide show the options line and record, then the index and the trailer that finds it.
#include <cstdint>
#include <ostream>
#include <span>
#include <string>
#include <string_view>

#include "app/output/package/package_format.h"

namespace output::package {

class PackageWriter {
 public:
  // Writes the player program at once. Throws EPackageError when the stream fails.
  PackageWriter(std::ostream& out, std::span<const uint8_t> player);

  // Appends one JPEG entry. ";", CR and LF in the name, which would split the index line, become
  // "_". Throws EPackageError when the package would reach 2 GiB.
  void AddEntry(std::string_view name, std::span<const uint8_t> jpeg);
  // Appends the options line and record; a slide show carries them after its last entry.
  void AddSlideShowOptions(const SlideShowOptions& options);
  // Appends the index and the trailer. Nothing may be added afterwards.
  void Finish();

  // The 17 trailer bytes for an index at `index_offset`.
  static std::string Trailer(int64_t index_offset);

 private:
  void Append(std::span<const uint8_t> bytes);
  void Append(std::string_view text);
  void AddIndexLine(std::string_view name, int64_t offset, int64_t length);

  std::ostream& out_;
  int64_t written_ = 0;
  std::string index_;
};

}  // namespace output::package
