// The player's start: the command-line table, one copy at a time, and what a bare or damaged
// program file does.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QMessageBox>
#include <QTemporaryDir>

#include "app/output/players/slideshow/slideshow_command.h"
#include "app/output/players/slideshow/slideshow_player.h"
#include "app/output/players/support/player_support.h"
#include "app_shell/modal_helper.h"
#include "slideshow_fixture.h"

namespace players::slideshow {
namespace {

TEST(SlideShowCommandLine, SwitchesSelectTheMode) {
  const struct {
    QStringList arguments;
    Mode mode;
    std::optional<uint64_t> window;
  } cases[] = {
      {{}, Mode::kShow, std::nullopt},
      {{"/S"}, Mode::kShow, std::nullopt},
      {{"/s"}, Mode::kShow, std::nullopt},
      {{"/start", "x"}, Mode::kShow, std::nullopt},
      {{"/c"}, Mode::kConfigure, std::nullopt},
      {{"/C:1234"}, Mode::kConfigure, std::nullopt},
      {{"/p", "123456"}, Mode::kPreview, 123456},
      {{"/P", "0x3a00007"}, Mode::kPreview, 0x3a00007},
      {{"/P"}, Mode::kEnd, std::nullopt},
      {{"/P", "window"}, Mode::kEnd, std::nullopt},
      {{"/P", "-5"}, Mode::kEnd, std::nullopt},
      {{"/X"}, Mode::kEnd, std::nullopt},
      {{"S"}, Mode::kEnd, std::nullopt},
      {{""}, Mode::kEnd, std::nullopt},
  };
  for (const auto& c : cases) {
    const Command command = ParseCommandLine(c.arguments);
    EXPECT_EQ(command.mode, c.mode) << c.arguments.join(' ').toStdString();
    EXPECT_EQ(command.window, c.window) << c.arguments.join(' ').toStdString();
  }
}

// What the message box a routine showed said; the box itself was accepted.
struct SeenBox {
  QString text, title;
  QMessageBox::Icon icon = QMessageBox::Question;
};

class SlideShowStart : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    qputenv("XDG_RUNTIME_DIR", dir_.path().toUtf8());
  }
  void TearDown() override { qunsetenv("XDG_RUNTIME_DIR"); }

  QString Program(const std::string& bytes, const QString& name = QStringLiteral("Holiday")) {
    const QString path = dir_.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
    return path;
  }
  static bool AnyWindowShown() {
    for (QWidget* widget : QApplication::topLevelWidgets())
      if (widget->isVisible()) return true;
    return false;
  }

  // Records and accepts the next message box.
  const SeenBox& AcceptNextBox() {
    WhenModalOpens([this](QDialog* dialog) {
      auto* box = qobject_cast<QMessageBox*>(dialog);
      ASSERT_NE(box, nullptr);
      seen_ = {box->text(), box->windowTitle(), box->icon()};
      box->accept();
    });
    return seen_;
  }

  QTemporaryDir dir_;
  SeenBox seen_;
};

TEST_F(SlideShowStart, SecondCopyEndsAtOnce) {
  const QString program = Program(SlideShowPackage({{{40, 30}, Qt::red}}));
  EXPECT_TRUE(PlayerLockPath(program).startsWith(dir_.path() + QStringLiteral("/Holiday")));
  QLockFile first(PlayerLockPath(program));
  ASSERT_TRUE(first.tryLock(0));
  EXPECT_EQ(RunSlideShow(program, {}), 0);
  EXPECT_FALSE(AnyWindowShown());
}

TEST_F(SlideShowStart, BarePlayerOrCutShortPackageSaysSoOnStandardError) {
  const std::string package = SlideShowPackage({{{40, 30}, Qt::red}});
  for (const std::string& bytes :
       {std::string(4000, 'P'), package.substr(0, package.size() - 20)}) {
    const QString program = Program(bytes);
    testing::internal::CaptureStderr();
    EXPECT_EQ(RunSlideShow(program, {QStringLiteral("/S")}), 1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Holiday: no slide show is attached, or the file is incomplete\n");
    EXPECT_FALSE(AnyWindowShown());
  }
}

TEST_F(SlideShowStart, DamagedIndexIsReportedInAMessageBox) {
  std::string package = SlideShowPackage({{{40, 30}, Qt::red}});
  package.replace(package.find("slide 1;256;"), 12, "slide 1;9e9;");
  const QString program = Program(package, QStringLiteral("Holiday.run"));
  const SeenBox& seen = AcceptNextBox();
  EXPECT_EQ(RunSlideShow(program, {}), 1);
  EXPECT_EQ(seen.text,
            QStringLiteral("Holiday.run: the package is damaged: line 1 of the index has "
                           "offset \"9e9\", which is no number"));
  EXPECT_EQ(seen.title, QStringLiteral("Holiday"));
  EXPECT_EQ(seen.icon, QMessageBox::NoIcon);
}

TEST_F(SlideShowStart, ConfigureSaysThereIsNothingToConfigure) {
  const QString program = Program(SlideShowPackage({{{40, 30}, Qt::red}}));
  const SeenBox& seen = AcceptNextBox();
  EXPECT_EQ(RunSlideShow(program, {QStringLiteral("/c")}), 0);
  EXPECT_EQ(seen.text, QStringLiteral("No Configurations Can Be Made."));
  EXPECT_EQ(seen.title, QStringLiteral("Config"));
  EXPECT_EQ(seen.icon, QMessageBox::Warning);
}

TEST_F(SlideShowStart, PreviewAndUnknownSwitchesEndWithoutAWindow) {
  const QString program = Program(SlideShowPackage({{{40, 30}, Qt::red}}));
  for (const QStringList& arguments :
       {QStringList{"/p", "4242"}, QStringList{"/P"}, QStringList{"-s"}}) {
    EXPECT_EQ(RunSlideShow(program, arguments), 0);
    EXPECT_FALSE(AnyWindowShown());
  }
}

}  // namespace
}  // namespace players::slideshow
