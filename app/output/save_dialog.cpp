#include "app/output/save_dialog.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLineEdit>
#include <QScreen>
#include <QSet>
#include <vector>

#include "app/output/save_option_panels.h"
#include "app/shell/dialogs.h"
#include "app/shell/paths.h"
#include "app/shell/ui_service.h"

namespace output {
namespace {

// Room between the dialog's own controls and the option form; the file list grows by as much.
constexpr int kOptionGap = 50;

bool IsSupportedExtension(const QString& extension) {
  static const QSet<QString> supported = {"bmp",  "gif", "jpg", "jpe", "jpeg", "jp2", "jpc", "tif",
                                          "tiff", "png", "psd", "pcx", "pdf",  "tga", "sgi", "xpm",
                                          "pbm",  "pgm", "ppm", "wbm", "wbmp", "wap"};
  return supported.contains(extension.toLower());
}

// The desktop's save dialog, not the platform's own, so the option form can live in its layout.
// Its signals stand for the notifications of the original hook: a type, folder or selection
// change.
class SaveDialogEx final : public QFileDialog {
 public:
  SaveDialogEx(QWidget* owner, const QString& title, const QString& filter, int filterIndex,
               frmSaveDialogExtensionAllFormats& form)
      : QFileDialog(owner, title), form_(form), filters_(shell::NameFilters(filter)) {
    setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::HideNameFilterDetails |
               QFileDialog::DontConfirmOverwrite);
    setAcceptMode(QFileDialog::AcceptSave);
    setFileMode(QFileDialog::AnyFile);
    QStringList shown;
    for (const shell::NamedFilter& entry : filters_) shown << entry.filter;
    setNameFilters(shown);
    if (!shown.isEmpty()) selectNameFilter(shown.value(std::max(filterIndex, 1) - 1));
    nameBox_ = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    typeBox_ = findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    // The dialog changes the name's extension itself before it reports the new type; the name
    // as the user left it is taken when the list opens or its choice changes.
    if (typeBox_) {
      connect(typeBox_, &QComboBox::currentIndexChanged, this, [this] { KeepTypedName(); });
      typeBox_->view()->window()->installEventFilter(this);
    }
    connect(this, &QFileDialog::filterSelected, this, [this] { TypeChanged(); });
    connect(this, &QFileDialog::directoryEntered, this, [this] { SetName(QString()); });
    connect(this, &QFileDialog::currentChanged, this,
            [this](const QString& path) { SelectionChanged(path); });
    HostOptionForm();
  }

  QString Chosen() const { return chosen_; }

  // Gives the form back before the dialog's widgets go.
  void ReleaseOptionForm() {
    form_.hide();
    form_.setParent(formerParent_);
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Show && typeBox_ && watched == typeBox_->view()->window())
      KeepTypedName();
    return QFileDialog::eventFilter(watched, event);
  }

  void accept() override {
    const QStringList files = selectedFiles();
    const QString typed = files.value(0);
    // No name, or a folder: the dialog stays and opens the folder.
    if (typed.isEmpty() || QFileInfo(typed).isDir()) return QFileDialog::accept();
    // The question names the file that will be written, its extension included.
    const QString path = WithSupportedExtension(WithChosenType(typed));
    if (QFileInfo::exists(path) &&
        !shell::Ui().Ask(QFileInfo(path).fileName() +
                             QStringLiteral(" already exists.\nDo you want to replace it?"),
                         windowTitle(), shell::MessageIcon::Exclamation))
      return;
    chosen_ = path;
    QFileDialog::accept();
  }

 private:
  void HostOptionForm() {
    formerParent_ = form_.parentWidget();
    auto* grid = qobject_cast<QGridLayout*>(layout());
    const int row = grid ? grid->rowCount() : 0;
    if (grid) {
      grid->addItem(new QSpacerItem(0, kOptionGap, QSizePolicy::Minimum, QSizePolicy::Fixed), row,
                    0);
      grid->addWidget(&form_, row + 1, 0, 1, grid->columnCount(), Qt::AlignLeft | Qt::AlignTop);
    } else {
      form_.setParent(this);
    }
    form_.show();
    // The file list takes the other 50 pixels: the dialog grows by the form's height and twice
    // the gap.
    const QSize standard = sizeHint();
    QSize grown(std::max(standard.width(), form_.width() + 2 * kOptionGap),
                standard.height() + form_.height() + 2 * kOptionGap);
    const QScreen* screen = QApplication::primaryScreen();
    // On a small screen the file list gives up the room, so the buttons stay reachable.
    const QRect area = screen ? screen->availableGeometry() : QRect();
    if (screen) grown = grown.boundedTo(area.size());
    resize(grown);
    if (screen)
      move(area.x() + (area.width() - grown.width()) / 2,
           area.y() + (area.height() - grown.height()) / 2);
  }

  // A name whose extension the save does not know takes the extension of the type the user
  // chose, which the dialog itself adds only to a name without any ".".
  QString WithChosenType(const QString& typed) const {
    if (defaultSuffix().isEmpty() || IsSupportedExtension(QFileInfo(typed).suffix())) return typed;
    return typed + QLatin1Char('.') + defaultSuffix();
  }

  void KeepTypedName() {
    if (nameBox_) typedBeforeTypeChange_ = nameBox_->text();
  }

  void SetName(const QString& name) {
    if (nameBox_) nameBox_->setText(name);
  }

  // The first pattern of the type chosen in the list.
  QString fncCurrentFilterPattern() const {
    const int32_t index = shell::FilterIndex(filters_, selectedNameFilter());
    if (index < 1) return QString();
    return FirstPattern(filters_.at(static_cast<size_t>(index - 1)).patterns);
  }

  void TypeChanged() {
    const QString name = NameForNewType(typedBeforeTypeChange_);
    const QString pattern = fncCurrentFilterPattern();
    ShowPanelOfPattern(form_, pattern);
    if (pattern.size() > 2) setDefaultSuffix(pattern.mid(2));
    SetName(name);
  }

  // A file chosen a second time in a row puts its name into the name box.
  void SelectionChanged(const QString& path) {
    if (path.compare(rememberedPath_, Qt::CaseInsensitive) != 0) {
      rememberedPath_ = path;
      return;
    }
    const QString name = QFileInfo(path).fileName();
    rememberedPath_ = name.size() > 1 ? name : QString();
    if (!rememberedPath_.isEmpty()) SetName(name);
  }

  frmSaveDialogExtensionAllFormats& form_;
  const std::vector<shell::NamedFilter> filters_;
  QWidget* formerParent_ = nullptr;
  QLineEdit* nameBox_ = nullptr;
  QComboBox* typeBox_ = nullptr;
  QString typedBeforeTypeChange_;
  QString rememberedPath_;
  QString chosen_;
};

}  // namespace

QString NameForNewType(const QString& typed) {
  if (typed.size() <= 4) return typed;
  const qsizetype tail = typed.size() - 5;
  const qsizetype point = typed.indexOf(QLatin1Char('.'), tail);
  return point < 0 ? typed : typed.left(point);
}

QString FirstPattern(const QString& patterns) {
  return patterns.section(QLatin1Char(';'), 0, 0);
}

void ShowPanelOfPattern(frmSaveDialogExtensionAllFormats& optionForm, const QString& pattern) {
  optionForm.subSetVisibility();
  const QString p = pattern.toLower();
  if (p == "*.gif") {
    optionForm.picFrameGIF->setVisible(true);
  } else if (p == "*.png") {
    optionForm.picFramePNG->setVisible(true);
  } else if (p == "*.jpg" || p == "*.jpeg" || p == "*.jpe") {
    optionForm.picFrameJPG->setVisible(true);
  } else if (p == "*.tif" || p == "*.tiff") {
    optionForm.picFrameTiffOnly->setVisible(true);
    optionForm.picFrameTiff->setVisible(true);
  } else if (p == "*.pdf") {
    optionForm.picFrameTiff->setVisible(true);
  } else if (p == "*.jp2" || p == "*.jpc") {
    optionForm.picFrameJPG2000->setVisible(true);
  }
}

QString WithSupportedExtension(const QString& path) {
  if (IsSupportedExtension(shell::fncGetFileExtension(path))) return path;
  return path + QStringLiteral(".tif");
}

QString fncShowSaveDialogEx(const QString& initialName, const QString& filter, int filterIndex,
                            const QString& title, frmSaveDialogExtensionAllFormats& optionForm,
                            bool singlePage) {
  optionForm.picAppendMode->setVisible(!singlePage);
  SaveDialogEx dialog(QApplication::activeWindow(), title, filter, filterIndex, optionForm);
  if (!initialName.isEmpty()) dialog.selectFile(initialName);
  const bool chosen = dialog.exec() == QDialog::Accepted;
  dialog.ReleaseOptionForm();
  return chosen ? dialog.Chosen() : QString();
}

}  // namespace output
