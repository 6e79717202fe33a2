#pragma once
// The two lists of the metadata pane, filled from an image control. An EXIF row shows the
// attribute's display name and readable value and keeps the raw name as its tag; the eleven
// attributes a user may edit also carry it as their key, with the edit icon. An IPTC row is
// known by its label. Each list's "Tag" property holds the path of the file it shows.
#include <QString>

class QTreeWidget;
class QTreeWidgetItem;
namespace plat::com {
class ControlHost;
}

namespace metadata {

// One row of a metadata list, over the list's item.
class MetadataRow {
 public:
  // Appends a row; `key` must not be in use (see KeyInUse).
  static MetadataRow Add(QTreeWidget* list, const QString& text, const QString& key = {},
                         int icon = 0);
  explicit MetadataRow(QTreeWidgetItem* item) : item_(item) {}

  QString Text() const;
  void SetText(const QString& text);
  QString Value() const;
  void SetValue(const QString& value);
  QString Tag() const;
  void SetTag(const QString& tag);
  QString Key() const;
  // 1 for an editable row, 0 for none.
  int Icon() const;
  QTreeWidgetItem* Item() const { return item_; }

 private:
  QTreeWidgetItem* item_;
};

// The path of the file the list shows.
QString ListTag(const QTreeWidget* list);
void SetListTag(QTreeWidget* list, const QString& path);
bool KeyInUse(const QTreeWidget* list, const QString& key);

// Appends the EXIF attributes of the control's image, in the control's order.
void ReadFileEXIFInfo(plat::com::ControlHost* control, QTreeWidget* list, const QString& path);
// Appends the 52 IPTC rows.
void ReadFileIPTCInfo(plat::com::ControlHost* control, QTreeWidget* list, const QString& path);
// True for an empty list or when no row's key is exactly `name`.
bool fncIsAttributeNotListed(const QTreeWidget* list, const QString& name);

}  // namespace metadata
