// The SANE test backend's devices as sources, the selection dialog, and the capabilities the
// control reads from their options.
#include <gtest/gtest.h>

#include <QDialogButtonBox>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <cmath>
#include <set>

#include "scan_sane/sane_fixture.h"

namespace velmora_test {
namespace {

using SaneSources = SaneControl;

std::string Utf8(const TCallValue& value) {
  const auto& text = std::get<std::u16string>(value);
  return std::string(text.begin(), text.end());
}

double Number(const TCallValue& value) {
  return std::get<double>(value);
}

TEST_F(SaneSources, TwoDevicesWithDistinctNamesEndingInTheirDeviceNames) {
  ASSERT_EQ(client_.Get("TwainDeviceCount"), TCallValue{int64_t{2}});
  std::set<std::string> names;
  for (int64_t i = 0; i < 2; ++i) {
    const std::string name = Utf8(client_.Get("TwainDeviceName", {i}));
    // Both are "Noname frontend-tester virtual device" (scanimage -L), too long for an identity.
    EXPECT_TRUE(name.starts_with("Noname ")) << name;
    EXPECT_TRUE(name.ends_with(" test:" + std::to_string(i))) << name;
    EXPECT_LE(name.size(), 33u);
    names.insert(name);
  }
  EXPECT_EQ(names.size(), 2u);
}

TEST_F(SaneSources, SelectionDialogChoosesOrCancels) {
  struct Row {
    bool press_ok;
    int row;
    bool want_result;
    int64_t want_device;
  };
  for (const Row& r : {Row{true, 1, true, 1}, Row{false, 0, false, 1}, Row{true, 0, true, 0}}) {
    WhenShown(QStringLiteral("sources"), [r](QWidget& dialog) {
      auto* list = dialog.findChild<QListWidget*>();
      ASSERT_NE(list, nullptr);
      EXPECT_EQ(list->count(), 2);
      list->setCurrentRow(r.row);
      auto* buttons = dialog.findChild<QDialogButtonBox*>();
      QTest::mouseClick(
          buttons->button(r.press_ok ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel),
          Qt::LeftButton);
    });
    EXPECT_EQ(client_.Call("SelectTwainDevice"), TCallValue{r.want_result});
    EXPECT_EQ(client_.Get("CurrentTwainDevice"), TCallValue{r.want_device});
  }
}

TEST_F(SaneSources, PixelTypesAndUnitsOffered) {
  client_.Put("CurrentTwainDevice", int64_t{0});
  // Gray and Color modes; black and white is Gray at a depth of 1.
  for (int64_t type = 0; type <= 8; ++type)
    EXPECT_EQ(client_.Get("TwainPixelTypeAllowed", {type}), TCallValue{type <= 2}) << type;
  for (int64_t type : {int64_t{2}, int64_t{0}, int64_t{1}}) {
    client_.Put("TwainPixelType", type);
    EXPECT_EQ(client_.Get("TwainPixelType"), TCallValue{type});
  }
  for (int64_t unit = 0; unit <= 6; ++unit)
    EXPECT_EQ(client_.Get("TwainUnitsAllowed", {unit}), TCallValue{unit <= 5}) << unit;
  EXPECT_EQ(client_.Get("CanDisableTwainInterface"), TCallValue{true});
  EXPECT_EQ(client_.Get("HasADF"), TCallValue{true});
  EXPECT_EQ(client_.Get("UseADF"), TCallValue{false});
  EXPECT_EQ(client_.Get("ADFLoaded"), TCallValue{false});  // the backend has no sensor
  EXPECT_EQ(client_.Get("TwainDuplexSupported"), TCallValue{int64_t{0}});
  EXPECT_EQ(client_.Get("TwainBrightness"), TCallValue{-1.0});  // no such option
}

TEST_F(SaneSources, ResolutionAndSizesInTheChosenUnit) {
  client_.Put("CurrentTwainDevice", int64_t{0});
  // The backend offers 1..1200 dpi in steps of 1 over 0..200 mm (scanimage --help).
  struct Row {
    int64_t unit;
    double per_inch;
  };
  for (const Row& r : {Row{0, 1}, Row{1, 2.54}, Row{2, 6}, Row{3, 72}}) {
    client_.Put("TwainUnits", r.unit);
    EXPECT_EQ(client_.Get("TwainUnits"), TCallValue{r.unit});
    EXPECT_NEAR(Number(client_.Get("TwainResMin")), 1 / r.per_inch, 1e-4) << r.unit;
    EXPECT_NEAR(Number(client_.Get("TwainResMax")), 1200 / r.per_inch, 1e-4) << r.unit;
    EXPECT_NEAR(Number(client_.Get("TwainResStep")), 1 / r.per_inch, 1e-4) << r.unit;
    EXPECT_NEAR(Number(client_.Get("YTwainResMax")), 1200 / r.per_inch, 1e-4) << r.unit;
    EXPECT_NEAR(Number(client_.Get("TwainMaxWidth")), 200 / 25.4 * r.per_inch, 1e-3) << r.unit;
    EXPECT_NEAR(Number(client_.Get("TwainMaxHeight")), 200 / 25.4 * r.per_inch, 1e-3) << r.unit;
  }
  client_.Put("TwainUnits", int64_t{1});
  client_.Put("TwainResolution", 300 / 2.54);
  client_.Put("TwainUnits", int64_t{0});
  EXPECT_NEAR(Number(client_.Get("TwainResolution")), 300, 1e-3);
}

TEST_F(SaneSources, LayoutReadsBackInTheUnitItWasSetIn) {
  client_.Put("CurrentTwainDevice", int64_t{0});
  struct Row {
    int64_t unit;
    double left, right, top, bottom;  // whole millimetres, the backend's step
  };
  for (const Row& r : {Row{0, 0, 5, 0, 5}, Row{1, 1, 4, 2, 6},
                       Row{3, 72 / 25.4 * 10, 72 / 25.4 * 90, 72 / 25.4 * 20, 72 / 25.4 * 30}}) {
    client_.Put("TwainUnits", r.unit);
    client_.Call("SetTwainLayout", {r.left, r.right, r.top, r.bottom});
    EXPECT_NEAR(Number(client_.Get("TwainLeft")), r.left, 1e-3) << r.unit;
    EXPECT_NEAR(Number(client_.Get("TwainRight")), r.right, 1e-3) << r.unit;
    EXPECT_NEAR(Number(client_.Get("TwainTop")), r.top, 1e-3) << r.unit;
    EXPECT_NEAR(Number(client_.Get("TwainBottom")), r.bottom, 1e-3) << r.unit;
  }
  client_.Put("TwainUnits", int64_t{1});
  client_.Put("TwainRight", 7.0);
  EXPECT_NEAR(Number(client_.Get("TwainRight")), 7.0, 1e-3);
  EXPECT_NEAR(Number(client_.Get("TwainLeft")), 1.0, 1e-3);  // 10 mm
}

}  // namespace
}  // namespace velmora_test
