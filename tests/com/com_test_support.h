#pragma once
// Shared by the component tests: a scratch registry and the registered test server.
#include <dlfcn.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "platform/com/server.h"
#include "tests/com/test_server/test_box.h"

namespace velmora_test {

// Points the registry store at a directory of its own for this test process.
inline const std::string& UseScratchConfig() {
  static const std::string dir = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "velmora-com-XXXXXX").string();
    const char* made = ::mkdtemp(pattern.data());
    EXPECT_NE(made, nullptr);
    ::setenv("XDG_CONFIG_HOME", pattern.c_str(), 1);
    return pattern;
  }();
  return dir;
}

// Calls the test server's own DllRegisterServer or DllUnregisterServer in this process.
inline HRESULT CallServerEntry(const char* name) {
  void* lib = ::dlopen(VELMORA_TEST_SERVER, RTLD_NOW | RTLD_LOCAL);
  if (!lib) return E_FAIL;
  auto fn = reinterpret_cast<HRESULT (*)()>(::dlsym(lib, name));
  return fn ? fn() : E_FAIL;
}

// A registered test control, created by ProgID.
class TestBoxFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    UseScratchConfig();
    ASSERT_EQ(CallServerEntry("DllRegisterServer"), S_OK);
    object_ = CreateObject(u"VelmoraTest.TestBox");
    box_ = object_.As<ITestBox>();
    dispatch_ = object_.As<IDispatch>();
    ASSERT_TRUE(box_ && dispatch_);
  }

  // A raw dispatch call; args are given already reversed, as DISPPARAMS holds them.
  HRESULT RawInvoke(DISPID id, uint16_t flags, std::vector<VARIANT> reversed, VARIANT* result,
                    uint32_t* argErr = nullptr, EXCEPINFO* excep = nullptr, bool namedPut = false) {
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{reversed.data(), namedPut ? &named : nullptr,
                      static_cast<uint32_t>(reversed.size()), namedPut ? 1u : 0u};
    uint32_t err = 0xFFFFFFFF;
    const HRESULT hr = dispatch_->Invoke(id, GUID{}, 0, flags, &params, result, excep, &err);
    if (argErr) *argErr = err;
    return hr;
  }

  ComPtr<IUnknown> object_;
  ComPtr<ITestBox> box_;
  ComPtr<IDispatch> dispatch_;
};

}  // namespace velmora_test
