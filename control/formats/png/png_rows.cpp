#include "control/formats/png/png_rows.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <type_traits>

namespace pictavo {

namespace {

// 16 bytes handled as one value. The loops over blocks are written with the compiler's vector
// types, so they run a block per instruction even where the build does not vectorise loops by
// itself.
using Block = uint8_t __attribute__((vector_size(16)));
using BlockMask = int8_t __attribute__((vector_size(16)));
// Half a block's bytes widened to 16 bits, for the Paeth distances.
using WideLanes = int16_t __attribute__((vector_size(16)));
// The same lanes as bits to shift.
using WideBits = uint16_t __attribute__((vector_size(16)));

constexpr int64_t kBlockSize = sizeof(Block);

// What the loops below read around a row: up to a pixel (8 bytes) and two more in front of it,
// and up to three blocks and two bytes past the start of its last block.
static_assert(TRowBuffer::kLead >= 8 + 2);
static_assert(TRowBuffer::kTail >= 3 * kBlockSize + 2);

Block Load(const uint8_t* p) {
  Block v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

void Store(uint8_t* p, Block v) {
  std::memcpy(p, &v, sizeof v);
}

// The lanes of a block whose index i satisfies first <= i < end.
Block LanesBetween(int64_t first, int64_t end) {
  const Block lane = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
  const auto bound = [](int64_t v) {
    return static_cast<uint8_t>(std::clamp<int64_t>(v, 0, kBlockSize));
  };
  return reinterpret_cast<Block>(BlockMask(lane >= bound(first)) & BlockMask(lane < bound(end)));
}

int64_t LaneSum(Block v) {
  int64_t sum = 0;
  for (int64_t k = 0; k < kBlockSize; ++k) sum += v[k];
  return sum;
}

// The Average and Paeth loops with the pixel size known at compile time: the left neighbour is
// then a fixed distance back and the loops unroll over a pixel's bytes.
template <int Bpp>
void UnfilterAverage(uint8_t* row, const uint8_t* previous, int64_t count) {
  for (int64_t i = Bpp; i < count; ++i)
    row[i] = static_cast<uint8_t>(row[i] + ((row[i - Bpp] + previous[i]) >> 1));
}

template <int Bpp>
void UnfilterPaeth(uint8_t* row, const uint8_t* previous, int64_t count) {
  for (int64_t i = Bpp; i < count; ++i)
    row[i] =
        static_cast<uint8_t>(row[i] + PaethOf<int>(row[i - Bpp], previous[i], previous[i - Bpp]));
}

// Calls loop with the pixel size as a compile-time constant (1, 2, 3, 4, 6 or 8 bytes).
template <class Loop>
void WithPixelSize(int bpp, Loop loop) {
  switch (bpp) {
    case 1:
      return loop(std::integral_constant<int, 1>{});
    case 2:
      return loop(std::integral_constant<int, 2>{});
    case 3:
      return loop(std::integral_constant<int, 3>{});
    case 4:
      return loop(std::integral_constant<int, 4>{});
    case 6:
      return loop(std::integral_constant<int, 6>{});
    default:
      return loop(std::integral_constant<int, 8>{});
  }
}

// out = raw - predict(left, above, upper left), a block at a time. The prediction does not
// depend on earlier outputs, so blocks are independent; the zero bytes in front of raw and
// previous stand for the first pixel's missing neighbours.
template <class Predict>
void FilterBlocks(const uint8_t* raw, const uint8_t* previous, uint8_t* out, int64_t count, int bpp,
                  Predict predict) {
  for (int64_t i = 0; i < count; i += kBlockSize) {
    const Block prediction =
        predict(Load(raw + i - bpp), Load(previous + i), Load(previous + i - bpp));
    Store(out + i, Load(raw + i) - prediction);
  }
}

Block AverageOf(Block a, Block b) {
  // (a + b) / 2 without leaving 8 bits.
  return (a & b) + ((a ^ b) >> 1);
}

// Paeth works on each byte alone, so a block goes through it in two halves: the bytes at even
// and at odd places, each widened to 16 bits in place.
Block PaethOfBlock(Block left, Block above, Block upper_left) {
  const auto even = [](Block v) { return reinterpret_cast<WideLanes>(v) & 0xFF; };
  const auto odd = [](Block v) {
    return reinterpret_cast<WideLanes>(reinterpret_cast<WideBits>(v) >> 8);
  };
  const WideLanes evens = PaethOf(even(left), even(above), even(upper_left));
  const WideLanes odds = PaethOf(odd(left), odd(above), odd(upper_left));
  return reinterpret_cast<Block>(reinterpret_cast<WideBits>(evens) |
                                 (reinterpret_cast<WideBits>(odds) << 8));
}

// Bytes 0 and 2 of each pixel trade places; which lanes of a block hold a pixel's first, middle
// and last byte repeats every three blocks.
struct PixelLanes {
  Block first, middle, last;
};

std::array<PixelLanes, 3> MakePixelLanes() {
  std::array<PixelLanes, 3> lanes{};
  for (int64_t b = 0; b < 3; ++b)
    for (int64_t k = 0; k < kBlockSize; ++k) {
      const int64_t byte = (b * kBlockSize + k) % 3;
      lanes[b].first[k] = byte == 0 ? 0xFF : 0;
      lanes[b].middle[k] = byte == 1 ? 0xFF : 0;
      lanes[b].last[k] = byte == 2 ? 0xFF : 0;
    }
  return lanes;
}

// Positions i to i + 15 whose byte equals the byte one pixel before, as lanes of all ones; only
// positions from bpp to count - 1 can hit.
Block EqualsPixelBefore(const uint8_t* row, int64_t i, int64_t count, int bpp) {
  Block equal = reinterpret_cast<Block>(BlockMask(Load(row + i) == Load(row + i - bpp)));
  if (i < bpp || i + kBlockSize > count) equal &= LanesBetween(bpp - i, count - i);
  return equal;
}

// Adds the bytes of a block to 16-bit counters, each counter taking two of them.
WideBits WidenedSum(Block v) {
  const WideBits pairs = reinterpret_cast<WideBits>(v);
  return (pairs & 0xFF) + (pairs >> 8);
}

int64_t WideLaneSum(WideBits v) {
  int64_t sum = 0;
  for (size_t k = 0; k < sizeof v / sizeof v[0]; ++k) sum += v[k];
  return sum;
}

}  // namespace

bool Unfilter(uint8_t type, uint8_t* row, const uint8_t* previous, int64_t count, int bpp) {
  // The first pixel has no left neighbour: Average and Paeth then reduce to half of above and
  // to above. Splitting it off keeps the main loops free of that test.
  const int64_t first = std::min<int64_t>(bpp, count);
  switch (type) {
    case 0:
      break;
    case 1:
      for (int64_t i = bpp; i < count; ++i) row[i] = static_cast<uint8_t>(row[i] + row[i - bpp]);
      break;
    case 2:
      for (int64_t i = 0; i < count; i += kBlockSize)
        Store(row + i, Load(row + i) + Load(previous + i));
      break;
    case 3:
      for (int64_t i = 0; i < first; ++i)
        row[i] = static_cast<uint8_t>(row[i] + (previous[i] >> 1));
      WithPixelSize(bpp, [&](auto size) { UnfilterAverage<size()>(row, previous, count); });
      break;
    case 4:
      for (int64_t i = 0; i < first; ++i) row[i] = static_cast<uint8_t>(row[i] + previous[i]);
      WithPixelSize(bpp, [&](auto size) { UnfilterPaeth<size()>(row, previous, count); });
      break;
    default:
      return false;
  }
  return true;
}

void ApplyFilter(uint8_t type, const uint8_t* raw, const uint8_t* previous, uint8_t* out,
                 int64_t count, int bpp) {
  switch (type) {
    case 1:
      return FilterBlocks(raw, previous, out, count, bpp,
                          [](Block left, Block, Block) { return left; });
    case 2:
      return FilterBlocks(raw, previous, out, count, bpp,
                          [](Block, Block above, Block) { return above; });
    case 3:
      return FilterBlocks(raw, previous, out, count, bpp,
                          [](Block left, Block above, Block) { return AverageOf(left, above); });
    default:
      return FilterBlocks(raw, previous, out, count, bpp, PaethOfBlock);
  }
}

int64_t RunScore(const uint8_t* row, int64_t count) {
  // Each lane counts at most once per block, so the byte counters are emptied every 255 blocks,
  // before they can overflow.
  constexpr int64_t kTallySpan = 255 * kBlockSize;
  // Only the first block holds positions below 4 and only the last one positions past the end.
  const int64_t last = (count - 1) / kBlockSize * kBlockSize;
  int64_t score = 0;
  for (int64_t start = 0; start < count; start += kTallySpan) {
    const int64_t end = std::min(count, start + kTallySpan);
    Block tally{};
    for (int64_t i = start; i < end; i += kBlockSize) {
      const Block here = Load(row + i);
      const Block back1 = Load(row + i - 1);
      const Block back2 = Load(row + i - 2);
      const Block back3 = Load(row + i - 3);
      const Block back4 = Load(row + i - 4);
      Block five_equal =
          reinterpret_cast<Block>(BlockMask(here == back1) & BlockMask(back1 == back2) &
                                  BlockMask(back2 == back3) & BlockMask(back3 == back4));
      if (i == 0 || i == last) five_equal &= LanesBetween(4 - i, count - i);
      // A hit lane is all ones, -1, so subtracting counts it.
      tally -= five_equal;
    }
    score += LaneSum(tally);
  }
  return score;
}

int64_t LiteralCost(const uint8_t* row, int64_t count, int bpp) {
  // A block adds at most 2 * (128 + kLiteralPrice) to each 16-bit counter.
  constexpr int64_t kTallySpan = 240 * kBlockSize;
  int64_t cost = 0;
  for (int64_t start = 0; start < count; start += kTallySpan) {
    const int64_t end = std::min(count, start + kTallySpan);
    WideBits tally{};
    for (int64_t i = start; i < end; i += kBlockSize) {
      Block equal[5];
      for (int64_t k = 0; k < 5; ++k) equal[k] = EqualsPixelBefore(row, i + k - 2, count, bpp);
      // A byte inside three positions in a row that repeat the pixel before is part of a
      // match deflate finds one pixel back.
      const Block matched = (equal[0] & equal[1] & equal[2]) | (equal[1] & equal[2] & equal[3]) |
                            (equal[2] & equal[3] & equal[4]);
      const Block here = Load(row + i);
      const Block negated = Block{} - here;
      // The byte read as a signed difference, without its sign.
      const Block magnitude = here < negated ? here : negated;
      Block charged = (magnitude + kLiteralPrice) & ~matched;
      if (i + kBlockSize > count) charged &= LanesBetween(0, count - i);
      tally += WidenedSum(charged);
    }
    cost += WideLaneSum(tally);
  }
  return cost;
}

void SwapRedBlue(const uint8_t* src, uint8_t* dst, int64_t count) {
  static const std::array<PixelLanes, 3> kLanes = MakePixelLanes();
  for (int64_t i = 0; i < count; i += 3 * kBlockSize)
    for (int64_t b = 0; b < 3; ++b) {
      const uint8_t* s = src + i + b * kBlockSize;
      const PixelLanes& lanes = kLanes[b];
      Store(dst + i + b * kBlockSize,
            (Load(s + 2) & lanes.first) | (Load(s) & lanes.middle) | (Load(s - 2) & lanes.last));
    }
}

}  // namespace pictavo
