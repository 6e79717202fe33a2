// The slide show and its fault box as they appear on an X server, against pictures checked by eye.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>

#include "app/output/players/slideshow/slideshow_window.h"
#include "app/output/players/support/player_support.h"
#include "app_shell/screenshot_compare.h"
#include "slideshow_fixture.h"

namespace players::slideshow {
namespace {

#define GOLDEN(name) VELMORA_SOURCE_DIR "/tests/output_slideshow/golden/" name

TEST(SlideShowScreenshot, PictureCentredWithTheBarBelow) {
  const std::string package =
      SlideShowPackage({{{300, 200}, QColor(224, 16, 16)}, {{200, 300}, QColor(16, 16, 224)}},
                       static_cast<int32_t>(0x80000001u));
  const output::package::PackageReader reader(View(package),
                                              output::package::PackageKind::kSlideShow);
  SlideShowWindow window(reader, QApplication::primaryScreen()->geometry().size());
  ASSERT_TRUE(window.Start());
  ExpectWindowMatchesGolden(window, GOLDEN("slideshow.png"));
  // Playing: Pause in Play's place, the second picture shown.
  QTest::mouseClick(window.Button(Glyph::kPlay), Qt::LeftButton);
  QTest::mouseClick(window.Button(Glyph::kNext), Qt::LeftButton);
  ExpectWindowMatchesGolden(window, GOLDEN("slideshow_pause.png"));
}

TEST(SlideShowScreenshot, FaultBox) {
  const auto box = FaultBox(QStringLiteral("Holiday"),
                            QStringLiteral("Image 3 of 5 cannot be shown: it is not a JPEG image"));
  ExpectWindowMatchesGolden(*box, GOLDEN("fault_box.png"));
}

}  // namespace
}  // namespace players::slideshow
