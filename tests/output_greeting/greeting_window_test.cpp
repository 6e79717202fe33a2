// The greeting's window on the offscreen platform: where a click bursts, the keys, the double
// click, the same frames for the same clicks, and the player's start.
#include <gtest/gtest.h>

#include <QApplication>
#include <QBuffer>
#include <QFile>
#include <QLockFile>
#include <QTest>

#include "app/output/players/greeting/greeting_player.h"
#include "app/output/players/greeting/greeting_window.h"
#include "app/output/players/support/player_support.h"
#include "support/player_start.h"

namespace players::greeting {
namespace {

QImage Card(QSize size = {640, 480}) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(QColor(30, 60, 40));
  return image;
}

struct Greeting {
  explicit Greeting(QSize size = {640, 480}) : window(Card(size), [this] { ++sounds; }) {}
  int sounds = 0;
  GreetingWindow window;
};

TEST(GreetingWindow, ClickBurstsFiftyPixelsAboveItOneTickLater) {
  Greeting g;
  EXPECT_EQ(g.window.size(), QSize(640, 480));
  EXPECT_FALSE(g.window.AnimationTimer().isActive());
  EXPECT_FALSE(g.window.LaunchTimer().isActive());
  QTest::mouseClick(g.window.View(), Qt::LeftButton, {}, QPoint(100, 200));
  EXPECT_TRUE(g.window.AnimationTimer().isActive());
  EXPECT_EQ(g.window.AnimationTimer().interval(), 10);
  EXPECT_EQ(g.window.AnimationTimer().timerType(), Qt::PreciseTimer);
  EXPECT_FALSE(g.window.LaunchTimer().isActive());
  EXPECT_EQ(g.window.LaunchTimer().interval(), 100);
  EXPECT_EQ(g.sounds, 1);
  EXPECT_EQ(g.window.Rocket().TargetY, 480);
  EXPECT_FALSE(g.window.Rocket().Exploded);
  g.window.Tick();
  const fireworks::FireworkRocket& rocket = g.window.Rocket();
  ASSERT_TRUE(rocket.Exploded);
  EXPECT_EQ(rocket.X, 100);
  EXPECT_EQ(rocket.Y, 150);
  EXPECT_GE(rocket.Particles.size(), 101u);
  for (const fireworks::FireworkParticle& spark : rocket.Particles) {
    EXPECT_EQ(spark.X, 100);
    EXPECT_EQ(spark.Y, 150);
  }
  g.window.Tick();
  EXPECT_FALSE(g.window.Engine().BrightPoints().empty());
}

TEST(GreetingWindow, LowerCaseFTogglesFullScreenAndAnyOtherKeyEnds) {
  Greeting g;
  g.window.show();
  QTest::keyClick(&g.window, 'f');
  EXPECT_TRUE(g.window.FullScreen());
  EXPECT_TRUE(g.window.windowState() & Qt::WindowMaximized);
  const QRect screen = g.window.screen()->availableGeometry();
  EXPECT_EQ(g.window.size(), screen.size());
  EXPECT_EQ(g.window.View()->pos(), QPoint(std::max(0, (screen.width() - 640) / 2),
                                           std::max(0, (screen.height() - 480) / 2)));
  QTest::keyClick(&g.window, 'f');
  EXPECT_FALSE(g.window.FullScreen());
  EXPECT_FALSE(g.window.windowState() & Qt::WindowMaximized);
  EXPECT_EQ(g.window.size(), QSize(640, 480));
  EXPECT_EQ(g.window.View()->pos(), QPoint(0, 0));

  QTest::keyClick(&g.window, Qt::Key_Shift);  // types nothing
  EXPECT_TRUE(g.window.isVisible());
  QTest::mouseClick(g.window.View(), Qt::LeftButton, {}, QPoint(10, 10));
  QTest::keyClick(&g.window, 'F');  // 70
  EXPECT_FALSE(g.window.isVisible());
  EXPECT_FALSE(g.window.AnimationTimer().isActive());
}

TEST(GreetingWindow, PictureLargerThanTheScreenStaysAtTheLeftAndTop) {
  Greeting g({3000, 2000});
  g.window.show();
  QTest::keyClick(&g.window, 'f');
  EXPECT_EQ(g.window.View()->pos(), QPoint(0, 0));
}

TEST(GreetingWindow, DoubleClickFirstBurstsThenEnds) {
  Greeting g;
  g.window.show();
  // As a double click arrives: press, release, press as a double click, release.
  QTest::mouseClick(g.window.View(), Qt::LeftButton, {}, QPoint(300, 300));
  EXPECT_TRUE(g.window.isVisible());
  QTest::mouseDClick(g.window.View(), Qt::LeftButton, {}, QPoint(300, 300));
  EXPECT_GE(g.sounds, 1);
  EXPECT_EQ(g.window.Rocket().X, 300);
  EXPECT_EQ(g.window.Rocket().TargetY, 480);
  EXPECT_FALSE(g.window.isVisible());
  EXPECT_FALSE(g.window.AnimationTimer().isActive());
}

// The picture layer and the bright sparks after clicks at `clicks`, each followed by 30 ticks.
QImage Frames(const std::vector<QPoint>& clicks) {
  Greeting g;
  for (const QPoint& at : clicks) {
    QTest::mouseClick(g.window.View(), Qt::LeftButton, {}, at);
    for (int i = 0; i < 30; ++i) g.window.Tick();
  }
  return g.window.View()->grab().toImage();
}

TEST(GreetingWindow, SameClicksGiveTheSameFramesAtEveryRun) {
  const std::vector<QPoint> clicks = {{100, 200}, {400, 300}, {320, 240}};
  const QImage first = Frames(clicks), second = Frames(clicks);
  EXPECT_EQ(first, second);
  EXPECT_NE(first, Card().convertToFormat(first.format()));
  EXPECT_NE(Frames({{100, 200}, {400, 310}, {320, 240}}), first);
}

class GreetingStart : public PlayerStart {
 protected:
  QString Program(const std::string& entry, bool cut = false) {
    return PlayerStart::Program(QStringLiteral("card"), "Single", entry, cut);
  }
  static std::string Jpeg() {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    Card({64, 48}).save(&buffer, "JPG");
    return bytes.toStdString();
  }
};

TEST_F(GreetingStart, SecondCopyEndsAtOnce) {
  const QString program = Program(Jpeg());
  QLockFile first(PlayerLockPath(program));
  ASSERT_TRUE(first.tryLock(0));
  EXPECT_EQ(RunGreeting(program), 0);
  EXPECT_FALSE(AnyWindowShown());
}

TEST_F(GreetingStart, CutShortPackageSaysSoOnStandardError) {
  const QString program = Program(Jpeg(), true);
  testing::internal::CaptureStderr();
  EXPECT_EQ(RunGreeting(program), 1);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "card: no greeting is attached, or the file is incomplete\n");
}

TEST_F(GreetingStart, PictureThatCannotBeShownIsReported) {
  const QString program = Program(std::string(300, 'x'));
  QString text;
  AcceptNextBox(text);
  EXPECT_EQ(RunGreeting(program), 1);
  EXPECT_EQ(text, QStringLiteral("card: the greeting's picture cannot be shown: it is not a JPEG "
                                 "image"));
}

}  // namespace
}  // namespace players::greeting
