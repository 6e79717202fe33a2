#include "control/formats/gif/gif_lzw.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "control/formats/gif/gif_base.h"

namespace pictavo {

namespace {

constexpr int kTableSize = 4096;
constexpr int kEndOfData = -2;  // end code met, or the data cannot be decoded further
constexpr int kNoCode = -1;     // no more bits

// Reads the codes of one frame's image data across its sub-blocks.
class LZWDecoder {
 public:
  LZWDecoder(plat::TStream& stream, int min_code_size, const TGIFWarningFn& warn)
      : stream_(stream), warn_(warn), min_code_size_(min_code_size) {
    clear_code_ = 1 << min_code_size;
    end_code_ = clear_code_ + 1;
    ResetTable();
  }

  int NextPixel() {
    if (depth_ > 0) return stack_[size_t(--depth_)];
    return ExpandCode();
  }

  // Fills count pixels, whole strings at a time; false when the data ends before them.
  bool Fill(uint8_t* pixels, int64_t count) {
    int64_t x = 0;
    while (x < count) {
      const int n = static_cast<int>(std::min<int64_t>(depth_, count - x));
      for (int i = 0; i < n; ++i) pixels[x++] = stack_[size_t(depth_ - 1 - i)];
      depth_ -= n;
      if (x == count) break;
      const int pixel = ExpandCode();
      if (pixel < 0) return false;
      pixels[x++] = static_cast<uint8_t>(pixel);
    }
    return true;
  }

  // Leaves the stream after the data's terminator.
  void SkipRestOfData() {
    if (terminator_seen_) return;
    block_left_ = 0;
    SkipSubBlocks(stream_);
    terminator_seen_ = true;
  }

 private:
  void ResetTable() {
    for (int i = 0; i < kTableSize; ++i) {
      prefix_[size_t(i)] = 0;
      suffix_[size_t(i)] = i < clear_code_ ? uint8_t(i) : 0;
    }
    code_width_ = min_code_size_ + 1;
    width_limit_ = 2 * clear_code_;
    next_code_ = clear_code_ + 2;
    depth_ = 0;
  }

  // Reads the next sub-block; false after the terminator or at the end of the stream.
  bool NextBlock() {
    if (terminator_seen_ || stream_ended_) return false;
    int n = ReadOneByte(stream_);
    if (n < 0) {
      stream_ended_ = true;
      warn_("Premature end of data");
      return false;
    }
    if (n == 0) {
      terminator_seen_ = true;
      return false;
    }
    const int64_t got = stream_.Read(block_.data(), n);
    if (got < n) {
      warn_("Premature end of data");
      stream_ended_ = true;
    }
    block_left_ = static_cast<int>(got);
    block_pos_ = 0;
    return got > 0;
  }

  // The bits come from a 64-bit window that takes whole bytes of the current sub-block at once;
  // the next sub-block is read only when a code needs its bits.
  int FetchCode() {
    if (fresh_) {
      fresh_ = false;
      return clear_code_;
    }
    while (bit_count_ < code_width_) {
      if (block_pos_ >= block_left_ && !NextBlockWithData()) {
        if (terminator_seen_ && bit_count_ == 0 && !underrun_reported_) {
          underrun_reported_ = true;
          warn_("Decoder bit buffer under-run");
        }
        return kNoCode;
      }
      while (bit_count_ <= 56 && block_pos_ < block_left_) {
        bits_ |= uint64_t{block_[size_t(block_pos_++)]} << bit_count_;
        bit_count_ += 8;
      }
    }
    int code = static_cast<int>(bits_ & ((1u << code_width_) - 1));
    bits_ >>= code_width_;
    bit_count_ -= code_width_;
    return code;
  }

  // Skips empty reads of a stream cut short inside a sub-block.
  bool NextBlockWithData() {
    while (block_pos_ >= block_left_)
      if (!NextBlock()) return false;
    return true;
  }

  // Ends the decode for good: the table is no longer trustworthy.
  int Fail(const char* message) {
    warn_(message);
    failed_ = true;
    depth_ = 0;
    return kEndOfData;
  }

  int ExpandCode() {
    if (failed_) return kEndOfData;
    int code = FetchCode();
    if (code < 0) return code;
    if (code == clear_code_) {
      ResetTable();
      do code = FetchCode();
      while (code == clear_code_);
      if (code < 0) return code;
      if (code == end_code_) return EndOfData();
      first_code_ = previous_code_ = code;
      return code;
    }
    if (code == end_code_) return EndOfData();

    int incoming = code;
    if (code >= next_code_) {
      stack_[size_t(depth_++)] = uint8_t(first_code_);
      code = previous_code_;
    }
    while (code >= clear_code_) {
      // A chain longer than the table can hold loops back on itself.
      if (prefix_[size_t(code)] == code || depth_ > kTableSize)
        return Fail("Circular decoder table entry");
      stack_[size_t(depth_++)] = suffix_[size_t(code)];
      code = prefix_[size_t(code)];
    }
    first_code_ = suffix_[size_t(code)];
    stack_[size_t(depth_++)] = uint8_t(first_code_);
    if (next_code_ < kTableSize) {
      prefix_[size_t(next_code_)] = previous_code_;
      suffix_[size_t(next_code_)] = uint8_t(first_code_);
      ++next_code_;
      if (next_code_ >= width_limit_ && width_limit_ < kTableSize) {
        width_limit_ *= 2;
        ++code_width_;
      }
    }
    previous_code_ = incoming;
    return stack_[size_t(--depth_)];
  }

  int EndOfData() {
    SkipRestOfData();
    return kEndOfData;
  }

  plat::TStream& stream_;
  const TGIFWarningFn& warn_;
  int min_code_size_;
  int clear_code_ = 0;
  int end_code_ = 0;
  int code_width_ = 0;
  int width_limit_ = 0;
  int next_code_ = 0;
  int first_code_ = 0;
  int previous_code_ = 0;
  std::array<int, kTableSize> prefix_{};
  std::array<uint8_t, kTableSize> suffix_{};
  // The string being handed out, last pixel first: at most one string of the table, the
  // byte of a code being defined and the string's first byte.
  std::array<uint8_t, kTableSize + 4> stack_{};
  int depth_ = 0;
  std::array<uint8_t, 255> block_{};
  int block_left_ = 0;
  int block_pos_ = 0;
  uint64_t bits_ = 0;
  int bit_count_ = 0;
  bool fresh_ = true;
  bool terminator_seen_ = false;
  bool stream_ended_ = false;
  bool underrun_reported_ = false;
  bool failed_ = false;
};

// Interlaced rows come in four passes: every 8th row from 0, every 8th from 4, every 4th from 2,
// every 2nd from 1.
constexpr int kPassStart[4] = {0, 4, 2, 1};
constexpr int kPassStep[4] = {8, 8, 4, 2};

template <class Fn>
void ForEachRowInInterlacedOrder(int height, Fn fn) {
  for (int pass = 0; pass < 4; ++pass)
    for (int row = kPassStart[pass]; row < height; row += kPassStep[pass])
      if (!fn(row)) return;
}

bool DecodeRun(LZWDecoder& decoder, uint8_t* pixels, int64_t count) {
  return decoder.Fill(pixels, count);
}

}  // namespace

int64_t MaxPixelsInImageData(int64_t bytes) {
  int64_t codes = std::max<int64_t>(0, bytes) * 8;
  if (codes <= kTableSize) return codes * (codes + 1) / 2;
  return int64_t{kTableSize} * (kTableSize + 1) / 2 + (codes - kTableSize) * kTableSize;
}

void DecodeImageData(plat::TStream& stream, uint8_t* pixels, int width, int height, bool interlaced,
                     const TGIFWarningFn& warn) {
  int min_code_size = ReadOneByte(stream);
  if (min_code_size < 0) return;
  if (min_code_size > 11) {
    // The clear code would not fit the 4096-entry table.
    warn("Invalid GIF data");
    SkipSubBlocks(stream);
    return;
  }
  LZWDecoder decoder(stream, min_code_size, warn);
  if (width > 0 && height > 0) {
    if (interlaced) {
      ForEachRowInInterlacedOrder(height, [&](int row) {
        return DecodeRun(decoder, pixels + int64_t{row} * width, width);
      });
    } else {
      DecodeRun(decoder, pixels, int64_t{width} * height);
    }
  }
  // On clean data this reads the end code; codes beyond the last pixel are skipped.
  decoder.NextPixel();
  decoder.SkipRestOfData();
}

// ---- sub-block writer ----

void TGIFWriter::Write(const void* data, int64_t count) {
  const uint8_t* bytes = static_cast<const uint8_t*>(data);
  for (int64_t i = 0; i < count; ++i) PutByte(bytes[i]);
}

void TGIFWriter::PutByte(uint8_t value) {
  buffer_[size_t(fill_++)] = value;
  if (fill_ == 256) FlushBlock();
}

void TGIFWriter::FlushBlock() {
  if (fill_ > 1) {
    buffer_[0] = static_cast<uint8_t>(fill_ - 1);
    target_.WriteBuffer(buffer_.data(), fill_);
    fill_ = 1;
  }
}

// ---- string table ----

namespace {

constexpr uint32_t kEmptySlot = 0xFFFFFFFFu;

int HashOf(uint32_t key) {
  return static_cast<int>((key ^ (key >> 4)) % THashTable::kSlots);
}
int NextSlot(int slot) {
  return slot == 0 ? THashTable::kSlots - 1 : (2 * slot) % THashTable::kSlots;
}
// Doubling modulo 8009 runs through 4004 slots before it comes back.
constexpr int kProbeCycle = 4004;

}  // namespace

void THashTable::ResetTable() {
  slots_.fill(kEmptySlot);
}

bool THashTable::StoreCode(uint32_t key, int code) {
  int slot = HashOf(key);
  for (int probes = 0; probes <= kProbeCycle; ++probes, slot = NextSlot(slot)) {
    if ((slots_[size_t(slot)] & 0xFFFFF000u) == 0xFFFFF000u) {
      slots_[size_t(slot)] = (key << 12) | uint32_t(code);
      return true;
    }
  }
  return false;
}

int THashTable::FindCode(uint32_t key) const {
  int slot = HashOf(key);
  for (int probes = 0; probes <= kProbeCycle; ++probes, slot = NextSlot(slot)) {
    uint32_t entry = slots_[size_t(slot)];
    if ((entry & 0xFFFFF000u) == 0xFFFFF000u) return -1;
    if ((entry >> 12) == key) return static_cast<int>(entry & 0xFFF);
  }
  return -1;
}

// ---- encoders ----

void TGIFEncoder::EncodeFrame(plat::TStream& target, int min_code_size, int color_limit,
                              const uint8_t* pixels, bool interlaced, int height, int width) {
  color_limit_ = color_limit;
  min_code_size_ = std::max(2, min_code_size);
  WriteOneByte(target, static_cast<uint8_t>(min_code_size_));
  frame_width_ = width;
  frame_height_ = height;
  interlaced_ = interlaced;
  pixel_data_ = pixels;
  initial_code_width_ = code_width_ = min_code_size_ + 1;
  code_limit_ = (1 << code_width_) - 1;
  code_clear_ = 1 << min_code_size_;
  code_end_ = code_clear_ + 1;
  code_first_free_ = code_clear_ + 2;
  bit_bucket_ = 0;
  bucket_bits_ = 0;
  clear_pending_ = false;
  pixels_left_ = interlaced ? int64_t{width} : int64_t{width} * height;
  row_index_ = 0;
  pass_index_ = 0;
  current_pixel_ = pixels;
  {
    TGIFWriter writer(target);
    block_writer_ = &writer;
    if (pixels && width > 0 && height > 0) EncodePixels();
    EmitCode(code_end_);
    writer.FlushBlock();
  }
  WriteOneByte(target, 0);
}

void TGIFEncoder::EmitCode(int code) {
  if (bucket_bits_ > 0)
    bit_bucket_ = (bit_bucket_ & ((1u << bucket_bits_) - 1)) | (uint32_t(code) << bucket_bits_);
  else
    bit_bucket_ = uint32_t(code);
  bucket_bits_ += code_width_;
  while (bucket_bits_ >= 8) {
    block_writer_->PutByte(static_cast<uint8_t>(bit_bucket_));
    bit_bucket_ >>= 8;
    bucket_bits_ -= 8;
  }
  if (code == code_end_) {
    while (bucket_bits_ > 0) {
      block_writer_->PutByte(static_cast<uint8_t>(bit_bucket_));
      bit_bucket_ >>= 8;
      bucket_bits_ -= 8;
    }
  }
}

void TGIFEncoder::EmitClear() {
  clear_pending_ = true;
  EmitCode(code_clear_);
}

bool TGIFEncoder::AdvancePixel() {
  if (--pixels_left_ >= 1) {
    ++current_pixel_;
    return true;
  }
  if (!interlaced_) return false;
  pixels_left_ = frame_width_;
  row_index_ += kPassStep[pass_index_];
  while (row_index_ >= frame_height_) {
    if (++pass_index_ > 3) return false;
    row_index_ = kPassStart[pass_index_];
  }
  current_pixel_ = pixel_data_ + int64_t{row_index_} * frame_width_;
  return true;
}

int TGIFEncoder::CheckedPixel() const {
  int pixel = *current_pixel_;
  if (pixel >= color_limit_) RaiseGIFError("Color not in color table");
  return pixel;
}

void TLZWEncoder::EmitCode(int code) {
  TGIFEncoder::EmitCode(code);
  if (clear_pending_) {
    code_width_ = initial_code_width_;
    code_limit_ = (1 << code_width_) - 1;
    clear_pending_ = false;
  } else if (next_free_code_ > code_limit_) {
    ++code_width_;
    // The width never grows past 12 bits.
    code_limit_ = code_width_ >= 12 ? 4096 : (1 << code_width_) - 1;
  }
}

void TLZWEncoder::EmitClear() {
  TGIFEncoder::EmitClear();
  code_table_->ResetTable();
  next_free_code_ = code_clear_ + 2;
}

void TLZWEncoder::EncodePixels() {
  code_table_ = std::make_unique<THashTable>();
  next_free_code_ = code_first_free_;
  EmitClear();
  current_code_ = CheckedPixel();
  while (AdvancePixel()) {
    int pixel = CheckedPixel();
    uint32_t key = (uint32_t(current_code_) << 8) | uint32_t(pixel);
    int found = code_table_->FindCode(key);
    if (found >= 0) {
      current_code_ = found;
      continue;
    }
    EmitCode(current_code_);
    current_code_ = pixel;
    // Code 4095 is never assigned: the table starts again when it would be next.
    if (next_free_code_ >= 4095 || !code_table_->StoreCode(key, next_free_code_))
      EmitClear();
    else
      ++next_free_code_;
  }
  EmitCode(current_code_);
  code_table_.reset();
}

void TRLEEncoder::EmitClear() {
  widen_at_ = widen_at_start_;
  clear_at_ = clear_at_start_;
  codes_out_ = 0;
  table_max_ = 0;
  TGIFEncoder::EmitClear();
  code_width_ = initial_code_width_;
}

void TRLEEncoder::EmitPlain(int code) {
  clear_pending_ = false;
  EmitCode(code);
  ++codes_out_;
  if (codes_out_ >= widen_at_) {
    widen_at_ += 1 << code_width_;
    ++code_width_;
  }
  if (codes_out_ >= clear_at_) EmitClear();
}

int64_t TRLEEncoder::TriangleCost(int64_t count, int64_t n) {
  int64_t cost = 0;
  int64_t whole = n * (n + 1) / 2;
  if (whole > 0) {
    cost += (count / whole) * n;
    count %= whole;
  }
  if (count > 0) {
    // Smallest k with k(k + 1) >= 2 * count.
    int64_t k = static_cast<int64_t>(std::sqrt(static_cast<double>(count)));
    while (k > 0 && k * (k + 1) >= 2 * count) --k;
    while (k * (k + 1) < 2 * count) ++k;
    cost += k;
  }
  return cost;
}

void TRLEEncoder::RestoreClearLimit() {
  clear_at_ = clear_at_start_;
  if (codes_out_ >= clear_at_) EmitClear();
}

void TRLEEncoder::RunAfterClear(int64_t count) {
  RaiseClearLimit();
  table_pixel_ = run_pixel_;
  int64_t n = 1;
  while (count > 0) {
    if (n == 1) {
      table_max_ = 1;
      EmitPlain(run_pixel_);
      count -= 1;
    } else if (count >= n) {
      table_max_ = static_cast<int>(n);
      EmitPlain(code_first_free_ + static_cast<int>(n) - 2);
      count -= n;
    } else if (count == 1) {
      ++table_max_;
      EmitPlain(run_pixel_);
      count = 0;
    } else {
      ++table_max_;
      EmitPlain(code_first_free_ + static_cast<int>(count) - 2);
      count = 0;
    }
    n = codes_out_ == 0 ? 1 : n + 1;
  }
  RestoreClearLimit();
}

void TRLEEncoder::RunByRepeatOrClear(int64_t count) {
  if (1 + TriangleCost(count, repeat_code_limit_) < count) {
    EmitClear();
    RunAfterClear(count);
  } else {
    for (int64_t i = 0; i < count; ++i) EmitPlain(run_pixel_);
  }
}

void TRLEEncoder::RunWithTable(int64_t count) {
  int64_t repeats = count / table_max_;
  int64_t rest = count % table_max_;
  int64_t extra = rest > 0 ? 1 : 0;
  if (codes_out_ + repeats + extra > repeat_code_limit_) {
    repeats = repeat_code_limit_ - codes_out_;
    rest = count - repeats * table_max_;
    extra = 1 + TriangleCost(rest, repeat_code_limit_);
  }
  if (1 + TriangleCost(count, repeat_code_limit_) < repeats + extra) {
    EmitClear();
    RunAfterClear(count);
    return;
  }
  RaiseClearLimit();
  for (int64_t i = 0; i < repeats; ++i) EmitPlain(code_first_free_ + table_max_ - 2);
  if (rest > 0) {
    if (clear_pending_)
      RunAfterClear(rest);
    else if (rest == 1)
      EmitPlain(run_pixel_);
    else
      EmitPlain(code_first_free_ + static_cast<int>(rest) - 2);
  }
  RestoreClearLimit();
}

void TRLEEncoder::FlushRun(int64_t count) {
  if (count == 1)
    EmitPlain(run_pixel_);
  else if (clear_pending_)
    RunAfterClear(count);
  else if (table_max_ > 1 && table_pixel_ == run_pixel_)
    RunWithTable(count);
  else
    RunByRepeatOrClear(count);
}

void TRLEEncoder::EncodePixels() {
  widen_at_start_ = code_clear_ - 1;
  clear_at_start_ = min_code_size_ > 3 ? code_clear_ - 2 : 9;
  repeat_code_limit_ = 4095 - code_first_free_;
  EmitClear();
  run_pixel_ = -1;
  int64_t run = 0;
  do {
    int pixel = CheckedPixel();
    if (run > 0 && pixel != run_pixel_) {
      FlushRun(run);
      run = 0;
    }
    if (pixel == run_pixel_) {
      ++run;
    } else {
      run_pixel_ = pixel;
      run = 1;
    }
  } while (AdvancePixel());
  FlushRun(run);
}

}  // namespace pictavo
