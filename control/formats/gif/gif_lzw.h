#pragma once
// The pixel data of a GIF frame: the LZW decoder, the sub-block writer, and the two encoders
// (true LZW, and a run-length coder that still writes codes any GIF decoder understands).
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/base/streams.h"

namespace pictavo {

using TGIFWarningFn = std::function<void(const std::string& message)>;

// Decodes the image data at the stream position into pixels (width * height bytes, already
// filled with the value that undecoded pixels keep). Damaged data decodes as far as it goes and
// is reported through warn; the stream is left after the data's terminator when there is one.
void DecodeImageData(plat::TStream& stream, uint8_t* pixels, int width, int height, bool interlaced,
                     const TGIFWarningFn& warn);

// The most pixels `bytes` bytes of image data can describe (each code is at least one bit and
// expands to at most 4096 pixels, growing by at most one pixel per code).
int64_t MaxPixelsInImageData(int64_t bytes);

// Cuts what is written into data sub-blocks of at most 255 bytes. Writes no terminator. Full
// blocks are gathered and go to the target some 64 KiB at a time (a write of its own for each
// block of 256 bytes costs more than coding it); the rest and the last block go out by
// FlushBlock, never from the destructor: a write error must reach the caller, not leave a
// destructor.
class TGIFWriter {
 public:
  explicit TGIFWriter(plat::TStream& target) : target_(target) {}
  TGIFWriter(const TGIFWriter&) = delete;
  TGIFWriter& operator=(const TGIFWriter&) = delete;

  void Write(const void* data, int64_t count);
  void PutByte(uint8_t value);
  void FlushBlock();

 private:
  // Moves the block being filled to the gathered ones.
  void CloseBlock();

  plat::TStream& target_;
  std::array<uint8_t, 256> buffer_{};
  int fill_ = 1;
  std::vector<uint8_t> gathered_;
};

// The string table of the LZW encoder: 8192 slots probed one after the other from a
// multiplicative hash of the key, which spreads the keys of neighbouring codes evenly. A slot
// holds its key above the 12-bit code; all ones above the code is a free slot. At most 4096
// codes are stored, so half the slots at least stay free and a probe ends soon. The coder looks
// up every pixel, so both calls are inline.
class THashTable {
 public:
  static constexpr int kSlots = 8192;
  THashTable() { ResetTable(); }
  void ResetTable();
  // False when no slot is free.
  bool StoreCode(uint32_t key, int code) {
    for (uint32_t slot = HashOf(key), probes = 0; probes < kSlots; ++probes, slot = Next(slot))
      if (IsFree(slots_[slot])) {
        slots_[slot] = (key << 12) | uint32_t(code);
        return true;
      }
    return false;
  }
  int FindCode(uint32_t key) const {
    for (uint32_t slot = HashOf(key), probes = 0; probes < kSlots; ++probes, slot = Next(slot)) {
      const uint32_t entry = slots_[slot];
      if (IsFree(entry)) return -1;
      if ((entry >> 12) == key) return static_cast<int>(entry & 0xFFF);
    }
    return -1;
  }

 private:
  static uint32_t HashOf(uint32_t key) { return (key * 2654435761u) >> (32 - 13); }
  static uint32_t Next(uint32_t slot) { return (slot + 1) & (kSlots - 1); }
  static bool IsFree(uint32_t entry) { return (entry & 0xFFFFF000u) == 0xFFFFF000u; }

  std::array<uint32_t, kSlots> slots_;
};

enum TGIFCompressionMethod : uint8_t { ecLZW = 0, ecRunLength = 1 };

class TGIFEncoder {
 public:
  virtual ~TGIFEncoder() = default;
  // Writes one frame's image data: the minimum code size, the sub-blocks and the terminator.
  void EncodeFrame(plat::TStream& target, int min_code_size, int color_limit, const uint8_t* pixels,
                   bool interlaced, int height, int width);

 protected:
  virtual void EmitCode(int code);
  virtual void EmitClear();
  virtual void EncodePixels() = 0;
  // Steps to the next pixel in walk order; false when the frame is done.
  bool AdvancePixel();
  // The current pixel, checked against the colour limit.
  int CheckedPixel() const;

  int color_limit_ = 0;
  int min_code_size_ = 2;
  int frame_width_ = 0;
  int frame_height_ = 0;
  bool interlaced_ = false;
  const uint8_t* pixel_data_ = nullptr;
  TGIFWriter* block_writer_ = nullptr;
  uint32_t bit_bucket_ = 0;
  int bucket_bits_ = 0;
  bool clear_pending_ = false;
  int code_width_ = 0;
  int initial_code_width_ = 0;
  int code_limit_ = 0;
  int code_clear_ = 0;
  int code_end_ = 0;
  int code_first_free_ = 0;
  const uint8_t* current_pixel_ = nullptr;
  int64_t pixels_left_ = 0;
  int row_index_ = 0;
  int pass_index_ = 0;
};

class TLZWEncoder : public TGIFEncoder {
 protected:
  void EmitCode(int code) override;
  void EmitClear() override;
  void EncodePixels() override;

 private:
  std::unique_ptr<THashTable> code_table_;
  int next_free_code_ = 0;
  int current_code_ = 0;
};

class TRLEEncoder : public TGIFEncoder {
 protected:
  void EmitClear() override;
  void EncodePixels() override;

 private:
  void EmitPlain(int code);
  static int64_t TriangleCost(int64_t count, int64_t n);
  void RaiseClearLimit() { clear_at_ = repeat_code_limit_; }
  void RestoreClearLimit();
  void RunAfterClear(int64_t count);
  void RunByRepeatOrClear(int64_t count);
  void RunWithTable(int64_t count);
  void FlushRun(int64_t count);

  int run_pixel_ = -1;
  int codes_out_ = 0;
  int widen_at_ = 0;
  int widen_at_start_ = 0;
  int clear_at_ = 0;
  int clear_at_start_ = 0;
  int repeat_code_limit_ = 0;
  int table_max_ = 0;
  int table_pixel_ = -1;
};

}  // namespace pictavo
