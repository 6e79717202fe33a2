#include "app/output/batch_options_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSlider>
#include <QVBoxLayout>
#include <QValidator>
#include <limits>
#include <string>

#include "app/output/naming_tokens.h"
#include "app/output/number_trio.h"
#include "app/shell/dialogs.h"
#include "app/shell/settings.h"
#include "app/shell/text_entry.h"
#include "app/shell/ui_service.h"
#include "platform/base/numbers.h"

namespace output {
namespace {

constexpr int kMinimumRate = 1;
constexpr int kMaximumRate = 25;

auto& Options() {
  return shell::gSetup.BatchNamingOptions;
}

// The characters a file name on the original platform cannot hold; names built from these lists
// must stay portable.
bool IsFileNameCharacter(QChar c) {
  return !QStringLiteral("\"*/:<>?\\|").contains(c);
}

bool IsCounterKey(QChar c) {
  if (c.unicode() > 0x7FFF) return false;
  int16_t code = static_cast<int16_t>(c.unicode());
  shell::subNumericKeyFilter(code, shell::kNoExtraKey);
  return code != 0;
}

// Typed characters the box must not hold are dropped before it sees them. The counter list
// takes no validator for pasted text: that would also strip the counter tokens picked from it.
class TypedKeyFilter final : public QObject {
 public:
  TypedKeyFilter(QObject* parent, bool (*keeps)(QChar)) : QObject(parent), keeps_(keeps) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::KeyPress) {
      const QString text = static_cast<QKeyEvent*>(event)->text();
      if (!text.isEmpty() && !text.at(0).isNull() && !keeps_(text.at(0))) return true;
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  bool (*keeps_)(QChar);
};

// Pasted text arrives without key presses: the same characters are taken out of it.
class FileNameValidator final : public QValidator {
 public:
  using QValidator::QValidator;
  State validate(QString& input, int& pos) const override {
    QString kept;
    int keptBeforeCaret = 0;
    for (int i = 0; i < input.size(); ++i) {
      if (!IsFileNameCharacter(input.at(i))) continue;
      kept += input.at(i);
      if (i < pos) ++keptBeforeCaret;
    }
    input = kept;
    pos = keptBeforeCaret;
    return Acceptable;
  }
};

QComboBox* FileNameList(QWidget* parent, TokenList list) {
  auto* combo = new QComboBox(parent);
  combo->setEditable(true);
  combo->setInsertPolicy(QComboBox::NoInsert);
  combo->addItems(TokensOf(list));
  combo->lineEdit()->installEventFilter(new TypedKeyFilter(combo, IsFileNameCharacter));
  combo->lineEdit()->setValidator(new FileNameValidator(combo));
  return combo;
}

QRadioButton* Choice(QButtonGroup* group, int index, const QString& caption) {
  auto* button = new QRadioButton(caption);
  group->addButton(button, index);
  return button;
}

void Inform(const QString& text) {
  shell::Ui().Message(text, QCoreApplication::applicationName(), shell::MessageIcon::Information);
}

uint8_t Checked(const QCheckBox* box) {
  return box->isChecked() ? 1 : 0;
}

// The folder as stored: trimmed, ending in exactly the separator the user typed or one added.
QString StoredFolder(const QString& text) {
  const QString folder = text.trimmed();
  if (folder.isEmpty() || folder.endsWith(QLatin1Char('/'))) return folder;
  return folder + QLatin1Char('/');
}

}  // namespace

frmSaveSinglePage::frmSaveSinglePage(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Save JPEG2000 in batch mode"));
  setModal(true);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(BuildFormatFrame());
  layout->addWidget(BuildDestinationFrame());
  chkProcessEditingList = new QCheckBox(QStringLiteral("Process task basket"), this);
  layout->addWidget(chkProcessEditingList);
  layout->addWidget(BuildNameFrame());
  auto* buttons = new QHBoxLayout;
  cmdStarConversion = new QPushButton(QStringLiteral("Save"), this);
  cmdCancel = new QPushButton(QStringLiteral("E&xit"), this);
  buttons->addStretch();
  buttons->addWidget(cmdStarConversion);
  buttons->addWidget(cmdCancel);
  layout->addLayout(buttons);
  connect(cmdStarConversion, &QPushButton::clicked, this, [this] { cmdStarConversion_Click(); });
  connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
  ConnectRateTrio();
  subSetup();
}

QWidget* frmSaveSinglePage::BuildFormatFrame() {
  auto* row = new QWidget(this);
  auto* rowLayout = new QHBoxLayout(row);
  auto* format = new QGroupBox(QStringLiteral("JPEG 2000 Options"), row);
  auto* formatLayout = new QHBoxLayout(format);
  cboJPEG2000 = new QComboBox(format);
  formatLayout->addWidget(new QLabel(QStringLiteral("Format"), format));
  formatLayout->addWidget(cboJPEG2000);
  rowLayout->addWidget(format);

  auto* compression = new QGroupBox(QStringLiteral("Compression"), row);
  auto* compressionLayout = new QHBoxLayout(compression);
  auto* group = new QButtonGroup(compression);
  optJPG2000Compression = {Choice(group, 0, QStringLiteral("Loseless")),
                           Choice(group, 1, QStringLiteral("Lossy"))};
  for (QRadioButton* button : optJPG2000Compression) compressionLayout->addWidget(button);
  connect(group, &QButtonGroup::idClicked, this,
          [this](int index) { optJPG2000Compression_Click(index); });
  picFrameJPG2000Lossy = new QFrame(compression);
  auto* lossyLayout = new QHBoxLayout(picFrameJPG2000Lossy);
  sldJPEG2000Compression = new QSlider(Qt::Horizontal, picFrameJPG2000Lossy);
  sldJPEG2000Compression->setRange(kMinimumRate, kMaximumRate);
  sldJPEG2000Compression->setPageStep(2);
  sldJPEG2000Compression->setSingleStep(1);
  txtJPG2000Compression = new QLineEdit(picFrameJPG2000Lossy);
  txtJPG2000CompressionD = new QScrollBar(Qt::Vertical, picFrameJPG2000Lossy);
  txtJPG2000CompressionD->setRange(kMinimumRate, kMaximumRate);
  lossyLayout->addWidget(sldJPEG2000Compression);
  lossyLayout->addWidget(txtJPG2000Compression);
  lossyLayout->addWidget(txtJPG2000CompressionD);
  compressionLayout->addWidget(picFrameJPG2000Lossy);
  rowLayout->addWidget(compression);
  return row;
}

QWidget* frmSaveSinglePage::BuildDestinationFrame() {
  auto* frame = new QGroupBox(QStringLiteral("Destination Folder"), this);
  auto* layout = new QGridLayout(frame);
  auto* group = new QButtonGroup(frame);
  optDestinationFolder = {
      Choice(group, 0, QStringLiteral("Place the output files to the source folder")),
      Choice(group, 1, QStringLiteral("Place the output files to the following folder"))};
  connect(group, &QButtonGroup::idClicked, this,
          [this](int index) { optDestinationFolder_Click(index); });
  txtDestinationFolder = new QLineEdit(frame);
  cmdBrowseFolder = new QPushButton(QStringLiteral("Browse"), frame);
  connect(cmdBrowseFolder, &QPushButton::clicked, this, [this] { cmdBrowseFolder_Click(); });
  chkOverwrite = new QCheckBox(QStringLiteral("Overwrite existing files"), frame);
  layout->addWidget(optDestinationFolder[0], 0, 0, 1, 2);
  layout->addWidget(optDestinationFolder[1], 1, 0, 1, 2);
  layout->addWidget(txtDestinationFolder, 2, 0);
  layout->addWidget(cmdBrowseFolder, 2, 1);
  layout->addWidget(chkOverwrite, 3, 0, 1, 2);
  return frame;
}

QWidget* frmSaveSinglePage::BuildNameFrame() {
  auto* frame = new QGroupBox(QStringLiteral("File name"), this);
  auto* layout = new QGridLayout(frame);
  auto* group = new QButtonGroup(frame);
  OptName = {
      Choice(group, 0, QStringLiteral("Retain the original filename (extension will differ)")),
      Choice(group, 1, QStringLiteral("Hybrid")), Choice(group, 2, QStringLiteral("Generic "))};
  connect(group, &QButtonGroup::idClicked, this, [this](int index) { OptName_Click(index); });
  cboRenamePrefix = FileNameList(frame, TokenList::Naming);
  cboSeparator1 = FileNameList(frame, TokenList::Separator);
  cboSeparator2 = FileNameList(frame, TokenList::Separator);
  cboRenameSuffix = FileNameList(frame, TokenList::Naming);
  txtRenameGeneric = new QLineEdit(frame);
  cboRenameGeneric = new QComboBox(frame);
  cboRenameGeneric->setEditable(true);
  cboRenameGeneric->setInsertPolicy(QComboBox::NoInsert);
  cboRenameGeneric->addItems(TokensOf(TokenList::Counter));
  cboRenameGeneric->lineEdit()->installEventFilter(
      new TypedKeyFilter(cboRenameGeneric, IsCounterKey));

  layout->addWidget(OptName[0], 0, 0, 1, 5);
  layout->addWidget(new QLabel(QStringLiteral("Eg. sample.tif"), frame), 1, 0, 1, 5);
  layout->addWidget(OptName[1], 2, 0, 1, 5);
  const QString captions[] = {QStringLiteral("Prefix"), QStringLiteral("Separator"),
                              QStringLiteral("Original filename"), QStringLiteral("Separator"),
                              QStringLiteral("Postfix")};
  for (int column = 0; column < 5; ++column)
    layout->addWidget(new QLabel(captions[column], frame), 3, column);
  layout->addWidget(cboRenamePrefix, 4, 0);
  layout->addWidget(cboSeparator1, 4, 1);
  layout->addWidget(cboSeparator2, 4, 3);
  layout->addWidget(cboRenameSuffix, 4, 4);
  layout->addWidget(new QLabel(QStringLiteral("Eg. Prefix_sample_Postfix.tif"), frame), 5, 0, 1, 5);
  layout->addWidget(OptName[2], 6, 0, 1, 5);
  layout->addWidget(new QLabel(QStringLiteral("Specify a generic name"), frame), 7, 0, 1, 2);
  layout->addWidget(new QLabel(QStringLiteral("Count (identity token)"), frame), 7, 2, 1, 3);
  layout->addWidget(txtRenameGeneric, 8, 0, 1, 2);
  layout->addWidget(cboRenameGeneric, 8, 2, 1, 3);
  layout->addWidget(new QLabel(QStringLiteral("Eg. Sample1.tif"), frame), 9, 0, 1, 5);
  return frame;
}

void frmSaveSinglePage::ConnectRateTrio() {
  // An emptied box shows the stored rate again.
  output::ConnectNumberTrio({sldJPEG2000Compression, txtJPG2000Compression, txtJPG2000CompressionD,
                             kMinimumRate, kMaximumRate,
                             [] { return QString::number(Options().Jpeg2000.Rate); }});
}

void frmSaveSinglePage::subSetup() {
  cboJPEG2000->clear();
  cboJPEG2000->addItems({QStringLiteral("JPEG2000 JP2"), QStringLiteral("JPEG2000 JPC")});
  cboJPEG2000->setCurrentIndex(Options().Jpeg2000Format);
  optJPG2000Compression.at(Options().Jpeg2000.Compression)->setChecked(true);
  optJPG2000Compression_Click(Options().Jpeg2000.Compression);
  const int rate = Options().Jpeg2000.Rate;
  sldJPEG2000Compression->setValue(rate);
  txtJPG2000Compression->setText(QString::number(rate));
  txtJPG2000CompressionD->setValue(rate);
  OptName.at(Options().RenameMode)->setChecked(true);
  OptName_Click(Options().RenameMode);
  cboRenamePrefix->setEditText(Options().Prefix);
  cboRenameSuffix->setEditText(Options().Suffix);
  cboSeparator1->setEditText(Options().Separator1);
  cboSeparator2->setEditText(Options().Separator2);
  txtRenameGeneric->setText(Options().GenericName);
  cboRenameGeneric->setEditText(Options().CounterStart);
  optDestinationFolder.at(Options().DestinationMode)->setChecked(true);
  optDestinationFolder_Click(Options().DestinationMode);
  txtDestinationFolder->setText(Options().DestinationFolder);
  chkOverwrite->setChecked(Options().Overwrite != 0);
  chkProcessEditingList->setChecked(Options().ProcessTaskBasket != 0);
}

void frmSaveSinglePage::optJPG2000Compression_Click(int index) {
  picFrameJPG2000Lossy->setVisible(index == 1);
  Options().Jpeg2000.Compression = index == 1 ? 1 : 0;
}

void frmSaveSinglePage::OptName_Click(int index) {
  Options().RenameMode = static_cast<int16_t>(index);
  for (QWidget* hybrid :
       {static_cast<QWidget*>(cboRenamePrefix), static_cast<QWidget*>(cboRenameSuffix),
        static_cast<QWidget*>(cboSeparator1), static_cast<QWidget*>(cboSeparator2)})
    hybrid->setEnabled(index == 1);
  txtRenameGeneric->setEnabled(index == 2);
  cboRenameGeneric->setEnabled(index == 2);
}

void frmSaveSinglePage::optDestinationFolder_Click(int index) {
  Options().DestinationMode = static_cast<uint8_t>(index);
  txtDestinationFolder->setEnabled(index == 1);
  cmdBrowseFolder->setEnabled(index == 1);
}

void frmSaveSinglePage::cmdBrowseFolder_Click() {
  const QString chosen = shell::subBrowseToTextBox(this, txtDestinationFolder->text());
  if (!chosen.isEmpty()) txtDestinationFolder->setText(chosen);
}

void frmSaveSinglePage::StoreStepOne() {
  Options().Prefix = cboRenamePrefix->currentText();
  Options().Suffix = cboRenameSuffix->currentText();
  Options().Separator1 = cboSeparator1->currentText();
  Options().Separator2 = cboSeparator2->currentText();
  Options().GenericName = txtRenameGeneric->text();
  Options().CounterStart = cboRenameGeneric->currentText();
  Options().Overwrite = Checked(chkOverwrite);
  Options().Jpeg2000Format = static_cast<uint8_t>(cboJPEG2000->currentIndex());
  Options().Jpeg2000.Compression = optJPG2000Compression[0]->isChecked() ? 0 : 1;
  Options().Jpeg2000.Rate = static_cast<int16_t>(sldJPEG2000Compression->value());
}

bool frmSaveSinglePage::CounterIsValid() {
  const QString counter = cboRenameGeneric->currentText().trimmed();
  if (counter.isEmpty()) {
    Inform(QStringLiteral("The count variable cannot be empty!"));
    return false;
  }
  if (TokensOf(TokenList::Counter).contains(counter)) return true;
  // The run counts up from this start in 32 bits, so a start beyond them is refused here.
  double start = 0;
  if (plat::TryStrToFloat(counter.toStdString(), start) &&
      start >= std::numeric_limits<int32_t>::min() && start <= std::numeric_limits<int32_t>::max())
    return true;
  Inform(QStringLiteral("Count should be numeric!"));
  return false;
}

bool frmSaveSinglePage::DestinationIsValid() {
  if (!optDestinationFolder[1]->isChecked()) return true;
  const QString folder = txtDestinationFolder->text().trimmed();
  // An empty folder would send every output file to the file-system root.
  if (!folder.isEmpty() && QDir(folder).exists()) return true;
  Inform(QStringLiteral("The destination folder does not exist!"));
  return false;
}

void frmSaveSinglePage::cmdStarConversion_Click() {
  StoreStepOne();
  if (!CounterIsValid() || !DestinationIsValid()) return;
  Options().DestinationFolder = StoredFolder(txtDestinationFolder->text());
  Options().ProcessTaskBasket = Checked(chkProcessEditingList);
  Options().Confirmed = true;
  accept();
}

void frmSaveSinglePage::cmdCancel_Click() {
  Options().Confirmed = false;
  reject();
}

}  // namespace output
