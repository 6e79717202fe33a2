// Registration with the regsvr tool and creation through the registry store.
#include <cstdlib>

#include <gtest/gtest.h>

#include "platform/base/text.h"
#include "platform/registry/registry.h"
#include "tests/com/com_test_support.h"

using namespace velmora_test;
namespace reg = plat::registry;

namespace {

int RunRegsvr(const std::string& options, const std::string& library) {
  const std::string command = std::string(VELMORA_REGSVR) + " -s " + options + " '" + library + "'";
  return WEXITSTATUS(std::system(command.c_str()));
}

HRESULT CreationResult(std::u16string_view name) {
  try {
    CreateObject(name);
    return S_OK;
  } catch (const EOleException& e) {
    return e.ErrorCode();
  }
}

const std::u16string kClsidText = plat::Utf8ToUtf16(GuidToString(kTestBoxClsid));

TEST(Creation, WorksAfterRegsvrAndFailsAfterUnregistration) {
  UseScratchConfig();
  ASSERT_EQ(RunRegsvr("", VELMORA_TEST_SERVER), 0);

  const std::string key = "CLSID\\" + GuidToString(kTestBoxClsid);
  EXPECT_EQ(reg::ReadString(reg::Root::ClassesRoot, key + "\\InprocServer32", ""),
            std::filesystem::canonical(VELMORA_TEST_SERVER).string());
  EXPECT_EQ(reg::ReadString(reg::Root::ClassesRoot, key + "\\InprocServer32", "ThreadingModel"),
            "Apartment");
  EXPECT_EQ(reg::ReadString(reg::Root::ClassesRoot, key + "\\ProgID", ""), kTestBoxProgId);
  EXPECT_EQ(reg::ReadString(reg::Root::ClassesRoot, key + "\\MiscStatus\\1", ""), "131473");
  EXPECT_TRUE(reg::KeyExists(reg::Root::ClassesRoot, key + "\\Control"));
  EXPECT_EQ(reg::ReadString(reg::Root::ClassesRoot, std::string(kTestBoxProgId) + "\\Clsid", ""),
            GuidToString(kTestBoxClsid));

  for (std::u16string_view name :
       {std::u16string_view(u"VelmoraTest.TestBox"), std::u16string_view(kClsidText)}) {
    ComPtr<IUnknown> object = CreateObject(name);
    TestBoxProxy proxy(object);
    EXPECT_EQ(proxy.Join(u"made", 1, VARIANT_TRUE).Utf8(), "made|1|true");
  }

  ASSERT_EQ(RunRegsvr("-u", VELMORA_TEST_SERVER), 0);
  EXPECT_FALSE(reg::KeyExists(reg::Root::ClassesRoot, key));
  EXPECT_EQ(CreationResult(u"VelmoraTest.TestBox"), CO_E_CLASSSTRING);
  EXPECT_EQ(CreationResult(kClsidText), REGDB_E_CLASSNOTREG);
}

TEST(Creation, RegsvrReportsALibraryWithoutEntryPoints) {
  UseScratchConfig();
  EXPECT_EQ(RunRegsvr("", "/nonexistent/library.so"), 1);
  EXPECT_EQ(RunRegsvr("", VELMORA_REGSVR_PLATFORM_LIBRARY), 1);  // loads, but serves nothing
}

TEST(Creation, AServerThatCannotBeLoadedGivesTheLoadersMessage) {
  UseScratchConfig();
  const CLSID ghost = MakeGuid("{0BADC0DE-0000-4000-8000-000000000001}");
  reg::WriteString(reg::Root::ClassesRoot, "CLSID\\" + GuidToString(ghost) + "\\InprocServer32", "",
                   "/nonexistent/ghost.so");
  try {
    CreateObject(plat::Utf8ToUtf16(GuidToString(ghost)));
    FAIL() << "created a ghost";
  } catch (const EOleException& e) {
    EXPECT_EQ(e.ErrorCode(), CO_E_DLLNOTFOUND);
    EXPECT_NE(std::string(e.what()).find("ghost.so"), std::string::npos) << e.what();
  }
}

}  // namespace
