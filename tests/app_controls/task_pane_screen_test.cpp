// The task pane on a real X server in each colour scheme: screenshots checked by eye, and
// pixels of the captured picture read back by ImageMagick.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <optional>
#include <string>

#include "app/controls/image_list.h"
#include "app/controls/property_bag.h"
#include "app/controls/task_pane.h"
#include "app_controls/golden_dir.h"
#include "app_controls/x_tool.h"
#include "app_shell/screenshot_compare.h"

namespace velmora {
namespace {

QPixmap Square(int side, const QColor& colour) {
  QPixmap picture(side, side);
  picture.fill(colour);
  return picture;
}

// The colour of pixel (x, y) of a PNG file, as ImageMagick reads it.
QColor PixelOf(const QString& png, int x, int y) {
  QProcess convert;
  convert.start("convert",
                {png, "-format", QStringLiteral("%[pixel:p{%1,%2}]").arg(x).arg(y), "info:"});
  if (!convert.waitForFinished(10000)) return {};
  // "srgb(240,241,245)" (or a colour name for the pure colours).
  const QString answer = QString::fromLatin1(convert.readAllStandardOutput()).trimmed();
  const qsizetype open = answer.indexOf('(');
  if (open < 0) return QColor(answer);
  const QStringList channels = answer.mid(open + 1).chopped(1).split(',');
  if (channels.size() < 3) return {};
  return QColor(channels[0].toInt(), channels[1].toInt(), channels[2].toInt());
}

class PaneOnScreen : public testing::Test {
 protected:
  void SetUp() override { QApplication::setStyle("Fusion"); }
  void TearDown() override { qunsetenv("VELMORA_COLOR_SCHEME"); }

  // The edit mode's pane: a special group of tasks, two groups with items, one collapsed, and
  // the details group.
  void Build(const char* scheme) {
    qputenv("VELMORA_COLOR_SCHEME", scheme);
    pane.emplace();
    pane->setWindowTitle("Tasks");
    QFont font("Tahoma");
    font.setPointSizeF(8.25);
    pane->setFont(font);
    icons.Add("rotate", Square(16, QColor(200, 60, 40)));
    icons.Add("crop", Square(16, QColor(40, 120, 200)));
    pane->SetImageList(&icons);
    pane->AddSpecialGroup("Editing tasks", Square(32, QColor(230, 170, 30)));
    pane->AddItem("Special Group", "rotate", "Rotate", PaneArg("rotate"));
    pane->AddItem("Special Group", "crop", "Crop", PaneArg("crop"));
    pane->AddGroup("options", "Task options");
    pane->AddItem("options", "apply", "Apply to all images", PaneArg("rotate"));
    pane->AddItem("options", "reset", "Reset");
    pane->AddGroup("basket", "Task basket");
    pane->AddItem("basket", "open", "Open a task list");
    pane->ExpandGroup("basket", false);
    pane->AddDetailsGroup("Details", "Harbour.jpg", "1600 x 1200 pixels, 24 bits per pixel");
    pane->resize(230, 440);
    pane->move(40, 30);
    pane->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&*pane));
    pane->DisableUpdates(false);
  }
  void ExpectGolden(const char* name) {
    const std::string golden = std::string(kGoldenDir) + name;
    ExpectWindowMatchesGolden(*pane, golden.c_str());
  }
  // The pane as the X server shows it, saved as a PNG file.
  QString Capture() {
    QTest::qWait(200);
    const QString file = dir.filePath("shot.png");
    pane->screen()->grabWindow(pane->winId()).save(file);
    return file;
  }
  const BarGroup& Group(int n) { return pane->Model().m_Groups[static_cast<size_t>(n)]; }

  ImageList icons;
  std::optional<ucTaskPane> pane;
  QTemporaryDir dir;
};

TEST_F(PaneOnScreen, Classic) {
  Build("Classic");
  ExpectGolden("task_pane_classic.png");
}

TEST_F(PaneOnScreen, Metallic) {
  Build("Metallic");
  ExpectGolden("task_pane_metallic.png");
}

TEST_F(PaneOnScreen, HomeStead) {
  Build("HomeStead");
  ExpectGolden("task_pane_homestead.png");
}

TEST_F(PaneOnScreen, QtStyle) {
  Build("NormalColor");
  ExpectGolden("task_pane_style.png");
}

TEST_F(PaneOnScreen, MetallicPixelsReadByImageMagick) {
  Build("Metallic");
  const QString shot = Capture();
  const BarGroup& options = Group(1);
  EXPECT_EQ(PixelOf(shot, options.rcHeader.left + 5, options.rcHeader.bottom + 3),
            QColor(240, 241, 245));
  // Buttons sit 32 pixels left of the usable width; the strip cell is copied 4 pixels in. A
  // down chevron starts 9 across and 8 down, an up chevron 9 across and 11 down, both in the
  // strip's dark blue on the white button.
  const QColor chevron(49, 68, 115);
  const QPoint collapsed(pane->UsableWidth() - 32, Group(2).rcHeader.top);
  EXPECT_EQ(PixelOf(shot, collapsed.x() + 9, collapsed.y() + 8), chevron);
  EXPECT_EQ(PixelOf(shot, collapsed.x() + 9, collapsed.y() + 11), QColor(Qt::white));
  const QPoint expanded(pane->UsableWidth() - 32, options.rcHeader.top);
  EXPECT_EQ(PixelOf(shot, expanded.x() + 9, expanded.y() + 11), chevron);
  EXPECT_EQ(PixelOf(shot, expanded.x() + 9, expanded.y() + 8), QColor(Qt::white));
}

// The option panel of the edit mode: what a task's options look like inside a group.
QWidget* OptionPanel() {
  auto* panel = new QWidget;
  panel->resize(200, 110);
  auto* fine = new QRadioButton("Fine", panel);
  fine->setGeometry(10, 8, 80, 20);
  fine->setChecked(true);
  (new QRadioButton("Coarse", panel))->setGeometry(100, 8, 90, 20);
  (new QLabel("Amount:", panel))->setGeometry(10, 38, 60, 20);
  (new QLineEdit("35", panel))->setGeometry(80, 36, 60, 22);
  (new QCheckBox("Keep the original", panel))->setGeometry(10, 70, 170, 20);
  return panel;
}

class PanelsOnScreen : public PaneOnScreen {
 protected:
  void BuildWithPanel(const char* scheme) {
    Build(scheme);
    pane->resize(230, 520);
    ASSERT_EQ(pane->SetGroupChild("options", OptionPanel()), PaneStatus::kOk);
  }
};

TEST_F(PanelsOnScreen, OptionPanelClassic) {
  BuildWithPanel("Classic");
  ExpectGolden("task_pane_panel_classic.png");
}

TEST_F(PanelsOnScreen, OptionPanelMetallic) {
  BuildWithPanel("Metallic");
  ExpectGolden("task_pane_panel_metallic.png");
  const QString shot = Capture();
  const BarGroup& options = Group(1);
  // Beside the option buttons and inside the first one, the group's body colour.
  EXPECT_EQ(PixelOf(shot, options.rcHeader.left + 150, options.rcHeader.bottom + 30),
            QColor(240, 241, 245));
  EXPECT_EQ(PixelOf(shot, options.rcHeader.left + 70, options.rcHeader.bottom + 18),
            QColor(240, 241, 245));
  // The text box keeps its white.
  EXPECT_EQ(PixelOf(shot, options.rcHeader.left + 130, options.rcHeader.bottom + 54),
            QColor(Qt::white));
}

// The pointer and the wheel as the X server delivers them (xdotool), in the order they arrive.
class PointerOnScreen : public PaneOnScreen {
 protected:
  void SetUp() override {
    PaneOnScreen::SetUp();
    Build("Classic");
    pane->ReadProperties(PropertyBag());
    pane->resize(230, 200);
    ASSERT_TRUE(QTest::qWaitFor([&] { return pane->ScrollBar()->isVisible(); }, 5000));
    QObject::connect(&*pane, &ucTaskPane::MouseOver, [this] { events << "MouseOver"; });
    QObject::connect(&*pane, &ucTaskPane::MouseOut, [this] { events << "MouseOut"; });
    QObject::connect(&*pane, &ucTaskPane::GroupHover,
                     [this](QString& group) { events << "GroupHover " + group; });
    QObject::connect(&*pane, &ucTaskPane::GroupOut,
                     [this](QString& group) { events << "GroupOut " + group; });
    QObject::connect(&*pane, &ucTaskPane::GroupClick, [this](int32_t group, bool& expanded) {
      events << QStringLiteral("GroupClick %1 %2").arg(group).arg(expanded);
    });
  }
  // Moves the X pointer to pane point `at`.
  void MoveTo(QPoint at) {
    const QPoint screen = pane->mapToGlobal(at);
    RunTool("xdotool",
            {"mousemove", "--sync", QString::number(screen.x()), QString::number(screen.y())});
  }
  // Waits until `count` events have arrived; returns them and starts a new list.
  QStringList Events(int count) {
    static_cast<void>(QTest::qWaitFor([&] { return events.size() >= count; }, 5000));
    QTest::qWait(50);  // nothing more is on its way
    return std::exchange(events, {});
  }
  void Click(const char* button) { RunTool("xdotool", {"click", button}); }
  int Value() { return pane->ScrollBar()->value(); }

  QStringList events;
};

TEST_F(PointerOnScreen, HoverClickAndLeave) {
  MoveTo(QPoint(3, 3));
  EXPECT_EQ(Events(1), QStringList{"MouseOver"});
  const BarRect header = pane->Model().m_SpecialGroup.rcHeader;
  MoveTo(QPoint(header.left, header.top + 10));
  EXPECT_EQ(Events(0), QStringList{});
  MoveTo(QPoint(header.left + 1, header.top + 10));
  EXPECT_EQ(Events(1), QStringList{"GroupHover Special Group"});
  Click("1");
  EXPECT_EQ(Events(1), QStringList{"GroupClick -1 0"});
  EXPECT_TRUE(pane->Model().m_SpecialGroup.bHot);
  MoveTo(pane->rect().bottomRight() + QPoint(100, 100));
  EXPECT_EQ(Events(2), (QStringList{"MouseOut", "GroupOut Special Group"}));
}

TEST_F(PointerOnScreen, WheelNotches) {
  MoveTo(QPoint(60, 60));
  const struct {
    const char* button;  // 4 away from the user, 5 towards
    int expected;
  } turns[] = {{"4", 0}, {"5", 32}, {"5", 64}, {"4", 32}};
  for (const auto& turn : turns) {
    Click(turn.button);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Value() == turn.expected; }, 2000))
        << "button " << turn.button << " left " << Value() << ", not " << turn.expected;
  }
  pane->ScrollBar()->setValue(pane->ScrollBar()->maximum() - 10);
  Click("5");
  EXPECT_TRUE(QTest::qWaitFor([&] { return Value() == pane->ScrollBar()->maximum(); }, 2000));
  RunTool("xdotool", {"keydown", "ctrl", "click", "4", "keyup", "ctrl"});
  QTest::qWait(200);
  EXPECT_EQ(Value(), pane->ScrollBar()->maximum());
}

}  // namespace
}  // namespace velmora
