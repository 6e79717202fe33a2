// Pages assembled from the frames a backend sends, read back through the control's own reader of
// packed DIBs: pixel layouts, lines and bytes that do not match the parameters, three-pass colour,
// and the parameters that are refused.
#include <gtest/gtest.h>

#include <cstring>

#include "control/engine/view/image_transfer.h"
#include "platform/graphics/bmp_format.h"
#include "platform/graphics/pixel_budget.h"
#include "platform/scan/sane_frames.h"

namespace velmora_test {
namespace {

using plat::scan::TPageFrames;

SANE_Parameters Params(SANE_Frame format, int ppl, int bpl, int lines, int depth,
                       bool last = true) {
  SANE_Parameters p{};
  p.format = format;
  p.last_frame = last ? SANE_TRUE : SANE_FALSE;
  p.pixels_per_line = ppl;
  p.bytes_per_line = bpl;
  p.lines = lines;
  p.depth = depth;
  return p;
}

// A frame whose kind is no SANE_Frame, as a faulty backend could send it.
SANE_Parameters UnknownKind() {
  SANE_Parameters p = Params(SANE_FRAME_GRAY, 1, 1, 1, 8);
  const int kind = 9;
  std::memcpy(&p.format, &kind, sizeof kind);
  return p;
}

std::vector<uint8_t> Samples16(std::initializer_list<uint16_t> samples) {
  std::vector<uint8_t> bytes(samples.size() * 2);
  std::memcpy(bytes.data(), std::data(samples), bytes.size());  // the machine's byte order
  return bytes;
}

constexpr uint32_t kBlack = 0, kWhite = 0xFFFFFF;
uint32_t Grey(uint8_t v) {
  return v * 0x010101u;
}
uint32_t Rgb(uint8_t r, uint8_t g, uint8_t b) {
  return r | (uint32_t{g} << 8) | (uint32_t{b} << 16);
}

struct Frame {
  SANE_Parameters parameters;
  std::vector<uint8_t> bytes;
};

struct PageCase {
  const char* what;
  std::vector<Frame> frames;
  int width, height;
  std::vector<uint32_t> colours;  // row by row, top first
};

TEST(SanePageFrames, PagesReadBackAsTheBackendMeantThem) {
  const PageCase cases[] = {
      {"grey 8",
       {{Params(SANE_FRAME_GRAY, 3, 3, 2, 8), {0, 128, 255, 10, 20, 30}}},
       3,
       2,
       {Grey(0), Grey(128), Grey(255), Grey(10), Grey(20), Grey(30)}},
      {"grey 16, high bytes",
       {{Params(SANE_FRAME_GRAY, 2, 4, 1, 16), Samples16({0x12FF, 0xAB01})}},
       2,
       1,
       {Grey(0x12), Grey(0xAB)}},
      {"1 bit, 1 is black",
       {{Params(SANE_FRAME_GRAY, 10, 2, 1, 1), {0xA0, 0x40}}},
       10,
       1,
       {kBlack, kWhite, kBlack, kWhite, kWhite, kWhite, kWhite, kWhite, kWhite, kBlack}},
      {"rgb 8",
       {{Params(SANE_FRAME_RGB, 2, 6, 1, 8), {255, 0, 0, 1, 2, 3}}},
       2,
       1,
       {Rgb(255, 0, 0), Rgb(1, 2, 3)}},
      {"rgb 16",
       {{Params(SANE_FRAME_RGB, 1, 6, 1, 16), Samples16({0x1000, 0x2000, 0x30FF})}},
       1,
       1,
       {Rgb(0x10, 0x20, 0x30)}},
      {"padded lines",
       {{Params(SANE_FRAME_GRAY, 2, 4, 2, 8), {1, 2, 99, 99, 3, 4, 99, 99}}},
       2,
       2,
       {Grey(1), Grey(2), Grey(3), Grey(4)}},
      {"more bytes than promised",
       {{Params(SANE_FRAME_GRAY, 2, 2, 1, 8), {5, 6, 7, 8, 9, 10}}},
       2,
       1,
       {Grey(5), Grey(6)}},
      {"fewer lines than promised",
       {{Params(SANE_FRAME_GRAY, 2, 2, 5, 8), {5, 6, 7, 8, 9}}},
       2,
       2,
       {Grey(5), Grey(6), Grey(7), Grey(8)}},
      {"unknown lines",
       {{Params(SANE_FRAME_GRAY, 2, 2, -1, 8), {5, 6, 7, 8, 9}}},
       2,
       2,
       {Grey(5), Grey(6), Grey(7), Grey(8)}},
      {"three passes",
       {{Params(SANE_FRAME_RED, 2, 2, 1, 8, false), {10, 11}},
        {Params(SANE_FRAME_BLUE, 2, 2, 1, 8, false), {30, 31}},
        {Params(SANE_FRAME_GREEN, 2, 2, 1, 8), {20, 21}}},
       2,
       1,
       {Rgb(10, 20, 30), Rgb(11, 21, 31)}},
      {"three passes of unequal length",
       {{Params(SANE_FRAME_RED, 1, 2, -1, 16, false), Samples16({0x0100, 0x0200})},
        {Params(SANE_FRAME_GREEN, 1, 2, -1, 16, false), Samples16({0x0300})},
        {Params(SANE_FRAME_BLUE, 1, 2, -1, 16), Samples16({0x0500, 0x0600})}},
       1,
       1,
       {Rgb(1, 3, 5)}},
  };
  for (const PageCase& c : cases) {
    SCOPED_TRACE(c.what);
    TPageFrames page;
    for (const Frame& f : c.frames) {
      ASSERT_TRUE(page.BeginFrame(f.parameters)) << page.Error();
      // Delivered one byte at a time, as a backend with a read limit does.
      for (const uint8_t byte : f.bytes) ASSERT_TRUE(page.Append({&byte, 1}));
    }
    const auto dib = page.PackedDib(300, 72);
    ASSERT_TRUE(dib) << page.Error();
    EXPECT_EQ(plat::bmp::Get32(dib->data() + 24), 11811u);  // (300 * 10000 + 127) div 254
    EXPECT_EQ(plat::bmp::Get32(dib->data() + 28), 2835u);
    const auto image = pictavo::ImageOfPackedDib(dib->data(), static_cast<int64_t>(dib->size()));
    ASSERT_NE(image, nullptr);
    ASSERT_EQ(image->Width(), c.width);
    ASSERT_EQ(image->Height(), c.height);
    for (int y = 0; y < c.height; ++y)
      for (int x = 0; x < c.width; ++x)
        EXPECT_EQ(image->PixelColor(x, y), c.colours[size_t(y * c.width + x)]) << x << "," << y;
  }
}

TEST(SanePageFrames, RefusedFramesAndPages) {
  struct Case {
    const char* what;
    std::vector<SANE_Parameters> frames;  // the last one is refused
  };
  const Case refused_frames[] = {
      {"depth 4", {Params(SANE_FRAME_GRAY, 2, 1, 1, 4)}},
      {"line shorter than its pixels", {Params(SANE_FRAME_RGB, 4, 11, 1, 8)}},
      {"no pixels", {Params(SANE_FRAME_GRAY, 0, 0, 1, 8)}},
      {"negative line count", {Params(SANE_FRAME_GRAY, 1, 1, -2, 8)}},
      {"huge line", {Params(SANE_FRAME_GRAY, 1, 1 << 30, 1, 8)}},
      {"1-bit colour", {Params(SANE_FRAME_RGB, 8, 3, 1, 1)}},
      {"unknown kind", {UnknownKind()}},
      {"grey after grey",
       {Params(SANE_FRAME_GRAY, 1, 1, 1, 8), Params(SANE_FRAME_GRAY, 1, 1, 1, 8)}},
      {"plane twice",
       {Params(SANE_FRAME_RED, 1, 1, 1, 8, false), Params(SANE_FRAME_RED, 1, 1, 1, 8)}},
      {"planes of unequal width",
       {Params(SANE_FRAME_RED, 1, 1, 1, 8, false), Params(SANE_FRAME_GREEN, 2, 2, 1, 8)}},
      {"planes of unequal depth",
       {Params(SANE_FRAME_RED, 1, 1, 1, 8, false), Params(SANE_FRAME_GREEN, 1, 2, 1, 16)}},
  };
  for (const Case& c : refused_frames) {
    TPageFrames page;
    for (size_t i = 0; i + 1 < c.frames.size(); ++i) ASSERT_TRUE(page.BeginFrame(c.frames[i]));
    EXPECT_FALSE(page.BeginFrame(c.frames.back())) << c.what;
    EXPECT_FALSE(page.Error().empty()) << c.what;
  }

  TPageFrames no_line;
  ASSERT_TRUE(no_line.BeginFrame(Params(SANE_FRAME_GRAY, 4, 4, 3, 8)));
  const uint8_t three[3] = {1, 2, 3};
  ASSERT_TRUE(no_line.Append(three));
  EXPECT_FALSE(no_line.PackedDib(50, 50));
  EXPECT_EQ(no_line.Error(), "The scanner sent no complete line");

  TPageFrames two_planes;
  ASSERT_TRUE(two_planes.BeginFrame(Params(SANE_FRAME_RED, 1, 1, 1, 8, false)));
  ASSERT_TRUE(two_planes.Append(three));
  ASSERT_TRUE(two_planes.BeginFrame(Params(SANE_FRAME_GREEN, 1, 1, 1, 8)));
  ASSERT_TRUE(two_planes.Append(three));
  EXPECT_FALSE(two_planes.PackedDib(50, 50));
  EXPECT_EQ(two_planes.Error(), "The scanner did not send every frame of the page");

  TPageFrames data_first;
  EXPECT_FALSE(data_first.Append(three));
}

TEST(SanePageFrames, AnEndlessPageStopsAtThePixelBudget) {
  plat::SetPixelBudget(1 << 20);
  TPageFrames page;
  ASSERT_TRUE(page.BeginFrame(Params(SANE_FRAME_GRAY, 1024, 1024, -1, 8)));
  const std::vector<uint8_t> line(1024, 7);
  int accepted = 0;
  while (page.Append(line) && accepted < 4096) ++accepted;
  plat::SetPixelBudget(0);
  EXPECT_EQ(accepted, 1024);
  EXPECT_EQ(page.Error(), plat::kImageTooLarge);
}

}  // namespace
}  // namespace velmora_test
