#include "platform/graphics/channel_order.h"

#if defined(__x86_64__) || defined(__i386__)
#include <tmmintrin.h>
#endif

namespace plat {

namespace {

void SwapPlain(uint8_t* to, const uint8_t* from, size_t pixels) {
  for (size_t i = 0; i < 3 * pixels; i += 3) {
    const uint8_t first = from[i];
    to[i] = from[i + 2];
    to[i + 1] = from[i + 1];
    to[i + 2] = first;
  }
}

#if defined(__x86_64__) || defined(__i386__)
// Five pixels a step through one byte shuffle: each step loads and stores 16 bytes, the last of
// which it leaves as it found it (the next step starts there), so it runs while six pixels remain.
__attribute__((target("ssse3"))) void SwapShuffled(uint8_t* to, const uint8_t* from,
                                                   size_t pixels) {
  const __m128i order = _mm_setr_epi8(2, 1, 0, 5, 4, 3, 8, 7, 6, 11, 10, 9, 14, 13, 12, 15);
  size_t done = 0;
  for (; done + 6 <= pixels; done += 5) {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + 3 * done));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to + 3 * done), _mm_shuffle_epi8(block, order));
  }
  SwapPlain(to + 3 * done, from + 3 * done, pixels - done);
}

using TSwap = void (*)(uint8_t*, const uint8_t*, size_t);

TSwap ChooseSwap() {
  return __builtin_cpu_supports("ssse3") ? SwapShuffled : SwapPlain;
}
#endif

}  // namespace

void SwapRedAndBlue(uint8_t* to, const uint8_t* from, size_t pixels) {
#if defined(__x86_64__) || defined(__i386__)
  static const TSwap swap = ChooseSwap();
  swap(to, from, pixels);
#else
  SwapPlain(to, from, pixels);
#endif
}

}  // namespace plat
