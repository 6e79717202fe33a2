#pragma once
// The About box of the control: a small fixed dialog, closed with OK, Enter or Esc.
#include <QDialog>

class QLabel;
class QPushButton;
class QToolButton;

namespace pictavo {

class TImageBoxAbout : public QDialog {
 public:
  explicit TImageBoxAbout(QWidget* parent = nullptr);

  QToolButton* CtlImage() const { return ctl_image_; }
  QLabel* DescLbl() const { return desc_lbl_; }
  QLabel* LblLink() const { return lbl_link_; }
  QPushButton* OkBtn() const { return ok_btn_; }

 private:
  QToolButton* ctl_image_;
  QLabel* desc_lbl_;
  QLabel* lbl_link_;
  QPushButton* ok_btn_;
};

}  // namespace pictavo
