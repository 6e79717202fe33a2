#include "app/metadata/metadata_lists.h"

#include <QApplication>
#include <QStyle>
#include <QTreeWidget>
#include <QVariant>
#include <functional>
#include <optional>

#include "app/browse/row_tag.h"
#include "app/metadata/control_text.h"
#include "app/metadata/exif_interpret.h"
#include "app/metadata/iptc_fields.h"
#include "app/metadata/metadata_dates.h"
#include "app/metadata/metadata_tables.h"
#include "app/shell/errors.h"
#include "control/activex/imagebox_interface.h"
#include "platform/com/control_host.h"
#include "platform/com/errorinfo.h"

namespace metadata {

namespace {

using pictavo::ax::ImageBoxProxy;
using shell::Activity;
using shell::Routine;

constexpr char kListTag[] = "Tag";
constexpr int kKeyRole = browse::kRowTagRole + 1;
constexpr int kIconRole = browse::kRowTagRole + 2;
constexpr int kEditableIcon = 1;

QIcon EditableIcon() {
  return QApplication::style()->standardIcon(QStyle::SP_FileDialogDetailedView);
}

// Sets the list's path and tells whether there is an image to list.
bool StartList(plat::com::ControlHost* control, QTreeWidget* list, const QString& path) {
  if (!plat::com::IsTrue(Box(control).get_ImageLoaded())) return false;
  SetListTag(list, path);
  return true;
}

QString ExifValueText(const ImageBoxProxy& box, const QString& name, int32_t index) {
  const QString raw = Text(box.get_ExifValueByIndex(index));
  if (fncIsEXIFDateAttribute(name)) return ShownExifDate(box.ExifStringToDate(Arg(raw.trimmed())));
  const QString readable = fncEXIFInterpret(name, raw);
  return readable.isEmpty() ? raw : readable;
}

// One attribute's row. A control failure for it ends only this attribute.
void AddExifRow(const ImageBoxProxy& box, QTreeWidget* list, int32_t index) {
  try {
    const QString name = Text(box.get_ExifName(index));
    const bool editable = fncIsUserEditableEXIF(name);
    // A second row for an editable name would repeat its key: it gets no row.
    if (editable && KeyInUse(list, name)) return;
    MetadataRow row =
        editable ? MetadataRow::Add(list, name, name, kEditableIcon) : MetadataRow::Add(list, name);
    row.SetTag(name);
    row.SetValue(ExifValueText(box, name, index));
    const QString shown = fncFormattedAttributed(name);
    row.SetText(shown.isEmpty() ? name : shown);
  } catch (const plat::com::EOleException&) {
  }
}

QString JoinedList(const std::function<int32_t()>& count,
                   const std::function<QString(int32_t)>& item) {
  QString joined;
  // The count is read again on each step, as the list may change under a slow control.
  for (int32_t i = 0; i < count(); ++i) {
    joined += item(i);
    if (i < count() - 1) joined += u',';
  }
  return joined;
}

QString IptcValueText(const ImageBoxProxy& box, const IptcField& field) {
  switch (field.kind) {
    case IptcKind::Text:
      return field.readText(box);
    case IptcKind::Date:
      return ShownShortDate(field.readDate(box));
    case IptcKind::Keywords:
      return JoinedList([&] { return box.get_FFO_KeywordsCount(); },
                        [&](int32_t i) { return Text(box.get_FFO_Keywords(i)); });
    case IptcKind::SupplementalCategories:
      return JoinedList([&] { return box.get_FFO_SuppCatCount(); },
                        [&](int32_t i) { return Text(box.get_FFO_SuppCat(i)); });
  }
  return {};
}

}  // namespace

MetadataRow MetadataRow::Add(QTreeWidget* list, const QString& text, const QString& key, int icon) {
  auto* item = new QTreeWidgetItem(list, {text, QString()});
  if (!key.isEmpty()) item->setData(0, kKeyRole, key);
  if (icon != 0) {
    item->setData(0, kIconRole, icon);
    item->setIcon(0, EditableIcon());
  }
  return MetadataRow(item);
}

QString MetadataRow::Text() const {
  return item_->text(0);
}
void MetadataRow::SetText(const QString& text) {
  item_->setText(0, text);
}
QString MetadataRow::Value() const {
  return item_->text(1);
}
void MetadataRow::SetValue(const QString& value) {
  item_->setText(1, value);
}
QString MetadataRow::Tag() const {
  return item_->data(0, browse::kRowTagRole).toString();
}
void MetadataRow::SetTag(const QString& tag) {
  item_->setData(0, browse::kRowTagRole, tag);
}
QString MetadataRow::Key() const {
  return item_->data(0, kKeyRole).toString();
}
int MetadataRow::Icon() const {
  return item_->data(0, kIconRole).toInt();
}

QString ListTag(const QTreeWidget* list) {
  return list->property(kListTag).toString();
}

void SetListTag(QTreeWidget* list, const QString& path) {
  list->setProperty(kListTag, path);
}

bool KeyInUse(const QTreeWidget* list, const QString& key) {
  for (int i = 0; i < list->topLevelItemCount(); ++i)
    if (MetadataRow(list->topLevelItem(i)).Key() == key) return true;
  return false;
}

void ReadFileEXIFInfo(plat::com::ControlHost* control, QTreeWidget* list, const QString& path) {
  shell::Trap(Routine::modMetadata_ReadFileEXIFInfo, [&] {
    shell::SetActivity(Activity::ReadingExif);
    if (!StartList(control, list, path)) return;
    const ImageBoxProxy box = Box(control);
    const int32_t count = box.get_ExifCount();
    for (int32_t i = 0; i < count; ++i) AddExifRow(box, list, i);
  });
}

void ReadFileIPTCInfo(plat::com::ControlHost* control, QTreeWidget* list, const QString& path) {
  shell::Trap(Routine::modMetadata_ReadFileIPTCInfo, [&] {
    shell::SetActivity(Activity::ReadingIptc);
    if (!StartList(control, list, path)) return;
    const ImageBoxProxy box = Box(control);
    for (const IptcField& field : IptcFields()) {
      if (!field.listed) continue;
      MetadataRow row = MetadataRow::Add(list, QString::fromLatin1(field.label), {}, kEditableIcon);
      row.SetValue(IptcValueText(box, field));
    }
  });
}

bool fncIsAttributeNotListed(const QTreeWidget* list, const QString& name) {
  return !KeyInUse(list, name);
}

}  // namespace metadata
