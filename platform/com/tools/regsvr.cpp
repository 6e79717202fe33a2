// velmora-regsvr: registers or unregisters an in-process server library by calling its
// DllRegisterServer or DllUnregisterServer.
//
//   velmora-regsvr [-u] [-s] library.so
//     -u  unregister instead of register
//     -s  silent: no message, only the exit status (0 success, 1 failure, 2 usage)
#include <dlfcn.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/com/errorinfo.h"
#include "platform/com/interfaces.h"

namespace {

using plat::com::HRESULT;
using EntryFn = HRESULT (*)();

int Usage() {
  std::fprintf(stderr, "usage: velmora-regsvr [-u] [-s] library.so\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  bool unregister = false, silent = false;
  const char* library = nullptr;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "-u") == 0 || std::strcmp(argv[i], "/u") == 0)
      unregister = true;
    else if (std::strcmp(argv[i], "-s") == 0 || std::strcmp(argv[i], "/s") == 0)
      silent = true;
    else if (!library)
      library = argv[i];
    else
      return Usage();
  }
  if (!library) return Usage();

  void* handle = ::dlopen(library, RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    if (!silent) std::fprintf(stderr, "velmora-regsvr: cannot load %s: %s\n", library, ::dlerror());
    return 1;
  }
  const char* entryName = unregister ? "DllUnregisterServer" : "DllRegisterServer";
  auto entry = reinterpret_cast<EntryFn>(::dlsym(handle, entryName));
  if (!entry) {
    if (!silent) std::fprintf(stderr, "velmora-regsvr: %s has no %s\n", library, entryName);
    return 1;
  }
  const HRESULT hr = entry();
  if (plat::com::Failed(hr)) {
    if (!silent) {
      const auto error = plat::com::MakeOleException(hr);
      std::fprintf(stderr, "velmora-regsvr: %s in %s failed (%08X): %s\n", entryName, library,
                   static_cast<unsigned>(hr), error.what());
    }
    return 1;
  }
  if (!silent) std::printf("%s in %s succeeded.\n", entryName, library);
  return 0;
}
