// Acquisitions from the SANE test backend through the control's members: the pictures equal what
// scanimage makes of the same settings, the feeder, error statuses, unknown page lengths, the
// source dialog, and unloading while a page is being read.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDoubleSpinBox>
#include <QPushButton>
#include <QTest>

#include "control/engine/view/pvimage.h"
#include "scan_sane/sane_fixture.h"

namespace velmora_test {
namespace {

using SaneAcquire = SaneControl;

// 50 x 50 mm at 50 dpi, set in centimetres.
void SetSmallArea(MemberClient& client) {
  client.Put("TwainUnits", int64_t{1});
  client.Call("SetTwainLayout", {0.0, 5.0, 0.0, 5.0});
  client.Put("TwainUnits", int64_t{0});
  client.Put("TwainResolution", 50.0);
}

bool SamePixels(const pictavo::TicBitmap& a, const pictavo::TicBitmap& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x)
      if (a.PixelColor(x, y) != b.PixelColor(x, y)) return false;
  return true;
}

const char kArea[] = "--resolution 50 -l 0 -t 0 -x 50 -y 50";

TEST_F(SaneAcquire, PicturesEqualScanimagesForEachPixelType) {
  struct Row {
    int64_t pixel_type;
    const char* mode;
  };
  const Row types[] = {
      {1, "--mode Gray --depth 8"}, {2, "--mode Color --depth 8"}, {0, "--mode Gray --depth 1"}};
  for (const char* picture : {"Solid black", "Color pattern", "Grid"}) {
    const TSaneConfig config(TSettings{{"test-picture", std::string("\"") + picture + "\""}});
    client_.Call("UnloadTwain");
    PrepareQuietScan();
    SetSmallArea(client_);
    for (const Row& t : types) {
      SCOPED_TRACE(std::string(picture) + " " + t.mode);
      client_.Put("TwainPixelType", t.pixel_type);
      events_.clear();
      client_.Call("Acquire");
      EXPECT_EQ(events_, (std::vector<std::string>{"acquire", "finish"}));
      ExpectSameImage(box_->View(), ScanimagePnm(std::string(t.mode) + " " + kArea +
                                                 " --test-picture \"" + picture + "\""));
      EXPECT_EQ(client_.Get("XDPI"), TCallValue{int64_t{50}});
      EXPECT_EQ(client_.Get("YDPI"), TCallValue{int64_t{50}});
    }
  }
}

TEST_F(SaneAcquire, ThreePassColourEqualsScanimages) {
  const TSaneConfig config(TSettings{
      {"three-pass", "true"}, {"three-pass-order", "GBR"}, {"test-picture", "\"Color pattern\""}});
  PrepareQuietScan();
  SetSmallArea(client_);
  client_.Put("TwainPixelType", int64_t{2});
  client_.Call("Acquire");
  EXPECT_EQ(events_, (std::vector<std::string>{"acquire", "finish"}));
  ExpectSameImage(
      box_->View(),
      ScanimagePnm(std::string("--mode Color --three-pass=yes --three-pass-order GBR ") + kArea +
                   " --test-picture \"Color pattern\""));
}

TEST_F(SaneAcquire, FeederGivesTheWantedPagesOrAllTen) {
  struct Row {
    int64_t to_read;
    int64_t want_pages;
  };
  for (const Row r : {Row{3, 3}, Row{0, 10}}) {
    const TSaneConfig config;
    client_.Call("UnloadTwain");  // a new session of the backend, with a full feeder
    PrepareQuietScan();
    SetSmallArea(client_);
    client_.Put("UseADF", true);
    client_.Put("TwainMultiImage", true);
    client_.Put("TwainImagesToRead", r.to_read);
    events_.clear();
    client_.Call("Acquire");
    std::vector<std::string> want(static_cast<size_t>(r.want_pages), "acquire");
    want.push_back("finish");
    EXPECT_EQ(events_, want) << r.to_read;
    EXPECT_EQ(client_.Get("TwainPageCount"), TCallValue{r.want_pages});
  }
  // The eleventh start found the feeder empty: the acquisition ended there, cancelling nothing.
  EXPECT_EQ(client_.Get("TwainBusy"), TCallValue{false});
}

TEST_F(SaneAcquire, ErrorStatusesCancelAndKeepTheImage) {
  PrepareQuietScan();
  SetSmallArea(client_);
  client_.Call("Acquire");
  ASSERT_TRUE(box_->View().ImageLoaded());
  const pictavo::TicBitmap before = *box_->View().CurrentImage();
  for (const char* status : {"SANE_STATUS_JAMMED", "SANE_STATUS_IO_ERROR", "SANE_STATUS_CANCELLED",
                             "SANE_STATUS_NO_DOCS"}) {
    const TSaneConfig config(TSettings{{"read-status-code", std::string("\"") + status + "\""}});
    client_.Call("UnloadTwain");
    PrepareQuietScan();
    events_.clear();
    client_.Call("Acquire");
    EXPECT_EQ(events_, (std::vector<std::string>{"finish", "cancel"})) << status;
    ASSERT_TRUE(box_->View().ImageLoaded());
    EXPECT_TRUE(SamePixels(*box_->View().CurrentImage(), before)) << status;
  }
}

TEST_F(SaneAcquire, HandScannerGivesTheLinesDelivered) {
  const TSaneConfig config(TSettings{{"hand-scanner", "true"}, {"test-picture", "\"Grid\""}});
  PrepareQuietScan();
  client_.Put("TwainResolution", 50.0);
  client_.Call("Acquire");
  EXPECT_EQ(events_, (std::vector<std::string>{"acquire", "finish"}));
  ExpectSameImage(box_->View(),
                  ScanimagePnm("--hand-scanner=yes --resolution 50 --test-picture Grid"));
}

TEST_F(SaneAcquire, SourceDialogScansWithItsResolution) {
  const TSaneConfig config(TSettings{{"test-picture", "\"Color pattern\""}});
  client_.Put("CurrentTwainDevice", int64_t{0});
  SetSmallArea(client_);
  client_.Put("TwainPixelType", int64_t{2});
  WhenShown(QStringLiteral("Scan"), [](QWidget& dialog) {
    auto* resolution = dialog.findChild<QDoubleSpinBox*>(QStringLiteral("resolution"));
    ASSERT_NE(resolution, nullptr);
    resolution->setValue(30);
    QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("Scan")), Qt::LeftButton);
  });
  client_.Call("Acquire");
  EXPECT_EQ(events_, (std::vector<std::string>{"acquire", "finish"}));
  ExpectSameImage(box_->View(), ScanimagePnm("--mode Color --depth 8 --resolution 30 -l 0 -t 0 "
                                             "-x 50 -y 50 --test-picture \"Color pattern\""));
}

TEST_F(SaneAcquire, SourceDialogCancelEndsTheAcquisition) {
  client_.Put("CurrentTwainDevice", int64_t{0});
  WhenShown(QStringLiteral("Scan"), [](QWidget& dialog) {
    QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("Cancel")), Qt::LeftButton);
  });
  client_.Call("Acquire");
  EXPECT_EQ(events_, (std::vector<std::string>{"finish", "cancel"}));
  EXPECT_FALSE(box_->View().ImageLoaded());
  EXPECT_EQ(client_.Get("TwainBusy"), TCallValue{false});
}

// A page of a megabyte handed over a byte a read, with pauses: seconds long.
const TSettings kSlowPage = {{"resolution", "300"},
                             {"read-limit", "true"},
                             {"read-limit-size", "1"},
                             {"read-delay", "true"},
                             {"read-delay-duration", "200000"}};

TEST_F(SaneAcquire, ProgressCancelStopsTheReadAndCancels) {
  const TSaneConfig config(kSlowPage);
  PrepareQuietScan();
  client_.Put("ShowTwainProgress", true);
  WhenShown(QStringLiteral("scanProgress"),
            [](QWidget& progress) { progress.findChild<QPushButton*>()->click(); });
  client_.Call("Acquire");
  EXPECT_EQ(events_, (std::vector<std::string>{"finish", "cancel"}));
  EXPECT_FALSE(box_->View().ImageLoaded());
}

TEST_F(SaneAcquire, UnloadWhileAPageIsReadCancelsAndJoins) {
  const TSaneConfig config(kSlowPage);
  PrepareQuietScan();
  client_.Put("WaitForAcquire", false);
  client_.Call("Acquire");
  EXPECT_EQ(client_.Get("TwainBusy"), TCallValue{true});
  QCoreApplication::processEvents();
  client_.Call("UnloadTwain");
  QCoreApplication::processEvents();
  EXPECT_TRUE(events_.empty());
  EXPECT_FALSE(box_->View().ImageLoaded());
  // Scanning works again afterwards.
  const TSaneConfig quick;
  PrepareQuietScan();
  SetSmallArea(client_);
  client_.Put("WaitForAcquire", true);
  client_.Call("Acquire");
  EXPECT_EQ(events_, (std::vector<std::string>{"acquire", "finish"}));
}

}  // namespace
}  // namespace velmora_test
