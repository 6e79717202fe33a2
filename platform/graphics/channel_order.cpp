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
// Sixteen pixels a step: three 16-byte blocks loaded, each output block gathered from the two or
// three it draws on by byte shuffles, three stored. No load reads bytes an earlier store of the
// same call wrote, so swapping in place does not wait for stores to reach the cache.
__attribute__((target("ssse3"))) void SwapShuffled(uint8_t* to, const uint8_t* from,
                                                   size_t pixels) {
  constexpr char z = -1;  // a zero byte
  const __m128i first0 = _mm_setr_epi8(2, 1, 0, 5, 4, 3, 8, 7, 6, 11, 10, 9, 14, 13, 12, z);
  const __m128i first1 = _mm_setr_epi8(z, z, z, z, z, z, z, z, z, z, z, z, z, z, z, 1);
  const __m128i second0 = _mm_setr_epi8(z, 15, z, z, z, z, z, z, z, z, z, z, z, z, z, z);
  const __m128i second1 = _mm_setr_epi8(0, z, 4, 3, 2, 7, 6, 5, 10, 9, 8, 13, 12, 11, z, 15);
  const __m128i second2 = _mm_setr_epi8(z, z, z, z, z, z, z, z, z, z, z, z, z, z, 0, z);
  const __m128i third1 = _mm_setr_epi8(14, z, z, z, z, z, z, z, z, z, z, z, z, z, z, z);
  const __m128i third2 = _mm_setr_epi8(z, 3, 2, 1, 6, 5, 4, 9, 8, 7, 12, 11, 10, 15, 14, 13);
  size_t done = 0;
  for (; done + 16 <= pixels; done += 16) {
    const auto* in = reinterpret_cast<const __m128i*>(from + 3 * done);
    const __m128i a = _mm_loadu_si128(in);
    const __m128i b = _mm_loadu_si128(in + 1);
    const __m128i c = _mm_loadu_si128(in + 2);
    auto* out = reinterpret_cast<__m128i*>(to + 3 * done);
    _mm_storeu_si128(out, _mm_or_si128(_mm_shuffle_epi8(a, first0), _mm_shuffle_epi8(b, first1)));
    _mm_storeu_si128(out + 1, _mm_or_si128(_mm_or_si128(_mm_shuffle_epi8(a, second0),
                                                        _mm_shuffle_epi8(b, second1)),
                                           _mm_shuffle_epi8(c, second2)));
    _mm_storeu_si128(out + 2,
                     _mm_or_si128(_mm_shuffle_epi8(b, third1), _mm_shuffle_epi8(c, third2)));
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
