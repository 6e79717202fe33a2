// The reader's checks on hand-made files: required tags, their messages, strip arrays,
// truncated strips, LZW errors and sizes no file alone can make us allocate.
#include <gtest/gtest.h>

#include <map>

#include "control/formats/tiff/tiff_lzw.h"
#include "tiff/tiff_helpers.h"

namespace velmora_test {
namespace {

// Builds a little- or big-endian single-page TIFF: entries are given as tag -> (type, values);
// values that do not fit in an entry go after the directory. Pixel bytes come last.
class TiffBuilder {
 public:
  explicit TiffBuilder(bool bigEndian = false) : big_(bigEndian) {}
  TiffBuilder& Set(uint16_t tag, uint16_t type, std::vector<uint32_t> values) {
    entries_[tag] = {type, std::move(values)};
    return *this;
  }
  TiffBuilder& Remove(uint16_t tag) {
    entries_.erase(tag);
    return *this;
  }
  // A one-strip 8-bit grey page of the given pixels.
  static TiffBuilder Grey(uint32_t width, uint32_t height) {
    TiffBuilder b;
    b.Set(256, 3, {width}).Set(257, 3, {height}).Set(258, 3, {8}).Set(262, 3, {1});
    b.Set(273, 4, {0}).Set(279, 4, {width * height}).Set(278, 3, {height});
    b.pixels_.resize(size_t{width} * height);
    for (size_t i = 0; i < b.pixels_.size(); ++i) b.pixels_[i] = static_cast<uint8_t>(i * 7);
    return b;
  }
  std::vector<uint8_t>& Pixels() { return pixels_; }

  // StripOffsets values are taken relative to the pixel bytes.
  std::vector<uint8_t> Bytes() const {
    std::vector<uint8_t> out = {static_cast<uint8_t>(big_ ? 'M' : 'I'),
                                static_cast<uint8_t>(big_ ? 'M' : 'I')};
    Put(out, 42, 2);
    Put(out, 8, 4);
    uint32_t extra = static_cast<uint32_t>(8 + 2 + 12 * entries_.size() + 4);
    std::vector<uint8_t> data;
    std::vector<uint8_t> ifd;
    Put(ifd, static_cast<uint32_t>(entries_.size()), 2);
    std::vector<std::pair<size_t, uint32_t>> stripFixups;
    for (const auto& [tag, e] : entries_) {
      Put(ifd, tag, 2);
      Put(ifd, e.type, 2);
      uint32_t size = e.type == 3 ? 2 : e.type == 5 ? 4 : e.type == 1 ? 1 : 4;
      uint32_t count = static_cast<uint32_t>(e.type == 5 ? e.values.size() / 2 : e.values.size());
      Put(ifd, count, 4);
      std::vector<uint8_t> value;
      for (uint32_t v : e.values) Put(value, v, size);
      if (value.size() <= 4) {
        value.resize(4, 0);
        if (tag == 273) stripFixups.push_back({8 + ifd.size(), size});
        ifd.insert(ifd.end(), value.begin(), value.end());
      } else {
        Put(ifd, extra + static_cast<uint32_t>(data.size()), 4);
        data.insert(data.end(), value.begin(), value.end());
      }
    }
    Put(ifd, 0, 4);
    out.insert(out.end(), ifd.begin(), ifd.end());
    out.insert(out.end(), data.begin(), data.end());
    uint32_t pixelStart = static_cast<uint32_t>(out.size());
    for (auto [at, size] : stripFixups) {  // a single strip offset in the entry
      std::vector<uint8_t> v;
      Put(v, pixelStart + Get(out, at, size), size);
      std::copy(v.begin(), v.end(), out.begin() + static_cast<ptrdiff_t>(at));
    }
    out.insert(out.end(), pixels_.begin(), pixels_.end());
    return out;
  }

 private:
  struct Entry {
    uint16_t type;
    std::vector<uint32_t> values;
  };
  void Put(std::vector<uint8_t>& out, uint32_t v, uint32_t size) const {
    for (uint32_t i = 0; i < size; ++i)
      out.push_back(static_cast<uint8_t>(v >> (8 * (big_ ? size - 1 - i : i))));
  }
  uint32_t Get(const std::vector<uint8_t>& in, size_t at, uint32_t size) const {
    uint32_t v = 0;
    for (uint32_t i = 0; i < size; ++i)
      v |= uint32_t{in[at + i]} << (8 * (big_ ? size - 1 - i : i));
    return v;
  }
  bool big_;
  std::map<uint16_t, Entry> entries_;
  std::vector<uint8_t> pixels_;
};

pictavo::TBMPImage Decode(const std::vector<uint8_t>& bytes, pictavo::TTIFImage& tif) {
  plat::TReadOnlyMemoryStream in(bytes.data(), static_cast<int64_t>(bytes.size()));
  tif.LoadFromStream(in);
  pictavo::TBMPImage bmp;
  bmp.Assign(tif);
  return bmp;
}

std::string ErrorOf(const std::vector<uint8_t>& bytes) {
  try {
    pictavo::TTIFImage tif;
    Decode(bytes, tif);
  } catch (const std::exception& e) {
    return e.what();
  }
  return "";
}

TEST(TiffReader, TagMessages) {
  struct Case {
    TiffBuilder file;
    const char* message;
  } cases[] = {
      {TiffBuilder::Grey(4, 3).Set(256, 4, {4, 4}), "Error in TIFF file ImageWidth data"},
      {TiffBuilder::Grey(4, 3).Set(258, 3, {8, 8}), "Error in TIFF file BitsPerSample data"},
      {TiffBuilder::Grey(4, 3).Set(266, 3, {3}), "Error in TIFF file FillOrder data"},
      {TiffBuilder::Grey(4, 3).Set(282, 5, {72, 0}), "Error in TIFF file XResolution data"},
      {TiffBuilder::Grey(4, 3).Set(278, 3, {0}), "Error in TIFF file RowsPerStrip data"},
      {TiffBuilder::Grey(4, 3).Set(296, 3, {7}), "Error in TIFF file ResolutionUnit data"},
      {TiffBuilder::Grey(4, 3).Remove(257), "TIFF file has missing image Width/Height"},
      {TiffBuilder::Grey(4, 3).Remove(262), "TIFF file has missing PhotometricInterpretation data"},
      {TiffBuilder::Grey(4, 3).Remove(273), "TIFF file has missing StripOffsets data"},
      {TiffBuilder::Grey(4, 3).Remove(279), "TIFF file has missing StripByteCounts data"},
      {TiffBuilder::Grey(4, 3).Set(262, 3, {6}), "TIFF file YCbCr format not supported"},
      {TiffBuilder::Grey(4, 3).Set(262, 3, {9}),
       "TIFF file PhotometricInterpretation value not supported"},
      {TiffBuilder::Grey(4, 3).Set(259, 3, {6}), "JPEG Compression not supported"},
      {TiffBuilder::Grey(4, 3).Set(259, 3, {8}), "Unknown or unsupported Compression method"},
      {TiffBuilder::Grey(4, 3).Set(279, 4, {13}), "TIFF file checksum error"},
      {TiffBuilder::Grey(4, 3).Set(262, 3, {3}).Set(320, 3, std::vector<uint32_t>(100, 0)),
       "TIFF file error in palette image data"},
      {TiffBuilder::Grey(4, 3)
           .Set(262, 3, {3})
           .Set(258, 3, {1})
           .Set(320, 3, std::vector<uint32_t>(6, 0)),
       "TIFF file colour depth not supported"},
  };
  for (const Case& c : cases) EXPECT_EQ(ErrorOf(c.file.Bytes()), c.message);
  std::vector<uint8_t> notTiff = TiffBuilder::Grey(4, 3).Bytes();
  notTiff[2] = 43;
  EXPECT_EQ(ErrorOf(notTiff), "File is not TIFF format");
}

TEST(TiffReader, DefaultsAndResolution) {
  // No PhotometricInterpretation and no BitsPerSample: a WhiteIsZero bilevel page in one strip.
  TiffBuilder bilevel;
  bilevel.Set(256, 3, {8}).Set(257, 3, {2}).Set(273, 4, {0}).Set(279, 4, {2});
  bilevel.Set(282, 5, {11811, 100}).Set(283, 5, {300, 1}).Set(296, 3, {3});
  bilevel.Pixels() = {0x0F, 0xFF};
  pictavo::TTIFImage tif;
  pictavo::TBMPImage bmp = Decode(bilevel.Bytes(), tif);
  EXPECT_EQ(tif.PhotometricInterpretation(), 0);
  EXPECT_EQ(tif.StripCount(), 1u);
  EXPECT_EQ(tif.XDPI, 300);
  EXPECT_EQ(tif.YDPI, 762);
  EXPECT_EQ(bmp.PixelColor(0, 0), plat::RGB(255, 255, 255));  // 0 is white
  EXPECT_EQ(bmp.PixelColor(7, 0), plat::RGB(0, 0, 0));
  pictavo::TTIFImage noResolution;
  Decode(TiffBuilder::Grey(4, 3).Bytes(), noResolution);
  EXPECT_EQ(noResolution.XDPI, 0);
  EXPECT_EQ(noResolution.YDPI, 0);
}

TEST(TiffReader, BigEndianShortStripArrays) {
  // Three strips of one row: SHORT offsets at an offset; two SHORT byte counts would fit inline.
  TiffBuilder b(true);
  b.Set(256, 3, {4}).Set(257, 3, {3}).Set(258, 3, {8}).Set(262, 3, {1}).Set(278, 3, {1});
  b.Set(279, 3, {4, 4, 4});
  std::vector<uint8_t> probe = b.Set(273, 3, {0, 0, 0}).Bytes();
  uint32_t pixels = static_cast<uint32_t>(probe.size());
  b.Set(273, 3, {pixels + 8, pixels + 4, pixels});  // strips stored in reverse order
  b.Pixels() = {9, 9, 9, 9, 5, 5, 5, 5, 1, 1, 1, 1};
  pictavo::TTIFImage tif;
  pictavo::TBMPImage bmp = Decode(b.Bytes(), tif);
  EXPECT_EQ(bmp.PixelColor(0, 0), plat::RGB(1, 1, 1));
  EXPECT_EQ(bmp.PixelColor(0, 1), plat::RGB(5, 5, 5));
  EXPECT_EQ(bmp.PixelColor(3, 2), plat::RGB(9, 9, 9));
}

TEST(TiffReader, StripArraysMustHoldEveryStrip) {
  // Rows per strip 1 makes three strips; arrays of one value cannot describe them.
  EXPECT_EQ(ErrorOf(TiffBuilder::Grey(4, 3).Set(278, 3, {1}).Bytes()),
            "TIFF file has errors in strip counts");
  // A byte-count array pointing outside the file.
  std::vector<uint8_t> bytes = TiffBuilder::Grey(4, 3)
                                   .Set(278, 3, {1})
                                   .Set(279, 4, {4, 4, 4})
                                   .Set(273, 4, {0, 4, 8})
                                   .Bytes();
  bytes.resize(bytes.size() - 12 - 24);  // cuts the pixels and the two arrays
  EXPECT_EQ(ErrorOf(bytes).substr(0, 13), "Error in TIFF");
}

TEST(TiffReader, TruncatedStripIsZeroPadded) {
  TiffBuilder b = TiffBuilder::Grey(4, 3);
  std::vector<uint8_t> bytes = b.Bytes();
  bytes.resize(bytes.size() - 5);
  pictavo::TTIFImage tif;
  pictavo::TBMPImage bmp = Decode(bytes, tif);
  EXPECT_EQ(bmp.PixelColor(0, 0), plat::RGB(0, 0, 0));
  EXPECT_EQ(bmp.PixelColor(2, 1), plat::RGB(42, 42, 42));
  EXPECT_EQ(bmp.PixelColor(3, 2), plat::RGB(0, 0, 0));  // beyond the end of the file
}

TEST(TiffReader, SizesAreCappedBeforeAllocating) {
  // 100000 x 100000 pixels declared by a file of a few dozen bytes.
  TiffBuilder b = TiffBuilder::Grey(4, 3);
  b.Set(256, 4, {100000}).Set(257, 4, {100000}).Set(278, 4, {100000}).Set(259, 3, {32773});
  EXPECT_EQ(ErrorOf(b.Bytes()), "TIFF file image is too large");
  // A palette page whose ColorMap lies beyond the end of the file.
  TiffBuilder p = TiffBuilder::Grey(4, 3);
  p.Set(262, 3, {3}).Set(320, 3, std::vector<uint32_t>(768, 0));
  std::vector<uint8_t> bytes = p.Bytes();
  bytes.resize(bytes.size() - 1200);
  EXPECT_EQ(ErrorOf(bytes), "Error in TIFF file ColorMap data");
}

TEST(TiffLzw, CodeBeyondTheTableIsCorruptAndShortOutputIsZeroFilled) {
  // Clear (256), 'A' (65), then code 300 while the next free code is 258.
  std::vector<uint8_t> bad = {0x80, 0x10, 0x65, 0x80};
  std::vector<uint8_t> out;
  try {
    pictavo::DecodeLZW(out, bad, 100);
    FAIL();
  } catch (const plat::EInvalidGraphic& e) {
    EXPECT_STREQ(e.what(), "TIFF file image data corrupted");
  }
  // An LZW grey page whose strip holds only "A" then end: the rest of the rows are zeros.
  TiffBuilder b = TiffBuilder::Grey(4, 3).Set(259, 3, {5}).Set(279, 4, {4});
  b.Pixels() = {0x80, 0x10, 0x60, 0x20};  // Clear, 'A', End
  pictavo::TTIFImage tif;
  pictavo::TBMPImage bmp = Decode(b.Bytes(), tif);
  EXPECT_EQ(bmp.PixelColor(0, 0), plat::RGB(65, 65, 65));
  EXPECT_EQ(bmp.PixelColor(1, 0), plat::RGB(0, 0, 0));
  EXPECT_EQ(bmp.PixelColor(3, 2), plat::RGB(0, 0, 0));
  tif.UseLZW = false;
  pictavo::TBMPImage refused;
  try {
    refused.Assign(tif);
    FAIL();
  } catch (const plat::EInvalidGraphic& e) {
    EXPECT_STREQ(e.what(), "Reading of LZW-compressed files not supported");
  }
}

// LZW codes written most significant bit first, each as wide as the table in the decoder has
// grown by then (one bit more when the next free code reaches 511, 1023 and 2047).
class LzwCodeWriter {
 public:
  void Put(uint32_t code) {
    bits_ = bits_ << width_ | code;
    held_ += width_;
    while (held_ >= 8) {
      bytes_.push_back(static_cast<uint8_t>(bits_ >> (held_ - 8)));
      held_ -= 8;
    }
  }
  // Follows the decoder after a code that is not the first after a Clear.
  void Defined() {
    if (next_ < 4096 && ++next_ >= (1u << width_) - 1 && width_ < 12) ++width_;
  }
  std::vector<uint8_t> Bytes() {
    std::vector<uint8_t> bytes = bytes_;
    if (held_ > 0) bytes.push_back(static_cast<uint8_t>(bits_ << (8 - held_)));
    return bytes;
  }

 private:
  std::vector<uint8_t> bytes_;
  uint64_t bits_ = 0;
  int held_ = 0;
  int width_ = 9;
  uint32_t next_ = 258;
};

TEST(TiffLzw, StringsStayWhenTheTableFillsWithoutAClear) {
  // Single bytes until every code is defined, then codes from the full table, 12 bits wide: the
  // first defined code (258) is still the first two bytes, 4095 the last two single bytes.
  LzwCodeWriter codes;
  std::vector<uint8_t> expected;
  auto single = [&](uint8_t byte, bool defines) {
    codes.Put(byte);
    expected.push_back(byte);
    if (defines) codes.Defined();
  };
  codes.Put(256);
  single(1, false);
  for (uint32_t i = 0; i < 3900; ++i) single(static_cast<uint8_t>(i * 13 + 2), true);
  codes.Put(258);
  expected.insert(expected.end(), expected.begin(), expected.begin() + 2);
  codes.Put(4095);
  // Entry 4095 is the single byte before the 3838th defining code plus that code's byte.
  expected.insert(expected.end(), expected.begin() + 3837, expected.begin() + 3839);
  single(7, false);
  std::vector<uint8_t> out;
  pictavo::DecodeLZW(out, codes.Bytes(), expected.size());
  EXPECT_EQ(out, expected);
}

TEST(TiffReader, Group3StripCutShortEndsInWhiteRows) {
  // One Group 3 row of width 8 (white 3, black 2, white 3) where the strip declares three rows.
  for (uint32_t photometric : {0u, 1u}) {
    TiffBuilder b;
    b.Set(256, 3, {8}).Set(257, 3, {3}).Set(259, 3, {3}).Set(262, 3, {photometric});
    b.Set(273, 4, {0}).Set(279, 4, {2});
    b.Pixels() = {0x8E, 0x00};
    pictavo::TTIFImage tif;
    pictavo::TBMPImage bmp = Decode(b.Bytes(), tif);
    const plat::TColor white = photometric == 0 ? plat::RGB(255, 255, 255) : plat::RGB(0, 0, 0);
    const plat::TColor black = photometric == 0 ? plat::RGB(0, 0, 0) : plat::RGB(255, 255, 255);
    EXPECT_EQ(bmp.PixelColor(2, 0), white);
    EXPECT_EQ(bmp.PixelColor(3, 0), black);
    EXPECT_EQ(bmp.PixelColor(4, 0), black);
    for (int x = 0; x < 8; ++x) EXPECT_EQ(bmp.PixelColor(x, 2), white);
  }
}

TEST(TiffReader, CmykToRgb) {
  uint8_t r, g, b;
  plat::CMYKToRGB(0, 0, 0, 255, r, g, b);
  EXPECT_EQ(plat::RGB(r, g, b), plat::RGB(0, 0, 0));
  plat::CMYKToRGB(0, 0, 0, 0, r, g, b);
  EXPECT_EQ(plat::RGB(r, g, b), plat::RGB(255, 255, 255));
  // 128 * 127 / 255 + 128 = 191.75 covers to 192; 0 ink leaves the black's 128; full ink 255.
  plat::CMYKToRGB(128, 0, 255, 128, r, g, b);
  EXPECT_EQ(plat::RGB(r, g, b), plat::RGB(63, 127, 0));
}

}  // namespace
}  // namespace velmora_test
