#pragma once
// The data source manager on SANE: the manager opens and closes the SANE library, lists its
// devices as sources, lets the user choose one, and opens the chosen device as a TSaneSource
// that answers every call addressed to the source.
#include <memory>
#include <string>
#include <vector>

#include "platform/scan/sane_source.h"
#include "platform/scan/source_manager.h"

namespace plat::scan {

class TSaneSourceManager : public TSourceManager {
 public:
  ~TSaneSourceManager() override;
  TW_UINT16 Entry(TW_IDENTITY* origin, TW_IDENTITY* destination, TW_UINT32 group,
                  TW_UINT16 data_type, TW_UINT16 message, void* data) override;

  // A source as listed: its identity and the SANE device name behind it, which may be longer
  // than an identity's 33 characters.
  struct TListedSource {
    TW_IDENTITY identity{};
    std::string device;
  };

 private:
  TW_UINT16 OpenManager(QObject* parent);
  TW_UINT16 CloseManager();
  TW_UINT16 Identity(TW_UINT16 message, TW_IDENTITY& identity);
  TW_UINT16 OpenSource(const TW_IDENTITY& identity);
  TW_UINT16 ToSource(TW_UINT32 group, TW_UINT16 data_type, TW_UINT16 message, void* data);
  void ListSources();

  bool open_ = false;
  QObject* parent_ = nullptr;
  std::vector<TListedSource> sources_;
  size_t next_ = 0;
  int default_index_ = 0;
  std::unique_ptr<TSaneSource> source_;
  TW_UINT32 source_id_ = 0;
};

// Identities for SANE's devices, in their order: ProductName the vendor and model, made unique
// with the device name where two would be equal; Manufacturer the vendor; ProductFamily the type.
std::vector<TSaneSourceManager::TListedSource> ListedSources(const SANE_Device* const* devices);

// The backend LoadSourceManager uses unless another is installed.
TSourceManagerFactory SaneSourceManagerFactory();

}  // namespace plat::scan
