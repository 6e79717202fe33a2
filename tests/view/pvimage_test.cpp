#include "control/engine/view/pvimage.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QMouseEvent>
#include <filesystem>

#include "control/engine/raster/selection.h"
#include "view/view_test_support.h"

namespace pictavo {
namespace {

namespace fs = std::filesystem;

struct LayoutCase {
  const char* what;
  int control_w, control_h, image_w, image_h;
  double zoom;
  bool show_bars;
  bool horz_active, vert_active;
  bool horz_visible, vert_visible;
  int surface_w, surface_h;
};

class RelayoutTable : public testing::TestWithParam<LayoutCase> {};

TEST_P(RelayoutTable, PlacesSurfaceAndBars) {
  const LayoutCase c = GetParam();
  TpvImage view;
  view.resize(c.control_w, c.control_h);
  view.SetShowScrollBars(c.show_bars);
  if (c.image_w) Load(view, GradientBmp(c.image_w, c.image_h));
  view.SetZoom(c.zoom);
  EXPECT_EQ(view.HasScrollBarHoriz(), c.horz_active);
  EXPECT_EQ(view.HasScrollBarVert(), c.vert_active);
  EXPECT_EQ(view.HorzScrollBar()->isVisibleTo(&view), c.horz_visible);
  EXPECT_EQ(view.VertScrollBar()->isVisibleTo(&view), c.vert_visible);
  if (c.image_w) {
    EXPECT_EQ(view.PaintSurface()->width(), c.surface_w);
    EXPECT_EQ(view.PaintSurface()->height(), c.surface_h);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RelayoutTable,
    testing::Values(
        LayoutCase{"fits", 100, 80, 50, 40, 100, true, false, false, false, false, 50, 40},
        LayoutCase{"wider", 100, 80, 150, 40, 100, true, true, false, true, false, 100, 40},
        // Exactly as wide as the control and taller: the vertical bar takes 16 pixels, so the
        // horizontal one is needed as well.
        LayoutCase{"exact width", 100, 80, 100, 200, 100, true, true, true, true, true, 84, 64},
        // Without visible bars only vertical scrolling is enabled.
        LayoutCase{"exact width hidden", 100, 80, 100, 200, 100, false, false, true, false, false,
                   100, 80},
        LayoutCase{"zoom 400", 100, 80, 20, 10, 400, true, false, false, false, false, 80, 40},
        LayoutCase{"zoom 400 large", 100, 80, 30, 30, 400, true, true, true, true, true, 84, 64},
        LayoutCase{"zoom 25", 100, 80, 300, 300, 25, true, false, false, false, false, 75, 75}),
    [](const auto& info) {
      std::string name = info.param.what;
      for (char& ch : name)
        if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
      return name;
    });

TEST(Relayout, ZeroSizedControlIsLaidOutAsOnePixel) {
  TpvImage view;
  view.resize(0, 0);
  view.Relayout();
  EXPECT_EQ(view.width(), 1);
  EXPECT_EQ(view.height(), 1);
}

TEST(Relayout, AutoZoomShrinksButNeverEnlarges) {
  TpvImage view;
  view.resize(100, 80);
  view.SetAutoZoom(true);
  Load(view, GradientBmp(20, 10));
  EXPECT_EQ(view.Zoom(), 100);
  Load(view, GradientBmp(400, 100));
  EXPECT_DOUBLE_EQ(view.Zoom(), 25);
  EXPECT_FALSE(view.HasScrollBarHoriz());
  view.SetZoom(300);  // ignored while AutoZoom is on
  EXPECT_DOUBLE_EQ(view.Zoom(), 25);
}

TEST(Painting, EachZoomSamplesTheRightImagePixels) {
  TpvImage view;
  view.resize(120, 100);
  Load(view, GradientBmp(40, 40));
  for (double zoom : {25.0, 100.0, 400.0}) {
    view.SetZoom(zoom);
    const QImage frame = view.Render();
    for (QPoint p : {QPoint(0, 0), QPoint(5, 3), QPoint(9, 9)}) {
      const int sx = static_cast<int>(p.x() * 100 / zoom),
                sy = static_cast<int>(p.y() * 100 / zoom);
      EXPECT_EQ(frame.pixel(p), qRgb(sx, sy, 7)) << zoom << " at " << p.x() << "," << p.y();
    }
  }
}

TEST(Painting, NoImageShowsTheDottedFrameAndTheZoomedImageStopsAtItsEdge) {
  TpvImage view;
  view.resize(60, 50);
  QImage frame = view.Render();
  int dots = 0;
  for (int x = 0; x < 60; ++x) dots += frame.pixel(x, 0) == qRgb(0x44, 0x44, 0x44);
  EXPECT_GT(dots, 10);  // dotted: some pixels of the top edge, not all
  EXPECT_LT(dots, 50);
  EXPECT_EQ(frame.pixel(30, 25), qRgb(212, 208, 200));
  Load(view, GradientBmp(10, 10));
  view.SetZoom(400);
  frame = view.Render();
  EXPECT_EQ(frame.pixel(39, 39), qRgb(9, 9, 7));
  EXPECT_EQ(frame.pixel(45, 45), qRgb(212, 208, 200));
}

TEST(Painting, ScaleToGrayShowsBlackAndWhiteInGreysBelowFullSize) {
  TicBitmap mono;
  mono.SetPixelFormat(plat::TPixelFormat::pf1bit);
  mono.SetSize(8, 8);
  for (int y = 0; y < 8; ++y) mono.ScanLine(y)[0] = (y & 1) ? 0xAA : 0x55;  // checkerboard
  mono.UpdateColorFormat();
  const std::vector<uint8_t> bytes = mono.SaveToBytes(gfBMP, false, 75);
  for (bool grey : {true, false}) {
    TpvImage view;
    view.resize(40, 40);
    view.SetScaleToGray(grey);
    Load(view, bytes);
    view.SetZoom(50);
    const QRgb shown = view.Render().pixel(1, 1);
    if (grey) {
      EXPECT_EQ(shown, qRgb(127, 127, 127));
    } else {
      EXPECT_TRUE(shown == qRgb(0, 0, 0) || shown == qRgb(255, 255, 255));
    }
  }
}

class ViewFiles : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("pvimage_" + std::to_string(::getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string Path(const char* name) { return (dir_ / name).string(); }
  fs::path dir_;
};

TEST_F(ViewFiles, FailedLoadKeepsTheShownImage) {
  TpvImage view;
  Load(view, GradientBmp(5, 6));
  EXPECT_THROW(view.LoadFromFile(Path("missing.bmp")), plat::EFOpenError);
  const std::vector<uint8_t> junk = {'Q', 1, 2};
  EXPECT_THROW(view.ReadBinary(gfBMP, junk.data(), 3), EInvalidFormat);
  view.SetUseLZW(false);
  EXPECT_THROW(view.ReadBinary(gfGIF, junk.data(), 3), EInvalidFormat);
  EXPECT_EQ(view.ImageWidth(), 5);
  EXPECT_EQ(view.ImageHeight(), 6);
}

TEST_F(ViewFiles, ExportTakesTheSelectionAndGivesItBackAlsoAfterAFailure) {
  TpvImage view;
  view.resize(50, 50);
  Load(view, GradientBmp(20, 10));
  view.SelectRectangle(2, 3, 6, 8);
  view.SetUseSelection(true);
  view.SaveToFile(Path("part.bmp"));
  TicBitmap saved;
  saved.LoadImageFile(Path("part.bmp"), 1);
  EXPECT_EQ(saved.Width(), 5);
  EXPECT_EQ(saved.Height(), 6);
  EXPECT_EQ(saved.PixelColor(0, 0), plat::RGB(2, 3, 7));
  // A save that fails (unknown extension) must not lose the selection either.
  EXPECT_THROW(view.SaveToFile(Path("part.xyz")), EInvalidFormat);
  const TicBitmap& image = *view.CurrentImage();
  EXPECT_EQ(image.Width(), 20);
  EXPECT_TRUE(image.UseSelection());
  EXPECT_EQ(image.SelectionShape(), ssRectangle);
  EXPECT_EQ(image.SelectionBounds().left, 2);
  EXPECT_EQ(image.SelectionBounds().bottom, 8);
  EXPECT_EQ(view.LastFileName(), QString::fromStdString(Path("part.bmp")).toStdU16String());
}

TEST(ViewState, JpegQualityIsClampedAndSettersWithoutImageDoNothing) {
  TpvImage view;
  for (auto [given, kept] : {std::pair{0, 1}, {-5, 1}, {150, 100}, {300, 100}, {55, 55}}) {
    view.SetJPEGQuality(given);
    EXPECT_EQ(view.JPEGQuality(), kept);
  }
  view.SetColorFormat(cf256Color);
  EXPECT_EQ(view.ColorFormat(), cfNone);
  EXPECT_FALSE(view.WriteBinary(gfBMP).has_value());
  EXPECT_EQ(view.NewFileSize(gfBMP), 0);
}

TEST(Clipboard, CopyThenPasteGivesTheSameImage) {
  TpvImage view;
  Load(view, GradientBmp(9, 4));
  view.Copy();
  TpvImage other;
  other.Paste();
  ASSERT_TRUE(other.ImageLoaded());
  EXPECT_EQ(other.ImageWidth(), 9);
  EXPECT_EQ(other.CurrentImage()->PixelColor(8, 3), plat::RGB(8, 3, 7));
  EXPECT_EQ(other.ColorFormat(), cf24bit);
}

TEST(Mouse, EventsCarryButtonAndShiftCodes) {
  TpvImage view;
  view.resize(60, 40);
  std::vector<std::string> seen;
  view.OnMouseDown = [&](int16_t b, int16_t s, int32_t x, int32_t y) {
    seen.push_back("down " + std::to_string(b) + " " + std::to_string(s) + " " + std::to_string(x) +
                   " " + std::to_string(y));
  };
  view.OnMouseUp = [&](int16_t b, int16_t s, int32_t, int32_t) {
    seen.push_back("up " + std::to_string(b) + " " + std::to_string(s));
  };
  view.OnClick = [&] { seen.push_back("click"); };
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 7), QPointF(5, 7), Qt::MiddleButton,
                    Qt::MiddleButton, Qt::ControlModifier);
  QCoreApplication::sendEvent(&view, &press);
  QMouseEvent left(QEvent::MouseButtonPress, QPointF(1, 2), QPointF(1, 2), Qt::LeftButton,
                   Qt::LeftButton | Qt::MiddleButton, Qt::ShiftModifier | Qt::AltModifier);
  QCoreApplication::sendEvent(&view, &left);
  QMouseEvent release(QEvent::MouseButtonRelease, QPointF(1, 2), QPointF(1, 2), Qt::LeftButton,
                      Qt::NoButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&view, &release);
  EXPECT_EQ(seen, (std::vector<std::string>{"down 4 20 5 7", "down 1 45 1 2", "click", "up 1 0"}));
}

}  // namespace
}  // namespace pictavo

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
