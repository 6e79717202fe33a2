// Printing the shown image and the basket onto the print-to-PDF queue, the dialog answered as the
// user would; poppler counts the pages and renders them.
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProgressBar>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <functional>

#include "app/browse/folder_browser.h"
#include "app/shell/busy_dialog.h"
#include "control/activex/imagebox_interface.h"
#include "output_fixture.h"
#include "print/print_support.h"
#include "support/folder_listing.h"

namespace {

using pictavo::ax::ImageBoxProxy;
using velmora_test::OutputFixture;

// What the print dialog's user does.
using DialogAnswer = std::function<void(QWidget& dialog)>;

void Press(QWidget& dialog, const char* button) {
  dialog.findChild<QPushButton*>(QString::fromUtf8(button))->click();
}
DialogAnswer PressPrint() {
  return [](QWidget& dialog) { Press(dialog, "btnPrint"); };
}
DialogAnswer PressCancel() {
  return [](QWidget& dialog) { Press(dialog, "btnCancel"); };
}

// Watches a print run from the message loop: answers every print dialog, keeps each printed PDF
// apart as the next job starts, and records what the busy dialog shows.
class PrintWatch : public QObject {
 public:
  PrintWatch(std::string pdf, DialogAnswer answer)
      : pdf_(std::move(pdf)), answer_(std::move(answer)) {
    connect(&timer_, &QTimer::timeout, this, [this] { Look(); });
    timer_.start(0);
  }
  // Collects the job printed last.
  void Finish() {
    timer_.stop();
    Collect();
  }

  int dialogs = 0;
  std::vector<std::string> printed;
  int busyMaximum = -1;
  std::vector<int> progress;
  std::vector<QString> messages;
  // Runs once whenever the busy dialog's progress moves.
  std::function<void(int value, shell::frmStatus& status)> onProgress;
  // Runs at every look while the print dialog is not up.
  std::function<void()> onIdle;

 private:
  void Look() {
    Collect();
    QWidget* modal = QApplication::activeModalWidget();
    if (modal && modal->objectName() == u"fPrintPreview" && modal->isVisible()) {
      ++dialogs;
      answer_(*modal);
      return;
    }
    for (QWidget* widget : QApplication::topLevelWidgets())
      if (auto* status = dynamic_cast<shell::frmStatus*>(widget); status && status->isVisible())
        Follow(*status);
    if (onIdle) onIdle();
  }
  void Follow(shell::frmStatus& status) {
    if (messages.empty() || messages.back() != status.lblMessage->text())
      messages.push_back(status.lblMessage->text());
    if (followed_ == &status) return;
    followed_ = &status;
    connect(status.pbQueue, &QProgressBar::valueChanged, this, [this, &status](int value) {
      busyMaximum = status.pbQueue->maximum();
      progress.push_back(value);
      if (onProgress) onProgress(value, status);
    });
  }
  void Collect() {
    if (!std::filesystem::exists(pdf_)) return;
    const std::string kept = pdf_ + "." + std::to_string(printed.size() + 1);
    std::filesystem::rename(pdf_, kept);
    printed.push_back(kept);
  }

  std::string pdf_;
  DialogAnswer answer_;
  QTimer timer_;
  QObject* followed_ = nullptr;
};

class PrintingTest : public OutputFixture {
 protected:
  void SetUp() override {
    VELMORA_REQUIRE_QUEUES();
    OutputFixture::SetUp();
    // The folder the tree restores at start-up would be chosen in the middle of a print, and a
    // folder choice asks running work to stop: choose one first, as the user would.
    ASSERT_TRUE(QDir().mkpath(File(QStringLiteral("listed"))));
    ASSERT_TRUE(ListFolderAsTheTreeDoes(*browser_, File(QStringLiteral("listed"))));
    UseTheA4Queue();
    plat::Printer().SetOutputFileName(pdf_);
  }
  void TearDown() override {
    plat::Printer().SetOutputFileName("");
    OutputFixture::TearDown();
  }
  void UseTheA4Queue() {
    shell::gSetup.PrintOptions.PrinterIndex = velmora_test::PrinterIndexOf(velmora_test::kA4Queue);
  }
  ImageBoxProxy Box() const { return ImageBoxProxy(window_->ibMain->Dispatch()); }
  // Runs `print` under a watch that answers the dialog.
  template <class Print>
  std::unique_ptr<PrintWatch> Watch(Print print, DialogAnswer answer = PressPrint(),
                                    const std::function<void(PrintWatch&)>& prepare = {}) {
    auto watch = std::make_unique<PrintWatch>(pdf_, std::move(answer));
    if (prepare) prepare(*watch);
    print();
    watch->Finish();
    return watch;
  }
  std::unique_ptr<PrintWatch> BatchPrint(DialogAnswer answer = PressPrint(),
                                         const std::function<void(PrintWatch&)>& prepare = {}) {
    return Watch([this] { QTest::mouseClick(window_->cmdBatchPrint, Qt::LeftButton); },
                 std::move(answer), prepare);
  }
  // The colour in the middle of the ink on the printed page.
  QRgb InkColour(const std::string& pdf) {
    const velmora_test::RenderedPage page = velmora_test::RenderPdf(
        scratch_, pdf, kRenderDpi, 0, 0, 827 * kRenderDpi / 100, 1169 * kRenderDpi / 100);
    QRect ink;
    for (int y = 0; y < page.height; ++y)
      for (int x = 0; x < page.width; ++x)
        if (page.At(x, y) != 0xFFFFFFu) ink |= QRect(x, y, 1, 1);
    return ink.isEmpty() ? 0xFFFFFFu : page.At(ink.center().x(), ink.center().y());
  }
  void AddRows(const std::vector<std::string>& colours) {
    for (size_t i = 0; i < colours.size(); ++i)
      AddRow(QStringLiteral("row%1").arg(i + 1), colours[i]);
  }

  static constexpr int kRenderDpi = 30;
  velmora_test::ScratchDir scratch_;
  std::string pdf_ = scratch_.File("printed.pdf");
};

// Within a little of the colour, as a renderer smooths it.
testing::AssertionResult Near(QRgb seen, QRgb want) {
  const int d = std::max({std::abs(qRed(seen) - qRed(want)), std::abs(qGreen(seen) - qGreen(want)),
                          std::abs(qBlue(seen) - qBlue(want))});
  if (d <= 12) return testing::AssertionSuccess();
  return testing::AssertionFailure() << std::hex << seen << " is not " << want;
}

TEST_F(PrintingTest, ShownImagePrintsOnePageAndTheDialogsChoicesBecomeTheDefaults) {
  AddRow(QStringLiteral("shown"), "red");
  ShowRow(0);
  const auto watch =
      Watch([this] { QTest::mouseClick(window_->cmdPreviewPrint, Qt::LeftButton); },
            [](QWidget& dialog) {
              dialog.findChild<QLineEdit*>(QStringLiteral("edtCopies"))->setText("3");
              dialog.findChild<QLineEdit*>(QStringLiteral("edtScale"))->setText("50");
              Press(dialog, "btnPrint");
            });
  EXPECT_EQ(watch->dialogs, 1);
  ASSERT_EQ(watch->printed.size(), 1u);
  EXPECT_EQ(velmora_test::PdfInfo(watch->printed[0], "Pages"), "1");
  EXPECT_TRUE(Near(InkColour(watch->printed[0]), qRgb(255, 0, 0)));
  EXPECT_EQ(shell::gSetup.PrintOptions.PrintCopies, 3);
  EXPECT_EQ(shell::gSetup.PrintOptions.PrintScale, 50.0);

  // They are written with the settings at exit and read at the next start.
  CloseWindow();
  shell::gSetup.PrintOptions.PrintCopies = 1;
  shell::gSetup.PrintOptions.PrintScale = 100;
  OpenWindow();
  EXPECT_EQ(shell::gSetup.PrintOptions.PrintCopies, 3);
  EXPECT_EQ(shell::gSetup.PrintOptions.PrintScale, 50.0);
}

TEST_F(PrintingTest, CancelInTheDialogPrintsNothingAndStillTakesTheSettingsBack) {
  AddRow(QStringLiteral("shown"), "red");
  ShowRow(0);
  // The control ignores a count of 0: what comes back is the control's own count.
  shell::gSetup.PrintOptions.PrintCopies = 0;
  const auto watch = Watch([this] { window_->cmdPreviewPrint->click(); }, PressCancel());
  EXPECT_EQ(watch->dialogs, 1);
  EXPECT_TRUE(watch->printed.empty());
  EXPECT_EQ(shell::gSetup.PrintOptions.PrintCopies, Box().get_PrintCopies());
  EXPECT_GT(shell::gSetup.PrintOptions.PrintCopies, 0);
}

// A position kept in inches comes back unchanged from a print: the units reach the control
// before the positions it reads in them.
TEST_F(PrintingTest, PositionsKeepTheirUnitsThroughAPrint) {
  AddRow(QStringLiteral("shown"), "red");
  ShowRow(0);
  for (uint8_t units : {uint8_t{1}, uint8_t{0}}) {
    // The control keeps the units of the last print: start from the other ones.
    Box().put_PrintUnits(pictavo::ax::TxPrintUnits(1 - units));
    auto& stored = shell::gSetup.PrintOptions;
    stored.PrintUnits = units;
    stored.PrintLeft = 1.25;
    stored.PrintTop = 0.5;
    Watch([this] { window_->cmdPreviewPrint->click(); }, PressCancel());
    EXPECT_EQ(stored.PrintUnits, units);
    EXPECT_DOUBLE_EQ(stored.PrintLeft, 1.25) << int{units};
    EXPECT_DOUBLE_EQ(stored.PrintTop, 0.5) << int{units};
  }
}

TEST_F(PrintingTest, AVanishedPrinterIsReportedInsteadOfEndingTheProgram) {
  AddRow(QStringLiteral("shown"), "red");
  ShowRow(0);
  shell::gSetup.PrintOptions.PrinterIndex = 99;
  Watch([this] { window_->cmdPreviewPrint->click(); }, PressPrint());
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text, QStringLiteral("Printer selected is not valid"));
}

TEST_F(PrintingTest, BasketOfFivePrintsEachRowOnlyTheFirstAfterTheDialog) {
  const std::vector<std::string> colours = {"red", "lime", "blue", "yellow", "magenta"};
  const std::vector<QRgb> rgb = {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255),
                                 qRgb(255, 255, 0), qRgb(255, 0, 255)};
  AddRows(colours);
  const auto watch = BatchPrint();
  EXPECT_EQ(watch->dialogs, 1);
  ASSERT_EQ(watch->printed.size(), 5u);
  for (size_t i = 0; i < rgb.size(); ++i) {
    EXPECT_EQ(velmora_test::PdfInfo(watch->printed[i], "Pages"), "1") << i;
    EXPECT_TRUE(Near(InkColour(watch->printed[i]), rgb[i])) << "row " << i + 1;
  }
  EXPECT_EQ(watch->busyMaximum, 5);
  EXPECT_EQ(watch->progress, (std::vector<int>{2, 3, 4, 5}));
  EXPECT_EQ(watch->messages, (std::vector<QString>{"Printing.. row2", "Printing.. row3",
                                                   "Printing.. row4", "Printing.. row5"}));
  EXPECT_EQ(ShownTag(), Row(4)->data(0, browse::kRowTagRole).toString());
  for (QWidget* widget : QApplication::topLevelWidgets())
    EXPECT_FALSE(dynamic_cast<shell::frmStatus*>(widget) && widget->isVisible());
}

TEST_F(PrintingTest, BasketOfOneRowNeverShowsTheBusyDialog) {
  AddRows({"blue"});
  const auto watch = BatchPrint();
  EXPECT_EQ(watch->dialogs, 1);
  ASSERT_EQ(watch->printed.size(), 1u);
  EXPECT_TRUE(watch->messages.empty());
  EXPECT_TRUE(watch->progress.empty());
}

TEST_F(PrintingTest, CancelInTheDialogOfABatchPrintsNoRow) {
  AddRows({"red", "blue"});
  shell::gSetup.PrintOptions.PrintCopies = 0;
  const auto watch = BatchPrint(PressCancel());
  EXPECT_EQ(watch->dialogs, 1);
  EXPECT_TRUE(watch->printed.empty());
  EXPECT_TRUE(watch->messages.empty());
  EXPECT_EQ(shell::gSetup.PrintOptions.PrintCopies, Box().get_PrintCopies());
}

TEST_F(PrintingTest, OptimizedViewPrintsTheImageWithTheTasksReplayed) {
  tasks::TaskRow negative;
  negative.Text = QStringLiteral("11");  // tskNegative
  pane_->Tasks().AppendRow(negative);
  pane_->View().mnuPreviewType_Click(0);
  pane_->View().mnuPreviewType_Click(1);
  const QString path = AddRow(QStringLiteral("halves"), "red", 60, 40);
  Make("-size 60x40 xc:red -fill yellow +antialias -draw 'rectangle 30,0 59,39'", path);
  AddRows({"blue"});
  const auto watch = BatchPrint();
  ASSERT_EQ(watch->printed.size(), 2u);
  // ImageMagick decides what the negative of each colour is.
  const QString negated = File(QStringLiteral("negated.png"));
  Make("'" + path.toStdString() + "' -negate", negated);
  const QImage referee(negated);
  const velmora_test::RenderedPage page =
      velmora_test::RenderPdf(scratch_, watch->printed[0], kRenderDpi, 0, 0, 827 * kRenderDpi / 100,
                              1169 * kRenderDpi / 100);
  QRect ink;
  for (int y = 0; y < page.height; ++y)
    for (int x = 0; x < page.width; ++x)
      if (page.At(x, y) != 0xFFFFFFu) ink |= QRect(x, y, 1, 1);
  ASSERT_FALSE(ink.isEmpty());
  const int midY = ink.center().y();
  EXPECT_TRUE(Near(page.At(ink.left() + ink.width() / 4, midY), referee.pixel(15, 20)));
  EXPECT_TRUE(Near(page.At(ink.left() + ink.width() * 3 / 4, midY), referee.pixel(45, 20)));
  EXPECT_TRUE(Near(InkColour(watch->printed[1]), qRgb(255, 255, 0)));
}

TEST_F(PrintingTest, ACancelRequestLeftFromBeforeDoesNotStopABatchPrint) {
  AddRows({"red", "lime", "blue"});
  browser_->pbQueue_MouseDown();  // a press on the progress bar after the listing had ended
  const auto watch = BatchPrint();
  EXPECT_EQ(watch->printed.size(), 3u);
}

// Cancel pressed while row 3 prints, or a cancel request of the window then: row 3 is finished,
// row 4 never starts, the busy dialog goes and the settings are taken back.
TEST_F(PrintingTest, CancelDuringRowThreeStopsBeforeRowFour) {
  struct Case {
    const char* what;
    std::function<void(shell::frmStatus&)> cancel;
  };
  const Case cases[] = {
      {"busy dialog's Cancel",
       [](shell::frmStatus& status) { QTest::mouseClick(status.cmdCancel, Qt::LeftButton); }},
      {"window's cancel request", [this](shell::frmStatus&) { browser_->mbCancel = true; }},
  };
  AddRows({"red", "lime", "blue", "yellow", "magenta"});
  for (const Case& c : cases) {
    shell::gSetup.PrintOptions.PrintCopies = 0;
    const auto watch = BatchPrint(PressPrint(), [&](PrintWatch& w) {
      w.onProgress = [&](int value, shell::frmStatus& status) {
        if (value == 3) c.cancel(status);
      };
    });
    EXPECT_EQ(watch->printed.size(), 3u) << c.what;
    EXPECT_EQ(watch->progress, (std::vector<int>{2, 3})) << c.what;
    EXPECT_FALSE(shell::gbCancel) << c.what;
    EXPECT_FALSE(browser_->mbCancel) << c.what;
    EXPECT_EQ(shell::gSetup.PrintOptions.PrintCopies, Box().get_PrintCopies()) << c.what;
    for (QWidget* widget : QApplication::topLevelWidgets())
      EXPECT_FALSE(dynamic_cast<shell::frmStatus*>(widget) && widget->isVisible()) << c.what;
  }
}

// While the batch print runs, the output commands are disabled and refuse to start another run.
TEST_F(PrintingTest, OutputCommandsWaitForTheRunningPrint) {
  AddRows({"red", "lime", "blue"});
  std::vector<bool> buttonsEnabled;
  std::vector<bool> menuEnabled;
  const auto watch = BatchPrint(PressPrint(), [&](PrintWatch& w) {
    w.onProgress = [&](int value, shell::frmStatus&) {
      if (value != 2) return;
      buttonsEnabled = {window_->cmdBatchPrint->isEnabled(), window_->cmdSaveAs->isEnabled()};
      outputs_->Basket().lblQueue_Click();
      menuEnabled = velmora_test::Enabled(outputs_->Basket().mnuBatchParent());
      outputs_->Basket().mnuBatchParent()->close();
      outputs_->Basket().subGenerateDocument(6);
      outputs_->Basket().mnuSaveAs_Click(0);
      outputs_->Printer().cmdPreviewPrint_Click();
      outputs_->Basket().mnuBatch_Click(10);  // "New Image Basket"
    };
  });
  EXPECT_EQ(watch->dialogs, 1);
  EXPECT_EQ(watch->printed.size(), 3u);
  EXPECT_EQ(window_->lvPages->topLevelItemCount(), 3);
  EXPECT_TRUE(calls_.empty());
  EXPECT_EQ(buttonsEnabled, (std::vector<bool>{false, false}));
  EXPECT_EQ(menuEnabled, std::vector<bool>(14, false));
  EXPECT_TRUE(window_->cmdBatchPrint->isEnabled());
  EXPECT_TRUE(window_->cmdSaveAs->isEnabled());
}

TEST_F(PrintingTest, ErrorDuringABatchIsReportedOnceAndEndsIt) {
  AddRows({"red", "lime", "blue", "yellow"});
  const int32_t queue = shell::gSetup.PrintOptions.PrinterIndex;
  QString reportedRoutine;
  bool busyDialogAtReport = true;
  const auto watch = BatchPrint(PressPrint(), [&](PrintWatch& w) {
    // The printer goes away after row 2.
    w.onProgress = [&](int value, shell::frmStatus&) {
      if (value == 2) Box().put_PrinterIndex(99);
    };
    w.onIdle = [&] {
      QWidget* modal = QApplication::activeModalWidget();
      auto* report = modal ? modal->findChild<QLabel*>(QStringLiteral("lblRoutine")) : nullptr;
      if (!report) return;
      reportedRoutine = report->text();
      busyDialogAtReport = false;
      for (QWidget* widget : QApplication::topLevelWidgets())
        if (dynamic_cast<shell::frmStatus*>(widget) && widget->isVisible())
          busyDialogAtReport = true;
      static_cast<QDialog*>(modal)->reject();
    };
  });
  EXPECT_EQ(reportedRoutine, QStringLiteral("FrmMain.cmdBatchPrint_Click"));
  EXPECT_FALSE(busyDialogAtReport);
  EXPECT_EQ(watch->printed.size(), 2u);
  EXPECT_EQ(shell::gSetup.PrintOptions.PrinterIndex, queue);  // not taken back
}

TEST_F(PrintingTest, PrintAllImagesReachesBatchPrintingAndCaptureDoesNot) {
  AddRows({"red", "lime"});
  QMenu* batch = outputs_->Basket().mnuBatchParent();
  struct Case {
    int item;
    int dialogs;
  };
  for (const Case& c : {Case{5, 1}, Case{8, 0}, Case{7, 0}}) {
    const auto watch = Watch([&] { batch->actions().at(c.item)->trigger(); }, PressCancel());
    EXPECT_EQ(watch->dialogs, c.dialogs) << batch->actions().at(c.item)->text().toStdString();
    // Capture and acquire may say there is no screen or scanner here; printing says nothing.
    if (c.dialogs == 1) {
      EXPECT_TRUE(ui_.messages.empty());
    }
  }
}

// What pdfimages says of the first image of a printed PDF: its width, height and its resolution
// on the page, across and down.
struct PrintedImage {
  int width = 0, height = 0, xPpi = 0, yPpi = 0;
};
PrintedImage FirstImage(const std::string& pdf) {
  const std::string command = "pdfimages -list '" + pdf + "' 2>/dev/null";
  FILE* pipe = ::popen(command.c_str(), "r");
  PrintedImage image;
  if (pipe == nullptr) return image;
  char line[512];
  int row = 0;
  while (std::fgets(line, sizeof line, pipe) != nullptr) {
    // Two heading lines, then: page num type width height color comp bpc enc interp object ID
    // x-ppi y-ppi size ratio.
    if (++row != 3) continue;
    char type[32], colour[32], enc[32], interp[32];
    int page = 0, num = 0, comp = 0, bpc = 0, object = 0, id = 0;
    std::sscanf(line, "%d %d %31s %d %d %31s %d %d %31s %31s %d %d %d %d", &page, &num, type,
                &image.width, &image.height, colour, &comp, &bpc, enc, interp, &object, &id,
                &image.xPpi, &image.yPpi);
  }
  ::pclose(pipe);
  return image;
}

// A JPEG whose density has no unit, only its aspect (1 x 1), prints as an image without
// resolution: a page-sized picture, not one a thousand inches wide of which a corner shows.
TEST_F(PrintingTest, AJpegWithADensityWithoutUnitPrintsPageSized) {
  const QString jpeg = File(QStringLiteral("aspect.jpg"));
  Make("-size 640x480 gradient:red-blue -units Undefined -density 1x1", jpeg);
  ASSERT_EQ(std::system(("exiftool -q -q -JFIF:ResolutionUnit=none -JFIF:XResolution=1 "
                         "-JFIF:YResolution=1 -overwrite_original '" +
                         jpeg.toStdString() + "'")
                            .c_str()),
            0);
  pane_->Basket().AppendEntry({QStringLiteral("aspect"), jpeg, -1, {}, {}, {}, jpeg}, QPixmap());
  ShowRow(0);
  const auto watch = Watch([this] { window_->cmdPreviewPrint->click(); });
  ASSERT_EQ(watch->printed.size(), 1u);
  const PrintedImage image = FirstImage(watch->printed[0]);
  EXPECT_EQ(image.width, 640);
  EXPECT_GE(image.xPpi, 72);
  EXPECT_GE(image.yPpi, 72);
  EXPECT_LE(image.xPpi, 150);
  EXPECT_EQ(shell::gSetup.PrintOptions.PrintScale, 100.0);
}

// "Fit to Page" and "Centre on Page" stay ticked from one print to the next, and each image gets
// the scale and place they give for it, not those of the image before.
TEST_F(PrintingTest, FitAndCentreStayChosenAndFollowEachImage) {
  AddRow(QStringLiteral("wide"), "red", 400, 100);
  AddRow(QStringLiteral("tall"), "blue", 100, 400);
  std::vector<std::pair<bool, bool>> ticked;
  const auto tickBothAndPrint = [](QWidget& dialog) {
    dialog.findChild<QCheckBox*>(QStringLiteral("chkFit"))->setChecked(true);
    dialog.findChild<QCheckBox*>(QStringLiteral("chkCentre"))->setChecked(true);
    Press(dialog, "btnPrint");
  };
  const auto lookAndPrint = [&ticked](QWidget& dialog) {
    ticked.emplace_back(dialog.findChild<QCheckBox*>(QStringLiteral("chkFit"))->isChecked(),
                        dialog.findChild<QCheckBox*>(QStringLiteral("chkCentre"))->isChecked());
    Press(dialog, "btnPrint");
  };
  ShowRow(0);
  Watch([this] { window_->cmdPreviewPrint->click(); }, tickBothAndPrint);
  EXPECT_TRUE(shell::gSetup.PrintOptions.PrintFit);
  EXPECT_TRUE(shell::gSetup.PrintOptions.PrintCentre);
  const double wideScale = shell::gSetup.PrintOptions.PrintScale;

  ShowRow(1);
  const auto second = Watch([this] { window_->cmdPreviewPrint->click(); }, lookAndPrint);
  ASSERT_EQ(ticked.size(), 1u);
  EXPECT_EQ(ticked[0], std::make_pair(true, true));
  EXPECT_TRUE(shell::gSetup.PrintOptions.PrintFit);
  EXPECT_TRUE(shell::gSetup.PrintOptions.PrintCentre);
  // The tall image is fitted to the page's height, the wide one was fitted to its width.
  EXPECT_NE(shell::gSetup.PrintOptions.PrintScale, wideScale);
  ASSERT_EQ(second->printed.size(), 1u);
  // The whole image is on the page: the ink's centre is the page's.
  const velmora_test::RenderedPage page =
      velmora_test::RenderPdf(scratch_, second->printed[0], kRenderDpi, 0, 0,
                              827 * kRenderDpi / 100, 1169 * kRenderDpi / 100);
  QRect ink;
  for (int y = 0; y < page.height; ++y)
    for (int x = 0; x < page.width; ++x)
      if (page.At(x, y) != 0xFFFFFFu) ink |= QRect(x, y, 1, 1);
  ASSERT_FALSE(ink.isEmpty());
  EXPECT_NEAR(ink.center().x(), page.width / 2, 3);
  EXPECT_NEAR(ink.center().y(), page.height / 2, 3);
  EXPECT_GT(ink.height(), page.height * 8 / 10);
}

}  // namespace
