// Screen capture through the control on a real X server.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <QWidget>

#include "activex/member_client.h"
#include "platform/graphics/handles.h"

namespace pictavo {
namespace {

using velmora_test::MemberCall;
using velmora_test::TCallValue;
using velmora_test::TestImageBox;

// Every pixel of the control's image has this colour.
bool AllPixels(TestImageBox& box, plat::TColor colour) {
  const TicBitmap& image = *box.View().CurrentImage();
  for (int y = 0; y < image.Height(); ++y)
    for (int x = 0; x < image.Width(); ++x)
      if (image.PixelColor(x, y) != colour) return false;
  return true;
}

TEST(Capture, WindowPartlyOffTheLeftGivesItsVisiblePart) {
  QWidget window;
  window.setAutoFillBackground(true);
  QPalette palette = window.palette();
  palette.setColor(QPalette::Window, QColor(200, 30, 60));
  window.setPalette(palette);
  window.resize(200, 120);
  window.move(-50, 40);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  QTest::qWait(200);

  TestImageBox box;
  velmora_test::MemberClient control{box};
  const int64_t handles = plat::LiveHandleCount();
  for (bool release : {true, false}) {
    control.Put("ReleaseBMPHandle", release);
    control.Call("CaptureWindow", {int64_t{static_cast<int32_t>(window.winId())}});
    EXPECT_EQ(control.Get("ImageWidth"), TCallValue(int64_t{150})) << release;
    EXPECT_EQ(control.Get("ImageHeight"), TCallValue(int64_t{120})) << release;
    EXPECT_TRUE(AllPixels(box, plat::RGB(200, 30, 60))) << release;
    EXPECT_EQ(control.Get("ReleaseBMPHandle"), TCallValue(release));
    EXPECT_EQ(control.Get("LastFileName"), TCallValue(std::u16string()));
  }
  EXPECT_EQ(plat::LiveHandleCount(), handles);
}

TEST(Capture, ScreenGivesTheDesktopSize) {
  TestImageBox box;
  velmora_test::MemberClient control{box};
  control.Call("CaptureScreen");
  const QSize screen = QGuiApplication::primaryScreen()->size();
  EXPECT_EQ(control.Get("ImageWidth"), TCallValue(int64_t{screen.width()}));
  EXPECT_EQ(control.Get("ImageHeight"), TCallValue(int64_t{screen.height()}));
  EXPECT_EQ(screen, QSize(1024, 768));
}

TEST(Capture, WindowEntirelyOffTheScreenLeavesNoImage) {
  QWidget window;
  window.resize(50, 50);
  window.move(-500, -500);
  window.show();
  QTest::qWait(200);
  TestImageBox box;
  velmora_test::MemberClient control{box};
  control.Call("NewImage", {int64_t{5}, int64_t{4}});
  control.Call("CaptureWindow", {int64_t{static_cast<int32_t>(window.winId())}});
  EXPECT_EQ(control.Get("ImageWidth"), TCallValue(int64_t{0}));
}

}  // namespace
}  // namespace pictavo
