#include "app/metadata/exif_set_file.h"

#include <QApplication>
#include <QFile>
#include <QTreeWidget>

#include "app/metadata/exif_interpret.h"
#include "app/metadata/metadata_lists.h"
#include "app/metadata/metadata_write.h"
#include "app/shell/dialogs.h"
#include "app/shell/errors.h"
#include "app/shell/ui_service.h"
#include "control/activex/imagebox_interface.h"
#include "platform/com/control_host.h"

namespace metadata {

namespace {

using shell::Routine;

void Tell(const QString& text, shell::MessageIcon icon) {
  shell::Ui().Message(text, QApplication::applicationName(), icon);
}

void ShowRead(QTreeWidget* lvExif, const QString& attribute, const QString& value) {
  for (int i = 0; i < lvExif->topLevelItemCount(); ++i) {
    MetadataRow row(lvExif->topLevelItem(i));
    if (row.Key().compare(attribute, Qt::CaseInsensitive) == 0) {
      row.SetValue(value);
      return;
    }
  }
  const QString shown = fncFormattedAttributed(attribute.trimmed());
  MetadataRow row = MetadataRow::Add(lvExif, shown.isEmpty() ? attribute : shown, attribute, 1);
  row.SetTag(attribute);
  row.SetValue(value);
}

}  // namespace

QString AskForFile(const QString& title, const QString& filter, void (*show)()) {
  shell::gstrDlgTitle = title;
  shell::gstrDlgFilter = filter;
  shell::gstrDlgFileName.clear();
  shell::glDlgFlags = 5;
  show();
  return shell::gstrDlgFileName;
}

void clsFileEXIF::ReadEXIF(QString& attribute, QString& value) {
  const QStringList fields = file_.readRecord(2);
  attribute = fields[0];
  value = fields[1];
}

bool fncSaveEXIF(QTreeWidget* lvExif, plat::com::ControlHost* control) {
  return shell::Trap(Routine::modMetadata_fncSaveEXIF, [&] {
    const pictavo::ax::ImageBoxProxy box(control->Dispatch());
    if (lvExif->topLevelItemCount() == 0 || !plat::com::IsTrue(box.get_ImageLoaded())) return false;
    QString path =
        AskForFile(QStringLiteral("Save EXIF Information to file"),
                   QStringLiteral("EXIF File (*.xiff)|*.xiff"), shell::subShowSaveDialog);
    if (path.isEmpty()) return false;
    if (path.right(5).toLower() != u".xiff") path += QStringLiteral(".xiff");
    clsFileEXIF file;
    bool written = file.OpenForWrite(path);
    int count = 0;
    for (int i = 0; i < lvExif->topLevelItemCount(); ++i) {
      const MetadataRow row(lvExif->topLevelItem(i));
      if (row.Key().isEmpty()) continue;
      file.WriteEXIF(row.Key(), row.Value());
      ++count;
    }
    written = file.closefile() && written;
    if (count == 0) {
      QFile::remove(path);
      Tell(QStringLiteral("There is no user editable EXIF attributes in this current image!\r\n"
                          "Either create new attribute or select another image having editable "
                          "attribute."),
           shell::MessageIcon::Information);
      return false;
    }
    if (!written) {
      Tell(QStringLiteral("The file could not be written!"), shell::MessageIcon::Error);
      return false;
    }
    return true;
  });
}

bool fncOpenEXIF(QTreeWidget* lvExif, plat::com::ControlHost* control) {
  return shell::Trap(Routine::modMetadata_fncOpenEXIF, [&] {
    if (lvExif->topLevelItemCount() > 0 &&
        shell::Ui().AskYesNoCancel(
            QStringLiteral("Loading a .xiff will only overwrite user editable EXIF attributes!\r\n"
                           "Do you want to continue?"),
            QApplication::applicationName(), shell::MessageIcon::Information) != shell::Answer::Yes)
      return false;
    const QString chosen =
        AskForFile(QStringLiteral("Open EXIF .xiff file"),
                   QStringLiteral("EXIF file (*.xiff)|*.xiff"), shell::subShowOpenDialog);
    const QString target = control->property("Tag").toString();
    if (chosen.isEmpty()) return false;
    clsFileEXIF file;
    if (!file.OpenForRead(chosen)) {
      Tell(QStringLiteral("The file could not be read!"), shell::MessageIcon::Error);
      return false;
    }
    while (!file.fEof()) {
      QString attribute;
      QString value;
      file.ReadEXIF(attribute, value);
      if (fncUpdateAttribute(target, kExifKind, attribute, value, control))
        ShowRead(lvExif, attribute, value);
    }
    file.closefile();
    return true;
  });
}

}  // namespace metadata
