#include "control/engine/print/print_preview.h"

#include <QEvent>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>
#include <array>

#include "control/engine/print/icprinters.h"
#include "control/engine/print/preview_geometry.h"
#include "platform/base/numbers.h"

namespace pictavo {

namespace {

// Indexed by paper code; empty where a code has no name of its own.
constexpr std::array<const char*, 12> kPaperNames = {"(Printer Default)",
                                                     "Letter 8.5\" x 11\"",
                                                     "",
                                                     "Tabloid 11\" x 17\"",
                                                     "",
                                                     "Legal 8.5\" x 14\"",
                                                     "Statement 5.5\" x 8.5\"",
                                                     "Executive 7.25\" x 10.5\"",
                                                     "A3 297mm x 420mm",
                                                     "A4 210mm x 297mm",
                                                     "",
                                                     "A5 148mm x 210mm"};

std::string CustomPaperName(int code) {
  return "Custom Size (" + plat::IntToStr(code) + ")";
}

QString Text(const std::string& text) {
  return QString::fromStdString(text);
}

template <typename Widget, typename... Args>
Widget* Make(QWidget* parent, const char* name, QRect place, Args&&... args) {
  auto* widget = new Widget(std::forward<Args>(args)..., parent);
  widget->setObjectName(name);
  widget->setGeometry(place);
  return widget;
}

}  // namespace

std::string PaperName(int code) {
  if (code < 0 || code >= static_cast<int>(kPaperNames.size())) return {};
  return kPaperNames[code];
}

TfPrintPreview::TfPrintPreview(QWidget* parent) : QDialog(parent) {
  setObjectName("fPrintPreview");
  setWindowTitle("Print Preview");
  setFont(QFont("MS Sans Serif", 8));
  setFixedSize(632, 453);
  BuildControls();
  ConnectHandlers();
}

void TfPrintPreview::BuildControls() {
  imgPrev = Make<QLabel>(this, "imgPrev", {183, 6, kPreviewSize, kPreviewSize});
  imgPrev->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  lblPrinter = Make<QLabel>(this, "lblPrinter", {8, 8, 169, 14}, "Printer:");
  cboPrinter = Make<QComboBox>(this, "cboPrinter", {8, 24, 169, 22});
  lblPaperSize = Make<QLabel>(this, "lblPaperSize", {8, 52, 169, 14}, "Paper Size:");
  cboPaperSize = Make<QComboBox>(this, "cboPaperSize", {8, 68, 169, 22});
  cboPaperSize->setEditable(true);
  cboPaperSize->setInsertPolicy(QComboBox::NoInsert);

  rdgOrientation = Make<QGroupBox>(this, "rdgOrientation", {8, 96, 169, 45}, "Orientation");
  rdoPortrait = Make<QRadioButton>(rdgOrientation, "rdoPortrait", {8, 20, 72, 18}, "P&ortrait");
  rdoLandscape = Make<QRadioButton>(rdgOrientation, "rdoLandscape", {82, 20, 84, 18}, "&Landscape");

  grpPosition = Make<QGroupBox>(this, "grpPosition", {8, 148, 169, 97}, "Position");
  lblLeft = Make<QLabel>(grpPosition, "lblLeft", {8, 22, 44, 14}, "Left:");
  edtLeft = Make<QLineEdit>(grpPosition, "edtLeft", {56, 18, 65, 22}, "00.00");
  lblTop = Make<QLabel>(grpPosition, "lblTop", {8, 46, 44, 14}, "Top:");
  edtTop = Make<QLineEdit>(grpPosition, "edtTop", {56, 42, 65, 22}, "00.00");
  lblUnits = Make<QLabel>(grpPosition, "lblUnits", {8, 70, 44, 14}, "Units:");
  cboUnits = Make<QComboBox>(grpPosition, "cboUnits", {56, 66, 65, 22});
  cboUnits->addItems({"cm", "inch"});

  // The edit and its up-down are one Qt widget; its edit carries the edit's name.
  lblCopies = Make<QLabel>(this, "lblCopies", {8, 256, 52, 14}, "Copies:");
  updCopies = Make<QSpinBox>(this, "updCopies", {64, 252, 65, 22});
  updCopies->setRange(1, 1000);
  edtCopies = updCopies->findChild<QLineEdit*>();
  edtCopies->setObjectName("edtCopies");
  edtCopies->setText("1");

  lblScale = Make<QLabel>(this, "lblScale", {8, 284, 52, 14}, "Scale:");
  edtScale = Make<QLineEdit>(this, "edtScale", {64, 280, 49, 22}, "100");
  lblScalepc = Make<QLabel>(this, "lblScalepc", {118, 284, 16, 14}, "%");
  chkFit = Make<QCheckBox>(this, "chkFit", {8, 310, 169, 18}, "Fit to Page");
  chkCentre = Make<QCheckBox>(this, "chkCentre", {8, 334, 169, 18}, "Centre on Page");

  btnPrint = Make<QPushButton>(this, "btnPrint", {8, 420, 75, 25}, "&Print");
  btnCancel = Make<QPushButton>(this, "btnCancel", {96, 420, 75, 25}, "&Cancel");
  tmr1 = new QTimer(this);
  tmr1->setObjectName("tmr1");
  tmr1->setInterval(1000);
}

void TfPrintPreview::ConnectHandlers() {
  connect(btnPrint, &QPushButton::clicked, this, &QDialog::accept);
  connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
  On(rdoPortrait, &QRadioButton::clicked, [this] { rdgOrientationClick(); });
  On(rdoLandscape, &QRadioButton::clicked, [this] { rdgOrientationClick(); });
  On(cboPrinter, &QComboBox::currentIndexChanged, [this] { cboPrinterChange(); });
  On(cboPaperSize, &QComboBox::currentTextChanged, [this] { cboPaperSizeChange(); });
  On(cboUnits, &QComboBox::currentIndexChanged, [this] { cboUnitsChange(); });
  On(edtLeft, &QLineEdit::textChanged, [this] { edtLeftChange(); });
  On(edtTop, &QLineEdit::textChanged, [this] { edtTopChange(); });
  On(edtScale, &QLineEdit::textChanged, [this] { edtScaleChange(); });
  On(edtCopies, &QLineEdit::textChanged, [this] { edtCopiesChange(); });
  // Leaving a position edit, or Enter in it, tidies its text and shows the new place.
  for (QLineEdit* edit : {edtLeft, edtTop})
    On(edit, &QLineEdit::editingFinished, [this] {
      ShowPosition();
      UpdatePreview();
    });
  On(edtScale, &QLineEdit::editingFinished, [this] { UpdatePreview(); });
  for (QLineEdit* edit : {edtScale, edtLeft, edtTop}) edit->installEventFilter(this);
  for (QCheckBox* box : {chkFit, chkCentre})
    On(box, &QCheckBox::toggled, [this, box] {
      if (box->isChecked()) UpdatePreview();
    });
  On(tmr1, &QTimer::timeout, [this] { Ontmr1Timer(); });
}

void TfPrintPreview::Guarded(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const plat::Exception& error) {
    // One message, not one a second while it is open.
    tmr1->stop();
    QMessageBox::critical(this, windowTitle(), QString::fromStdString(error.Message()));
    if (isVisible()) tmr1->start();
  }
}

void TfPrintPreview::showEvent(QShowEvent* event) {
  tmr1->start();
  QDialog::showEvent(event);
}

void TfPrintPreview::hideEvent(QHideEvent* event) {
  tmr1->stop();
  QDialog::hideEvent(event);
}

bool TfPrintPreview::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonRelease) Guarded([this] { UpdatePreview(); });
  return QDialog::eventFilter(watched, event);
}

void TfPrintPreview::Load(const TPrintSettings& settings, const plat::TBitmap& bitmap,
                          double image_w_mm, double image_h_mm, int units) {
  const QSignalBlocker block_units(cboUnits), block_fit(chkFit), block_centre(chkCentre);
  suppress_edits_ = true;
  values_ = settings;
  bitmap_ = &bitmap;
  image_w_ = image_w_mm;
  image_h_ = image_h_mm;
  FillPrinters();
  FillPaperSizes();
  units_ = units;
  cboUnits->setCurrentIndex(units == 1 ? 1 : 0);
  ShowPosition();
  updCopies->setValue(settings.copies);
  ShowScale();
  suppress_edits_ = false;
  fitting_ = false;
  chkFit->setChecked(settings.fit);
  chkCentre->setChecked(settings.centre);
  (settings.orientation == 1 ? rdoLandscape : rdoPortrait)->setChecked(true);
  UpdatePreview();
}

TPrintSettings TfPrintPreview::Values() const {
  TPrintSettings values = values_;
  values.fit = chkFit->isChecked();
  values.centre = chkCentre->isChecked();
  return values;
}

void TfPrintPreview::FillPrinters() {
  const QSignalBlocker block(cboPrinter);
  plat::TPrinter& printer = plat::Printer();
  cboPrinter->clear();
  for (const std::string& name : printer.Printers()) cboPrinter->addItem(Text(name));
  printer.SetPrinterIndex(values_.printer_index);
  cboPrinter->setCurrentIndex(printer.PrinterIndex());
}

void TfPrintPreview::FillPaperSizes() {
  const QSignalBlocker block(cboPaperSize);
  cboPaperSize->clear();
  for (int code = 0; code < static_cast<int>(kPaperNames.size()); ++code)
    if (!PaperName(code).empty()) cboPaperSize->addItem(Text(PaperName(code)), code);
  const int code = values_.paper_code;
  if (code > 0 && PaperName(code).empty()) {
    custom_code_ = code;
    cboPaperSize->addItem(Text(CustomPaperName(code)), code);
    cboPaperSize->setCurrentIndex(cboPaperSize->count() - 1);
  } else {
    cboPaperSize->setCurrentIndex(std::max(0, cboPaperSize->findData(code)));
  }
}

bool TfPrintPreview::ReadPageSize(int resolution, double& page_w, double& page_h) const {
  if (resolution <= 0) return false;
  const plat::TPrinter& printer = plat::Printer();
  const double across = printer.PageWidth() / static_cast<double>(resolution) * 25.4;
  const double down = printer.PageHeight() / static_cast<double>(resolution) * 25.4;
  const bool same = (printer.Orientation() == plat::TPrinterOrientation::poLandscape) ==
                    (values_.orientation == 1);
  page_w = same ? across : down;
  page_h = same ? down : across;
  return page_w > 0 && page_h > 0;
}

void TfPrintPreview::UpdatePreview() {
  plat::TPrinter& printer = plat::Printer();
  printer.SetPrinterIndex(values_.printer_index);
  ResetPrinterMode(printer);
  const int resolution = GetResolution(printer);
  SetPaperSize(printer, values_.paper_code);
  double page_w = 0, page_h = 0;
  // Without a resolution there is no page to compute: show an empty one and keep every value.
  if (!ReadPageSize(resolution, page_w, page_h)) {
    DrawPage({kPreviewSize, kPreviewSize}, false);
    return;
  }
  resolution_ = resolution;
  page_w_ = page_w;
  page_h_ = page_h;
  if (chkFit->isChecked()) FitToPage();
  if (chkCentre->isChecked()) CentreOnPage();
  DrawPage(PreviewSize(values_.orientation == 1, page_w_, page_h_), true);
}

void TfPrintPreview::DrawPage(QSize size, bool with_image) {
  QImage page(size, QImage::Format_RGB32);
  page.fill(Qt::white);
  QPainter painter(&page);
  painter.setPen(Qt::black);
  painter.setBrush(Qt::white);
  painter.drawRect(0, 0, size.width() - 1, size.height() - 1);
  if (with_image && bitmap_ != nullptr) {
    const QRect place = PreviewImageRect(size, values_.left_cm, values_.top_cm, image_w_, image_h_,
                                         values_.scale, page_w_, page_h_);
    if (place.isValid())
      PrintBitmap(painter, place.x(), place.y(), place.width(), place.height(), *bitmap_);
  }
  painter.end();
  imgPrev->setPixmap(QPixmap::fromImage(page));
}

void TfPrintPreview::FitToPage() {
  fitting_ = true;
  values_.scale = FitScale(image_w_, image_h_, page_w_, page_h_);
  ShowScale();
  values_.left_cm = 0;
  values_.top_cm = 0;
  ShowPosition();
  fitting_ = false;
}

void TfPrintPreview::CentreOnPage() {
  fitting_ = true;
  values_.left_cm = CentredPosition(page_w_, image_w_, values_.scale);
  values_.top_cm = CentredPosition(page_h_, image_h_, values_.scale);
  ShowPosition();
  fitting_ = false;
}

void TfPrintPreview::ShowPosition() {
  // Read both before writing: each text written goes through its edit's handler.
  const std::string left = PositionText(values_.left_cm, units_);
  const std::string top = PositionText(values_.top_cm, units_);
  cboUnits->setCurrentIndex(units_);
  edtLeft->setText(Text(left));
  edtTop->setText(Text(top));
}

void TfPrintPreview::ShowScale() {
  edtScale->setText(Text(plat::FloatToStrFixed(values_.scale, 0)));
}

void TfPrintPreview::ClearFitAndCentre() {
  if (fitting_) return;
  chkFit->setChecked(false);
  chkCentre->setChecked(false);
}

void TfPrintPreview::rdgOrientationClick() {
  const QRadioButton* chosen = rdoPortrait->isChecked() ? rdoPortrait : rdoLandscape;
  values_.orientation = chosen->text() == "P&ortrait" ? 0 : 1;
  UpdatePreview();
}

void TfPrintPreview::cboPrinterChange() {
  values_.printer_index = cboPrinter->currentIndex();
}

void TfPrintPreview::cboPaperSizeChange() {
  const std::string text = cboPaperSize->currentText().toStdString();
  int code = custom_code_;
  for (int candidate = 0; candidate < static_cast<int>(kPaperNames.size()); ++candidate)
    if (!PaperName(candidate).empty() && PaperName(candidate) == text) code = candidate;
  values_.paper_code = code;
  SetPaperSize(plat::Printer(), code);
}

void TfPrintPreview::cboUnitsChange() {
  if (cboUnits->currentIndex() == units_) return;
  units_ = cboUnits->currentIndex();
  suppress_edits_ = true;
  ShowPosition();
  suppress_edits_ = false;
}

void TfPrintPreview::PositionEdited(QLineEdit* edit, double& value_cm) {
  if (suppress_edits_) return;
  double value = 0;
  if (!plat::TryStrToFloat(edit->text().toStdString(), value)) {
    ShowPosition();
    return;
  }
  value_cm = units_ == 1 ? value * 2.54 : value;
  ClearFitAndCentre();
}

void TfPrintPreview::edtLeftChange() {
  PositionEdited(edtLeft, values_.left_cm);
}

void TfPrintPreview::edtTopChange() {
  PositionEdited(edtTop, values_.top_cm);
}

void TfPrintPreview::edtScaleChange() {
  double value = 0;
  if (!plat::TryStrToFloat(edtScale->text().toStdString(), value) || value > 2000) {
    ShowScale();
    return;
  }
  values_.scale = value;
  ClearFitAndCentre();
}

void TfPrintPreview::edtCopiesChange() {
  int32_t value = 0;
  if (!plat::TryStrToInt(edtCopies->text().toStdString(), value)) {
    edtCopies->setText(Text(plat::IntToStr(values_.copies)));
    return;
  }
  values_.copies = value;
}

void TfPrintPreview::Ontmr1Timer() {
  plat::TPrinter& printer = plat::Printer();
  printer.SetPrinterIndex(values_.printer_index);
  // A printer without a settings record has nothing to re-read; asking it for its quality
  // would raise an error every second.
  if (printer.DeviceMode() == nullptr) return;
  ResetPrinterMode(printer);
  const int resolution = GetPrintQuality(printer);
  SetPaperSize(printer, values_.paper_code);
  double page_w = 0, page_h = 0;
  ReadPageSize(resolution, page_w, page_h);
  if (resolution != resolution_ || page_w != page_w_ || page_h != page_h_) UpdatePreview();
}

bool ShowPrintPreview(TPrintSettings& settings, const plat::TBitmap& bitmap, double image_w_mm,
                      double image_h_mm, int units) {
  TfPrintPreview form;
  form.Load(settings, bitmap, image_w_mm, image_h_mm, units);
  const bool print = form.exec() == QDialog::Accepted;
  settings = form.Values();
  return print;
}

}  // namespace pictavo
