// The registry store: case-insensitive keys and values, subtrees, and the file between processes.
#include <stdlib.h>

#include <filesystem>

#include <gtest/gtest.h>

#include "platform/base/streams.h"
#include "platform/registry/registry.h"

namespace reg = plat::registry;
using reg::Root;

namespace {

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "velmora-reg-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    ::setenv("XDG_CONFIG_HOME", dir_.c_str(), 1);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string dir_;
};

TEST_F(RegistryTest, KeysAndValuesIgnoreCase) {
  reg::WriteString(Root::ClassesRoot, ".pcx", "Content Type", "image/x-pcx");
  EXPECT_EQ(reg::ReadString(Root::ClassesRoot, ".PCX", "content type"), "image/x-pcx");
  EXPECT_FALSE(reg::ReadString(Root::CurrentUser, ".pcx", "Content Type"));
  reg::WriteValue(Root::CurrentUser, "Software\\Velmora", "Count", uint32_t{10});
  EXPECT_EQ(reg::ReadValue(Root::CurrentUser, "software\\velmora", "COUNT"),
            reg::Value(uint32_t{10}));
  EXPECT_FALSE(reg::ReadString(Root::CurrentUser, "Software\\Velmora", "Count"));  // a number
  EXPECT_EQ(reg::StorePath(), dir_ + "/velmora/registry");
}

TEST_F(RegistryTest, DeletingAKeyTakesItsSubtreeOnly) {
  reg::WriteString(Root::ClassesRoot, "CLSID\\{A}\\InprocServer32", "", "/x.so");
  reg::WriteString(Root::ClassesRoot, "CLSID\\{A}\\ProgID", "", "X.Y");
  reg::WriteString(Root::ClassesRoot, "CLSID\\{AB}", "", "neighbour");
  EXPECT_EQ(reg::SubKeyNames(Root::ClassesRoot, "CLSID"),
            (std::vector<std::string>{"{A}", "{AB}"}));
  EXPECT_TRUE(reg::DeleteKey(Root::ClassesRoot, "clsid\\{a}"));
  EXPECT_FALSE(reg::KeyExists(Root::ClassesRoot, "CLSID\\{A}\\ProgID"));
  EXPECT_TRUE(reg::KeyExists(Root::ClassesRoot, "CLSID\\{AB}"));
  EXPECT_FALSE(reg::DeleteKey(Root::ClassesRoot, "CLSID\\{A}"));
}

TEST_F(RegistryTest, ChangesMadeByAnotherWriterAreSeen) {
  reg::WriteString(Root::ClassesRoot, "K", "v", "mine");
  // Another process replaces the file: quotes, backslashes and line breaks survive the format.
  reg::Tree other = reg::Tree::Parse(
      std::string(reinterpret_cast<const char*>(plat::ReadWholeFile(reg::StorePath()).data()),
                  plat::ReadWholeFile(reg::StorePath()).size()));
  other.Set("HKEY_CLASSES_ROOT\\K", "v", reg::Value(std::string("the \"other\" \\ one\nline 2")));
  const std::string text = other.Serialize();
  plat::WriteFileReplacing(reg::StorePath(), [&](plat::TStream& s) {
    s.WriteBuffer(text.data(), static_cast<int64_t>(text.size()));
  });
  EXPECT_EQ(reg::ReadString(Root::ClassesRoot, "K", "v"), "the \"other\" \\ one\nline 2");
}

TEST(RegistryTree, SkipsLinesThatDoNotParse) {
  const reg::Tree t = reg::Tree::Parse(
      "junk\n\"orphan\"=\"x\"\n[HKEY_CLASSES_ROOT\\A]\n@=\"d\"\n\"n\"=dword:0000001f\n"
      "\"bad\"=dword:zz\n\"open\"=\"unterminated\n[broken\n");
  EXPECT_EQ(t.KeyCount(), 2u);  // the root and A
  ASSERT_NE(t.Find("HKEY_CLASSES_ROOT\\A", ""), nullptr);
  EXPECT_EQ(*t.Find("HKEY_CLASSES_ROOT\\A", "n"), reg::Value(uint32_t{31}));
  EXPECT_EQ(t.Find("HKEY_CLASSES_ROOT\\A", "bad"), nullptr);
  EXPECT_EQ(reg::Tree::Parse(t.Serialize()).Serialize(), t.Serialize());
}

}  // namespace

namespace {

// A registration with a very deep key line: every level becomes a key of its own, each found
// by any spelling of its case, and deleting a middle level takes the levels under it.
TEST(RegistryTree, ADeepKeyLineGivesEveryLevelAndStaysFindableByAnyCase) {
  constexpr int kDepth = 1500;
  std::string path = "HKEY_CLASSES_ROOT";
  for (int i = 0; i < kDepth; ++i) path += "\\L" + std::to_string(i);
  std::string upper = path;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  reg::Tree t =
      reg::Tree::Parse("[" + path + "]\n\"v\"=\"deep\"\n[" + upper + "]\n\"w\"=\"same\"\n");
  EXPECT_EQ(t.KeyCount(), size_t{kDepth} + 1);
  ASSERT_NE(t.Find(path, "V"), nullptr);
  EXPECT_EQ(*t.Find(path, "W"), reg::Value(std::string("same")));
  const std::string middle = path.substr(0, path.find("\\L750\\"));
  EXPECT_EQ(t.Children(middle), std::vector<std::string>{"L750"});
  EXPECT_TRUE(t.Delete(middle));
  EXPECT_EQ(t.KeyCount(), 750u);
  EXPECT_FALSE(t.Exists(path));
  EXPECT_TRUE(t.Exists(middle.substr(0, middle.rfind('\\'))));
  EXPECT_EQ(reg::Tree::Parse(t.Serialize()).Serialize(), t.Serialize());
}

}  // namespace

namespace {

// A key under existing levels adds only the levels that are new, each once, whatever spelling of
// case the existing part is given in.
TEST(RegistryTree, ANewKeyUnderExistingLevelsAddsOnlyTheMissingOnes) {
  const reg::Tree t = reg::Tree::Parse("[R\\A\\B]\n[r\\a\\b\\C\\D]\n@=\"d\"\n[R\\A\\X]\n[R\\A]\n");
  EXPECT_EQ(t.KeyCount(), 6u);  // R, R\A, R\A\B, C, D, X
  EXPECT_EQ(t.Children("R\\A"), (std::vector<std::string>{"B", "X"}));
  EXPECT_EQ(t.Children("R\\a\\B"), std::vector<std::string>{"C"});
  ASSERT_NE(t.Find("R\\A\\B\\C\\D", ""), nullptr);
  EXPECT_EQ(reg::Tree::Parse(t.Serialize()).Serialize(), t.Serialize());
}

}  // namespace
