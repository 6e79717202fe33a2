#pragma once
// A scripted data source manager: a list of sources, capability replies, a feeder of native
// transfers and the source messages to post once a source is enabled. Every call is written
// to a log the tests compare with the sequence they expect.
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/graphics/handles.h"
#include "platform/scan/source_manager.h"

namespace velmora_test {

using namespace plat::scan;

struct CapReply {
  uint16_t con_type = 0;
  std::vector<uint8_t> block;
};

// Container blocks as a source lays them out.
inline void PutWord(std::vector<uint8_t>& b, uint16_t v) {
  b.push_back(static_cast<uint8_t>(v));
  b.push_back(static_cast<uint8_t>(v >> 8));
}
inline void PutDWord(std::vector<uint8_t>& b, uint32_t v) {
  PutWord(b, static_cast<uint16_t>(v));
  PutWord(b, static_cast<uint16_t>(v >> 16));
}
// TW_FIX32 of a value the tests choose exactly representable.
inline uint32_t Fix(double v) {
  const auto whole = static_cast<int16_t>(v >= 0 ? static_cast<int>(v) : static_cast<int>(v) - 1);
  const auto frac = static_cast<uint16_t>((v - whole) * 65536);
  return static_cast<uint16_t>(whole) | (uint32_t{frac} << 16);
}
inline CapReply OneValue(uint16_t type, uint32_t item) {
  CapReply r{TWON_ONEVALUE, {}};
  PutWord(r.block, type);
  PutDWord(r.block, item);
  return r;
}
inline CapReply Enumeration(uint16_t type, std::vector<uint32_t> items, uint32_t current) {
  CapReply r{TWON_ENUMERATION, {}};
  PutWord(r.block, type);
  PutDWord(r.block, static_cast<uint32_t>(items.size()));
  PutDWord(r.block, current);
  PutDWord(r.block, 0);
  const bool wide = type == TWTY_FIX32 || type == TWTY_UINT32 || type == TWTY_INT32;
  for (uint32_t item : items)
    wide ? PutDWord(r.block, item) : PutWord(r.block, static_cast<uint16_t>(item));
  return r;
}
inline CapReply Range(uint16_t type, uint32_t min, uint32_t max, uint32_t step, uint32_t current) {
  CapReply r{TWON_RANGE, {}};
  PutWord(r.block, type);
  for (uint32_t v : {min, max, step, current, current}) PutDWord(r.block, v);
  return r;
}

struct Script {
  std::vector<std::string> sources;
  std::map<uint16_t, CapReply> caps;
  std::deque<std::vector<uint8_t>> feeder;  // an empty block is a failed transfer
  std::vector<uint16_t> events;             // TWMessage of each posted source message
  std::string user_choice;                  // the source the selection dialog picks
  uint16_t enable_rc = TWRC_SUCCESS;
  uint16_t closeds_rc = TWRC_SUCCESS;
  std::vector<std::string> log;

  QObject* parent = nullptr;
  std::deque<uint16_t> pending_events;
  size_t next_source = 0;
};

inline std::string Hex(uint32_t v) {
  char text[16];
  std::snprintf(text, sizeof text, "%04X", v);
  return text;
}

class ScriptedManager : public TSourceManager {
 public:
  explicit ScriptedManager(std::shared_ptr<Script> script) : s_(std::move(script)) {}

  TW_UINT16 Entry(TW_IDENTITY*, TW_IDENTITY* dest, TW_UINT32 group, TW_UINT16 dat, TW_UINT16 msg,
                  void* data) override {
    if (group == DG_IMAGE && dat == DAT_IMAGENATIVEXFER) return Transfer(data);
    if (group == DG_IMAGE && dat == DAT_IMAGELAYOUT) return Layout(msg, data);
    switch (dat) {
      case DAT_PARENT:
        Log(msg == MSG_OPENDSM ? "OPENDSM" : "CLOSEDSM");
        if (msg == MSG_OPENDSM) s_->parent = static_cast<QObject*>(data);
        return TWRC_SUCCESS;
      case DAT_IDENTITY:
        return Identity(dest, msg, static_cast<TW_IDENTITY*>(data));
      case DAT_CAPABILITY:
        return Capability(msg, static_cast<TW_CAPABILITY*>(data));
      case DAT_USERINTERFACE:
        return UserInterface(msg);
      case DAT_EVENT: {
        auto* event = static_cast<TW_EVENT*>(data);
        Log("PROCESSEVENT");
        if (s_->pending_events.empty()) return TWRC_NOTDSEVENT;
        event->TWMessage = s_->pending_events.front();
        s_->pending_events.pop_front();
        return TWRC_DSEVENT;
      }
      case DAT_PENDINGXFERS: {
        auto* pending = static_cast<TW_PENDINGXFERS*>(data);
        if (msg == MSG_RESET) s_->feeder.clear();
        pending->Count = static_cast<TW_UINT16>(s_->feeder.size());
        Log(msg == MSG_RESET ? "RESET" : "ENDXFER " + std::to_string(pending->Count));
        return TWRC_SUCCESS;
      }
      default:
        Log("? " + Hex(dat) + " " + Hex(msg));
        return TWRC_FAILURE;
    }
  }

 private:
  void Log(const std::string& entry) { s_->log.push_back(entry); }

  static TW_IDENTITY SourceIdentity(const std::string& name, size_t index) {
    TW_IDENTITY id{};
    id.Id = static_cast<TW_UINT32>(100 + index);
    std::memcpy(id.ProductName, name.data(), std::min<size_t>(name.size(), 33));
    return id;
  }

  TW_UINT16 Identity(TW_IDENTITY* dest, TW_UINT16 msg, TW_IDENTITY* id) {
    switch (msg) {
      case MSG_GETFIRST:
      case MSG_GETNEXT:
        if (msg == MSG_GETFIRST) s_->next_source = 0;
        if (s_->next_source >= s_->sources.size()) return TWRC_ENDOFLIST;
        *id = SourceIdentity(s_->sources[s_->next_source], s_->next_source);
        ++s_->next_source;
        return TWRC_SUCCESS;
      case MSG_USERSELECT: {
        Log("USERSELECT");
        for (size_t i = 0; i < s_->sources.size(); ++i)
          if (s_->sources[i] == s_->user_choice) {
            *id = SourceIdentity(s_->sources[i], i);
            return TWRC_SUCCESS;
          }
        return TWRC_CANCEL;
      }
      case MSG_OPENDS:
        Log(std::string("OPENDS ") + id->ProductName);
        return dest == nullptr ? TWRC_SUCCESS : TWRC_FAILURE;
      case MSG_CLOSEDS:
        Log("CLOSEDS");
        return s_->closeds_rc;
      default:
        return TWRC_FAILURE;
    }
  }

  TW_UINT16 Capability(TW_UINT16 msg, TW_CAPABILITY* cap) {
    if (msg == MSG_SET) {
      const auto block = plat::MemoryOfHandle(cap->hContainer);
      TW_ONEVALUE one{};
      std::memcpy(&one, block->data(), sizeof one);
      Log("SET " + Hex(cap->Cap) + "=" + Hex(one.Item));
      // A single value the source holds follows what it is set to.
      auto it = s_->caps.find(cap->Cap);
      if (it != s_->caps.end() && it->second.con_type == TWON_ONEVALUE)
        it->second = OneValue(one.ItemType, one.Item);
      return TWRC_SUCCESS;
    }
    Log("GET " + Hex(cap->Cap));
    const auto it = s_->caps.find(cap->Cap);
    if (it == s_->caps.end()) return TWRC_FAILURE;
    cap->ConType = it->second.con_type;
    cap->hContainer = plat::NewMemoryHandle(static_cast<int64_t>(it->second.block.size()));
    *plat::MemoryOfHandle(cap->hContainer) = it->second.block;
    return TWRC_SUCCESS;
  }

  TW_UINT16 UserInterface(TW_UINT16 msg) {
    Log(msg == MSG_ENABLEDS ? "ENABLEDS" : "DISABLEDS");
    if (msg != MSG_ENABLEDS || s_->enable_rc != TWRC_SUCCESS) return s_->enable_rc;
    for (uint16_t event : s_->events) {
      s_->pending_events.push_back(event);
      PostSourceMessage(s_->parent, event);
    }
    return TWRC_SUCCESS;
  }

  TW_UINT16 Transfer(void* data) {
    auto* handle = static_cast<TW_HANDLE*>(data);
    if (s_->feeder.empty()) {
      Log("XFER none");
      return TWRC_FAILURE;
    }
    const std::vector<uint8_t> dib = s_->feeder.front();
    s_->feeder.pop_front();
    Log("XFER");
    if (dib.empty()) return TWRC_CANCEL;
    *handle = plat::NewMemoryHandle(static_cast<int64_t>(dib.size()));
    *plat::MemoryOfHandle(*handle) = dib;
    return TWRC_XFERDONE;
  }

  TW_UINT16 Layout(TW_UINT16 msg, void* data) {
    auto* layout = static_cast<TW_IMAGELAYOUT*>(data);
    if (msg == MSG_SET) {
      layout_ = *layout;
      Log("LAYOUT SET");
    } else {
      *layout = layout_;
      Log("LAYOUT GET");
    }
    return TWRC_SUCCESS;
  }

  std::shared_ptr<Script> s_;
  TW_IMAGELAYOUT layout_{};
};

// Stands for a system without the manager's library, for the life of the object.
struct MissingManagerLibrary {
  MissingManagerLibrary() {
    SetSourceManagerFactory([]() -> std::unique_ptr<TSourceManager> { return nullptr; });
  }
  ~MissingManagerLibrary() { SetSourceManagerFactory(nullptr); }
};

// Installs the scripted manager for the life of the object.
struct ScriptedBackend {
  std::shared_ptr<Script> script = std::make_shared<Script>();
  ScriptedBackend() {
    SetSourceManagerFactory([s = script] { return std::make_unique<ScriptedManager>(s); });
  }
  ~ScriptedBackend() { SetSourceManagerFactory(nullptr); }
};

// A packed DIB: 40-byte header, colour table, bottom-up rows padded to 4 bytes.
inline std::vector<uint8_t> PackedDib(int width, int height, int bits, std::vector<uint32_t> table,
                                      const std::vector<uint8_t>& rows) {
  std::vector<uint8_t> b;
  for (uint32_t v : {40u, static_cast<uint32_t>(width), static_cast<uint32_t>(height)})
    PutDWord(b, v);
  PutWord(b, 1);
  PutWord(b, static_cast<uint16_t>(bits));
  for (uint32_t v : {0u, 0u, 2835u, 2835u, static_cast<uint32_t>(table.size()), 0u}) PutDWord(b, v);
  for (uint32_t entry : table) PutDWord(b, entry);
  b.insert(b.end(), rows.begin(), rows.end());
  return b;
}

}  // namespace velmora_test
