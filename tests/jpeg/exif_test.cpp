#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>

#include "control/formats/jpeg/exif.h"
#include "platform/base/datetime.h"
#include "platform/base/exceptions.h"

namespace pictavo {
namespace {

using Bytes = std::string;
using Lines = std::vector<std::string>;

TBEMemoryStream StreamOf(const Bytes& bytes) {
  return TBEMemoryStream(std::vector<uint8_t>(bytes.begin(), bytes.end()));
}

Lines ReadBack(const Bytes& payload, bool convert_utf8 = true) {
  TBEMemoryStream stream = StreamOf(payload);
  TExif exif;
  exif.ConvertUTF8 = convert_utf8;
  bool found = false;
  exif.ReadFromStream(stream, found, false);
  EXPECT_TRUE(found);
  return exif.Tags;
}

uint32_t LE16(const Bytes& b, size_t at) {
  return static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1]) << 8;
}
uint32_t LE32(const Bytes& b, size_t at) {
  return LE16(b, at) | LE16(b, at + 2) << 16;
}

TEST(ExifTable, HasTheDocumentedShape) {
  auto table = ExifTagTable();
  ASSERT_EQ(table.size(), 111u);
  EXPECT_STREQ(table[0].Name, "ImageDescription");
  EXPECT_STREQ(table[30].Name, "");
  EXPECT_EQ(table[30].Tag, 0xFFFF);
  EXPECT_STREQ(table[110].Name, "GPSDifferential");
  TExif exif;
  EXPECT_EQ(exif.AttributeNameOf(0x9000), "ExifVersion");
  EXPECT_EQ(exif.AttributeNameOf(65535), "");
  EXPECT_EQ(exif.AttributeDataType(""), 1);
  EXPECT_EQ(exif.AttributeDataCount(""), 0);
  EXPECT_EQ(exif.AttributeDataType("datetime"), 2);
  EXPECT_EQ(exif.AttributeDataCount("DATETIME"), 20);
  EXPECT_EQ(exif.AttributeDataType("ShutterSpeedValue"), 10);
  EXPECT_EQ(exif.AttributeDataType("NoSuchTag"), 0);
  EXPECT_FALSE(exif.SetAttribute("", u"1"));
}

TEST(ExifStore, MakeGivesTheDocumentedLinesAndPayload) {
  TExif exif;
  ASSERT_TRUE(exif.SetAttribute("make", u"ACME"));
  EXPECT_EQ(exif.Tags, (Lines{"Make=ACME", "ExifVersion=30,32,32,30"}));
  Bytes p = exif.JpegPayload();
  ASSERT_GT(p.size(), 6u);
  EXPECT_EQ(p.substr(0, 6), Bytes("Exif\0\0", 6));
  Bytes t = p.substr(6);
  EXPECT_EQ(t.substr(0, 4), Bytes("II\x2A\x00", 4));
  EXPECT_EQ(LE32(t, 4), 8u);
  ASSERT_EQ(LE16(t, 8), 2u);
  EXPECT_EQ(LE16(t, 10), 0x010Fu);  // Make: 5 bytes out of line, at 12 * 2 + 14
  EXPECT_EQ(LE32(t, 14), 5u);
  EXPECT_EQ(LE32(t, 18), 38u);
  EXPECT_EQ(t.substr(38, 5), Bytes("ACME\0", 5));
  EXPECT_EQ(LE16(t, 22), 0x8769u);
  uint32_t exif_ifd = LE32(t, 30);
  EXPECT_EQ(exif_ifd, 43u);
  EXPECT_EQ(LE16(t, exif_ifd), 1u);
  EXPECT_EQ(LE16(t, exif_ifd + 2), 0x9000u);
  EXPECT_EQ(LE16(t, exif_ifd + 4), 7u);
  EXPECT_EQ(LE32(t, exif_ifd + 6), 4u);
  EXPECT_EQ(t.substr(exif_ifd + 10, 4), "0220");
  EXPECT_EQ(ReadBack(p), exif.Tags);
}

TEST(ExifStore, SetAttributeConvertsByTypeAndRefusesWhatDoesNotFit) {
  struct Case {
    const char* name;
    std::u16string value;
    bool accepted;
    const char* stored;
  };
  const Case cases[] = {
      {"XResolution", u"72", true, "72/1"},
      {"XResolution", u"0.5", true, "1/2"},
      {"XResolution", u"300/1", true, "300/1"},
      {"XResolution", u"-1", false, ""},
      {"XResolution", u"1/0", false, ""},
      {"XResolution", u"4294967296/1", false, ""},
      {"XResolution", u"72 72", false, ""},
      {"ShutterSpeedValue", u"-1/3", true, "-1/3"},
      {"ShutterSpeedValue", u"-0.5", true, "-1/2"},
      {"DateTime", u"2004:05:06 10:11:12", true, "2004:05:06 10:11:12"},
      {"DateTime", u"2004", true, "2004               "},
      {"Orientation", u"6", true, "6"},
      {"Orientation", u"70000", false, ""},
      {"Orientation", u"x", false, ""},
      {"ISOSpeedRatings", u"100", true, "100"},
      {"ISOSpeedRatings", u"100, 200", true, "100,200"},
      {"GPSAltitudeRef", u"256", false, ""},
      {"Make", u" ,, ", false, ""},
      {"UserComment", u"41,42,4A", true, "41,42,4a"},
      {"UserComment", u"414", false, ""},
      {"SubjectLocation", u"1 2", true, "1,2"},
      {"SubjectLocation", u"1", false, ""},
  };
  for (const Case& c : cases) {
    TExif exif;
    EXPECT_EQ(exif.SetAttribute(c.name, c.value), c.accepted) << c.name;
    EXPECT_EQ(exif.Value(c.name), c.stored) << c.name;
    if (!c.accepted) {
      EXPECT_TRUE(exif.Tags.empty()) << c.name;
      continue;
    }
    // What was accepted can be written and reads back the same.
    Lines read = ReadBack(exif.JpegPayload());
    TExif back;
    back.Tags = read;
    std::string value = back.Value(c.name);
    std::transform(value.begin(), value.end(), value.begin(), ::tolower);  // hex reads upper
    EXPECT_EQ(value, c.stored) << c.name;
  }
}

TEST(ExifStore, VersionsFollowTheAttributes) {
  TExif exif;
  ASSERT_TRUE(exif.SetAttribute("ExifVersion", u"30 32 32 31"));
  EXPECT_EQ(exif.Value("ExifVersion"), "30,32,32,30");
  ASSERT_TRUE(exif.SetAttribute("GPSLatitudeRef", u"N"));
  EXPECT_EQ(exif.Value("GPSLatitudeRef"), "N");
  EXPECT_EQ(exif.Value("GPSVersionID"), "2,2,0,0");
}

TEST(ExifStore, DeleteRemovesALineEvenWhenItsValueIsEmpty) {
  TExif exif;
  exif.Tags = {"Make=", "Model=X"};
  EXPECT_TRUE(exif.DeleteAttribute("make"));
  EXPECT_TRUE(exif.DeleteAttribute("Model"));
  EXPECT_FALSE(exif.DeleteAttribute("Model"));
  EXPECT_TRUE(exif.Tags.empty());
}

TEST(ExifStore, EveryTypeRoundTripsThroughTheJpegForm) {
  TExif exif;
  exif.Tags = {"Make=Caf\xE9",
               "Orientation=1",
               "XResolution=300/1",
               "ResolutionUnit=2",
               "BitsPerSample=8,8,8",
               "DateTime=2004:05:06 10:11:12",
               "ExposureBiasValue=-1/3",
               "ExifVersion=30,32,32,30",
               "UserComment=41,53,43,49,49,00,00,00,68,69",
               "GPSVersionID=2,2,0,0",
               "GPSLatitudeRef=N",
               "GPSLatitude=48/1,51/1,2400/100",
               "GPSAltitudeRef=0"};
  Lines upper = exif.Tags;
  upper[8] = "UserComment=41,53,43,49,49,00,00,00,68,69";
  upper.erase(upper.begin() + 4);  // BitsPerSample: layout comes from the image, not the store
  Lines read = ReadBack(exif.JpegPayload());
  std::sort(read.begin(), read.end());
  std::sort(upper.begin(), upper.end());
  EXPECT_EQ(read, upper);
  exif.ConvertUTF8 = false;
  EXPECT_NE(exif.JpegPayload().find("Caf\xE9"), Bytes::npos);
}

TEST(ExifStore, ReadsMotorolaOrderWithInlineValues) {
  Bytes p = Bytes("Exif\0\0MM\0\x2A\0\0\0\x08", 14);
  // IFD0: one entry, the Exif pointer (tag 0x8769) and the GPS pointer.
  p += Bytes(
      "\0\x02"
      "\x87\x69\0\x04\0\0\0\x01\0\0\0\x26"
      "\x88\x25\0\x04\0\0\0\x01\0\0\0\x38"
      "\0\0\0\0",
      30);
  p += Bytes(
      "\0\x01"
      "\x90\x00\0\x07\0\0\0\x04"
      "0220"
      "\0\0\0\0",
      18);
  p += Bytes(
      "\0\x01"
      "\0\x01\0\x02\0\0\0\x02"
      "N\0\0\0"
      "\0\0\0\0",
      18);
  EXPECT_EQ(ReadBack(p), (Lines{"ExifVersion=30,32,32,30", "GPSLatitudeRef=N"}));
}

TEST(ExifStore, ReadingStopsAtTheFirstProblemAndKeepsWhatItHas) {
  TExif source;
  source.Tags = {"Make=A", "Model=B", "Software=CCCCCCC"};
  Bytes p = source.JpegPayload();
  // A count above 4096 on the second entry ends the reading there.
  Bytes big = p;
  big[6 + 10 + 12 + 4] = '\x01';
  big[6 + 10 + 12 + 5] = '\x10';
  EXPECT_EQ(ReadBack(big), (Lines{"Make=A"}));
  // An offset past the end on the third entry ends the reading there.
  Bytes far = p;
  far[6 + 10 + 24 + 11] = '\x7F';
  EXPECT_EQ(ReadBack(far), (Lines{"Make=A", "Model=B"}));
  // Cut short inside the entry table.
  EXPECT_EQ(ReadBack(p.substr(0, 6 + 10 + 12 + 6)), (Lines{"Make=A"}));
  // Not EXIF at all.
  TBEMemoryStream other = StreamOf(Bytes("http://ns.adobe.com/xap/1.0/\0<x/>", 33));
  TExif exif;
  exif.Tags = {"Make=kept"};
  bool found = true;
  exif.ReadFromStream(other, found, false);
  EXPECT_FALSE(found);
  EXPECT_EQ(exif.Tags, (Lines{"Make=kept"}));
}

TEST(ExifStore, TiffFormContinuesTheCallersIfd) {
  TExif exif;
  exif.Tags = {"Make=IFD0 only", "ExifVersion=30,32,32,30", "GPSLatitudeRef=S"};
  plat::TMemoryStream out;
  Bytes head = Bytes("II\x2A\0\x08\0\0\0\x02\0", 10);  // IFD0 at 8 with the two pointers
  out.WriteBuffer(head.data(), 10);
  int64_t next = 0;
  int pointers = 0;
  exif.WriteToStream(out, true, next, pointers, 10);
  EXPECT_EQ(pointers, 2);
  EXPECT_EQ(next, 10 + 24);
  TBEMemoryStream in(out.Bytes());
  in.SetPosition(8);
  TExif back;
  bool found = false;
  back.ReadFromStream(in, found, true);
  EXPECT_TRUE(found);
  EXPECT_EQ(back.Tags, (Lines{"ExifVersion=30,32,32,30", "GPSLatitudeRef=S"}));
}

TEST(ExifStore, TextCrossesTheBoundaryAsWindows1252) {
  TExif exif;
  ASSERT_TRUE(exif.SetAttribute("Artist", u"Caf\u00E9 \u20AC \u4E2D"));
  EXPECT_EQ(exif.Value("Artist"), "Caf\xE9 \x80 ?");
  // Written as UTF-8 (ConvertUTF8), read back into the 8-bit code page.
  EXPECT_NE(exif.JpegPayload().find("Caf\xC3\xA9 \xE2\x82\xAC ?"), Bytes::npos);
  TExif back;
  back.Tags = ReadBack(exif.JpegPayload());
  EXPECT_EQ(back.Value("Artist"), "Caf\xE9 \x80 ?");
}

// SetAttribute refuses what could not be written; a value that got into the store another way
// and still does not convert is left out alone, in both forms.
TEST(ExifStore, AValueThatDoesNotConvertIsLeftOutAndTheRestWritten) {
  TExif exif;
  EXPECT_FALSE(exif.SetAttribute("FileSource", u"zz"));
  EXPECT_TRUE(exif.SetAttribute("FileSource", u"03"));
  exif.Tags.insert(exif.Tags.begin(), {"XResolution=abc", "Make=Cam", "FNumber=", "Model=M"});
  Lines read = ReadBack(exif.JpegPayload());
  std::sort(read.begin(), read.end());
  EXPECT_EQ(read, (Lines{"ExifVersion=30,32,32,30", "FileSource=03", "Make=Cam", "Model=M"}));

  plat::TMemoryStream tiff;
  int64_t next = 0;
  int pointers = 0;
  EXPECT_NO_THROW(exif.WriteToStream(tiff, true, next, pointers, 0));
  EXPECT_EQ(pointers, 1);  // the Exif IFD, holding what converted
}

// An ASCII ExifVersion (as some writers store it) is read as the bytes the table's type wants,
// so that it can be written again.
TEST(ExifStore, AValueStoredUnderAnotherTypeIsReadInTheTablesForm) {
  TExif exif;
  exif.Tags = {"ExifVersion=30,32,33,30", "ExposureTime=1/250"};
  std::string payload = exif.JpegPayload();
  const std::string undefined_entry("\x00\x90\x07\x00", 4);
  const size_t at = payload.find(undefined_entry);
  ASSERT_NE(at, std::string::npos);
  payload[at + 2] = 2;  // now ASCII "0230"
  Lines read = ReadBack(payload);
  std::sort(read.begin(), read.end());
  EXPECT_EQ(read, (Lines{"ExifVersion=30,32,33,30", "ExposureTime=1/250"}));
}

TEST(ExifText, RationalsAndDates) {
  const char* old = std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
  EXPECT_NEAR(RationalToReal("1/3"), 1.0 / 3, 1e-12);
  EXPECT_DOUBLE_EQ(RationalToReal("0.25"), 0.25);
  EXPECT_DOUBLE_EQ(RationalToReal("1/2/3"), 0);
  EXPECT_DOUBLE_EQ(RationalToReal(""), 0);
  if (old) std::setlocale(LC_NUMERIC, "C");
  try {
    RationalToReal("abc");
    ADD_FAILURE();
  } catch (const plat::EConvertError& e) {
    EXPECT_STREQ(e.what(), "Conversion error - value is not a number.");
  }
  try {
    RationalToReal("1/0");
    ADD_FAILURE();
  } catch (const plat::EConvertError& e) {
    EXPECT_STREQ(e.what(), "Conversion error - division by zero.");
  }
  EXPECT_EQ(RealToRational(72), "72/1");
  EXPECT_EQ(RealToRational(0.5), "1/2");
  EXPECT_EQ(RealToRational(-0.75), "-3/4");
  EXPECT_NEAR(RationalToReal(RealToRational(3.14159265358979)), 3.14159265358979, 1e-9);

  double date = plat::EncodeDateTime({2004, 5, 6, 10, 11, 12});
  EXPECT_DOUBLE_EQ(ExifStringToDate("2004:05:06 10:11:12"), date);
  EXPECT_DOUBLE_EQ(ExifStringToDate("2004-05-06T10.11.12"), date);
  EXPECT_DOUBLE_EQ(ExifStringToDate("2004:05:06"), 0);
  EXPECT_DOUBLE_EQ(ExifStringToDate("2004:05:06 10:11:xx"), 0);
  EXPECT_THROW(ExifStringToDate("2004:13:06 10:11:12"), plat::EConvertError);
  EXPECT_EQ(ExifDateToString(0), "1899:12:30 00:00:00");
  EXPECT_EQ(ExifDateToString(date), "2004:05:06 10:11:12");
}

}  // namespace
}  // namespace pictavo
