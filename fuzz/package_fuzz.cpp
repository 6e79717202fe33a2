// Generated-executable package: read as either kind, then every entry handed over; nothing may
// raise but the package's own errors or read outside the bytes.
#include <cstdint>
#include <span>

#include "app/output/package/package_reader.h"

namespace {

void ReadAs(std::span<const uint8_t> bytes, output::package::PackageKind kind) {
  try {
    const output::package::PackageReader reader(bytes, kind);
    // Touching both ends of every entry lets the sanitizers see a view beyond the bytes.
    [[maybe_unused]] volatile uint8_t ends = 0;
    for (size_t k = 0; k < reader.Entries().size(); ++k) {
      const std::span<const uint8_t> entry = reader.Entry(k);
      if (!entry.empty()) ends = static_cast<uint8_t>(entry.front() ^ entry.back());
    }
  } catch (const output::package::ENoPackage&) {
  } catch (const output::package::EPackageError&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> bytes(data, size);
  ReadAs(bytes, output::package::PackageKind::kSlideShow);
  ReadAs(bytes, output::package::PackageKind::kImages);
  return 0;
}
