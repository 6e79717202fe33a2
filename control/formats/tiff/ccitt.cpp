#include "control/formats/tiff/ccitt.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

#include "platform/base/byte_cursor.h"
#include "platform/base/streams.h"
#include "platform/graphics/bitmap.h"

namespace pictavo {

namespace {

[[noreturn]] void Corrupt() {
  throw plat::EInvalidGraphic("TIFF file image data corrupted");
}

// A run-length code of T.4: `bits` holds the code right-aligned, `length` its number of bits.
struct TRunCode {
  uint16_t run;
  uint8_t length;
  uint16_t bits;
};

constexpr TRunCode kWhiteCodes[] = {
    {0, 8, 0x35},    {1, 6, 0x07},    {2, 4, 0x07},    {3, 4, 0x08},    {4, 4, 0x0B},
    {5, 4, 0x0C},    {6, 4, 0x0E},    {7, 4, 0x0F},    {8, 5, 0x13},    {9, 5, 0x14},
    {10, 5, 0x07},   {11, 5, 0x08},   {12, 6, 0x08},   {13, 6, 0x03},   {14, 6, 0x34},
    {15, 6, 0x35},   {16, 6, 0x2A},   {17, 6, 0x2B},   {18, 7, 0x27},   {19, 7, 0x0C},
    {20, 7, 0x08},   {21, 7, 0x17},   {22, 7, 0x03},   {23, 7, 0x04},   {24, 7, 0x28},
    {25, 7, 0x2B},   {26, 7, 0x13},   {27, 7, 0x24},   {28, 7, 0x18},   {29, 8, 0x02},
    {30, 8, 0x03},   {31, 8, 0x1A},   {32, 8, 0x1B},   {33, 8, 0x12},   {34, 8, 0x13},
    {35, 8, 0x14},   {36, 8, 0x15},   {37, 8, 0x16},   {38, 8, 0x17},   {39, 8, 0x28},
    {40, 8, 0x29},   {41, 8, 0x2A},   {42, 8, 0x2B},   {43, 8, 0x2C},   {44, 8, 0x2D},
    {45, 8, 0x04},   {46, 8, 0x05},   {47, 8, 0x0A},   {48, 8, 0x0B},   {49, 8, 0x52},
    {50, 8, 0x53},   {51, 8, 0x54},   {52, 8, 0x55},   {53, 8, 0x24},   {54, 8, 0x25},
    {55, 8, 0x58},   {56, 8, 0x59},   {57, 8, 0x5A},   {58, 8, 0x5B},   {59, 8, 0x4A},
    {60, 8, 0x4B},   {61, 8, 0x32},   {62, 8, 0x33},   {63, 8, 0x34},   {64, 5, 0x1B},
    {128, 5, 0x12},  {192, 6, 0x17},  {256, 7, 0x37},  {320, 8, 0x36},  {384, 8, 0x37},
    {448, 8, 0x64},  {512, 8, 0x65},  {576, 8, 0x68},  {640, 8, 0x67},  {704, 9, 0xCC},
    {768, 9, 0xCD},  {832, 9, 0xD2},  {896, 9, 0xD3},  {960, 9, 0xD4},  {1024, 9, 0xD5},
    {1088, 9, 0xD6}, {1152, 9, 0xD7}, {1216, 9, 0xD8}, {1280, 9, 0xD9}, {1344, 9, 0xDA},
    {1408, 9, 0xDB}, {1472, 9, 0x98}, {1536, 9, 0x99}, {1600, 9, 0x9A}, {1664, 6, 0x18},
    {1728, 9, 0x9B},
};

constexpr TRunCode kBlackCodes[] = {
    {0, 10, 0x37},    {1, 3, 0x02},     {2, 2, 0x03},     {3, 2, 0x02},     {4, 3, 0x03},
    {5, 4, 0x03},     {6, 4, 0x02},     {7, 5, 0x03},     {8, 6, 0x05},     {9, 6, 0x04},
    {10, 7, 0x04},    {11, 7, 0x05},    {12, 7, 0x07},    {13, 8, 0x04},    {14, 8, 0x07},
    {15, 9, 0x18},    {16, 10, 0x17},   {17, 10, 0x18},   {18, 10, 0x08},   {19, 11, 0x67},
    {20, 11, 0x68},   {21, 11, 0x6C},   {22, 11, 0x37},   {23, 11, 0x28},   {24, 11, 0x17},
    {25, 11, 0x18},   {26, 12, 0xCA},   {27, 12, 0xCB},   {28, 12, 0xCC},   {29, 12, 0xCD},
    {30, 12, 0x68},   {31, 12, 0x69},   {32, 12, 0x6A},   {33, 12, 0x6B},   {34, 12, 0xD2},
    {35, 12, 0xD3},   {36, 12, 0xD4},   {37, 12, 0xD5},   {38, 12, 0xD6},   {39, 12, 0xD7},
    {40, 12, 0x6C},   {41, 12, 0x6D},   {42, 12, 0xDA},   {43, 12, 0xDB},   {44, 12, 0x54},
    {45, 12, 0x55},   {46, 12, 0x56},   {47, 12, 0x57},   {48, 12, 0x64},   {49, 12, 0x65},
    {50, 12, 0x52},   {51, 12, 0x53},   {52, 12, 0x24},   {53, 12, 0x37},   {54, 12, 0x38},
    {55, 12, 0x27},   {56, 12, 0x28},   {57, 12, 0x58},   {58, 12, 0x59},   {59, 12, 0x2B},
    {60, 12, 0x2C},   {61, 12, 0x5A},   {62, 12, 0x66},   {63, 12, 0x67},   {64, 10, 0x0F},
    {128, 12, 0xC8},  {192, 12, 0xC9},  {256, 12, 0x5B},  {320, 12, 0x33},  {384, 12, 0x34},
    {448, 12, 0x35},  {512, 13, 0x6C},  {576, 13, 0x6D},  {640, 13, 0x4A},  {704, 13, 0x4B},
    {768, 13, 0x4C},  {832, 13, 0x4D},  {896, 13, 0x72},  {960, 13, 0x73},  {1024, 13, 0x74},
    {1088, 13, 0x75}, {1152, 13, 0x76}, {1216, 13, 0x77}, {1280, 13, 0x52}, {1344, 13, 0x53},
    {1408, 13, 0x54}, {1472, 13, 0x55}, {1536, 13, 0x5A}, {1600, 13, 0x5B}, {1664, 13, 0x64},
    {1728, 13, 0x65},
};

// Make-up codes above 1728, the same for both colours.
constexpr TRunCode kExtendedCodes[] = {
    {1792, 11, 0x08}, {1856, 11, 0x0C}, {1920, 11, 0x0D}, {1984, 12, 0x12}, {2048, 12, 0x13},
    {2112, 12, 0x14}, {2176, 12, 0x15}, {2240, 12, 0x16}, {2304, 12, 0x17}, {2368, 12, 0x1C},
    {2432, 12, 0x1D}, {2496, 12, 0x1E}, {2560, 12, 0x1F},
};

constexpr int kMaxCodeLength = 13;
constexpr uint32_t kEolBits = 0x001;  // 000000000001
constexpr int kEolLength = 12;

// Code lookup by the next kMaxCodeLength bits: the slot of every bit pattern that starts with a
// code holds that code's run and length (length 0: no code starts these bits). Built at compile
// time, so a lookup costs no first-use guard.
class TRunTable {
 public:
  struct TMatch {
    uint16_t run;
    uint8_t length;
  };

  constexpr explicit TRunTable(std::span<const TRunCode> own) {
    for (const TRunCode& c : own) Add(c);
    for (const TRunCode& c : kExtendedCodes) Add(c);
  }
  const TMatch& Find(uint32_t nextBits) const { return byPrefix_[nextBits]; }
  const TRunCode& CodeFor(int run) const { return byRun_[run <= 63 ? run : 63 + run / 64]; }

 private:
  constexpr void Add(const TRunCode& c) {
    const uint32_t shift = kMaxCodeLength - c.length;
    for (uint32_t i = 0; i < (1u << shift); ++i)
      byPrefix_[(c.bits << shift) | i] = {c.run, c.length};
    byRun_[c.run <= 63 ? c.run : 63 + c.run / 64] = c;
  }
  std::array<TMatch, 1u << kMaxCodeLength> byPrefix_{};
  std::array<TRunCode, 64 + 40> byRun_{};
};

constexpr TRunTable kWhiteRuns(kWhiteCodes);
constexpr TRunTable kBlackRuns(kBlackCodes);

const TRunTable& RunTable(int colour) {
  return colour == 0 ? kWhiteRuns : kBlackRuns;
}

struct TModeCode {
  uint32_t bits;
  int length;
};
// Vertical mode codes by offset a1 - b1 + 3.
constexpr TModeCode kVerticalCodes[7] = {{0x02, 7}, {0x02, 6}, {0x02, 3}, {0x01, 1},
                                         {0x03, 3}, {0x03, 6}, {0x03, 7}};
constexpr TModeCode kPassCode = {0x1, 4};
constexpr TModeCode kHorizontalCode = {0x1, 3};

enum class TModeKind : uint8_t { Vertical, Pass, Horizontal, End };

struct TMode {
  TModeKind kind;
  int8_t offset;  // a1 - b1 of a vertical mode
};

// Mode lookup by the next kModeBits bits, like TRunTable (length 0: an EOL or an extension code
// starts there, or no code at all).
class TModeTable {
 public:
  static constexpr int kModeBits = 7;
  // Four bytes, so that the lookup indexes the table by a scaled address, one step less on the
  // path from one code to the next.
  struct alignas(4) TMatch {
    TMode mode;
    uint8_t length;
  };

  constexpr TModeTable() {
    for (int offset = -3; offset <= 3; ++offset)
      Add(kVerticalCodes[offset + 3], {TModeKind::Vertical, static_cast<int8_t>(offset)});
    Add(kPassCode, {TModeKind::Pass, 0});
    Add(kHorizontalCode, {TModeKind::Horizontal, 0});
  }
  const TMatch& Find(uint32_t nextBits) const { return byPrefix_[nextBits]; }

 private:
  constexpr void Add(const TModeCode& c, TMode mode) {
    const uint32_t shift = kModeBits - c.length;
    for (uint32_t i = 0; i < (1u << shift); ++i)
      byPrefix_[(c.bits << shift) | i] = {mode, static_cast<uint8_t>(c.length)};
  }
  std::array<TMatch, 1u << kModeBits> byPrefix_{};
};

constexpr TModeTable kModes;

using plat::TBitReader;

// The reader's next bits in a window of its own, which the decoding loops keep in registers: the
// reader refills out of line, which keeps its own window in memory and puts a store and a reload
// between one code and the next. The window takes kTakeBits at a time from the reader and hands
// back the bits it did not use when it goes away.
class TBitWindow {
 public:
  // The reader holds at least 57 bits after a refill of its own, so two takes of 28 bits come
  // out of one refill, which halves the calls to it.
  static constexpr int kTakeBits = 28;

  explicit TBitWindow(TBitReader& in)
      : in_(in), end_(in.Position() + in.Remaining()), remaining_(in.Remaining()) {}
  ~TBitWindow() { in_.SetPosition(Position()); }
  TBitWindow(const TBitWindow&) = delete;
  TBitWindow& operator=(const TBitWindow&) = delete;

  // The next n bits (1 to kTakeBits) without taking them; zeros past the end of the data.
  uint32_t Peek(int n) {
    if (count_ < n) Refill();
    return static_cast<uint32_t>(window_ >> (64 - n));
  }
  // Takes n bits; never more than Remaining().
  void Skip(int n) {
    window_ <<= n;
    count_ -= n;
    remaining_ -= static_cast<size_t>(n);
  }
  // The next bit, or -1 when no real bit is left.
  int Next() {
    if (Remaining() == 0) return -1;
    const int bit = static_cast<int>(Peek(1));
    Skip(1);
    return bit;
  }
  size_t Remaining() const { return remaining_; }
  // Runs read(reader) on the reader itself from the window's position, for slow paths that need
  // not keep the window in registers, and goes on from where it stopped.
  template <class TRead>
  auto OnReader(TRead read) {
    in_.SetPosition(Position());
    auto result = read(in_);
    remaining_ = in_.Remaining();
    window_ = 0;
    count_ = 0;
    return result;
  }

 private:
  void Refill() {
    window_ |= uint64_t{in_.Take(kTakeBits)} << (64 - kTakeBits - count_);
    count_ += kTakeBits;
  }

  size_t Position() const { return end_ - remaining_; }

  TBitReader& in_;
  size_t end_;
  size_t remaining_;
  uint64_t window_ = 0;
  int count_ = 0;
};

constexpr int64_t kEndOfData = -1;

// One run of the colour: make-up codes add up until a terminating code ends it. Returns
// kEndOfData when the strip ends inside it. Inlined so that the window stays in registers.
[[gnu::always_inline]] inline int64_t ReadRun(TBitWindow& in, int colour) {
  const TRunTable& table = RunTable(colour);
  // 64 bits: a strip of nothing but make-up codes would overflow an int.
  int64_t total = 0;
  for (;;) {
    const TRunTable::TMatch& code = table.Find(in.Peek(kMaxCodeLength));
    if (code.length == 0) {
      if (in.Remaining() < static_cast<size_t>(kMaxCodeLength)) return kEndOfData;
      Corrupt();
    }
    if (code.length > in.Remaining()) return kEndOfData;
    in.Skip(code.length);
    total += code.run;
    if (code.run < 64) return total;
  }
}

// Near the end of the strip and for EOLs and extension codes: bit by bit.
TMode ReadModeBitwise(TBitReader& in) {
  constexpr TMode kEnd = {TModeKind::End, 0};
  int zeros = 0;
  for (;;) {
    int b = in.Next();
    if (b < 0) return kEnd;
    if (b == 1) break;
    if (++zeros > kEolLength) Corrupt();
  }
  switch (zeros) {
    case 0:
      return {TModeKind::Vertical, 0};
    case 1:
    case 4:
    case 5: {
      int b = in.Next();
      if (b < 0) return kEnd;
      int offset = zeros == 1 ? 1 : zeros - 2;
      return {TModeKind::Vertical, static_cast<int8_t>(b == 1 ? offset : -offset)};
    }
    case 2:
      return {TModeKind::Horizontal, 0};
    case 3:
      return {TModeKind::Pass, 0};
    default:
      // An EOL is the end-of-block mark (or a Group 3 row cut short); extension codes
      // (uncompressed mode) are not supported.
      if (zeros >= kEolLength - 1) return kEnd;
      Corrupt();
  }
}

[[gnu::always_inline]] inline TMode ReadMode(TBitWindow& in) {
  if (in.Remaining() >= TModeTable::kModeBits) {
    const TModeTable::TMatch& code = kModes.Find(in.Peek(TModeTable::kModeBits));
    if (code.length != 0) {
      in.Skip(code.length);
      return code.mode;
    }
  }
  return in.OnReader(ReadModeBitwise);
}

uint64_t BigEndian(uint64_t word) {
  if constexpr (std::endian::native == std::endian::little) return __builtin_bswap64(word);
  return word;
}

// Sets runs of bits, left to right, in a cleared packed row (most significant bit first). The
// bits gather in a 64-bit word that is stored once complete: setting each short run in memory
// would load a word overlapping the one just stored, which stalls on every run.
class TRunWriter {
 public:
  // Bytes the row needs after its last byte (or, for an empty row, at its start) for the store
  // of a whole word there.
  static constexpr size_t kSlack = sizeof(uint64_t);

  explicit TRunWriter(uint8_t* row) : row_(row) {}

  // Sets bits [from, to); `from` is not left of the previous run's end.
  void Set(uint32_t from, uint32_t to) {
    if (from >= to) return;
    const size_t first = from / 64, last = (to - 1) / 64;
    if (first != index_) {
      Store();
      word_ = 0;
      index_ = first;
    }
    const uint64_t head = kOnes >> (from % 64);
    const uint64_t tail = ~((kOnes >> 1) >> ((to - 1) % 64));
    if (first == last) {
      word_ |= head & tail;
      return;
    }
    word_ |= head;
    Store();
    std::memset(row_ + sizeof word_ * (first + 1), 0xFF, sizeof word_ * (last - first - 1));
    index_ = last;
    word_ = tail;
  }
  void Finish() { Store(); }

 private:
  static constexpr uint64_t kOnes = ~uint64_t{0};

  void Store() {
    const uint64_t bytes = BigEndian(word_);
    std::memcpy(row_ + sizeof word_ * index_, &bytes, sizeof bytes);
  }

  uint8_t* row_;
  size_t index_ = 0;  // of the word being gathered
  uint64_t word_ = 0;
};

// Changing elements of a row: the positions where the colour changes, starting from white.
using TChanges = std::vector<uint32_t>;

// b1 (first change right of a0 to the colour opposite `colour`) and b2 (the change after it).
struct TReferencePoints {
  uint32_t b1;
  uint32_t b2;
  bool found;
};

// Walks a row's changing elements from the left. Within a row a0 only moves right, so each
// lookup starts where the previous one ended.
class TChangeCursor {
 public:
  explicit TChangeCursor(const TChanges& changes) : changes_(changes) {}

  // Index of the first change right of `position`.
  size_t After(int64_t position) {
    while (index_ < changes_.size() && static_cast<int64_t>(changes_[index_]) <= position) ++index_;
    return index_;
  }
  uint32_t NextChange(int64_t position, uint32_t width) {
    size_t i = After(position);
    return i < changes_.size() ? changes_[i] : width;
  }
  TReferencePoints Reference(int64_t a0, int colour, uint32_t width) {
    size_t i = After(a0);
    if (i < changes_.size() && static_cast<int>(i & 1) != colour) ++i;
    if (i >= changes_.size()) return {width, width, false};
    return {changes_[i], i + 1 < changes_.size() ? changes_[i + 1] : width, true};
  }
  size_t Count() const { return changes_.size(); }

 private:
  const TChanges& changes_;
  size_t index_ = 0;
};

// The changing elements of a decoded row between guards, so that the decoder looks up b1 and b2
// without bounds checks: a 0 before the first change, which no a0 is left of, so a step back
// from the first change lands on a position the search skips; and after the last change enough
// copies of the width for b1 and b2 to read the width, as if the row had no more changes.
class TDecodedChanges {
 public:
  void Clear() { at_.assign(1, 0); }
  void Add(uint32_t position) { at_.push_back(position); }
  // Ends the row; `count` excludes the guards.
  void Close(uint32_t width) {
    count_ = at_.size() - 1;
    at_.insert(at_.end(), kGuardsAfter, width);
  }
  // The first change; index -1 is the leading guard.
  const uint32_t* First() const { return at_.data() + 1; }
  ptrdiff_t Count() const { return static_cast<ptrdiff_t>(count_); }

 private:
  // The search for b1 stops at the first guard or the one after it, and b2 is read one further.
  static constexpr size_t kGuardsAfter = 3;
  std::vector<uint32_t> at_;
  size_t count_ = 0;
};

// Decodes strip rows into packed bytes; shared by the three decoders.
class TFaxDecoder {
 public:
  TFaxDecoder(std::vector<uint8_t>& out, std::span<const uint8_t> strip, const TFaxPage& page)
      : out_(out),
        in_(strip, page.fillOrderReversed),
        width_(page.width),
        whiteIsOne_(page.photometric == 0),
        rowBytes_((static_cast<size_t>(page.width) + 7) / 8) {
    ref_.Clear();
    ref_.Close(width_);
  }

  TBitReader& Input() { return in_; }

  // A one-dimensional row; the strip ending inside it is corrupt data.
  void Decode1DRow() {
    TBitWindow in(in_);
    cur_.Clear();
    uint32_t pos = 0;
    for (int colour = 0;; colour ^= 1) {
      const int64_t run = ReadRun(in, colour);
      if (run == kEndOfData) Corrupt();
      if (static_cast<uint64_t>(pos) + static_cast<uint64_t>(run) > width_) Corrupt();
      pos += static_cast<uint32_t>(run);
      if (pos == width_) break;
      cur_.Add(pos);
    }
    FinishRow();
  }

  enum class TRowResult { Done, EndOfData };

  // A two-dimensional row against the previous one (all white for a strip's first row).
  TRowResult Decode2DRow() {
    TBitWindow in(in_);
    cur_.Clear();
    const uint32_t* ref = ref_.First();
    const int64_t width = width_;
    // Index of b1 in the reference row. Changes to black sit at even indices, so the index keeps
    // the parity of a0's colour (0 white); a0 only moves right, so the search goes on from the
    // last b1.
    ptrdiff_t b1 = 0;
    // a0 starts left of the row, where the first run still starts at column 0.
    int64_t a0 = -1, runStart = 0;
    // a0 starts left of the width; the mode that takes it to the width ends the row.
    for (;;) {
      const TMode mode = ReadMode(in);
      if (mode.kind == TModeKind::End) return TRowResult::EndOfData;
      while (int64_t{ref[b1]} <= a0) b1 += 2;
      if (mode.kind == TModeKind::Vertical) {
        const int64_t a1 = int64_t{ref[b1]} + mode.offset;
        if (a1 >= width) {
          if (a1 > width) Corrupt();
          break;
        }
        if (a1 < runStart) Corrupt();
        cur_.Add(static_cast<uint32_t>(a1));
        a0 = runStart = a1;
        // The next b1 has the other colour: the change before this b1 if it lies right of a1,
        // else the one after; the search above moves on from the earlier of the two.
        b1 += mode.offset < 0 ? -1 : 1;
      } else if (mode.kind == TModeKind::Pass) {
        a0 = runStart = ref[b1 + 1];
        if (a0 == width) break;
        b1 += 2;
      } else {
        const int colour = static_cast<int>(b1 & 1);
        const int64_t first = ReadRun(in, colour);
        const int64_t second = first == kEndOfData ? kEndOfData : ReadRun(in, colour ^ 1);
        if (second == kEndOfData) throw EOverrunStream();
        const int64_t end = runStart + first + second;
        if (end > width) Corrupt();
        cur_.Add(static_cast<uint32_t>(runStart + first));
        cur_.Add(static_cast<uint32_t>(end));
        a0 = runStart = end;
        if (end == width) break;
      }
    }
    FinishRow();
    return TRowResult::Done;
  }

 private:
  // Appends the row: a cleared row with the runs whose pixels are 1 set, white ones (from the
  // leading guard) when white is 1, else black ones.
  void FinishRow() {
    cur_.Close(width_);
    const size_t at = out_.size();
    out_.resize(at + rowBytes_ + TRunWriter::kSlack, 0);
    TRunWriter row(out_.data() + at);
    const uint32_t* changes = cur_.First();
    for (ptrdiff_t k = whiteIsOne_ ? -1 : 0; k < cur_.Count(); k += 2)
      row.Set(changes[k], changes[k + 1]);
    row.Finish();
    out_.resize(at + rowBytes_);
    std::swap(ref_, cur_);
  }

  std::vector<uint8_t>& out_;
  TBitReader in_;
  uint32_t width_;
  bool whiteIsOne_;
  size_t rowBytes_;
  TDecodedChanges ref_, cur_;
};

// Skips an EOL (11 or more zero bits and a one) at the start of a Group 3 row.
void SkipEol(TBitReader& in) {
  size_t start = in.Position();
  int zeros = 0;
  int b;
  while ((b = in.Next()) == 0) ++zeros;
  if (b < 0) Corrupt();
  if (zeros < kEolLength - 1) in.SetPosition(start);
}

// Packs bits most significant first; a byte goes out as soon as it is full.
class TBitWriter {
 public:
  void Put(uint32_t bits, int length) {
    window_ = (window_ << length) | (bits & ((1u << length) - 1));
    count_ += length;
    while (count_ >= 8) {
      count_ -= 8;
      bytes_.push_back(static_cast<uint8_t>(window_ >> count_));
    }
  }
  void PutRun(int colour, uint32_t run) {
    const TRunTable& table = RunTable(colour);
    while (run >= 64) {
      uint32_t makeUp = std::min<uint32_t>(run / 64 * 64, 2560);
      const TRunCode& c = table.CodeFor(static_cast<int>(makeUp));
      Put(c.bits, c.length);
      run -= makeUp;
    }
    const TRunCode& c = table.CodeFor(static_cast<int>(run));
    Put(c.bits, c.length);
  }
  std::vector<uint8_t> Finish() {
    if (count_ > 0) bytes_.push_back(static_cast<uint8_t>(window_ << (8 - count_)));
    count_ = 0;
    return std::move(bytes_);
  }

 private:
  std::vector<uint8_t> bytes_;
  uint64_t window_ = 0;
  int count_ = 0;
};

// First pixel at or after `from` whose colour is not `colour` (0 white = bit 1), or `width`.
uint32_t FindChange(const uint8_t* row, uint32_t from, uint32_t width, int colour) {
  const uint8_t flip = colour == 0 ? 0xFF : 0x00;  // turns the pixels sought into 1 bits
  uint32_t x = from;
  while (x < width) {
    uint8_t sought = static_cast<uint8_t>((row[x >> 3] ^ flip) & (0xFF >> (x & 7)));
    if (sought != 0)
      return std::min(width, (x & ~7u) + static_cast<uint32_t>(__builtin_clz(sought) - 24));
    x = (x & ~7u) + 8;
  }
  return width;
}

// Changing elements of a bitmap row whose bit 1 is white.
void RowChanges(const uint8_t* row, uint32_t width, TChanges& changes) {
  changes.clear();
  int colour = 0;
  for (uint32_t x = FindChange(row, 0, width, colour); x < width;
       x = FindChange(row, x, width, colour)) {
    changes.push_back(x);
    colour ^= 1;
  }
}

void EncodeRow(TBitWriter& out, const TChanges& ref, const TChanges& cur, uint32_t width) {
  TChangeCursor reference(ref), coding(cur);
  int64_t a0 = -1;
  int colour = 0;
  while (a0 < static_cast<int64_t>(width)) {
    int64_t a1 = coding.NextChange(a0, width);
    TReferencePoints b = reference.Reference(a0, colour, width);
    int64_t b1 = b.b1;
    // A reference line ending in the opposite colour has no real b1 there: code horizontally.
    if (!b.found && static_cast<int>(reference.Count() & 1) != colour)
      b1 = static_cast<int64_t>(width) + 10;
    if (b.found && static_cast<int64_t>(b.b2) < a1) {
      out.Put(kPassCode.bits, kPassCode.length);
      a0 = b.b2;
    } else if (a1 - b1 >= -3 && a1 - b1 <= 3) {
      const TModeCode& code = kVerticalCodes[a1 - b1 + 3];
      out.Put(code.bits, code.length);
      a0 = a1;
      colour ^= 1;
    } else {
      int64_t a2 = coding.NextChange(a1, width);
      out.Put(kHorizontalCode.bits, kHorizontalCode.length);
      out.PutRun(colour, static_cast<uint32_t>(a1 - std::max<int64_t>(a0, 0)));
      out.PutRun(colour ^ 1, static_cast<uint32_t>(a2 - a1));
      a0 = a2;
    }
  }
}

}  // namespace

void DecodeModifiedHuffman(std::vector<uint8_t>& out, std::span<const uint8_t> strip, uint32_t rows,
                           const TFaxPage& page) {
  TFaxDecoder decoder(out, strip, page);
  for (uint32_t r = 0; r < rows; ++r) {
    decoder.Input().AlignToByte();
    decoder.Decode1DRow();
  }
}

void DecodeGroup3(std::vector<uint8_t>& out, std::span<const uint8_t> strip, uint32_t rows,
                  const TFaxPage& page, bool twoDimensional) {
  TFaxDecoder decoder(out, strip, page);
  for (uint32_t r = 0; r < rows; ++r) {
    SkipEol(decoder.Input());
    int oneDimensional = twoDimensional ? decoder.Input().Next() : 1;
    if (oneDimensional < 0) Corrupt();
    if (oneDimensional == 1) {
      decoder.Decode1DRow();
    } else if (decoder.Decode2DRow() == TFaxDecoder::TRowResult::EndOfData) {
      Corrupt();
    }
  }
}

void DecodeGroup4(std::vector<uint8_t>& out, std::span<const uint8_t> strip, uint32_t rows,
                  const TFaxPage& page) {
  TFaxDecoder decoder(out, strip, page);
  for (uint32_t r = 0; r < rows; ++r) {
    if (decoder.Decode2DRow() == TFaxDecoder::TRowResult::EndOfData) return;
  }
}

void EncodeGroup4(const plat::TBitmap& bitmap, plat::TStream& output) {
  uint32_t width = static_cast<uint32_t>(bitmap.Width());
  TBitWriter out;
  TChanges ref, cur;
  for (int y = 0; y < bitmap.Height(); ++y) {
    RowChanges(bitmap.ScanLine(y), width, cur);
    EncodeRow(out, ref, cur, width);
    ref.swap(cur);
  }
  out.Put(kEolBits, kEolLength);
  out.Put(kEolBits, kEolLength);
  std::vector<uint8_t> bytes = out.Finish();
  output.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
}

}  // namespace pictavo
