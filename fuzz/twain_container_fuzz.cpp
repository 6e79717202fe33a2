// The capability container reader over arbitrary bytes: the first byte picks the container
// type a source claims, the rest is its memory block.
#include <cstddef>
#include <cstdint>
#include <span>

#include "control/engine/twain/cap_container.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint16_t con_type = static_cast<uint16_t>(3 + data[0] % 5);
  const pictavo::TCapReply reply =
      pictavo::ReadCapContainer(con_type, std::span(data + 1, size - 1));
  uint64_t sum = reply.CurrentIndex + reply.MinValue;
  for (const uint32_t item : reply.Items) sum += item;
  // Every item is read, so a reader that misjudges the block shows under the sanitizers.
  volatile uint64_t sink = sum;
  (void)sink;
  return 0;
}
