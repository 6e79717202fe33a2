// The PSD codec: files ImageMagick writes load with ImageMagick's pixels; small hand-made files
// cover what it does not write; files we write are read back by ImageMagick and exiftool.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "control/formats/jpeg/be_stream.h"
#include "control/formats/tiff/psd_image.h"
#include "platform/graphics/pixel_access.h"
#include "tiff/tiff_helpers.h"

namespace velmora_test {
namespace {

using pictavo::PutDWordBE;
using pictavo::PutWordBE;
using pictavo::TPSDImage;

// A PSD file put together by hand: header, the three sections, then the image data as given.
struct PsdParts {
  uint16_t version = 1;
  uint16_t channels = 1;
  uint32_t height = 2;
  uint32_t width = 9;
  uint16_t depth = 8;
  uint16_t mode = 1;
  std::string mode_data;
  std::string resources;
  uint16_t compression = 0;
  std::string data;
};

PsdParts Parts(uint16_t mode, uint16_t channels, uint16_t depth, uint32_t width, uint32_t height,
               uint16_t compression = 0) {
  PsdParts p;
  p.mode = mode;
  p.channels = channels;
  p.depth = depth;
  p.width = width;
  p.height = height;
  p.compression = compression;
  return p;
}

std::vector<uint8_t> Build(const PsdParts& p) {
  std::string out = "8BPS";
  PutWordBE(out, p.version);
  out.append(6, '\0');
  PutWordBE(out, p.channels);
  PutDWordBE(out, p.height);
  PutDWordBE(out, p.width);
  PutWordBE(out, p.depth);
  PutWordBE(out, p.mode);
  for (const std::string* section : {&p.mode_data, &p.resources}) {
    PutDWordBE(out, static_cast<uint32_t>(section->size()));
    out += *section;
  }
  PutDWordBE(out, 0);
  PutWordBE(out, p.compression);
  out += p.data;
  return {out.begin(), out.end()};
}

void Load(TPSDImage& psd, const std::vector<uint8_t>& bytes) {
  plat::TReadOnlyMemoryStream stream(bytes.data(), static_cast<int64_t>(bytes.size()));
  psd.LoadFromStream(stream);
}

std::string LoadError(const std::vector<uint8_t>& bytes) {
  TPSDImage psd;
  try {
    Load(psd, bytes);
  } catch (const plat::EInvalidGraphic& e) {
    return e.what();
  }
  return "loaded";
}

std::string ResourceBlock(uint16_t id, const std::string& name, const std::string& data) {
  std::string block = "8BIM";
  PutWordBE(block, id);
  block += static_cast<char>(name.size());
  block += name;
  if (name.size() % 2 == 0) block += '\0';
  PutDWordBE(block, static_cast<uint32_t>(data.size()));
  block += data;
  if (data.size() % 2) block += '\0';
  return block;
}

std::string Resolution(uint32_t x_fixed, uint32_t y_fixed) {
  std::string data;
  PutDWordBE(data, x_fixed);
  PutDWordBE(data, 0x00010002);
  PutDWordBE(data, y_fixed);
  PutDWordBE(data, 0x00010002);
  return data;
}

class PsdImageMagick : public testing::Test {
 protected:
  void SetUp() override { WriteSources(dir_); }
  // Converts a source with ImageMagick and loads the result with our reader.
  std::string Convert(const std::string& source, const std::string& options,
                      const std::string& name) {
    EXPECT_TRUE(Shell(dir_, "convert " + source + " " + options + " " + name));
    return dir_.File(name);
  }
  ScratchDir dir_;
};

// ImageMagick 6.9.11 reads no indexed PSD (not even its own: "improper image header"), and shows
// the merged colours of an image with alpha un-matted from white; for those the referee is the
// picture ImageMagick wrote into the file.
TEST_F(PsdImageMagick, MergedImageOfEveryModeLoadsWithTheirPixels) {
  const struct {
    const char* source;
    const char* options;
    uint16_t mode;
    const char* referee_options;  // null: ImageMagick reads the PSD itself
    int tolerance;
  } cases[] = {
      {"colour.ppm", "-depth 8", 3, nullptr, 0},
      {"colour.ppm", "-depth 8 -compress RLE", 3, nullptr, 0},
      {"colour.ppm", "-depth 8 -alpha set -channel A -evaluate set 40% +channel", 3, "-depth 8", 0},
      {"grey.pgm", "-depth 8", 1, nullptr, 0},
      {"grey.pgm", "-depth 8 -compress RLE", 1, nullptr, 0},
      {"colour.ppm", "-depth 8 -colorspace CMYK", 4, nullptr, 1},
      {"colour.ppm", "-depth 8 -colorspace CMYK -compress RLE", 4, nullptr, 1},
      {"colour.ppm", "-depth 8 -colors 20 -type palette", 2, "-depth 8 -colors 20", 0},
      {"colour.ppm", "-depth 16", 3, nullptr, 0},
      {"colour.ppm", "-depth 16 -colorspace CMYK", 4, nullptr, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.options);
    const std::string path = Convert(c.source, c.options, "in.psd");
    TPSDImage psd;
    psd.LoadFromFile(path);
    EXPECT_EQ(psd.ColorMode, c.mode);
    EXPECT_EQ(psd.WasCMYK, c.mode == 4);
    const std::string referee =
        c.referee_options ? Convert(c.source, c.referee_options, "referee.ppm") : path + "[0]";
    ExpectSamePixels(psd.Image, ReadWithImageMagick(dir_, referee), c.tolerance);
  }
}

TEST_F(PsdImageMagick, ResolutionBlockWithoutANameGivesTheDpi) {
  TPSDImage psd;
  psd.LoadFromFile(Convert("colour.ppm", "-depth 8 -units PixelsPerInch -density 300", "d.psd"));
  EXPECT_EQ(psd.XDPI, 300);
  EXPECT_EQ(psd.YDPI, 300);
}

TEST_F(PsdImageMagick, SixteenBitRleIsRefused) {
  const std::string path = Convert("colour.ppm", "-depth 16 -compress RLE", "rle16.psd");
  EXPECT_EQ(LoadError(ReadBytes(path)), "Unsupported data format in PSD file");
}

TEST(PsdReader, BitmapModeInvertsAndDuotoneReadsItsFirstChannel) {
  // 9 pixels wide: two bytes a row; the format's 1 is black.
  PsdParts bitmap = Parts(0, 1, 1, 9, 2);
  bitmap.data = std::string("\xF0\x80\x0F\x7F", 4);
  PsdParts packed = bitmap;
  packed.compression = 1;
  packed.data = std::string("\x00\x03\x00\x03", 4) + std::string("\x01\xF0\x80\x01\x0F\x7F", 6);
  for (const PsdParts& parts : {bitmap, packed}) {
    TPSDImage psd;
    Load(psd, Build(parts));
    ASSERT_EQ(psd.Image.PixelFormat(), plat::TPixelFormat::pf1bit);
    for (int x = 0; x < 9; ++x) {
      EXPECT_EQ(psd.Image.PixelColor(x, 0), x < 4 || x == 8 ? 0x000000u : 0xFFFFFFu) << x;
      EXPECT_EQ(psd.Image.PixelColor(x, 1), x >= 4 && x < 8 ? 0x000000u : 0xFFFFFFu) << x;
    }
  }
  // Raw rows keep no bits after the last pixel.
  TPSDImage raw;
  Load(raw, Build(bitmap));
  EXPECT_EQ(raw.Image.ScanLine(0)[1], 0x00);

  PsdParts duotone = Parts(8, 2, 8, 3, 2);
  duotone.mode_data = "duotone ink settings";
  duotone.data = std::string("\x00\x40\xFF\x10\x20\x30", 6) + std::string(6, '\x77');
  TPSDImage grey;
  Load(grey, Build(duotone));
  EXPECT_EQ(grey.Image.PixelColor(1, 0), plat::RGB(0x40, 0x40, 0x40));
  EXPECT_EQ(grey.Image.PixelColor(2, 1), plat::RGB(0x30, 0x30, 0x30));
}

TEST(PsdReader, IndexedColoursComeFromTheColourModeData) {
  PsdParts indexed = Parts(2, 1, 8, 2, 1);
  indexed.mode_data.assign(768, '\0');
  indexed.mode_data[5] = '\x11';        // red of entry 5
  indexed.mode_data[256 + 5] = '\x22';  // green
  indexed.mode_data[512 + 5] = '\x33';  // blue
  indexed.data = std::string("\x05\x00", 2);
  TPSDImage psd;
  Load(psd, Build(indexed));
  EXPECT_EQ(psd.Image.PixelColor(0, 0), plat::RGB(0x11, 0x22, 0x33));
  EXPECT_EQ(psd.Image.PixelColor(1, 0), 0u);
  // A shorter table would take the colours from the resources behind it.
  indexed.mode_data.resize(767);
  EXPECT_EQ(LoadError(Build(indexed)), "Invalid PSD File");
}

TEST(PsdReader, ResolutionIsTheFirstResolutionBlockOfAnyName) {
  PsdParts parts = Parts(1, 1, 8, 1, 1);
  parts.data = "\x01";
  const std::string hidden = ResourceBlock(0x03ED, "Resolution", Resolution(7u << 16, 7u << 16));
  const struct {
    std::string resources;
    int32_t x, y;
  } cases[] = {
      // 16.16 values round to nearest on the top bit of the fraction.
      {ResourceBlock(0x03ED, "Resolution", Resolution(0x012C8000, 0x0048FFFF)), 301, 73},
      {ResourceBlock(0x03ED, "", Resolution(72u << 16, 96u << 16)), 72, 96},
      // "8BIM" inside another block's data is not a block.
      {ResourceBlock(0x0400, "", "xx" + hidden) +
           ResourceBlock(0x03ED, "", Resolution(5u << 16, 6u << 16)),
       5, 6},
      {ResourceBlock(0x03ED, "", Resolution(72u << 16, 96u << 16).substr(0, 12)), 0, 0},
      {"", 0, 0},
  };
  for (const auto& c : cases) {
    parts.resources = c.resources;
    TPSDImage psd;
    Load(psd, Build(parts));
    EXPECT_EQ(psd.XDPI, c.x);
    EXPECT_EQ(psd.YDPI, c.y);
  }
}

TEST(PsdReader, RefusesWithTheMessageOfEachFault) {
  auto with = [](auto change) {
    PsdParts p = Parts(1, 1, 8, 4, 1);
    p.data = "abcd";
    change(p);
    return Build(p);
  };
  const std::string too_long_row = std::string("\x00\x04", 2) + std::string(
                                                                    "\x03"
                                                                    "abcd",
                                                                    5);
  const struct {
    std::vector<uint8_t> bytes;
    const char* message;
  } cases[] = {
      {with([](PsdParts& p) { p.version = 2; }), "Invalid PSD File"},
      {with([](PsdParts& p) { p.width = 30001; }), "Invalid PSD File"},
      {with([](PsdParts& p) { p.height = 0x10001; }), "Invalid PSD File"},
      {with([](PsdParts& p) { p.channels = 25; }), "Invalid PSD File"},
      {with([](PsdParts& p) { p.depth = 4; }), "Invalid PSD File"},
      {with([](PsdParts& p) { p.mode = 5; }), "Invalid PSD File"},
      {with([](PsdParts& p) { p.mode = 9; }), "Lab mode in PSD file not supported"},
      {with([](PsdParts& p) { p.mode = 7; }), "Multichannel mode in PSD file not supported"},
      {with([](PsdParts& p) { p.mode = 0; }), "Unsupported data format in PSD file"},
      {with([](PsdParts& p) { p.compression = 2; }), "Invalid data in PSD File"},
      {with([](PsdParts& p) { p.data = "abc"; }), "Image data corrupt in PSD File"},
      // A row that decodes to one byte too many, and one whose table entry is one byte off.
      {with([&](PsdParts& p) { p.compression = 1, p.data = too_long_row; }),
       "Image data corrupt in PSD File"},
      {with([](PsdParts& p) {
         p.compression = 1, p.data = std::string("\x00\x06", 2) + std::string(
                                                                      "\x03"
                                                                      "abcdxx",
                                                                      7);
       }),
       "Image data corrupt in PSD File"},
      {with([](PsdParts& p) {
         p.compression = 1, p.data = std::string("\x00\x04", 2) + std::string(
                                                                      "\x03"
                                                                      "abcd",
                                                                      5);
       }),
       "Image data corrupt in PSD File"},
      {with([](PsdParts& p) {
         p.compression = 1, p.data = std::string("\x00\x05", 2) + std::string(
                                                                      "\x03"
                                                                      "abc",
                                                                      4);
       }),
       "Image data corrupt in PSD File"},
      // A section length that runs past the file.
      {[&] {
         std::vector<uint8_t> b = with([](PsdParts&) {});
         b[29] = 0xF0;
         return b;
       }(),
       "Invalid PSD File"},
      {std::vector<uint8_t>{'8', 'B', 'P', 'S', 0}, "Invalid PSD File"},
  };
  for (const auto& c : cases) EXPECT_EQ(LoadError(c.bytes), c.message);
  // The well-formed row of the same table decodes.
  PsdParts good = Parts(1, 1, 8, 4, 1, 1);
  good.data = std::string("\x00\x05", 2) + std::string(
                                               "\x03"
                                               "abcd",
                                               5);
  EXPECT_EQ(LoadError(Build(good)), "loaded");
}

// --- the writer, with ImageMagick and exiftool as referees ---

plat::TBitmap Indexed(plat::TPixelFormat format, const plat::TColorTable& palette) {
  plat::TBitmap image(13, 5, format);
  image.SetColorTable(palette);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 13; ++x)
      plat::SetIndexAt(image.ScanLine(y), x, plat::BitsPerPixel(format),
                       static_cast<uint8_t>((x + y) % palette.size()));
  return image;
}

class PsdWriter : public testing::Test {
 protected:
  std::string Save(const plat::TBitmap& image, int32_t dpi = 0) {
    TPSDImage psd;
    psd.Assign(image);
    psd.XDPI = psd.YDPI = dpi;
    psd.FileInfo = file_info_;
    const std::string path = dir_.File("out.psd");
    psd.SaveToFile(path);
    return path;
  }
  std::string Tag(const std::string& path, const std::string& tag) {
    std::string value = Capture("exiftool -s3 -" + tag + " '" + path + "'");
    while (!value.empty() && value.back() == '\n') value.pop_back();
    return value;
  }
  pictavo::TFileInfo file_info_;
  ScratchDir dir_;
};

TEST_F(PsdWriter, ModeFollowsThePixelsAndImageMagickReadsOurPixels) {
  const plat::TRGBQuad black{0, 0, 0, 0}, white{255, 255, 255, 0}, red{0, 0, 255, 0},
      blue{255, 0, 0, 0};
  plat::TColorTable greys;
  for (int i = 0; i < 16; ++i)
    greys.push_back({static_cast<uint8_t>(i * 17), static_cast<uint8_t>(i * 17),
                     static_cast<uint8_t>(i * 17), 0});
  const struct {
    plat::TBitmap image;
    const char* mode;
    const char* depth;
  } cases[] = {
      {Indexed(plat::TPixelFormat::pf1bit, {black, white}), "Bitmap", "1"},
      {Indexed(plat::TPixelFormat::pf1bit, {white, black}), "Bitmap", "1"},
      {Indexed(plat::TPixelFormat::pf1bit, {red, blue}), "Indexed", "8"},
      {Indexed(plat::TPixelFormat::pf4bit, greys), "Grayscale", "8"},
      {Indexed(plat::TPixelFormat::pf8bit, {red, blue, white, black, red}), "Indexed", "8"},
      {[] {
         plat::TBitmap c(11, 7, plat::TPixelFormat::pf24bit);
         for (int y = 0; y < 7; ++y)
           for (int x = 0; x < 11; ++x) c.SetPixelColor(x, y, plat::RGB(x * 20, y * 30, x * y));
         return c;
       }(),
       "RGB", "8"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.mode);
    const std::string path = Save(c.image);
    EXPECT_EQ(Tag(path, "ColorMode"), c.mode);
    EXPECT_EQ(Tag(path, "BitDepth"), c.depth);
    if (std::string(c.mode) != "Indexed") {
      ExpectSamePixels(c.image, ReadWithImageMagick(dir_, path + "[0]"));
      continue;
    }
    TPSDImage back;  // ImageMagick reads no indexed PSD
    back.LoadFromFile(path);
    for (int y = 0; y < c.image.Height(); ++y)
      for (int x = 0; x < c.image.Width(); ++x)
        ASSERT_EQ(back.Image.PixelColor(x, y), c.image.PixelColor(x, y)) << x << "," << y;
  }
}

TEST_F(PsdWriter, ResolutionAndFileInfoReachExiftoolAndComeBack) {
  file_info_.Caption = "Harbour at dawn";
  file_info_.Keywords = {"boats", "fog"};
  file_info_.HasFileInfo = true;
  const std::string path = Save(Indexed(plat::TPixelFormat::pf8bit, {{1, 2, 3, 0}}), 300);
  EXPECT_EQ(Tag(path, "XResolution"), "300");
  EXPECT_EQ(Tag(path, "YResolution"), "300");
  EXPECT_EQ(Tag(path, "Caption-Abstract"), "Harbour at dawn");
  EXPECT_EQ(Tag(path, "Keywords"), "boats, fog");
  TPSDImage back;
  back.LoadFromFile(path);
  EXPECT_EQ(back.XDPI, 300);
  EXPECT_EQ(back.FileInfo.Caption, "Harbour at dawn");
  EXPECT_EQ(back.FileInfo.Keywords, file_info_.Keywords);

  // No DPI and no file info: an empty resource section.
  file_info_ = {};
  const std::vector<uint8_t> bare =
      ReadBytes(Save(Indexed(plat::TPixelFormat::pf1bit, {{}, {}}), 0));
  ASSERT_GT(bare.size(), 34u + 768u);
  EXPECT_EQ(std::vector<uint8_t>(bare.begin() + 26 + 4 + 768, bare.begin() + 34 + 768),
            std::vector<uint8_t>(4, 0));
}

TEST_F(PsdWriter, ImagesWithoutAPsdFormWriteNothing) {
  const plat::TBitmap wide(30001, 1, plat::TPixelFormat::pf8bit);
  const plat::TBitmap deep(3, 3, plat::TPixelFormat::pf32bit);
  for (const plat::TBitmap* image : {&wide, &deep}) {
    TPSDImage psd;
    psd.Assign(*image);
    plat::TMemoryStream out;
    EXPECT_THROW(
        {
          try {
            psd.SaveToStream(out);
          } catch (const pictavo::EFileNotSaved& e) {
            EXPECT_STREQ(e.what(), "PSD file not saved");
            throw;
          }
        },
        pictavo::EFileNotSaved);
    EXPECT_EQ(out.Size(), 0);
  }
  uint16_t format = 0;
  plat::THandle data = 0, palette = 0;
  TPSDImage psd;
  EXPECT_THROW(psd.SaveToClipboardFormat(format, data, palette), plat::EInvalidGraphic);
}

}  // namespace
}  // namespace velmora_test
