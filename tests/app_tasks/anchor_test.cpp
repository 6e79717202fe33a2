// Text anchors with a given text size: nine anchors under three justifications, and vertical.
#include <gtest/gtest.h>

#include "app/tasks/frame_drawing.h"

namespace {

using tasks::AnchorMetrics;
using tasks::AnchorPosition;

// A 400 x 301 image and a 51 x 17 text: odd sizes make every rounding visible.
AnchorMetrics Metrics(int32_t justify) {
  AnchorMetrics m;
  m.imageWidth = 400;
  m.imageHeight = 301;
  m.justify = justify;
  m.textWidth = 51;
  m.textHeight = 17;
  return m;
}

TEST(AnchorPosition, HorizontalTextUnderEachJustification) {
  // Rows: y = 0, round((301 - 17) / 2) = 142, 301 - 17 = 284.
  const int32_t rowY[3] = {0, 142, 284};
  // Columns per justification: left round((400 - 51) / 2) = round(174.5) = 174 (halves to even);
  // centre round(25.5) = 26, 200, round(374.5) = 374; right 51, round(225.5) = 226, 400.
  const int32_t columnX[3][3] = {{0, 174, 349}, {26, 200, 374}, {51, 226, 400}};
  for (int32_t justify = 0; justify < 3; ++justify)
    for (int16_t anchor = 0; anchor < 9; ++anchor) {
      int32_t x = -1, y = -1;
      AnchorPosition(0, anchor, Metrics(justify), x, y);
      EXPECT_EQ(x, columnX[justify][anchor % 3]) << justify << " " << anchor;
      EXPECT_EQ(y, rowY[anchor / 3]) << justify << " " << anchor;
    }
  int32_t x = 0, y = 0;
  AnchorPosition(0, 2, Metrics(7), x, y);  // any other justification is right
  EXPECT_EQ(x, 400);
}

TEST(AnchorPosition, VerticalTextIgnoresJustification) {
  // x: 17, round((17 + 400) / 2) = round(208.5) = 208, 400; y: 0, round((301 - 51) / 2) = 125, 250.
  const int32_t columnX[3] = {17, 208, 400};
  const int32_t rowY[3] = {0, 125, 250};
  for (int32_t justify : {0, 1, 2})
    for (int16_t anchor = 0; anchor < 9; ++anchor) {
      int32_t x = -1, y = -1;
      AnchorPosition(1, anchor, Metrics(justify), x, y);
      EXPECT_EQ(x, columnX[anchor % 3]) << anchor;
      EXPECT_EQ(y, rowY[anchor / 3]) << anchor;
    }
}

TEST(AnchorPosition, OtherAnchorsKeepThePositionTheyCameWith) {
  for (int16_t anchor : {9, 12, -1}) {
    int32_t x = 33, y = 44;
    AnchorPosition(0, anchor, Metrics(0), x, y);
    EXPECT_EQ(x, 33);
    EXPECT_EQ(y, 44);
  }
}

TEST(AnchorPosition, CentreAnchorOfTheDesignExample) {
  AnchorMetrics m = Metrics(1);
  m.imageHeight = 300;
  int32_t x = 0, y = 0;
  AnchorPosition(0, 4, m, x, y);
  EXPECT_EQ(x, 200);
  EXPECT_EQ(y, 142);  // round((300 - 17) / 2) = round(141.5)
}

}  // namespace
