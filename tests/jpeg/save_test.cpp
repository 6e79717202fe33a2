#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "control/formats/jpeg/be_stream.h"
#include "control/formats/jpeg/jpeg_image.h"
#include "control/formats/jpeg/jpeg_segments.h"
#include "jpeg/jpeg_fixtures.h"
#include "platform/base/datetime.h"

namespace pictavo {
namespace {

using namespace pictavo::jpegtest;
using Markers = std::vector<uint8_t>;

constexpr uint8_t SOI = 0xD8, APP0 = 0xE0, APP1 = 0xE1, APP2 = 0xE2, APP13 = 0xED, APP14 = 0xEE,
                  DQT = 0xDB, SOF0 = 0xC0, SOF2 = 0xC2, DHT = 0xC4;

TBMPImage TestBitmap(int width, int height) {
  TBMPImage bitmap;
  bitmap.SetPixelFormat(plat::TPixelFormat::pf24bit);
  bitmap.SetSize(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      uint8_t* p = bitmap.ScanLine(y) + 3 * x;
      p[0] = static_cast<uint8_t>(x * 4);
      p[1] = static_cast<uint8_t>(y * 5);
      p[2] = ((x / 8 + y / 8) % 2) ? 220 : 30;
    }
  return bitmap;
}

std::string Exiftool(const TScratch& scratch, const std::string& tag, const std::string& file) {
  std::string out = Shell(scratch, "exiftool -s3 -" + tag + " " + file);
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
  return out;
}

struct TSaveCase {
  const char* name;
  bool progressive;
  bool grayscale;
};

class SaveTable : public ::testing::TestWithParam<TSaveCase> {};

TEST_P(SaveTable, OutsideToolsReadOurFileAndMetadata) {
  const TSaveCase& c = GetParam();
  TScratch scratch;
  TJPEGImageExtra jpeg;
  jpeg.Assign(TestBitmap(40, 24));
  jpeg.Quality = 85;
  jpeg.ProgressiveEncoding = c.progressive;
  jpeg.SetGrayscale(c.grayscale);
  jpeg.SetXDensity(300);
  jpeg.SetYDensity(150);
  jpeg.FileInfo.Caption = "A caption \xE9";
  jpeg.FileInfo.Keywords = {"alpha", "beta"};
  jpeg.FileInfo.DateCreated = plat::EncodeDateTime({2004, 5, 6});
  jpeg.FileInfo.TimeCreated = plat::EncodeDateTime({1899, 12, 30, 9, 5, 0});
  jpeg.FileInfo.HasFileInfo = true;
  ASSERT_TRUE(jpeg.Exif.SetAttribute("Make", u"ACME"));
  ASSERT_TRUE(jpeg.Exif.SetAttribute("Model", u"Box 1"));
  ASSERT_TRUE(jpeg.Exif.SetAttribute("DateTime", u"2004:05:06 10:11:12"));
  ASSERT_TRUE(jpeg.Exif.SetAttribute("XResolution", u"300"));
  ASSERT_TRUE(jpeg.Exif.SetAttribute("GPSLatitudeRef", u"N"));
  ASSERT_TRUE(jpeg.Exif.SetAttribute("GPSLatitude", u"48/1 51/1 24/1"));
  jpeg.SaveToFile(scratch.Path("out.jpg"));

  std::vector<uint8_t> file = ReadBytes(scratch.Path("out.jpg"));
  Markers markers = SegmentMarkers(file);
  ASSERT_GE(markers.size(), 5u);
  EXPECT_EQ(Markers(markers.begin(), markers.begin() + 5), (Markers{SOI, APP0, APP1, APP13, DQT}));

  std::string identified =
      Shell(scratch, "identify -format '%[colorspace] %[interlace] %x %y %U' out.jpg");
  std::string expected = std::string(c.grayscale ? "Gray" : "sRGB") + " " +
                         (c.progressive ? "JPEG" : "None") + " 300 150 PixelsPerInch";
  EXPECT_EQ(identified, expected);
  std::string header = Shell(scratch, "djpeg -pnm out.jpg | head -c 2");
  EXPECT_EQ(header, c.grayscale ? "P5" : "P6");

  EXPECT_EQ(Exiftool(scratch, "EXIF:Make", "out.jpg"), "ACME");
  EXPECT_EQ(Exiftool(scratch, "EXIF:Model", "out.jpg"), "Box 1");
  EXPECT_EQ(Exiftool(scratch, "EXIF:ModifyDate", "out.jpg"), "2004:05:06 10:11:12");
  EXPECT_EQ(Exiftool(scratch, "EXIF:XResolution", "out.jpg"), "300");
  EXPECT_EQ(Exiftool(scratch, "GPS:GPSLatitudeRef", "out.jpg"), "North");
  EXPECT_EQ(Exiftool(scratch, "n -GPS:GPSLatitude", "out.jpg").substr(0, 7), "48.8566");
  EXPECT_EQ(Exiftool(scratch, "charset iptc=Latin -IPTC:Caption-Abstract", "out.jpg"),
            "A caption \xC3\xA9");
  EXPECT_EQ(Exiftool(scratch, "IPTC:Keywords", "out.jpg"), "alpha, beta");
  EXPECT_EQ(Exiftool(scratch, "IPTC:DateCreated", "out.jpg"), "2004:05:06");
  EXPECT_EQ(Exiftool(scratch, "IPTC:TimeCreated", "out.jpg").substr(0, 8), "09:05:00");

  TJPEGImageExtra back;
  back.LoadFromFile(scratch.Path("out.jpg"));
  EXPECT_EQ(back.FileInfo.Caption, jpeg.FileInfo.Caption);
  EXPECT_EQ(back.FileInfo.Keywords, jpeg.FileInfo.Keywords);
  EXPECT_EQ(back.Exif.Value("GPSLatitude"), "48/1,51/1,24/1");
  EXPECT_EQ(back.GetXDensity(), 300);
  EXPECT_EQ(back.ProgressiveEncoding, c.progressive);
}

INSTANTIATE_TEST_SUITE_P(Kinds, SaveTable,
                         ::testing::Values(TSaveCase{"baseline", false, false},
                                           TSaveCase{"progressive", true, false},
                                           TSaveCase{"grey", false, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(JpegSave, WithoutMetadataTheJfifHeaderCarriesTheDensity) {
  TJPEGImageExtra jpeg;
  jpeg.Assign(TestBitmap(8, 8));
  jpeg.SetXDensity(72);
  jpeg.SetYDensity(96);
  plat::TMemoryStream out;
  jpeg.SaveToStream(out);
  const std::vector<uint8_t>& file = out.Bytes();
  Markers markers = SegmentMarkers(file);
  EXPECT_EQ(Markers(markers.begin(), markers.begin() + 3), (Markers{SOI, APP0, DQT}));
  EXPECT_EQ(std::vector<uint8_t>(file.begin() + 13, file.begin() + 18),
            (std::vector<uint8_t>{1, 0, 72, 0, 96}));
  // The object's own compressed data stays bare, so saving twice gives the same file.
  plat::TMemoryStream again;
  jpeg.SaveToStream(again);
  EXPECT_EQ(again.Bytes(), file);
}

TEST(JpegSave, AnExifEntryThatCannotBeWrittenIsLeftOutAndTheImageSaved) {
  TJPEGImageExtra jpeg;
  jpeg.Assign(TestBitmap(8, 8));
  jpeg.Exif.Tags = {"XResolution=abc"};
  plat::TMemoryStream out;
  jpeg.SaveToStream(out);
  const Markers markers = SegmentMarkers(out.Bytes());
  EXPECT_EQ(Markers(markers.begin(), markers.begin() + 3), (Markers{SOI, APP0, DQT}));
}

TEST(JpegSave, MetadataThatDoesNotFitOneSegmentIsRefused) {
  TExif exif;
  std::string comment = "UserComment=41";
  for (int i = 1; i < 65600; ++i) comment += ",41";
  exif.Tags = {comment};
  EXPECT_THROW(ExifSegment(exif), EJPEG);
  exif.Tags = {comment.substr(0, 12 + 3 * 20000 - 1)};  // 20000 items
  EXPECT_NO_THROW(ExifSegment(exif));

  TJPEGImageExtra jpeg;
  jpeg.Assign(TestBitmap(8, 8));
  jpeg.FileInfo.HasFileInfo = true;
  jpeg.FileInfo.Keywords.assign(20, std::string(4000, 'k'));
  plat::TMemoryStream out;
  EXPECT_THROW(jpeg.SaveToStream(out), EJPEG);
}

TEST(JpegSave, AssignFromAJpegLeavesTheSourceDensitiesAlone) {
  TJPEGImageExtra source;
  TBMPImage bitmap = TestBitmap(8, 8);
  bitmap.SetXPelsPerMeter(11811);  // 300 dpi
  bitmap.SetYPelsPerMeter(11811);
  source.Assign(bitmap);
  plat::TMemoryStream stream;
  source.SaveToStream(stream);
  stream.SetPosition(0);
  TJPEGImageExtra loaded;
  loaded.LoadFromStream(stream);
  loaded.SetXDensity(72);
  loaded.GetBitmap();  // decoded: its resolution is 72 dpi
  ASSERT_EQ(loaded.GetXDensity(), 72);
  TJPEGImageExtra copy;
  copy.Assign(loaded);
  copy.SetXDensity(10);
  EXPECT_EQ(loaded.GetXDensity(), 72);
  EXPECT_EQ(copy.GetXDensity(), 10);
  TBMPImage out;
  loaded.AssignTo(out);
  EXPECT_EQ(out.GetXPelsPerMeter(), 2835);
}

TEST(JpegQuality, EstimateOfFilesOurEncoderWrote) {
  struct Case {
    int quality;
    int expected;
    double error;  // < 0: not checked; the variance of the ratios, "about" this value
  };
  const Case cases[] = {{10, 14, -1}, {50, 50, 0}, {75, 75, 0.4932}, {100, 100, -1}};
  for (const Case& c : cases) {
    TJPEGImageExtra jpeg;
    jpeg.Assign(TestBitmap(16, 16));
    jpeg.Quality = static_cast<uint8_t>(c.quality);
    plat::TMemoryStream stream;
    jpeg.SaveToStream(stream);
    stream.SetPosition(0);
    TJPEGImageExtra loaded;
    loaded.LoadFromStream(stream);
    EXPECT_EQ(loaded.ApproxQuality, c.expected) << c.quality;
    if (c.error >= 0) {
      EXPECT_NEAR(loaded.ApproxQualityError, c.error, 0.01) << c.quality;
    }
  }
  TJPEGImageExtra none;
  plat::TMemoryStream no_tables(std::vector<uint8_t>{0xFF, 0xD8, 0xFF, 0xD9});
  EXPECT_THROW(none.LoadFromStream(no_tables), EJPEG);
  EXPECT_EQ(none.ApproxQuality, 0);
}

// ---- In-place rewrite

std::vector<uint8_t> Segment(uint8_t marker, const std::string& payload) {
  std::string header = {'\xFF', static_cast<char>(marker),
                        static_cast<char>((payload.size() + 2) >> 8),
                        static_cast<char>((payload.size() + 2) & 0xFF)};
  std::string bytes = header + payload;
  return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

// Puts raw segments behind the first `after` segments of a file.
void InsertSegments(const std::string& path, size_t after, const std::vector<uint8_t>& segments) {
  std::vector<uint8_t> file = ReadBytes(path);
  TJpegLayout layout = ScanJpegSegments(file);
  size_t at = layout.Segments.at(after - 1).End();
  file.insert(file.begin() + static_cast<std::ptrdiff_t>(at), segments.begin(), segments.end());
  WriteFile(path, file);
}

std::string PhotoshopPayload() {
  std::string resolution = std::string("8BIM\x03\xED\0\0\0\0\0\x10", 12) + std::string(16, '\x07');
  std::string iptc = std::string("8BIM\x04\x04\0\0\0\0\0\x08\x1C\x02\x78\0\x03old\0", 20);
  return std::string("Photoshop 3.0\0", 14) + resolution + iptc;
}

struct TRewriteCase {
  const char* name;
  const char* make;  // shell command writing f.jpg from in.ppm
  int insert_after;  // raw extra segments go behind this many segments (0: none)
  bool photoshop;    // the extra segments: APP13 with an unmodelled block, else ICC APP2
  Markers before;    // leading markers before the rewrite
  Markers after;     // and after it
};

class RewriteTable : public ::testing::TestWithParam<TRewriteCase> {};

TEST_P(RewriteTable, KeepsScanDataAndTheSegmentsItDoesNotOwn) {
  const TRewriteCase& c = GetParam();
  TScratch scratch;
  WriteTestPpm(scratch.Path("in.ppm"), 48, 32);
  Shell(scratch, c.make);
  if (c.insert_after > 0)
    InsertSegments(scratch.Path("f.jpg"), c.insert_after,
                   c.photoshop ? Segment(APP13, PhotoshopPayload())
                               : Segment(APP2, std::string("ICC_PROFILE\0\x01\x01", 14) + "xyz"));
  std::vector<uint8_t> before = ReadBytes(scratch.Path("f.jpg"));
  Markers markers = SegmentMarkers(before);
  ASSERT_EQ(Markers(markers.begin(), markers.begin() + c.before.size()), c.before) << c.name;
  Shell(scratch, "djpeg -pnm -outfile before.pnm f.jpg");

  TFileInfo info;
  info.Caption = "new caption";
  info.HasFileInfo = true;
  TExif exif;
  ASSERT_TRUE(exif.SetAttribute("Make", u"NewMake"));
  TJPEGImageExtra::RewriteFileMetadata(scratch.Path("f.jpg"), info, exif);

  std::vector<uint8_t> after = ReadBytes(scratch.Path("f.jpg"));
  markers = SegmentMarkers(after);
  EXPECT_EQ(Markers(markers.begin(), markers.begin() + c.after.size()), c.after) << c.name;
  EXPECT_EQ(ScanData(after), ScanData(before)) << c.name;
  Shell(scratch, "djpeg -pnm -outfile after.pnm f.jpg");
  EXPECT_EQ(ReadBytes(scratch.Path("after.pnm")), ReadBytes(scratch.Path("before.pnm")));
  EXPECT_EQ(Exiftool(scratch, "IPTC:Caption-Abstract", "f.jpg"), "new caption");
  EXPECT_EQ(Exiftool(scratch, "EXIF:Make", "f.jpg"), "NewMake");
  EXPECT_EQ(Exiftool(scratch, "EXIF:Model", "f.jpg"), "");  // the old EXIF block is gone
  if (std::string(c.name) == "xmp") {
    EXPECT_EQ(Exiftool(scratch, "XMP:Title", "f.jpg"), "kept");
  }
  if (c.photoshop) {
    EXPECT_EQ(Exiftool(scratch, "Photoshop:XResolution", "f.jpg"), "1799.03");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Files, RewriteTable,
    ::testing::Values(
        TRewriteCase{"camera",
                     "cjpeg in.ppm > f.jpg && exiftool -q -overwrite_original -JFIF:all= "
                     "-EXIF:Make=Cam -EXIF:Model=M f.jpg",
                     0,
                     false,
                     {SOI, APP1, DQT},
                     {SOI, APP13, APP1, DQT}},
        TRewriteCase{"jfif and photoshop",
                     "cjpeg in.ppm > f.jpg",
                     2,
                     true,
                     {SOI, APP0, APP13, DQT},
                     {SOI, APP0, APP13, APP1, DQT}},
        TRewriteCase{"xmp",
                     "cjpeg in.ppm > f.jpg && exiftool -q -overwrite_original -XMP-dc:Title=kept "
                     "-EXIF:Model=M f.jpg",
                     0,
                     false,
                     {SOI, APP0, APP1, APP1, DQT},
                     {SOI, APP0, APP13, APP1, APP1, DQT}},
        TRewriteCase{"icc and adobe",
                     "convert in.ppm -colorspace CMYK f.jpg",
                     1,
                     false,
                     {SOI, APP2, APP14},
                     {SOI, APP13, APP1, APP2, APP14}},
        TRewriteCase{"progressive",
                     "cjpeg -progressive in.ppm > f.jpg",
                     0,
                     false,
                     {SOI, APP0, DQT},
                     {SOI, APP0, APP13, APP1, DQT}}),
    [](const auto& info) {
      std::string name = info.param.name;
      for (char& ch : name)
        if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
      return name;
    });

TEST(JpegRewrite, WithoutFileInfoOrTagsTheOldSegmentsGoAndAnUnmodelledBlockStays) {
  TScratch scratch;
  WriteTestPpm(scratch.Path("in.ppm"), 16, 16);
  Shell(scratch, "cjpeg in.ppm > f.jpg");
  InsertSegments(scratch.Path("f.jpg"), 2, Segment(APP13, PhotoshopPayload()));
  TJPEGImageExtra::RewriteFileMetadata(scratch.Path("f.jpg"), TFileInfo(), TExif());
  std::vector<uint8_t> after = ReadBytes(scratch.Path("f.jpg"));
  Markers markers = SegmentMarkers(after);
  EXPECT_EQ(Markers(markers.begin(), markers.begin() + 4), (Markers{SOI, APP0, APP13, DQT}));
  EXPECT_EQ(Exiftool(scratch, "IPTC:Caption-Abstract", "f.jpg"), "");
  EXPECT_EQ(Exiftool(scratch, "Photoshop:XResolution", "f.jpg"), "1799.03");

  Shell(scratch, "cjpeg in.ppm > g.jpg");
  TJPEGImageExtra::RewriteFileMetadata(scratch.Path("g.jpg"), TFileInfo(), TExif());
  markers = SegmentMarkers(ReadBytes(scratch.Path("g.jpg")));
  EXPECT_EQ(Markers(markers.begin(), markers.begin() + 3), (Markers{SOI, APP0, DQT}));
}

TEST(JpegRewrite, FailuresLeaveTheFileAsItWas) {
  TScratch scratch;
  WriteTestPpm(scratch.Path("in.ppm"), 16, 16);
  Shell(scratch, "cjpeg in.ppm > f.jpg");
  std::vector<uint8_t> original = ReadBytes(scratch.Path("f.jpg"));
  TExif bad;
  std::string comment = "UserComment=41";
  for (int i = 1; i < 65600; ++i) comment += ",41";
  bad.Tags = {comment};
  try {
    TJPEGImageExtra::RewriteFileMetadata(scratch.Path("f.jpg"), TFileInfo(), bad);
    ADD_FAILURE();
  } catch (const EJPEG& e) {
    EXPECT_STREQ(e.what(), "The EXIF data does not fit in one JPEG segment.");
  }
  EXPECT_EQ(ReadBytes(scratch.Path("f.jpg")), original);

  std::vector<uint8_t> cut(original.begin(), original.begin() + 30);
  WriteFile(scratch.Path("cut.jpg"), cut);
  try {
    TJPEGImageExtra::RewriteFileMetadata(scratch.Path("cut.jpg"), TFileInfo(), TExif());
    ADD_FAILURE();
  } catch (const plat::EInvalidGraphic& e) {
    EXPECT_STREQ(e.what(), "Error");
  }
  EXPECT_EQ(ReadBytes(scratch.Path("cut.jpg")), cut);
}

// ---- What the rewrite carries over from the file's old EXIF block

// The file's metadata as read into a JPEG image, as the control holds it after a load.
void Load(TJPEGImageExtra& jpeg, const std::string& path) {
  std::vector<uint8_t> bytes = ReadBytes(path);
  plat::TReadOnlyMemoryStream stream(bytes.data(), static_cast<int64_t>(bytes.size()));
  jpeg.LoadFromStream(stream);
}

// exiftool's listing of every tag, without the lines a rewrite must change or that describe
// the file rather than its content.
std::vector<std::string> TagLines(const TScratch& scratch, const std::string& file,
                                  const std::vector<std::string>& changed) {
  std::vector<std::string> lines;
  std::string listing = Shell(scratch, "exiftool -a -G1 -s " + file);
  size_t start = 0;
  while (start < listing.size()) {
    size_t end = listing.find('\n', start);
    if (end == std::string::npos) end = listing.size();
    std::string line = listing.substr(start, end - start);
    start = end + 1;
    if (line.rfind("[System]", 0) == 0 || line.rfind("[ExifTool]", 0) == 0) continue;
    const size_t name_at = line.find_first_not_of(' ', line.find(']') + 1);
    const std::string name = line.substr(name_at, line.find(' ', name_at) - name_at);
    if (std::find(changed.begin(), changed.end(), name) == changed.end()) lines.push_back(line);
  }
  return lines;
}

TEST(JpegRewrite, EverythingTheStoreDoesNotModelIsCarriedOver) {
  TScratch scratch;
  WriteTestPpm(scratch.Path("in.ppm"), 48, 32);
  Shell(scratch,
        "cjpeg in.ppm > f.jpg && convert -size 16x12 xc:red thumb.jpg && "
        "exiftool -q -overwrite_original -EXIF:Make=Cam -EXIF:Model=M -EXIF:Artist=Ann "
        "-EXIF:LensModel=Lens -EXIF:OffsetTime=+01:00 -IFD0:Rating=3 -GPSLatitude=10.5 "
        "-GPSLatitudeRef=N -GPSSpeed=5 -GPSSpeedRef=K -InteropIndex=R98 "
        "'-ThumbnailImage<=thumb.jpg' -XMP-dc:Title=kept -IPTC:Caption-Abstract=Cap f.jpg");
  InsertSegments(scratch.Path("f.jpg"), 1,
                 Segment(APP2, std::string("ICC_PROFILE\0\x01\x01", 14) + "xyz"));
  // Setting an attribute also sets the EXIF version and, with GPS data, the GPS version; the
  // IPTC block is the file info's own encoding, which states its record version.
  const std::vector<std::string> changed = {
      "Artist",          "ExifVersion",       "GPSVersionID",
      "ThumbnailOffset", "CurrentIPTCDigest", "ApplicationRecordVersion"};
  const std::vector<std::string> before = TagLines(scratch, "f.jpg", changed);
  Shell(scratch, "djpeg -pnm -outfile before.pnm f.jpg && exiftool -b -XMP f.jpg > before.xmp");
  Shell(scratch, "exiftool -b -ThumbnailImage f.jpg > before.thumb");

  TJPEGImageExtra jpeg;
  Load(jpeg, scratch.Path("f.jpg"));
  ASSERT_TRUE(jpeg.Exif.SetAttribute("Artist", u"Bea"));
  TJPEGImageExtra::RewriteFileMetadata(scratch.Path("f.jpg"), jpeg.FileInfo, jpeg.Exif);

  const std::vector<std::string> after = TagLines(scratch, "f.jpg", changed);
  for (const std::string& line : before)
    EXPECT_NE(std::find(after.begin(), after.end(), line), after.end()) << "lost: " << line;
  for (const std::string& line : after)
    EXPECT_NE(std::find(before.begin(), before.end(), line), before.end()) << "new: " << line;
  EXPECT_EQ(Exiftool(scratch, "EXIF:Artist", "f.jpg"), "Bea");
  EXPECT_EQ(Exiftool(scratch, "InteropIndex", "f.jpg"), "R98 - DCF basic file (sRGB)");
  Shell(scratch, "djpeg -pnm -outfile after.pnm f.jpg && exiftool -b -XMP f.jpg > after.xmp");
  Shell(scratch, "exiftool -b -ThumbnailImage f.jpg > after.thumb");
  EXPECT_EQ(ReadBytes(scratch.Path("after.pnm")), ReadBytes(scratch.Path("before.pnm")));
  EXPECT_EQ(ReadBytes(scratch.Path("after.xmp")), ReadBytes(scratch.Path("before.xmp")));
  EXPECT_FALSE(ReadBytes(scratch.Path("after.thumb")).empty());
  EXPECT_EQ(ReadBytes(scratch.Path("after.thumb")), ReadBytes(scratch.Path("before.thumb")));
}

// An EXIF block with Make "Canon" and a maker note whose one entry points, by an offset from the
// TIFF header, at an ASCII value inside the note.
std::string CanonExif(bool big_endian) {
  std::string tiff;
  auto put16 = [&](uint32_t v) {
    char b[2] = {static_cast<char>(v), static_cast<char>(v >> 8)};
    if (big_endian) std::swap(b[0], b[1]);
    tiff.append(b, 2);
  };
  auto put32 = [&](uint32_t v) {
    char b[4] = {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
                 static_cast<char>(v >> 24)};
    if (big_endian) std::swap(b[0], b[3]), std::swap(b[1], b[2]);
    tiff.append(b, 4);
  };
  const std::string value("IMG:TEST JPEG\0", 14);
  constexpr uint32_t kNote = 64;  // 8 header, 30 IFD0, 6 "Canon", 18 EXIF IFD, 2 padding
  tiff += big_endian ? "MM" : "II";
  put16(42), put32(8);
  put16(2);                                      // IFD0 at 8
  put16(0x010F), put16(2), put32(6), put32(38);  // Make
  put16(0x8769), put16(4), put32(1), put32(44);  // Exif IFD
  put32(0);
  tiff += std::string("Canon\0", 6);  // 38
  put16(1);                           // Exif IFD at 44
  put16(0x927C), put16(7), put32(18 + static_cast<uint32_t>(value.size())), put32(kNote);
  put32(0);
  tiff += std::string(2, '\0');
  put16(1);  // the maker note at 64: one entry, offset from the TIFF header
  put16(0x0006), put16(2), put32(static_cast<uint32_t>(value.size())), put32(kNote + 18);
  put32(0);
  tiff += value;
  return std::string("Exif\0\0", 6) + tiff;
}

std::set<std::string> Warnings(const TScratch& scratch, const std::string& file) {
  std::set<std::string> lines;
  std::string out = Shell(scratch, "exiftool -validate -warning -a -s " + file + " || true");
  size_t start = 0;
  while (start < out.size()) {
    size_t end = out.find('\n', start);
    if (end == std::string::npos) end = out.size();
    const std::string line = out.substr(start, end - start);
    if (line.rfind("Validate", 0) != 0) lines.insert(line);  // the count is not a warning
    start = end + 1;
  }
  return lines;
}

TEST(JpegRewrite, TheMakerNoteKeepsItsOffsetInEitherByteOrder) {
  for (bool big_endian : {false, true}) {
    SCOPED_TRACE(big_endian ? "MM" : "II");
    TScratch scratch;
    WriteTestPpm(scratch.Path("in.ppm"), 16, 16);
    Shell(scratch, "cjpeg in.ppm > f.jpg");
    InsertSegments(scratch.Path("f.jpg"), 1, Segment(APP1, CanonExif(big_endian)));
    ASSERT_EQ(Exiftool(scratch, "CanonImageType", "f.jpg"), "IMG:TEST JPEG");
    const std::set<std::string> warnings = Warnings(scratch, "f.jpg");

    // Data that grows in front of the note must flow round it.
    TJPEGImageExtra jpeg;
    Load(jpeg, scratch.Path("f.jpg"));
    ASSERT_TRUE(jpeg.Exif.SetAttribute("Artist", std::u16string(300, u'x')));
    ASSERT_TRUE(jpeg.Exif.SetAttribute("Model", u"EOS"));
    TJPEGImageExtra::RewriteFileMetadata(scratch.Path("f.jpg"), jpeg.FileInfo, jpeg.Exif);
    EXPECT_EQ(Exiftool(scratch, "CanonImageType", "f.jpg"), "IMG:TEST JPEG");
    EXPECT_EQ(Exiftool(scratch, "EXIF:Model", "f.jpg"), "EOS");
    EXPECT_EQ(Exiftool(scratch, "ExifByteOrder", "f.jpg"),
              big_endian ? "Big-endian (Motorola, MM)" : "Little-endian (Intel, II)");
    for (const std::string& warning : Warnings(scratch, "f.jpg"))
      EXPECT_TRUE(warnings.count(warning)) << warning;

    jpeg.Exif.Clear();
    TJPEGImageExtra::RewriteFileMetadata(scratch.Path("f.jpg"), jpeg.FileInfo, jpeg.Exif);
    EXPECT_EQ(Exiftool(scratch, "CanonImageType", "f.jpg"), "");
    EXPECT_EQ(Exiftool(scratch, "EXIF:Make", "f.jpg"), "");
  }
}

TEST(JpegRewrite, ADamagedOldBlockLeavesOnlyTheStore) {
  TScratch scratch;
  WriteTestPpm(scratch.Path("in.ppm"), 16, 16);
  Shell(scratch, "cjpeg in.ppm > f.jpg");
  std::string damaged = CanonExif(false);
  damaged[6 + 4] = '\x7F';  // IFD0 far outside the block
  InsertSegments(scratch.Path("f.jpg"), 1, Segment(APP1, damaged));
  TExif exif;
  ASSERT_TRUE(exif.SetAttribute("Make", u"Fresh"));
  TJPEGImageExtra::RewriteFileMetadata(scratch.Path("f.jpg"), TFileInfo(), exif);
  EXPECT_EQ(Exiftool(scratch, "EXIF:Make", "f.jpg"), "Fresh");
  EXPECT_EQ(Exiftool(scratch, "CanonImageType", "f.jpg"), "");
}

}  // namespace
}  // namespace pictavo
