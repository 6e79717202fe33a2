// Runs with CUPS_SERVER pointing nowhere: the machine has no printer at all.
#include <gtest/gtest.h>

#include <QLabel>

#include "control/engine/print/icprinters.h"
#include "control/engine/print/print_preview.h"

namespace pictavo {
namespace {

TEST(WithoutPrinter, RoutinesReportTheMissingPrinter) {
  plat::TPrinter& printer = plat::Printer();
  ASSERT_TRUE(printer.Printers().empty());
  EXPECT_EQ(printer.PrinterIndex(), -1);
  EXPECT_EQ(printer.DeviceMode(), nullptr);
  try {
    GetPrintQuality(printer);
    ADD_FAILURE() << "no error";
  } catch (const plat::EPrinter& error) {
    EXPECT_STREQ(error.what(), "Operation not supported on selected printer");
  }
  EXPECT_EQ(GetResolution(printer), 0);
  SetPaperSize(printer, 9);  // nothing to set, no error
  try {
    printer.BeginDoc();
    ADD_FAILURE() << "no error";
  } catch (const plat::EPrinter& error) {
    EXPECT_STREQ(error.what(), "There is no printer installed");
  }
  EXPECT_FALSE(printer.Printing());
}

TEST(WithoutPrinter, PreviewShowsAnEmptyPageAndKeepsEveryValue) {
  const plat::TBitmap bitmap(8, 8, plat::TPixelFormat::pf24bit);
  TPrintSettings settings;
  settings.left_cm = 1.25;
  settings.top_cm = 2.5;
  settings.scale = 150;
  settings.fit = true;
  settings.centre = true;
  settings.paper_code = 9;
  TfPrintPreview form;
  form.Load(settings, bitmap, 80, 60, 0);
  form.Ontmr1Timer();  // nothing to re-read, and no error
  const TPrintSettings shown = form.Values();
  EXPECT_EQ(shown.left_cm, 1.25);
  EXPECT_EQ(shown.top_cm, 2.5);
  EXPECT_EQ(shown.scale, 150);
  EXPECT_EQ(shown.paper_code, 9);
  const QImage page = form.findChild<QLabel*>("imgPrev")->pixmap().toImage();
  ASSERT_EQ(page.size(), QSize(441, 441));
  EXPECT_EQ(page.pixelColor(0, 0), QColor(Qt::black));      // the border
  EXPECT_EQ(page.pixelColor(220, 220), QColor(Qt::white));  // and nothing on the page
}

}  // namespace
}  // namespace pictavo
