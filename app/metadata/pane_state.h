#pragma once
// What the metadata pane shares with its dialogs: the attribute a dialog edits or adds, and the
// pane's rewrite of the IPTC lists that the list editors hand their result to on OK.
#include <QString>
#include <QStringList>

namespace metadata {

// The attribute under edit. The pane fills the name and value before it shows a dialog and reads
// all three afterwards; a dialog closed through its frame leaves them as they were.
struct PaneState {
  QString gstrAttributeName;
  QString gstrAttributeValue;
  // True when the dialog's OK returned a new value.
  bool gbAttributeOK = false;
};

// The program's one pane state.
extern PaneState gPaneState;

// The pane's rewrite of an IPTC list: replaces the list in the image, writes the file and updates
// the row.
class IptcListPane {
 public:
  virtual ~IptcListPane() = default;
  virtual void subUpdateIPTC_Keywords(const QStringList& keywords) = 0;
  // `urgency` is the text the dialog shows: "1" to "8", or "None" for no urgency.
  virtual void subUpdateIPTC_Category(const QStringList& categories, const QString& urgency) = 0;
};

}  // namespace metadata
