// Locale-free numbers, the three text encodings and automation dates.
#include <clocale>

#include <gtest/gtest.h>

#include "platform/base/datetime.h"
#include "platform/base/exceptions.h"
#include "platform/base/numbers.h"
#include "platform/base/text.h"

using namespace plat;

namespace {

// A locale with a decimal comma, when the system has one; numbers must not notice it.
class DecimalCommaLocale : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8"})
      if (std::setlocale(LC_ALL, name)) break;
  }
  void TearDown() override { std::setlocale(LC_ALL, "C"); }
};

TEST_F(DecimalCommaLocale, ParsesAndPrintsWithAPoint) {
  struct Case {
    const char* text;
    bool ok;
    double value;
  };
  const Case cases[] = {{"3.75", true, 3.75}, {" -0.5 ", true, -0.5}, {"+2", true, 2},
                        {"1e3", true, 1000},  {"3,75", false, 0},     {"", false, 0},
                        {"--1", false, 0},    {"+-1", false, 0},      {"1.5x", false, 0},
                        {"inf", false, 0}};
  for (const Case& c : cases) {
    double v = 0;
    EXPECT_EQ(TryStrToFloat(c.text, v), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(v, c.value) << c.text;
    }
  }
  EXPECT_EQ(FloatToStr(0.1), "0.1");
  EXPECT_EQ(FloatToStrDigits(2.0 / 3.0, 4), "0.6667");
  EXPECT_EQ(FloatToStrDigits(100.0, 15), "100");
  EXPECT_EQ(FloatToStrFixed(1.005, 1), "1.0");
  EXPECT_EQ(IntToStr(-2147483648LL), "-2147483648");
}

TEST(Numbers, IntegersCheckTheirRange) {
  int32_t v = 0;
  EXPECT_TRUE(TryStrToInt("2147483647", v));
  EXPECT_EQ(v, 2147483647);
  EXPECT_FALSE(TryStrToInt("2147483648", v));
  EXPECT_FALSE(TryStrToInt("12.0", v));
  EXPECT_THROW(StrToInt("x1"), EConvertError);
  try {
    StrToInt("abc");
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "'abc' is not a valid integer value");
  }
}

TEST(Text, Windows1252MapsItsHighControlsBothWays) {
  const std::string ansi =
      "\x80\x8A\x9F\xE9\x81";  // euro, S caron, Y diaeresis, e acute, unassigned
  const std::u16string wide = AnsiToUtf16(ansi);
  EXPECT_EQ(wide, (std::u16string{0x20AC, 0x0160, 0x0178, 0x00E9, 0x0081}));
  EXPECT_EQ(Utf16ToAnsi(wide), ansi);
  EXPECT_EQ(Utf16ToAnsi(u"\u4E2D!"), "?!");  // outside the code page
  EXPECT_EQ(AnsiToUtf8("\x80"), "\xE2\x82\xAC");
  EXPECT_EQ(Utf8ToAnsi("\xE2\x82\xAC"), "\x80");
}

TEST(Text, MalformedUtf8BecomesReplacementAndFallsBackTo1252) {
  EXPECT_EQ(Utf8ToUtf16("a\xC3"), u"a\uFFFD");        // truncated sequence
  EXPECT_EQ(Utf8ToUtf16("\xC0\xAF"), u"\uFFFD");      // overlong slash
  EXPECT_EQ(Utf8ToUtf16("\xED\xA0\x80"), u"\uFFFD");  // encoded surrogate
  EXPECT_EQ(Utf16ToUtf8(std::u16string(1, 0xD800)), "\xEF\xBF\xBD");
  EXPECT_TRUE(
      IsValidUtf8("Gr\xC3\xBC\xC3\x9F"
                  "e \xEF\xBF\xBD"));
  EXPECT_FALSE(IsValidUtf8("Caf\xE9"));
  EXPECT_EQ(TextBytesToUtf8("Caf\xE9"), "Caf\xC3\xA9");
  EXPECT_EQ(TextBytesToUtf8("Caf\xC3\xA9"), "Caf\xC3\xA9");
}

TEST(Text, CaseFoldingIsAsciiOnly) {
  EXPECT_TRUE(SameTextIgnoringCase("ThreadingModel", "threadingmodel"));
  EXPECT_FALSE(SameTextIgnoringCase("\xC3\x89", "\xC3\xA9"));
  EXPECT_LT(CompareTextIgnoringCase("abc", "ABD"), 0);
  EXPECT_TRUE(SameTextIgnoringCase(u"Pictavo.ImageBox", u"PICTAVO.IMAGEBOX"));
}

TEST(DateTime, CountsDaysFromTheEndOf1899) {
  struct Case {
    DateParts parts;
    double value;
  };
  const Case cases[] = {
      {{1899, 12, 30, 0, 0, 0, 0}, 0.0},
      {{1900, 1, 1, 0, 0, 0, 0}, 2.0},
      {{1900, 3, 1, 0, 0, 0, 0}, 61.0},  // 1900 is no leap year
      {{2000, 2, 29, 12, 0, 0, 0}, 36585.5},
      {{2004, 5, 6, 10, 11, 12, 0}, 38113.0 + (10 * 3600 + 11 * 60 + 12) / 86400.0},
      {{1899, 12, 29, 6, 0, 0, 0}, -1.25},  // before the epoch the time still counts forwards
      {{1, 1, 1, 0, 0, 0, 0}, -693593.0},
      {{9999, 12, 31, 23, 59, 59, 999}, 2958465.0 + 86399999 / 86400000.0},
  };
  for (const Case& c : cases) {
    const double v = EncodeDateTime(c.parts);
    EXPECT_NEAR(v, c.value, 1e-9) << c.parts.year << "-" << c.parts.month << "-" << c.parts.day;
    const DateParts back = DecodeDateTime(v);
    EXPECT_EQ(back.year, c.parts.year);
    EXPECT_EQ(back.month, c.parts.month);
    EXPECT_EQ(back.day, c.parts.day);
    EXPECT_EQ(back.hour, c.parts.hour);
    EXPECT_EQ(back.minute, c.parts.minute);
    EXPECT_EQ(back.second, c.parts.second);
    EXPECT_EQ(back.millisecond, c.parts.millisecond);
  }
}

TEST(DateTime, InvalidPartsRaiseTheConversionError) {
  TDateTime v = 0;
  EXPECT_FALSE(TryEncodeDate(2004, 13, 6, v));
  EXPECT_FALSE(TryEncodeDate(2001, 2, 29, v));
  EXPECT_FALSE(TryEncodeTime(24, 0, 0, 0, v));
  try {
    EncodeDateTime(DateParts{2004, 13, 6, 10, 11, 12, 0});
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_NE(std::string(e.what()).find("is not a valid date and time"), std::string::npos);
  }
}

TEST(DateTime, IsoTextRoundTrip) {
  EXPECT_EQ(DateTimeToIsoText(0), "1899-12-30");
  EXPECT_EQ(DateTimeToIsoText(38113.5), "2004-05-06 12:00:00");
  TDateTime v = 0;
  ASSERT_TRUE(TryIsoTextToDateTime("2004-05-06 12:00", v));
  EXPECT_DOUBLE_EQ(v, 38113.5);
  EXPECT_FALSE(TryIsoTextToDateTime("2004-02-30", v));
  EXPECT_FALSE(TryIsoTextToDateTime("yesterday", v));
}

}  // namespace
