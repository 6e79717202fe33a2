#pragma once
// Shared by the SANE scanning tests: a backend configuration of the test's own, the scanimage
// referee on the same configuration, and a control with the SANE manager installed.
#include <gtest/gtest.h>

#include <QWidget>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "activex/member_client.h"

namespace velmora_test {

// The test backend configured as the folder in SANE_CONFIG_DIR says, with some settings of its
// test.conf replaced (for instance {"test-picture", "\"Grid\""}) for the life of the object.
// Applies from the next time SANE starts, the next time scanning is set up after an UnloadTwain.
using TSettings = std::map<std::string, std::string>;
class TSaneConfig {
 public:
  explicit TSaneConfig(const TSettings& settings = {});
  ~TSaneConfig();
  TSaneConfig(const TSaneConfig&) = delete;
  TSaneConfig& operator=(const TSaneConfig&) = delete;
};

// A netpbm image as scanimage writes it (P4, P5 or P6 with maxval 255), as 0x00BBGGRR colours.
struct TReferee {
  int width = 0, height = 0;
  std::vector<uint32_t> colours;
};
// Runs scanimage on the test backend with these arguments (--format=pnm is added).
TReferee ScanimagePnm(const std::string& arguments);

// Expects the control's image to equal the referee in size and in every pixel's colour.
void ExpectSameImage(const pictavo::TpvImage& view, const TReferee& referee);

// Runs action on the first visible top-level widget of the given object name, or with a child
// of that name, once the event loop shows one.
void WhenShown(const QString& name, std::function<void(QWidget&)> action);

// A control whose scanning goes through the SANE manager; records its scanning events.
class SaneControl : public testing::Test {
 protected:
  SaneControl();
  ~SaneControl() override;
  // Puts the settings of an acquisition without the source dialog.
  void PrepareQuietScan(int device = 0);
  std::unique_ptr<TestImageBox> box_ = std::make_unique<TestImageBox>();
  MemberClient client_{*box_};
  std::vector<std::string> events_;
  int64_t handles_before_ = 0;
};

}  // namespace velmora_test
