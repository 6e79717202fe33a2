#pragma once
// Creating objects and serving them.
//
// A client creates an object by CLSID or ProgID: the ProgID's "Clsid" key gives the CLSID, whose
// "InprocServer32" default value names the server library; the library is loaded once (and never
// unloaded: objects and code pointers of it may outlive any count we could keep) and its exported
// DllGetClassObject hands out the class factory.
//
// A server library exports, with C linkage,
//   HRESULT DllGetClassObject(const CLSID&, const IID&, void**);
//   HRESULT DllCanUnloadNow();
//   HRESULT DllRegisterServer();
//   HRESULT DllUnregisterServer();
// and usually implements them with ClassFactory<T>, RegisterServer and UnregisterServer.
#include <exception>
#include <string>
#include <string_view>
#include <vector>

#include "platform/com/errorinfo.h"
#include "platform/com/interfaces.h"
#include "platform/com/object.h"

namespace plat::com {

constexpr uint32_t CLSCTX_INPROC_SERVER = 0x1;

// "{...}" text or a registered ProgID.
HRESULT CLSIDFromString(std::u16string_view text, CLSID* clsid);
HRESULT CLSIDFromProgID(std::u16string_view progId, CLSID* clsid);
HRESULT ProgIDFromCLSID(const CLSID& clsid, std::string* progId);
HRESULT CoGetClassObject(const CLSID& clsid, uint32_t context, const IID& iid, void** object);
HRESULT CoCreateInstance(const CLSID& clsid, IUnknown* outer, uint32_t context, const IID& iid,
                         void** object);
// Creates by ProgID or "{CLSID}" text; throws EOleException (with the loader's message as the
// description when the library could not be loaded).
ComPtr<IUnknown> CreateObject(std::u16string_view progIdOrClsid);

// The factory of one creatable class T (default-constructible, a ComObject).
template <class T>
class ClassFactory final : public ComObject<ClassFactory<T>, IClassFactory> {
 public:
  HRESULT CreateInstance(IUnknown* outer, const IID& iid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    try {
      return MakeObject<T>()->QueryInterface(iid, object);
    } catch (const std::exception& e) {
      SetErrorInfoText(iid, u"", ExceptionText(e.what()));
      return E_UNEXPECTED;
    }
  }
  HRESULT LockServer(int32_t) override { return S_OK; }
};

// DllGetClassObject for a library serving one class.
template <class T>
HRESULT GetClassObjectOf(const CLSID& served, const CLSID& wanted, const IID& iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (wanted != served) return CLASS_E_CLASSNOTAVAILABLE;
  return MakeObject<ClassFactory<T>>()->QueryInterface(iid, object);
}

// What registering a class writes under HKEY_CLASSES_ROOT.
struct ServerRegistration {
  CLSID clsid;
  std::string progId;       // "Library.Class"
  std::string description;  // default value of the class and ProgID keys
  std::string threadingModel = "Apartment";
  bool control = false;  // adds Control, ToolboxBitmap32, MiscStatus and Verb
  int toolboxBitmapId = 1;
  std::string miscStatus;          // MiscStatus\1 (aspect 1), e.g. "131473"
  std::vector<std::string> verbs;  // Verb\0, Verb\1, ...
  GUID libid{};                    // type library; zero for none
  std::string libVersion;          // "3.1"
  std::string libName;
  std::vector<std::pair<IID, std::string>> interfaces;
};

// The file of the library containing address (use the address of any function of it).
std::string ModulePathOf(const void* address);
HRESULT RegisterServer(const ServerRegistration& reg, const std::string& libraryPath);
HRESULT UnregisterServer(const ServerRegistration& reg);

}  // namespace plat::com

// Defines the four exports of an in-process server that serves one class: T is the object class,
// CLSID_EXPR its class id, REGISTRATION_EXPR a ServerRegistration. The server never unloads:
// objects and code may outlive any count it keeps.
#define VELMORA_SERVER_EXPORTS(T, CLSID_EXPR, REGISTRATION_EXPR)                       \
  extern "C" {                                                                         \
  __attribute__((visibility("default"))) ::plat::com::HRESULT DllGetClassObject(       \
      const ::plat::com::CLSID& clsid, const ::plat::com::IID& iid, void** object) {   \
    return ::plat::com::GetClassObjectOf<T>(CLSID_EXPR, clsid, iid, object);           \
  }                                                                                    \
  __attribute__((visibility("default"))) ::plat::com::HRESULT DllCanUnloadNow() {      \
    return ::plat::com::S_FALSE;                                                       \
  }                                                                                    \
  __attribute__((visibility("default"))) ::plat::com::HRESULT DllRegisterServer() {    \
    return ::plat::com::RegisterServer(                                                \
        REGISTRATION_EXPR,                                                             \
        ::plat::com::ModulePathOf(reinterpret_cast<const void*>(&DllRegisterServer))); \
  }                                                                                    \
  __attribute__((visibility("default"))) ::plat::com::HRESULT DllUnregisterServer() {  \
    return ::plat::com::UnregisterServer(REGISTRATION_EXPR);                           \
  }                                                                                    \
  }
