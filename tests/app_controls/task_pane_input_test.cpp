// The task pane under the pointer and the wheel: hot and pressed elements, clicks, the pointer
// entering and leaving, and wheel scrolling, driven through Qt's own input path.
#include <gtest/gtest.h>

#include <QApplication>
#include <QScrollBar>
#include <QStringList>
#include <QTest>
#include <optional>
#include <vector>

#include "app/controls/property_bag.h"
#include "app/controls/task_pane.h"

// Lists of events print as their texts.
inline void PrintTo(const QStringList& list, std::ostream* out) {
  *out << '{' << list.join(" | ").toStdString() << '}';
}

namespace velmora {
namespace {

QPoint Middle(const BarRect& rect) {
  return QPoint((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
}

// Where nothing of the pane lies: left of every header and item.
const QPoint kEmpty(2, 2);

// Every event of the pane, as text, in the order raised.
class EventLog {
 public:
  explicit EventLog(ucTaskPane& pane) {
    QObject::connect(&pane, &ucTaskPane::MouseOver, [this] { lines_ << "MouseOver"; });
    QObject::connect(&pane, &ucTaskPane::MouseOut, [this] { lines_ << "MouseOut"; });
    QObject::connect(&pane, &ucTaskPane::GroupHover,
                     [this](QString& group) { lines_ << "GroupHover " + group; });
    QObject::connect(&pane, &ucTaskPane::GroupOut,
                     [this](QString& group) { lines_ << "GroupOut " + group; });
    QObject::connect(&pane, &ucTaskPane::ItemHover, [this](QString& group, QString& item) {
      lines_ << "ItemHover " + group + "/" + item;
    });
    QObject::connect(&pane, &ucTaskPane::ItemOut, [this](QString& group, QString& item) {
      lines_ << "ItemOut " + group + "/" + item;
    });
    QObject::connect(&pane, &ucTaskPane::ItemClick, [this](QString group, QString item) {
      lines_ << "ItemClick " + group + "/" + item;
    });
    QObject::connect(&pane, &ucTaskPane::GroupClick, [this](int32_t group, bool& expanded) {
      lines_ << QStringLiteral("GroupClick %1 %2").arg(group).arg(expanded);
    });
  }
  QStringList Take() { return std::exchange(lines_, {}); }

 private:
  QStringList lines_;
};

// A shown pane: the special group with two tasks, a group of two options, a collapsed group
// with one item, and the details group.
class PaneInputTest : public testing::Test {
 protected:
  void SetUp() override {
    qputenv("VELMORA_COLOR_SCHEME", "Classic");
    pane.resize(220, 420);
    pane.AddSpecialGroup("Tasks");
    pane.AddItem("Special Group", "rotate", "Rotate");
    pane.AddItem("Special Group", "crop", "Crop");
    pane.AddGroup("options", "Options");
    pane.AddItem("options", "apply", "Apply to all");
    pane.AddItem("options", "reset", "Reset");
    pane.AddGroup("basket", "Basket");
    pane.AddItem("basket", "open", "Open");
    pane.ExpandGroup("basket", false);
    pane.AddDetailsGroup("Details", "Title", "Text");
    pane.ReadProperties(PropertyBag());
    pane.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&pane));
    QTest::mouseMove(&pane, kEmpty);
    log.Take();
  }
  void TearDown() override { qunsetenv("VELMORA_COLOR_SCHEME"); }

  const BarGroup& Group(int n) { return pane.Model().m_Groups[static_cast<size_t>(n)]; }
  const BarGroup& Special() { return pane.Model().m_SpecialGroup; }
  const BarItem& Item(const BarGroup& group, int i) { return group.Items[static_cast<size_t>(i)]; }
  void Leave() {
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&pane, &leave);
  }
  bool Hand() { return pane.cursor().shape() == Qt::PointingHandCursor; }

  ucTaskPane pane;
  EventLog log{pane};
};

TEST_F(PaneInputTest, TheFirstMoveOverThePaneRaisesMouseOverAfterARepaint) {
  ucTaskPane fresh;
  fresh.setGeometry(300, 200, 200, 200);  // away from the pointer
  fresh.AddGroup("g", "G");
  fresh.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&fresh));
  EventLog events(fresh);
  int repaintsAtMouseOver = -1;
  QObject::connect(&fresh, &ucTaskPane::MouseOver,
                   [&] { repaintsAtMouseOver = fresh.FullRepaintCount(); });
  const int before = fresh.FullRepaintCount();
  QTest::mouseMove(&fresh, QPoint(4, 5));
  EXPECT_EQ(events.Take(), QStringList{"MouseOver"});
  EXPECT_EQ(repaintsAtMouseOver, before + 1);
  EXPECT_TRUE(fresh.MouseInside());
  QTest::mouseMove(&fresh, QPoint(5, 5));
  EXPECT_TRUE(events.Take().isEmpty());
}

TEST_F(PaneInputTest, HeaderEdges) {
  const BarRect h = Group(1).rcHeader;
  const int y = Middle(h).y(), x = Middle(h).x();
  const struct {
    QPoint at;
    bool hot;
  } cases[] = {
      {{h.left, y}, false},    {{h.left + 1, y}, true},    {{h.right - 1, y}, true},
      {{h.right, y}, false},   {{x, h.top}, true},         {{x, h.bottom}, true},
      {{x, h.top - 1}, false}, {{x, h.bottom + 1}, false},
  };
  for (const auto& c : cases) {
    QTest::mouseMove(&pane, c.at);
    EXPECT_EQ(Group(1).bHot, c.hot) << c.at.x() << "," << c.at.y();
    if (c.hot) {
      EXPECT_EQ(Group(1).iState, 2);
    }
    EXPECT_EQ(log.Take(), c.hot ? QStringList{"GroupHover options"} : QStringList{})
        << c.at.x() << "," << c.at.y();
    QTest::mouseMove(&pane, kEmpty);
    log.Take();
  }
}

TEST_F(PaneInputTest, MovingOnActsOnlyWhenAnEdgeIsCrossed) {
  const BarRect header = Special().rcHeader;
  const BarRect item = Item(Special(), 1).rcItem;
  QTest::mouseMove(&pane, Middle(header));
  QTest::mouseMove(&pane, Middle(header) + QPoint(5, 0));
  EXPECT_EQ(log.Take(), QStringList{"GroupHover Special Group"});
  EXPECT_TRUE(Hand());
  QTest::mouseMove(&pane, Middle(item));
  EXPECT_EQ(log.Take(), (QStringList{"GroupOut Special Group", "ItemHover Special Group/rotate"}));
  EXPECT_TRUE(Hand());
  EXPECT_EQ(Special().iState, 1);
  QTest::mouseMove(&pane, kEmpty);
  EXPECT_EQ(log.Take(), QStringList{"ItemOut Special Group/rotate"});
  EXPECT_FALSE(Hand());
}

TEST_F(PaneInputTest, ClickingAnExpandedHeaderCollapsesItAndLeavesItHot) {
  const int basketTop = Group(2).rcHeader.top;
  QTest::mouseMove(&pane, Middle(Group(1).rcHeader));
  EXPECT_EQ(log.Take(), QStringList{"GroupHover options"});
  QTest::mouseClick(&pane, Qt::LeftButton, Qt::NoModifier, Middle(Group(1).rcHeader));
  EXPECT_EQ(log.Take(), QStringList{"GroupClick 1 0"});
  EXPECT_FALSE(Group(1).bExpanded);
  EXPECT_TRUE(Group(1).bHot);
  EXPECT_EQ(Group(1).iState, 2);
  EXPECT_LT(Group(2).rcHeader.top, basketTop);  // laid out again before the event
}

TEST_F(PaneInputTest, EveryHeaderReportsItsOwnGroupCode) {
  const struct {
    const BarGroup* group;
    const char* click;
  } cases[] = {
      {&Special(), "GroupClick -1 0"},
      {&Group(2), "GroupClick 2 1"},
      {&pane.Model().m_DetailsGroup, "GroupClick -2 0"},
  };
  for (const auto& c : cases) {
    QTest::mouseClick(&pane, Qt::LeftButton, Qt::NoModifier, Middle(c.group->rcHeader));
    EXPECT_TRUE(log.Take().contains(c.click)) << c.click;
    QTest::mouseMove(&pane, kEmpty);
  }
}

TEST_F(PaneInputTest, OnlyTheLeftButtonPressesAndClicks) {
  const QPoint at = Middle(Group(1).rcHeader);
  QTest::mouseMove(&pane, at);
  log.Take();
  QTest::mousePress(&pane, Qt::RightButton, Qt::NoModifier, at);
  EXPECT_EQ(Group(1).iState, 2);
  QTest::mouseRelease(&pane, Qt::RightButton, Qt::NoModifier, at);
  EXPECT_TRUE(Group(1).bExpanded);
  EXPECT_TRUE(log.Take().isEmpty());

  QTest::mousePress(&pane, Qt::LeftButton, Qt::ShiftModifier, at);
  EXPECT_EQ(Group(1).iState, 3);
  EXPECT_TRUE(log.Take().isEmpty());  // a press raises nothing
  QTest::mouseRelease(&pane, Qt::LeftButton, Qt::ShiftModifier, at);
  EXPECT_FALSE(Group(1).bExpanded);
  EXPECT_EQ(log.Take(), QStringList{"GroupClick 1 0"});
}

TEST_F(PaneInputTest, TheReleaseDecidesWhatIsClicked) {
  const QPoint header = Middle(Group(1).rcHeader);
  QTest::mousePress(&pane, Qt::LeftButton, Qt::NoModifier, header);
  EXPECT_EQ(Group(1).iState, 3);
  const QPoint item = Middle(Item(Group(1), 2).rcItem);
  QTest::mouseRelease(&pane, Qt::LeftButton, Qt::NoModifier, item);
  EXPECT_TRUE(Group(1).bExpanded);
  const QStringList events = log.Take();
  EXPECT_TRUE(events.contains("ItemClick options/reset")) << events.join("; ").toStdString();
  EXPECT_FALSE(events.contains("GroupClick 1 0"));
  EXPECT_TRUE(Item(Group(1), 2).bHot);
}

TEST_F(PaneInputTest, ItemsOfACollapsedGroupAreNotClicked) {
  const BarRect hidden = Item(Group(2), 1).rcItem;
  pane.ExpandGroup("basket", true);
  const BarRect shown = Item(Group(2), 1).rcItem;
  pane.ExpandGroup("basket", false);
  for (const QPoint at : {Middle(hidden), Middle(shown)}) {
    QTest::mouseClick(&pane, Qt::LeftButton, Qt::NoModifier, at);
    for (const QString& event : log.Take()) EXPECT_FALSE(event.contains("basket/open"));
  }
  EXPECT_FALSE(Item(Group(2), 1).bHot);
}

TEST_F(PaneInputTest, LeavingRaisesMouseOutThenTheOuts) {
  QTest::mouseMove(&pane, Middle(Item(Group(1), 1).rcItem));
  log.Take();
  Leave();
  EXPECT_EQ(log.Take(), (QStringList{"MouseOut", "ItemOut options/apply"}));
  EXPECT_FALSE(pane.MouseInside());
  EXPECT_FALSE(Hand());
  Leave();
  EXPECT_TRUE(log.Take().isEmpty());
  QTest::mouseMove(&pane, Middle(Group(1).rcHeader));
  EXPECT_EQ(log.Take(), (QStringList{"MouseOver", "GroupHover options"}));
}

TEST_F(PaneInputTest, AHandlersExpandedFlagShowsAtTheNextRepaint) {
  const int basketTop = Group(2).rcHeader.top;
  QObject::connect(&pane, &ucTaskPane::GroupClick,
                   [](int32_t, bool& expanded) { expanded = true; });
  QTest::mouseClick(&pane, Qt::LeftButton, Qt::NoModifier, Middle(Group(1).rcHeader));
  EXPECT_TRUE(Group(1).bExpanded);
  EXPECT_LT(Group(2).rcHeader.top, basketTop);
  pane.Refresh();
  EXPECT_EQ(Group(2).rcHeader.top, basketTop);
}

TEST_F(PaneInputTest, AFailingHandlerEndsTheClickQuietly) {
  QObject::connect(&pane, &ucTaskPane::GroupClick, [](int32_t, bool&) { throw 1; });
  const QPoint item = Middle(Item(Special(), 1).rcItem);
  QTest::mouseClick(&pane, Qt::LeftButton, Qt::NoModifier, Middle(Special().rcHeader));
  EXPECT_FALSE(Special().bExpanded);
  EXPECT_TRUE(Special().bHot);  // the hover still followed the pointer
  QTest::mouseMove(&pane, item);
  EXPECT_FALSE(Item(Special(), 1).bHot);
}

TEST_F(PaneInputTest, APaneThatIsNotEnabledRaisesNoMouseOver) {
  Leave();
  log.Take();
  pane.setEnabled(false);
  QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
  QApplication::sendEvent(&pane, &enter);
  EXPECT_TRUE(log.Take().isEmpty());
}

// --- The wheel ---

// A pane too short for its items, so the scroll bar shows.
class PaneWheelTest : public testing::Test {
 protected:
  void TearDown() override { qunsetenv("VELMORA_COLOR_SCHEME"); }
  ucTaskPane& Build(int items, bool userMode = true) {
    qputenv("VELMORA_COLOR_SCHEME", "Classic");
    pane.emplace(nullptr, userMode);
    pane->resize(200, 150);
    pane->AddGroup("g", "G");
    for (int i = 0; i < items; ++i) pane->AddItem("g", QString::number(i), "Item");
    pane->ReadProperties(PropertyBag());
    pane->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&*pane));
    return *pane;
  }
  void Turn(int delta, Qt::KeyboardModifiers keys = Qt::NoModifier,
            Qt::MouseButtons buttons = Qt::NoButton) {
    QWheelEvent wheel(QPointF(50, 50), QPointF(50, 50), QPoint(), QPoint(0, delta), buttons, keys,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(&*pane, &wheel);
  }
  int Value() { return pane->ScrollBar()->value(); }
  int Maximum() { return pane->ScrollBar()->maximum(); }

  std::optional<ucTaskPane> pane;
};

TEST_F(PaneWheelTest, Notches) {
  const struct {
    const char* name;
    bool nearEnd;  // start 10 pixels before the end, else at the top
    std::vector<int> deltas;
    Qt::KeyboardModifiers keys;
    Qt::MouseButtons buttons;
    int expected;  // -1: the maximum
  } cases[] = {
      {"away at the top", false, {120}, Qt::NoModifier, Qt::NoButton, 0},
      {"towards", false, {-120}, Qt::NoModifier, Qt::NoButton, 32},
      {"towards near the end", true, {-120}, Qt::NoModifier, Qt::NoButton, -1},
      {"towards then away", false, {-120, -120, 120}, Qt::NoModifier, Qt::NoButton, 32},
      {"two thirds of a notch", false, {-40, -40}, Qt::NoModifier, Qt::NoButton, 0},
      {"three thirds of a notch", false, {-40, -40, -40}, Qt::NoModifier, Qt::NoButton, 32},
      {"control held", false, {-120}, Qt::ControlModifier, Qt::NoButton, 0},
      {"shift held", false, {-120}, Qt::ShiftModifier, Qt::NoButton, 0},
      {"a button held", false, {-120}, Qt::NoModifier, Qt::LeftButton, 0},
  };
  for (const auto& c : cases) {
    Build(30);
    ASSERT_TRUE(pane->ScrollBar()->isVisible()) << c.name;
    ASSERT_GT(Maximum(), 64) << c.name;
    if (c.nearEnd) pane->ScrollBar()->setValue(Maximum() - 10);
    for (const int delta : c.deltas) Turn(delta, c.keys, c.buttons);
    EXPECT_EQ(Value(), c.expected < 0 ? Maximum() : c.expected) << c.name;
  }
}

TEST_F(PaneWheelTest, ScrollingMovesTheContent) {
  Build(30);
  const int top = pane->Model().m_Groups[1].rcHeader.top;
  const int repaints = pane->FullRepaintCount();
  Turn(-120);
  EXPECT_EQ(pane->Model().m_Groups[1].rcHeader.top, top - 32);
  EXPECT_EQ(pane->FullRepaintCount(), repaints + 1);
}

TEST_F(PaneWheelTest, NothingScrollsWithoutTheBarOrTheHook) {
  Build(1);
  ASSERT_FALSE(pane->ScrollBar()->isVisible());
  const int repaints = pane->FullRepaintCount();
  Turn(-120);
  EXPECT_EQ(Value(), 0);
  EXPECT_EQ(pane->FullRepaintCount(), repaints);

  Build(30, false);
  ASSERT_TRUE(pane->ScrollBar()->isVisible());
  EXPECT_FALSE(pane->Hooked());
  Turn(-120);
  EXPECT_EQ(Value(), 0);
}

}  // namespace
}  // namespace velmora
