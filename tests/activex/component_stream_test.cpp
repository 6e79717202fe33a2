#include "control/activex/component_stream.h"

#include <gtest/gtest.h>


#include "control/activex/control_state.h"
#include "control/engine/view/pvimage.h"
#include "platform/base/exceptions.h"
#include "support/test_files.h"

namespace pictavo {
namespace {

std::vector<uint8_t> Fixture(const std::string& name) {
  return velmora::test::ReadBytes(std::string(VELMORA_SOURCE_DIR) + "/tests/activex/fixtures/" +
                                  name);
}

struct StoredForm {
  const char* file;
  int left, top, width, height;
  bool scroll_bars;
  const char* twain_name;
};

class StoredForms : public testing::TestWithParam<StoredForm> {};

TEST_P(StoredForms, LoadAndWriteBackIdentically) {
  const StoredForm f = GetParam();
  const std::vector<uint8_t> bytes = Fixture(f.file);
  ASSERT_FALSE(bytes.empty());
  TpvImage view;
  LoadControlStream(view, bytes.data(), bytes.size());
  EXPECT_EQ(view.x(), f.left);
  EXPECT_EQ(view.y(), f.top);
  EXPECT_EQ(view.width(), f.width);
  EXPECT_EQ(view.height(), f.height);
  EXPECT_EQ(view.HelpType(), 0);  // htKeyword
  EXPECT_EQ(view.TextFont().Charset, 0);
  EXPECT_EQ(view.TextFont().Color, 0x80000008u);
  EXPECT_EQ(view.TextFont().Height, -11);
  EXPECT_EQ(view.TextFont().Name, "MS Sans Serif");
  EXPECT_EQ(view.TextFont().Style, 0);
  EXPECT_EQ(view.Zoom(), 100.0);
  EXPECT_EQ(view.ShowScrollBars(), f.scroll_bars);
  EXPECT_EQ(view.TwainAppName(), f.twain_name);
  EXPECT_EQ(SaveControlStream(view), bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Program, StoredForms,
    testing::Values(StoredForm{"main_viewer.tpf", 8, 40, 489, 313, true, "Velmora JPEG"},
                    StoredForm{"main_temp.tpf", 600, 24, 129, 97, false, "Pictavo"},
                    StoredForm{"frame_temp.tpf", 16, 16, 65, 49, true, "Pictavo"}));

TEST(ControlState, FreshControlWritesOnlyWhatDiffersFromDefaults) {
  TpvImage view;
  std::vector<std::string> names;
  for (const auto& [name, value] : SaveControlState(view).properties) names.push_back(name);
  EXPECT_EQ(names, (std::vector<std::string>{"Left", "Top", "Width", "Height", "TextFont.Charset",
                                             "TextFont.Color", "TextFont.Height", "TextFont.Name",
                                             "TextFont.Style", "Zoom", "TwainAppName"}));
}

TEST(ControlState, ChangedPropertiesSurviveARoundTrip) {
  TpvImage view;
  view.SetMergeTransparency(37.5);
  view.SetPenColor(0x123456);
  view.SetBrushColor(0x800000);  // clNavy travels as a name
  view.SetPenMode(14);
  view.SetTextAngle(12.25f);
  TFontDesc font = view.TextFont();
  font.Style = TFontDesc::fsBold | TFontDesc::fsStrikeOut;
  view.SetTextFont(font);
  view.SetJPEGQuality(55);
  view.SetScrollSpeed(300);
  view.SetUseLZW(false);
  view.SetCursorId(-21);
  const std::vector<uint8_t> bytes = SaveControlStream(view);
  TpvImage back;
  LoadControlStream(back, bytes.data(), bytes.size());
  EXPECT_EQ(back.MergeTransparency(), 37.5);
  EXPECT_EQ(back.PenColor(), 0x123456u);
  EXPECT_EQ(back.BrushColor(), 0x800000u);
  EXPECT_EQ(back.PenMode(), 14);
  EXPECT_EQ(back.TextAngle(), 12.25f);
  EXPECT_EQ(back.TextFont(), view.TextFont());
  EXPECT_EQ(back.JPEGQuality(), 55);
  EXPECT_EQ(back.ScrollSpeed(), 300);
  EXPECT_FALSE(back.UseLZW());
  EXPECT_EQ(back.Cursor(), -21);
  EXPECT_EQ(SaveControlStream(back), bytes);
}

TEST(ComponentStream, EveryTruncationFailsCleanly) {
  const std::vector<uint8_t> bytes = Fixture("main_temp.tpf");
  for (size_t n = 0; n < bytes.size(); ++n)
    EXPECT_THROW(ReadComponentStream(bytes.data(), n), plat::EReadError) << n;
  std::vector<uint8_t> bad_tag = bytes;
  bad_tag[0x13] = 0x7F;  // the value tag of Left
  EXPECT_THROW(ReadComponentStream(bad_tag.data(), bad_tag.size()), plat::EReadError);
}

TEST(ComponentStream, WrongValueKindIsRefused) {
  TComponentImage image;
  image.class_name = "TpvImage";
  image.properties.emplace_back("UseLZW", TStreamValue::Integer(3));
  TpvImage view;
  EXPECT_THROW(LoadControlState(view, image), plat::EReadError);
}

TEST(Extended, ConvertsLikeThe80BitFormat) {
  struct Case {
    double value;
    uint16_t sign_exponent;
    uint64_t mantissa;
  } cases[] = {{100.0, 0x4005, 0xC800000000000000ull},
               {1.0, 0x3FFF, 0x8000000000000000ull},
               {-1.5, 0xBFFF, 0xC000000000000000ull},
               {0.0, 0, 0}};
  for (const Case& c : cases) {
    uint8_t bytes[10];
    DoubleToExtended(c.value, bytes);
    uint64_t mantissa = 0;
    for (int i = 0; i < 8; ++i) mantissa |= uint64_t{bytes[i]} << (8 * i);
    EXPECT_EQ(mantissa, c.mantissa) << c.value;
    EXPECT_EQ(bytes[8] | (bytes[9] << 8), c.sign_exponent) << c.value;
    EXPECT_EQ(ExtendedToDouble(bytes), c.value);
  }
}

// A Single keeps its four bytes: a signalling NaN would lose its payload on its way through a
// double, and the stream would no longer write back as it was read.
TEST(ComponentStream, SingleValuesWriteBackByteForByte) {
  // A TpvImage with no name whose Zoom is a Single (tag 14) at offset 20.
  const std::string stream("TPF0\x08TpvImage\x00\x04Zoom\x0e\x00\x00\xc8\x42\x00\x00", 26);
  const std::vector<uint8_t> base(stream.begin(), stream.end());
  const uint8_t singles[][4] = {{0x01, 0x00, 0xA0, 0x7F},   // signalling NaN with a payload
                                {0x00, 0x00, 0xC0, 0xFF},   // quiet negative NaN
                                {0x00, 0x00, 0x80, 0x7F},   // infinity
                                {0x00, 0x00, 0xC8, 0x42}};  // 100
  for (const auto& single : singles) {
    std::vector<uint8_t> bytes = base;
    std::copy(single, single + 4, bytes.begin() + 20);
    const TComponentImage image = ReadComponentStream(bytes.data(), bytes.size());
    EXPECT_EQ(WriteComponentStream(image), bytes) << int{single[0]};
  }
  const TStreamValue hundred = TStreamValue::Float(100.0f);
  EXPECT_EQ(std::vector<uint8_t>(hundred.single, hundred.single + 4),
            std::vector<uint8_t>(singles[3], singles[3] + 4));
}

}  // namespace
}  // namespace pictavo
