#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>

#include "control/activex/imagebox.h"

namespace pictavo {
namespace {

TEST(MemberTable, NamesDispIdsAndSlotsAreUnique) {
  std::set<std::string> names;
  std::set<int32_t> dispids;
  std::set<int> used_slots;
  int accessors = 0;
  for (const MemberInfo& m : ImageBoxMembers()) {
    EXPECT_TRUE(names.insert(m.name).second) << m.name;
    EXPECT_TRUE(dispids.insert(m.dispid).second) << m.name;
    EXPECT_NE(m.Has(Accessor::Call), m.is_property) << m.name;
    if (m.is_property) {
      EXPECT_TRUE(m.Has(Accessor::Get)) << m.name;
    }
    for (int a = 0; a < kAccessorCount; ++a) {
      if (!m.accessors[a]) continue;
      ++accessors;
      EXPECT_GE(m.slot_of[a], 7) << m.name;
      EXPECT_LE(m.slot_of[a], 478) << m.name;
      EXPECT_TRUE(used_slots.insert(m.slot_of[a]).second) << m.name << " slot " << m.slot_of[a];
      EXPECT_EQ(FindSlot(m.slot_of[a])->first, &m);
    }
  }
  EXPECT_GE(accessors, 202);
  EXPECT_EQ(FindMember(-512)->name, std::string("TextFont"));
  EXPECT_EQ(FindMember(-514)->name, std::string("Enabled"));
  EXPECT_EQ(FindMember(-552)->name, std::string("AboutBox"));
  EXPECT_EQ(FindMember("mergereverse")->dispid, 2);
  EXPECT_EQ(FindMember("GetSelectionCoords")->param_count, 4);
  EXPECT_TRUE(FindMember("GetSelectionCoords")->params[3].out);
  EXPECT_EQ(FindMember("NoSuchMember"), nullptr);
}

std::vector<std::string> UnwiredMembers() {
  std::vector<std::string> names;
  for (const MemberInfo& m : ImageBoxMembers())
    for (int a = 0; a < kAccessorCount; ++a)
      if (m.accessors[a] && !FindBody(m, static_cast<Accessor>(a))) {
        names.push_back(m.name);
        break;
      }
  std::sort(names.begin(), names.end());
  return names;
}

TEST(MemberTable, UnwiredMembersAreTheListedOnes) {
  std::ifstream in(std::string(VELMORA_SOURCE_DIR) + "/tests/activex/unwired_members.txt");
  std::vector<std::string> listed;
  for (std::string line; std::getline(in, line);)
    if (!line.empty()) listed.push_back(line);
  EXPECT_TRUE(std::is_sorted(listed.begin(), listed.end()));
  const std::vector<std::string> actual = UnwiredMembers();
  std::string report;
  for (const std::string& n : actual)
    if (!std::binary_search(listed.begin(), listed.end(), n))
      report += "unwired, not listed: " + n + "\n";
  for (const std::string& n : listed)
    if (!std::binary_search(actual.begin(), actual.end(), n))
      report += "listed, now wired: " + n + "\n";
  EXPECT_EQ(report, "");
}

// The value a host passes when it has nothing better: 0, False, an empty text or variant.
TCallValue DefaultArgument(ArgType type) {
  switch (type) {
    case ArgType::Float:
    case ArgType::Double:
    case ArgType::Date:
      return 0.0;
    case ArgType::Bool:
      return false;
    case ArgType::BStr:
      return std::u16string();
    case ArgType::Variant:
      return TBytes();
    case ArgType::Font:
    case ArgType::Picture:
    case ArgType::Void:
      return std::monostate();
    default:
      return int64_t{0};
  }
}

MemberCall DefaultCall(const MemberInfo& m, Accessor a) {
  MemberCall call;
  for (int i = 0; i < m.param_count; ++i) call.args.push_back(DefaultArgument(m.params[i].type));
  call.outs.resize(m.param_count);
  if (a == Accessor::Put || a == Accessor::PutRef) call.args.push_back(DefaultArgument(m.type));
  return call;
}

// Closes whatever modal window a member opens (the About box).
void CloseModalSoon() {
  QTimer::singleShot(0, [] {
    if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
  });
}

TEST(NoImageSweep, EveryAccessorAnswersWithoutAnImage) {
  const std::vector<std::string> unwired = UnwiredMembers();
  for (const MemberInfo& m : ImageBoxMembers())
    for (int a = 0; a < kAccessorCount; ++a) {
      if (!m.accessors[a]) continue;
      TImageBox box;
      MemberCall call = DefaultCall(m, static_cast<Accessor>(a));
      CloseModalSoon();
      const MemberOutcome outcome = box.Invoke(m, static_cast<Accessor>(a), call);
      const bool listed = std::binary_search(unwired.begin(), unwired.end(), m.name);
      if (outcome.hresult == kENotImpl) {
        EXPECT_TRUE(listed) << m.name;
        EXPECT_EQ(outcome.message, std::string("Not available: ") + m.name);
      } else if (outcome.hresult != kSOk) {
        // Only the loaders fail: an empty name is no file, empty data no image.
        const std::string expected =
            m.name == std::string("ReadBinary") ? "Stream read error" : "File not found: ";
        EXPECT_EQ(outcome.message, expected) << m.name;
      }
    }
}

struct EmptyValue {
  const char* member;
  TCallValue expected;
};

TEST(NoImageSweep, GettersGiveTheirDocumentedEmptyValues) {
  const EmptyValue cases[] = {
      {"ColorFormat", int64_t{7}},
      {"ImageWidth", int64_t{0}},
      {"ImageLoaded", false},
      {"XDPI", int64_t{0}},
      {"BGColor", int64_t{0xFFFFFF}},
      {"Transparent", false},
      {"Compression", int64_t{0}},
      {"PictureData", TVariantInt{0}},
      {"JPEGQuality", int64_t{90}},
      {"Zoom", 100.0},
      {"UseLZW", true},
      {"ReadImageNumber", int64_t{1}},
      {"LastFileName", std::u16string()},
      {"ZoomedWidth", int64_t{0}},
      {"HelpType", int64_t{1}},
      {"SelectionVisible", true},
      {"MergeStyle", int64_t{1}},
      {"BrushColor", int64_t{0xFFFFFF}},
      {"PenMode", int64_t{4}},
      {"ScrollSpeed", int64_t{1}},
  };
  for (const EmptyValue& c : cases) {
    TImageBox box;
    MemberCall call;
    ASSERT_EQ(box.Invoke(*FindMember(c.member), Accessor::Get, call).hresult, kSOk) << c.member;
    if (const auto* v = std::get_if<TVariantInt>(&c.expected)) {
      ASSERT_TRUE(std::holds_alternative<TVariantInt>(call.result)) << c.member;
      EXPECT_EQ(std::get<TVariantInt>(call.result).value, v->value);
    } else {
      EXPECT_EQ(call.result, c.expected) << c.member;
    }
  }
}

TEST(MemberFrame, FailureCarriesTheMessageAndTheControlStaysUsable) {
  TImageBox box;
  MemberCall load;
  load.args = {std::u16string(u"/nowhere/missing.bmp")};
  const MemberOutcome failed = box.Invoke(*FindMember("LoadFromFile"), Accessor::Call, load);
  EXPECT_EQ(failed.hresult, kEUnexpected);
  EXPECT_EQ(failed.message, "File not found: missing.bmp");
  MemberCall image;
  image.args = {int64_t{4}, int64_t{3}};
  EXPECT_EQ(box.Invoke(*FindMember("NewImage"), Accessor::Call, image).hresult, kSOk);
  MemberCall width;
  box.Invoke(*FindMember("ImageWidth"), Accessor::Get, width);
  EXPECT_EQ(width.result, TCallValue(int64_t{4}));
}

}  // namespace
}  // namespace pictavo
