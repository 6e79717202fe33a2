#pragma once
// Streams that deflate what is written to them into another stream, or inflate another stream's
// bytes as they are read. All exchange with the other stream goes through one 64 KB buffer.
#include <zlib.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/base/exceptions.h"
#include "platform/base/streams.h"

namespace pictavo {

VELMORA_EXCEPTION(EZLibError, plat::Exception);
VELMORA_EXCEPTION(EZCompressionError, EZLibError);
VELMORA_EXCEPTION(EZDecompressionError, EZLibError);

// Compression levels by index: 0 store, 1 fastest, 2 zlib's default, 3 best.
enum class TCompressionLevel { clNone = 0, clFastest = 1, clDefault = 2, clMax = 3 };

// The limits of deflate's match search (zlib's deflateTune): from a match of good_length on,
// only a quarter of the chain is searched; a match shorter than max_lazy is weighed against
// the one starting a byte later; a match of nice_length ends the search; at most max_chain
// earlier positions are tried.
struct TMatchSearch {
  int good_length;
  int max_lazy;
  int nice_length;
  int max_chain;
};

class TCustomZStream : public plat::TStream {
 public:
  static constexpr int kBufferSize = 65536;

  ~TCustomZStream() override = default;
  TCustomZStream(const TCustomZStream&) = delete;
  TCustomZStream& operator=(const TCustomZStream&) = delete;

  void SetSize(int64_t size) override;

  // Runs after every buffer exchange with the underlying stream.
  std::function<void(TCustomZStream&)> OnProgress;

 protected:
  explicit TCustomZStream(plat::TStream& stream);
  void Progress();
  // Someone else may have moved the shared underlying stream between our calls.
  void RestoreUnderlyingPosition();
  void RememberUnderlyingPosition();

  plat::TStream& stream_;
  int64_t stream_position_;
  z_stream zstream_{};
  std::vector<uint8_t> buffer_;
};

class TZCompressionStream : public TCustomZStream {
 public:
  TZCompressionStream(plat::TStream& dest, TCompressionLevel level = TCompressionLevel::clDefault);
  // Finishes the zlib stream when Finish was not called; errors can no longer be reported here.
  ~TZCompressionStream() override;

  int64_t Read(void* buffer, int64_t count) override;
  int64_t Write(const void* buffer, int64_t count) override;
  // Only a position query (0 from the current position): the number of bytes written into it.
  int64_t Seek(int64_t offset, plat::SeekOrigin origin) override;

  // Replaces the level's match search limits for what is written from now on.
  void SetMatchSearch(const TMatchSearch& search);

  // Flushes the rest of the compressed data and ends the zlib stream; raises on failure.
  void Finish();

 private:
  void WriteBufferOut(int64_t count);
  bool finished_ = false;
};

class TZDecompressionStream : public TCustomZStream {
 public:
  explicit TZDecompressionStream(plat::TStream& source);
  ~TZDecompressionStream() override;

  // Returns fewer bytes than asked when the compressed data end (or run out).
  int64_t Read(void* buffer, int64_t count) override;
  int64_t Write(const void* buffer, int64_t count) override;
  // Restart (0 from the beginning), position query, or forward skip; nothing backwards.
  int64_t Seek(int64_t offset, plat::SeekOrigin origin) override;

 private:
  void SkipForward(int64_t count);
  bool ended_ = false;
};

}  // namespace pictavo
