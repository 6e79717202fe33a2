#include "app/metadata/metadata_write.h"

#include <QFileInfo>
#include <QTreeWidget>
#include <optional>

#include "app/metadata/control_text.h"
#include "app/metadata/iptc_fields.h"
#include "app/metadata/metadata_dates.h"
#include "app/metadata/metadata_lists.h"
#include "app/metadata/metadata_rewrite.h"
#include "app/metadata/metadata_tables.h"
#include "app/shell/errors.h"
#include "app/shell/file_facts.h"
#include "control/activex/imagebox_interface.h"
#include "platform/com/control_host.h"

namespace metadata {

namespace {

using pictavo::ax::ImageBoxProxy;
using shell::Routine;

constexpr int32_t kErrTypeMismatch = 13;

// A date from the date picker comes as a number or a date; typed dates as text.
double DateOf(const QVariant& value) {
  if (value.typeId() == QMetaType::Double) return value.toDouble();
  if (const std::optional<double> date = ParseShownDate(value.toString())) return *date;
  throw shell::AppError(kErrTypeMismatch, "Type mismatch");
}

void SignWithSoftware(const ImageBoxProxy& box) {
  (void)box.ExifSetAttribute(Arg(QStringLiteral("Software")), Arg(gstrSoftwareName));
}

bool SetExif(const ImageBoxProxy& box, const QString& name, const QVariant& value) {
  QString text = value.toString();
  if (fncIsEXIFDateAttribute(name))
    text = Text(box.ExifDateToString(plat::com::DATE(DateOf(value))));
  if (!plat::com::IsTrue(box.ExifSetAttribute(Arg(name), Arg(text)))) return false;
  SignWithSoftware(box);
  return true;
}

// An emptied date field is unset: the zero date, which reads back empty and is not written.
void SetIptc(const ImageBoxProxy& box, const QString& label, const QVariant& value) {
  const IptcField* field = IptcFieldByLabel(label);
  if (!field) return;
  if (field->kind == IptcKind::Text) {
    field->writeText(box, value.toString());
  } else if (field->kind == IptcKind::Date) {
    const bool emptied =
        value.typeId() != QMetaType::Double && value.toString().trimmed().isEmpty();
    field->writeDate(box, emptied ? 0.0 : DateOf(value));
  }
}

void RemoveSelectedRow(QTreeWidget* list) {
  QTreeWidgetItem* selected = list->currentItem();
  if (!list->selectedItems().isEmpty()) selected = list->selectedItems().front();
  if (selected) delete list->takeTopLevelItem(list->indexOfTopLevelItem(selected));
}

}  // namespace

WriteBack WriteBackFor(const QString& path) {
  const QString ext = QFileInfo(path).suffix().toLower();
  if (ext == u"jpeg" || ext == u"jpg" || ext == u"jpe") return WriteBack::JpegSegments;
  if (ext == u"tif" || ext == u"tiff" || ext == u"psd") return WriteBack::InPlace;
  return WriteBack::ControlOnly;
}

void WriteMetadataBack(const QString& path, plat::com::ControlHost* control) {
  switch (WriteBackFor(path)) {
    case WriteBack::JpegSegments:
      Box(control).OverwriteMetaData(Arg(path));
      break;
    case WriteBack::InPlace:
      RewriteFileMetadata(path, control);
      break;
    case WriteBack::ControlOnly:
      break;
  }
}

bool fncUpdateAttribute(const QString& path, uint8_t kind, const QString& name,
                        const QVariant& value, plat::com::ControlHost* control) {
  return shell::Trap(Routine::modMetadata_fncUpdateAttribute, [&] {
    shell::SetActivity(shell::Activity::UpdatingMetadataAttribute);
    const ImageBoxProxy box = Box(control);
    if (kind == kExifKind) {
      if (!SetExif(box, name, value)) return false;
    } else {
      SetIptc(box, name, value);
    }
    WriteMetadataBack(path, control);
    return true;
  });
}

bool fncDeleteAttribute(const QString& name, plat::com::ControlHost* control, QTreeWidget* list) {
  return shell::Trap(Routine::modMetadata_fncDeleteAttribute, [&] {
    shell::SetActivity(shell::Activity::DeletingExifAttribute);
    const ImageBoxProxy box = Box(control);
    const QString path = ListTag(list);
    if (!plat::com::IsTrue(box.get_ImageLoaded())) box.LoadFromFile(Arg(path));
    if (!plat::com::IsTrue(box.ExifDelete(Arg(name)))) return false;
    SignWithSoftware(box);
    shell::gobjFileInfo().FilePath(path);
    WriteMetadataBack(path, control);
    RemoveSelectedRow(list);
    return true;
  });
}

bool fncDeleteIPTC_Keywords_suppCat(const QString& path, const QString& label,
                                    plat::com::ControlHost* control) {
  return shell::Trap(Routine::modMetadata_fncDeleteIPTC_Keywords_suppCat, [&] {
    const IptcField* field = IptcFieldByLabel(label);
    const ImageBoxProxy box = Box(control);
    if (field && field->kind == IptcKind::Keywords)
      box.FFO_KeywordsClear();
    else if (field && field->kind == IptcKind::SupplementalCategories)
      box.FFO_SuppCatClear();
    else
      return false;
    WriteMetadataBack(path, control);
    return true;
  });
}

}  // namespace metadata
