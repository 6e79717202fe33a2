#pragma once
// The metadata pane's commands on the main window: editing, adding, removing and discarding the
// shown image's EXIF and IPTC attributes, and the IPTC file-info import and export. Each change
// goes into the image control and is written back into the shown file at once. The pane also
// switches the two lists with their tabs, opens the command menu below its caption, sorts a list
// by a clicked column and edits a double-clicked row.
#include <QString>
#include <QStringList>
#include <cstdint>

#include "app/metadata/metadata_service.h"
#include "app/metadata/pane_service.h"
#include "app/metadata/pane_state.h"

namespace shell {
class MainWindow;
}

namespace metadata {

class MetadataPane final : public MetadataService, public IptcListPane {
 public:
  // Commands do nothing until Attach.
  MetadataPane() = default;
  // Wires the pane's controls of `window`, which must outlive the pane's use.
  void Attach(shell::MainWindow* window);

  void subInitMetadataTables() override;
  void ReadFileEXIFInfo(plat::com::ControlHost* imageControl, QTreeWidget* list,
                        const QString& path) override;
  void ReadFileIPTCInfo(plat::com::ControlHost* imageControl, QTreeWidget* list,
                        const QString& path) override;
  void cmdEXIFBar_Click(int16_t index) override;
  void cmdIPTCBar_Click(int16_t index) override;

  void subUpdateIPTC_Keywords(const QStringList& keywords) override;
  void subUpdateIPTC_Category(const QStringList& categories, const QString& urgency) override;

  // The active tab: 0 EXIF, 1 IPTC.
  void tbsMetadata_Click(int index);
  void lblMetadata_Click();

  void subEditAttribute();
  void subAddExifAttribute();
  void subDeleteAttribute();
  void subClearAllAttributes();
  void subImportFileInfo();
  void subExportFileInfo();
  void subOpenExifSet();
  void subSaveExifSet();

 private:
  QString ShownPath() const;
  QString ControlPath() const;
  void EditInDialog();
  void DeleteIptc();
  void RewriteIptcList(const QString& shown);

  PaneService reader_;
  shell::MainWindow* w_ = nullptr;
};

}  // namespace metadata
