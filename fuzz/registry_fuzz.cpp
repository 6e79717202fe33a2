// The registry store file: whatever it holds, parsing succeeds and re-serialising is stable.
#include <cstdint>
#include <string_view>

#include "platform/registry/registry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const plat::registry::Tree tree = plat::registry::Tree::Parse(text);
  const std::string once = tree.Serialize();
  if (plat::registry::Tree::Parse(once).Serialize() != once) __builtin_trap();
  return 0;
}
