#include "control/formats/gif/gif_lzw.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "control/formats/gif/gif_base.h"

namespace pictavo {

namespace {

constexpr int kTableSize = 4096;
constexpr int kEndOfData = -2;  // end code met, or the data cannot be decoded further
constexpr int kNoCode = -1;     // no more bits

// Reads the codes of one frame's image data across its sub-blocks.
//
// Ordinary strings go straight into the pixels: each table entry knows its length, so a string
// is written back to front from its last byte without a stack. A code that is not ordinary (a
// clear or end code, a code past the table, a string that does not fit where it is going, a bit
// that lies in the next sub-block) and every code of a table that damaged data has made
// irregular take the general path, which hands strings out through the stack.
class LZWDecoder {
 public:
  LZWDecoder(plat::TStream& stream, int min_code_size, const TGIFWarningFn& warn)
      : stream_(stream), warn_(warn), min_code_size_(min_code_size) {
    clear_code_ = 1 << min_code_size;
    end_code_ = clear_code_ + 1;
    for (int i = 0; i < clear_code_; ++i) {
      suffix_[size_t(i)] = uint8_t(i);
      length_[size_t(i)] = 1;
    }
    state_.next_code = clear_code_ + 2;
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
      x = FillOrdinaryStrings(pixels, x, count);
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
  // What changes with every code. The loop over ordinary codes keeps a copy in locals, which
  // the pixel stores cannot alias.
  struct TCodeState {
    uint64_t bits = 0;  // the bit window
    int bit_count = 0;
    int block_pos = 0;  // the next byte of the sub-block for the window
    int code_width = 0;
    int width_limit = 0;
    int next_code = 0;
    int previous_code = 0;
    int first_code = 0;  // the first pixel of the previous code's string
  };

  // Entries past the last one defined are still empty, so only the defined ones are cleared.
  void ResetTable() {
    const size_t first_free = size_t(clear_code_ + 2);
    const size_t used = size_t(state_.next_code) - first_free;
    std::fill_n(prefix_.begin() + first_free, used, uint16_t{0});
    std::fill_n(suffix_.begin() + first_free, used, uint8_t{0});
    state_.code_width = min_code_size_ + 1;
    state_.width_limit = 2 * clear_code_;
    state_.next_code = clear_code_ + 2;
    depth_ = 0;
    regular_ = true;
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
    state_.block_pos = 0;
    return got > 0;
  }

  // Fills the window from the current sub-block to more than 56 bits or to the sub-block's end;
  // with one load while the sub-block has eight bytes left. How full the window gets matters:
  // the bits it holds when the end code comes are still read after the rest of the data is
  // skipped.
  void TopUpWindow(TCodeState& state) const {
    if (block_left_ - state.block_pos >= 8) {
      uint64_t word;
      std::memcpy(&word, block_.data() + state.block_pos, sizeof word);
      // Bits past the ones counted are the sub-block's own next bytes: a later top-up puts the
      // same bits in the same places, and no code is read from them before.
      state.bits |= word << state.bit_count;
      const int taken = ((56 - state.bit_count) >> 3) + 1;
      state.block_pos += taken;
      state.bit_count += 8 * taken;
      return;
    }
    while (state.bit_count <= 56 && state.block_pos < block_left_) {
      state.bits |= uint64_t{block_[size_t(state.block_pos++)]} << state.bit_count;
      state.bit_count += 8;
    }
  }

  static int PeekCode(const TCodeState& state) {
    return static_cast<int>(state.bits & ((1u << state.code_width) - 1));
  }

  static void DropCode(TCodeState& state) {
    state.bits >>= state.code_width;
    state.bit_count -= state.code_width;
  }

  // The next sub-block is read only when a code needs its bits.
  int FetchCode() {
    if (fresh_) {
      fresh_ = false;
      return clear_code_;
    }
    while (state_.bit_count < state_.code_width) {
      if (state_.block_pos >= block_left_ && !NextBlockWithData()) {
        if (terminator_seen_ && state_.bit_count == 0 && !underrun_reported_) {
          underrun_reported_ = true;
          warn_("Decoder bit buffer under-run");
        }
        return kNoCode;
      }
      TopUpWindow(state_);
    }
    const int code = PeekCode(state_);
    DropCode(state_);
    return code;
  }

  // Skips empty reads of a stream cut short inside a sub-block.
  bool NextBlockWithData() {
    while (state_.block_pos >= block_left_)
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

  // A code past the table leaves entries whose strings can change or loop; the lengths then no
  // longer tell the strings, and only the general path reads them.
  void TakePreviousCode(int code) {
    state_.previous_code = code;
    if (code >= state_.next_code) regular_ = false;
  }

  // Adds the previous code's string followed by first, when the table has room.
  void DefineEntry(TCodeState& state, int first) {
    const int code = state.next_code;
    if (code >= kTableSize) return;
    prefix_[size_t(code)] = uint16_t(state.previous_code);
    suffix_[size_t(code)] = uint8_t(first);
    if (state.previous_code < code)
      length_[size_t(code)] = uint16_t(length_[size_t(state.previous_code)] + 1);
    state.next_code = code + 1;
    if (state.next_code >= state.width_limit && state.width_limit < kTableSize) {
      state.width_limit *= 2;
      ++state.code_width;
    }
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
      state_.first_code = code;
      TakePreviousCode(code);
      return code;
    }
    if (code == end_code_) return EndOfData();

    int incoming = code;
    if (code >= state_.next_code) {
      stack_[size_t(depth_++)] = uint8_t(state_.first_code);
      code = state_.previous_code;
    }
    while (code >= clear_code_) {
      // A chain longer than the table can hold loops back on itself.
      if (prefix_[size_t(code)] == code || depth_ > kTableSize)
        return Fail("Circular decoder table entry");
      stack_[size_t(depth_++)] = suffix_[size_t(code)];
      code = prefix_[size_t(code)];
    }
    state_.first_code = suffix_[size_t(code)];
    stack_[size_t(depth_++)] = uint8_t(state_.first_code);
    DefineEntry(state_, state_.first_code);
    TakePreviousCode(incoming);
    return stack_[size_t(--depth_)];
  }

  // Writes the string of a defined code of a regular table, len bytes, back to front.
  void WriteString(int code, int len, uint8_t* out) const {
    for (int i = len - 1; i > 0; --i) {
      out[i] = suffix_[size_t(code)];
      code = prefix_[size_t(code)];
    }
    out[0] = suffix_[size_t(code)];
  }

  // Decodes ordinary codes straight into pixels[x, count) and returns where it stopped; the
  // code it stops at stays in the window for ExpandCode.
  int64_t FillOrdinaryStrings(uint8_t* pixels, int64_t x, int64_t count) {
    if (failed_ || fresh_ || !regular_) return x;
    TCodeState state = state_;
    const int clear_code = clear_code_;
    while (x < count) {
      if (state.bit_count < state.code_width) {
        TopUpWindow(state);
        if (state.bit_count < state.code_width) break;
      }
      const int code = PeekCode(state);
      const bool repeat = code == state.next_code;
      if (code >= clear_code && (code <= clear_code + 1 || code > state.next_code)) break;
      const int len = repeat              ? length_[size_t(state.previous_code)] + 1
                      : code < clear_code ? 1
                                          : length_[size_t(code)];
      if (len > count - x) break;
      DropCode(state);
      uint8_t* out = pixels + x;
      if (repeat) {
        WriteString(state.previous_code, len - 1, out);
        out[len - 1] = out[0];
      } else {
        WriteString(code, len, out);
      }
      state.first_code = out[0];
      DefineEntry(state, state.first_code);
      state.previous_code = code;
      x += len;
    }
    state_ = state;
    return x;
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
  TCodeState state_;
  // False once damaged data has defined an entry from a code past the table.
  bool regular_ = true;
  std::array<uint16_t, kTableSize> prefix_{};
  std::array<uint8_t, kTableSize> suffix_{};
  // String lengths of the entries of a regular table.
  std::array<uint16_t, kTableSize> length_{};
  // The string being handed out, last pixel first: at most one string of the table, the
  // byte of a code being defined and the string's first byte.
  std::array<uint8_t, kTableSize + 4> stack_{};
  int depth_ = 0;
  std::array<uint8_t, 255> block_{};
  int block_left_ = 0;
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

namespace {
constexpr size_t kGatheredBytes = size_t{64} << 10;
}  // namespace

void TGIFWriter::Write(const void* data, int64_t count) {
  const uint8_t* bytes = static_cast<const uint8_t*>(data);
  for (int64_t i = 0; i < count; ++i) PutByte(bytes[i]);
}

void TGIFWriter::PutByte(uint8_t value) {
  buffer_[size_t(fill_++)] = value;
  if (fill_ < 256) return;
  CloseBlock();
  if (gathered_.size() >= kGatheredBytes) {
    target_.WriteBuffer(gathered_.data(), static_cast<int64_t>(gathered_.size()));
    gathered_.clear();
  }
}

void TGIFWriter::CloseBlock() {
  if (fill_ > 1) {
    buffer_[0] = static_cast<uint8_t>(fill_ - 1);
    gathered_.insert(gathered_.end(), buffer_.begin(), buffer_.begin() + fill_);
    fill_ = 1;
  }
}

void TGIFWriter::FlushBlock() {
  CloseBlock();
  if (gathered_.empty()) return;
  target_.WriteBuffer(gathered_.data(), static_cast<int64_t>(gathered_.size()));
  gathered_.clear();
}

// ---- string table ----

void THashTable::ResetTable() {
  slots_.fill(0xFFFFFFFFu);
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
