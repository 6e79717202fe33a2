#include "control/engine/print/preview_geometry.h"

#include <gtest/gtest.h>

#include "control/engine/print/print_preview.h"

namespace pictavo {
namespace {

TEST(PreviewGeometry, PaperNamesCoverTheNamedCodesOnly) {
  EXPECT_EQ(PaperName(0), "(Printer Default)");
  EXPECT_EQ(PaperName(1), "Letter 8.5\" x 11\"");
  EXPECT_EQ(PaperName(7), "Executive 7.25\" x 10.5\"");
  EXPECT_EQ(PaperName(9), "A4 210mm x 297mm");
  EXPECT_EQ(PaperName(11), "A5 148mm x 210mm");
  for (int code : {-1, 2, 4, 10, 12, 70}) EXPECT_EQ(PaperName(code), "") << code;
}

TEST(PreviewGeometry, FitThenCentre) {
  struct Case {
    double image_w, image_h, page_w, page_h, scale, left, top;
  };
  const Case cases[] = {
      {100, 50, 200, 280, 200, 0, 9},   // width is the tighter side
      {50, 100, 280, 200, 200, 9, 0},   // height is the tighter side
      {100, 100, 200, 200, 200, 0, 0},  // equal ratios take the height
      {400, 100, 200, 280, 50, 0, 11.5},
  };
  for (const Case& c : cases) {
    const double scale = FitScale(c.image_w, c.image_h, c.page_w, c.page_h);
    EXPECT_DOUBLE_EQ(scale, c.scale) << c.image_w << "x" << c.image_h;
    EXPECT_DOUBLE_EQ(CentredPosition(c.page_w, c.image_w, scale), c.left);
    EXPECT_DOUBLE_EQ(CentredPosition(c.page_h, c.image_h, scale), c.top);
  }
  // An image larger than the page is put at the edge, not beyond it.
  EXPECT_EQ(CentredPosition(200, 300, 100), 0);
}

TEST(PreviewGeometry, PreviewSizeKeepsThePageAspectHalvesToEven) {
  struct Case {
    bool landscape;
    double page_w, page_h;
    QSize size;
  };
  const Case cases[] = {
      {false, 210, 297, {312, 441}},                             // 311.82
      {true, 297, 210, {441, 312}},  {false, 5, 882, {2, 441}},  // 2.5 rounds to 2
      {false, 7, 882, {4, 441}},                                 // 3.5 rounds to 4
      {true, 882, 5, {441, 2}},      {true, 882, 7, {441, 4}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(PreviewSize(c.landscape, c.page_w, c.page_h), c.size) << c.page_w << "x" << c.page_h;
}

TEST(PreviewGeometry, ImageRectangleInThePreview) {
  struct Case {
    const char* what;
    QSize preview;
    double left_cm, top_cm, image_w, image_h, scale, page_w, page_h;
    int left, top, right, bottom;  // right and bottom exclusive
  };
  const Case cases[] = {
      // inner 200 x 280 on a 200 x 280 mm page: one pixel a millimetre
      {"portrait", {202, 282}, 0, 0, 100, 50, 100, 200, 280, 2, 2, 100, 50},
      {"moved", {202, 282}, 1, 9, 100, 50, 200, 200, 280, 12, 92, 210, 190},
      {"landscape", {282, 202}, 0, 0, 100, 50, 100, 280, 200, 2, 2, 100, 50},
      // inner 4 x 4 on a 16 x 16 mm page: 0.25 pixel a millimetre
      {"halves a", {6, 6}, 0.2, 0.6, 8, 14, 100, 16, 16, 2, 4, 2, 5},   // 2.5 3.5 2.5 5
      {"halves b", {6, 6}, 0.6, 0.2, 12, 16, 100, 16, 16, 4, 2, 4, 4},  // 3.5 2.5 4.5 4.5
  };
  for (const Case& c : cases) {
    const QRect r = PreviewImageRect(c.preview, c.left_cm, c.top_cm, c.image_w, c.image_h, c.scale,
                                     c.page_w, c.page_h);
    EXPECT_EQ(r.left(), c.left) << c.what;
    EXPECT_EQ(r.top(), c.top) << c.what;
    EXPECT_EQ(r.right() + 1, c.right) << c.what;
    EXPECT_EQ(r.bottom() + 1, c.bottom) << c.what;
  }
}

TEST(PreviewGeometry, PositionTextInCentimetresOrInches) {
  EXPECT_EQ(PositionText(2.54, 1), "1.000");
  EXPECT_EQ(PositionText(2.54, 0), "2.540");
  EXPECT_EQ(PositionText(0, 0), "0.000");
  EXPECT_EQ(PositionText(12.3456, 0), "12.346");
}

}  // namespace
}  // namespace pictavo
