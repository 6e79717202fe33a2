#include "app/output/executable_dialogs.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QVBoxLayout>

#include "app/shell/dialogs.h"
#include "app/shell/errors.h"
#include "app/shell/paths.h"
#include "app/shell/settings.h"
#include "app/shell/text_entry.h"
#include "app/shell/ui_service.h"

namespace output {

namespace {

QString ErrorText() {
  return QStringLiteral("There was an error!\r\nPlease try again.");
}

}  // namespace

QString WithScreensaverExtension(const QString& name) {
  if (name.right(4).toLower() == QStringLiteral(".scr")) return name;
  return name + QStringLiteral(".scr");
}

SingleImageOptionsForm::SingleImageOptionsForm(QWidget* owner, const QString& title,
                                               int16_t& quality, uint8_t& processTaskBasket,
                                               const QString& usage)
    : QDialog(owner), quality_(quality), process_(processTaskBasket) {
  setWindowTitle(title);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("Select a plugin"), this));
  lstTemplate = new QListWidget(this);
  lstTemplate->addItem(QStringLiteral("Fireworks"));
  lstTemplate->setMaximumHeight(60);
  layout->addWidget(lstTemplate);

  auto* fMultipages = new QGroupBox(QStringLiteral("Options"), this);
  auto* options = new QGridLayout(fMultipages);
  options->addWidget(new QLabel(QStringLiteral("Image Quality :"), fMultipages), 0, 0);
  sldQuality = new QSlider(Qt::Horizontal, fMultipages);
  tTransition = new QLineEdit(fMultipages);
  tTransition->setMaximumWidth(48);
  tTransitionD = new QScrollBar(Qt::Vertical, fMultipages);
  tTransitionD->setFixedHeight(tTransition->sizeHint().height());
  options->addWidget(sldQuality, 0, 1);
  options->addWidget(tTransition, 0, 2);
  options->addWidget(tTransitionD, 0, 3);
  chkProcessTaskBasket = new QCheckBox(QStringLiteral("Process task basket"), fMultipages);
  options->addWidget(chkProcessTaskBasket, 1, 0, 1, 4);
  layout->addWidget(fMultipages);
  if (!usage.isEmpty()) {
    auto* note = new QLabel(usage, this);
    note->setWordWrap(true);
    layout->addWidget(note);
  }
  lblTarnwick =
      new QLabel(QStringLiteral("<a href=\"help\">Click here to learn more...</a>"), this);
  connect(lblTarnwick, &QLabel::linkActivated, this,
          [] { shell::subOpenWithShell(shell::gstrHelpFile); });
  layout->addWidget(lblTarnwick);

  auto* buttons = new QHBoxLayout;
  cmdGenerate = new QPushButton(QStringLiteral("Generate"), this);
  cmdCancel = new QPushButton(QStringLiteral("Exit"), this);
  buttons->addStretch();
  buttons->addWidget(cmdGenerate);
  buttons->addWidget(cmdCancel);
  layout->addLayout(buttons);
  connect(cmdGenerate, &QPushButton::clicked, this, [this] { cmdGenerate_Click(); });
  connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);

  trio_ = {sldQuality, tTransition, tTransitionD, 1, 100, [] { return QStringLiteral("1"); }};
  ConnectNumberTrio(trio_);
  lstTemplate->setCurrentRow(0);
  subSetupCommon();
}

void SingleImageOptionsForm::subSetupCommon() {
  SetTrioValue(trio_, quality_);
  chkProcessTaskBasket->setChecked(process_ == 1);
}

void SingleImageOptionsForm::saveSetupCommon() {
  quality_ = static_cast<int16_t>(sldQuality->value());
  process_ = chkProcessTaskBasket->isChecked() ? 1 : 0;
}

QString SingleImageOptionsForm::AskName(const QString& title, const QString& filter) {
  shell::gstrDlgFileName.clear();
  shell::gstrDlgTitle = title;
  shell::gstrDlgFilter = filter;
  shell::glDlgFlags = 5;
  shell::subShowSaveDialog();
  return shell::gstrDlgFileName;
}

QString SingleImageOptionsForm::Player(const QString& name) {
  const QString player = modScreensaver::fncGetExtractPluginPath(name);
  if (player.isEmpty())
    shell::Ui().Message(ErrorText(), shell::gstrApplicationName, shell::MessageIcon::Information);
  return player;
}

frmGreetingDemo::frmGreetingDemo(QWidget* owner, modScreensaver::BuildTools& tools,
                                 const QString& shownFile)
    : SingleImageOptionsForm(owner, QStringLiteral("Generate a greeting image"),
                             shell::gSetup.GreetingOptions.Quality,
                             shell::gSetup.GreetingOptions.ProcessTaskBasket,
                             QStringLiteral("USAGE: When you run a greeting image, you can press "
                                            "'F' to toggle between fullscreen and fixed image "
                                            "size")),
      tools_(tools),
      shownFile_(shownFile) {}

void frmGreetingDemo::cmdGenerate_Click() {
  saveSetupCommon();
  hide();
  // The name is taken as typed: the desktop would treat a "*.exe" as a Windows program.
  const QString name = AskName(QStringLiteral("Save as greeting image"),
                               QStringLiteral("Greeting images (*.exe)|*.exe"));
  if (!name.isEmpty()) {
    const QString player = Player(QStringLiteral("GREETING"));
    const auto& options = shell::gSetup.GreetingOptions;
    if (!player.isEmpty())
      modScreensaver::subMakeSingleScreensaver(tools_, player, name, shownFile_, options.Quality,
                                               options.ProcessTaskBasket, true);
  }
  accept();
}

frmScreensaverDemo::frmScreensaverDemo(QWidget* owner, modScreensaver::BuildTools& tools,
                                       const QString& shownFile,
                                       const QList<browse::BasketItem>& basket)
    : SingleImageOptionsForm(owner, QStringLiteral("Generate a screensaver"),
                             shell::gSetup.ScreensaverOptions.Quality,
                             shell::gSetup.ScreensaverOptions.ProcessTaskBasket, QString()),
      tools_(tools),
      shownFile_(shownFile),
      basket_(basket) {}

void frmScreensaverDemo::cmdGenerate_Click() {
  hide();
  saveSetupCommon();
  const QString chosen = AskName(bSaveType == 0 ? QStringLiteral("Save as single-image screensaver")
                                                : QStringLiteral("Save as screensaver"),
                                 QStringLiteral("Screensaver file (*.scr)|*.scr"));
  if (!chosen.isEmpty()) Build(WithScreensaverExtension(chosen));
  accept();
}

void frmScreensaverDemo::Build(const QString& name) {
  const QString player = Player(QStringLiteral("SCREENSAVER"));
  if (player.isEmpty()) return;
  const auto& options = shell::gSetup.ScreensaverOptions;
  if (bSaveType == 0)
    modScreensaver::subMakeSingleScreensaver(tools_, player, name, shownFile_, options.Quality,
                                             options.ProcessTaskBasket, true);
  else
    modScreensaver::subGenerateScreenSaver(tools_, basket_, player, name, true);
}

frmSlideShow::frmSlideShow(QWidget* owner, modScreensaver::BuildTools& tools,
                           const QList<browse::BasketItem>& basket)
    : QDialog(owner), tools_(tools), basket_(basket) {
  setWindowTitle(QStringLiteral("Generate Slide show"));
  auto* grid = new QGridLayout(this);
  grid->addWidget(new QLabel(QStringLiteral("Background Color :"), this), 0, 0);
  cmdPageBackgroundColor = new QPushButton(this);
  cmdPageBackgroundColor->setFixedWidth(60);
  grid->addWidget(cmdPageBackgroundColor, 0, 1, 1, 2, Qt::AlignLeft);

  grid->addWidget(new QLabel(QStringLiteral("Interval ( in secs) :"), this), 1, 0);
  txtInterval = new QLineEdit(this);
  txtInterval->setMaxLength(1);
  txtInterval->setMaximumWidth(32);
  vsInterval = new QScrollBar(Qt::Vertical, this);
  vsInterval->setFixedHeight(txtInterval->sizeHint().height());
  auto* interval = new QHBoxLayout;
  interval->addWidget(txtInterval);
  interval->addWidget(vsInterval);
  interval->addStretch();
  grid->addLayout(interval, 1, 1, 1, 2);

  grid->addWidget(new QLabel(QStringLiteral("Image Quality :"), this), 2, 0);
  sldQuality = new QSlider(Qt::Horizontal, this);
  sldQuality->setRange(1, 100);
  lblQuality = new QLabel(this);
  lblQuality->setMinimumWidth(30);
  grid->addWidget(sldQuality, 2, 1);
  grid->addWidget(lblQuality, 2, 2);
  grid->addWidget(
      new QLabel(QStringLiteral("NOTE: Choosing a higher quality will result in bigger file size."),
                 this),
      3, 0, 1, 3);
  chkProcessEditingList = new QCheckBox(QStringLiteral("Process Tasks Basket"), this);
  grid->addWidget(chkProcessEditingList, 4, 0, 1, 3);

  auto* buttons = new QHBoxLayout;
  cmdCreate = new QPushButton(QStringLiteral("&Generate"), this);
  cmdCancel = new QPushButton(QStringLiteral("C&ancel"), this);
  buttons->addStretch();
  buttons->addWidget(cmdCreate);
  buttons->addWidget(cmdCancel);
  grid->addLayout(buttons, 5, 0, 1, 3);

  connect(sldQuality, &QSlider::valueChanged, lblQuality,
          [this](int value) { lblQuality->setText(QString::number(value)); });
  connect(cmdPageBackgroundColor, &QPushButton::clicked, this,
          [this] { cmdPageBackgroundColor_Click(); });
  connect(cmdCreate, &QPushButton::clicked, this, [this] { cmdCreate_Click(); });
  connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
  interval_ = {nullptr, txtInterval, vsInterval, 1, 9, [] { return QStringLiteral("3"); }};
  ConnectNumberTrio(interval_);
  subSetup();
}

void frmSlideShow::subSetup() {
  const auto& settings = shell::gSetup.SlideShowSettings;
  ShowColour(settings.BackColor);
  SetTrioValue(interval_, settings.Interval);
  sldQuality->setValue(settings.Quality);
  lblQuality->setText(QString::number(settings.Quality));
  chkProcessEditingList->setChecked(settings.ProcessTaskBasket == 1);
}

void frmSlideShow::ShowColour(int32_t colour) {
  colour_ = colour;
  cmdPageBackgroundColor->setStyleSheet(
      QStringLiteral("background-color: %1").arg(shell::OleColourToQColor(colour).name()));
}

void frmSlideShow::cmdPageBackgroundColor_Click() {
  const shell::ColorChoice choice = shell::fncChooseColor(this, true);
  if (!choice.Cancelled && choice.Colour >= 0) ShowColour(choice.Colour);
}

void frmSlideShow::cmdCreate_Click() {
  hide();
  const package::SlideShowOptions options{colour_,
                                          static_cast<int16_t>(txtInterval->text().toInt())};
  auto& settings = shell::gSetup.SlideShowSettings;
  settings.BackColor = options.BackColor;
  settings.Interval = options.Interval;
  settings.ProcessTaskBasket = chkProcessEditingList->isChecked() ? 1 : 0;
  settings.Quality = static_cast<int16_t>(sldQuality->value());
  modScreensaver::MkSlideShow(tools_, basket_, options, settings.Quality,
                              settings.ProcessTaskBasket);
  accept();
}

}  // namespace output
