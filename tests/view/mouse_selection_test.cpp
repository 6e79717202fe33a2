// The modal mouse selection: the drag-to-image arithmetic, the scrolling at the edges, and whole
// selections driven by mouse events queued before the call, which its wait then processes.
#include "control/engine/view/mouse_selection.h"

#include <gtest/gtest.h>

#include <QPointer>
#include <string>
#include <vector>

#include "control/engine/view/cursor_table.h"
#include "control/engine/view/pvimage.h"
#include "view/view_test_support.h"

namespace pictavo {
namespace {

struct DragCase {
  const char* what;
  QPoint start, end;
  double zoom;
  TSelectionBounds expected;  // worked out by hand from the rounding rules
};

class DragToImage : public testing::TestWithParam<DragCase> {};

TEST_P(DragToImage, CoversThePixelsUnderTheBand) {
  const DragCase& c = GetParam();
  const TSelectionBounds r = DragToImageRect(c.start, c.end, c.zoom);
  EXPECT_EQ(r.left, c.expected.left);
  EXPECT_EQ(r.top, c.expected.top);
  EXPECT_EQ(r.right, c.expected.right);
  EXPECT_EQ(r.bottom, c.expected.bottom);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DragToImage,
    testing::Values(
        DragCase{"zoom_200", {10, 10}, {19, 29}, 200, {5, 5, 9, 14}},
        DragCase{"zoom_200_reversed", {19, 29}, {10, 10}, 200, {5, 5, 9, 14}},
        DragCase{"zoom_200_crossed", {19, 10}, {10, 29}, 200, {5, 5, 9, 14}},
        // Scrolled points (view point plus bar position): one image pixel per view pixel.
        DragCase{"zoom_100_scrolled", {62, 35}, {80, 60}, 100, {62, 35, 80, 60}},
        // 100 / 33.3 = 3.003: 10 -> 30.53, 30 -> 89.59, 20 -> 60.56, 40 -> 119.62.
        DragCase{"zoom_33_3", {10, 20}, {29, 39}, 33.3, {30, 60, 89, 119}},
        DragCase{"single_point_zoom_400", {8, 8}, {8, 8}, 400, {2, 2, 1, 1}}),
    [](const auto& info) { return std::string(info.param.what); });

TEST(EdgeScroll, NearTheFarEdgeForwardNearTheNearEdgeBack) {
  struct Case {
    int32_t x, extent;
    int32_t toward_end, toward_start;
  } cases[] = {
      {91, 100, 1, 0},   // W - 9: (0)^2 + 1
      {99, 100, 65, 0},  // W - 1: 8^2 + 1
      {90, 100, 0, 0},   // W - 10: outside the zone
      {50, 100, 0, 0},   // the middle
      {9, 100, 0, 0},    // -(1)^2 + 1
      {0, 100, 0, -99},  // -(10)^2 + 1
      {5, 100, 0, -24},  // -(5)^2 + 1
      {5, 12, 5, -24},   // narrower than both zones: (5 - 3)^2 + 1 and back
  };
  for (const Case& c : cases) {
    const TEdgeScroll s = EdgeScroll(c.x, c.extent);
    EXPECT_EQ(s.toward_end, c.toward_end) << c.x << " in " << c.extent;
    EXPECT_EQ(s.toward_start, c.toward_start) << c.x << " in " << c.extent;
  }
}

// A control whose host records its mouse events as text.
class Selecting : public testing::Test {
 protected:
  void Show(int control_w, int control_h, int image_w, int image_h, double zoom = 100) {
    view_.resize(control_w, control_h);
    Load(view_, GradientBmp(image_w, image_h));
    view_.SetZoom(zoom);
    view_.OnMouseDown = [this](int16_t b, int16_t s, int32_t x, int32_t y) {
      Record("down", b, s, x, y);
    };
    view_.OnMouseMove = [this](int16_t s, int32_t x, int32_t y) { Record("move", 0, s, x, y); };
    view_.OnMouseUp = [this](int16_t b, int16_t s, int32_t x, int32_t y) {
      Record("up", b, s, x, y);
    };
  }
  void Record(const char* what, int b, int s, int x, int y) {
    events_.push_back(std::string(what) + " " + std::to_string(b) + " " + std::to_string(s) + " " +
                      std::to_string(x) + "," + std::to_string(y));
  }
  QWidget* Surface() { return view_.PaintSurface(); }
  const TicBitmap& Image() { return *view_.CurrentImage(); }
  void ExpectSelection(uint8_t shape, TSelectionBounds b) {
    EXPECT_EQ(Image().SelectionShape(), shape);
    EXPECT_EQ(Image().SelectionBounds(), b);
  }

  TpvImage view_;
  std::vector<std::string> events_;
};

TEST_F(Selecting, ADragAtZoom200SelectsTheImagePixelsAndTheHostSeesEveryEvent) {
  Show(200, 200, 50, 50, 200);
  PostDrag(Surface(), {{10, 10}, {15, 20}, {19, 29}});
  view_.MouseSelect(msRectangle);
  ExpectSelection(ssRectangle, {5, 5, 9, 14});
  EXPECT_EQ(view_.MouseSelectionMode(), msNone);
  EXPECT_FALSE(view_.SelectionDragging());
  EXPECT_EQ(events_, (std::vector<std::string>{"down 1 1 10,10", "move 0 1 10,10", "move 0 1 15,20",
                                               "move 0 1 19,29", "up 1 0 19,29"}));
}

TEST_F(Selecting, AnEllipseOnAScrolledViewCountsTheScrollPositions) {
  Show(100, 80, 300, 300);
  view_.SetScrollBarHorizPos(50);
  view_.SetScrollBarVertPos(20);
  PostDrag(Surface(), {{12, 15}, {30, 40}});
  view_.MouseSelect(msEllipse);
  ExpectSelection(ssEllipse, {62, 35, 80, 60});
  EXPECT_EQ(view_.ScrollBarHorizPos(), 50);  // no edge was reached
}

TEST_F(Selecting, AReleaseOffTheSurfaceRemovesTheSelection) {
  struct Case {
    QPoint release;
    bool host_sees_it;  // only releases inside the control reach the host
  } cases[] = {{{100, 100}, true}, {{-5, 20}, false}};
  Show(200, 200, 50, 50);
  for (const Case& c : cases) {
    view_.SelectRectangle(1, 1, 5, 5);
    events_.clear();
    PostDrag(Surface(), {{10, 10}, {20, 20}, c.release});
    view_.MouseSelect(msRectangle);
    EXPECT_EQ(Image().SelectionShape(), ssNone);
    EXPECT_EQ(view_.MouseSelectionMode(), msNone);
    EXPECT_EQ(events_.back().starts_with("up"), c.host_sees_it) << events_.back();
  }
}

TEST_F(Selecting, CancelSelectionFromTheHostEndsTheWait) {
  Show(200, 200, 50, 50);
  view_.SelectRectangle(1, 1, 5, 5);
  view_.OnMouseMove = [this](int16_t, int32_t, int32_t) { view_.CancelSelection(); };
  PostMouse(Surface(), QEvent::MouseMove, {10, 10}, Qt::NoButton, Qt::NoButton);
  view_.MouseSelect(msRectangle);
  EXPECT_EQ(view_.MouseSelectionMode(), msNone);
  EXPECT_EQ(Image().SelectionShape(), ssNone);
}

TEST_F(Selecting, WithoutAnImageTheCallReturnsAtOnce) {
  view_.MouseSelect(msRectangle);
  EXPECT_EQ(view_.MouseSelectionMode(), msNone);
}

TEST_F(Selecting, DraggingAtTheRightEdgeScrollsAndSelectsWhatCameIntoView) {
  Show(100, 80, 400, 60);
  ASSERT_TRUE(view_.HasScrollBarHoriz());
  ASSERT_EQ(view_.SurfaceWidth(), 100);
  int scrolls = 0;
  view_.OnScroll = [&] { ++scrolls; };
  PostDrag(Surface(), {{50, 20}, {99, 20}});
  view_.MouseSelect(msRectangle);
  EXPECT_EQ(view_.ScrollBarHorizPos(), 65);  // W - 1: 8 * 8 + 1
  EXPECT_EQ(scrolls, 1);
  ExpectSelection(ssRectangle, {50, 20, 164, 20});
}

TEST_F(Selecting, TheCrossShowsOnTheSurfaceAndTheControlCursorElsewhere) {
  Show(200, 200, 50, 50);
  view_.SetCursorId(crHandPoint);
  std::vector<Qt::CursorShape> shown;
  view_.OnMouseMove = [&](int16_t, int32_t, int32_t) {
    shown.push_back(Surface()->cursor().shape());
  };
  PostDrag(Surface(), {{10, 10}, {100, 100}, {20, 20}});
  view_.MouseSelect(msRectangle);
  EXPECT_EQ(shown, (std::vector<Qt::CursorShape>{Qt::CrossCursor, Qt::PointingHandCursor,
                                                 Qt::CrossCursor}));
  EXPECT_EQ(Surface()->cursor().shape(), Qt::PointingHandCursor);
}

TEST_F(Selecting, TheBandInvertsADottedOutlineWhileDraggingAndGoesWithTheRelease) {
  Show(200, 200, 100, 100);
  view_.SetSelectionVisible(false);  // only the band may invert anything
  const auto inverted_on_row = [&](const QImage& frame, int y, int x1, int x2) {
    int count = 0;
    for (int x = x1; x <= x2; ++x)
      count += qRed(frame.pixel(x, y)) == 255 - x && qGreen(frame.pixel(x, y)) == 255 - y &&
               qBlue(frame.pixel(x, y)) == 255 - 7;
    return count;
  };
  QImage during;
  view_.OnMouseMove = [&](int16_t, int32_t x, int32_t) {
    if (x == 30) during = view_.Render();
  };
  PostDrag(Surface(), {{10, 10}, {30, 25}});
  view_.MouseSelect(msRectangle);
  ASSERT_FALSE(during.isNull());
  const int top = inverted_on_row(during, 10, 10, 30), bottom = inverted_on_row(during, 25, 10, 30);
  EXPECT_GT(top, 3);  // dotted: some pixels of each edge, not all
  EXPECT_LT(top, 21);
  EXPECT_GT(bottom, 3);
  EXPECT_EQ(inverted_on_row(during, 10, 0, 9) + inverted_on_row(during, 10, 31, 60), 0);
  EXPECT_EQ(during.pixel(20, 18), qRgb(20, 18, 7));  // inside the band: untouched
  EXPECT_EQ(inverted_on_row(view_.Render(), 10, 0, 60), 0);
}

TEST_F(Selecting, ASecondSelectionStartedByTheHostTakesOver) {
  Show(200, 200, 50, 50);
  bool nested = false;
  view_.OnMouseDown = [&](int16_t, int16_t, int32_t, int32_t) {
    if (nested) return;
    nested = true;
    view_.MouseSelect(msEllipse);
  };
  PostDrag(Surface(), {{10, 10}, {20, 30}});
  view_.MouseSelect(msRectangle);
  EXPECT_TRUE(nested);
  EXPECT_EQ(view_.MouseSelectionMode(), msNone);
  // The inner selection saw no press of its own: its drag starts where the outer one's did.
  ExpectSelection(ssEllipse, {10, 10, 20, 30});
}

TEST_F(Selecting, TheHostMayReplaceOrClearTheImageWhileItWaits) {
  Show(200, 200, 50, 50, 200);
  view_.OnMouseDown = [&](int16_t, int16_t, int32_t, int32_t) { Load(view_, GradientBmp(20, 20)); };
  PostDrag(Surface(), {{5, 5}, {39, 39}});
  view_.MouseSelect(msRectangle);
  EXPECT_EQ(Image().Width(), 20);
  ExpectSelection(ssRectangle, {3, 3, 19, 19});  // the release selects on the new image

  view_.OnMouseDown = nullptr;
  view_.OnMouseMove = [&](int16_t, int32_t, int32_t) { view_.Clear(); };
  PostDrag(Surface(), {{5, 5}, {10, 10}});
  view_.MouseSelect(msRectangle);
  EXPECT_FALSE(view_.ImageLoaded());
  EXPECT_EQ(view_.MouseSelectionMode(), msNone);
}

TEST(SelectingDeletion, TheHostMayDeleteTheControlFromItsEvents) {
  for (const char* when : {"up", "move", "scroll"}) {
    auto* view = new TpvImage;
    const QPointer<TpvImage> alive(view);
    view->resize(100, 80);
    Load(*view, GradientBmp(400, 60));
    const std::string event = when;
    const auto drop = [&] { delete view; };
    if (event == "up") view->OnMouseUp = [&](int16_t, int16_t, int32_t, int32_t) { drop(); };
    if (event == "move") view->OnMouseMove = [&](int16_t, int32_t, int32_t) { drop(); };
    if (event == "scroll") view->OnScroll = drop;  // the drag at the edge scrolls
    PostDrag(view->PaintSurface(), {{50, 20}, {99, 20}});
    view->MouseSelect(msRectangle);
    EXPECT_TRUE(alive.isNull()) << when;
    if (alive) delete view;
  }
}

}  // namespace
}  // namespace pictavo
