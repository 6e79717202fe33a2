#include "control/engine/raster/resample.h"

#include <emmintrin.h>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <span>
#include <vector>

#include "control/engine/raster/pixels.h"
#include "platform/base/exceptions.h"
#include "platform/base/rounding.h"

namespace pictavo {

namespace {

float BoxFilter(float x) {
  return (x > -0.5f && x <= 0.5f) ? 1.0f : 0.0f;
}

float TriangleFilter(float x) {
  const float a = std::fabs(x);
  return a < 1.0f ? 1.0f - a : 0.0f;
}

float HermiteFilter(float x) {
  const float a = std::fabs(x);
  return a < 1.0f ? (2.0f * a - 3.0f) * a * a + 1.0f : 0.0f;
}

float BellFilter(float x) {
  const float a = std::fabs(x);
  if (a < 0.5f) return 0.75f - a * a;
  if (a < 1.5f) return 0.5f * (a - 1.5f) * (a - 1.5f);
  return 0.0f;
}

float BSplineFilter(float x) {
  const float a = std::fabs(x);
  if (a < 1.0f) return 0.5f * a * a * a - a * a + 2.0f / 3.0f;
  if (a < 2.0f) return (2.0f - a) * (2.0f - a) * (2.0f - a) / 6.0f;
  return 0.0f;
}

float SinC(float x) {
  if (x == 0.0f) return 1.0f;
  const float px = x * std::numbers::pi_v<float>;
  return std::sin(px) / px;
}

float Lanczos3Filter(float x) {
  const float a = std::fabs(x);
  return a < 3.0f ? SinC(a) * SinC(a / 3.0f) : 0.0f;
}

float MitchellFilter(float x) {
  const float a = std::fabs(x);
  const float a2 = a * a, a3 = a2 * a;
  if (a < 1.0f) return (7.0f * a3 - 12.0f * a2 + 16.0f / 3.0f) / 6.0f;
  if (a < 2.0f) return (-7.0f / 3.0f * a3 + 12.0f * a2 - 20.0f * a + 32.0f / 3.0f) / 6.0f;
  return 0.0f;
}

const TFilter kFilters[kFilterCount] = {
    {"Box", BoxFilter, 0.5f},           {"Triangle", TriangleFilter, 1.0f},
    {"Hermite", HermiteFilter, 1.0f},   {"Bell", BellFilter, 1.5f},
    {"B-Spline", BSplineFilter, 2.0f},  {"Lanczos3", Lanczos3Filter, 3.0f},
    {"Mitchell", MitchellFilter, 2.0f},
};

struct Contributor {
  int pixel;
  float weight;
};

// The source pixels and weights of every destination pixel along one axis, in one block: each
// destination pixel has a fixed number of slots, so the lists are made on the workers without a
// heap allocation each.
class ContributorTable {
 public:
  ContributorTable(int to, int from, const TFilter& filter);
  std::span<const Contributor> operator[](size_t i) const {
    return {slots_.data() + i * stride_, counts_[i]};
  }
  size_t size() const { return counts_.size(); }
  // The most source pixels one destination pixel may take.
  size_t Stride() const { return stride_; }
  // The first destination pixel whose list holds the last source pixel (size() if none does).
  size_t FirstTakingLast() const { return firstTakingLast_; }

 private:
  size_t FindFirstTakingLast(int last) const;

  size_t stride_;
  size_t firstTakingLast_;
  std::vector<Contributor> slots_;
  std::vector<size_t> counts_;
};

// Destination to source scale; a one-pixel side on either end uses the plain ratio, so a
// 1-pixel destination does not divide 0 by 0.
float AxisScale(int to, int from) {
  if (to == 1 || from == 1) return static_cast<float>(to) / static_cast<float>(from);
  return static_cast<float>(to - 1) / static_cast<float>(from - 1);
}

int MirrorIntoRange(int64_t j, int size) {
  if (j < 0) j = -j;
  if (j >= size) j = 2 * int64_t{size} - j - 1;
  return static_cast<int>(std::clamp<int64_t>(j, 0, size - 1));
}

// The source pixels destination pixel i may take, before mirroring: floor(c - r) .. ceil(c + r).
std::pair<int64_t, int64_t> SourceSpan(int64_t i, float scale, float radius) {
  const float centre = static_cast<float>(i) / scale;
  return {static_cast<int64_t>(std::floor(centre - radius)),
          static_cast<int64_t>(std::ceil(centre + radius))};
}

ContributorTable::ContributorTable(int to, int from, const TFilter& filter) {
  const float scale = AxisScale(to, from);
  const float radius = scale >= 1.0f ? filter.support : filter.support / scale;
  stride_ = 0;
  for (int i = 0; i < to; ++i) {
    const auto [first, last] = SourceSpan(i, scale, radius);
    stride_ = std::max(stride_, static_cast<size_t>(last - first + 1));
  }
  slots_.resize(stride_ * static_cast<size_t>(to));
  counts_.resize(static_cast<size_t>(to));
  plat::ParallelFor(to, 256, [&](int64_t i0, int64_t i1) {
    for (int64_t i = i0; i < i1; ++i) {
      const float centre = static_cast<float>(i) / scale;
      const auto [first, last] = SourceSpan(i, scale, radius);
      Contributor* list = slots_.data() + i * stride_;
      size_t count = 0;
      for (int64_t j = first; j <= last; ++j) {
        const float weight = filter.kernel(centre - static_cast<float>(j));
        if (weight != 0.0f) list[count++] = {MirrorIntoRange(j, from), weight};
      }
      counts_[i] = count;
    }
  });
  firstTakingLast_ = FindFirstTakingLast(from - 1);
}

size_t ContributorTable::FindFirstTakingLast(int last) const {
  for (size_t i = 0; i < size(); ++i)
    for (const Contributor& c : (*this)[i])
      if (c.pixel == last) return i;
  return size();
}

uint8_t ClampRound(float sum) {
  if (sum > 255.0f) return 255;
  if (sum < 0.0f) return 0;
  // Halves to even, as lrint in the default rounding mode, but inline: adding 1.5 * 2^23 leaves
  // no fraction bits, so the addition itself rounds (exact for the range 0..255). Compilers keep
  // the pair as long as fast-math stays off.
  constexpr float kRounder = 12582912.0f;
  return static_cast<uint8_t>((sum + kRounder) - kRounder);
}

// Four channel sums in one SSE register. Each lane goes through the same multiplications and
// additions, in the same order, as a lone float would, so the lanes round exactly as the scalar
// sums do.

// ClampRound of each lane, as whole numbers in 32-bit lanes.
__m128i ClampRoundLanes(__m128 sum) {
  sum = _mm_min_ps(_mm_max_ps(sum, _mm_setzero_ps()), _mm_set1_ps(255.0f));
  const __m128 rounder = _mm_set1_ps(12582912.0f);
  return _mm_cvttps_epi32(_mm_sub_ps(_mm_add_ps(sum, rounder), rounder));
}

// The four bytes of a 32-bit value as float lanes.
__m128 BytesToLanes(uint32_t bytes) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i words = _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(bytes)), zero);
  return _mm_cvtepi32_ps(_mm_unpacklo_epi16(words, zero));
}

// Pixel bytes p[0..3] as lanes; reads one byte past the pixel.
__m128 LoadPixelLanes(const uint8_t* p) {
  uint32_t bytes;
  std::memcpy(&bytes, p, sizeof bytes);
  return BytesToLanes(bytes);
}

// The same three bytes without reading past them; the fourth lane is 0.
__m128 LoadLastPixelLanes(const uint8_t* p) {
  return BytesToLanes(p[0] | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16);
}

// Writes the first three lanes as bytes and one byte past them, which the next pixel overwrites
// (or the slack after the row takes).
void StorePixelLanes(__m128i whole, uint8_t* out) {
  const __m128i words = _mm_packs_epi32(whole, whole);
  const auto bytes = static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(words, words)));
  std::memcpy(out, &bytes, sizeof bytes);
}

// Destination columns [first, end) of one source row resampled across, each pixel's blue, green
// and red summed in the lanes of one register.
template <__m128 (*Load)(const uint8_t*)>
void ResampleColumns(const uint8_t* in, const ContributorTable& columns, size_t first, size_t end,
                     uint8_t* out) {
  for (size_t i = first; i < end; ++i) {
    __m128 sum = _mm_setzero_ps();
    for (const Contributor& c : columns[i])
      sum = _mm_add_ps(sum, _mm_mul_ps(Load(in + 3 * int64_t{c.pixel}), _mm_set1_ps(c.weight)));
    StorePixelLanes(ClampRoundLanes(sum), out + 3 * i);
  }
}

// One source row resampled across into out (3 bytes for each column of the table and one byte of
// slack). The columns that take the row's last pixel read it without going past the row's end.
void ResampleRow(const uint8_t* in, const ContributorTable& columns, uint8_t* out) {
  const size_t safe = columns.FirstTakingLast();
  ResampleColumns<LoadPixelLanes>(in, columns, 0, safe, out);
  ResampleColumns<LoadLastPixelLanes>(in, columns, safe, columns.size(), out);
}

// The source rows one band of destination rows takes, resampled across when first asked for and
// kept in a ring of rows small enough to stay in the cache. The rows one destination row takes
// lie within the table's stride of each other (mirroring at the edges brings them closer, never
// further apart), so a ring that long holds all of them at once.
class AcrossRows {
 public:
  AcrossRows(const plat::TBitmap& source, const ContributorTable& columns, size_t slots)
      : source_(source),
        columns_(columns),
        bytes_(3 * columns.size() + 1),
        rows_(slots * bytes_),
        tags_(slots, -1) {}

  const uint8_t* Row(int y) {
    const size_t slot = static_cast<size_t>(y) % tags_.size();
    uint8_t* row = rows_.data() + slot * bytes_;
    if (tags_[slot] != y) {
      ResampleRow(source_.ScanLine(y), columns_, row);
      tags_[slot] = y;
    }
    return row;
  }

 private:
  const plat::TBitmap& source_;
  const ContributorTable& columns_;
  size_t bytes_;
  std::vector<uint8_t> rows_;
  std::vector<int> tags_;
};

// The bytes of one destination row summed down its source rows, 16 bytes at a time while whole
// blocks remain and then one by one.
void ResampleDown(std::span<const uint8_t* const> in, std::span<const Contributor> taps,
                  size_t bytes, uint8_t* out) {
  const __m128i zero = _mm_setzero_si128();
  size_t k = 0;
  for (; k + 16 <= bytes; k += 16) {
    __m128 sums[4] = {_mm_setzero_ps(), _mm_setzero_ps(), _mm_setzero_ps(), _mm_setzero_ps()};
    for (size_t t = 0; t < taps.size(); ++t) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in[t] + k));
      const __m128i low = _mm_unpacklo_epi8(v, zero), high = _mm_unpackhi_epi8(v, zero);
      const __m128i quarters[4] = {_mm_unpacklo_epi16(low, zero), _mm_unpackhi_epi16(low, zero),
                                   _mm_unpacklo_epi16(high, zero), _mm_unpackhi_epi16(high, zero)};
      const __m128 weight = _mm_set1_ps(taps[t].weight);
      for (int q = 0; q < 4; ++q)
        sums[q] = _mm_add_ps(sums[q], _mm_mul_ps(_mm_cvtepi32_ps(quarters[q]), weight));
    }
    const __m128i low = _mm_packs_epi32(ClampRoundLanes(sums[0]), ClampRoundLanes(sums[1]));
    const __m128i high = _mm_packs_epi32(ClampRoundLanes(sums[2]), ClampRoundLanes(sums[3]));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + k), _mm_packus_epi16(low, high));
  }
  for (; k < bytes; ++k) {
    float sum = 0;
    for (size_t t = 0; t < taps.size(); ++t) sum += in[t][k] * taps[t].weight;
    out[k] = ClampRound(sum);
  }
}

// Both passes for each band of destination rows: the rows across, then down, each channel summed
// in contributor order. A band only resamples the source rows it takes, so no image-sized work
// bitmap is written and read back.
void ResampleBands(const plat::TBitmap& source, plat::TBitmap& destination,
                   const ContributorTable& columns, const ContributorTable& rows) {
  const size_t bytes = 3 * columns.size();
  const size_t slots = std::min(rows.Stride(), static_cast<size_t>(source.Height()));
  OwnPixels(destination);
  ForRowBands(static_cast<int>(rows.size()), static_cast<int>(columns.size()), [&](int j0, int j1) {
    AcrossRows across(source, columns, slots);
    std::vector<const uint8_t*> in(rows.Stride());
    for (int j = j0; j < j1; ++j) {
      const std::span<const Contributor> taps = rows[j];
      for (size_t t = 0; t < taps.size(); ++t) in[t] = across.Row(taps[t].pixel);
      ResampleDown({in.data(), taps.size()}, taps, bytes, destination.ScanLine(j));
    }
  });
}

// The plain stretch of 24-bit pixels: each destination pixel is the mean of the source pixels
// its area covers (at least one).
void AreaAverageStretch(const plat::TBitmap& source, plat::TBitmap& result) {
  const int W = source.Width(), H = source.Height(), w = result.Width(), h = result.Height();
  auto span = [](int i, int to, int from) {
    const auto begin = static_cast<int>(int64_t{i} * from / to);
    const auto end = static_cast<int>(int64_t{i + 1} * from / to);
    return std::pair<int, int>{begin, std::max(end, begin + 1)};
  };
  std::vector<std::pair<int, int>> xs(static_cast<size_t>(w));
  for (int i = 0; i < w; ++i) xs[i] = span(i, w, W);
  OwnPixels(result);
  ForRowBands(h, W, [&](int j0, int j1) {
    std::vector<uint32_t> sums(3 * static_cast<size_t>(w));
    for (int j = j0; j < j1; ++j) {
      const auto [y0, y1] = span(j, h, H);
      std::fill(sums.begin(), sums.end(), 0u);
      for (int y = y0; y < y1; ++y) {
        const uint8_t* in = source.ScanLine(y);
        for (int i = 0; i < w; ++i)
          for (int x = xs[i].first; x < xs[i].second; ++x)
            for (int k = 0; k < 3; ++k) sums[3 * i + k] += in[3 * x + k];
      }
      uint8_t* out = result.ScanLine(j);
      for (int i = 0; i < w; ++i) {
        const uint32_t count = static_cast<uint32_t>((y1 - y0) * (xs[i].second - xs[i].first));
        for (int k = 0; k < 3; ++k)
          out[3 * i + k] = static_cast<uint8_t>((sums[3 * i + k] + count / 2) / count);
      }
    }
  });
}

// The plain stretch of palette pixels: each destination pixel takes the stored value of the
// source pixel its top-left corner falls on.
void NearestPixelStretch(const plat::TBitmap& source, plat::TBitmap& result) {
  const int bits = plat::BitsPerPixel(source.PixelFormat());
  const int W = source.Width(), H = source.Height(), w = result.Width(), h = result.Height();
  OwnPixels(result);
  ForRowBands(h, w, [&](int j0, int j1) {
    for (int j = j0; j < j1; ++j) {
      const uint8_t* in = source.ScanLine(static_cast<int>(int64_t{j} * H / h));
      uint8_t* out = result.ScanLine(j);
      for (int i = 0; i < w; ++i) CopyPixel(in, static_cast<int>(int64_t{i} * W / w), out, i, bits);
    }
  });
}

void PlainStretch(int newWidth, int newHeight, plat::TBitmap& result, const plat::TBitmap& source) {
  result = source;
  result.SetSize(newWidth, newHeight);
  if (source.GetEmpty()) return;
  if (source.PixelFormat() == plat::TPixelFormat::pf24bit)
    AreaAverageStretch(source, result);
  else if (IsMovableFormat(source.PixelFormat()))
    NearestPixelStretch(source, result);
}

}  // namespace

const TFilter& FilterByIndex(int index) {
  return kFilters[(index >= 0 && index < kFilterCount) ? index : 1];
}

void FilteredStretch(const plat::TBitmap& source, plat::TBitmap& destination,
                     const TFilter& filter) {
  if (source.Width() < 1 || source.Height() < 1) throw plat::Exception("Source bitmap too small");
  plat::TBitmap src24 = source;
  src24.SetPixelFormat(plat::TPixelFormat::pf24bit);
  destination.SetPixelFormat(plat::TPixelFormat::pf24bit);
  const int w = destination.Width(), h = destination.Height();
  if (w < 1 || h < 1) return;
  ResampleBands(src24, destination, ContributorTable(w, src24.Width(), filter),
                ContributorTable(h, src24.Height(), filter));
}

void Stretch(int newWidth, int newHeight, plat::TBitmap& result, int filterIndex, bool filtered,
             const plat::TBitmap& source) {
  newWidth = std::max(newWidth, 1);
  newHeight = std::max(newHeight, 1);
  if (!filtered) {
    PlainStretch(newWidth, newHeight, result, source);
    return;
  }
  const TFilter& filter = FilterByIndex(filterIndex == 0 ? 1 : filterIndex);
  const int W = source.Width(), H = source.Height();
  const bool stepwise = filterIndex != 0 && H > 0 && newWidth < W && newWidth / newHeight == W / H;
  if (!stepwise) {
    result = UnfilledBitmap(newWidth, newHeight, plat::TPixelFormat::pf24bit);
    FilteredStretch(source, result, filter);
    return;
  }
  plat::TBitmap current = source;
  for (const auto& [w, h] : ShrinkSteps(W, H, newWidth, newHeight)) {
    plat::TBitmap next = UnfilledBitmap(w, h, plat::TPixelFormat::pf24bit);
    FilteredStretch(current, next, filter);
    current = std::move(next);
  }
  result = std::move(current);
}

std::vector<std::pair<int, int>> ShrinkSteps(int W, int H, int newWidth, int newHeight) {
  std::vector<std::pair<int, int>> steps;
  int w = W, h = H;
  for (bool last = false; !last;) {
    h = static_cast<int>(plat::RoundHalfEven(h * 0.6));
    w = static_cast<int>(plat::RoundHalfEven(w * 0.6));
    // A side of 1 stays 1, so the loop ends for every target of at least one pixel.
    if (newWidth >= w || w <= 1) {
      w = newWidth;
      h = newHeight;
      last = true;
    }
    steps.emplace_back(w, std::max(h, 1));
  }
  return steps;
}

}  // namespace pictavo
