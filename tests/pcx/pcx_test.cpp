// The PCX codec with netpbm as the referee both ways: ppmtopcx writes what we read, pcxtoppm
// reads what we write, in all four layouts, odd widths, long runs and bytes of 192 and more.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "control/formats/jpeg/be_stream.h"
#include "control/formats/pcx/pcx_image.h"
#include "graphics/referee.h"
#include "platform/base/exceptions.h"
#include "platform/base/streams.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/canvas.h"
#include "platform/graphics/pixel_access.h"

namespace velmora_test {
namespace {

using pictavo::TPCXImage;
using TPicture = std::function<plat::TColor(int x, int y)>;

// A picture with `colours` colours (all with bytes of 192 and more somewhere), long runs on its
// first row and short ones below.
TPicture Picture(int colours) {
  return [colours](int x, int y) {
    const int i = y == 0 ? (x < 70 ? 1 : 2) % colours : (x * 9 + y * 37) % colours;
    return plat::RGB(static_cast<uint8_t>(255 - (i % 64) * 3), static_cast<uint8_t>(i / 64 * 50),
                     static_cast<uint8_t>(192 + i % 64));
  };
}

void WritePpm(const std::string& path, int width, int height, const TPicture& picture) {
  std::string head = "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
  std::vector<uint8_t> bytes(head.begin(), head.end());
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const plat::TColor c = picture(x, y);
      bytes.insert(bytes.end(), {plat::GetRValue(c), plat::GetGValue(c), plat::GetBValue(c)});
    }
  WriteBytes(path, bytes);
}

void ExpectPicture(const plat::TBitmap& image, int width, int height, const TPicture& picture) {
  ASSERT_EQ(image.Width(), width);
  ASSERT_EQ(image.Height(), height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      ASSERT_EQ(image.PixelColor(x, y), picture(x, y)) << x << "," << y;
}

// The pixels of a netpbm file (P4, P5 or P6 with maxval 255) as colours.
TPicture ReadPnm(const std::string& path, int& width, int& height) {
  const std::vector<uint8_t> bytes = ReadBytes(path);
  std::string head(bytes.begin(), bytes.begin() + std::min<size_t>(bytes.size(), 40));
  char kind = 0;
  int fields = 0, consumed = 0;
  if (head.size() > 1 && head[1] == '4')
    fields = std::sscanf(head.c_str(), "P%c %d %d%n", &kind, &width, &height, &consumed);
  else
    fields = std::sscanf(head.c_str(), "P%c %d %d 255%n", &kind, &width, &height, &consumed);
  if (fields != 3) return {};
  const std::vector<uint8_t> pixels(bytes.begin() + consumed + 1, bytes.end());
  const int w = width;
  return [pixels, kind, w](int x, int y) {
    if (kind == '4') {
      const bool black = plat::IndexAt(&pixels[static_cast<size_t>(y) * ((w + 7) / 8)], x, 1);
      return black ? plat::RGB(0, 0, 0) : plat::RGB(255, 255, 255);
    }
    const size_t at = (static_cast<size_t>(y) * w + x) * 3;
    return plat::RGB(pixels[at], pixels[at + 1], pixels[at + 2]);
  };
}

std::vector<uint8_t> Save(const plat::TBitmap& image, int dpi = 0) {
  TPCXImage pcx;
  pcx.Assign(image);
  pcx.SetXDPI(dpi);
  pcx.SetYDPI(dpi);
  plat::TMemoryStream out;
  pcx.SaveToStream(out);
  return out.Bytes();
}

std::string LoadError(const std::vector<uint8_t>& bytes) {
  TPCXImage pcx;
  plat::TReadOnlyMemoryStream in(bytes.data(), static_cast<int64_t>(bytes.size()));
  try {
    pcx.LoadFromStream(in);
  } catch (const plat::EInvalidGraphic& e) {
    return e.what();
  }
  return "loaded";
}

TEST(PcxNetpbm, ReadsWhatPpmtopcxWritesInEveryLayout) {
  ScratchDir dir;
  const struct {
    int colours;
    int width;
    const char* options;
    int bits, planes, bytes_per_line;
  } cases[] = {
      {2, 20, "", 1, 1, 3},  // odd bytes per line
      {2, 133, "-xpos 5 -ypos 7", 1, 1, 17},
      {11, 21, "", 1, 4, 3},
      {200, 131, "", 8, 1, 131},
      {300, 71, "", 8, 3, 71},
      {2, 75, "-24bit", 8, 3, 75},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.colours) + " colours " + c.options);
    const TPicture picture = Picture(c.colours);
    WritePpm(dir.File("in.ppm"), c.width, 9, picture);
    ASSERT_TRUE(velmora_test::Run("ppmtopcx " + std::string(c.options) + " '" + dir.File("in.ppm") +
                                  "' > '" + dir.File("in.pcx") + "' 2>/dev/null"));
    TPCXImage pcx;
    pcx.LoadFromFile(dir.File("in.pcx"));
    EXPECT_EQ(pcx.BitsPerPixel, c.bits);
    EXPECT_EQ(pcx.Planes, c.planes);
    EXPECT_EQ(pcx.BytesPerLine, c.bytes_per_line);
    ExpectPicture(pcx.PixelHolder, c.width, 9, picture);
  }
}

TEST(PcxNetpbm, PcxtoppmReadsWhatWeWriteInEveryLayout) {
  ScratchDir dir;
  const plat::TColorTable black_white{{0, 0, 0, 0}, {255, 255, 255, 0}};
  const plat::TColorTable red_blue{{0, 0, 255, 0}, {255, 0, 0, 0}};
  auto indexed = [](plat::TPixelFormat format, const plat::TColorTable& palette, int width) {
    plat::TBitmap image(width, 7, format);
    image.SetColorTable(palette);
    const int bits = plat::BitsPerPixel(format);
    for (int y = 0; y < 7; ++y)
      for (int x = 0; x < width; ++x)
        plat::SetIndexAt(image.ScanLine(y), x, bits,
                         static_cast<uint8_t>((y == 0 ? x / 70 : x / 2 + y) % palette.size()));
    return image;
  };
  plat::TColorTable sixteen, many;
  for (int i = 0; i < 16; ++i) sixteen.push_back({uint8_t(i * 16), uint8_t(255 - i), 200, 0});
  for (int i = 0; i < 256; ++i) many.push_back({uint8_t(i), uint8_t(255 - i), uint8_t(i * 7), 0});
  plat::TBitmap colour(141, 7, plat::TPixelFormat::pf24bit);
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 141; ++x)
      colour.SetPixelColor(x, y, y == 0 ? plat::RGB(250, 200, 193) : plat::RGB(x, y * 30, 255 - x));
  plat::TBitmap sixteen_bit(colour);
  sixteen_bit.SetPixelFormat(plat::TPixelFormat::pf16bit);
  const struct {
    const char* name;
    plat::TBitmap image;
  } cases[] = {
      {"black and white, 20 wide", indexed(plat::TPixelFormat::pf1bit, black_white, 20)},
      {"two colours keep theirs", indexed(plat::TPixelFormat::pf1bit, red_blue, 133)},
      {"16 colours", indexed(plat::TPixelFormat::pf4bit, sixteen, 141)},
      {"256 colours, odd width", indexed(plat::TPixelFormat::pf8bit, many, 141)},
      {"24-bit, runs of 63 and more", colour},
      {"16-bit goes out as 24-bit", sixteen_bit},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    WriteBytes(dir.File("out.pcx"), Save(c.image));
    ASSERT_TRUE(velmora_test::Run("pcxtoppm '" + dir.File("out.pcx") + "' > '" +
                                  dir.File("out.ppm") + "' 2>/dev/null"));
    int width = 0, height = 0;
    const TPicture theirs = ReadPnm(dir.File("out.ppm"), width, height);
    ASSERT_TRUE(theirs);
    ExpectPicture(c.image, width, height, theirs);
  }
}

// Old writers leave the palette of a 1-bit file empty; pcxtoppm shows such a file black and
// white. Equal non-zero entries would hide the picture too: they also read black and white
// (pcxtoppm 11.1 paints them in the one colour).
TEST(PcxNetpbm, EmptyOrEqualMonoPaletteReadsBlackAndWhite) {
  ScratchDir dir;
  plat::TBitmap image(20, 3, plat::TPixelFormat::pf1bit);
  image.SetColorTable({{0, 0, 0, 0}, {255, 255, 255, 0}});
  for (int y = 0; y < 3; ++y) image.ScanLine(y)[1] = static_cast<uint8_t>(0x5A + y);
  std::vector<uint8_t> file = Save(image);
  std::fill(file.begin() + 16, file.begin() + 22, 0);
  WriteBytes(dir.File("mono.pcx"), file);
  ASSERT_TRUE(velmora_test::Run("pcxtoppm '" + dir.File("mono.pcx") + "' > '" +
                                dir.File("mono.ppm") + "' 2>/dev/null"));
  int width = 0, height = 0;
  const TPicture theirs = ReadPnm(dir.File("mono.ppm"), width, height);
  ASSERT_TRUE(theirs);
  TPCXImage pcx;
  pcx.LoadFromFile(dir.File("mono.pcx"));
  ExpectPicture(pcx.PixelHolder, width, height, theirs);

  std::fill(file.begin() + 16, file.begin() + 22, 0x80);
  WriteBytes(dir.File("grey.pcx"), file);
  pcx.LoadFromFile(dir.File("grey.pcx"));
  ExpectPicture(pcx.PixelHolder, 20, 3, [&image](int x, int y) { return image.PixelColor(x, y); });
}

TEST(PcxCodec, ResolutionTravelsThroughTheFactor) {
  plat::TBitmap image(3, 2, plat::TPixelFormat::pf24bit);
  std::vector<uint8_t> file = Save(image, 300);
  TPCXImage pcx;
  plat::TReadOnlyMemoryStream in(file.data(), static_cast<int64_t>(file.size()));
  pcx.LoadFromStream(in);
  EXPECT_EQ(pcx.HorizontalDPI, 300);
  EXPECT_EQ(pcx.PixelHolder.GetXPelsPerMeter(), 11811);  // 300 x 39.37007874, rounded
  EXPECT_EQ(pcx.GetYDPI(), 300);
}

TEST(PcxCodec, RunsCrossingALineEndGoOnInTheNextLine) {
  // 8 bits, 1 plane, 4 pixels by 2 rows: one run of eight 7s covers both lines.
  std::vector<uint8_t> file(128, 0);
  file[0] = 10, file[1] = 5, file[2] = 1, file[3] = 8;
  file[8] = 3, file[10] = 1, file[65] = 1, file[66] = 4;
  file.insert(file.end(), {0xC8, 7});
  file.push_back(12);
  for (int i = 0; i < 256; ++i) file.insert(file.end(), {uint8_t(i), 0, 0});
  TPCXImage pcx;
  plat::TReadOnlyMemoryStream in(file.data(), static_cast<int64_t>(file.size()));
  pcx.LoadFromStream(in);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(pcx.PixelHolder.PixelColor(x, y), plat::RGB(7, 0, 0));
}

TEST(PcxCodec, RefusesWithTheMessageOfEachFault) {
  plat::TBitmap image(20, 4, plat::TPixelFormat::pf24bit);
  const std::vector<uint8_t> good = Save(image);
  auto with = [&good](size_t at, std::vector<uint8_t> bytes) {
    std::vector<uint8_t> file = good;
    for (size_t i = 0; i < bytes.size(); ++i) file.at(at + i) = bytes[i];
    return file;
  };
  const std::vector<uint8_t> eight_bit_palette_short = [] {
    std::vector<uint8_t> f(128 + 700, 0);
    f[0] = 10, f[1] = 5, f[2] = 1, f[3] = 8, f[65] = 1, f[66] = 1;
    return f;
  }();
  const struct {
    const char* name;
    std::vector<uint8_t> bytes;
    const char* message;
  } cases[] = {
      {"header only", std::vector<uint8_t>(good.begin(), good.begin() + 128), "Invalid PCX File"},
      {"version 6", with(1, {6}), "Invalid PCX File"},
      {"encoding 0", with(2, {0}), "Invalid PCX File"},
      {"x max below x min", with(4, {30, 0}), "Invalid PCX File"},
      {"y max below y min", with(6, {9, 0}), "Invalid PCX File"},
      {"bytes per line 0", with(66, {0, 0}), "Invalid PCX File"},
      {"bytes per line below the width", with(66, {19, 0}), "Invalid PCX File"},
      {"palette tail missing", eight_bit_palette_short, "Invalid PCX File"},
      {"2 bits a pixel", with(3, {2}), "Error reading PCX file."},
      {"cut off in the pixel data", std::vector<uint8_t>(good.begin(), good.end() - 5),
       "Error reading PCX file."},
      {"far more rows than data", with(10, {0xFF, 0x7F}), "Error reading PCX file."},
      {"well formed", good, "loaded"},
  };
  for (const auto& c : cases) EXPECT_EQ(LoadError(c.bytes), c.message) << c.name;

  TPCXImage pcx;
  plat::TBitmap surface(1, 1, plat::TPixelFormat::pf24bit);
  try {
    pcx.Draw(surface.Canvas(), {0, 0, 1, 1});
    ADD_FAILURE() << "drew";
  } catch (const plat::EInvalidGraphic& e) {
    EXPECT_STREQ(e.what(), "Function not supported");
  }
  uint16_t format = 0;
  plat::THandle data = 0, palette = 0;
  try {
    pcx.SaveToClipboardFormat(format, data, palette);
    ADD_FAILURE() << "copied";
  } catch (const plat::EInvalidGraphic& e) {
    EXPECT_STREQ(e.what(), "Clipboard functions not supported");
  }
}

}  // namespace
}  // namespace velmora_test
