#include <gtest/gtest.h>

#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <functional>

#include "control/engine/print/icprinters.h"
#include "print/print_support.h"

namespace pictavo {
namespace {

using plat::TBitmap;
using plat::TPixelFormat;
using velmora_test::RenderedPage;
using velmora_test::ScratchDir;

// Prints one page into a PDF file at `dpi`, drawing from the sheet's corner.
void PrintPdf(const std::string& path, int dpi, QPageSize::PageSizeId paper,
              const std::function<void(QPainter&)>& draw) {
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(QString::fromStdString(path));
  printer.setResolution(dpi);
  printer.setPageSize(QPageSize(paper));
  printer.setFullPage(true);
  QPainter painter(&printer);
  draw(painter);
}

uint32_t Rgb(plat::TColor c) {
  return (uint32_t{plat::GetRValue(c)} << 16) | (uint32_t{plat::GetGValue(c)} << 8) |
         plat::GetBValue(c);
}

// A small image whose every pixel has a colour of its own (as far as the palette allows), drawn
// from a palette of distinct colours on indexed formats.
TBitmap Sample(TPixelFormat format, int width, int height) {
  TBitmap bitmap(width, height, format);
  const int entries = plat::PaletteSizeOf(format);
  plat::TColorTable palette;
  for (int i = 0; i < entries; ++i)
    palette.push_back(plat::TRGBQuad::FromColor(
        plat::RGB(static_cast<uint8_t>(i * 255 / (entries - 1)), static_cast<uint8_t>(i * 37),
                  static_cast<uint8_t>(255 - i))));
  if (entries > 0) bitmap.SetColorTable(palette);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const int n = x + width * y;
      bitmap.SetPixelColor(x, y,
                           entries > 0 ? palette[n % entries].ToColor()
                                       : plat::RGB(static_cast<uint8_t>(40 * n),
                                                   static_cast<uint8_t>(255 - 20 * n), 90));
    }
  return bitmap;
}

// Every image pixel must be a solid block of its colour in the rendered rectangle (one dot of
// slack at each block edge), and the dots just outside the rectangle must be white.
void ExpectBlocks(const RenderedPage& page, const TBitmap& bitmap, QRect place,
                  const std::string& what) {
  ASSERT_GT(page.width, 0) << what;
  for (int j = 0; j < bitmap.Height(); ++j)
    for (int i = 0; i < bitmap.Width(); ++i) {
      const int x0 = place.x() + i * place.width() / bitmap.Width();
      const int x1 = place.x() + (i + 1) * place.width() / bitmap.Width();
      const int y0 = place.y() + j * place.height() / bitmap.Height();
      const int y1 = place.y() + (j + 1) * place.height() / bitmap.Height();
      const uint32_t want = Rgb(bitmap.PixelColor(i, j));
      int wrong = 0;
      for (int y = y0 + 1; y < y1 - 1; ++y)
        for (int x = x0 + 1; x < x1 - 1; ++x) wrong += page.At(x, y) != want;
      EXPECT_EQ(wrong, 0) << what << " pixel " << i << "," << j;
    }
  const int mid_x = place.x() + place.width() / 2, mid_y = place.y() + place.height() / 2;
  for (QPoint outside : {QPoint(place.left() - 2, mid_y), QPoint(place.right() + 2, mid_y),
                         QPoint(mid_x, place.top() - 2), QPoint(mid_x, place.bottom() + 2)})
    EXPECT_EQ(page.At(outside.x(), outside.y()), 0xFFFFFFu) << what << " outside";
}

TEST(PrintBitmap, EveryLayoutWithItsPaletteUnsmoothedInItsRectangle) {
  struct Case {
    TPixelFormat format;
    QRect place;  // in dots at 600 dpi
  };
  const Case cases[] = {
      {TPixelFormat::pf1bit, {60, 60, 240, 180}},
      {TPixelFormat::pf4bit, {400, 60, 250, 150}},  // 62.5 x 50 dots a pixel
      {TPixelFormat::pf8bit, {60, 400, 240, 180}},
      {TPixelFormat::pf24bit, {400, 400, 300, 90}},  // 75 x 30 dots a pixel
  };
  ScratchDir dir;
  const std::string pdf = dir.File("layouts.pdf");
  std::vector<TBitmap> images;
  for (const Case& c : cases) images.push_back(Sample(c.format, 4, 3));
  PrintPdf(pdf, 600, QPageSize::A4, [&](QPainter& painter) {
    for (size_t k = 0; k < images.size(); ++k) {
      const QRect& r = cases[k].place;
      PrintBitmap(painter, r.x(), r.y(), r.width(), r.height(), images[k]);
    }
  });
  const RenderedPage page = velmora_test::RenderPdf(dir, pdf, 600, 0, 0, 800, 700);
  for (size_t k = 0; k < images.size(); ++k)
    ExpectBlocks(page, images[k], cases[k].place,
                 std::to_string(plat::BitsPerPixel(cases[k].format)) + "-bit");
}

TEST(PrintBitmap, PlacesBeyondSixteenBitsOfDotsLandInPlace) {
  // A0 at 2400 dpi is 79,464 dots wide: these coordinates do not fit 16 bits.
  const QRect place(70000, 100000, 2400, 2400);
  const TBitmap image = Sample(TPixelFormat::pf24bit, 2, 2);
  ScratchDir dir;
  const std::string pdf = dir.File("a0.pdf");
  PrintPdf(pdf, 2400, QPageSize::A0, [&](QPainter& painter) {
    PrintBitmap(painter, place.x(), place.y(), place.width(), place.height(), image);
  });
  // Rendered at 600 dpi: a quarter of the dots, cropped around the place.
  const QRect at600(place.x() / 4, place.y() / 4, place.width() / 4, place.height() / 4);
  const QPoint crop = at600.topLeft() - QPoint(10, 10);
  const RenderedPage page = velmora_test::RenderPdf(dir, pdf, 600, crop.x(), crop.y(),
                                                    at600.width() + 20, at600.height() + 20);
  ExpectBlocks(page, image, at600.translated(-crop), "A0 corner");
}

TEST(PrintBitmap, EmptyBitmapDrawsNothing) {
  ScratchDir dir;
  const std::string pdf = dir.File("empty.pdf");
  PrintPdf(pdf, 600, QPageSize::A4,
           [](QPainter& painter) { PrintBitmap(painter, 10, 10, 100, 100, TBitmap()); });
  const RenderedPage page = velmora_test::RenderPdf(dir, pdf, 600, 0, 0, 120, 120);
  ASSERT_GT(page.width, 0);
  for (int y = 0; y < page.height; y += 7)
    for (int x = 0; x < page.width; x += 7) ASSERT_EQ(page.At(x, y), 0xFFFFFFu);
}

}  // namespace
}  // namespace pictavo
