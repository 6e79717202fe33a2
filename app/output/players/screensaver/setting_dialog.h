#pragma once
// The screensaver's settings window, "Setting - Fireworks": each number as a text box beside small
// up and down arrows that stay in step with it, the burst kinds, music and desktop switches, and
// the background colour. "Ok" stores everything, "Cancel" nothing; either closes it.
#include <QCheckBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <array>

#include "app/output/players/screensaver/saver_settings.h"

namespace players::screensaver {

// A text box and its arrows: digits only, the whole text selected on entry, an emptied box
// refilled from the arrows, a number clamped into range as the box is left (with `at_once`, at
// every change too).
class NumberBox : public QObject {
  Q_OBJECT
 public:
  NumberBox(QLineEdit* text, QScrollBar* arrows, SettingRange range, bool at_once);
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void TextChanged(const QString& text);
  void Settle();

  QLineEdit* text_;
  QScrollBar* arrows_;
  SettingRange range_;
  bool at_once_;
};

class SettingDialog : public QDialog {
  Q_OBJECT
 public:
  explicit SettingDialog(QSettings& store, QWidget* parent = nullptr);

  QLineEdit* tTailLength;
  QLineEdit* tLaunchRate;
  QLineEdit* tRocketSpeed;
  QLineEdit* tTransition;
  QScrollBar* VTailLength;
  QScrollBar* VLaunchRate;
  QScrollBar* VRocketSpeed;
  QScrollBar* vTransition;
  QPushButton* cmdbg;
  std::array<QCheckBox*, 5> chkShape;
  QCheckBox* chkPlayMusic;
  QCheckBox* chkUseDesktop;
  QPushButton* SaveSettings;
  QPushButton* cmdCancel;

  uint32_t BackColour() const { return back_colour_; }
  // Opens the colour dialog over this window from the colour last chosen; true on OK.
  bool ChooseColour();

 private:
  void SetBackColour(uint32_t colour);
  SaverSettings Values() const;
  void Save();

  QSettings& store_;
  uint32_t back_colour_ = kDefaultBgColor;
};

}  // namespace players::screensaver
