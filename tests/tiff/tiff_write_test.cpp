// Writing TIFF pages: tiffinfo must find each file clean, libtiff must decode our pixels, and
// the metadata must show where the format puts it.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>

#include "control/formats/tiff/tif_pages.h"
#include "tiff/tiff_helpers.h"

namespace velmora_test {
namespace {

using plat::TPixelFormat;

plat::TColorTable Greys(int entries, bool reversed) {
  plat::TColorTable p(entries);
  for (int i = 0; i < entries; ++i) {
    uint8_t g = static_cast<uint8_t>(255 * (reversed ? entries - 1 - i : i) / (entries - 1));
    p[i] = {g, g, g, 0};
  }
  return p;
}

plat::TColorTable Colours(int entries) {
  plat::TColorTable p(entries);
  for (int i = 0; i < entries; ++i)
    p[i] = {static_cast<uint8_t>(i * 37), static_cast<uint8_t>(255 - i * 11),
            static_cast<uint8_t>(i * 91), 0};
  return p;
}

// A picture of 45 x 19 pixels using every index of its palette (or many colours at 24 bits).
plat::TBitmap Picture(TPixelFormat format, const plat::TColorTable& palette) {
  plat::TBitmap bmp(45, 19, format);
  if (!palette.empty()) bmp.SetColorTable(palette);
  for (int y = 0; y < 19; ++y) {
    uint8_t* row = bmp.ScanLine(y);
    for (int x = 0; x < 45; ++x) {
      int v = (x * 3 + y * 5) ^ (x / 7);
      switch (format) {
        case TPixelFormat::pf1bit:
          if ((v / 3) & 1) row[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
          break;
        case TPixelFormat::pf4bit:
          row[x / 2] |= static_cast<uint8_t>((v & 15) << ((x & 1) ? 0 : 4));
          break;
        case TPixelFormat::pf8bit:
          row[x] = static_cast<uint8_t>(v % palette.size());
          break;
        default:
          row[3 * x] = static_cast<uint8_t>(v * 3);
          row[3 * x + 1] = static_cast<uint8_t>(y * 13);
          row[3 * x + 2] = static_cast<uint8_t>(x * 5);
      }
    }
  }
  return bmp;
}

struct WriteCase {
  const char* name;
  TPixelFormat format;
  plat::TColorTable palette;
  int photometric;  // expected for Compression 1
  int bits;
};

const plat::TColorTable kBlackWhite = {{0, 0, 0, 0}, {255, 255, 255, 0}};
const plat::TColorTable kWhiteBlack = {{255, 255, 255, 0}, {0, 0, 0, 0}};
const plat::TColorTable kRedBlue = {{0, 0, 255, 0}, {255, 0, 0, 0}};

TEST(TiffWriter, WriteTableIsCleanAndLibtiffDecodesOurPixels) {
  ScratchDir dir;
  const WriteCase cases[] = {
      {"1-bit black/white", TPixelFormat::pf1bit, kBlackWhite, 1, 1},
      {"1-bit white/black", TPixelFormat::pf1bit, kWhiteBlack, 0, 1},
      {"1-bit red/blue", TPixelFormat::pf1bit, kRedBlue, 3, 4},
      {"4-bit grey", TPixelFormat::pf4bit, Greys(16, false), 1, 4},
      {"4-bit reversed grey", TPixelFormat::pf4bit, Greys(16, true), 1, 4},
      {"4-bit colour", TPixelFormat::pf4bit, Colours(16), 3, 4},
      {"8-bit grey ramp", TPixelFormat::pf8bit, Greys(256, false), 1, 8},
      {"8-bit reversed grey", TPixelFormat::pf8bit, Greys(256, true), 1, 8},
      {"8-bit colour", TPixelFormat::pf8bit, Colours(256), 3, 8},
      {"8-bit five colours", TPixelFormat::pf8bit, Colours(5), 3, 8},
      {"24-bit", TPixelFormat::pf24bit, {}, 2, 8},
  };
  for (const WriteCase& c : cases) {
    plat::TBitmap bmp = Picture(c.format, c.palette);
    for (uint16_t compression : {1, 32773, 4}) {
      SCOPED_TRACE(std::string(c.name) + " compression " + std::to_string(compression));
      pictavo::TTIFImage page;
      page.Compression = compression;
      page.XDPI = 300;
      page.YDPI = 150;
      page.Assign(bmp);
      const std::string file = dir.File("out.tif");
      page.SaveToFile(file);

      EXPECT_EQ(Capture("tiffinfo -D '" + file + "' 2>&1 >/dev/null"), "");
      const std::string info = Capture("tiffinfo '" + file + "' 2>&1");
      const bool bilevel = c.format == TPixelFormat::pf1bit && c.photometric < 2;
      const int expectedCompression = compression == 4 && !bilevel ? 1 : compression;
      const int photometric = bilevel && compression == 4 ? 1 - c.photometric : c.photometric;
      EXPECT_NE(info.find("Bits/Sample: " + std::to_string(c.bits)), std::string::npos) << info;
      EXPECT_NE(info.find("Resolution: 300, 150 pixels/inch"), std::string::npos) << info;
      const char* photometricNames[] = {"min-is-white", "min-is-black", "RGB color",
                                        "palette color"};
      EXPECT_NE(info.find(photometricNames[photometric]), std::string::npos) << info;
      const char* compressionNames[] = {"None", "PackBits", "CCITT Group 4"};
      EXPECT_NE(info.find(std::string("Compression Scheme: ") +
                          compressionNames[expectedCompression == 1   ? 0
                                           : expectedCompression == 4 ? 2
                                                                      : 1]),
                std::string::npos)
          << info;

      ASSERT_TRUE(Shell(dir, "tiffcp -c none out.tif plain.tif && tiff2rgba plain.tif ref.tif"));
      ExpectSamePixels(bmp, ReadWithImageMagick(dir, dir.File("ref.tif")));
      ExpectSamePixels(bmp, ReadWithImageMagick(dir, dir.File("ref.tif")));
      pictavo::TBMPImage back = DecodeTiff(file);
      for (int y = 0; y < bmp.Height(); ++y)
        for (int x = 0; x < bmp.Width(); ++x)
          ASSERT_EQ(back.PixelColor(x, y), bmp.PixelColor(x, y)) << x << "," << y;
    }
  }
}

TEST(TiffWriter, TwoColourPaletteBecomesSixteenEntryColorMap) {
  ScratchDir dir;
  pictavo::TTIFImage page;
  page.Assign(Picture(TPixelFormat::pf1bit, kRedBlue));
  page.SaveToFile(dir.File("p.tif"));
  const std::string dump = Capture("tiffdump '" + dir.File("p.tif") + "'");
  EXPECT_NE(dump.find("Colormap (320) SHORT (3) 48<"), std::string::npos) << dump;
  EXPECT_NE(dump.find("BitsPerSample (258) SHORT (3) 1<4>"), std::string::npos) << dump;
}

TEST(TiffWriter, ShortEightBitPaletteFillsAllTwoHundredFiftySixEntries) {
  ScratchDir dir;
  pictavo::TTIFImage page;
  page.Assign(Picture(TPixelFormat::pf8bit, Colours(5)));
  page.SaveToFile(dir.File("p.tif"));
  const std::string dump = Capture("tiffdump '" + dir.File("p.tif") + "'");
  EXPECT_NE(dump.find("Colormap (320) SHORT (3) 768<"), std::string::npos) << dump;
  EXPECT_NE(dump.find("BitsPerSample (258) SHORT (3) 1<8>"), std::string::npos) << dump;
}

TEST(TiffWriter, MetadataLandsInExifSubIfdIptcAndCopyright) {
  ScratchDir dir;
  pictavo::TTIFImage page;
  page.Assign(Picture(TPixelFormat::pf24bit, {}));
  ASSERT_TRUE(page.Exif.SetAttribute("Copyright", u"ABCD"));
  ASSERT_TRUE(page.Exif.SetAttribute("Make", u"Velmora camera"));
  ASSERT_TRUE(page.Exif.SetAttribute("DateTime", u"2024:05:06 07:08:09"));
  ASSERT_TRUE(page.Exif.SetAttribute("ExposureTime", u"1/250"));
  page.FileInfo.Caption = "A caption";
  page.FileInfo.Keywords = {"one", "two"};
  page.FileInfo.ImageURL = "http://example.com/x";
  page.FileInfo.CopyrightFlag = true;
  page.FileInfo.HasFileInfo = true;
  const std::string file = dir.File("meta.tif");
  page.SaveToFile(file);

  EXPECT_EQ(Capture("tiffinfo -D '" + file + "' 2>&1 >/dev/null"), "");
  const std::string dump = Capture("tiffdump '" + file + "'");
  EXPECT_NE(dump.find("Copyright (33432) ASCII (2) 5<ABCD\\0>"), std::string::npos) << dump;
  EXPECT_NE(dump.find("DateTime (306) ASCII (2) 20<"), std::string::npos) << dump;
  // A date text of another length (as read from some file) keeps its own length.
  page.Exif.Tags.push_back("Artist=Jo");
  for (std::string& line : page.Exif.Tags)
    if (line.rfind("DateTime=", 0) == 0) line = "DateTime=2024:05:06";
  page.SaveToFile(file);
  const std::string again = Capture("tiffdump '" + file + "'");
  EXPECT_NE(again.find("Artist (315) ASCII (2) 3<Jo\\0>"), std::string::npos) << again;
  EXPECT_NE(again.find("DateTime (306) ASCII (2) 11<2024:05:06\\0>"), std::string::npos) << again;
  EXPECT_NE(dump.find("34665 (0x8769) LONG (4) 1<"), std::string::npos) << dump;
  // Tag 33723 holds the IPTC datasets and nothing else (not the URL and copyright blocks).
  const uint64_t iptcBytes = page.FileInfo.ToSegment().Block(0).DataSize();
  EXPECT_NE(dump.find("33723 (0x83bb) LONG (4) " + std::to_string((iptcBytes + 3) / 4) + "<"),
            std::string::npos)
      << dump;

  const std::string tags = Capture(
      "exiftool -s -s -s -Copyright -Make -ExposureTime -Caption-Abstract -Keywords -URL '" + file +
      "'");
  EXPECT_EQ(tags, "ABCD\nVelmora camera\n1/250\nA caption\none, two\nhttp://example.com/x\n")
      << tags;

  pictavo::TTIFImage back;
  back.LoadFromFile(file);
  EXPECT_EQ(back.FileInfo.Caption, "A caption");
  EXPECT_EQ(back.FileInfo.ImageURL, "http://example.com/x");
  EXPECT_TRUE(back.FileInfo.HasFileInfo);
  EXPECT_EQ(back.Exif.Value("Copyright"), "ABCD");
  EXPECT_EQ(back.Exif.Value("ExposureTime"), "1/250");
  // The layout tags of the file stay readable, as the file has them.
  EXPECT_EQ(back.Exif.Value("Compression"), "1");
  EXPECT_EQ(back.Exif.Value("ImageWidth"), "45");
}

// Indices past a short palette show black, in every reader; a missing colour table is no grey
// ramp, so the page is written as a (black) palette, not as greys invented from memory.
TEST(TiffWriter, GreyLookupsStayInsideAShortOrMissingPalette) {
  ScratchDir dir;
  struct PaletteCase {
    const char* name;
    plat::TColorTable palette;
    const char* photometric;
  };
  const PaletteCase cases[] = {
      {"five greys", Greys(5, false), "min-is-black"},
      {"no colour table", {}, "palette color"},
  };
  for (const PaletteCase& c : cases) {
    SCOPED_TRACE(c.name);
    plat::TBitmap bmp(40, 9, TPixelFormat::pf8bit);
    bmp.SetColorTable(c.palette);
    for (int y = 0; y < bmp.Height(); ++y)
      for (int x = 0; x < bmp.Width(); ++x) bmp.ScanLine(y)[x] = static_cast<uint8_t>(x * 6 + y);
    pictavo::TTIFImage page;
    page.Assign(bmp);
    const std::string file = dir.File("p.tif");
    page.SaveToFile(file);
    EXPECT_NE(Capture("tiffinfo '" + file + "' 2>&1").find(c.photometric), std::string::npos);
    ASSERT_TRUE(Shell(dir, "tiff2rgba p.tif ref.tif"));
    const RgbaImage theirs = ReadWithImageMagick(dir, dir.File("ref.tif"));
    const pictavo::TBMPImage back = DecodeTiff(file);
    for (int y = 0; y < bmp.Height(); ++y)
      for (int x = 0; x < bmp.Width(); ++x) {
        const size_t index = bmp.ScanLine(y)[x];
        const uint8_t level = index < c.palette.size() ? c.palette[index].rgbRed : 0;
        ASSERT_EQ(theirs.At(x, y)[0], level) << x << "," << y;
        ASSERT_EQ(theirs.At(x, y)[2], level) << x << "," << y;
        ASSERT_EQ(back.PixelColor(x, y), plat::RGB(level, level, level)) << x << "," << y;
      }
  }
}

// A planar file keeps its layout tags readable in the EXIF store, and saving it again lays the
// pixels out as this writer does (chunky), whatever the store says.
TEST(TiffWriter, LayoutTagsStayReadableAndTheWriterTakesLayoutFromTheImage) {
  ScratchDir dir;
  WriteSources(dir);
  ASSERT_TRUE(Shell(dir, "convert colour.ppm -depth 8 -interlace plane -compress none in.tif"));
  ASSERT_NE(Capture("tiffinfo '" + dir.File("in.tif") + "'").find("separate image planes"),
            std::string::npos);
  pictavo::TTIFImage loaded;
  loaded.LoadFromFile(dir.File("in.tif"));
  EXPECT_EQ(loaded.Exif.Value("PlanarConfiguration"), "2");
  EXPECT_EQ(loaded.Exif.Value("SamplesPerPixel"), "3");
  EXPECT_EQ(loaded.Exif.Value("ImageWidth"), "47");
  pictavo::TBMPImage pixels;
  pixels.Assign(loaded);

  pictavo::TTIFImage page;
  page.Assign(pixels);
  page.Exif.CopyFrom(loaded.Exif);
  const std::string file = dir.File("out.tif");
  page.SaveToFile(file);
  EXPECT_EQ(Capture("tiffinfo -D '" + file + "' 2>&1 >/dev/null"), "");
  EXPECT_NE(Capture("tiffinfo '" + file + "'").find("single image plane"), std::string::npos);
  ExpectSamePixels(DecodeTiff(file), ReadWithImageMagick(dir, dir.File("in.tif")));
}

// Pages go straight into their destination: into a stream that already holds other bytes, the
// file lands from the stream's position on with its offsets counted from its own first byte,
// byte for byte the file that SaveToFile writes, and the bytes around it stay.
TEST(TiffWriter, PagesWrittenIntoAFilledStreamAreTheFileItself) {
  ScratchDir dir;
  pictavo::TTIFImage grey, colour;
  grey.Compression = 32773;
  grey.Assign(Picture(TPixelFormat::pf8bit, Greys(256, false)));
  colour.Assign(Picture(TPixelFormat::pf24bit, {}));
  pictavo::TTIFList pages;
  pages.InsertPage(std::make_unique<pictavo::TTIFImage>(), 0);
  pages.PageAt(1)->Assign(Picture(TPixelFormat::pf1bit, kBlackWhite));
  pages.InsertPage(std::make_unique<pictavo::TTIFImage>(), 0);
  pages.PageAt(2)->Assign(Picture(TPixelFormat::pf4bit, Colours(16)));
  struct Case {
    const char* name;
    std::function<void(plat::TStream&)> save;
    int pages;
  };
  const Case cases[] = {
      {"8-bit PackBits page", [&](plat::TStream& s) { grey.SaveToStream(s); }, 1},
      {"24-bit page", [&](plat::TStream& s) { colour.SaveToStream(s); }, 1},
      {"two-page list", [&](plat::TStream& s) { pictavo::SaveTIFListToStream(pages, s); }, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    plat::WriteFileReplacing(dir.File("alone.tif"), c.save);
    const std::vector<uint8_t> alone = ReadBytes(dir.File("alone.tif"));
    EXPECT_EQ(Capture("tiffinfo -D '" + dir.File("alone.tif") + "' 2>&1 >/dev/null"), "");
    EXPECT_EQ(Capture("tiffinfo '" + dir.File("alone.tif") + "' | grep -c 'TIFF Directory'"),
              std::to_string(c.pages) + "\n");

    const std::vector<uint8_t> before(37, 0xAB), after(alone.size() + 500, 0xCD);
    std::vector<uint8_t> filled = before;
    filled.insert(filled.end(), after.begin(), after.end());
    plat::TMemoryStream stream(filled);
    stream.SetPosition(static_cast<int64_t>(before.size()));
    c.save(stream);
    const std::vector<uint8_t>& bytes = stream.Bytes();
    EXPECT_EQ(stream.Position(), static_cast<int64_t>(before.size() + alone.size()));
    ASSERT_EQ(bytes.size(), filled.size());
    EXPECT_TRUE(std::equal(before.begin(), before.end(), bytes.begin()));
    EXPECT_TRUE(std::equal(alone.begin(), alone.end(), bytes.begin() + 37));
    EXPECT_TRUE(std::all_of(bytes.begin() + 37 + static_cast<ptrdiff_t>(alone.size()), bytes.end(),
                            [](uint8_t b) { return b == 0xCD; }));
  }
}

}  // namespace
}  // namespace velmora_test
