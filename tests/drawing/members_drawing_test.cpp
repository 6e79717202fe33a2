// The drawing and text members of IImageBox, called through the member frame as a host does.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>

#include "control/activex/imagebox.h"
#include "platform/graphics/pixel_budget.h"
#include "tests/activex/member_client.h"
#include "tests/graphics/canvas_probe.h"

namespace pictavo {
namespace {

using plat::TColor;
using I = int64_t;
using velmora_test::ChangedBox;
using velmora_test::MemberCall;
using velmora_test::TCallValue;
using velmora_test::TestImageBox;

constexpr TColor kGreen = plat::RGB(0, 160, 0);
constexpr TColor kWhite = plat::RGB(255, 255, 255);
constexpr TColor kRed = plat::RGB(255, 0, 0);
constexpr TColor kBlue = plat::RGB(0, 0, 255);

class DrawingMembers : public ::testing::Test {
 protected:
  void SetUp() override {
    ChangeFont([](TFontDesc& font) {
      font.Name = "DejaVu Sans";
      font.Height = -16;
    });
  }
  void ChangeFont(const std::function<void(TFontDesc&)>& change) {
    TFontDesc font = box.View().TextFont();
    change(font);
    box.View().SetTextFont(font);
  }
  // A new image in colour; the brush is white afterwards.
  void NewImage(int w, int h, TColor colour) {
    host.Put("BrushColor", I{colour});
    host.Call("NewImage", {I{w}, I{h}});
    host.Put("BrushColor", I{kWhite});
    before = *box.View().CurrentImage();
  }
  TColor Pixel(int x, int y) { return box.View().CurrentImage()->PixelColor(x, y); }
  ChangedBox Changed() { return velmora_test::Changes(before, *box.View().CurrentImage()); }
  bool HasColour(TColor colour) {
    const TicBitmap& now = *box.View().CurrentImage();
    for (int y = 0; y < now.Height(); ++y)
      for (int x = 0; x < now.Width(); ++x)
        if (now.PixelColor(x, y) == colour) return true;
    return false;
  }

  TestImageBox box;
  velmora_test::MemberClient host{box};
  plat::TBitmap before;
};

TEST_F(DrawingMembers, CircleByCentreAndRadiusFillsItsBoxExactly) {
  NewImage(30, 30, kWhite);
  host.Call("CircleCR", {I{10}, I{10}, I{5}});
  const ChangedBox change = Changed();
  EXPECT_EQ(change, velmora_test::Bounds(5, 5, 15, 15, change.count));
}

TEST_F(DrawingMembers, CircleAndArcThroughThreePoints) {
  NewImage(60, 60, kWhite);
  host.Call("Arc3XY", {I{10}, I{30}, I{30}, I{10}, I{50}, I{30}});
  for (auto [px, py] : {std::pair{10, 30}, {30, 10}, {50, 30}}) {
    bool near = false;
    for (int dy = -1; dy <= 1; ++dy)
      for (int dx = -1; dx <= 1; ++dx) near = near || Pixel(px + dx, py + dy) == 0;
    EXPECT_TRUE(near) << px << "," << py;
  }
  EXPECT_GT(Changed().bottom, 30 - 2);
  EXPECT_LT(Changed().bottom, 30 + 2);  // the short arc over the top, not the whole circle

  NewImage(60, 60, kWhite);
  host.Call("Circle3XY", {I{10}, I{30}, I{30}, I{10}, I{50}, I{30}});
  const ChangedBox circle = Changed();
  EXPECT_EQ(circle, velmora_test::Bounds(10, 10, 50, 50, circle.count));
}

TEST_F(DrawingMembers, CollinearPointsDrawNoCircleAndTwoLinesForTheArc) {
  NewImage(40, 40, kWhite);
  host.Call("Circle3XY", {I{5}, I{5}, I{10}, I{10}, I{20}, I{20}});
  EXPECT_EQ(Changed().count, 0);
  host.Call("Arc3XY", {I{5}, I{20}, I{15}, I{20}, I{35}, I{20}});
  const plat::TBitmap arc_lines = *box.View().CurrentImage();
  NewImage(40, 40, kWhite);
  host.Call("DrawLine", {I{5}, I{20}, I{15}, I{20}});
  host.Call("DrawLine", {I{5}, I{20}, I{35}, I{20}});
  const ChangedBox lines = Changed();
  EXPECT_EQ(lines.left, 5);
  EXPECT_EQ(lines.right, 34);  // the last pixel of a line stays out
  before = arc_lines;
  EXPECT_EQ(Changed().count, 0);
}

TEST_F(DrawingMembers, TextTakesPenColourAndBrushColourBackground) {
  NewImage(200, 40, kGreen);
  host.Put("PenColor", I{kRed});
  ChangeFont([&](TFontDesc& font) { font.Color = kBlue; });
  host.Put("TextTransparent", true);
  host.Call("DrawText", {I{5}, I{5}, std::u16string(u"Hello")});
  EXPECT_TRUE(HasColour(kRed));
  EXPECT_FALSE(HasColour(kBlue));
  EXPECT_FALSE(HasColour(kWhite));  // no background yet
  host.Put("TextTransparent", false);
  host.Call("DrawText", {I{100}, I{5}, std::u16string(u"Hello")});
  EXPECT_TRUE(HasColour(kWhite));
}

TEST_F(DrawingMembers, JustificationMovesTheOpaqueCell) {
  const std::u16string text = u"Heading";
  const struct {
    int justify, x;
    int left_minus_width;  // expected left = x - width * this / 2, or 0 for an unknown code
  } cases[] = {{0, 50, 0}, {1, 150, 1}, {2, 200, 2}};
  for (const auto& c : cases) {
    NewImage(300, 40, kGreen);
    host.Put("TextJustify", I{c.justify});
    const int width = static_cast<int>(std::get<int64_t>(host.Get("TextWidth", {text})));
    ASSERT_GT(width, 20);
    host.Call("DrawText", {I{c.x}, I{5}, text});
    const ChangedBox cell = Changed();
    const int left = c.x - (c.left_minus_width == 1   ? width / 2
                            : c.left_minus_width == 2 ? width
                                                      : 0);
    EXPECT_EQ(cell.left, left) << c.justify;
    EXPECT_EQ(cell.right, left + width - 1) << c.justify;
  }
  NewImage(300, 40, kGreen);
  host.Put("TextJustify", I{7});
  host.Call("DrawText", {I{100}, I{5}, text});
  EXPECT_EQ(Changed().left, 0);
}

TEST_F(DrawingMembers, TextSizeIsTheUnturnedExtentOfAllLines) {
  EXPECT_EQ(host.Get("TextWidth", {std::u16string(u"Ab")}), TCallValue(I{0}));  // no image
  NewImage(20, 20, kGreen);
  const TCallValue one_width = host.Get("TextWidth", {std::u16string(u"Abc")});
  const TCallValue one_height = host.Get("TextHeight", {std::u16string(u"Abc")});
  host.Put("TextAngle", 90.0);
  EXPECT_EQ(host.Get("TextWidth", {std::u16string(u"Abc\r\nA")}), one_width);
  EXPECT_EQ(host.Get("TextHeight", {std::u16string(u"Abc\r\nA\nA")}),
            TCallValue(3 * std::get<int64_t>(one_height)));
  EXPECT_GT(std::get<int64_t>(one_height), 10);
}

TEST_F(DrawingMembers, TextAngleBecomesTenthsRoundedHalvesToEven) {
  const std::pair<double, int> cases[] = {{45.25, 452}, {45.75, 458}, {-0.25, -2}, {90, 900}};
  for (const auto& [angle, escapement] : cases) {
    host.Put("TextAngle", angle);
    EXPECT_EQ(box.View().Drawing().TextLogFont().lfEscapement, escapement) << angle;
  }
}

TEST_F(DrawingMembers, PointListsDrawOnceAndSurviveWithoutAnImage) {
  host.Call("PointAdd", {I{1}, I{1}});
  host.Call("BezierPointAdd", {I{1}, I{1}});
  for (const char* shape : {"Polygon", "PolyBezier", "DrawLine", "Rectangle", "FloodFill"})
    host.Invoke(shape, Accessor::Call,
                std::vector<TCallValue>(FindMember(shape)->param_count, I{3}));
  EXPECT_EQ(box.View().Drawing().PolygonPoints().size(), 1u);
  EXPECT_EQ(box.View().Drawing().BezierPoints().size(), 1u);
  EXPECT_EQ(host.Get("PixelColor", {I{0}, I{0}}), TCallValue(I{plat::kInvalidColor}));

  NewImage(40, 40, kWhite);
  host.Call("PointAdd", {I{30}, I{5}});
  host.Call("PointAdd", {I{30}, I{30}});
  host.Call("Polygon");  // (1, 1), (30, 5), (30, 30)
  const ChangedBox triangle = Changed();
  EXPECT_EQ(triangle.left, 1);
  EXPECT_EQ(triangle.top, 1);
  EXPECT_GE(triangle.right, 29);
  EXPECT_TRUE(box.View().Drawing().PolygonPoints().empty());
  before = *box.View().CurrentImage();
  host.Call("Polygon");
  EXPECT_EQ(Changed().count, 0);

  for (auto [x, y] : {std::pair{5, 35}, {15, 5}, {25, 35}, {35, 5}, {20, 20}})
    host.Call("BezierPointAdd", {I{x}, I{y}});  // six points with the first: no curve
  host.Call("PolyBezier");
  EXPECT_EQ(Changed().count, 0);
  EXPECT_TRUE(box.View().Drawing().BezierPoints().empty());
}

TEST_F(DrawingMembers, PixelColorReadsAndWritesInsideOnly) {
  NewImage(4, 4, kGreen);
  host.Invoke("PixelColor", Accessor::Put, {I{1}, I{2}, I{kRed}});  // indexes, then the value
  EXPECT_EQ(host.Get("PixelColor", {I{1}, I{2}}), TCallValue(I{kRed}));
  EXPECT_EQ(host.Get("PixelColor", {I{2}, I{2}}), TCallValue(I{kGreen}));
  for (auto [x, y] : {std::pair{-1, 0}, {4, 0}, {0, 4}, {0, -1}})
    EXPECT_EQ(host.Get("PixelColor", {I{x}, I{y}}), TCallValue(I{plat::kInvalidColor}));
  EXPECT_EQ(Changed().count, 1);
}

TEST_F(DrawingMembers, FloodFillUsesBrushAndFloodFillSettings) {
  NewImage(20, 20, kWhite);
  host.Put("BrushColor", I{kRed});
  host.Call("Rectangle", {I{5}, I{5}, I{15}, I{15}});  // black frame, red inside
  host.Put("BrushColor", I{kBlue});
  host.Put("FloodFillColor", I{0});
  host.Put("FloodFillStyle", I{1});  // up to the black border
  host.Call("FloodFill", {I{10}, I{10}});
  EXPECT_EQ(Pixel(10, 10), kBlue);
  EXPECT_EQ(Pixel(1, 1), kWhite);
  host.Put("FloodFillColor", I{kWhite});
  host.Put("FloodFillStyle", I{0});  // the white surface
  host.Call("FloodFill", {I{1}, I{1}});
  EXPECT_EQ(Pixel(1, 1), kBlue);
  EXPECT_EQ(Pixel(5, 5), 0u);
}

TEST_F(DrawingMembers, SmoothShapeLeavesTwentyFourBitPixels) {
  NewImage(40, 40, kWhite);
  host.Put("ColorFormat", I{cf256Color});
  ASSERT_EQ(host.Get("ColorFormat"), TCallValue(I{cf256Color}));
  host.Put("Antialias", true);
  host.Put("BrushColor", I{kRed});
  host.Call("Ellipse", {I{5}, I{5}, I{35}, I{30}});
  EXPECT_EQ(host.Get("ColorFormat"), TCallValue(I{cf24bit}));
  EXPECT_EQ(box.View().CurrentImage()->PixelFormat(), plat::TPixelFormat::pf24bit);
  // Smoothing mixes colours: some pixel is neither white, black nor red.
  const TicBitmap& now = *box.View().CurrentImage();
  bool mixed = false;
  for (int y = 0; y < 40 && !mixed; ++y)
    for (int x = 0; x < 40 && !mixed; ++x) {
      const TColor c = now.PixelColor(x, y);
      mixed = c != kWhite && c != 0 && c != kRed;
    }
  EXPECT_TRUE(mixed);
}

TEST_F(DrawingMembers, SmoothDrawingBeyondThePixelBudgetFailsWithItsMessage) {
  NewImage(400, 400, kGreen);
  host.Put("ColorFormat", I{cf256Color});
  before = *box.View().CurrentImage();
  host.Put("Antialias", true);
  ChangeFont([&](TFontDesc& font) { font.Height = -2000; });
  plat::SetPixelBudget(plat::PixelBytesInUse() + 3 * 1024 * 1024);
  MemberCall call;
  call.args = {I{0}, I{0}, std::u16string(u"W")};
  const MemberOutcome outcome = host.Try("DrawText", Accessor::Call, call);
  plat::SetPixelBudget(0);
  EXPECT_EQ(outcome.hresult, kEUnexpected);
  EXPECT_EQ(outcome.message, "The drawing is too large to smooth");
  EXPECT_EQ(Changed().count, 0);
  // Refused before the pixels changed their format.
  EXPECT_EQ(host.Get("ColorFormat"), TCallValue(I{cf256Color}));
  EXPECT_EQ(box.View().CurrentImage()->PixelFormat(), plat::TPixelFormat::pf8bit);
}

// Every drawing member on 1-, 8- and 24-bit images, plain and smooth, with a pen of width 0 and a
// 2000-pixel font: each changes the image and keeps its size.
TEST_F(DrawingMembers, EveryMemberDrawsOnEveryDepthPlainAndSmooth) {
  struct Member {
    const char* name;
    std::vector<TCallValue> args;
  };
  const std::vector<Member> members = {
      {"DrawLine", {I{2}, I{3}, I{60}, I{50}}},
      {"Rectangle", {I{-5}, I{10}, I{40}, I{90}}},
      {"Ellipse", {I{10}, I{10}, I{70}, I{40}}},
      {"RoundRect", {I{10}, I{10}, I{70}, I{40}, I{12}, I{8}}},
      {"Arc", {I{10}, I{10}, I{70}, I{60}, I{70}, I{10}, I{10}, I{60}}},
      {"Chord", {I{10}, I{10}, I{70}, I{60}, I{70}, I{10}, I{10}, I{60}}},
      {"Pie", {I{10}, I{10}, I{70}, I{60}, I{70}, I{10}, I{10}, I{60}}},
      {"CircleCR", {I{32}, I{32}, I{20}}},
      {"Circle3XY", {I{10}, I{30}, I{30}, I{10}, I{50}, I{30}}},
      {"Arc3XY", {I{10}, I{30}, I{30}, I{10}, I{50}, I{30}}},
      {"FloodFill", {I{1}, I{1}}},
      {"DrawText", {I{3}, I{3}, std::u16string(u"Ag\r\nB")}},
      {"Polygon", {}},
      {"PolyBezier", {}},
  };
  host.Put("PenColor", I{0});
  host.Put("FloodFillColor", I{kWhite});
  host.Put("TextAngle", 30.0);
  for (uint8_t format : {cfMonoBW, cf256Color, cf24bit})
    for (bool smooth : {false, true})
      for (int pen : {0, 3})
        for (const Member& m : members) {
          SCOPED_TRACE(testing::Message() << m.name << " format " << int{format} << " smooth "
                                          << smooth << " pen " << pen);
          NewImage(64, 64, kWhite);
          host.Put("ColorFormat", I{format});
          before = *box.View().CurrentImage();
          host.Put("Antialias", smooth);
          host.Put("PenWidth", I{pen});
          host.Put("BrushColor", I{0});
          ChangeFont([&](TFontDesc& font) { font.Height = pen ? 2000 : -16; });
          for (auto [x, y] : {std::pair{5, 5}, {60, 20}, {30, 60}, {5, 40}}) {
            if (m.args.empty())
              host.Call(std::string(m.name) == "Polygon" ? "PointAdd" : "BezierPointAdd",
                        {I{x}, I{y}});
          }
          host.Call(m.name, m.args);
          EXPECT_GT(Changed().count, 0);
          EXPECT_EQ(host.Get("ImageWidth"), TCallValue(I{64}));
          if (smooth && std::string(m.name) != "FloodFill") {
            EXPECT_EQ(host.Get("ColorFormat"), TCallValue(I{cf24bit}));
          }
        }
}

}  // namespace
}  // namespace pictavo
