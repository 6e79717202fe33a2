#pragma once
// The modal print preview: printer, paper, orientation, position, scale, fit, centring and
// copies, with a scaled picture of the page. The dialog works on the process's printer object:
// it selects the printer and changes its settings record, and the printing that follows starts
// from that state.
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <functional>

#include "platform/graphics/bitmap.h"

namespace pictavo {

// The values the dialog shows and hands back. Positions in centimetres, scale in percent.
struct TPrintSettings {
  int orientation = 0;     // 0 portrait, 1 landscape
  int printer_index = -1;  // -1 the default printer
  double left_cm = 0;
  double top_cm = 0;
  int copies = 1;
  double scale = 100;
  bool fit = false;
  bool centre = false;
  int paper_code = 0;
};

class TfPrintPreview : public QDialog {
  Q_OBJECT

 public:
  explicit TfPrintPreview(QWidget* parent = nullptr);

  // Fills the dialog; units 0 shows centimetres, 1 inches. The bitmap must outlive the dialog.
  void Load(const TPrintSettings& settings, const plat::TBitmap& bitmap, double image_w_mm,
            double image_h_mm, int units);
  // The values as the dialog shows them, "Fit to Page" and "Centre on Page" included.
  TPrintSettings Values() const;
  double PageWidthMm() const { return page_w_; }
  double PageHeightMm() const { return page_h_; }

  void UpdatePreview();
  void FitToPage();
  void CentreOnPage();
  void ShowPosition();

  // Handlers of the controls, public so that a test can fire the timer.
  void rdgOrientationClick();
  void cboPrinterChange();
  void cboPaperSizeChange();
  void cboUnitsChange();
  void edtLeftChange();
  void edtTopChange();
  void edtScaleChange();
  void edtCopiesChange();
  void Ontmr1Timer();

 protected:
  // The timer re-reads the printer while the dialog is shown.
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Handlers run through Guarded: a printer error is shown to the user, as an exception cannot
  // cross Qt's event loop.
  template <typename Sender, typename Signal>
  void On(Sender* sender, Signal signal, std::function<void()> handler) {
    connect(sender, signal, this, [this, handler] { Guarded(handler); });
  }
  void Guarded(const std::function<void()>& handler);
  void BuildControls();
  void ConnectHandlers();
  void FillPrinters();
  void FillPaperSizes();
  // Page size in millimetres in the chosen orientation at this resolution; false when the
  // printer gives no resolution.
  bool ReadPageSize(int resolution, double& page_w, double& page_h) const;
  void PositionEdited(QLineEdit* edit, double& value_cm);
  void ClearFitAndCentre();
  void ShowScale();
  void DrawPage(QSize size, bool with_image);

  TPrintSettings values_;
  const plat::TBitmap* bitmap_ = nullptr;
  double image_w_ = 0;
  double image_h_ = 0;
  int units_ = 0;
  double page_w_ = 0;
  double page_h_ = 0;
  int resolution_ = 0;
  bool suppress_edits_ = false;
  bool fitting_ = false;
  int custom_code_ = 0;

  QLabel* imgPrev;
  QLabel* lblPrinter;
  QComboBox* cboPrinter;
  QLabel* lblPaperSize;
  QComboBox* cboPaperSize;
  QGroupBox* rdgOrientation;
  QRadioButton* rdoPortrait;
  QRadioButton* rdoLandscape;
  QGroupBox* grpPosition;
  QLabel* lblLeft;
  QLineEdit* edtLeft;
  QLabel* lblTop;
  QLineEdit* edtTop;
  QLabel* lblUnits;
  QComboBox* cboUnits;
  QLabel* lblCopies;
  QSpinBox* updCopies;
  QLineEdit* edtCopies;
  QLabel* lblScale;
  QLineEdit* edtScale;
  QLabel* lblScalepc;
  QCheckBox* chkFit;
  QCheckBox* chkCentre;
  QPushButton* btnPrint;
  QPushButton* btnCancel;
  QTimer* tmr1;
};

// The dialog's paper list: the name of a paper code, empty for codes without one.
std::string PaperName(int code);

// Shows the dialog modally. The settings are written back however the dialog was closed (the
// caller keeps them only after Print); true when it was closed with Print.
bool ShowPrintPreview(TPrintSettings& settings, const plat::TBitmap& bitmap, double image_w_mm,
                      double image_h_mm, int units);

}  // namespace pictavo
