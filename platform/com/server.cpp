#include "platform/com/server.h"

#include <dlfcn.h>

#include <map>
#include <mutex>

#include "platform/base/text.h"
#include "platform/registry/registry.h"

namespace plat::com {
namespace {

using registry::Root;
using GetClassObjectFn = HRESULT (*)(const CLSID&, const IID&, void**);

std::string ClassKey(const CLSID& clsid) {
  return "CLSID\\" + GuidToString(clsid);
}

// Loaded servers by path. Never unloaded.
HRESULT ServerEntry(const std::string& path, GetClassObjectFn* entry) {
  static std::mutex mutex;
  static std::map<std::string, GetClassObjectFn> loaded;
  std::lock_guard lock(mutex);
  if (const auto it = loaded.find(path); it != loaded.end()) {
    *entry = it->second;
    return S_OK;
  }
  void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    const char* why = ::dlerror();
    SetErrorInfoText(GUID{}, u"", Utf8ToUtf16(why ? why : path));
    return CO_E_DLLNOTFOUND;
  }
  auto fn = reinterpret_cast<GetClassObjectFn>(::dlsym(handle, "DllGetClassObject"));
  if (!fn) {
    SetErrorInfoText(GUID{}, u"", Utf8ToUtf16(path + " has no DllGetClassObject"));
    return CO_E_ERRORINDLL;
  }
  loaded.emplace(path, fn);
  *entry = fn;
  return S_OK;
}

}  // namespace

HRESULT CLSIDFromString(std::u16string_view text, CLSID* clsid) {
  if (!clsid) return E_POINTER;
  if (TryParseGuid(Utf16ToUtf8(text), *clsid)) return S_OK;
  return CLSIDFromProgID(text, clsid);
}

HRESULT CLSIDFromProgID(std::u16string_view progId, CLSID* clsid) {
  if (!clsid) return E_POINTER;
  const auto text = registry::ReadString(Root::ClassesRoot, Utf16ToUtf8(progId) + "\\Clsid", "");
  if (!text || !TryParseGuid(*text, *clsid)) return CO_E_CLASSSTRING;
  return S_OK;
}

HRESULT ProgIDFromCLSID(const CLSID& clsid, std::string* progId) {
  if (!progId) return E_POINTER;
  const auto text = registry::ReadString(Root::ClassesRoot, ClassKey(clsid) + "\\ProgID", "");
  if (!text) return REGDB_E_CLASSNOTREG;
  *progId = *text;
  return S_OK;
}

HRESULT CoGetClassObject(const CLSID& clsid, uint32_t, const IID& iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  const auto path =
      registry::ReadString(Root::ClassesRoot, ClassKey(clsid) + "\\InprocServer32", "");
  if (!path || path->empty()) return REGDB_E_CLASSNOTREG;
  GetClassObjectFn entry = nullptr;
  if (const HRESULT hr = ServerEntry(*path, &entry); Failed(hr)) return hr;
  return entry(clsid, iid, object);
}

HRESULT CoCreateInstance(const CLSID& clsid, IUnknown* outer, uint32_t context, const IID& iid,
                         void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  ComPtr<IClassFactory> factory;
  if (const HRESULT hr = CoGetClassObject(clsid, context, IClassFactory::kIid, factory.OutVoid());
      Failed(hr))
    return hr;
  return factory->CreateInstance(outer, iid, object);
}

ComPtr<IUnknown> CreateObject(std::u16string_view progIdOrClsid) {
  SetErrorInfo(0, nullptr);
  CLSID clsid;
  OleCheck(CLSIDFromString(progIdOrClsid, &clsid));
  ComPtr<IUnknown> object;
  OleCheck(
      CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IUnknown::kIid, object.OutVoid()));
  return object;
}

std::string ModulePathOf(const void* address) {
  Dl_info info{};
  if (::dladdr(address, &info) == 0 || !info.dli_fname) return {};
  return info.dli_fname;
}

HRESULT RegisterServer(const ServerRegistration& reg, const std::string& libraryPath) {
  try {
    using registry::WriteString;
    const std::string key = ClassKey(reg.clsid);
    WriteString(Root::ClassesRoot, key, "", reg.description);
    WriteString(Root::ClassesRoot, key + "\\InprocServer32", "", libraryPath);
    WriteString(Root::ClassesRoot, key + "\\InprocServer32", "ThreadingModel", reg.threadingModel);
    WriteString(Root::ClassesRoot, key + "\\ProgID", "", reg.progId);
    WriteString(Root::ClassesRoot, reg.progId, "", reg.description);
    WriteString(Root::ClassesRoot, reg.progId + "\\Clsid", "", GuidToString(reg.clsid));
    if (reg.control) {
      registry::CreateKey(Root::ClassesRoot, key + "\\Control");
      WriteString(Root::ClassesRoot, key + "\\ToolboxBitmap32", "",
                  libraryPath + "," + std::to_string(reg.toolboxBitmapId));
      WriteString(Root::ClassesRoot, key + "\\MiscStatus", "", "0");
      WriteString(Root::ClassesRoot, key + "\\MiscStatus\\1", "", reg.miscStatus);
      for (size_t i = 0; i < reg.verbs.size(); ++i)
        WriteString(Root::ClassesRoot, key + "\\Verb\\" + std::to_string(i), "", reg.verbs[i]);
    }
    if (reg.libid != GUID{}) {
      const std::string lib = GuidToString(reg.libid);
      WriteString(Root::ClassesRoot, key + "\\TypeLib", "", lib);
      WriteString(Root::ClassesRoot, key + "\\Version", "", reg.libVersion);
      const std::string libKey = "TypeLib\\" + lib + "\\" + reg.libVersion;
      WriteString(Root::ClassesRoot, libKey, "", reg.libName);
      WriteString(Root::ClassesRoot, libKey + "\\0\\linux", "", libraryPath);
      for (const auto& [iid, name] : reg.interfaces) {
        const std::string ifKey = "Interface\\" + GuidToString(iid);
        WriteString(Root::ClassesRoot, ifKey, "", name);
        WriteString(Root::ClassesRoot, ifKey + "\\TypeLib", "", lib);
        WriteString(Root::ClassesRoot, ifKey + "\\TypeLib", "Version", reg.libVersion);
      }
    }
    return S_OK;
  } catch (const std::exception& e) {
    SetErrorInfoText(GUID{}, u"", ExceptionText(e.what()));
    return SELFREG_E_CLASS;
  }
}

HRESULT UnregisterServer(const ServerRegistration& reg) {
  try {
    registry::DeleteKey(Root::ClassesRoot, ClassKey(reg.clsid));
    registry::DeleteKey(Root::ClassesRoot, reg.progId);
    if (reg.libid != GUID{}) {
      registry::DeleteKey(Root::ClassesRoot, "TypeLib\\" + GuidToString(reg.libid));
      for (const auto& entry : reg.interfaces)
        registry::DeleteKey(Root::ClassesRoot, "Interface\\" + GuidToString(entry.first));
    }
    return S_OK;
  } catch (const std::exception& e) {
    SetErrorInfoText(GUID{}, u"", ExceptionText(e.what()));
    return SELFREG_E_CLASS;
  }
}

}  // namespace plat::com
