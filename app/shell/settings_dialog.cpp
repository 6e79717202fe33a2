#include "app/shell/settings_dialog.h"

#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <tuple>
#include <utility>

#include "app/shell/dialogs.h"
#include "app/shell/errors.h"
#include "app/shell/settings.h"
#include "app/shell/text_entry.h"

namespace shell {

namespace {

constexpr int16_t kThumbMin = 20, kThumbMax = 300;
const QString kEmptyThumbnail = QStringLiteral("20");

struct Shortcut {
  const char* action;
  const char* keys;
};
constexpr Shortcut kShortcuts[] = {
    {"Add Selected Files to basket", "Enter [Return]"},
    {"Select all files", "Ctrl + A"},
    {"Delete selected files from basket", "Delete"},
};

// The box's text as a thumbnail size; OK clamps the boxes first, so it is always a number.
int16_t ThumbnailValue(const QLineEdit* box) {
  return static_cast<int16_t>(box->text().toInt());
}

}  // namespace

frmSettings::frmSettings(QWidget* owner, std::function<void()> subUpdateForm)
    : QDialog(owner), subUpdateForm_(std::move(subUpdateForm)) {
  setObjectName(QStringLiteral("frmSettings"));
  setWindowTitle(QStringLiteral("Settings"));
  tbsSettings = new QTabBar(this);
  for (const char* tab : {"General", "Capture", "Twain", "Shortcuts"})
    tbsSettings->addTab(QString::fromLatin1(tab));
  BuildGeneral();
  picCapture = BuildFolderPane(QStringLiteral("Default Capture Folder"), txtCaptureFolder,
                               cmdCaptureBrowse, txtCaptureGeneric);
  picTwain = BuildFolderPane(QStringLiteral("Default Twain Folder"), txtTwainFolder, cmdTwainBrowse,
                             txtTwainGeneric);
  picShortcuts = new QWidget(this);
  lvShortcuts = new QTreeWidget(picShortcuts);
  lvShortcuts->setHeaderLabels({QStringLiteral("Action"), QStringLiteral("Shortcut")});
  lvShortcuts->setRootIsDecorated(false);
  lvShortcuts->setColumnWidth(0, 220);
  cmdOK = new QPushButton(QStringLiteral("OK"), this);
  cmdOK->setDefault(true);
  cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(cmdOK);
  buttons->addWidget(cmdCancel);
  auto* column = new QVBoxLayout(this);
  column->addWidget(tbsSettings);
  column->addWidget(picGeneral, 1);
  column->addLayout(buttons);
  // The other panes lie over the General pane, which keeps its room while they are shown.
  QSizePolicy keepRoom = picGeneral->sizePolicy();
  keepRoom.setRetainSizeWhenHidden(true);
  picGeneral->setSizePolicy(keepRoom);

  connect(tbsSettings, &QTabBar::tabBarClicked, this, [this](int index) {
    if (index >= 0) tbsSettings_Click(index + 1);
  });
  connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
  connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(cmdCaptureBrowse, &QPushButton::clicked, this, [this] { Browse(txtCaptureFolder); });
  connect(cmdTwainBrowse, &QPushButton::clicked, this, [this] { Browse(txtTwainFolder); });
  resize(420, 330);
}

void frmSettings::BuildGeneral() {
  picGeneral = new QWidget(this);
  chkAllowTip = new QCheckBox(QStringLiteral("Show Tips for controls"), picGeneral);
  frameFolder = new QGroupBox(QStringLiteral("Folder Files"), picGeneral);
  chkFolderFullRowSelect = new QCheckBox(QStringLiteral("Enable Full Row Select"), frameFolder);
  txtFolderThumbnailWidth = new QLineEdit(frameFolder);
  txtFolderThumbnailHeight = new QLineEdit(frameFolder);
  auto* grid = new QGridLayout(frameFolder);
  grid->addWidget(chkFolderFullRowSelect, 0, 0, 1, 2);
  grid->addWidget(new QLabel(QStringLiteral("Thumbnail Width"), frameFolder), 1, 0);
  grid->addWidget(txtFolderThumbnailWidth, 1, 1);
  grid->addWidget(new QLabel(QStringLiteral("Thumbnail Height"), frameFolder), 2, 0);
  grid->addWidget(txtFolderThumbnailHeight, 2, 1);
  optFileSize[0] = new QRadioButton(QStringLiteral("Show short file size"), picGeneral);
  optFileSize[1] = new QRadioButton(QStringLiteral("Show long file size"), picGeneral);
  auto* column = new QVBoxLayout(picGeneral);
  column->addWidget(chkAllowTip);
  column->addWidget(frameFolder);
  column->addWidget(optFileSize[0]);
  column->addWidget(optFileSize[1]);
  column->addStretch(1);
  for (QLineEdit* box : {txtFolderThumbnailWidth, txtFolderThumbnailHeight}) SetUpThumbnailBox(box);
}

QWidget* frmSettings::BuildFolderPane(const QString& caption, QLineEdit*& folder,
                                      QPushButton*& browse, QLineEdit*& generic) {
  auto* pane = new QWidget(this);
  folder = new QLineEdit(pane);
  browse = new QPushButton(QStringLiteral("Browse"), pane);
  generic = new QLineEdit(pane);
  auto* grid = new QGridLayout(pane);
  grid->addWidget(new QLabel(caption, pane), 0, 0, 1, 2);
  grid->addWidget(folder, 1, 0);
  grid->addWidget(browse, 1, 1);
  grid->addWidget(new QLabel(QStringLiteral("Generic Name"), pane), 2, 0, 1, 2);
  grid->addWidget(generic, 3, 0);
  grid->setRowStretch(4, 1);
  pane->hide();
  return pane;
}

void frmSettings::SetUpThumbnailBox(QLineEdit* box) {
  InstallNumericKeyFilter(box, kNoExtraKey);
  box->installEventFilter(this);
  connect(box, &QLineEdit::textChanged, this,
          [box] { subSelectAllControlText(box, kEmptyThumbnail); });
}

bool frmSettings::eventFilter(QObject* watched, QEvent* event) {
  auto* box = qobject_cast<QLineEdit*>(watched);
  if (box == txtFolderThumbnailWidth || box == txtFolderThumbnailHeight) {
    if (event->type() == QEvent::FocusIn) {
      // After the box's own focus handling, which selects the text when tabbed into.
      box->event(event);
      subSelectAllText(box);
      return true;
    }
    if (event->type() == QEvent::FocusOut) subClampControlValue(box, kThumbMin, kThumbMax);
  }
  return QDialog::eventFilter(watched, event);
}

void frmSettings::FillControls() {
  chkAllowTip->setChecked(gSetup.TooltipOptions.ShowTooltips == 1);
  txtFolderThumbnailWidth->setText(QString::number(gSetup.FolderListOptions.ThumbnailWidth));
  txtFolderThumbnailHeight->setText(QString::number(gSetup.FolderListOptions.ThumbnailHeight));
  const size_t format = gSetup.FolderListOptions.FileSizeFormat;
  if (format >= optFileSize.size())
    throw AppError(kErrSubscriptOutOfRange, "Subscript out of range");
  optFileSize[format]->setChecked(true);
  chkFolderFullRowSelect->setChecked(gSetup.FolderListOptions.FullRowSelect);
  for (auto [target, folder, generic] :
       {std::tuple(&gCaptureTarget, txtCaptureFolder, txtCaptureGeneric),
        std::tuple(&gTwainTarget, txtTwainFolder, txtTwainGeneric)}) {
    folder->setText(target->Folder);
    generic->setText(target->GenericName);
  }
  lvShortcuts->clear();
  for (const Shortcut& row : kShortcuts)
    new QTreeWidgetItem(lvShortcuts, {QString::fromUtf8(row.action), QString::fromUtf8(row.keys)});
  picGeneral->show();
  for (QWidget* pane : {picShortcuts, picCapture, picTwain}) pane->hide();
}

void frmSettings::subSetup() {
  const std::optional<TrappedError> error = RunTrapped([this] { FillControls(); }, 0);
  if (!error) return;
  subDeleteSetup();
  subGlobalErrorHandler(error->description, error->number, error->line,
                        RoutineLabel(Routine::frmSettings_subSetup));
  FillControls();
}

void frmSettings::tbsSettings_Click(int index) {
  QWidget* const panes[] = {picGeneral, picCapture, picTwain, picShortcuts};
  for (QWidget* pane : panes) pane->hide();
  panes[index - 1]->show();
}

void frmSettings::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  for (QWidget* pane : {picCapture, picTwain, picShortcuts})
    pane->setGeometry(picGeneral->geometry());
  lvShortcuts->setGeometry(0, 0, picShortcuts->width(), picShortcuts->height());
}

void frmSettings::ClampThumbnailBoxes() {
  for (QLineEdit* box : {txtFolderThumbnailWidth, txtFolderThumbnailHeight})
    subClampControlValue(box, kThumbMin, kThumbMax);
}

void frmSettings::cmdOK_Click() {
  // A value confirmed with Enter never lost the focus: clamp it as leaving the box does.
  ClampThumbnailBoxes();
  auto& folder = gSetup.FolderListOptions;
  auto& basket = gSetup.BasketListOptions;
  gSetup.TooltipOptions.ShowTooltips = chkAllowTip->isChecked() ? 1 : 0;
  folder.ThumbnailWidth = ThumbnailValue(txtFolderThumbnailWidth);
  folder.ThumbnailHeight = ThumbnailValue(txtFolderThumbnailHeight);
  folder.FileSizeFormat = optFileSize[0]->isChecked() ? 0 : 1;
  folder.FullRowSelect = chkFolderFullRowSelect->isChecked();
  basket.ThumbnailWidth = folder.ThumbnailWidth;
  basket.ThumbnailHeight = folder.ThumbnailHeight;
  basket.FullRowSelect = folder.FullRowSelect;
  gCaptureTarget = {txtCaptureFolder->text(), txtCaptureGeneric->text()};
  gTwainTarget = {txtTwainFolder->text(), txtTwainGeneric->text()};
  if (subUpdateForm_) subUpdateForm_();
  accept();
}

void frmSettings::Browse(QLineEdit* box) {
  const QString chosen = subBrowseToTextBox(this, box->text());
  if (!chosen.isEmpty()) box->setText(chosen);
}

void ShowSettingsDialog(QWidget* owner, const std::function<void()>& subUpdateForm) {
  frmSettings dialog(owner, subUpdateForm);
  dialog.subSetup();
  dialog.exec();
}

}  // namespace shell
