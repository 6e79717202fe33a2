// The screensaver's command line, settings, start rule and window on the offscreen platform.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "app/output/players/screensaver/saver_command.h"
#include "app/output/players/screensaver/saver_lock.h"
#include "app/output/players/screensaver/saver_player.h"
#include "app/output/players/screensaver/saver_settings.h"
#include "app/output/players/screensaver/saver_window.h"
#include "output_fireworks/scripted_random.h"
#include "support/player_start.h"

namespace players::screensaver {
namespace {

TEST(SaverCommand, HostForms) {
  struct Case {
    QStringList words;
    QString daemon_window;
    SaverMode mode;
    uint64_t host;
  } cases[] = {
      {{}, {}, SaverMode::kFullScreen, 0},
      {{"/s"}, {}, SaverMode::kFullScreen, 0},
      {{"/Screen"}, {}, SaverMode::kFullScreen, 0},
      {{"/P", "1234"}, {}, SaverMode::kPreview, 1234},
      {{"/P 1234"}, {}, SaverMode::kPreview, 1234},
      {{"/p0x1A2B"}, {}, SaverMode::kPreview, 0x1A2B},
      {{"/p:42"}, {}, SaverMode::kPreview, 42},
      {{"/P"}, {}, SaverMode::kPreview, 0},
      {{"-window-id", "0x1A2B"}, {}, SaverMode::kPreview, 0x1A2B},
      {{"-window-id", "77"}, {}, SaverMode::kPreview, 77},
      {{"-window-id"}, {}, SaverMode::kPreview, 0},
      {{"-root"}, "0x400007", SaverMode::kFullScreen, 0x400007},
      {{"-root"}, {}, SaverMode::kFullScreen, 0},
      {{"/c"}, {}, SaverMode::kConfigure, 0},
      {{"/C:123"}, {}, SaverMode::kConfigure, 0},
      {{"install"}, {}, SaverMode::kEnd, 0},
      {{"-x"}, {}, SaverMode::kEnd, 0},
  };
  for (const Case& c : cases) {
    const SaverCommand command = ParseCommand(c.words, c.daemon_window);
    EXPECT_EQ(command.Mode, c.mode) << c.words.join(' ').toStdString();
    EXPECT_EQ(command.Host, c.host) << c.words.join(' ').toStdString();
  }
}

TEST(SaverCommand, WindowNumbers) {
  EXPECT_EQ(WindowNumber("0x1a2B"), 0x1A2Bu);
  EXPECT_EQ(WindowNumber("987"), 987u);
  EXPECT_FALSE(WindowNumber("0x"));
  EXPECT_FALSE(WindowNumber("12ab"));
  EXPECT_FALSE(WindowNumber("-5"));
  EXPECT_FALSE(WindowNumber(""));
}

struct Store {
  QTemporaryDir dir;
  QSettings settings{dir.filePath("saver.ini"), QSettings::IniFormat};
  void Put(const char* key, const QString& value) {
    settings.setValue(QStringLiteral("SETTINGS/") + key, value);
  }
};

TEST(SaverSettings, DefaultsFromAnEmptyStore) {
  Store store;
  const SaverSettings player = ReadSettings(store.settings, kPlayerLaunchRate);
  EXPECT_EQ(player.LaunchRate, 200);
  EXPECT_EQ(player.RocketSpeed, 20);
  EXPECT_EQ(player.BgColor, 0x80000007u);
  EXPECT_EQ(player.Transition, 3);
  EXPECT_EQ(player.TailLength, 30);
  EXPECT_TRUE(player.Kinds.ShowRegular);
  EXPECT_FALSE(player.Kinds.ShowSmiley || player.Kinds.ShowStar || player.Kinds.ShowSpiral);
  EXPECT_TRUE(player.Kinds.ShowRandom);
  EXPECT_TRUE(player.PlayMusic);
  EXPECT_FALSE(player.UseDesktop);
  EXPECT_EQ(ReadSettings(store.settings, kDialogLaunchRate).LaunchRate, 100);
}

TEST(SaverSettings, BadTextReadsAsDefaultAndOutOfRangeIsClamped) {
  Store store;
  store.Put("RocketSpeed", "abc");
  store.Put("Transition", "999");
  store.Put("TailLength", "0");
  store.Put("LaunchRate", " 4500 ");
  store.Put("BgColor", "-2147483641");
  store.Put("UseDesktop", "2");
  store.Put("PlayMusic", "");
  const SaverSettings s = ReadSettings(store.settings, kPlayerLaunchRate);
  EXPECT_EQ(s.RocketSpeed, 20);
  EXPECT_EQ(s.Transition, 60);
  EXPECT_EQ(s.TailLength, 1);
  EXPECT_EQ(s.LaunchRate, 4500);
  EXPECT_EQ(s.BgColor, 0x80000007u);
  EXPECT_FALSE(s.UseDesktop);
  EXPECT_TRUE(s.PlayMusic);
}

TEST(SaverSettings, NoBurstKindOnReadsAsMonoColour) {
  Store store;
  for (const char* key : {"ShowRegular", "ShowSmiley", "ShowStar", "ShowSpiral", "ShowRandom"})
    store.Put(key, "0");
  const SaverSettings s = ReadSettings(store.settings, kPlayerLaunchRate);
  EXPECT_TRUE(s.Kinds.ShowRegular);
  EXPECT_FALSE(s.Kinds.ShowRandom);
}

TEST(SaverSettings, WrittenAsDecimalTextAndReadBack) {
  Store store;
  SaverSettings s;
  s.TailLength = 7;
  s.LaunchRate = 1000;
  s.RocketSpeed = 50;
  s.Transition = 5;
  s.Kinds = {false, false, false, false, false};
  s.UseDesktop = true;
  s.BgColor = 0x00FF8040;
  s.PlayMusic = false;
  WriteSettings(store.settings, s);
  QFile file(store.dir.filePath("saver.ini"));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QString text = QString::fromUtf8(file.readAll());
  for (const char* line :
       {"[SETTINGS]", "TailLength=7", "LaunchRate=1000", "RocketSpeed=50", "Transition=5",
        "ShowRegular=1", "ShowSmiley=0", "ShowStar=0", "ShowSpiral=0", "ShowRandom=0",
        "UseDesktop=1", "BgColor=16744512", "PlayMusic=0"})
    EXPECT_TRUE(text.contains(QLatin1String(line))) << line << " in\n" << text.toStdString();
  s.BgColor = kDefaultBgColor;
  WriteSettings(store.settings, s);
  EXPECT_EQ(store.settings.value("SETTINGS/BgColor").toString(), "-2147483641");
  EXPECT_EQ(ReadSettings(store.settings, kPlayerLaunchRate).BgColor, kDefaultBgColor);
}

TEST(SaverSettings, EachScreensaverFileHasItsOwn) {
  EXPECT_NE(SettingsFile("/a/Holiday.scr"), SettingsFile("/a/Garden.scr"));
  EXPECT_TRUE(SettingsFile("/a/Holiday.scr").endsWith("/Holiday.ini"));
  EXPECT_EQ(SettingsFile("/a/Holiday.scr"), SettingsFile("/b/Holiday.scr"));
}

TEST(SaverLock, AFullScreenStartBesideAPreviewRunsEveryOtherSecondStartEnds) {
  QTemporaryDir runtime;
  qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
  const QString file = runtime.filePath("saver.scr");
  {
    SaverLock preview(file);
    ASSERT_TRUE(preview.Acquire(SaverMode::kPreview));
    EXPECT_FALSE(SaverLock(file).Acquire(SaverMode::kPreview));
    EXPECT_FALSE(SaverLock(file).Acquire(SaverMode::kConfigure));
    SaverLock full(file);
    EXPECT_TRUE(full.Acquire(SaverMode::kFullScreen));
    EXPECT_FALSE(SaverLock(file).Acquire(SaverMode::kFullScreen));
  }
  {
    SaverLock full(file);
    ASSERT_TRUE(full.Acquire(SaverMode::kFullScreen));
    EXPECT_FALSE(SaverLock(file).Acquire(SaverMode::kPreview));
    EXPECT_FALSE(SaverLock(file).Acquire(SaverMode::kConfigure));
  }
  EXPECT_TRUE(SaverLock(file).Acquire(SaverMode::kConfigure));
  EXPECT_TRUE(SaverLock(runtime.filePath("other.scr")).Acquire(SaverMode::kFullScreen));
}

QImage Plain(QColor colour, QSize size = {200, 100}) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(colour);
  return image;
}

struct Saver {
  explicit Saver(size_t count, bool preview = false, SaverSettings settings = {})
      : window(
            Plain(Qt::red), {count, [this](size_t k) { return Decode(k); }}, settings, preview,
            random, [this] { ++sounds; }, [this](const QString& text) { faults << text; }) {
    QObject::connect(&window, &SaverWindow::ended, [this] { ++ends; });
    window.resize(800, 600);
    window.show();
  }
  QImage Decode(size_t k) {
    decoded.push_back(k);
    if (k == broken) throw std::runtime_error("it is not a JPEG image");
    return Plain(k == 0 ? Qt::red : k == 1 ? Qt::green : Qt::blue, QSize(50, 40));
  }
  fireworks::ScriptedRandom random;
  std::vector<size_t> decoded;
  size_t broken = SIZE_MAX;
  int sounds = 0;
  int ends = 0;
  QStringList faults;
  SaverWindow window;
};

TEST(SaverWindow, TimersFollowTheSettings) {
  SaverSettings settings;
  settings.Transition = 5;
  settings.LaunchRate = 350;
  Saver saver(3, false, settings);
  EXPECT_TRUE(saver.window.ShowTimer().isActive());
  EXPECT_EQ(saver.window.ShowTimer().interval(), 5000);
  EXPECT_TRUE(saver.window.LaunchTimer().isActive());
  EXPECT_EQ(saver.window.LaunchTimer().interval(), 350);
  EXPECT_TRUE(saver.window.AnimationTimer().isActive());
  EXPECT_EQ(saver.window.AnimationTimer().interval(), 10);
  EXPECT_TRUE(saver.window.SoundTimer().isActive());
  EXPECT_EQ(saver.window.SoundTimer().interval(), 3000);

  settings.PlayMusic = false;
  Saver one(1, false, settings);
  EXPECT_FALSE(one.window.ShowTimer().isActive());
  EXPECT_FALSE(one.window.SoundTimer().isActive());

  Saver preview(2, true, settings);
  EXPECT_TRUE(preview.window.ShowTimer().isActive());
  EXPECT_FALSE(preview.window.AnimationTimer().isActive());
  EXPECT_FALSE(preview.window.LaunchTimer().isActive());
}

TEST(SaverWindow, NextPictureWrapsAroundAndTheLayerKeepsTheFirstSize) {
  Saver saver(3);
  EXPECT_EQ(saver.window.PictureRect(), QRect(300, 250, 200, 100));
  for (size_t expected : {1, 2, 0, 1}) {
    saver.window.NextPicture();
    EXPECT_EQ(saver.window.CurrentPicture(), expected);
  }
  EXPECT_EQ(saver.decoded, (std::vector<size_t>{1, 2, 0, 1}));
  EXPECT_EQ(saver.window.Engine().Layer().size(), QSize(200, 100));
  // The blend fades the layer towards the green picture.
  for (int i = 0; i < 60; ++i) saver.window.Tick();
  EXPECT_GT(QColor(saver.window.Engine().Layer().pixel(100, 50)).green(), 245);
  EXPECT_LT(QColor(saver.window.Engine().Layer().pixel(100, 50)).red(), 8);
}

TEST(SaverWindow, AFaultyNextPictureIsReportedWithItsLineAndEnds) {
  Saver saver(3);
  saver.broken = 2;
  saver.window.NextPicture();
  saver.window.NextPicture();
  EXPECT_EQ(saver.faults, QStringList{"it is not a JPEG image\r\n3"});
  EXPECT_EQ(saver.ends, 1);
  EXPECT_FALSE(saver.window.ShowTimer().isActive());
  EXPECT_FALSE(saver.window.AnimationTimer().isActive());
  EXPECT_EQ(saver.window.CurrentPicture(), 1u);
}

TEST(SaverWindow, LaunchFromTheBottomReusingAFinishedRocket) {
  Saver saver(1);
  saver.random.Add({0.25, 0.5, 0.1});
  saver.window.Launch();
  auto& rockets = saver.window.Engine().Rockets();
  ASSERT_EQ(rockets.size(), 1u);
  EXPECT_EQ(rockets[0].X, 200.0f);
  EXPECT_EQ(rockets[0].Y, 600.0f);
  EXPECT_EQ(rockets[0].TargetY, 300);
  EXPECT_EQ(rockets[0].Color, 1677721u);
  EXPECT_FALSE(rockets[0].Exploded);
  EXPECT_EQ(rockets[0].Particles.size(), 11u);
  saver.window.Launch();
  EXPECT_EQ(rockets.size(), 2u);
  rockets[0].Y = fireworks::kFinished;
  rockets[0].Exploded = true;
  saver.random.Add({0.0, 0.125});
  saver.window.Launch();
  EXPECT_EQ(rockets.size(), 2u);
  EXPECT_EQ(rockets[0].X, 0.0f);
  EXPECT_EQ(rockets[0].TargetY, 75);
  EXPECT_FALSE(rockets[0].Exploded);
}

TEST(SaverWindow, WithOnlyTheSmileyRocketsBurstAboveTheirLine) {
  SaverSettings settings;
  settings.Kinds = {false, true, false, false, false};
  settings.RocketSpeed = 10;
  Saver saver(1, false, settings);
  saver.window.AnimationTimer().stop();
  saver.window.LaunchTimer().stop();
  saver.random.Add({0.5, 0.5, 0.5});
  saver.window.Launch();
  fireworks::FireworkRocket& rocket = saver.window.Engine().Rockets()[0];
  // Below the line from the launch (y 600) up to y 300: rising.
  for (int i = 0; i < 30; ++i) saver.window.Tick();
  EXPECT_FALSE(rocket.Exploded);
  // Draws of mono, star, none and multi keep it rising; the smiley bursts.
  saver.random.Add({0.0, 2.5 / 6, 5.5 / 6, 4.5 / 6, 1.5 / 6});
  for (int i = 0; i < 5; ++i) saver.window.Tick();
  EXPECT_TRUE(rocket.Exploded);
  EXPECT_EQ(rocket.Particles.size(), 53u);
  EXPECT_EQ(rocket.Y, 250.0f);
  EXPECT_LT(rocket.Y, rocket.TargetY - 40);
}

TEST(SaverWindow, AClickOrKeyEndsFullScreenButNotAPreview) {
  Saver full(2);
  QTest::mouseClick(&full.window, Qt::LeftButton, {}, QPoint(10, 10));
  EXPECT_EQ(full.ends, 1);
  EXPECT_FALSE(full.window.AnimationTimer().isActive());
  Saver keyed(2);
  QTest::keyClick(&keyed.window, Qt::Key_X);
  EXPECT_EQ(keyed.ends, 1);
  Saver moved(2);
  QTest::mouseMove(&moved.window, QPoint(100, 100));
  QTest::mouseMove(&moved.window, QPoint(300, 200));
  EXPECT_EQ(moved.ends, 0);
  Saver preview(2, true);
  QTest::mouseClick(&preview.window, Qt::LeftButton, {}, QPoint(10, 10));
  QTest::keyClick(&preview.window, Qt::Key_X);
  EXPECT_EQ(preview.ends, 0);
  EXPECT_TRUE(preview.window.ShowTimer().isActive());
}

TEST(SaverWindow, ThePreviewStretchesTheCurrentPictureOverTheWindow) {
  Saver preview(2, true);
  preview.window.resize(152, 112);
  EXPECT_EQ(preview.window.PreviewPicture().size(), QSize(152, 112));
  EXPECT_EQ(QColor(preview.window.PreviewPicture().pixel(70, 50)), QColor(Qt::red));
  preview.window.NextPicture();
  EXPECT_EQ(preview.window.PreviewPicture().size(), QSize(152, 112));
  EXPECT_EQ(QColor(preview.window.PreviewPicture().pixel(70, 50)), QColor(Qt::green));
}

class SaverStart : public PlayerStart {
 protected:
  QString Program(const std::string& entry) {
    return PlayerStart::Program(QStringLiteral("saver.scr"), "first.jpg", entry);
  }
};

TEST_F(SaverStart, AFirstPictureThatCannotBeShownIsReportedInABoxFullScreen) {
  const QString program = Program(std::string(300, 'x'));
  QString text;
  AcceptNextBox(text);
  EXPECT_EQ(RunScreensaver(program, {}), 1);
  EXPECT_EQ(text, "saver.scr: the screensaver cannot be shown: it is not a JPEG image");
}

TEST_F(SaverStart, WithoutAHostWindowThePreviewSaysSoOnStandardError) {
  const QString program = Program(std::string(300, 'x'));
  for (const auto& [words, line] :
       {std::pair{QStringList{"/P", "123"}, "saver.scr: there is no window 0x7b\n"},
        std::pair{QStringList{"/P"}, "saver.scr: no host window was given\n"}}) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(RunScreensaver(program, words), 1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), line);
  }
  EXPECT_FALSE(AnyWindowShown());
}

TEST_F(SaverStart, ASecondCopyAndAnUnknownWordEndAtOnce) {
  const QString program = Program(std::string(300, 'x'));
  SaverLock running(program);
  ASSERT_TRUE(running.Acquire(SaverMode::kFullScreen));
  EXPECT_EQ(RunScreensaver(program, {}), 0);
  EXPECT_EQ(RunScreensaver(program, {"/C"}), 0);
  EXPECT_EQ(RunScreensaver(dir_.filePath("other.scr"), {"/x"}), 0);
  EXPECT_FALSE(AnyWindowShown());
}

}  // namespace
}  // namespace players::screensaver
