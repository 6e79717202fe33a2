#include "control/engine/view/file_dialogs.h"

#include <QFileDialog>
#include <array>
#include <span>
#include <string_view>
#include <vector>

namespace pictavo {

namespace {

struct TFormatFilter {
  const char* name;
  std::vector<std::string_view> extensions;  // the first is the one a save appends
};

const std::array<TFormatFilter, 8>& FormatFilters() {
  static const std::array<TFormatFilter, 8> filters = {{
      {"Bitmap Files", {".bmp"}},
      {"JPEG Files", {".jpg", ".jpeg", ".jpe"}},
      {"PCX Files", {".pcx"}},
      {"PNG Files", {".png"}},
      {"GIF Files", {".gif"}},
      {"Wireless Bitmap Files", {".wbm", ".wbmp"}},
      {"Adobe Photoshop Files", {".psd"}},
      {"TIFF Files", {".tif", ".tiff"}},
  }};
  return filters;
}

QString Patterns(std::span<const std::string_view> extensions) {
  QStringList patterns;
  for (std::string_view extension : extensions)
    patterns << "*" +
                    QString::fromLatin1(extension.data(), static_cast<qsizetype>(extension.size()));
  return patterns.join(' ');
}

QString QtFilter(const char* name, std::span<const std::string_view> extensions) {
  return QString::fromLatin1(name) + " (" + Patterns(extensions) + ")";
}

// The extension as the platform's file-name routines take it: from the last dot after the last
// path separator, empty without one.
std::u16string_view ExtensionOf(std::u16string_view file_name) {
  const size_t dot = file_name.find_last_of(u"./");
  return dot == std::u16string_view::npos || file_name[dot] != u'.' ? std::u16string_view()
                                                                    : file_name.substr(dot);
}

std::optional<std::string> ChosenFile(QFileDialog& dialog) {
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().front().toStdString();
}

}  // namespace

QStringList OpenDialogFilters() {
  QStringList filters;
  std::vector<std::string_view> all;
  for (const TFormatFilter& filter : FormatFilters()) {
    filters << QtFilter(filter.name, filter.extensions);
    all.insert(all.end(), filter.extensions.begin(), filter.extensions.end());
  }
  filters << QtFilter("All Image Files", all);
  return filters;
}

QStringList SaveDialogFilters() {
  QStringList filters;
  for (const TFormatFilter& filter : FormatFilters())
    filters << QtFilter(filter.name, std::span(filter.extensions).first(1));
  return filters;
}

int SaveFilterFor(const std::u16string& last_file_name) {
  const std::u16string_view extension = ExtensionOf(last_file_name);
  const auto& filters = FormatFilters();
  for (size_t i = 0; i < filters.size(); ++i)
    for (std::string_view known : filters[i].extensions)
      if (extension == std::u16string(known.begin(), known.end())) return static_cast<int>(i) + 1;
  return static_cast<int>(filters.size());
}

std::string SaveNameFor(const std::string& typed, int filter) {
  return typed + std::string(FormatFilters().at(static_cast<size_t>(filter - 1)).extensions[0]);
}

std::optional<std::string> AskFileToOpen(QWidget* parent) {
  QFileDialog dialog(parent);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  const QStringList filters = OpenDialogFilters();
  dialog.setNameFilters(filters);
  dialog.selectNameFilter(filters[kOpenDialogAllImagesFilter - 1]);
  return ChosenFile(dialog);
}

std::optional<std::string> AskFileToSave(QWidget* parent, const std::u16string& last_file_name) {
  QFileDialog dialog(parent);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  // The name is taken as typed, with no question about a file of that name.
  dialog.setOption(QFileDialog::DontConfirmOverwrite);
  const QStringList filters = SaveDialogFilters();
  dialog.setNameFilters(filters);
  dialog.selectNameFilter(filters[SaveFilterFor(last_file_name) - 1]);
  const std::optional<std::string> typed = ChosenFile(dialog);
  if (!typed) return std::nullopt;
  return SaveNameFor(*typed, static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1);
}

}  // namespace pictavo
