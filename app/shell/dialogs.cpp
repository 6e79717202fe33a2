#include "app/shell/dialogs.h"

#include <QColorDialog>
#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "app/shell/errors.h"
#include "app/shell/ui_service.h"
#include "platform/graphics/system_colors.h"

namespace shell {

QWidget* glDlgOwner = nullptr;
QString gstrDlgFilter;
int32_t glDlgFilterIndex = 0;
QString gstrDlgFileName;
QString gstrDlgFileTitle;
QString gstrDlgInitDir;
QString gstrDlgTitle;
int32_t glDlgFlags = 0;

std::vector<NamedFilter> NameFilters(const QString& filter) {
  const QStringList parts = filter.split(QLatin1Char('|'));
  std::vector<NamedFilter> filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
    filters.push_back({parts[i].trimmed(),
                       parts[i] + QStringLiteral(" (") +
                           QString(parts[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' ')) +
                           QLatin1Char(')'),
                       parts[i + 1]});
  return filters;
}

int32_t FilterIndex(const std::vector<NamedFilter>& filters, const QString& selected) {
  for (size_t i = 0; i < filters.size(); ++i)
    if (filters[i].filter == selected || filters[i].name == selected)
      return static_cast<int32_t>(i + 1);
  return 0;
}

namespace {

// ---- file dialogs

// Callers check what comes back: the save dialog asks nothing about an existing file, and the
// open dialog takes a typed name that does not exist.
void ShowFileDialog(QFileDialog::AcceptMode mode) {
  QFileDialog dialog(glDlgOwner, gstrDlgTitle, gstrDlgInitDir);
  QFileDialog::Options options =
      QFileDialog::DontUseNativeDialog | QFileDialog::HideNameFilterDetails;
  if (mode == QFileDialog::AcceptSave) options |= QFileDialog::DontConfirmOverwrite;
  dialog.setOptions(options);
  dialog.setAcceptMode(mode);
  dialog.setFileMode(QFileDialog::AnyFile);
  const std::vector<NamedFilter> filters = NameFilters(gstrDlgFilter);
  if (!filters.empty()) {
    QStringList shown;
    for (const NamedFilter& f : filters) shown << f.filter;
    dialog.setNameFilters(shown);
    dialog.selectNameFilter(shown.value(std::max(glDlgFilterIndex, 1) - 1, shown.first()));
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  gstrDlgFileName = dialog.selectedFiles().first();
  gstrDlgFileTitle = QFileInfo(gstrDlgFileName).fileName();
  if (const int32_t chosen = FilterIndex(filters, dialog.selectedNameFilter()))
    glDlgFilterIndex = chosen;
}

// ---- colour chooser

constexpr int kCustomColourCount = 16;
constexpr QRgb kUnsetCustomColour = 0xFFFEFEFE;  // red, green and blue 254

// What the chooser keeps for the whole run.
struct ColourRecord {
  int32_t result = 0;
  std::array<QRgb, kCustomColourCount> custom{};
  bool customSet = false;
};

ColourRecord& TheColourRecord() {
  static ColourRecord record;
  return record;
}

// Moves the dialog, once, to the centre of a rectangle as soon as it is shown.
class CentreOnShow : public QObject {
 public:
  CentreOnShow(QWidget* dialog, QRect area) : QObject(dialog), area_(area) {
    dialog->installEventFilter(this);
  }
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::Show) return false;
    auto* dialog = static_cast<QWidget*>(watched);
    const QSize size = dialog->frameGeometry().size();
    dialog->move(
        static_cast<int>(std::lround(area_.x() + area_.width() / 2.0 - size.width() / 2.0)),
        static_cast<int>(std::lround(area_.y() + area_.height() / 2.0 - size.height() / 2.0)));
    dialog->removeEventFilter(this);
    return false;
  }

 private:
  QRect area_;
};

QRect CentringArea(QWidget* owner, bool centreOnOwner) {
  if (centreOnOwner && owner) return owner->window()->frameGeometry();
  const QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
  return screen ? screen->geometry() : QRect();
}

void PushCustomColours(const ColourRecord& record) {
  for (int i = 0; i < kCustomColourCount; ++i)
    QColorDialog::setCustomColor(i, QColor::fromRgb(record.custom[static_cast<size_t>(i)]));
}

void PullCustomColours(ColourRecord& record) {
  for (int i = 0; i < kCustomColourCount; ++i)
    record.custom[static_cast<size_t>(i)] = QColorDialog::customColor(i).rgb();
}

// ---- folder picker

QString gstrFolderStart;

}  // namespace

void subShowOpenDialog() {
  ShowFileDialog(QFileDialog::AcceptOpen);
}

void subShowSaveDialog() {
  ShowFileDialog(QFileDialog::AcceptSave);
}

QColor OleColourToQColor(int32_t colour) {
  const plat::TColor rgb = plat::ColorToRGB(static_cast<plat::TColor>(colour));
  return QColor(plat::GetRValue(rgb), plat::GetGValue(rgb), plat::GetBValue(rgb));
}

int32_t QColorToOleColour(const QColor& colour) {
  return static_cast<int32_t>(plat::RGB(static_cast<uint8_t>(colour.red()),
                                        static_cast<uint8_t>(colour.green()),
                                        static_cast<uint8_t>(colour.blue())));
}

ColorChoice fncChooseColor(QWidget* owner, bool centreOnOwner) {
  ColourRecord& record = TheColourRecord();
  if (!record.customSet) {
    record.custom.fill(kUnsetCustomColour);
    record.customSet = true;
  }
  PushCustomColours(record);
  QColorDialog dialog(OleColourToQColor(record.result), owner);
  dialog.setOption(QColorDialog::DontUseNativeDialog);
  new CentreOnShow(&dialog, CentringArea(owner, centreOnOwner));
  const bool chosen = dialog.exec() == QDialog::Accepted;
  PullCustomColours(record);
  if (!chosen) return {0, true};
  record.result = QColorToOleColour(dialog.selectedColor());
  return {record.result, false};
}

QString Folder_Browse(QWidget* owner, const QString& prompt, [[maybe_unused]] int32_t flags) {
  // The dialog always checks a typed folder and has no status line, so the flags change nothing.
  return Trap(Routine::modBrowseForFolder_Folder_Browse, [&] {
    SetActivity(Activity::CallingFolderBrowseDialog);
    const QString chosen = QFileDialog::getExistingDirectory(
        owner, prompt, gstrFolderStart,
        QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
    SetActivity(Activity::ReturningSelectedFolder);
    return chosen;
  });
}

QString subBrowseToTextBox(QWidget* form, const QString& startFolder) {
  constexpr int32_t kNewStyleWithStatusText = 68;
  gstrFolderStart = startFolder;
  QString chosen = Folder_Browse(
      form, QStringLiteral("Please select a destination folder to save all the files!"),
      kNewStyleWithStatusText);
  if (chosen.trimmed().isEmpty()) chosen.clear();
  gstrFolderStart.clear();
  return chosen;
}

bool fncFillFontCombo(QComboBox* combo, [[maybe_unused]] bool families) {
  // Families and faces come out alike: the font database lists families only.
  combo->clear();
  QStringList names = QFontDatabase::families();
  // The text task stores a font by its index in this list, so the order must not vary.
  std::sort(names.begin(), names.end());
  names.removeAll(QString());
  if (names.isEmpty()) {
    Ui().Message(QStringLiteral("Failed to get font info"), QCoreApplication::applicationName(),
                 MessageIcon::None);
    return false;
  }
  combo->addItems(names);
  combo->setCurrentIndex(0);
  return true;
}

}  // namespace shell
