#include "platform/scan/sane_source_manager.h"

#include <QStringList>
#include <algorithm>
#include <cstring>
#include <map>

#include "platform/scan/sane_dialogs.h"

namespace plat::scan {

namespace {

constexpr size_t kNameLength = sizeof(TW_STR32) - 1;
// A device name longer than this leaves too little of the product's name beside it.
constexpr size_t kLongestDeviceSuffix = 16;

void CopyName(TW_STR32& field, const std::string& text) {
  std::memset(field, 0, sizeof field);
  std::memcpy(field, text.data(), std::min(text.size(), kNameLength));
}

std::string NameOf(const TW_STR32& field) {
  return std::string(field, strnlen(field, sizeof field));
}

std::string Text(const char* text) {
  return text ? text : "";
}

// SANE may be opened by several managers at once (one per control); it starts with the first
// and ends with the last.
int& SaneUsers() {
  static int users = 0;
  return users;
}

}  // namespace

std::vector<TSaneSourceManager::TListedSource> ListedSources(const SANE_Device* const* devices) {
  std::vector<TSaneSourceManager::TListedSource> sources;
  std::map<std::string, int> labels;
  for (size_t i = 0; devices && devices[i]; ++i) {
    const SANE_Device& d = *devices[i];
    TSaneSourceManager::TListedSource source;
    source.device = Text(d.name);
    TW_IDENTITY& id = source.identity;
    id.Id = static_cast<TW_UINT32>(i + 1);
    id.Version.MajorNum = 1;
    id.ProtocolMajor = 1;
    id.ProtocolMinor = 9;
    id.SupportedGroups = DG_CONTROL | DG_IMAGE;
    CopyName(id.Manufacturer, Text(d.vendor));
    CopyName(id.ProductFamily, Text(d.type));
    const std::string label = Text(d.vendor) + " " + Text(d.model);
    CopyName(id.ProductName, label);
    ++labels[NameOf(id.ProductName)];
    sources.push_back(std::move(source));
  }
  for (size_t i = 0; i < sources.size(); ++i) {
    TW_IDENTITY& id = sources[i].identity;
    if (labels[NameOf(id.ProductName)] < 2) continue;
    const std::string& device = sources[i].device;
    const std::string suffix =
        device.size() <= kLongestDeviceSuffix ? " " + device : " #" + std::to_string(i + 1);
    const std::string label = NameOf(id.ProductName).substr(0, kNameLength - suffix.size());
    CopyName(id.ProductName, label + suffix);
  }
  return sources;
}

TSaneSourceManager::~TSaneSourceManager() {
  CloseManager();
}

TW_UINT16 TSaneSourceManager::OpenManager(QObject* parent) {
  if (open_) return TWRC_FAILURE;
  if (SaneUsers() == 0 && sane_init(nullptr, nullptr) != SANE_STATUS_GOOD) return TWRC_FAILURE;
  ++SaneUsers();
  open_ = true;
  parent_ = parent;
  return TWRC_SUCCESS;
}

TW_UINT16 TSaneSourceManager::CloseManager() {
  if (!open_) return TWRC_FAILURE;
  source_.reset();
  open_ = false;
  if (--SaneUsers() == 0) sane_exit();
  return TWRC_SUCCESS;
}

void TSaneSourceManager::ListSources() {
  // SANE is not asked for its devices while a page is read: the list as it was serves.
  if (source_ && source_->Reading()) return;
  const SANE_Device** devices = nullptr;
  if (sane_get_devices(&devices, SANE_FALSE) != SANE_STATUS_GOOD) devices = nullptr;
  sources_ = ListedSources(devices);
}

TW_UINT16 TSaneSourceManager::Identity(TW_UINT16 message, TW_IDENTITY& identity) {
  switch (message) {
    case MSG_GETFIRST:
      ListSources();
      next_ = 0;
      [[fallthrough]];
    case MSG_GETNEXT:
      if (next_ >= sources_.size()) return TWRC_ENDOFLIST;
      identity = sources_[next_++].identity;
      return TWRC_SUCCESS;
    case MSG_USERSELECT: {
      ListSources();
      QStringList names;
      for (const TListedSource& s : sources_)
        names << QString::fromStdString(NameOf(s.identity.ProductName));
      const int chosen = ChooseSourceDialog(names, default_index_, nullptr);
      if (chosen < 0) return TWRC_CANCEL;
      default_index_ = chosen;
      identity = sources_[static_cast<size_t>(chosen)].identity;
      return TWRC_SUCCESS;
    }
    case MSG_OPENDS:
      return OpenSource(identity);
    case MSG_CLOSEDS:
      if (!source_) return TWRC_FAILURE;
      source_.reset();
      return TWRC_SUCCESS;
    default:
      return TWRC_FAILURE;
  }
}

TW_UINT16 TSaneSourceManager::OpenSource(const TW_IDENTITY& identity) {
  if (source_) return TWRC_FAILURE;
  // The identity must still name the listed source of its Id: the list may have changed.
  const auto listed = std::find_if(sources_.begin(), sources_.end(), [&](const TListedSource& s) {
    return s.identity.Id == identity.Id &&
           NameOf(s.identity.ProductName) == NameOf(identity.ProductName);
  });
  if (listed == sources_.end()) return TWRC_FAILURE;
  source_ = TSaneSource::Open(listed->device, NameOf(listed->identity.ProductName), parent_);
  if (!source_) return TWRC_FAILURE;
  source_id_ = identity.Id;
  default_index_ = static_cast<int>(listed - sources_.begin());
  return TWRC_SUCCESS;
}

TW_UINT16 TSaneSourceManager::ToSource(TW_UINT32 group, TW_UINT16 data_type, TW_UINT16 message,
                                       void* data) {
  if (group == DG_IMAGE && data_type == DAT_IMAGELAYOUT)
    return source_->Layout(message, *static_cast<TW_IMAGELAYOUT*>(data));
  if (group == DG_IMAGE && data_type == DAT_IMAGENATIVEXFER && message == MSG_GET)
    return source_->NativeTransfer(*static_cast<TW_HANDLE*>(data));
  if (group != DG_CONTROL) return TWRC_FAILURE;
  switch (data_type) {
    case DAT_CAPABILITY:
      return source_->Capability(message, *static_cast<TW_CAPABILITY*>(data));
    case DAT_USERINTERFACE:
      if (message == MSG_ENABLEDS) return source_->Enable(*static_cast<TW_USERINTERFACE*>(data));
      return message == MSG_DISABLEDS ? source_->Disable() : TWRC_FAILURE;
    case DAT_EVENT:
      if (message != MSG_PROCESSEVENT) return TWRC_FAILURE;
      return source_->ProcessEvent(*static_cast<TW_EVENT*>(data));
    case DAT_PENDINGXFERS: {
      auto& pending = *static_cast<TW_PENDINGXFERS*>(data);
      if (message == MSG_ENDXFER) return source_->EndTransfer(pending);
      return message == MSG_RESET ? source_->ResetTransfers(pending) : TWRC_FAILURE;
    }
    default:
      return TWRC_FAILURE;
  }
}

TW_UINT16 TSaneSourceManager::Entry(TW_IDENTITY*, TW_IDENTITY* destination, TW_UINT32 group,
                                    TW_UINT16 data_type, TW_UINT16 message, void* data) {
  if (group == DG_CONTROL && data_type == DAT_PARENT) {
    if (message == MSG_OPENDSM) return OpenManager(static_cast<QObject*>(data));
    return message == MSG_CLOSEDSM ? CloseManager() : TWRC_FAILURE;
  }
  if (!open_ || !data) return TWRC_FAILURE;
  if (group == DG_CONTROL && data_type == DAT_IDENTITY)
    return Identity(message, *static_cast<TW_IDENTITY*>(data));
  if (!destination || !source_ || destination->Id != source_id_) return TWRC_FAILURE;
  return ToSource(group, data_type, message, data);
}

TSourceManagerFactory SaneSourceManagerFactory() {
  return [] { return std::make_unique<TSaneSourceManager>(); };
}

}  // namespace plat::scan
