#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <functional>
#include <thread>

#include "control/engine/print/print_preview.h"
#include "platform/print/printer.h"
#include "print/print_support.h"

namespace pictavo {
namespace {

template <typename Widget>
Widget* Child(QWidget& form, const char* name) {
  Widget* widget = form.findChild<Widget*>(name);
  EXPECT_NE(widget, nullptr) << name;
  return widget;
}

class PreviewDialog : public testing::Test {
 protected:
  void SetUp() override {
    VELMORA_REQUIRE_QUEUES();
    bitmap_ = plat::TBitmap(10, 5, plat::TPixelFormat::pf24bit);
    settings_.printer_index = velmora_test::PrinterIndexOf(velmora_test::kA4Queue);
  }
  void Load(TfPrintPreview& form, int units = 0) { form.Load(settings_, bitmap_, 100, 50, units); }
  QSize PreviewSize(TfPrintPreview& form) {
    return Child<QLabel>(form, "imgPrev")->pixmap().size();
  }

  plat::TBitmap bitmap_;
  TPrintSettings settings_;
};

TEST_F(PreviewDialog, FormCarriesItsControlsAndCaptions) {
  TfPrintPreview form;
  Load(form);
  EXPECT_EQ(form.windowTitle(), "Print Preview");
  EXPECT_EQ(form.size(), QSize(632, 453));
  EXPECT_EQ(Child<QLabel>(form, "lblPrinter")->text(), "Printer:");
  EXPECT_EQ(Child<QGroupBox>(form, "rdgOrientation")->title(), "Orientation");
  EXPECT_EQ(Child<QCheckBox>(form, "chkFit")->text(), "Fit to Page");
  EXPECT_EQ(Child<QCheckBox>(form, "chkCentre")->text(), "Centre on Page");
  EXPECT_EQ(Child<QPushButton>(form, "btnPrint")->text(), "&Print");
  EXPECT_EQ(Child<QTimer>(form, "tmr1")->interval(), 1000);
  QComboBox* printers = Child<QComboBox>(form, "cboPrinter");
  EXPECT_EQ(printers->currentText().toStdString(), velmora_test::kA4Queue);
  EXPECT_EQ(Child<QLineEdit>(form, "edtCopies")->text(), "1");
  EXPECT_EQ(Child<QLineEdit>(form, "edtScale")->text(), "100");
  // The A4 page is portrait: the preview is 441 high and narrower.
  EXPECT_EQ(PreviewSize(form).height(), 441);
  EXPECT_LT(PreviewSize(form).width(), 441);
}

TEST_F(PreviewDialog, PaperTableAndCustomEntry) {
  struct Case {
    int code;
    const char* shown;
    bool custom;
  };
  const Case cases[] = {{9, "A4 210mm x 297mm", false},
                        {0, "(Printer Default)", false},
                        {-4, "(Printer Default)", false},
                        {10, "Custom Size (10)", true},
                        {70, "Custom Size (70)", true}};
  for (const Case& c : cases) {
    settings_.paper_code = c.code;
    TfPrintPreview form;
    Load(form);
    QComboBox* paper = Child<QComboBox>(form, "cboPaperSize");
    EXPECT_EQ(paper->currentText().toStdString(), c.shown) << c.code;
    EXPECT_EQ(paper->count(), c.custom ? 10 : 9) << c.code;
    EXPECT_EQ(paper->currentIndex() == paper->count() - 1, c.custom) << c.code;
  }
  settings_.paper_code = 70;
  TfPrintPreview form;
  Load(form);
  QComboBox* paper = Child<QComboBox>(form, "cboPaperSize");
  paper->setEditText("A3 297mm x 420mm");
  EXPECT_EQ(form.Values().paper_code, 8);
  EXPECT_EQ(plat::Printer().DeviceMode()->dmPaperSize, 8);
  paper->setEditText("My own paper");
  EXPECT_EQ(form.Values().paper_code, 70);
}

TEST_F(PreviewDialog, UnitsConvertTheShownPositionOnly) {
  settings_.left_cm = 2.54;
  TfPrintPreview form;
  Load(form);
  QLineEdit* left = Child<QLineEdit>(form, "edtLeft");
  EXPECT_EQ(left->text(), "2.540");
  Child<QComboBox>(form, "cboUnits")->setCurrentIndex(1);
  EXPECT_EQ(left->text(), "1.000");
  EXPECT_DOUBLE_EQ(form.Values().left_cm, 2.54);
  left->setText("2");
  EXPECT_DOUBLE_EQ(form.Values().left_cm, 5.08);
  left->setText("two");  // refused: the stored place is shown again
  EXPECT_EQ(left->text(), "2.000");
  EXPECT_DOUBLE_EQ(form.Values().left_cm, 5.08);
}

TEST_F(PreviewDialog, HandEditsClearFitAndCentreFittingDoesNot) {
  settings_.fit = true;
  settings_.centre = true;
  TfPrintPreview form;
  Load(form);
  QCheckBox* fit = Child<QCheckBox>(form, "chkFit");
  QCheckBox* centre = Child<QCheckBox>(form, "chkCentre");
  EXPECT_TRUE(fit->isChecked());
  EXPECT_TRUE(centre->isChecked());
  // Fitting the 100 x 50 mm image onto the portrait page fills its width; centring then puts it
  // halfway down.
  const TPrintSettings fitted = form.Values();
  EXPECT_EQ(fitted.scale, std::nearbyint(form.PageWidthMm() * 100 / 100));
  EXPECT_NEAR(fitted.top_cm, (form.PageHeightMm() - 50 * fitted.scale / 100) / 20, 0.0005);
  Child<QLineEdit>(form, "edtTop")->setText("1.5");
  EXPECT_FALSE(fit->isChecked());
  EXPECT_FALSE(centre->isChecked());
  EXPECT_DOUBLE_EQ(form.Values().top_cm, 1.5);
}

TEST_F(PreviewDialog, ScaleAboveTwoThousandIsRefused) {
  TfPrintPreview form;
  Load(form);
  QLineEdit* scale = Child<QLineEdit>(form, "edtScale");
  scale->setText("150");
  EXPECT_EQ(form.Values().scale, 150);
  scale->setText("2500");
  EXPECT_EQ(scale->text(), "150");
  EXPECT_EQ(form.Values().scale, 150);
}

TEST_F(PreviewDialog, OrientationSwapsThePage) {
  TfPrintPreview form;
  Load(form);
  const double w = form.PageWidthMm(), h = form.PageHeightMm();
  ASSERT_LT(w, h);
  Child<QRadioButton>(form, "rdoLandscape")->click();
  EXPECT_EQ(form.Values().orientation, 1);
  EXPECT_DOUBLE_EQ(form.PageWidthMm(), h);
  EXPECT_DOUBLE_EQ(form.PageHeightMm(), w);
  EXPECT_EQ(PreviewSize(form).width(), 441);
  EXPECT_LT(PreviewSize(form).height(), 441);
}

TEST_F(PreviewDialog, TimerShowsAPrinterChange) {
  TfPrintPreview form;
  Load(form);
  const QSize a4 = PreviewSize(form);
  const double a4_height = form.PageHeightMm();
  Child<QComboBox>(form, "cboPrinter")
      ->setCurrentIndex(velmora_test::PrinterIndexOf(velmora_test::kLetterQueue));
  EXPECT_EQ(PreviewSize(form), a4);  // the change waits for the timer
  form.Ontmr1Timer();
  EXPECT_NE(PreviewSize(form), a4);
  EXPECT_LT(form.PageHeightMm(), a4_height);  // Letter is shorter than A4
  const QSize letter = PreviewSize(form);
  form.Ontmr1Timer();  // nothing changed: the preview stays
  EXPECT_EQ(PreviewSize(form), letter);
}

TEST_F(PreviewDialog, PrinterRemovedWhileShownIsReportedToTheUser) {
  // Last in the list, so that its place is empty once it is gone.
  const std::string gone = "ZVelmoraGone";
  ASSERT_TRUE(velmora_test::Run("lpadmin -p " + gone +
                                " -E -v cups-pdf:/ -P /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd"
                                " 2>/dev/null"));
  for (int i = 0; i < 100 && velmora_test::PrinterIndexOf(gone) < 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  ASSERT_GE(velmora_test::PrinterIndexOf(gone), 0);
  TfPrintPreview form;
  Load(form);
  Child<QComboBox>(form, "cboPrinter")->setCurrentIndex(velmora_test::PrinterIndexOf(gone));
  ASSERT_TRUE(velmora_test::Run("lpadmin -x " + gone));
  // The scheduler may list the queue for a moment after removing it.
  for (int i = 0; i < 100 && velmora_test::PrinterIndexOf(gone) >= 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  ASSERT_LT(velmora_test::PrinterIndexOf(gone), 0);
  QString message;
  QTimer::singleShot(0, [&] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      message = box->text();
      box->close();
    }
  });
  QMetaObject::invokeMethod(Child<QTimer>(form, "tmr1"), "timeout");
  EXPECT_EQ(message, "Printer selected is not valid");
}

// Runs ShowPrintPreview and acts on the shown dialog from inside its event loop.
bool ShowAndAct(TPrintSettings& settings, const plat::TBitmap& bitmap,
                const std::function<void(TfPrintPreview&)>& act) {
  QTimer::singleShot(0, [&] {
    auto* form = qobject_cast<TfPrintPreview*>(QApplication::activeModalWidget());
    if (form == nullptr) return;
    Child<QLineEdit>(*form, "edtCopies")->setText("3");
    act(*form);
  });
  return ShowPrintPreview(settings, bitmap, 100, 50, 0);
}

TEST_F(PreviewDialog, OnlyPrintReturnsTrueValuesComeBackEitherWay) {
  struct Case {
    const char* what;
    std::function<void(TfPrintPreview&)> act;
    bool printed;
  };
  const Case cases[] = {
      {"cancel", [](TfPrintPreview& f) { Child<QPushButton>(f, "btnCancel")->click(); }, false},
      {"close", [](TfPrintPreview& f) { f.close(); }, false},
      {"print", [](TfPrintPreview& f) { Child<QPushButton>(f, "btnPrint")->click(); }, true},
  };
  for (const Case& c : cases) {
    TPrintSettings settings = settings_;
    EXPECT_EQ(ShowAndAct(settings, bitmap_, c.act), c.printed) << c.what;
    EXPECT_EQ(settings.copies, 3) << c.what;
  }
}

}  // namespace
}  // namespace pictavo
