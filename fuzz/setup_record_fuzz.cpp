// The settings-file reader over arbitrary bytes; a record that reads is written and read again,
// which must give the same bytes (texts that were not UTF-8 come back as UTF-8 and stay so).
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "app/shell/settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::optional<shell::SetupRecord> record =
      shell::DecodeSetupRecord(std::vector<uint8_t>(data, data + size));
  if (!record) return 0;
  const std::vector<uint8_t> written = shell::EncodeSetupRecord(*record);
  const std::optional<shell::SetupRecord> again = shell::DecodeSetupRecord(written);
  if (!again || shell::EncodeSetupRecord(*again) != written) std::abort();
  return 0;
}
