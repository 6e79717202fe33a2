// The scanning members of the control: their answers without a manager or in design mode, the
// kept settings, the waiting Acquire, and handlers that unload scanning or destroy the control.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>

#include "activex/member_client.h"
#include "control/engine/view/pvimage.h"
#include "twain/scripted_manager.h"

namespace pictavo {
namespace {

using namespace velmora_test;

std::vector<uint8_t> Gray3x1() {
  std::vector<uint32_t> table(256);
  for (uint32_t i = 0; i < 256; ++i) table[i] = i * 0x010101;
  return PackedDib(3, 1, 8, table, {7, 8, 9, 0});
}

TEST(ScanningMembers, WithoutManagerEveryMemberAnswersItsDefault) {
  MissingManagerLibrary missing;
  TestImageBox box;
  MemberClient client{box};
  struct Row {
    const char* member;
    TCallValue want;
    std::vector<TCallValue> args = {};
  };
  const Row rows[] = {{"TwainDeviceCount", int64_t{0}},
                      {"TwainDeviceName", std::u16string(), {int64_t{0}}},
                      {"CurrentTwainDevice", int64_t{-1}},
                      {"TwainConnected", false},
                      {"TwainBusy", false},
                      {"CanDisableTwainInterface", false},
                      {"TwainUnits", int64_t{0}},
                      {"TwainUnitsAllowed", false, {int64_t{0}}},
                      {"TwainPixelType", int64_t{-1}},
                      {"TwainPixelTypeAllowed", false, {int64_t{0}}},
                      {"TwainResolution", -1.0},
                      {"TwainResMin", -1.0},
                      {"TwainResMax", -1.0},
                      {"TwainResStep", -1.0},
                      {"XTwainResolution", -1.0},
                      {"XTwainResMin", -1.0},
                      {"YTwainResMax", -1.0},
                      {"YTwainResStep", -1.0},
                      {"TwainLeft", 0.0},
                      {"TwainBottom", 0.0},
                      {"TwainMaxWidth", -1.0},
                      {"TwainMaxHeight", -1.0},
                      {"TwainBrightness", -1.0},
                      {"TwainBrightnessMin", -1.0},
                      {"TwainContrast", -1.0},
                      {"TwainContrastStep", -1.0},
                      {"TwainAutoBright", false},
                      {"TwainThreshold", -1.0},
                      {"TwainAutoDeskew", false},
                      {"HasADF", false},
                      {"ADFLoaded", false},
                      {"UseADF", false},
                      {"TwainMultiImage", false},
                      {"TwainImagesToRead", int64_t{0}},
                      {"TwainPageCount", int64_t{0}},
                      {"TwainDuplexSupported", int64_t{0}},
                      {"TwainDuplexEnabled", false},
                      {"UseTwainInterface", true},
                      {"ShowTwainProgress", false},
                      {"WaitForAcquire", true},
                      {"TwainAppName", std::u16string(u"Pictavo")}};
  for (const Row& row : rows) EXPECT_EQ(client.Get(row.member, row.args), row.want) << row.member;
  EXPECT_EQ(client.Call("SelectTwainDevice"), TCallValue{false});
  for (const int64_t refused : {int64_t{0}, int64_t{-2}}) {
    client.Put("CurrentTwainDevice", refused);
    EXPECT_EQ(client.Get("CurrentTwainDevice"), TCallValue{int64_t{-1}});
  }
  client.Call("Acquire");  // no manager: nothing happens, nothing is raised
  EXPECT_FALSE(box.View().ImageLoaded());
}

TEST(ScanningMembers, DesignModeNeverSetsScanningUp) {
  ScriptedBackend backend;
  TestImageBox box;
  MemberClient client{box};
  box.View().SetDesignMode(true);
  client.Put("TwainImagesToRead", int64_t{-5});
  EXPECT_EQ(client.Get("TwainImagesToRead"), TCallValue{int64_t{-5}});
  EXPECT_EQ(client.Get("TwainPageCount"), TCallValue{int64_t{0}});
  EXPECT_EQ(client.Get("TwainDeviceCount"), TCallValue{int64_t{0}});
  EXPECT_FALSE(box.View().Scanning().TwainLoaded());
  EXPECT_TRUE(backend.script->log.empty());
  box.View().SetDesignMode(false);
  EXPECT_EQ(client.Get("TwainImagesToRead"), TCallValue{int64_t{0}});
}

TEST(ScanningMembers, KeptSettingsReachEveryNewTwain) {
  ScriptedBackend backend;
  Script& s = *backend.script;
  s.sources = {"Flatbed One", "Feeder Two"};
  s.caps[CAP_FEEDERENABLED] = OneValue(TWTY_BOOL, 0);
  TestImageBox box;
  MemberClient client{box};
  client.Put("TwainAppName", std::u16string(u"Velmora scan"));
  client.Put("UseADF", true);
  client.Put("TwainMultiImage", true);
  client.Put("TwainImagesToRead", int64_t{4});
  client.Put("UseTwainInterface", false);
  client.Put("ShowTwainProgress", true);
  EXPECT_FALSE(box.View().Scanning().TwainLoaded());  // the puts kept the values only
  client.Put("CurrentTwainDevice", int64_t{1});
  EXPECT_EQ(client.Get("CurrentTwainDevice"), TCallValue{int64_t{1}});
  client.Call("UnloadTwain");
  EXPECT_FALSE(box.View().Scanning().TwainLoaded());
  EXPECT_EQ(client.Get("TwainAppName"), TCallValue{std::u16string(u"Velmora scan")});
  s.log.clear();
  EXPECT_EQ(client.Get("TwainImagesToRead"), TCallValue{int64_t{4}});  // loads again
  EXPECT_EQ(s.log, (std::vector<std::string>{"OPENDSM", "OPENDS Feeder Two", "SET 1002=0001",
                                             "SET 1007=0001"}));
  EXPECT_EQ(client.Get("TwainAppName"), TCallValue{std::u16string(u"Velmora scan")});
  EXPECT_EQ(client.Get("TwainMultiImage"), TCallValue{true});
  EXPECT_EQ(client.Get("UseTwainInterface"), TCallValue{false});
  EXPECT_EQ(client.Get("ShowTwainProgress"), TCallValue{true});
  EXPECT_EQ(client.Get("CurrentTwainDevice"), TCallValue{int64_t{1}});
  client.Put("CurrentTwainDevice", int64_t{2});  // beyond the sources
  EXPECT_EQ(client.Get("CurrentTwainDevice"), TCallValue{int64_t{1}});
}

class ScanningAcquire : public testing::Test {
 protected:
  ScanningAcquire() {
    backend_.script->sources = {"Flatbed One"};
    backend_.script->feeder = {Gray3x1()};
    backend_.script->events = {MSG_XFERREADY};
    view_->OnAcquire = [this] { events_.push_back("acquire"); };
    view_->OnAcquireFinish = [this] { events_.push_back("finish"); };
    view_->OnAcquireCancel = [this] { events_.push_back("cancel"); };
    view_->Scanning().SetCurrentTwainDevice(0);
  }
  ScriptedBackend backend_;
  std::unique_ptr<TpvImage> view_ = std::make_unique<TpvImage>();
  std::vector<std::string> events_;
};

TEST_F(ScanningAcquire, WaitingReturnsAfterTheFinishAndShowsTheImage) {
  view_->Acquire();
  events_.push_back("returned");
  EXPECT_EQ(events_, (std::vector<std::string>{"acquire", "finish", "returned"}));
  EXPECT_EQ(view_->ImageWidth(), 3);
  EXPECT_EQ(view_->CurrentImage()->ScanLine(0)[2], 9);
}

TEST_F(ScanningAcquire, NotWaitingReturnsBeforeTheImage) {
  view_->Scanning().WaitForAcquire = false;
  view_->Acquire();
  events_.push_back("returned");
  while (events_.size() < 3) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  EXPECT_EQ(events_, (std::vector<std::string>{"returned", "acquire", "finish"}));
  EXPECT_EQ(view_->ImageWidth(), 3);
}

TEST_F(ScanningAcquire, UnloadInTheFinishHandlerEndsTheWait) {
  view_->OnAcquireFinish = [this] {
    events_.push_back("finish");
    view_->Scanning().UnloadTwain();
  };
  view_->Acquire();
  EXPECT_FALSE(view_->Scanning().TwainLoaded());
  EXPECT_EQ(events_, (std::vector<std::string>{"acquire", "finish"}));
  // The transfer still ended properly before the manager closed.
  auto log = backend_.script->log;
  std::erase_if(log, [](const std::string& e) { return e.starts_with("GET"); });
  EXPECT_EQ(std::vector<std::string>(log.end() - 4, log.end()),
            (std::vector<std::string>{"RESET", "DISABLEDS", "CLOSEDS", "CLOSEDSM"}));
}

TEST_F(ScanningAcquire, DestroyingTheControlInTheImageHandler) {
  view_->OnAcquire = [this] {
    events_.push_back("acquire");
    view_.reset();
  };
  TpvImage* view = view_.get();
  view->Acquire();
  EXPECT_EQ(view_, nullptr);
  EXPECT_EQ(events_, std::vector<std::string>{"acquire"});
  EXPECT_EQ(backend_.script->log.back(), "CLOSEDSM");
}

}  // namespace
}  // namespace pictavo
