// The slide-show window on the offscreen platform: navigation, play and pause, the bar's place,
// the picture's place and colours, and what a damaged entry does.
#include <gtest/gtest.h>

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "app/output/players/slideshow/slideshow_window.h"
#include "slideshow_fixture.h"

namespace players::slideshow {
namespace {

using output::package::PackageKind;
using output::package::PackageReader;

const std::vector<Slide> kThree = {
    {{40, 30}, Qt::red}, {{64, 48}, Qt::green}, {{80, 20}, Qt::blue}};

class SlideShow {
 public:
  explicit SlideShow(std::string package, QSize screen = {1024, 768})
      : bytes_(std::move(package)),
        reader_(View(bytes_), PackageKind::kSlideShow),
        window_(reader_, screen),
        failures_(&window_, &SlideShowWindow::failed) {}

  SlideShowWindow& Window() { return window_; }
  QSignalSpy& Failures() { return failures_; }
  void Click(Glyph glyph) { QTest::mouseClick(window_.Button(glyph), Qt::LeftButton); }
  // The colour at the picture's centre.
  QColor Shown() {
    const QImage image = window_.Picture()->pixmap().toImage();
    return image.pixelColor(image.width() / 2, image.height() / 2);
  }

 private:
  std::string bytes_;
  PackageReader reader_;
  SlideShowWindow window_;
  QSignalSpy failures_;
};

bool Near(QColor a, QColor b) {
  return std::abs(a.red() - b.red()) < 8 && std::abs(a.green() - b.green()) < 8 &&
         std::abs(a.blue() - b.blue()) < 8;
}

TEST(SlideShowWindow, PreviousAndNextWrapBothWays) {
  SlideShow show(SlideShowPackage(kThree));
  ASSERT_TRUE(show.Window().Start());
  EXPECT_EQ(show.Window().Current(), 0);
  EXPECT_TRUE(Near(show.Shown(), Qt::red));
  show.Click(Glyph::kPrevious);
  EXPECT_EQ(show.Window().Current(), 2);
  EXPECT_TRUE(Near(show.Shown(), Qt::blue));
  show.Click(Glyph::kNext);
  EXPECT_EQ(show.Window().Current(), 0);
  show.Click(Glyph::kNext);
  EXPECT_EQ(show.Window().Current(), 1);
  EXPECT_TRUE(Near(show.Shown(), Qt::green));
  QTest::keyClick(&show.Window(), Qt::Key_Left);
  EXPECT_EQ(show.Window().Current(), 0);
  QTest::keyClick(&show.Window(), Qt::Key_Right);
  EXPECT_EQ(show.Window().Current(), 1);
  EXPECT_EQ(show.Failures().count(), 0);
}

TEST(SlideShowWindow, OneImageShowStaysOnIt) {
  SlideShow show(SlideShowPackage({kThree[1]}, 0, 1));
  ASSERT_TRUE(show.Window().Start());
  show.Click(Glyph::kPrevious);
  EXPECT_EQ(show.Window().Current(), 0);
  show.Click(Glyph::kNext);
  EXPECT_EQ(show.Window().Current(), 0);
  show.Click(Glyph::kPlay);
  QTest::qWait(1300);  // one tick of the 1-second timer
  EXPECT_EQ(show.Window().Current(), 0);
  EXPECT_TRUE(Near(show.Shown(), Qt::green));
  EXPECT_EQ(show.Failures().count(), 0);
}

TEST(SlideShowWindow, PlaySwapsInPauseAndStartsTheInterval) {
  SlideShow show(SlideShowPackage(kThree, 0, 9));
  ASSERT_TRUE(show.Window().Start());
  show.Window().show();
  GlyphButton* play = show.Window().Button(Glyph::kPlay);
  GlyphButton* pause = show.Window().Button(Glyph::kPause);
  EXPECT_FALSE(show.Window().Timer().isActive());
  EXPECT_GE(pause->x(), SlideShowWindow::kBarWidth);  // waiting beyond the bar

  show.Click(Glyph::kPlay);
  EXPECT_TRUE(show.Window().Timer().isActive());
  EXPECT_EQ(show.Window().Timer().interval(), 9000);
  EXPECT_FALSE(play->isVisible());
  EXPECT_TRUE(pause->isVisible());
  EXPECT_EQ(pause->pos(), play->pos());

  // Next stops the advance but leaves Pause in Play's place.
  show.Click(Glyph::kNext);
  EXPECT_FALSE(show.Window().Timer().isActive());
  EXPECT_TRUE(pause->isVisible());
  EXPECT_FALSE(play->isVisible());
  EXPECT_EQ(show.Window().Current(), 1);

  show.Click(Glyph::kPause);
  EXPECT_FALSE(show.Window().Timer().isActive());
  EXPECT_TRUE(play->isVisible());
  EXPECT_FALSE(pause->isVisible());
}

TEST(SlideShowWindow, TimerAdvancesAndWraps) {
  SlideShow show(SlideShowPackage(kThree, 0, 1));
  ASSERT_TRUE(show.Window().Start());
  show.Click(Glyph::kPrevious);  // to the last image
  show.Click(Glyph::kPlay);
  ASSERT_TRUE(QTest::qWaitFor([&] { return show.Window().Current() == 0; }, 3000));
  EXPECT_TRUE(show.Window().Timer().isActive());
}

TEST(SlideShowWindow, IntervalsOutsideTheDialogsRange) {
  const std::vector<std::pair<int16_t, int>> cases = {
      {1, 1000}, {0, 1000}, {-4, 1000}, {60, 60000}};
  for (const auto& [interval, period] : cases) {
    SlideShow show(SlideShowPackage({kThree[0]}, 0, interval));
    EXPECT_EQ(show.Window().Timer().interval(), period) << interval;
  }
}

TEST(SlideShowWindow, BarSitsAtTheBottomCentreWithItsButtons) {
  SlideShow show(SlideShowPackage(kThree), {1024, 768});
  EXPECT_EQ(show.Window().geometry(), QRect(0, 0, 1024, 768));
  EXPECT_EQ(show.Window().Bar()->geometry(), QRect(382, 708, 260, 60));
  const std::vector<std::pair<Glyph, QRect>> buttons = {{Glyph::kPrevious, {0, 0, 70, 60}},
                                                        {Glyph::kPlay, {70, 0, 53, 60}},
                                                        {Glyph::kNext, {123, 0, 70, 60}},
                                                        {Glyph::kExit, {193, 0, 66, 60}},
                                                        {Glyph::kPause, {280, 0, 53, 60}}};
  for (const auto& [glyph, place] : buttons)
    EXPECT_EQ(show.Window().Button(glyph)->geometry(), place) << static_cast<int>(glyph);
  show.Window().show();
  show.Window().resize(801, 600);
  EXPECT_EQ(show.Window().Bar()->geometry(), QRect(270, 540, 260, 60));
}

TEST(SlideShowWindow, PictureIsCentredAndCutEquallyWhenLarger) {
  SlideShow show(SlideShowPackage({{{40, 30}, Qt::red}, {{2000, 1000}, Qt::yellow}}), {1024, 768});
  ASSERT_TRUE(show.Window().Start());
  EXPECT_EQ(show.Window().Picture()->geometry(), QRect(492, 369, 40, 30));
  show.Click(Glyph::kNext);
  EXPECT_EQ(show.Window().Picture()->geometry(), QRect(-488, -116, 2000, 1000));
}

TEST(SlideShowWindow, BackgroundResolvesSystemColours) {
  const std::vector<std::pair<uint32_t, QColor>> cases = {
      {0x00FF8040u, QColor(0x40, 0x80, 0xFF)},
      {0x80000001u, QColor(58, 110, 165)},   // the desktop
      {0x80000005u, QColor(255, 255, 255)},  // window background
  };
  for (const auto& [value, colour] : cases) {
    SlideShow show(SlideShowPackage({kThree[0]}, static_cast<int32_t>(value)));
    EXPECT_EQ(show.Window().palette().color(QPalette::Window), colour) << std::hex << value;
  }
}

TEST(SlideShowWindow, PressedButtonShowsItsPressedGlyph) {
  SlideShow show(SlideShowPackage(kThree));
  ASSERT_TRUE(show.Window().Start());
  GlyphButton* next = show.Window().Button(Glyph::kNext);
  const QImage normal = next->grab().toImage();
  QTest::mousePress(next, Qt::LeftButton);
  const QImage pressed = next->grab().toImage();
  EXPECT_NE(normal, pressed);
  EXPECT_EQ(show.Window().Current(), 0);  // a press alone does not go on
  QTest::mouseRelease(next, Qt::LeftButton);
  EXPECT_EQ(next->grab().toImage(), normal);
  EXPECT_EQ(show.Window().Current(), 1);
}

TEST(SlideShowWindow, ExitEscapeAndDoubleClickCloseTheWindow) {
  const std::vector<std::function<void(SlideShow&)>> enders = {
      [](SlideShow& s) { s.Click(Glyph::kExit); },
      [](SlideShow& s) { QTest::keyClick(&s.Window(), Qt::Key_Escape); },
      [](SlideShow& s) {
        QTest::mouseDClick(&s.Window(), Qt::LeftButton, {}, {10, 10});
      },
      // On the picture, which lets the double click through to the window.
      [](SlideShow& s) {
        QTest::mouseDClick(&s.Window(), Qt::LeftButton, {}, {512, 384});
      },
  };
  for (size_t i = 0; i < enders.size(); ++i) {
    SlideShow show(SlideShowPackage(kThree, 0, 2));
    ASSERT_TRUE(show.Window().Start());
    show.Window().show();
    show.Click(Glyph::kPlay);
    enders[i](show);
    EXPECT_FALSE(show.Window().isVisible()) << i;
  }
}

// A JPEG whose frame header claims `width` x `height`.
std::string ClaimingSize(std::string jpeg, int width, int height) {
  const size_t frame = jpeg.find("\xFF\xC0", 2);
  EXPECT_NE(frame, std::string::npos);
  jpeg[frame + 5] = static_cast<char>(height >> 8);
  jpeg[frame + 6] = static_cast<char>(height & 0xFF);
  jpeg[frame + 7] = static_cast<char>(width >> 8);
  jpeg[frame + 8] = static_cast<char>(width & 0xFF);
  return jpeg;
}

TEST(SlideShowWindow, EntriesThatCannotBeShownEndTheShowWithTheirReason) {
  const std::string good = Jpeg(kThree[0]);
  const struct {
    const char* label;
    std::string entry;
    const char* message;
  } cases[] = {
      {"no JPEG", std::string(500, 'x'), "Image 2 of 3 cannot be shown: it is not a JPEG image"},
      {"huge claim", ClaimingSize(good, 60000, 60000),
       "Image 2 of 3 cannot be shown: it claims 60000 x 60000 pixels, more than can be shown"},
      {"cut short", good.substr(0, 40), "Image 2 of 3 cannot be shown: "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    SlideShow show(SlideShowPackage(std::vector<std::string>{good, c.entry, good}, 0, 1));
    ASSERT_TRUE(show.Window().Start());
    show.Click(Glyph::kPlay);
    show.Click(Glyph::kNext);
    ASSERT_EQ(show.Failures().count(), 1);
    const QString message = show.Failures().at(0).at(0).toString();
    EXPECT_TRUE(message.startsWith(QString::fromLatin1(c.message))) << message.toStdString();
    EXPECT_FALSE(show.Window().Timer().isActive());
  }
}

TEST(SlideShowWindow, ImagesAreDecodedFromMemoryWithNothingWritten) {
  QTemporaryDir temp;
  ASSERT_TRUE(temp.isValid());
  const QByteArray saved = qgetenv("TMPDIR");
  qputenv("TMPDIR", temp.path().toUtf8());
  {
    SlideShow show(SlideShowPackage(kThree));
    ASSERT_TRUE(show.Window().Start());
    show.Click(Glyph::kNext);
    EXPECT_TRUE(Near(show.Shown(), Qt::green));
  }
  qputenv("TMPDIR", saved);
  EXPECT_TRUE(QDir(temp.path()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
}

TEST(SlideShowWindow, ShowWithoutImagesFailsOnTheFirst) {
  SlideShow show(SlideShowPackage(std::vector<Slide>{}));
  EXPECT_FALSE(show.Window().Start());
  ASSERT_EQ(show.Failures().count(), 1);
  EXPECT_EQ(show.Failures().at(0).at(0).toString(),
            QStringLiteral("The slide show holds no image."));
}

}  // namespace
}  // namespace players::slideshow
