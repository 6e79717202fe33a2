#include "control/formats/png/png_zlib.h"

#include <algorithm>
#include <limits>

namespace pictavo {

namespace {

constexpr const char* kInvalidOperation = "Invalid ZStream operation!";

const char* ZLibErrorText(int result) {
  switch (result) {
    case Z_ERRNO:
      return "file error";
    case Z_STREAM_ERROR:
      return "stream error";
    case Z_DATA_ERROR:
      return "data error";
    case Z_MEM_ERROR:
      return "insufficient memory";
    case Z_BUF_ERROR:
      return "buffer error";
    case Z_VERSION_ERROR:
      return "incompatible version";
    default:
      return "need dictionary";
  }
}

template <class Error>
int Check(int result) {
  if (result < 0) throw Error(ZLibErrorText(result));
  return result;
}

int ZLibLevel(TCompressionLevel level) {
  switch (level) {
    case TCompressionLevel::clNone:
      return Z_NO_COMPRESSION;
    case TCompressionLevel::clFastest:
      return Z_BEST_SPEED;
    case TCompressionLevel::clMax:
      return Z_BEST_COMPRESSION;
    default:
      return Z_DEFAULT_COMPRESSION;
  }
}

// zlib counts in 32-bit units; larger requests are served in pieces.
constexpr int64_t kMaxPiece = std::numeric_limits<uInt>::max();

}  // namespace

TCustomZStream::TCustomZStream(plat::TStream& stream)
    : stream_(stream), stream_position_(stream.Position()), buffer_(kBufferSize) {}

void TCustomZStream::SetSize(int64_t) {
  throw EZLibError(kInvalidOperation);
}

void TCustomZStream::Progress() {
  if (OnProgress) OnProgress(*this);
}

void TCustomZStream::RestoreUnderlyingPosition() {
  if (stream_.Position() != stream_position_) stream_.SetPosition(stream_position_);
}

void TCustomZStream::RememberUnderlyingPosition() {
  stream_position_ = stream_.Position();
}

// ---------------------------------------------------------------------------------------------

TZCompressionStream::TZCompressionStream(plat::TStream& dest, TCompressionLevel level)
    : TCustomZStream(dest) {
  zstream_.next_out = buffer_.data();
  zstream_.avail_out = kBufferSize;
  Check<EZCompressionError>(deflateInit(&zstream_, ZLibLevel(level)));
}

TZCompressionStream::~TZCompressionStream() {
  try {
    Finish();
  } catch (...) {
    // Finish already ended the zlib stream; a destructor has no way left to report.
  }
}

int64_t TZCompressionStream::Read(void*, int64_t) {
  throw EZCompressionError(kInvalidOperation);
}

void TZCompressionStream::WriteBufferOut(int64_t count) {
  stream_.WriteBuffer(buffer_.data(), count);
  zstream_.next_out = buffer_.data();
  zstream_.avail_out = kBufferSize;
  RememberUnderlyingPosition();
  Progress();
}

int64_t TZCompressionStream::Write(const void* data, int64_t count) {
  if (finished_) throw EZCompressionError(kInvalidOperation);
  RestoreUnderlyingPosition();
  auto* next = static_cast<const uint8_t*>(data);
  for (int64_t left = count; left > 0;) {
    int64_t piece = std::min(left, kMaxPiece);
    zstream_.next_in = const_cast<Bytef*>(next);
    zstream_.avail_in = static_cast<uInt>(piece);
    while (zstream_.avail_in > 0) {
      Check<EZCompressionError>(deflate(&zstream_, Z_NO_FLUSH));
      if (zstream_.avail_out == 0) WriteBufferOut(kBufferSize);
    }
    next += piece;
    left -= piece;
  }
  return count;
}

int64_t TZCompressionStream::Seek(int64_t offset, plat::SeekOrigin origin) {
  if (offset != 0 || origin != plat::SeekOrigin::Current)
    throw EZCompressionError(kInvalidOperation);
  return static_cast<int64_t>(zstream_.total_in);
}

void TZCompressionStream::SetMatchSearch(const TMatchSearch& search) {
  if (finished_) throw EZCompressionError(kInvalidOperation);
  Check<EZCompressionError>(deflateTune(&zstream_, search.good_length, search.max_lazy,
                                        search.nice_length, search.max_chain));
}

void TZCompressionStream::Finish() {
  if (finished_) return;
  finished_ = true;
  try {
    zstream_.next_in = nullptr;
    zstream_.avail_in = 0;
    RestoreUnderlyingPosition();
    while (Check<EZCompressionError>(deflate(&zstream_, Z_FINISH)) != Z_STREAM_END)
      WriteBufferOut(kBufferSize - zstream_.avail_out);
    if (zstream_.avail_out < kBufferSize) WriteBufferOut(kBufferSize - zstream_.avail_out);
  } catch (...) {
    deflateEnd(&zstream_);
    throw;
  }
  deflateEnd(&zstream_);
}

// ---------------------------------------------------------------------------------------------

TZDecompressionStream::TZDecompressionStream(plat::TStream& source) : TCustomZStream(source) {
  zstream_.next_in = buffer_.data();
  zstream_.avail_in = 0;
  Check<EZDecompressionError>(inflateInit(&zstream_));
}

TZDecompressionStream::~TZDecompressionStream() {
  inflateEnd(&zstream_);
}

int64_t TZDecompressionStream::Read(void* data, int64_t count) {
  auto* out = static_cast<uint8_t*>(data);
  int64_t delivered = 0;
  RestoreUnderlyingPosition();
  while (delivered < count && !ended_) {
    if (zstream_.avail_in == 0) {
      int64_t got = stream_.Read(buffer_.data(), kBufferSize);
      if (got <= 0) break;
      zstream_.next_in = buffer_.data();
      zstream_.avail_in = static_cast<uInt>(got);
      RememberUnderlyingPosition();
      Progress();
    }
    uInt room = static_cast<uInt>(std::min(count - delivered, kMaxPiece));
    zstream_.next_out = out + delivered;
    zstream_.avail_out = room;
    uInt input_before = zstream_.avail_in;
    int result = Check<EZDecompressionError>(inflate(&zstream_, Z_NO_FLUSH));
    delivered += room - zstream_.avail_out;
    // A stream that wants a preset dictionary can never be inflated here, and a call that
    // consumed and produced nothing would be repeated for ever.
    if (result == Z_NEED_DICT) throw EZDecompressionError(ZLibErrorText(result));
    if (result == Z_STREAM_END) ended_ = true;
    if (!ended_ && zstream_.avail_in == input_before && zstream_.avail_out == room)
      throw EZDecompressionError(ZLibErrorText(Z_BUF_ERROR));
  }
  return delivered;
}

int64_t TZDecompressionStream::Write(const void*, int64_t) {
  throw EZDecompressionError(kInvalidOperation);
}

void TZDecompressionStream::SkipForward(int64_t count) {
  uint8_t scrap[4096];
  for (int64_t left = count; left > 0;) {
    int64_t piece = std::min<int64_t>(left, sizeof scrap);
    ReadBuffer(scrap, piece);
    left -= piece;
  }
}

int64_t TZDecompressionStream::Seek(int64_t offset, plat::SeekOrigin origin) {
  int64_t total = static_cast<int64_t>(zstream_.total_out);
  if (offset == 0 && origin == plat::SeekOrigin::Begin) {
    Check<EZDecompressionError>(inflateReset(&zstream_));
    zstream_.next_in = buffer_.data();
    zstream_.avail_in = 0;
    ended_ = false;
    stream_.SetPosition(0);
    stream_position_ = 0;
  } else if (offset == 0 && origin == plat::SeekOrigin::Current) {
    // a position query
  } else if (offset > 0 && origin == plat::SeekOrigin::Current) {
    SkipForward(offset);
  } else if (origin == plat::SeekOrigin::Begin && offset > total) {
    SkipForward(offset - total);
  } else {
    throw EZDecompressionError(kInvalidOperation);
  }
  return static_cast<int64_t>(zstream_.total_out);
}

}  // namespace pictavo
