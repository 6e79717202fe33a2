// TicTwain against a scripted source manager: capability replies to answers, what the setters
// send, the call sequences of acquisitions and the 1-bit table rule of native transfers.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <algorithm>

#include "control/engine/twain/ictwain.h"
#include "platform/graphics/handles.h"
#include "twain/scripted_manager.h"

namespace pictavo {
namespace {

using namespace velmora_test;

class TwainTest : public testing::Test {
 protected:
  void SetUp() override {
    handles_before_ = plat::LiveHandleCount();
    backend_.script->sources = {"Flatbed One", "Feeder Two"};
  }
  void TearDown() override {
    twain_.reset();
    EXPECT_EQ(plat::LiveHandleCount(), handles_before_) << "a container or block was not freed";
  }
  Script& S() { return *backend_.script; }
  TicTwain& Twain() {
    if (!twain_) {
      twain_ = std::make_unique<TicTwain>();
      twain_->SetCurrentDevice(0);
    }
    return *twain_;
  }
  // Log entries from position `from` on that start with prefix.
  int Count(const std::string& prefix, size_t from = 0) {
    return static_cast<int>(
        std::count_if(S().log.begin() + static_cast<long>(from), S().log.end(),
                      [&](const std::string& e) { return e.starts_with(prefix); }));
  }
  ScriptedBackend backend_;
  std::unique_ptr<TicTwain> twain_;
  int64_t handles_before_ = 0;
};

TEST(TwainFix32, FloorAndPositiveFraction) {
  struct Case {
    double value;
    int16_t whole;
    uint16_t frac;
  };
  for (const Case c : {Case{2.5, 2, 0x8000}, Case{-0.25, -1, 0xC000}, Case{-1000, -1000, 0},
                       Case{-999.75, -1000, 0x4000}, Case{0, 0, 0}}) {
    const uint32_t packed = DoubleToFix32(c.value);
    EXPECT_EQ(static_cast<int16_t>(packed & 0xFFFF), c.whole) << c.value;
    EXPECT_EQ(packed >> 16, c.frac) << c.value;
    EXPECT_DOUBLE_EQ(Fix32ToDouble(packed), c.value);
  }
}

TEST(TwainContainer, ShortBlocksReadAsNoReply) {
  auto block = Enumeration(TWTY_UINT16, {0, 1, 2}, 1).block;
  EXPECT_EQ(ReadCapContainer(TWON_ENUMERATION, block).Items.size(), 3u);
  block.pop_back();
  EXPECT_EQ(ReadCapContainer(TWON_ENUMERATION, block).ConType, 0);
  // A count far beyond the block is not believed.
  auto huge = Enumeration(TWTY_UINT16, {}, 0).block;
  huge[2] = huge[3] = huge[4] = huge[5] = 0xFF;
  EXPECT_EQ(ReadCapContainer(TWON_ENUMERATION, huge).ConType, 0);
  EXPECT_EQ(ReadCapContainer(TWON_RANGE, OneValue(TWTY_FIX32, 1).block).ConType, 0);
}

// Each container kind with each item type, and what every kind of getter makes of it.
TEST_F(TwainTest, CapabilityRepliesToAnswers) {
  enum Kind { kOne, kEnum, kRange, kOther };
  const uint16_t types[] = {TWTY_FIX32, TWTY_UINT16, TWTY_BOOL, TWTY_UINT32};
  auto reply = [](Kind kind, uint16_t type) {
    // Values that the item type makes meaningful: 2.5 as FIX32, 2 as UINT16, 1 as BOOL.
    const uint32_t a = type == TWTY_FIX32 ? Fix(1.5) : 1;
    const uint32_t b = type == TWTY_FIX32 ? Fix(2.5) : (type == TWTY_BOOL ? 1 : 2);
    const uint32_t c = type == TWTY_FIX32 ? Fix(3.5) : 3;
    switch (kind) {
      case kOne:
        return OneValue(type, b);
      case kEnum:
        return Enumeration(type, {a, b, c}, 1);
      case kRange:
        return Range(type, a, c, a, b);
      default:
        return CapReply{TWON_ARRAY, Enumeration(type, {a, b, c}, 1).block};
    }
  };
  for (const Kind kind : {kOne, kEnum, kRange, kOther})
    for (const uint16_t type : types) {
      twain_.reset();
      for (uint16_t cap : {ICAP_PHYSICALWIDTH, ICAP_THRESHOLD, CAP_DUPLEX, CAP_DUPLEXENABLED,
                           ICAP_PIXELTYPE, ICAP_UNITS, ICAP_BRIGHTNESS})
        S().caps[cap] = reply(kind, type);
      const std::string where = "kind " + std::to_string(kind) + " type " + std::to_string(type);
      const bool one = kind == kOne, fix = type == TWTY_FIX32, u16 = type == TWTY_UINT16;
      const bool fix_container = fix && kind != kOther;
      EXPECT_EQ(Twain().GetMaxWidth(), one && fix ? 2.5 : -1) << where;
      EXPECT_EQ(Twain().GetThreshold(), fix_container ? 2.5 : -1) << where;
      EXPECT_EQ(Twain().GetDuplexSupported(), one && u16 ? 2 : 0) << where;
      EXPECT_EQ(Twain().GetDuplexEnabled(), one && type == TWTY_BOOL) << where;
      const bool listed = u16 && (kind == kOne || kind == kEnum);
      EXPECT_EQ(Twain().GetPixelType(), listed ? 2 : -1) << where;
      EXPECT_EQ(Twain().GetPixelTypeAllowed(2), listed) << where;
      EXPECT_EQ(Twain().GetPixelTypeAllowed(1), listed && kind == kEnum) << where;
      EXPECT_EQ(Twain().GetUnits(), listed ? 2 : 0) << where;
      const double current = Twain().GetRange(TicTwain::rcBrightness, TicTwain::rvCurrent);
      EXPECT_EQ(current, fix_container ? 2.5 : -1) << where;
      EXPECT_EQ(Twain().GetRange(TicTwain::rcBrightness, TicTwain::rvMin),
                !fix_container ? -1 : (one ? 2.5 : 1.5))
          << where;
      EXPECT_EQ(Twain().GetRange(TicTwain::rcBrightness, TicTwain::rvStep),
                fix && kind == kRange ? 1.5 : -1)
          << where;
    }
}

TEST_F(TwainTest, ListsSkipValuesAboveTheirLimit) {
  S().caps[ICAP_PIXELTYPE] = Enumeration(TWTY_UINT16, {0, 9, 2}, 0);
  S().caps[ICAP_UNITS] = Enumeration(TWTY_UINT16, {1, 6}, 1);
  EXPECT_EQ(Twain().GetPixelType(), 0);
  EXPECT_TRUE(Twain().GetPixelTypeAllowed(2));
  EXPECT_FALSE(Twain().GetPixelTypeAllowed(9));
  EXPECT_EQ(Twain().GetUnits(), 0);  // the current unit 6 is no unit of ours
  EXPECT_FALSE(Twain().GetUnitsAllowed(1));
}

TEST_F(TwainTest, SettersSendOnlyOfferedChoicesInRange) {
  S().caps[ICAP_PIXELTYPE] = OneValue(TWTY_UINT16, 2);
  S().caps[ICAP_BRIGHTNESS] = Range(TWTY_FIX32, Fix(-1000), Fix(1000), Fix(1), Fix(0));
  Twain().SetPixelType(0);
  Twain().SetRange(TicTwain::rcBrightness, 1000.5);
  Twain().SetThreshold(256);
  Twain().SetLayout(5, 5, 0, 10);
  Twain().SetLayout(0, 10, 4, 3);
  EXPECT_EQ(Count("SET"), 0);
  EXPECT_EQ(Count("LAYOUT"), 0);

  S().caps[ICAP_PIXELTYPE] = Enumeration(TWTY_UINT16, {0, 2}, 1);
  Twain().CloseSource();
  Twain().SetPixelType(0);
  Twain().SetRange(TicTwain::rcBrightness, -250.5);
  Twain().SetThreshold(128);
  Twain().SetLayout(1, 2, 3, 4);
  const std::vector<std::string> sets(S().log.begin(), S().log.end());
  auto has = [&](const std::string& e) {
    return std::find(sets.begin(), sets.end(), e) != sets.end();
  };
  EXPECT_TRUE(has("SET 0101=0000"));
  EXPECT_TRUE(has("SET 1101=" + Hex(Fix(-250.5))));
  EXPECT_TRUE(has("SET 112C=0000"));
  EXPECT_TRUE(has("SET 1123=" + Hex(Fix(128))));
  EXPECT_TRUE(has("SET 1122=0000"));
  EXPECT_EQ(Count("LAYOUT SET"), 1);
  EXPECT_EQ(Count("LAYOUT GET"), 0);
}

TEST_F(TwainTest, UnitChangeReadsResolutionAgain) {
  S().caps[ICAP_UNITS] = Enumeration(TWTY_UINT16, {0, 1}, 0);
  S().caps[ICAP_XRESOLUTION] = Range(TWTY_FIX32, Fix(50), Fix(600), Fix(50), Fix(300));
  S().caps[ICAP_YRESOLUTION] = Range(TWTY_FIX32, Fix(50), Fix(1200), Fix(50), Fix(150));
  EXPECT_EQ(Twain().GetRange(TicTwain::rcXResolution, TicTwain::rvCurrent), 300);
  EXPECT_EQ(Twain().GetRange(TicTwain::rcYResolution, TicTwain::rvMax), 1200);
  EXPECT_EQ(Count("GET 1118"), 1);  // cached
  Twain().SetUnits(1);
  EXPECT_EQ(Count("SET 0102=0001"), 1);
  S().caps[ICAP_XRESOLUTION] = Range(TWTY_FIX32, Fix(20), Fix(236), Fix(1), Fix(118));
  EXPECT_EQ(Twain().GetRange(TicTwain::rcXResolution, TicTwain::rvCurrent), 118);
  EXPECT_EQ(Count("GET 1118"), 2);
}

TEST_F(TwainTest, HasADFProbesAnIdleFeeder) {
  S().caps[CAP_FEEDERENABLED] = OneValue(TWTY_BOOL, 0);
  EXPECT_TRUE(Twain().GetHasADF());
  EXPECT_EQ(Count("SET 1002=0001"), 1);
  EXPECT_EQ(Count("SET 1002=0000"), 1);  // switched off again
  S().caps[CAP_FEEDERENABLED] = OneValue(TWTY_UINT16, 1);
  EXPECT_FALSE(Twain().GetHasADF());
}

TEST_F(TwainTest, SelectDeviceFindsTheChosenSource) {
  S().user_choice = "Feeder Two";
  TicTwain twain;
  EXPECT_EQ(twain.GetDeviceCount(), 2);
  EXPECT_EQ(twain.GetDeviceName(1), "Feeder Two");
  EXPECT_EQ(twain.GetDeviceName(2), "");
  EXPECT_TRUE(twain.SelectDevice());
  EXPECT_EQ(twain.DeviceIndex(), 1);
  S().user_choice = "nobody";
  EXPECT_FALSE(twain.SelectDevice());
  EXPECT_EQ(twain.DeviceIndex(), 1);
  S().sources.pop_back();
  twain.SetCurrentDevice(-1);
  try {
    twain.SetCurrentDevice(1);
    ADD_FAILURE() << "a source the manager no longer lists must raise";
  } catch (const ETwainError& e) {
    EXPECT_STREQ(e.what(), "Cannot find Twain device");
  }
}

TEST_F(TwainTest, AppNameKeepsThirtyTwoCharacters) {
  Twain().SetAppName(std::string(40, 'x'));
  EXPECT_EQ(Twain().GetAppName(), std::string(32, 'x'));
}

// --- acquisitions ---

std::vector<uint8_t> Gray2x2() {
  std::vector<uint32_t> table(256);
  for (uint32_t i = 0; i < 256; ++i) table[i] = i * 0x010101;
  return PackedDib(2, 2, 8, table, {10, 20, 0, 0, 30, 40, 0, 0});
}

class AcquireTest : public TwainTest {
 protected:
  void Acquire() {
    Twain().OnImageAcquired = [this](TicTwain& t) {
      S().log.push_back("cb image " + std::to_string(t.PageCount()));
    };
    Twain().OnAcquireFinish = [this](TicTwain&) { S().log.push_back("cb finish"); };
    Twain().OnAcquireCancel = [this](TicTwain&) { S().log.push_back("cb cancel"); };
    start_ = S().log.size();
    Twain().Acquire();
    while (!Twain().Finished()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }
  std::vector<std::string> Since() {
    std::vector<std::string> tail(S().log.begin() + static_cast<long>(start_), S().log.end());
    std::erase_if(
        tail, [](const std::string& e) { return e.starts_with("GET") || e.starts_with("SET"); });
    return tail;
  }
  size_t start_ = 0;
};

TEST_F(AcquireTest, SingleImage) {
  S().feeder = {Gray2x2(), Gray2x2()};
  S().events = {MSG_XFERREADY};
  Acquire();
  EXPECT_EQ(Since(), (std::vector<std::string>{"OPENDS Flatbed One", "ENABLEDS", "PROCESSEVENT",
                                               "XFER", "cb image 1", "cb finish", "ENDXFER 1",
                                               "RESET", "DISABLEDS", "CLOSEDS"}));
  EXPECT_EQ(Twain().PageCount(), 1);
  ASSERT_NE(Twain().AcquiredImage(), nullptr);
  EXPECT_EQ(Twain().AcquiredImage()->ScanLine(0)[0], 30);  // bottom-up block, top row first
  EXPECT_EQ(Twain().AcquiredImage()->ScanLine(1)[1], 20);
  EXPECT_FALSE(Twain().GetBusy());
}

TEST_F(AcquireTest, MultiImageStopsAtTheLimitOrTheFeederEnd) {
  for (const int limit : {3, 0}) {
    twain_.reset();
    S().feeder.assign(5, Gray2x2());
    S().events = {MSG_XFERREADY};
    Twain().MultiImage = true;
    Twain().SetImagesToRead(limit);
    Acquire();
    const int pages = limit == 0 ? 5 : limit;
    std::vector<std::string> want = {"OPENDS Flatbed One", "ENABLEDS", "PROCESSEVENT"};
    for (int page = 1; page <= pages; ++page)
      for (const std::string& e : {std::string("XFER"), "cb image " + std::to_string(page),
                                   "ENDXFER " + std::to_string(5 - page)})
        want.push_back(e);
    for (const char* e : {"cb finish", "RESET", "DISABLEDS", "CLOSEDS"}) want.push_back(e);
    EXPECT_EQ(Since(), want) << "limit " << limit;
    EXPECT_EQ(Twain().PageCount(), pages);
  }
}

TEST_F(AcquireTest, FailedTransferCancels) {
  std::vector<uint8_t> short_block = Gray2x2();
  short_block.resize(short_block.size() - 3);  // rows cut short
  for (const auto& block : {std::vector<uint8_t>{}, short_block}) {
    twain_.reset();
    S().feeder = {block};
    S().events = {MSG_XFERREADY};
    Acquire();
    EXPECT_EQ(Since(), (std::vector<std::string>{"OPENDS Flatbed One", "ENABLEDS", "PROCESSEVENT",
                                                 "XFER", "cb finish", "ENDXFER 0", "RESET",
                                                 "DISABLEDS", "CLOSEDS", "cb cancel"}));
    EXPECT_EQ(Twain().AcquiredImage(), nullptr);
  }
}

TEST_F(AcquireTest, CloseRequestFinishesThenCancels) {
  S().events = {MSG_CLOSEDSREQ};
  Acquire();
  EXPECT_EQ(Since(), (std::vector<std::string>{"OPENDS Flatbed One", "ENABLEDS", "PROCESSEVENT",
                                               "DISABLEDS", "CLOSEDS", "cb finish", "cb cancel"}));
}

TEST_F(AcquireTest, NoDeviceOrRefusedStart) {
  Twain().SetCurrentDevice(-1);
  try {
    Twain().Acquire();
    ADD_FAILURE() << "an acquisition without a device must raise";
  } catch (const ETwainError& e) {
    EXPECT_STREQ(e.what(), "Cannot find Twain device");
  }
  EXPECT_TRUE(Twain().Finished());
  EXPECT_FALSE(Twain().SourceOpen());
  Twain().SetCurrentDevice(0);
  S().enable_rc = TWRC_FAILURE;
  try {
    Twain().Acquire();
    ADD_FAILURE() << "a refused start must raise";
  } catch (const ETwainError& e) {
    EXPECT_STREQ(e.what(), "Error while acquiring image from Twain device");
  }
  EXPECT_TRUE(Twain().Finished());
  EXPECT_FALSE(Twain().SourceOpen());
  S().closeds_rc = TWRC_FAILURE;
  try {
    Twain().GetConnected();
    Twain().CloseSource();
    ADD_FAILURE() << "a refused close must raise";
  } catch (const ETwainError& e) {
    EXPECT_STREQ(e.what(), "Error while unloading Twain device");
  }
  EXPECT_TRUE(Twain().SourceOpen());
}

// A white-first 1-bit table: the named scanners mean their bits, the others mean their table.
TEST_F(AcquireTest, OneBitWhiteFirstTable) {
  struct Case {
    const char* name;
    bool bits_kept;
  };
  for (const Case c : {Case{"AVision 220", true}, Case{"xerox 7", true}, Case{"DocuMate 152", true},
                       Case{"HP LaserJet 3150", true}, Case{"Visioneer One", true},
                       Case{"Canon", false}, Case{"av-x", false}}) {
    twain_.reset();
    S().sources = {c.name};
    S().feeder = {PackedDib(8, 1, 1, {0xFFFFFF, 0x000000}, {0xA5, 0, 0, 0})};
    S().events = {MSG_XFERREADY};
    Acquire();
    const TicBitmap* image = Twain().AcquiredImage();
    ASSERT_NE(image, nullptr) << c.name;
    EXPECT_EQ(image->Palette()[0].ToColor(), 0x000000u) << c.name;
    EXPECT_EQ(image->Palette()[1].ToColor(), 0xFFFFFFu) << c.name;
    EXPECT_EQ(image->ScanLine(0)[0], c.bits_kept ? 0xA5 : 0x5A) << c.name;
  }
}

}  // namespace
}  // namespace pictavo
