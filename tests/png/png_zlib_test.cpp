#include "control/formats/png/png_zlib.h"

#include <gtest/gtest.h>

#include <numeric>

#include "png_test_util.h"

namespace pictavo {
namespace {

using pngtest::Bytes;

Bytes Sample(size_t size) {
  Bytes data(size);
  for (size_t i = 0; i < size; ++i) data[i] = static_cast<uint8_t>((i * 7 + i / 300) & 0xFF);
  return data;
}

Bytes CompressWithStream(const Bytes& data,
                         TCompressionLevel level = TCompressionLevel::clDefault) {
  plat::TMemoryStream out;
  {
    TZCompressionStream z(out, level);
    z.WriteBuffer(data.data(), static_cast<int64_t>(data.size()));
  }
  return out.Bytes();
}

TEST(ZCompressionStream, OutputInflatesWithZlibAtEveryLevel) {
  // Larger than the exchange buffer, so the buffer is flushed mid-stream.
  Bytes data = Sample(300000);
  for (auto level : {TCompressionLevel::clNone, TCompressionLevel::clFastest,
                     TCompressionLevel::clDefault, TCompressionLevel::clMax}) {
    EXPECT_EQ(pngtest::Inflate(CompressWithStream(data, level), data.size()), data);
  }
}

TEST(ZCompressionStream, MatchSearchChangesTheOutputButNotWhatItInflatesTo) {
  // Short repeats over a few values: what the match search limits decide about.
  Bytes data(200000);
  uint32_t state = 3;
  for (auto& byte : data) {
    state = state * 1103515245 + 12345;
    byte = static_cast<uint8_t>((state >> 16) % 6);
  }
  const auto compress = [&](const TMatchSearch* search) {
    plat::TMemoryStream out;
    {
      TZCompressionStream z(out);
      if (search) z.SetMatchSearch(*search);
      z.WriteBuffer(data.data(), static_cast<int64_t>(data.size()));
    }
    return out.Bytes();
  };
  const TMatchSearch first_match_only{1, 1, 3, 1};
  const Bytes searched = compress(nullptr);
  const Bytes hasty = compress(&first_match_only);
  EXPECT_NE(hasty, searched);
  EXPECT_EQ(pngtest::Inflate(hasty, data.size()), data);
}

TEST(ZCompressionStream, NothingWrittenStillGivesACompleteStream) {
  Bytes compressed = CompressWithStream({});
  ASSERT_FALSE(compressed.empty());
  EXPECT_TRUE(pngtest::Inflate(compressed, 0).empty());
}

TEST(ZCompressionStream, PositionIsTheCountWrittenAndNothingElseIsAllowed) {
  plat::TMemoryStream out;
  TZCompressionStream z(out);
  Bytes data = Sample(1000);
  z.WriteBuffer(data.data(), 1000);
  EXPECT_EQ(z.Position(), 1000);
  uint8_t byte;
  EXPECT_THROW(z.Read(&byte, 1), EZCompressionError);
  EXPECT_THROW(z.Seek(5, plat::SeekOrigin::Begin), EZCompressionError);
  try {
    z.Seek(1, plat::SeekOrigin::Current);
    FAIL();
  } catch (const EZCompressionError& e) {
    EXPECT_STREQ(e.what(), "Invalid ZStream operation!");
  }
}

TEST(ZCompressionStream, ProgressRunsForEveryFullBuffer) {
  plat::TMemoryStream out;
  int calls = 0;
  {
    TZCompressionStream z(out, TCompressionLevel::clNone);
    z.OnProgress = [&](TCustomZStream&) { ++calls; };
    Bytes data = Sample(200000);
    z.WriteBuffer(data.data(), static_cast<int64_t>(data.size()));
    EXPECT_EQ(calls, 3);  // 200,000 stored bytes fill three 64 KB buffers
  }
}

class ZDecompressionStreamTest : public ::testing::Test {
 protected:
  Bytes data_ = Sample(150000);
  plat::TMemoryStream source_{pngtest::Deflate(data_)};
};

TEST_F(ZDecompressionStreamTest, ReadsBackWhatWasCompressed) {
  TZDecompressionStream z(source_);
  Bytes out(data_.size());
  EXPECT_EQ(z.Read(out.data(), static_cast<int64_t>(out.size())), static_cast<int64_t>(out.size()));
  EXPECT_EQ(out, data_);
}

TEST_F(ZDecompressionStreamTest, ReadingPastTheEndReturnsAShortCount) {
  TZDecompressionStream z(source_);
  Bytes out(data_.size() + 100);
  EXPECT_EQ(z.Read(out.data(), static_cast<int64_t>(out.size())),
            static_cast<int64_t>(data_.size()));
  EXPECT_EQ(z.Read(out.data(), 10), 0);
}

TEST_F(ZDecompressionStreamTest, TrailingBytesAfterTheStreamEndDoNotHangTheRead) {
  Bytes padded = source_.Bytes();
  padded.insert(padded.end(), 100, 0xAB);
  plat::TMemoryStream source(padded);
  TZDecompressionStream z(source);
  Bytes out(data_.size() + 1);
  EXPECT_EQ(z.Read(out.data(), static_cast<int64_t>(out.size())),
            static_cast<int64_t>(data_.size()));
}

TEST_F(ZDecompressionStreamTest, SeekFromTheBeginningRestartsAndSkipsForward) {
  TZDecompressionStream z(source_);
  Bytes piece(10);
  z.ReadBuffer(piece.data(), 10);
  EXPECT_EQ(z.Seek(0, plat::SeekOrigin::Begin), 0);
  z.ReadBuffer(piece.data(), 10);
  EXPECT_EQ(piece, Bytes(data_.begin(), data_.begin() + 10));

  EXPECT_EQ(z.Seek(5000, plat::SeekOrigin::Current), 5010);
  EXPECT_EQ(z.Seek(9000, plat::SeekOrigin::Begin), 9000);
  z.ReadBuffer(piece.data(), 10);
  EXPECT_EQ(piece, Bytes(data_.begin() + 9000, data_.begin() + 9010));
  EXPECT_EQ(z.Position(), 9010);
}

TEST_F(ZDecompressionStreamTest, BackwardsOrSameAbsolutePositionIsRefused) {
  TZDecompressionStream z(source_);
  Bytes piece(100);
  z.ReadBuffer(piece.data(), 100);
  for (auto [offset, origin] : {std::pair{int64_t{100}, plat::SeekOrigin::Begin},
                                std::pair{int64_t{50}, plat::SeekOrigin::Begin},
                                std::pair{int64_t{-1}, plat::SeekOrigin::Current},
                                std::pair{int64_t{0}, plat::SeekOrigin::End}}) {
    try {
      z.Seek(offset, origin);
      ADD_FAILURE() << offset;
    } catch (const EZDecompressionError& e) {
      EXPECT_STREQ(e.what(), "Invalid ZStream operation!");
    }
  }
  EXPECT_THROW(z.Write(piece.data(), 1), EZDecompressionError);
}

TEST_F(ZDecompressionStreamTest, SkippingBeyondTheDataIsAReadError) {
  TZDecompressionStream z(source_);
  EXPECT_THROW(z.Seek(static_cast<int64_t>(data_.size()) + 1, plat::SeekOrigin::Current),
               plat::EReadError);
}

TEST(ZDecompressionStream, CorruptDataRaisesZlibsMessage) {
  Bytes compressed = pngtest::Deflate(Sample(5000));
  compressed[0] = 0x78;
  compressed[1] = 0x00;  // header check fails
  plat::TMemoryStream source(compressed);
  TZDecompressionStream z(source);
  Bytes out(10);
  try {
    z.Read(out.data(), 10);
    FAIL();
  } catch (const EZDecompressionError& e) {
    EXPECT_STREQ(e.what(), "data error");
  }
}

TEST(ZDecompressionStream, PresetDictionaryStreamEndsWithAnError) {
  Bytes dictionary = {'p', 'n', 'g', 'd', 'i', 'c', 't'};
  Bytes data = Sample(2000);
  z_stream zs{};
  ASSERT_EQ(deflateInit(&zs, Z_DEFAULT_COMPRESSION), Z_OK);
  ASSERT_EQ(deflateSetDictionary(&zs, dictionary.data(), static_cast<uInt>(dictionary.size())),
            Z_OK);
  Bytes compressed(compressBound(data.size()) + 64);
  zs.next_in = data.data();
  zs.avail_in = static_cast<uInt>(data.size());
  zs.next_out = compressed.data();
  zs.avail_out = static_cast<uInt>(compressed.size());
  ASSERT_EQ(deflate(&zs, Z_FINISH), Z_STREAM_END);
  compressed.resize(zs.total_out);
  deflateEnd(&zs);

  plat::TMemoryStream source(compressed);
  TZDecompressionStream z(source);
  Bytes out(data.size());
  try {
    z.Read(out.data(), static_cast<int64_t>(out.size()));
    FAIL();
  } catch (const EZDecompressionError& e) {
    EXPECT_STREQ(e.what(), "need dictionary");
  }
}

TEST(ZDecompressionStream, SharedUnderlyingStreamIsPutBackBeforeEachRead) {
  // Incompressible, so the compressed data span several exchange buffers.
  Bytes data(200000);
  uint32_t state = 12345;
  for (uint8_t& b : data) b = static_cast<uint8_t>((state = state * 1103515245 + 12345) >> 24);
  plat::TMemoryStream source(pngtest::Deflate(data));
  TZDecompressionStream z(source);
  Bytes out(data.size());
  z.ReadBuffer(out.data(), 10);
  source.SetPosition(0);  // someone else used the stream in between
  z.ReadBuffer(out.data() + 10, static_cast<int64_t>(data.size()) - 10);
  EXPECT_EQ(out, data);
}

}  // namespace
}  // namespace pictavo
