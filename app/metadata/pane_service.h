#pragma once
// The reading half of the metadata subsystem: fills the metadata pane's lists when the viewer
// shows a file. Its commands do nothing; MetadataPane (what main.cpp installs) adds them.
#include "app/metadata/metadata_service.h"

namespace metadata {

class PaneService final : public MetadataService {
 public:
  void subInitMetadataTables() override;
  void ReadFileEXIFInfo(plat::com::ControlHost* imageControl, QTreeWidget* list,
                        const QString& path) override;
  // For a PSD file, first copies the file's IPTC into the control: the viewer shows a PSD
  // through the picture loader, which carries none.
  void ReadFileIPTCInfo(plat::com::ControlHost* imageControl, QTreeWidget* list,
                        const QString& path) override;
  void cmdEXIFBar_Click(int16_t index) override;
  void cmdIPTCBar_Click(int16_t index) override;
  bool PaneCommandsReady() const override { return false; }
};

}  // namespace metadata
