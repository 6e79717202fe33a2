// Placing the image in the view: centring, scroll ranges beyond 16 bits, scrolling, centring a
// picture inside its container.
#include <gtest/gtest.h>

#include <QFrame>
#include <QScrollBar>

#include "app/shell/image_fit.h"

namespace {

using shell::FitImageToView;
using shell::FitPlacement;

struct FitCase {
  const char* name;
  QSize shown, view;
  QRect rect;
  bool h, v;
  int hMax, vMax;
};

TEST(ImageFit, PlacesImageAndScrollRanges) {
  const FitCase cases[] = {
      {"smaller, centred", {100, 50}, {301, 200}, {100, 75, 100, 50}, false, false, -201, -150},
      // (301 - 100) / 2 = 100.5 goes to the even neighbour, 100; (303 - 100) / 2 = 101.5 to 102.
      {"half to even up", {100, 50}, {303, 201}, {102, 76, 100, 50}, false, false, -203, -151},
      {"wider only", {500, 100}, {300, 200}, {0, 50, 500, 100}, true, false, 200, -100},
      {"exactly as wide", {300, 100}, {300, 200}, {0, 50, 300, 100}, false, false, 0, -100},
      {"taller only", {100, 900}, {300, 200}, {100, 0, 100, 900}, false, true, -200, 700},
      {"40000 wide", {40000, 100}, {300, 200}, {0, 50, 40000, 100}, true, false, 39700, -100},
  };
  for (const FitCase& c : cases) {
    const FitPlacement fit = FitImageToView(c.shown, c.view);
    EXPECT_EQ(fit.imageRect, c.rect) << c.name;
    EXPECT_EQ(fit.horizontalEnabled, c.h) << c.name;
    EXPECT_EQ(fit.verticalEnabled, c.v) << c.name;
    EXPECT_EQ(fit.horizontalMax, c.hMax) << c.name;
    EXPECT_EQ(fit.verticalMax, c.vMax) << c.name;
  }
}

TEST(ImageFit, ScrollBarsMoveTheImage) {
  QWidget view;
  QWidget image(&view);
  image.setGeometry(0, 0, 40000, 900);
  QScrollBar v(Qt::Vertical), h(Qt::Horizontal);
  v.setMaximum(700);
  h.setMaximum(39700);
  v.setValue(120);
  h.setValue(39000);  // beyond what a 16-bit range could hold
  shell::subScrollImageVertical(&image, &v);
  shell::subScrollImageHorizontal(&image, &h);
  EXPECT_EQ(image.pos(), QPoint(-39000, -120));
}

TEST(ImageFit, CentresPictureInContainer) {
  struct Case {
    QSize container, inner;
    QPoint expected;
  } cases[] = {
      {{200, 100}, {50, 20}, {75, 40}},
      {{201, 101}, {50, 20}, {76, 40}},  // 75.5 and 40.5 to even
      {{200, 100}, {250, 20}, {0, 40}},  // wider than the container: left edge
  };
  for (const Case& c : cases) {
    QFrame container;
    container.resize(c.container);
    QFrame inner(&container);
    inner.resize(c.inner);
    shell::subCentreControl(&container, &inner);
    EXPECT_EQ(inner.pos(), c.expected) << c.container.width() << "x" << c.inner.width();
  }
}

}  // namespace
