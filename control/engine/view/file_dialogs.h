#pragma once
// The open and save dialogs of the view control: the image formats it offers, which filter a
// save dialog starts with, and the name a save then uses. The dialogs are Qt's own widgets (not
// the desktop's), so they look the same everywhere and tests can answer them.
#include <QStringList>
#include <optional>
#include <string>

class QWidget;

namespace pictavo {

// "Bitmap Files (*.bmp)", ... eight formats and then "All Image Files" with every pattern.
QStringList OpenDialogFilters();
inline constexpr int kOpenDialogAllImagesFilter = 9;
// The eight formats with the one extension each a save appends.
QStringList SaveDialogFilters();

// The save filter (1-based) for the extension of last_file_name, compared exactly as typed;
// TIFF for anything the other filters do not list, upper-case extensions included.
int SaveFilterFor(const std::u16string& last_file_name);
// typed with the extension of save filter (1-based) appended, whatever it already ends in.
std::string SaveNameFor(const std::string& typed, int filter);

// The file the user picked in an open dialog; nothing when cancelled.
std::optional<std::string> AskFileToOpen(QWidget* parent);
// The name a save dialog started from last_file_name ends with: typed name and filter extension.
std::optional<std::string> AskFileToSave(QWidget* parent, const std::u16string& last_file_name);

}  // namespace pictavo
