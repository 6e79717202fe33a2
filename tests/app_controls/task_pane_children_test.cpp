// Panels of the host shown as a task pane group's body: attaching, placing, painting, colouring
// the controls inside and releasing them.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>

#include "app/controls/desktop_theme.h"
#include "app/controls/property_bag.h"
#include "app/controls/task_pane.h"
#include "platform/graphics/system_colors.h"

namespace velmora {
namespace {

QColor SystemColour(int index) {
  return ToQColor(plat::kSystemColorFlag | static_cast<plat::TColor>(index));
}

// A shown pane with the special group and three normal groups; panels start on a host widget.
class PaneChildrenTest : public testing::Test {
 protected:
  void SetUp() override { Scheme("Classic"); }
  void TearDown() override { qunsetenv("VELMORA_COLOR_SCHEME"); }

  void Scheme(const char* name) { qputenv("VELMORA_COLOR_SCHEME", name); }
  void Show() {
    pane.resize(230, 600);
    pane.AddSpecialGroup("Tasks");
    pane.AddItem("Special Group", "rotate", "Rotate");
    pane.AddGroup("options", "Task options");
    pane.AddGroup("plain", "Plain");
    pane.AddItem("plain", "a", "An item");
    pane.AddGroup("basket", "Task basket");
    pane.ReadProperties(PropertyBag());
    pane.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&pane));
  }
  QWidget* Panel(int height) {
    auto* panel = new QWidget(&host);
    panel->resize(100, height);
    return panel;
  }
  // A pane showing, in `scheme`, one group that carries `panel`.
  void AttachInScheme(const char* scheme, QWidget* panel) {
    Scheme(scheme);
    pane.ClearStructure();
    if (!pane.isVisible()) Show();
    pane.AddGroup("g", "G");
    ASSERT_EQ(pane.SetGroupChild(pane.Model().m_GroupCount, panel), PaneStatus::kOk);
  }
  const BarGroup& Group(int n) { return pane.Model().m_Groups[static_cast<size_t>(n)]; }
  QRect UnderHeader(const BarGroup& group, int height) {
    const BarRect h = group.rcHeader;
    return QRect(h.left, h.bottom, h.Width(), height);
  }

  QWidget host;
  ucTaskPane pane;
};

TEST_F(PaneChildrenTest, Attaching) {
  Show();
  const struct {
    PaneArg group;
    PaneStatus status;
    bool stored;
  } cases[] = {
      {PaneArg("Details"), PaneStatus::kSubscriptOutOfRange, false},
      {PaneArg("nowhere"), PaneStatus::kSubscriptOutOfRange, false},
      {PaneArg(int16_t{4}), PaneStatus::kSubscriptOutOfRange, false},
      {PaneArg(int16_t{0}), PaneStatus::kAlreadyLoaded, true},
      {PaneArg("Special Group"), PaneStatus::kOk, true},
      {PaneArg("options"), PaneStatus::kOk, true},
  };
  for (const auto& c : cases) {
    QWidget* panel = Panel(40);
    EXPECT_EQ(pane.SetGroupChild(c.group, panel), c.status) << c.group.ToText().toStdString();
    EXPECT_EQ(panel->parentWidget() == &pane, c.stored) << c.group.ToText().toStdString();
  }
  EXPECT_EQ(pane.SetGroupChild("plain", nullptr), PaneStatus::kNoObject);
  EXPECT_EQ(pane.Model().m_Groups[2].pChild, nullptr);
  const int repaints = pane.FullRepaintCount();
  pane.Refresh();
  EXPECT_EQ(pane.FullRepaintCount(), repaints + 1);
}

TEST_F(PaneChildrenTest, ASecondPanelForAGroupFailsButTakesThePlace) {
  Show();
  QWidget* first = Panel(40);
  QWidget* second = Panel(70);
  ASSERT_EQ(pane.SetGroupChild("options", first), PaneStatus::kOk);
  EXPECT_TRUE(first->isVisible());
  EXPECT_EQ(pane.SetGroupChild("options", second), PaneStatus::kAlreadyLoaded);
  EXPECT_EQ(Group(1).pChild, second);
  EXPECT_TRUE(first->isHidden());
  pane.Refresh();
  EXPECT_TRUE(second->isVisible());
  EXPECT_EQ(second->geometry(), UnderHeader(Group(1), 70));
}

TEST_F(PaneChildrenTest, ThePanelHangsUnderItsHeaderWhileTheGroupIsExpanded) {
  Show();
  QWidget* panel = Panel(90);
  ASSERT_EQ(pane.SetGroupChild("options", panel, 99), PaneStatus::kOk);
  EXPECT_TRUE(panel->isVisible());
  EXPECT_EQ(panel->geometry(), UnderHeader(Group(1), 90));
  EXPECT_EQ(panel->cursor().shape(), Qt::PointingHandCursor);
  EXPECT_GE(Group(2).rcHeader.top, panel->geometry().bottom());
  pane.ExpandGroup("options", false);
  EXPECT_TRUE(panel->isHidden());
  pane.ExpandGroup("options", true);
  EXPECT_TRUE(panel->isVisible());
  EXPECT_EQ(panel->geometry(), UnderHeader(Group(1), 90));
}

TEST_F(PaneChildrenTest, TheSpecialGroupsPanelStaysHidden) {
  Show();
  QWidget* panel = Panel(60);
  ASSERT_EQ(pane.SetGroupChild("Special Group", panel), PaneStatus::kOk);
  pane.Refresh();
  EXPECT_TRUE(panel->isHidden());
  EXPECT_EQ(pane.Model().m_SpecialGroup.pChild, panel);
}

TEST_F(PaneChildrenTest, ScrollingMovesThePanel) {
  Show();
  pane.resize(230, 200);
  QWidget* panel = Panel(300);
  ASSERT_EQ(pane.SetGroupChild("options", panel), PaneStatus::kOk);
  ASSERT_TRUE(pane.ScrollBar()->isVisible());
  const int top = panel->y();
  pane.ScrollBar()->setValue(50);
  EXPECT_EQ(panel->y(), top - 50);
  EXPECT_EQ(panel->geometry(), UnderHeader(Group(1), 300));
}

TEST_F(PaneChildrenTest, ButtonsLabelsAndCheckBoxesTakeTheBodyColour) {
  const struct {
    const char* scheme;
    QColor body;
  } cases[] = {
      {"Metallic", QColor(240, 241, 245)},
      {"HomeStead", QColor(246, 246, 236)},
      {"Classic", SystemColour(5)},
      {"NormalColor", QApplication::palette().color(QPalette::Base)},
  };
  for (const auto& c : cases) {
    QWidget* panel = Panel(80);
    auto* option = new QRadioButton("Option", panel);
    auto* label = new QLabel("Label", panel);
    auto* check = new QCheckBox("Check", panel);
    auto* edit = new QLineEdit(panel);
    edit->move(0, 50);
    const QPalette editPalette = edit->palette();
    AttachInScheme(c.scheme, panel);
    for (QWidget* control : {static_cast<QWidget*>(option), static_cast<QWidget*>(label),
                             static_cast<QWidget*>(check)}) {
      EXPECT_EQ(control->palette().color(control->backgroundRole()), c.body) << c.scheme;
      EXPECT_TRUE(control->autoFillBackground()) << c.scheme;
    }
    EXPECT_EQ(edit->palette(), editPalette) << c.scheme;
    EXPECT_FALSE(edit->autoFillBackground()) << c.scheme;
    // The panel shows the body too, between the controls.
    const QImage shot = panel->grab().toImage();
    EXPECT_EQ(shot.pixelColor(panel->width() / 2, 40), c.body) << c.scheme;
  }
}

TEST_F(PaneChildrenTest, Frames) {
  const struct {
    const char* scheme;
    QColor frame;
  } cases[] = {
      {"Metallic", Qt::white},
      {"Classic", SystemColour(15)},
  };
  for (const auto& c : cases) {
    QWidget* panel = Panel(60);
    AttachInScheme(c.scheme, panel);
    // The left, right and bottom edges at half the panel's height and width.
    const QImage shot = panel->grab().toImage();
    const int w = shot.width(), h = shot.height();
    EXPECT_EQ(shot.pixelColor(0, h / 2), c.frame) << c.scheme;
    EXPECT_EQ(shot.pixelColor(w - 1, h / 2), c.frame) << c.scheme;
    EXPECT_EQ(shot.pixelColor(w / 2, h - 1), c.frame) << c.scheme;
  }
}

TEST_F(PaneChildrenTest, ClearStructureHidesEveryPanelAlsoWithAGap) {
  Show();
  QWidget* options = Panel(50);
  QWidget* basket = Panel(50);
  ASSERT_EQ(pane.SetGroupChild("options", options), PaneStatus::kOk);
  ASSERT_EQ(pane.SetGroupChild("basket", basket), PaneStatus::kOk);  // group 2 has none
  ASSERT_TRUE(options->isVisible() && basket->isVisible());
  pane.ClearStructure();
  EXPECT_TRUE(options->isHidden());
  EXPECT_TRUE(basket->isHidden());
  EXPECT_EQ(pane.Model().m_GroupCount, 0);

  pane.AddGroup("options", "Task options");
  pane.AddGroup("basket", "Task basket");
  EXPECT_EQ(pane.SetGroupChild("options", options), PaneStatus::kOk);
  EXPECT_EQ(pane.SetGroupChild("basket", basket), PaneStatus::kOk);
  EXPECT_TRUE(options->isVisible() && basket->isVisible());
  EXPECT_EQ(basket->geometry(), UnderHeader(Group(2), 50));
}

TEST_F(PaneChildrenTest, ThePointerOverAPanelClearsThePanesHover) {
  Show();
  QWidget* panel = Panel(50);
  ASSERT_EQ(pane.SetGroupChild("options", panel), PaneStatus::kOk);
  QStringList outs;
  QObject::connect(&pane, &ucTaskPane::GroupOut, [&](QString& group) { outs << group; });
  const BarRect header = Group(1).rcHeader;
  QTest::mouseMove(&pane, QPoint(header.left + 20, header.top + 5));
  ASSERT_TRUE(Group(1).bHot);
  QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
  QApplication::sendEvent(panel, &enter);
  EXPECT_FALSE(Group(1).bHot);
  EXPECT_EQ(outs, QStringList{"options"});
}

}  // namespace
}  // namespace velmora
