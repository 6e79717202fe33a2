// Zooming (the kept middle, zoom to the selection, scaling into the control), the kept scroll
// positions, the scroll speed and the mouse over the scroll bars.
#include "control/engine/view/view_geometry.h"

#include <gtest/gtest.h>

#include <QScrollBar>

#include "control/engine/view/pvimage.h"
#include "view/view_test_support.h"

namespace pictavo {
namespace {

struct FitCase {
  const char* what;
  TSelectionBounds selection;
  int control_w, control_h, image_w, image_h;
  bool bars;
  double zoom;  // worked out by hand; 17 = a bar's 16 pixels and one more
};

class ZoomForSelectionTable : public testing::TestWithParam<FitCase> {};

TEST_P(ZoomForSelectionTable, FillsTheControlLeavingRoomForTheBars) {
  const FitCase& c = GetParam();
  EXPECT_DOUBLE_EQ(
      ZoomForSelection({c.selection, c.control_w, c.control_h, c.image_w, c.image_h, c.bars}),
      c.zoom);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ZoomForSelectionTable,
    testing::Values(
        // a = b = 200; 200 < 200 * 1000 / 100: both lose the room, b = 83 * 100 / 50.
        FitCase{"both_bars", {0, 0, 99, 49}, 200, 100, 1000, 1000, true, 166},
        FitCase{"no_bars", {0, 0, 99, 49}, 200, 100, 1000, 1000, false, 200},
        // The selection is the whole image, exactly the control's size: no room taken.
        FitCase{"whole_image", {0, 0, 199, 99}, 200, 100, 200, 100, true, 100},
        // a = 400 >= b = 200 and the image fits the width at 200: only a = 183 * 2.
        FitCase{"height_limits", {0, 0, 49, 49}, 200, 100, 100, 100, true, 200},
        // a = 100 < b = 400, 200 >= 100 * 150 / 100: only b = 183 * 100 / 50.
        FitCase{"width_limits", {10, 10, 109, 59}, 100, 200, 150, 150, true, 100},
        // As before, but the image is too tall at 100: a = 83 * 100 / 100.
        FitCase{"width_limits_tall_image", {10, 10, 109, 59}, 100, 200, 150, 300, true, 83},
        // (10 - 17) * 100 / 5: a control smaller than the bars.
        FitCase{"ten_pixel_control", {0, 0, 4, 4}, 10, 10, 50, 50, true, -140}),
    [](const auto& info) { return std::string(info.param.what); });

// The image coordinate in the middle of the surface, along one axis.
double Middle(int position, int surface, double zoom) {
  return (position + surface / 2.0) * 100 / zoom;
}

TEST(Zoom, AZoomChangeKeepsTheMiddleOfTheViewInTheMiddle) {
  TpvImage view;
  view.resize(100, 80);
  Load(view, GradientBmp(400, 400));
  view.SetScrollBarHorizPos(150);
  view.SetScrollBarVertPos(100);
  for (double zoom : {200.0, 150.0, 400.0, 100.0}) {
    const double x = Middle(view.ScrollBarHorizPos(), view.SurfaceWidth(), view.Zoom());
    const double y = Middle(view.ScrollBarVertPos(), view.SurfaceHeight(), view.Zoom());
    view.SetZoom(zoom);
    EXPECT_NEAR(Middle(view.ScrollBarHorizPos(), view.SurfaceWidth(), zoom), x, 1) << zoom;
    EXPECT_NEAR(Middle(view.ScrollBarVertPos(), view.SurfaceHeight(), zoom), y, 1) << zoom;
  }
  // Back at 100 the view is where it started.
  EXPECT_EQ(view.ScrollBarHorizPos(), 150);
  EXPECT_EQ(view.ScrollBarVertPos(), 100);
}

TEST(Zoom, TheSameValueLaysOutNothingAndAutoZoomRefusesAnyValue) {
  TpvImage view;
  view.resize(100, 80);
  Load(view, GradientBmp(300, 300));
  view.SetScrollBarHorizPos(40);  // a layout would put the bar back to 0
  view.SetZoom(100);
  view.SetAutoZoom(false);
  EXPECT_EQ(view.ScrollBarHorizPos(), 40);
  view.SetZoom(200);
  EXPECT_EQ(view.DisplayWidth(), 600);
  view.SetAutoZoom(true);
  const double fitted = view.Zoom();
  EXPECT_LT(fitted, 100);
  view.SetZoom(50);
  EXPECT_EQ(view.Zoom(), fitted);
}

TEST(ZoomToSelection, CentresTheSelectionAtTheZoomThatFillsTheControl) {
  TpvImage view;
  view.resize(120, 100);
  Load(view, GradientBmp(400, 300));
  view.SetAutoZoom(true);
  view.SelectRectangle(100, 50, 149, 99);
  view.ZoomToSelection();
  EXPECT_FALSE(view.AutoZoom());
  EXPECT_DOUBLE_EQ(view.Zoom(), 166);  // (100 - 17) * 100 / 50
  EXPECT_NEAR(Middle(view.ScrollBarHorizPos(), view.SurfaceWidth(), 166), 125, 1);
  EXPECT_NEAR(Middle(view.ScrollBarVertPos(), view.SurfaceHeight(), 166), 75, 1);
}

TEST(ZoomToSelection, WithoutASelectionOrRoomTheZoomStays) {
  TpvImage view;
  view.resize(120, 100);
  Load(view, GradientBmp(400, 300));
  view.SetAutoZoom(true);
  const double fitted = view.Zoom();
  view.ZoomToSelection();
  EXPECT_TRUE(view.AutoZoom());
  EXPECT_EQ(view.Zoom(), fitted);

  TpvImage tiny;
  tiny.resize(10, 10);
  Load(tiny, GradientBmp(50, 50));
  tiny.SelectRectangle(0, 0, 4, 4);
  tiny.ZoomToSelection();
  EXPECT_EQ(tiny.Zoom(), 100);
  EXPECT_EQ(tiny.DisplayWidth(), 50);
  EXPECT_TRUE(tiny.HasScrollBarHoriz());
}

TEST(AutoScale, ShrinksTheImageByItsTighterSideOnlyWhenItDoesNotFit) {
  TpvImage view;
  view.resize(400, 400);
  EXPECT_FALSE(view.AutoScale());
  Load(view, GradientBmp(300, 200));
  EXPECT_FALSE(view.AutoScale());
  EXPECT_EQ(view.ImageWidth(), 300);
  EXPECT_EQ(view.ImageHeight(), 200);
  Load(view, GradientBmp(800, 600));
  EXPECT_TRUE(view.AutoScale());
  EXPECT_EQ(view.ImageWidth(), 400);
  EXPECT_EQ(view.ImageHeight(), 300);
  Load(view, GradientBmp(300, 1000));
  EXPECT_TRUE(view.AutoScale());
  EXPECT_EQ(view.ImageWidth(), 120);
  EXPECT_EQ(view.ImageHeight(), 400);
}

TEST(KeepScrollPos, ANewImageOpensWhereTheOldOneWasOnlyWhileOn) {
  for (bool keep : {true, false}) {
    TpvImage view;
    view.resize(100, 80);
    view.SetKeepScrollPos(keep);
    Load(view, GradientBmp(300, 300));
    view.SetScrollBarHorizPos(40);
    view.SetScrollBarVertPos(30);
    Load(view, GradientBmp(300, 300));
    EXPECT_EQ(view.ScrollBarHorizPos(), keep ? 40 : 0) << keep;
    EXPECT_EQ(view.ScrollBarVertPos(), keep ? 30 : 0) << keep;
    // The kept positions served that one layout; the next starts at the top-left again.
    view.SetScrollBarHorizPos(5);
    view.Relayout();
    EXPECT_EQ(view.ScrollBarHorizPos(), 0) << keep;
    EXPECT_EQ(view.ScrollBarVertPos(), 0) << keep;
  }
}

TEST(ScrollSpeed, OnlyValuesFromOneTo32767BecomeBothBarsSmallStep) {
  TpvImage view;
  for (auto [given, kept] : {std::pair{0, 1}, {40000, 1}, {5, 5}, {-3, 5}, {32767, 32767}}) {
    view.SetScrollSpeed(given);
    EXPECT_EQ(view.ScrollSpeed(), kept) << given;
    EXPECT_EQ(view.HorzScrollBar()->singleStep(), kept) << given;
    EXPECT_EQ(view.VertScrollBar()->singleStep(), kept) << given;
  }
}

TEST(ScrollBars, MouseOverABarReachesTheHostInControlCoordinates) {
  TpvImage view;
  view.resize(100, 80);
  Load(view, GradientBmp(300, 300));
  ASSERT_EQ(view.VertScrollBar()->geometry(), QRect(84, 0, 16, 64));
  ASSERT_EQ(view.HorzScrollBar()->geometry(), QRect(0, 64, 84, 16));
  std::vector<QPoint> seen;
  view.OnMouseMove = [&](int16_t, int32_t x, int32_t y) { seen.emplace_back(x, y); };
  for (QScrollBar* bar : {view.VertScrollBar(), view.HorzScrollBar()}) {
    QMouseEvent move(QEvent::MouseMove, QPointF(3, 5), QPointF(3, 5), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(bar, &move);
  }
  EXPECT_EQ(seen, (std::vector<QPoint>{{87, 5}, {3, 69}}));
}

}  // namespace
}  // namespace pictavo
