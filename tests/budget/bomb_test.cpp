// Hostile files that claim far more pixels than their bytes hold, loaded under a hard memory
// limit: each must fail with its message, leave the previous image in place, and let the next
// good load work. A real large photo must still open, copy, snapshot and save.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "control/engine/raster/ticbitmap.h"
#include "control/formats/jpeg/exif.h"
#include "platform/base/exceptions.h"
#include "platform/graphics/pixel_budget.h"

namespace pictavo {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kUnderAsan = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kUnderAsan = true;
#else
constexpr bool kUnderAsan = false;
#endif
#else
constexpr bool kUnderAsan = false;
#endif

constexpr int64_t kMebibyte = int64_t{1} << 20;
// What a bomb's child may map in all: the program and its libraries, and no large image.
constexpr rlim_t kChildAddressSpace = rlim_t{1536} * kMebibyte;
constexpr int64_t kChildBudget = 256 * kMebibyte;

void PutBE32(Bytes& b, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) b.push_back(static_cast<uint8_t>(v >> shift));
}
void PutLE16(Bytes& b, uint32_t v) {
  b.push_back(static_cast<uint8_t>(v));
  b.push_back(static_cast<uint8_t>(v >> 8));
}
void PutLE32(Bytes& b, uint32_t v) {
  PutLE16(b, v & 0xFFFF);
  PutLE16(b, v >> 16);
}

TicBitmap Pattern(int width, int height) {
  TicBitmap image;
  image.SetPixelFormat(plat::TPixelFormat::pf24bit);
  image.SetSize(width, height);
  for (int y = 0; y < height; ++y) {
    uint8_t* row = image.ScanLine(y);
    for (int x = 0; x < 3 * width; ++x) row[x] = static_cast<uint8_t>((x * 31) ^ (y * 17));
  }
  image.UpdateColorFormat();
  return image;
}

// A small JPEG of our encoder with its frame header claiming width x height.
Bytes JpegClaiming(uint16_t width, uint16_t height) {
  TicBitmap small = Pattern(16, 16);
  Bytes jpeg = small.SaveToBytes(gfJPG, false, 75);
  for (size_t i = 2; i + 9 < jpeg.size(); ++i) {
    if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) {
      jpeg[i + 5] = static_cast<uint8_t>(height >> 8);
      jpeg[i + 6] = static_cast<uint8_t>(height);
      jpeg[i + 7] = static_cast<uint8_t>(width >> 8);
      jpeg[i + 8] = static_cast<uint8_t>(width);
      return jpeg;
    }
  }
  ADD_FAILURE() << "no frame header";
  return jpeg;
}

// A little-endian TIFF of one 8-bit grey LZW strip holding only a few codes.
Bytes LzwTiffClaiming(uint32_t width, uint32_t height) {
  const Bytes strip = {0x80, 0x00, 0x20, 0x20};  // clear, 0, end of information
  Bytes b = {'I', 'I', 42, 0};
  const uint32_t entries = 8;
  const uint32_t strip_at = 8 + 2 + entries * 12 + 4;
  PutLE32(b, 8);
  PutLE16(b, entries);
  auto entry = [&b](uint16_t tag, uint16_t type, uint32_t value) {
    PutLE16(b, tag);
    PutLE16(b, type);
    PutLE32(b, 1);
    if (type == 3) {
      PutLE16(b, value);
      PutLE16(b, 0);
    } else {
      PutLE32(b, value);
    }
  };
  entry(256, 4, width);
  entry(257, 4, height);
  entry(258, 3, 8);
  entry(259, 3, 5);
  entry(262, 3, 1);
  entry(273, 4, strip_at);
  entry(278, 4, height);
  entry(279, 4, static_cast<uint32_t>(height) * width);  // the count a real strip would need
  PutLE32(b, 0);
  b.insert(b.end(), strip.begin(), strip.end());
  return b;
}

// A GIF of frames full-screen frames, each with nothing but a clear and an end code.
Bytes GifOfEmptyFrames(uint16_t side, int frames) {
  Bytes b = {'G', 'I', 'F', '8', '9', 'a'};
  PutLE16(b, side);
  PutLE16(b, side);
  b.insert(b.end(), {0x80, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF});  // two global colours
  for (int i = 0; i < frames; ++i) {
    b.push_back(0x2C);
    PutLE16(b, 0);
    PutLE16(b, 0);
    PutLE16(b, side);
    PutLE16(b, side);
    b.insert(b.end(), {0, 2, 1, 0x2C, 0});  // code size 2: clear (4) and end (5) in 3 bits
  }
  b.push_back(0x3B);
  return b;
}

void PutPngChunk(Bytes& png, const char* type, const Bytes& data) {
  PutBE32(png, static_cast<uint32_t>(data.size()));
  const size_t start = png.size();
  png.insert(png.end(), type, type + 4);
  png.insert(png.end(), data.begin(), data.end());
  PutBE32(png, static_cast<uint32_t>(crc32(0, png.data() + start, png.size() - start)));
}

// A complete, valid 8-bit grey PNG whose every row is zeros.
Bytes PngOfZeros(uint32_t side) {
  Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  Bytes ihdr;
  PutBE32(ihdr, side);
  PutBE32(ihdr, side);
  ihdr.insert(ihdr.end(), {8, 0, 0, 0, 0});
  PutPngChunk(png, "IHDR", ihdr);
  z_stream z{};
  deflateInit(&z, 9);
  const Bytes row(side + 1, 0);  // filter byte and samples
  Bytes idat;
  Bytes out(1 << 16);
  for (uint32_t y = 0; y < side; ++y) {
    z.next_in = const_cast<Bytef*>(row.data());
    z.avail_in = static_cast<uInt>(row.size());
    const int flush = y + 1 == side ? Z_FINISH : Z_NO_FLUSH;
    do {
      z.next_out = out.data();
      z.avail_out = static_cast<uInt>(out.size());
      deflate(&z, flush);
      idat.insert(idat.end(), out.data(), out.data() + (out.size() - z.avail_out));
    } while (z.avail_out == 0);
  }
  deflateEnd(&z);
  PutPngChunk(png, "IDAT", idat);
  PutPngChunk(png, "IEND", {});
  return png;
}

// A 24-bit BMP header for width x height with no pixel data after it.
Bytes BmpWithoutData(int32_t width, int32_t height) {
  Bytes b = {'B', 'M'};
  PutLE32(b, 54);
  PutLE32(b, 0);
  PutLE32(b, 54);
  PutLE32(b, 40);
  PutLE32(b, static_cast<uint32_t>(width));
  PutLE32(b, static_cast<uint32_t>(height));
  PutLE16(b, 1);
  PutLE16(b, 24);
  for (int i = 0; i < 6; ++i) PutLE32(b, 0);
  return b;
}

struct Bomb {
  const char* name;
  const char* file;
  std::function<Bytes()> make;
  std::string message;
};

std::vector<Bomb> BombTable() {
  return {
      {"JPEG claiming 20000 x 20000", "claim.jpg", [] { return JpegClaiming(20000, 20000); },
       plat::kImageTooLarge},
      {"JPEG claiming 30000 x 30000", "claim30.jpg", [] { return JpegClaiming(30000, 30000); },
       plat::kImageTooLarge},
      {"LZW TIFF of 10000 x 10000", "lzw.tif", [] { return LzwTiffClaiming(10000, 10000); },
       "TIFF file image is too large"},
      {"LZW TIFF of 16000 x 16000", "lzw16.tif", [] { return LzwTiffClaiming(16000, 16000); },
       "TIFF file image is too large"},
      {"GIF of 200 frames of 4096 x 4096", "frames.gif", [] { return GifOfEmptyFrames(4096, 200); },
       plat::kImageTooLarge},
      {"PNG of 20000 x 20000 zeros", "zeros.png", [] { return PngOfZeros(20000); },
       plat::kImageTooLarge},
      {"BMP with a huge height and no data", "tall.bmp",
       [] { return BmpWithoutData(1000, 1 << 30); },
       "Bitmap image is not valid: the image is too large"},
  };
}

void WriteFile(const std::string& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

// Runs check in a child process under the address-space limit; returns what it reported
// ("" when all held).
std::string InLimitedChild(const std::function<std::string()>& check) {
  int channel[2];
  if (pipe(channel) != 0) return "pipe failed";
  const pid_t child = fork();
  if (child == 0) {
    close(channel[0]);
    const rlimit limit{kChildAddressSpace, kChildAddressSpace};
    setrlimit(RLIMIT_AS, &limit);
    plat::SetPixelBudget(kChildBudget);
    std::string report;
    try {
      report = check();
    } catch (const std::exception& e) {
      report = std::string("escaped: ") + e.what();
    }
    if (!report.empty()) (void)!write(channel[1], report.data(), report.size());
    _exit(0);
  }
  close(channel[1]);
  std::string report;
  char buffer[512];
  for (ssize_t n; (n = read(channel[0], buffer, sizeof buffer)) > 0;) report.append(buffer, n);
  close(channel[0]);
  int status = 0;
  waitpid(child, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
    report += " (child ended abnormally, status " + std::to_string(status) + ")";
  return report;
}

class Bombs : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("bombs_" + std::to_string(getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }
  fs::path dir_;
};

std::string LoadAndReport(const std::string& bomb, const std::string& good,
                          const std::string& expected) {
  TicBitmap image;
  image.UseLZW = true;
  image.LoadImageFile(good, 0);
  const int width = image.Width();
  const plat::TColor corner = image.PixelColor(width - 1, image.Height() - 1);
  std::string message = "(loaded without error)";
  try {
    image.LoadImageFile(bomb, 0);
  } catch (const plat::Exception& e) {
    message = e.what();
  }
  if (message != expected) return "message \"" + message + "\"";
  if (image.Width() != width || image.PixelColor(width - 1, image.Height() - 1) != corner)
    return "the previous image was lost";
  TicBitmap next;
  next.UseLZW = true;
  next.LoadImageFile(good, 0);
  if (next.Width() != width) return "the next good load failed";
  return "";
}

TEST_F(Bombs, EachFailsWithItsMessageUnderAMemoryLimitAndKeepsThePreviousImage) {
  if (kUnderAsan) GTEST_SKIP() << "the address sanitizer cannot run under RLIMIT_AS";
  const std::string good = Path("good.bmp");
  Pattern(37, 23).SaveImageFile(good, false, 75);
  for (const Bomb& bomb : BombTable()) {
    const std::string path = Path(bomb.file);
    WriteFile(path, bomb.make());
    EXPECT_EQ(InLimitedChild([&] { return LoadAndReport(path, good, bomb.message); }), "")
        << bomb.name;
  }
}

TEST_F(Bombs, ThePixelBudgetBoundsAllLiveBitmapsTogether) {
  plat::SetPixelBudget(4 * kMebibyte);
  {
    plat::TBitmap first(1024, 1024, plat::TPixelFormat::pf24bit);  // 3 MiB
    EXPECT_THROW(plat::TBitmap(1024, 512, plat::TPixelFormat::pf24bit), plat::EImageTooLarge);
    plat::TBitmap shared(first);  // a copy shares the pixels until it writes
    EXPECT_THROW(shared.ScanLine(0), plat::EImageTooLarge);
  }
  plat::TBitmap after(1024, 1024, plat::TPixelFormat::pf24bit);  // freed pixels return
  EXPECT_EQ(after.Width(), 1024);
  plat::SetPixelBudget(0);
}

// A real 20000 x 20000 photo is within the default budget of a developer's machine and must
// open, be copied, snapshotted and saved.
TEST_F(Bombs, ARealLargeJpegOpensCopiesSnapshotsAndSaves) {
  if (kUnderAsan) GTEST_SKIP() << "too large for the address sanitizer's shadow memory";
  plat::SetPixelBudget(0);
  const std::string path = Path("large.jpg");
  const int side = 20000;
  {
    TicBitmap source = Pattern(side, side);
    source.SaveImageFile(path, false, 75);
  }
  TicBitmap image;
  image.LoadImageFile(path, 0);
  ASSERT_EQ(image.Width(), side);
  ASSERT_EQ(image.Height(), side);
  TicBitmap copy(image);
  copy.ScanLine(0)[0] ^= 0xFF;                                 // the copy gets pixels of its own
  const Bytes snapshot = image.SaveToBytes(gfBMP, false, 75);  // as WriteBinary keeps it
  EXPECT_GT(snapshot.size(), size_t{3} * side * side);
  image.SaveImageFile(Path("again.jpg"), false, 75);
  EXPECT_GT(fs::file_size(Path("again.jpg")), 0u);
}

// A JPEG whose APP1 (EXIF) segment is cut off in the middle.
Bytes JpegCutInsideApp1() {
  TicBitmap image = Pattern(8, 8);
  EXPECT_TRUE(image.Exif->SetAttribute("ImageDescription", std::u16string(200, u'x')));
  Bytes jpeg = image.SaveToBytes(gfJPG, false, 80);
  for (size_t i = 2; i + 3 < jpeg.size(); ++i)
    if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xE1) {
      jpeg.resize(i + 60);
      return jpeg;
    }
  ADD_FAILURE() << "our encoder wrote no APP1 segment";
  return jpeg;
}

// A TIFF of ours cut before its directory.
Bytes TiffCutBeforeItsDirectory() {
  Bytes tiff = Pattern(16, 16).SaveToBytes(gfTIF, false, 0);
  tiff.resize(tiff.size() / 2);
  return tiff;
}

struct LoadCase {
  const char* name;
  const char* file;  // written unless make is empty; "folder/" makes a folder
  Bytes (*make)();
  bool (*is_class)(const plat::Exception&);
  std::string message;
};

template <class E>
bool Is(const plat::Exception& e) {
  return dynamic_cast<const E*>(&e) != nullptr;
}

// What a user reads when a file cannot be loaded for other reasons: the message names the file
// and the cause, and the image that was there before stays.
TEST_F(Bombs, OtherLoadFailuresNameTheFileAndTheirCause) {
  const LoadCase cases[] = {
      {"zero bytes", "nothing.jpg", [] { return Bytes{}; }, Is<plat::EReadError>,
       "The file nothing.jpg is empty"},
      {"a folder", "pictures", nullptr, Is<plat::EFOpenError>, "pictures is a folder, not a file"},
      {"a TIFF cut before its directory", "cut.tif", TiffCutBeforeItsDirectory,
       Is<plat::EReadError>, "cut.tif: TIFF file is truncated"},
      {"a JPEG cut inside its EXIF segment", "cut.jpg", JpegCutInsideApp1,
       Is<plat::EInvalidGraphic>, "The file cut.jpg is corrupt or not in JPG format."},
  };
  const std::string good = Path("good.bmp");
  Pattern(5, 3).SaveImageFile(good, false, 0);
  for (const LoadCase& c : cases) {
    const std::string path = Path(c.file);
    if (c.make) {
      WriteFile(path, c.make());
    } else {
      fs::create_directories(path);
    }
    TicBitmap image;
    image.LoadImageFile(good, 0);
    try {
      image.LoadImageFile(path, 0);
      ADD_FAILURE() << c.name << " loaded";
    } catch (const plat::Exception& e) {
      EXPECT_EQ(std::string(e.what()), c.message) << c.name;
      EXPECT_TRUE(c.is_class(e)) << c.name << ": " << typeid(e).name();
    }
    EXPECT_EQ(image.Width(), 5) << c.name;
    EXPECT_EQ(image.Height(), 3) << c.name;
  }
}

}  // namespace
}  // namespace pictavo
