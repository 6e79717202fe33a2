// Printing through the control's members onto print-to-PDF queues, read back with poppler.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPageSize>
#include <QPrinter>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <thread>

#include "activex/member_client.h"
#include "control/engine/print/print_preview.h"
#include "print/print_support.h"

namespace pictavo {
namespace {

using velmora_test::MemberCall;
using velmora_test::TCallValue;
using velmora_test::TestImageBox;

using velmora_test::RenderedPage;
using velmora_test::ScratchDir;

// An A4 queue whose driver prints at 600 dpi; last in the printer list, so that the places of
// the shared queues do not move while it exists.
constexpr const char* k600Queue = "ZZVelmoraPDF600";
constexpr int kDpi = 600;

// The rectangle of the page's dots that are not white; empty on a blank page.
// Plain bounds rather than a union of one-dot rectangles: a page at 600 dpi has 35 million dots.
QRect InkBounds(const RenderedPage& page) {
  const auto inked = [&page](int x, int y) { return page.At(x, y) != 0xFFFFFFu; };
  int left = page.width, right = -1, top = page.height, bottom = -1;
  for (int y = 0; y < page.height; ++y) {
    int first = 0;
    while (first < page.width && !inked(first, y)) ++first;
    if (first == page.width) continue;
    int last = page.width - 1;
    while (!inked(last, y)) --last;
    left = std::min(left, first);
    right = std::max(right, last);
    top = std::min(top, y);
    bottom = y;
  }
  return right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

// The printable area of an A4 PDF job at this resolution, as Qt's printer lays it out.
QRect PrintableArea(int dpi) {
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setResolution(dpi);
  printer.setPageSize(QPageSize(QPageSize::A4));
  return printer.pageRect(QPrinter::DevicePixel).toRect();
}

// Within slack dots on each side (a render anti-aliases the edges that fall between its dots).
void ExpectRect(QRect seen, QRect want, const std::string& what, int slack = 1) {
  for (auto [s, w, edge] :
       {std::tuple{seen.left(), want.left(), "left"}, std::tuple{seen.top(), want.top(), "top"},
        std::tuple{seen.width(), want.width(), "width"},
        std::tuple{seen.height(), want.height(), "height"}})
    EXPECT_NEAR(s, w, slack) << what << " " << edge;
}

class PrintMembers : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    queue_added_ = velmora_test::Run(std::string("lpadmin -p ") + k600Queue +
                                     " -E -v cups-pdf:/ -P /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd"
                                     " -o PageSize=A4 -o Resolution=600dpi 2>/dev/null");
    // The scheduler may take a moment before it lists a new queue to its clients.
    for (int i = 0; i < 100 && queue_added_ && velmora_test::PrinterIndexOf(k600Queue) < 0; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  static void TearDownTestSuite() {
    if (queue_added_) velmora_test::Run(std::string("lpadmin -x ") + k600Queue);
  }
  void SetUp() override {
    VELMORA_REQUIRE_QUEUES();
    ASSERT_TRUE(queue_added_);
    control_.Put("UsePrintDialog", false);
    plat::Printer().SetOutputFileName(pdf_);
  }
  void TearDown() override { plat::Printer().SetOutputFileName(""); }

  // A w x h black image at dpi (0: no resolution).
  void BlackImage(int w, int h, int dpi) {
    control_.Put("BrushColor", int64_t{0});
    control_.Call("NewImage", {int64_t{w}, int64_t{h}});
    control_.Put("XDPI", int64_t{dpi});
    control_.Put("YDPI", int64_t{dpi});
  }
  // Prints on the 600-dpi queue; the result code.
  TCallValue PrintOn600() {
    EXPECT_EQ(control_.Call("SelectPrinterByName", {std::u16string(u"ZZVelmoraPDF600")}),
              TCallValue(true));
    return control_.Call("PrintImage");
  }
  // The ink of the printed page rendered at dpi.
  QRect PrintedInk(int dpi) {
    const QSizeF mm = QPageSize(QPageSize::A4).size(QPageSize::Millimeter);
    return InkBounds(velmora_test::RenderPdf(dir_, pdf_, dpi, 0, 0,
                                             static_cast<int>(mm.width() / 25.4 * dpi),
                                             static_cast<int>(mm.height() / 25.4 * dpi)));
  }
  double Number(const char* name) { return std::get<double>(control_.Get(name)); }

  static inline bool queue_added_ = false;
  TestImageBox box_;
  velmora_test::MemberClient control_{box_};
  ScratchDir dir_;
  std::string pdf_ = dir_.File("printed.pdf");
};

TEST_F(PrintMembers, SizeAndPlaceFollowResolutionScaleAndPosition) {
  const QPoint origin = PrintableArea(kDpi).topLeft();
  struct Case {
    const char* what;
    int dpi;
    double left_cm;
    double scale;
    QRect want;  // in dots at 600 dpi from the printable origin
  };
  const Case cases[] = {
      {"300 dpi", 300, 0, 100, {0, 0, 600, 600}},
      {"2.54 cm in", 300, 2.54, 100, {600, 0, 600, 600}},
      {"no resolution is 100 dpi", 0, 0, 100, {0, 0, 1800, 1800}},
      {"an aspect of 1 x 1 is no resolution", 1, 0, 100, {0, 0, 1800, 1800}},
      {"half size", 300, 0, 50, {0, 0, 300, 300}},
  };
  for (const Case& c : cases) {
    BlackImage(300, 300, c.dpi);
    control_.Put("PrintLeft", c.left_cm);
    control_.Put("PrintScale", c.scale);
    ASSERT_EQ(PrintOn600(), TCallValue(int64_t{1})) << c.what;
    ExpectRect(PrintedInk(kDpi), c.want.translated(origin), c.what);
    EXPECT_EQ(control_.Get("ImageWidth"), TCallValue(int64_t{300})) << c.what;
    EXPECT_EQ(control_.Get("XDPI"), TCallValue(int64_t{c.dpi})) << c.what;
  }
}

TEST_F(PrintMembers, OnlyTheSelectionIsPrintedAndTheImageStays) {
  BlackImage(300, 300, 300);
  control_.Call("SelectRectangle", {int64_t{10}, int64_t{20}, int64_t{159}, int64_t{119}});
  control_.Put("UseSelection", true);
  ASSERT_EQ(PrintOn600(), TCallValue(int64_t{1}));
  ExpectRect(PrintedInk(kDpi), QRect(PrintableArea(kDpi).topLeft(), QSize(300, 200)), "selection");
  EXPECT_EQ(control_.Get("ImageWidth"), TCallValue(int64_t{300}));
  EXPECT_EQ(control_.Get("UseSelection"), TCallValue(true));
  EXPECT_EQ(control_.Get("SelectionX2"), TCallValue(int64_t{159}));
}

TEST_F(PrintMembers, FitFillsTheWidthAndCentreSplitsTheFreeHeight) {
  // Rendered at 100 dpi, enough to see the page; the printer lays the page out at 600.
  const int dpi = 100;
  const QRect at600 = PrintableArea(kDpi);
  const QRect area(at600.topLeft() / 6, at600.size() / 6);
  BlackImage(400, 200, 100);  // landscape, 4 x 2 inches
  control_.Put("PrintLeft", 3.0);
  control_.Put("PrintTop", 3.0);
  control_.Put("PrintFit", true);
  ASSERT_EQ(PrintOn600(), TCallValue(int64_t{1}));
  EXPECT_EQ(Number("PrintLeft"), 0);
  EXPECT_EQ(Number("PrintTop"), 0);
  const double scale = Number("PrintScale");
  EXPECT_NEAR(scale, area.width() * 100.0 / 400, 0.5);
  ExpectRect(PrintedInk(dpi), QRect(area.topLeft(), QSize(area.width(), area.width() / 2)), "fit",
             2);

  control_.Put("PrintCentre", true);
  ASSERT_EQ(PrintOn600(), TCallValue(int64_t{1}));
  const double free_height_cm = (area.height() - area.width() / 2.0) / dpi * 2.54;
  EXPECT_NEAR(Number("PrintTop"), free_height_cm / 2, 0.02);
  EXPECT_NEAR(Number("PrintLeft"), 0, 0.02);
  const QRect ink = PrintedInk(dpi);
  EXPECT_NEAR(ink.top() - area.top(), area.bottom() - ink.bottom(), 2);
  EXPECT_EQ(control_.Get("PrintFit"), TCallValue(true));
}

TEST_F(PrintMembers, TitleAndCopiesReachTheSpooler) {
  plat::Printer().SetOutputFileName("");
  const std::string title = "Velmora control job " + std::to_string(getpid());
  BlackImage(30, 30, 300);
  control_.Put("PrintTitle", std::u16string(title.begin(), title.end()));
  control_.Put("PrintCopies", int64_t{2});
  ASSERT_EQ(control_.Call("SelectPrinterByName", {std::u16string(u"VelmoraPDF")}),
            TCallValue(true));
  ASSERT_EQ(control_.Call("PrintImage"), TCallValue(int64_t{1}));
  const std::string found = velmora_test::WaitForPrintedPdf(title);
  ASSERT_FALSE(found.empty()) << "no PDF titled '" << title << "'";
  EXPECT_EQ(velmora_test::PdfInfo(found, "Pages"), "2");
  std::filesystem::remove(found);
}

TEST_F(PrintMembers, UnknownPrinterIndexFailsAndKeepsTheImage) {
  BlackImage(40, 30, 300);
  control_.Call("SelectRectangle", {int64_t{1}, int64_t{2}, int64_t{10}, int64_t{12}});
  control_.Put("UseSelection", true);
  control_.Put("PrinterIndex", int64_t{99});
  EXPECT_EQ(control_.Get("PrinterIndex"), TCallValue(int64_t{99}));
  MemberCall call;
  const MemberOutcome outcome = control_.Try("PrintImage", Accessor::Call, call);
  EXPECT_NE(outcome.hresult, kSOk);
  EXPECT_EQ(outcome.message, "Printer selected is not valid");
  EXPECT_EQ(control_.Get("ImageWidth"), TCallValue(int64_t{40}));
  EXPECT_EQ(control_.Get("SelectionX2"), TCallValue(int64_t{10}));
  EXPECT_FALSE(std::filesystem::exists(pdf_));
}

TEST_F(PrintMembers, PrinterListMembersFollowTheSpooler) {
  const std::vector<std::string> printers = plat::Printer().Printers();
  const int count = static_cast<int>(printers.size());
  EXPECT_EQ(control_.Get("PrinterCount"), TCallValue(int64_t{count}));
  const int a4 = velmora_test::PrinterIndexOf(velmora_test::kA4Queue);
  EXPECT_EQ(control_.Get("PrinterName", {int64_t{a4}}), TCallValue(std::u16string(u"VelmoraPDF")));
  for (int64_t outside : {int64_t{-1}, int64_t{count}})
    EXPECT_EQ(control_.Get("PrinterName", {outside}), TCallValue(std::u16string())) << outside;
  EXPECT_EQ(control_.Call("SelectPrinterByName", {std::u16string(u"VelmoraPDF")}),
            TCallValue(true));
  EXPECT_EQ(control_.Get("PrinterIndex"), TCallValue(int64_t{a4}));
  // Names compare exactly: another case is another name.
  EXPECT_EQ(control_.Call("SelectPrinterByName", {std::u16string(u"velmorapdf")}),
            TCallValue(false));
  EXPECT_EQ(control_.Get("PrinterIndex"), TCallValue(int64_t{a4}));
}

// --- the dialog ---

// Acts on the preview once it is shown.
void OnPreview(const std::function<void(TfPrintPreview&)>& act) {
  QTimer::singleShot(0, [act] {
    if (auto* form = qobject_cast<TfPrintPreview*>(QApplication::activeModalWidget())) act(*form);
  });
}

template <typename Widget>
Widget* Child(QObject& form, const char* name) {
  Widget* widget = form.findChild<Widget*>(name);
  EXPECT_NE(widget, nullptr) << name;
  return widget;
}

class PrintDialogMembers : public PrintMembers {
 protected:
  // Every setting the dialog can change, as the control reports it.
  std::vector<TCallValue> Settings() {
    std::vector<TCallValue> values;
    for (const char* name :
         {"PrinterIndex", "PrintOrientation", "PrintLeft", "PrintTop", "PrintCopies", "PrintScale",
          "PrintFit", "PrintCentre", "PrintPaperSize", "PrintUnits"})
      values.push_back(control_.Get(name));
    return values;
  }
};

TEST_F(PrintDialogMembers, CancelKeepsEverySettingPrintStoresAllButTheUnits) {
  BlackImage(30, 30, 300);
  control_.Put("UsePrintDialog", true);
  control_.Put("PrintUnits", int64_t{1});  // inches
  control_.Put("PrintLeft", 0.5);
  const std::vector<TCallValue> before = Settings();
  OnPreview([](TfPrintPreview& form) {
    Child<QLineEdit>(form, "edtCopies")->setText("3");
    Child<QPushButton>(form, "btnCancel")->click();
  });
  EXPECT_EQ(control_.Call("PrintImage"), TCallValue(int64_t{2}));
  EXPECT_EQ(Settings(), before);
  EXPECT_FALSE(std::filesystem::exists(pdf_));

  OnPreview([](TfPrintPreview& form) {
    Child<QLineEdit>(form, "edtCopies")->setText("3");
    Child<QLineEdit>(form, "edtScale")->setText("50");
    Child<QPushButton>(form, "btnPrint")->click();
  });
  EXPECT_EQ(control_.Call("PrintImage"), TCallValue(int64_t{1}));
  EXPECT_EQ(control_.Get("PrintCopies"), TCallValue(int64_t{3}));
  EXPECT_EQ(control_.Get("PrintScale"), TCallValue(50.0));
  EXPECT_EQ(control_.Get("PrintUnits"), TCallValue(int64_t{1}));
  EXPECT_NEAR(Number("PrintLeft"), 0.5, 1e-9);
  EXPECT_TRUE(std::filesystem::exists(pdf_));
}

TEST_F(PrintDialogMembers, ScaleOfZeroTypedInTheDialogKeepsThePreviousOne) {
  BlackImage(30, 30, 300);
  control_.Put("UsePrintDialog", true);
  control_.Put("PrintScale", 80.0);
  OnPreview([](TfPrintPreview& form) {
    Child<QLineEdit>(form, "edtScale")->setText("0");
    Child<QPushButton>(form, "btnPrint")->click();
  });
  EXPECT_EQ(control_.Call("PrintImage"), TCallValue(int64_t{1}));
  EXPECT_EQ(control_.Get("PrintScale"), TCallValue(80.0));
}

// --- settings without a printer ---

TEST(PrintSettingMembers, DefaultsUnitsAndIgnoredValues) {
  TestImageBox box;
  velmora_test::MemberClient control{box};
  EXPECT_EQ(control.Get("UsePrintDialog"), TCallValue(true));
  EXPECT_EQ(control.Get("PrinterIndex"), TCallValue(int64_t{-1}));
  EXPECT_EQ(control.Get("PrintTitle"), TCallValue(std::u16string(u"Tamblin Pictavo")));
  EXPECT_EQ(control.Get("PrintCopies"), TCallValue(int64_t{1}));
  EXPECT_EQ(control.Get("PrintScale"), TCallValue(100.0));
  EXPECT_EQ(control.Get("PrintPaperSize"), TCallValue(int64_t{0}));

  control.Put("PrintUnits", int64_t{1});
  control.Put("PrintLeft", 1.0);
  control.Put("PrintTop", 2.0);
  EXPECT_EQ(control.Get("PrintLeft"), TCallValue(1.0));
  control.Put("PrintUnits", int64_t{0});
  EXPECT_NEAR(std::get<double>(control.Get("PrintLeft")), 2.54, 1e-12);
  EXPECT_NEAR(std::get<double>(control.Get("PrintTop")), 5.08, 1e-12);

  struct Setter {
    const char* name;
    TCallValue good;
  };
  for (const Setter& s : {Setter{"PrintCopies", int64_t{4}}, Setter{"PrintScale", 30.0},
                          Setter{"PrintPaperSize", int64_t{9}}}) {
    control.Put(s.name, s.good);
    const bool is_double = std::holds_alternative<double>(s.good);
    for (int bad : {0, -3}) {
      control.Put(s.name, is_double ? TCallValue(double{bad * 1.0}) : TCallValue(int64_t{bad}));
      EXPECT_EQ(control.Get(s.name), s.good) << s.name << " " << bad;
    }
  }
  EXPECT_EQ(control.Call("PrintImage"), TCallValue(int64_t{0}));  // no image
}

TEST(PrintSettingMembers, SelectPrinterByNameTakesTheLastExactMatch) {
  TImagePrint print;
  const std::vector<std::string> printers = {"Office", "Läser", "Office", "office"};
  EXPECT_TRUE(print.SelectPrinterByName(printers, "Office"));
  EXPECT_EQ(print.PrinterIndex, 2);
  EXPECT_TRUE(print.SelectPrinterByName(printers, "Läser"));
  EXPECT_EQ(print.PrinterIndex, 1);
  for (const char* unknown : {"Nowhere", "OFFICE", ""}) {
    EXPECT_FALSE(print.SelectPrinterByName(printers, unknown)) << unknown;
    EXPECT_EQ(print.PrinterIndex, 1) << unknown;
  }
}

TEST(CaptureMembers, NothingHappensWhereTheScreenCannotBeRead) {
  TestImageBox box;  // the offscreen platform has no screen to read
  velmora_test::MemberClient control{box};
  control.Call("NewImage", {int64_t{5}, int64_t{4}});
  control.Call("CaptureScreen");
  control.Call("CaptureWindow", {int64_t{static_cast<int32_t>(box.View().winId())}});
  EXPECT_EQ(control.Get("ImageWidth"), TCallValue(int64_t{5}));
}

}  // namespace
}  // namespace pictavo
