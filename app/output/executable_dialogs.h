#pragma once
// The option forms of the generated executables: a greeting of the shown image, a screensaver of
// the shown image or of the basket, and a slide show of the basket. Generate stores the choices
// in the settings before asking for the output name, so a cancelled name keeps them; Exit and
// Cancel store nothing.
#include <QDialog>
#include <QList>
#include <QString>
#include <cstdint>

#include "app/browse/basket_item.h"
#include "app/output/executable_builders.h"
#include "app/output/number_trio.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QScrollBar;
class QSlider;

namespace output {

// The greeting and screensaver forms, which are alike.
class SingleImageOptionsForm : public QDialog {
 public:
  void subSetupCommon();
  void saveSetupCommon();

  QListWidget* lstTemplate;
  QSlider* sldQuality;
  QLineEdit* tTransition;
  QScrollBar* tTransitionD;
  QCheckBox* chkProcessTaskBasket;
  QPushButton* cmdGenerate;
  QPushButton* cmdCancel;
  QLabel* lblTarnwick;

 protected:
  SingleImageOptionsForm(QWidget* owner, const QString& title, int16_t& quality,
                         uint8_t& processTaskBasket, const QString& usage);
  virtual void cmdGenerate_Click() = 0;
  // Asks for the output name; empty when cancelled.
  static QString AskName(const QString& title, const QString& filter);
  // The player, or empty after the error box.
  static QString Player(const QString& name);

 private:
  int16_t& quality_;
  uint8_t& process_;
  NumberTrio trio_;
};

class frmGreetingDemo : public SingleImageOptionsForm {
 public:
  frmGreetingDemo(QWidget* owner, modScreensaver::BuildTools& tools, const QString& shownFile);

 private:
  void cmdGenerate_Click() override;
  modScreensaver::BuildTools& tools_;
  QString shownFile_;
};

class frmScreensaverDemo : public SingleImageOptionsForm {
 public:
  frmScreensaverDemo(QWidget* owner, modScreensaver::BuildTools& tools, const QString& shownFile,
                     const QList<browse::BasketItem>& basket);
  // 0: a screensaver of the shown image; 1: of every basket image.
  int32_t bSaveType = 0;

 private:
  void cmdGenerate_Click() override;
  void Build(const QString& name);
  modScreensaver::BuildTools& tools_;
  QString shownFile_;
  QList<browse::BasketItem> basket_;
};

class frmSlideShow : public QDialog {
 public:
  frmSlideShow(QWidget* owner, modScreensaver::BuildTools& tools,
               const QList<browse::BasketItem>& basket);
  void subSetup();

  QPushButton* cmdPageBackgroundColor;
  QLineEdit* txtInterval;
  QScrollBar* vsInterval;
  QSlider* sldQuality;
  QLabel* lblQuality;
  QCheckBox* chkProcessEditingList;
  QPushButton* cmdCreate;
  QPushButton* cmdCancel;

 private:
  void ShowColour(int32_t colour);
  void cmdPageBackgroundColor_Click();
  void cmdCreate_Click();

  modScreensaver::BuildTools& tools_;
  QList<browse::BasketItem> basket_;
  int32_t colour_ = 0;
  NumberTrio interval_;
};

// The ".scr" rule: appended unless the name already ends in it (in any case).
QString WithScreensaverExtension(const QString& name);

}  // namespace output
