#pragma once
// Reads a generated executable from its bytes: the trailer finds the index, the index lists the
// entries (and, in a slide show, the options record). Every offset and length is checked against
// the file before use; an entry is handed over as a view of the bytes, never copied elsewhere.
#include <cstdint>
#include <span>
#include <vector>

#include "app/output/package/package_format.h"

namespace output::package {

enum class PackageKind {
  kImages,     // every index line is an entry (greeting, screensaver)
  kSlideShow,  // the entries end at the "OPTIONS" line, which locates the options record
};

class PackageReader {
 public:
  // Reads the index of `file`, whose bytes must outlive the reader. Throws ENoPackage when the
  // trailer is missing, EPackageError when anything it points at is damaged.
  PackageReader(std::span<const uint8_t> file, PackageKind kind);

  const std::vector<PackageEntry>& Entries() const { return entries_; }
  // The slide show's options (all zero for a package of the other kind).
  const SlideShowOptions& Options() const { return options_; }
  // The bytes of entry k (k < Entries().size()).
  std::span<const uint8_t> Entry(size_t k) const;

 private:
  int64_t IndexOffset() const;
  void ReadIndex(std::span<const uint8_t> index, PackageKind kind, int64_t index_offset);
  void ReadOptions(int64_t offset, int64_t index_offset);

  std::span<const uint8_t> file_;
  std::vector<PackageEntry> entries_;
  SlideShowOptions options_;
};

}  // namespace output::package
