#include "app/output/players/screensaver/setting_dialog.h"

#include <QColorDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

#include "platform/graphics/system_colors.h"

namespace players::screensaver {

namespace {

// 255 x 330 twips at 15 twips a pixel.
constexpr QSize kArrowsSize(17, 22);

// The colour chosen last in this run, where the colour dialog starts.
QColor g_last_colour = Qt::black;

QColor ToQColor(uint32_t colour) {
  const plat::TColor rgb = plat::ColorToRGB(colour);
  return QColor(plat::GetRValue(rgb), plat::GetGValue(rgb), plat::GetBValue(rgb));
}

uint32_t ToBgr(const QColor& colour) {
  return static_cast<uint32_t>(colour.red()) | static_cast<uint32_t>(colour.green()) << 8 |
         static_cast<uint32_t>(colour.blue()) << 16;
}

QScrollBar* Arrows(SettingRange range, int value, QWidget* parent) {
  auto* arrows = new QScrollBar(Qt::Vertical, parent);
  arrows->setRange(range.Low, range.High);
  // The up arrow raises the number.
  arrows->setInvertedAppearance(true);
  arrows->setInvertedControls(true);
  arrows->setFixedSize(kArrowsSize);
  arrows->setValue(value);
  return arrows;
}

}  // namespace

NumberBox::NumberBox(QLineEdit* text, QScrollBar* arrows, SettingRange range, bool at_once)
    : QObject(text), text_(text), arrows_(arrows), range_(range), at_once_(at_once) {
  text_->setText(QString::number(arrows_->value()));
  text_->installEventFilter(this);
  connect(arrows_, &QScrollBar::valueChanged, text_,
          [this](int value) { text_->setText(QString::number(value)); });
  connect(text_, &QLineEdit::textChanged, this, &NumberBox::TextChanged);
}

bool NumberBox::eventFilter(QObject*, QEvent* event) {
  switch (event->type()) {
    case QEvent::KeyPress: {
      const auto* key = static_cast<QKeyEvent*>(event);
      const QString typed = key->text();
      // Keys that move the focus or press the dialog's buttons are no typing.
      const bool character = !typed.isEmpty() && key->key() != Qt::Key_Delete &&
                             key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter &&
                             key->key() != Qt::Key_Escape && key->key() != Qt::Key_Tab &&
                             key->key() != Qt::Key_Backtab;
      const bool allowed = key->key() == Qt::Key_Backspace ||
                           (typed.size() == 1 && typed[0] >= u'0' && typed[0] <= u'9');
      return character && !allowed;
    }
    case QEvent::FocusIn:
      // After the click that gave the focus has placed the cursor.
      QTimer::singleShot(0, text_, &QLineEdit::selectAll);
      return false;
    case QEvent::FocusOut:
      Settle();
      return false;
    default:
      return false;
  }
}

void NumberBox::TextChanged(const QString& text) {
  if (text.isEmpty()) {
    text_->setText(QString::number(arrows_->value()));
    text_->selectAll();
  }
  if (at_once_) Settle();
}

void NumberBox::Settle() {
  bool number = false;
  const qlonglong value = text_->text().toLongLong(&number);
  if (!number) return;
  const int clamped = static_cast<int>(std::clamp<qlonglong>(value, range_.Low, range_.High));
  if (clamped != value) text_->setText(QString::number(clamped));
  arrows_->setValue(clamped);
}

SettingDialog::SettingDialog(QSettings& store, QWidget* parent) : QDialog(parent), store_(store) {
  setWindowTitle(QStringLiteral("Setting - Fireworks"));
  QFont font(QStringLiteral("Tahoma"));
  font.setPointSize(8);
  setFont(font);
  const SaverSettings s = ReadSettings(store_, kDialogLaunchRate);

  auto* numbers = new QGridLayout;
  int row = 0;
  const auto add_number = [&](const QString& caption, const QString& note, SettingRange range,
                              int value, bool at_once, QLineEdit*& text, QScrollBar*& arrows) {
    text = new QLineEdit(this);
    text->setFixedWidth(56);
    arrows = Arrows(range, value, this);
    new NumberBox(text, arrows, range, at_once);
    numbers->addWidget(new QLabel(caption, this), row, 0);
    auto* pair = new QHBoxLayout;
    pair->setSpacing(0);
    pair->addWidget(text);
    pair->addWidget(arrows);
    numbers->addLayout(pair, row, 1);
    if (!note.isEmpty()) numbers->addWidget(new QLabel(note, this), row, 2);
    ++row;
  };
  add_number(QStringLiteral("Tail Length"), {}, kTailLengthRange, s.TailLength, true, tTailLength,
             VTailLength);
  add_number(QStringLiteral("Launch Rate (milli-secs)"), QStringLiteral("1000 = 1 sec"),
             kLaunchRateRange, s.LaunchRate, true, tLaunchRate, VLaunchRate);
  add_number(QStringLiteral("Rocket Speed"), {}, kRocketSpeedRange, s.RocketSpeed, true,
             tRocketSpeed, VRocketSpeed);
  add_number(QStringLiteral("Transition (in sec)"), QStringLiteral("Only for multi-images"),
             kTransitionRange, s.Transition, false, tTransition, vTransition);
  cmdbg = new QPushButton(this);
  cmdbg->setFixedSize(56, 22);
  numbers->addWidget(new QLabel(QStringLiteral("Background color"), this), row, 0);
  numbers->addWidget(cmdbg, row, 1);
  SetBackColour(s.BgColor);
  connect(cmdbg, &QPushButton::clicked, this, &SettingDialog::ChooseColour);

  auto* fItem = new QGroupBox(QStringLiteral("Firework explosions"), this);
  auto* kinds = new QVBoxLayout(fItem);
  const QString captions[] = {QStringLiteral("Mono Color"), QStringLiteral("Smiley"),
                              QStringLiteral("Star"), QStringLiteral("Spiral"),
                              QStringLiteral("Multi Colors")};
  const bool ticked[] = {s.Kinds.ShowRegular, s.Kinds.ShowSmiley, s.Kinds.ShowStar,
                         s.Kinds.ShowSpiral, s.Kinds.ShowRandom};
  for (size_t i = 0; i < chkShape.size(); ++i) {
    chkShape[i] = new QCheckBox(captions[i], fItem);
    chkShape[i]->setChecked(ticked[i]);
    kinds->addWidget(chkShape[i]);
  }
  chkPlayMusic = new QCheckBox(QStringLiteral("Play background music"), this);
  chkPlayMusic->setChecked(s.PlayMusic);
  chkUseDesktop = new QCheckBox(QStringLiteral("Use desktop as background"), this);
  chkUseDesktop->setChecked(s.UseDesktop);

  SaveSettings = new QPushButton(QStringLiteral("Ok"), this);
  SaveSettings->setDefault(true);
  cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
  connect(SaveSettings, &QPushButton::clicked, this, &SettingDialog::Save);
  connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(SaveSettings);
  buttons->addWidget(cmdCancel);
  auto* columns = new QHBoxLayout;
  auto* left = new QVBoxLayout;
  left->addLayout(numbers);
  left->addWidget(chkPlayMusic);
  left->addWidget(chkUseDesktop);
  left->addStretch();
  columns->addLayout(left);
  columns->addWidget(fItem, 0, Qt::AlignTop);
  auto* all = new QVBoxLayout(this);
  all->addLayout(columns);
  all->addLayout(buttons);
  setFixedSize(sizeHint());
}

void SettingDialog::SetBackColour(uint32_t colour) {
  back_colour_ = colour;
  cmdbg->setStyleSheet(
      QStringLiteral("background-color: %1; border: 1px solid gray;").arg(ToQColor(colour).name()));
}

bool SettingDialog::ChooseColour() {
  QColorDialog dialog(g_last_colour, this);
  dialog.setWindowTitle(QStringLiteral("Color"));
  dialog.setOption(QColorDialog::DontUseNativeDialog);
  if (dialog.exec() != QDialog::Accepted) return false;
  g_last_colour = dialog.selectedColor();
  SetBackColour(ToBgr(g_last_colour));
  return true;
}

SaverSettings SettingDialog::Values() const {
  SaverSettings s;
  s.TailLength = VTailLength->value();
  s.LaunchRate = VLaunchRate->value();
  s.RocketSpeed = VRocketSpeed->value();
  s.Transition = vTransition->value();
  s.Kinds = {chkShape[0]->isChecked(), chkShape[1]->isChecked(), chkShape[2]->isChecked(),
             chkShape[3]->isChecked(), chkShape[4]->isChecked()};
  s.UseDesktop = chkUseDesktop->isChecked();
  s.BgColor = back_colour_;
  s.PlayMusic = chkPlayMusic->isChecked();
  return s;
}

void SettingDialog::Save() {
  WriteSettings(store_, Values());
  accept();
}

}  // namespace players::screensaver
