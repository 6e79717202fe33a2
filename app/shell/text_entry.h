#pragma once
// Entry rules for numeric text boxes, the shell's default action, the end of a drag over the
// viewer and full-row selection of list views.
#include <QString>
#include <cstdint>

class QAbstractItemView;
class QLineEdit;

namespace shell {

inline constexpr int16_t kNoExtraKey = -1;

// Digits, backspace and extra pass; any other key code becomes 0 (dropped).
void subNumericKeyFilter(int16_t& keyCode, int16_t extra);
// Applies the filter to every character typed or pasted into box.
void InstallNumericKeyFilter(QLineEdit* box, int16_t extra);
// The caret goes after the last character, nothing selected.
void subSelectAllText(QLineEdit* box);
// An empty box gets defaultText, selected, so the next key replaces it.
void subSelectAllControlText(QLineEdit* box, const QString& defaultText);
// Forces the box's value into minimum..maximum; a value that is no 16-bit number becomes maximum.
void subClampControlValue(QLineEdit* box, int16_t minimum, int16_t maximum);
// Opens a document in its program or a web address in the browser.
void subOpenWithShell(const QString& target);
// Puts the mouse pointer back to the default, ending an hourglass.
void subEndPan();
// Full-row selection on or off; false (with a message when showErrors) when it cannot be set.
bool fncListViewFullRowSelect(QAbstractItemView* listView, bool fullRow, bool showErrors);

}  // namespace shell
