#pragma once
// What the main window asks of the metadata subsystem (EXIF and IPTC). The subsystem installs its
// implementation at start-up; until one is installed the metadata lists stay empty and their
// command buttons are disabled.
#include <QString>
#include <cstdint>

class QTreeWidget;
namespace plat::com {
class ControlHost;
}

namespace metadata {

class MetadataService {
 public:
  virtual ~MetadataService() = default;
  // Names the program in written tags and fills the attribute-name tables; called once at set-up.
  virtual void subInitMetadataTables() = 0;
  // Lists the EXIF attributes of the image the control holds; the list's data keeps `path`.
  virtual void ReadFileEXIFInfo(plat::com::ControlHost* imageControl, QTreeWidget* list,
                                const QString& path) = 0;
  virtual void ReadFileIPTCInfo(plat::com::ControlHost* imageControl, QTreeWidget* list,
                                const QString& path) = 0;
  // 0 edit, 1 create, 2 remove, 3 discard all, 4 import (.xiff), 5 export.
  virtual void cmdEXIFBar_Click(int16_t index) = 0;
  // 0 edit, 1 import (.ffo), 2 export, 3 remove, 4 discard all.
  virtual void cmdIPTCBar_Click(int16_t index) = 0;
  // False while the two command entries above do nothing: the bar buttons stay disabled.
  virtual bool PaneCommandsReady() const { return true; }
};

// The installed implementation, or null while none is.
MetadataService* Metadata();
// Installs an implementation (null removes it); the caller keeps ownership.
void SetMetadataService(MetadataService* service);

}  // namespace metadata
