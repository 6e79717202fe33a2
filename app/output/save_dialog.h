#pragma once
// The save dialog of the shown image: the desktop's save dialog with the format option form below
// its own controls. Choosing a file type shows that format's options, drops the typed name's old
// extension and makes the type's extension the default; the path returned always carries an
// extension the save knows.
#include <QString>

namespace output {

class frmSaveDialogExtensionAllFormats;

// The chosen path, or an empty text when the user cancels. `filter` is "Name|*.a;*.b|...";
// `filterIndex` is 1-based, 0 meaning the first entry. The option form lives in the dialog while
// it is open and goes back to its former parent, hidden, afterwards. With singlePage the
// append-mode lists stay hidden.
QString fncShowSaveDialogEx(const QString& initialName, const QString& filter, int filterIndex,
                            const QString& title, frmSaveDialogExtensionAllFormats& optionForm,
                            bool singlePage);

// The typed name once another type is chosen: a name longer than 4 characters loses everything
// from the first "." among its last five characters.
QString NameForNewType(const QString& typed);

// The first pattern of a filter entry's patterns ("*.jpg;*.jpeg" gives "*.jpg").
QString FirstPattern(const QString& patterns);

// Shows the panel the pattern's format takes, after hiding every panel.
void ShowPanelOfPattern(frmSaveDialogExtensionAllFormats& optionForm, const QString& pattern);

// The path as the save takes it: unchanged when its extension (the text after the last ".") is
// one the save writes, in any letter case; otherwise with ".tif" appended.
QString WithSupportedExtension(const QString& path);

}  // namespace output
