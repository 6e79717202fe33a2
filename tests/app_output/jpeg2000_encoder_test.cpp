// The encoder's files judged by OpenJPEG's own tools: pixels back through opj_decompress, the
// code stream's parameters through opj_dump, the JP2 boxes read byte by byte.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <cmath>
#include <filesystem>
#include <functional>
#include <regex>
#include <thread>

#include "app/output/jpeg2000_encoder.h"
#include "app_output/openjpeg_referee.h"
#include "platform/base/streams.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/pixel_access.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;
using plat::TBitmap;
using plat::TPixelFormat;
using test::Decoded;

// A repeatable pseudo-random byte stream, so "photo-like" images carry real detail.
struct Noise {
  uint32_t state = 12345;
  uint8_t Next() {
    state = state * 1103515245u + 12345u;
    return static_cast<uint8_t>(state >> 16);
  }
};

// Smooth gradients with a little grain, like a photograph.
TBitmap Photo(int width, int height) {
  TBitmap bitmap(width, height, TPixelFormat::pf24bit);
  Noise noise;
  for (int y = 0; y < height; ++y) {
    uint8_t* row = bitmap.ScanLine(y);
    for (int x = 0; x < width; ++x) {
      const double fx = x / 17.0, fy = y / 23.0;
      row[3 * x] = static_cast<uint8_t>(128 + 90 * std::sin(fx) + noise.Next() % 24);
      row[3 * x + 1] = static_cast<uint8_t>(128 + 90 * std::cos(fy + fx / 3) + noise.Next() % 24);
      row[3 * x + 2] = static_cast<uint8_t>(x * 255 / std::max(1, width - 1));
    }
  }
  return bitmap;
}

TBitmap Indexed(int width, int height, TPixelFormat format, const plat::TColorTable& palette) {
  TBitmap bitmap(width, height, format);
  bitmap.SetColorTable(palette);
  const int bits = plat::BitsPerPixel(format);
  Noise noise;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      plat::SetIndexAt(bitmap.ScanLine(y), x, bits,
                       static_cast<uint8_t>(noise.Next() % palette.size()));
  return bitmap;
}

plat::TColorTable GreyRamp() {
  plat::TColorTable ramp(256);
  for (int i = 0; i < 256; ++i)
    ramp[i] = {static_cast<uint8_t>(i), static_cast<uint8_t>(i), static_cast<uint8_t>(i), 0};
  return ramp;
}

plat::TColorTable Colours(int count) {
  plat::TColorTable palette(count);
  Noise noise;
  for (plat::TRGBQuad& entry : palette) entry = {noise.Next(), noise.Next(), noise.Next(), 0};
  return palette;
}

struct Fixture : ::testing::Test {
  fs::path folder;

  void SetUp() override {
    folder = fs::path(VELMORA_BINARY_DIR) / "test-scratch" /
             ::testing::UnitTest::GetInstance()->current_test_info()->name();
    fs::remove_all(folder);
    fs::create_directories(folder);
  }

  // Saves bitmap through the encoder's public calls, as the binding makes them.
  static void Save(const TBitmap& bitmap, const std::string& path, int32_t rate) {
    TJpeg2000Encoder encoder;
    plat::THandle handle = plat::NewBitmapHandle(bitmap);
    encoder.SetBitmap(handle);
    plat::DeleteBitmapHandle(handle);
    encoder.SetRate(rate);
    int32_t format = encoder.FormatOfExtension(fs::path(path).extension().string().substr(1));
    encoder.SaveFile(format, path);
  }

  static std::vector<uint8_t> Encoded(const TBitmap& bitmap, int32_t rate, int threads = 1,
                                      int32_t format = kCodestreamFormat) {
    TJpeg2000Encoder encoder;
    plat::THandle handle = plat::NewBitmapHandle(bitmap);
    encoder.SetBitmap(handle);
    plat::DeleteBitmapHandle(handle);
    encoder.SetRate(rate);
    encoder.SetThreads(threads);
    plat::TMemoryStream out;
    encoder.Encode(format, out);
    return out.TakeBytes();
  }

  Decoded Decode(const fs::path& path) const {
    return test::DecodeWithOpenJpeg(path.string(), folder.string());
  }
};

// The source's colours as the platform reports them, the referee for every decoded pixel.
void ExpectSamePixels(const TBitmap& source, const Decoded& decoded) {
  ASSERT_EQ(decoded.width, source.Width());
  ASSERT_EQ(decoded.height, source.Height());
  int wrong = 0;
  for (int y = 0; y < source.Height(); ++y)
    for (int x = 0; x < source.Width(); ++x) {
      const plat::TColor colour = source.PixelColor(x, y);
      const uint8_t* got =
          &decoded.samples[(static_cast<size_t>(y) * decoded.width + x) * decoded.channels];
      const bool same = decoded.channels == 1 ? got[0] == plat::GetRValue(colour) &&
                                                    got[0] == plat::GetGValue(colour) &&
                                                    got[0] == plat::GetBValue(colour)
                                              : got[0] == plat::GetRValue(colour) &&
                                                    got[1] == plat::GetGValue(colour) &&
                                                    got[2] == plat::GetBValue(colour);
      wrong += same ? 0 : 1;
    }
  EXPECT_EQ(wrong, 0);
}

int CountOf(const std::string& text, const std::string& what) {
  int count = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++count;
  return count;
}

struct LosslessCase {
  const char* name;
  std::function<TBitmap()> make;
  int components;
  int resolutions;
};

const std::vector<LosslessCase>& LosslessCases() {
  static const std::vector<LosslessCase> cases = {
      {"photo24", [] { return Photo(64, 48); }, 3, 6},
      {"grey8", [] { return Indexed(40, 30, TPixelFormat::pf8bit, GreyRamp()); }, 1, 5},
      {"bw1",
       [] {
         return Indexed(33, 17, TPixelFormat::pf1bit, {{0, 0, 0, 0}, {255, 255, 255, 0}});
       },
       1, 5},
      {"palette4", [] { return Indexed(21, 13, TPixelFormat::pf4bit, Colours(16)); }, 3, 4},
      {"palette8", [] { return Indexed(37, 19, TPixelFormat::pf8bit, Colours(256)); }, 3, 5},
      {"grey4",
       [] {
         plat::TColorTable greys(16);
         for (int i = 0; i < 16; ++i) greys[i] = GreyRamp()[255 - 17 * i];
         return Indexed(19, 11, TPixelFormat::pf4bit, greys);
       },
       1, 4},
      {"rgb16",
       [] {
         TBitmap bitmap = Photo(20, 20);
         bitmap.SetPixelFormat(TPixelFormat::pf16bit);
         return bitmap;
       },
       3, 5},
      {"argb32",
       [] {
         TBitmap bitmap = Photo(20, 20);
         bitmap.SetPixelFormat(TPixelFormat::pf32bit);
         return bitmap;
       },
       3, 5},
      {"one_by_one", [] { return Photo(1, 1); }, 3, 1},
      {"one_by_500", [] { return Photo(1, 500); }, 3, 1},
      {"4000_by_one", [] { return Photo(4000, 1); }, 3, 1},
  };
  return cases;
}

// Every kind of source comes back pixel for pixel at rate 25, as either container, with the
// reversible wavelet, its component count and as many resolution levels as its smaller side holds.
TEST_F(Fixture, LosslessRoundTripsThroughOpenJpeg) {
  for (const LosslessCase& c : LosslessCases()) {
    for (const char* extension : {".jp2", ".jpc"}) {
      SCOPED_TRACE(std::string(c.name) + extension);
      const TBitmap source = c.make();
      const fs::path path = folder / (std::string(c.name) + extension);
      Save(source, path.string(), TJpeg2000Encoder::kLosslessRate);
      ExpectSamePixels(source, Decode(path));
      const std::string dump = test::DumpWithOpenJpeg(path.string());
      EXPECT_EQ(CountOf(dump, "component "), c.components);
      EXPECT_EQ(CountOf(dump, "qmfbid=1"), c.components);
      EXPECT_EQ(CountOf(dump, "numresolutions=" + std::to_string(c.resolutions) + "\n"),
                c.components);
      EXPECT_EQ(CountOf(dump, "cblkw=2^6"), c.components);
      EXPECT_NE(dump.find("prg=0"), std::string::npos);  // LRCP
      EXPECT_NE(dump.find("tw=1, th=1"), std::string::npos);
    }
  }
}

// The JP2 file carries signature, file type, header with a colour box naming sRGB or greyscale,
// and the code stream; ".jpc" is the bare code stream.
TEST_F(Fixture, ContainerMatchesExtension) {
  struct Case {
    const char* name;
    TBitmap source;
    uint8_t colour_space;  // enumerated colour space of the colr box
  };
  const Case cases[] = {{"colour", Photo(16, 16), 16},
                        {"grey", Indexed(16, 16, TPixelFormat::pf8bit, GreyRamp()), 17}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path jp2 = folder / (std::string(c.name) + ".jp2");
    const fs::path jpc = folder / (std::string(c.name) + ".jpc");
    Save(c.source, jp2.string(), 20);
    Save(c.source, jpc.string(), 20);

    const std::vector<test::Box> boxes = test::BoxesOf(plat::ReadWholeFile(jp2.string()));
    ASSERT_EQ(boxes.size(), 4u);
    EXPECT_EQ(boxes[0].type, "jP  ");
    EXPECT_EQ(boxes[1].type, "ftyp");
    EXPECT_EQ(boxes[2].type, "jp2h");
    EXPECT_EQ(boxes[3].type, "jp2c");
    const std::vector<test::Box> header = test::BoxesOf(boxes[2].content);
    ASSERT_EQ(header.size(), 2u);
    EXPECT_EQ(header[0].type, "ihdr");
    ASSERT_EQ(header[1].type, "colr");
    ASSERT_EQ(header[1].content.size(), 7u);
    EXPECT_EQ(header[1].content[0], 1);  // enumerated method
    EXPECT_EQ(header[1].content[6], c.colour_space);

    const std::vector<uint8_t> stream = plat::ReadWholeFile(jpc.string());
    ASSERT_GE(stream.size(), 4u);
    EXPECT_EQ(std::vector<uint8_t>(stream.begin(), stream.begin() + 4),
              (std::vector<uint8_t>{0xFF, 0x4F, 0xFF, 0x51}));
    EXPECT_EQ(boxes[3].content, stream);  // the same code stream in both containers
  }
}

double Psnr(const TBitmap& source, const Decoded& decoded) {
  double squares = 0;
  for (int y = 0; y < source.Height(); ++y)
    for (int x = 0; x < source.Width(); ++x) {
      const plat::TColor colour = source.PixelColor(x, y);
      const uint8_t expected[3] = {plat::GetRValue(colour), plat::GetGValue(colour),
                                   plat::GetBValue(colour)};
      for (int c = 0; c < 3; ++c) {
        const double d =
            decoded.samples[(static_cast<size_t>(y) * decoded.width + x) * 3 + c] - expected[c];
        squares += d * d;
      }
    }
  const double mse = squares / (3.0 * source.Width() * source.Height());
  return 10 * std::log10(255.0 * 255.0 / mse);
}

// Higher rates keep more: quality and size grow with the rate, rate 20 is about 1:5, and the
// lossy rates use the irreversible wavelet.
TEST_F(Fixture, LossyQualityAndSizeRiseWithRate) {
  const TBitmap source = Photo(256, 192);
  const double raw = 256.0 * 192 * 3;
  double last_psnr = 0;
  uintmax_t last_size = 0;
  for (int rate : {5, 10, 20, 24}) {
    SCOPED_TRACE(rate);
    const fs::path path = folder / ("rate" + std::to_string(rate) + ".jpc");
    Save(source, path.string(), rate);
    const double psnr = Psnr(source, Decode(path));
    const uintmax_t size = fs::file_size(path);
    EXPECT_GT(psnr, last_psnr);
    EXPECT_GT(size, last_size);
    EXPECT_LE(size, raw * rate / 100 * 1.02);
    if (rate == 20) {
      EXPECT_GT(size, raw / 5 * 0.85);
    }
    EXPECT_EQ(CountOf(test::DumpWithOpenJpeg(path.string()), "qmfbid=0"), 3);
    last_psnr = psnr;
    last_size = size;
  }
}

// A rate from a damaged settings file is clamped, never used to divide.
TEST_F(Fixture, RateOutsideTheScaleIsClamped) {
  const TBitmap source = Photo(48, 48);
  EXPECT_EQ(Encoded(source, 0), Encoded(source, 1));
  EXPECT_EQ(Encoded(source, -7), Encoded(source, 1));
  EXPECT_EQ(Encoded(source, 99), Encoded(source, 25));
  EXPECT_NE(Encoded(source, 1), Encoded(source, 25));
}

// The thread count changes only the speed.
TEST_F(Fixture, ThreadsGiveTheSameFile) {
  const TBitmap source = Photo(300, 200);
  for (int rate : {20, 25}) {
    SCOPED_TRACE(rate);
    EXPECT_EQ(Encoded(source, rate, 1), Encoded(source, rate, 4));
  }
}

// The encoder keeps the picture as it was handed over: the caller may change or free its own,
// before the save or while a worker encodes (the pixels are read where they lie).
TEST_F(Fixture, ThePictureStaysAsHandedOver) {
  for (const bool on_worker : {false, true}) {
    SCOPED_TRACE(on_worker ? "worker" : "same thread");
    const TBitmap source = Photo(64, 40);
    TBitmap shown = source;
    TJpeg2000Encoder encoder;
    plat::THandle handle = shown.GetHandle();
    encoder.SetBitmap(handle);
    encoder.SetRate(TJpeg2000Encoder::kLosslessRate);
    const fs::path path = folder / "kept.jp2";
    const auto save = [&] {
      int32_t format = kJp2Format;
      encoder.SaveFile(format, path.string());
    };
    std::thread worker;
    if (on_worker) worker = std::thread(save);
    shown.FillRect({0, 0, 64, 40}, plat::TColor{0x00FF00});
    shown.Clear();
    if (on_worker)
      worker.join();
    else
      save();
    ExpectSamePixels(source, Decode(path));
  }
}

// The samples counted for the budget of encodes in flight: one byte a pixel for a grey palette,
// three for every other kind; a save gives the picture up, so a second save has nothing to write.
TEST_F(Fixture, SampleBytesAndTheSaveThatGivesThePictureUp) {
  struct Case {
    const char* name;
    TBitmap source;
    size_t bytes_per_pixel;
  };
  const Case cases[] = {
      {"photo24", Photo(30, 20), 3},
      {"grey8", Indexed(30, 20, TPixelFormat::pf8bit, GreyRamp()), 1},
      {"palette4", Indexed(30, 20, TPixelFormat::pf4bit, Colours(16)), 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TJpeg2000Encoder encoder;
    EXPECT_EQ(encoder.SampleBytes(), 0u);
    plat::THandle handle = plat::NewBitmapHandle(c.source);
    encoder.SetBitmap(handle);
    plat::DeleteBitmapHandle(handle);
    EXPECT_EQ(encoder.SampleBytes(), 30u * 20u * c.bytes_per_pixel);
    int32_t format = kCodestreamFormat;
    const fs::path path = folder / (std::string(c.name) + ".jpc");
    encoder.SaveFile(format, path.string());
    EXPECT_EQ(Decode(path).width, 30);
    EXPECT_EQ(encoder.SampleBytes(), 0u);
    EXPECT_THROW(encoder.SaveFile(format, (folder / "again.jpc").string()),
                 plat::EInvalidGraphicOperation);
    EXPECT_FALSE(fs::exists(folder / "again.jpc"));
  }
}

TEST_F(Fixture, FormatCodesAndRefusals) {
  TJpeg2000Encoder encoder;
  EXPECT_EQ(encoder.FormatOfExtension("jp2"), kJp2Format);
  EXPECT_EQ(encoder.FormatOfExtension("JP2"), kJp2Format);
  EXPECT_EQ(encoder.FormatOfExtension("jpc"), kCodestreamFormat);
  EXPECT_NE(kJp2Format, kCodestreamFormat);
  for (const char* extension : {"png", "j2k", "", "jp2 ", "folder/photo"}) {
    try {
      encoder.FormatOfExtension(extension);
      ADD_FAILURE() << extension;
    } catch (const EJpeg2000Error& e) {
      EXPECT_EQ(e.Message(), std::string("Unsupported JPEG 2000 format: ") + extension);
    }
  }
  plat::THandle dead = 0xFFFF0000;
  EXPECT_THROW(encoder.SetBitmap(dead), plat::EInvalidGraphic);
  int32_t format = kJp2Format;
  EXPECT_THROW(encoder.SaveFile(format, (folder / "none.jp2").string()), plat::Exception);
  EXPECT_FALSE(fs::exists(folder / "none.jp2"));
}

std::vector<fs::path> Listing(const fs::path& folder) {
  std::vector<fs::path> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename());
  return names;
}

// A path that runs through a regular file cannot be written, even by root: the save raises and
// leaves nothing behind.
TEST_F(Fixture, UnwritablePathRaisesAndLeavesNoFile) {
  const fs::path blocker = folder / "blocker";
  plat::TMemoryStream(std::vector<uint8_t>{'x'}).SaveToFile(blocker.string());
  const std::string path = (blocker / "out.jp2").string();
  try {
    Save(Photo(8, 8), path, 20);
    ADD_FAILURE() << "no error";
  } catch (const plat::Exception& e) {
    EXPECT_NE(e.Message().find(path), std::string::npos) << e.Message();
  }
  EXPECT_EQ(Listing(folder), std::vector<fs::path>{"blocker"});
  EXPECT_EQ(plat::ReadWholeFile(blocker.string()), std::vector<uint8_t>{'x'});
}

// A file-size limit makes OpenJPEG's writes fail part way: the error comes back and the earlier
// file of that name is untouched, with no temporary left beside it.
TEST_F(Fixture, FailedEncodeKeepsTheEarlierFile) {
  const fs::path target = folder / "kept.jpc";
  const std::vector<uint8_t> earlier = {'e', 'a', 'r', 'l', 'i', 'e', 'r'};
  plat::TMemoryStream(earlier).SaveToFile(target.string());
  const TBitmap big = Photo(256, 256);

  rlimit saved{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  rlimit small = saved;
  small.rlim_cur = 4096;
  auto* previous = ::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  std::string message;
  try {
    Save(big, target.string(), 25);
  } catch (const plat::Exception& e) {
    message = e.Message();
  }
  ::setrlimit(RLIMIT_FSIZE, &saved);
  ::signal(SIGXFSZ, previous);

  EXPECT_EQ(message, "Stream write error");
  EXPECT_EQ(plat::ReadWholeFile(target.string()), earlier);
  EXPECT_EQ(Listing(folder), std::vector<fs::path>{"kept.jpc"});
}

}  // namespace
}  // namespace velmora
