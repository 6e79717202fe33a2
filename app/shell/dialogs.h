#pragma once
// Thin layers over the standard dialogs that every window shares: open and save file dialogs
// whose settings and results live in globals, the colour chooser that remembers its colours for
// the whole run, the folder picker, and the list of installed font families.
#include <QColor>
#include <QString>
#include <cstdint>
#include <vector>

class QComboBox;
class QWidget;

namespace shell {

// ---- file dialogs: a caller fills the settings, calls a dialog, reads the results.
extern QWidget* glDlgOwner;       // owner window; none unless a caller sets one
extern QString gstrDlgFilter;     // "Name|pattern|Name|pattern", patterns joined by ";"
extern int32_t glDlgFilterIndex;  // 1-based filter in use (0: the first); written back on OK
extern QString gstrDlgFileName;   // chosen path; left as it was when cancelled
extern QString gstrDlgFileTitle;  // chosen name without its folder
extern QString gstrDlgInitDir;    // starting folder; empty leaves it to the dialog
extern QString gstrDlgTitle;      // dialog title
extern int32_t glDlgFlags;        // callers pass 5; there is no read-only box to show or hide

void subShowOpenDialog();
void subShowSaveDialog();

// One entry of a "Name|*.a;*.b|..." filter text as a file dialog takes it.
struct NamedFilter {
  QString name;      // what the list shows
  QString filter;    // the name with its patterns in brackets, which the dialog hides
  QString patterns;  // the entry's patterns as the text gave them, joined by ";"
};

std::vector<NamedFilter> NameFilters(const QString& filter);
// The 1-based place of the filter a dialog reports, which it gives with or without patterns;
// 0 when it is none of them.
int32_t FilterIndex(const std::vector<NamedFilter>& filters, const QString& selected);

// ---- colour chooser

struct ColorChoice {
  int32_t Colour = 0;  // 0x00BBGGRR
  bool Cancelled = false;
};

// Shows the colour dialog on the colour chosen last, with the custom colours of this run, centred
// over owner (or the screen). Cancel gives Cancelled and Colour 0.
ColorChoice fncChooseColor(QWidget* owner, bool centreOnOwner);

// An OLE colour (0x00BBGGRR, or 0x80000000 + n for system colour n) as a colour on screen.
QColor OleColourToQColor(int32_t colour);
int32_t QColorToOleColour(const QColor& colour);

// ---- folder picker

// The folder chosen under prompt, starting at the folder subBrowseToTextBox gives; empty when
// cancelled or on error.
QString Folder_Browse(QWidget* owner, const QString& prompt, int32_t flags);
// The destination folder picker, opened on startFolder; empty when cancelled or blank.
QString subBrowseToTextBox(QWidget* form, const QString& startFolder);

// ---- fonts

// Fills combo with the installed font families in a stable order, showing the first; false and a
// message when none can be listed.
bool fncFillFontCombo(QComboBox* combo, bool families);

}  // namespace shell
