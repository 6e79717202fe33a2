#include "app/metadata/pane_service.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "app/metadata/control_text.h"
#include "app/metadata/metadata_lists.h"
#include "app/metadata/metadata_tables.h"
#include "app/shell/errors.h"
#include "control/activex/imagebox_interface.h"
#include "platform/com/control_host.h"

namespace metadata {

namespace {

using pictavo::ax::ImageBoxProxy;

// The file's IPTC fields, read by a control of their own, replace the control's through an
// IPTC file-info file. A file the control cannot read leaves the fields as they are.
void CopyFileIptc(plat::com::ControlHost* imageControl, const QString& path) {
  shell::IgnoreErrors([&] {
    QTemporaryDir scratch;
    if (!scratch.isValid()) return;
    plat::com::ControlHost reader;
    reader.SetControl(QString::fromUtf16(pictavo::ax::kImageBoxProgId));
    const ImageBoxProxy file(reader.Dispatch());
    file.LoadFromFile(Arg(path));
    const QString info = scratch.filePath(QStringLiteral("fields.ffo"));
    file.FFO_Save(Arg(info));
    ImageBoxProxy(imageControl->Dispatch()).FFO_Load(Arg(info));
  });
}

}  // namespace

void PaneService::subInitMetadataTables() {
  metadata::subInitMetadataTables();
}

void PaneService::ReadFileEXIFInfo(plat::com::ControlHost* imageControl, QTreeWidget* list,
                                   const QString& path) {
  metadata::ReadFileEXIFInfo(imageControl, list, path);
}

void PaneService::ReadFileIPTCInfo(plat::com::ControlHost* imageControl, QTreeWidget* list,
                                   const QString& path) {
  if (QFileInfo(path).suffix().compare(u"psd", Qt::CaseInsensitive) == 0)
    CopyFileIptc(imageControl, path);
  metadata::ReadFileIPTCInfo(imageControl, list, path);
}

// Reading only: the program installs MetadataPane, which adds the commands.
void PaneService::cmdEXIFBar_Click(int16_t) {}
void PaneService::cmdIPTCBar_Click(int16_t) {}

}  // namespace metadata
