#include "control/formats/tiff/ccitt.h"

#include <algorithm>
#include <array>
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
// code holds that code's run and length (length 0: no code starts these bits).
class TRunTable {
 public:
  struct TMatch {
    uint16_t run;
    uint8_t length;
  };

  explicit TRunTable(std::span<const TRunCode> own) {
    for (const TRunCode& c : own) Add(c);
    for (const TRunCode& c : kExtendedCodes) Add(c);
  }
  const TMatch& Find(uint32_t nextBits) const { return byPrefix_[nextBits]; }
  const TRunCode& CodeFor(int run) const { return byRun_[run <= 63 ? run : 63 + run / 64]; }

 private:
  void Add(const TRunCode& c) {
    const uint32_t shift = kMaxCodeLength - c.length;
    for (uint32_t i = 0; i < (1u << shift); ++i)
      byPrefix_[(c.bits << shift) | i] = {c.run, c.length};
    byRun_[c.run <= 63 ? c.run : 63 + c.run / 64] = c;
  }
  std::array<TMatch, 1u << kMaxCodeLength> byPrefix_{};
  std::array<TRunCode, 64 + 40> byRun_{};
};

const TRunTable& RunTable(int colour) {
  static const TRunTable white(kWhiteCodes);
  static const TRunTable black(kBlackCodes);
  return colour == 0 ? white : black;
}

using plat::TBitReader;

constexpr int kEndOfData = -1;

// One run of the colour: make-up codes add up until a terminating code ends it. Returns
// kEndOfData when the strip ends inside it.
int ReadRun(TBitReader& in, int colour) {
  const TRunTable& table = RunTable(colour);
  int total = 0;
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

// Sets bits [from, to) of a packed row to `one`.
void FillBits(uint8_t* row, uint32_t from, uint32_t to, bool one) {
  if (from >= to) return;
  auto apply = [one](uint8_t& byte, uint8_t mask) {
    byte = one ? static_cast<uint8_t>(byte | mask) : static_cast<uint8_t>(byte & ~mask);
  };
  const uint32_t first = from >> 3, last = (to - 1) >> 3;
  const uint8_t head = static_cast<uint8_t>(0xFF >> (from & 7));
  const uint8_t tail = static_cast<uint8_t>(0xFF << (7 - ((to - 1) & 7)));
  if (first == last) {
    apply(row[first], head & tail);
    return;
  }
  apply(row[first], head);
  std::memset(row + first + 1, one ? 0xFF : 0x00, last - first - 1);
  apply(row[last], tail);
}

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

// Decodes strip rows into packed bytes; shared by the three decoders.
class TFaxDecoder {
 public:
  TFaxDecoder(std::vector<uint8_t>& out, std::span<const uint8_t> strip, const TFaxPage& page)
      : out_(out),
        in_(strip, page.fillOrderReversed),
        width_(page.width),
        whiteIsOne_(page.photometric == 0),
        rowBytes_((static_cast<size_t>(page.width) + 7) / 8) {}

  TBitReader& Input() { return in_; }

  // A one-dimensional row; the strip ending inside it is corrupt data.
  void Decode1DRow() {
    cur_.clear();
    uint32_t pos = 0;
    for (int colour = 0;; colour ^= 1) {
      int run = ReadRun(in_, colour);
      if (run == kEndOfData) Corrupt();
      if (static_cast<uint64_t>(pos) + static_cast<uint64_t>(run) > width_) Corrupt();
      pos += static_cast<uint32_t>(run);
      if (pos == width_) break;
      cur_.push_back(pos);
    }
    FinishRow();
  }

  enum class TRowResult { Done, EndOfData };

  // A two-dimensional row against the previous one (all white for a strip's first row).
  TRowResult Decode2DRow() {
    cur_.clear();
    TChangeCursor reference(ref_);
    int64_t a0 = -1;
    int colour = 0;
    while (a0 < static_cast<int64_t>(width_)) {
      int mode = ReadMode();
      if (mode == kModeEnd) return TRowResult::EndOfData;
      TReferencePoints b = reference.Reference(a0, colour, width_);
      uint32_t start = a0 < 0 ? 0 : static_cast<uint32_t>(a0);
      if (mode == kModePass) {
        a0 = b.b2;
      } else if (mode == kModeHorizontal) {
        int first = ReadRun(in_, colour);
        int second = first == kEndOfData ? kEndOfData : ReadRun(in_, colour ^ 1);
        if (second == kEndOfData) throw EOverrunStream();
        uint64_t end = static_cast<uint64_t>(start) + static_cast<uint64_t>(first) +
                       static_cast<uint64_t>(second);
        if (end > width_) Corrupt();
        cur_.push_back(start + static_cast<uint32_t>(first));
        cur_.push_back(static_cast<uint32_t>(end));
        a0 = static_cast<int64_t>(end);
      } else {
        int64_t a1 = static_cast<int64_t>(b.b1) + mode;
        if (a1 > static_cast<int64_t>(width_) || a1 < static_cast<int64_t>(start)) Corrupt();
        if (a1 == static_cast<int64_t>(width_) && mode >= 0) break;
        cur_.push_back(static_cast<uint32_t>(a1));
        colour ^= 1;
        a0 = a1;
      }
    }
    FinishRow();
    return TRowResult::Done;
  }

  void ResetReference() { ref_.clear(); }
  size_t RowBytes() const { return rowBytes_; }

 private:
  // Vertical modes are returned as their offset (-3..3); the others as these values.
  static constexpr int kModePass = 100;
  static constexpr int kModeHorizontal = 101;
  static constexpr int kModeEnd = 102;

  int ReadMode() {
    if (in_.Remaining() >= 7) {
      const uint32_t bits = in_.Peek(7);
      const int zeros = bits == 0 ? 7 : __builtin_clz(bits) - 25;
      if (zeros <= 5) {
        const bool vertical = zeros == 1 || zeros == 4 || zeros == 5;
        const int length = zeros + 1 + (vertical ? 1 : 0);
        in_.Skip(length);
        if (zeros == 0) return 0;
        if (zeros == 2) return kModeHorizontal;
        if (zeros == 3) return kModePass;
        const int offset = zeros == 1 ? 1 : zeros - 2;
        return ((bits >> (7 - length)) & 1) ? offset : -offset;
      }
    }
    return ReadModeBitwise();
  }

  // Near the end of the strip and for EOLs and extension codes: bit by bit.
  int ReadModeBitwise() {
    int zeros = 0;
    for (;;) {
      int b = in_.Next();
      if (b < 0) return kModeEnd;
      if (b == 1) break;
      if (++zeros > kEolLength) Corrupt();
    }
    switch (zeros) {
      case 0:
        return 0;
      case 1:
      case 4:
      case 5: {
        int b = in_.Next();
        if (b < 0) return kModeEnd;
        int offset = zeros == 1 ? 1 : zeros - 2;
        return b == 1 ? offset : -offset;
      }
      case 2:
        return kModeHorizontal;
      case 3:
        return kModePass;
      default:
        // An EOL is the end-of-block mark (or a Group 3 row cut short); extension codes
        // (uncompressed mode) are not supported.
        if (zeros >= kEolLength - 1) return kModeEnd;
        Corrupt();
    }
  }

  void FinishRow() {
    size_t at = out_.size();
    out_.resize(at + rowBytes_, 0);
    uint8_t* row = out_.data() + at;
    FillBits(row, 0, width_, whiteIsOne_);
    for (size_t i = 0; i < cur_.size(); i += 2) {
      uint32_t end = i + 1 < cur_.size() ? cur_[i + 1] : width_;
      if (cur_[i] < end) FillBits(row, cur_[i], end, !whiteIsOne_);
    }
    ref_.swap(cur_);
  }

  std::vector<uint8_t>& out_;
  TBitReader in_;
  uint32_t width_;
  bool whiteIsOne_;
  size_t rowBytes_;
  TChanges ref_, cur_;
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

struct TModeCode {
  uint32_t bits;
  int length;
};
// Vertical mode codes by offset a1 - b1 + 3.
constexpr TModeCode kVerticalCodes[7] = {{0x02, 7}, {0x02, 6}, {0x02, 3}, {0x01, 1},
                                         {0x03, 3}, {0x03, 6}, {0x03, 7}};

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
      out.Put(0x1, 4);
      a0 = b.b2;
    } else if (a1 - b1 >= -3 && a1 - b1 <= 3) {
      const TModeCode& code = kVerticalCodes[a1 - b1 + 3];
      out.Put(code.bits, code.length);
      a0 = a1;
      colour ^= 1;
    } else {
      int64_t a2 = coding.NextChange(a1, width);
      out.Put(0x1, 3);
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
