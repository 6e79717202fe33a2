#include "app/controls/splitter.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QSignalSpy>
#include <functional>
#include <memory>

#include "app/controls/property_bag.h"
#include "app/controls/twips.h"

namespace velmora {
namespace {

// The bar's thickness in pixels for the default width of 70 twips.
int DefaultBarPixels() {
  return TwipsToPixels(Splitter::kDefaultWidthTwips);
}

struct Panes {
  QWidget* first;
  QWidget* second;
};

class SplitterTest : public testing::Test {
 protected:
  Splitter& Make(int width, int height, int orientation = Splitter::kVertical,
                 bool userMode = true) {
    splitter_ = std::make_unique<Splitter>(nullptr, userMode);
    splitter_->SetOrientation(orientation);
    splitter_->show();
    splitter_->resize(width, height);
    return *splitter_;
  }

  Panes AddPanes(Splitter& splitter) {
    Panes panes{new QWidget, new QWidget};
    splitter.SetLeftOrTopControl(panes.first);
    splitter.SetRightOrBottomControl(panes.second);
    return panes;
  }

  static void SendMouse(QWidget* bar, QEvent::Type type, QPointF point, Qt::MouseButtons held) {
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, point, bar->mapToGlobal(point), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(bar, &event);
  }

  // The point in the bar's coordinates whose leading coordinate in the control is `offset`.
  static QPointF PointAt(const Splitter& splitter, int offset) {
    const QWidget* bar = splitter.Bar();
    return splitter.Orientation() == Splitter::kHorizontal ? QPointF(1, offset - bar->y())
                                                           : QPointF(offset - bar->x(), 1);
  }

  // Presses on the bar, moves through `offsets` (control coordinates) and releases.
  static void Drag(Splitter& splitter, std::initializer_list<int> offsets) {
    QWidget* bar = splitter.Bar();
    SendMouse(bar, QEvent::MouseButtonPress, QPointF(1, 1), Qt::LeftButton);
    QPointF last(1, 1);
    for (int offset : offsets) {
      last = PointAt(splitter, offset);
      SendMouse(bar, QEvent::MouseMove, last, Qt::LeftButton);
    }
    SendMouse(bar, QEvent::MouseButtonRelease, last, Qt::NoButton);
  }

  std::unique_ptr<Splitter> splitter_;
};

TEST_F(SplitterTest, SettersKeepTheLimits) {
  struct Case {
    const char* what;
    std::function<void(Splitter&)> act;
    std::function<int(const Splitter&)> read;
    int expected;
  };
  const auto position = [](const Splitter& s) { return s.SplitterPosition(); };
  const auto max = [](const Splitter& s) { return s.SplitterMax(); };
  const auto min = [](const Splitter& s) { return s.SplitterMin(); };
  const Case cases[] = {
      {"position below the minimum", [](Splitter& s) { s.SetSplitterPosition(5); }, position, 10},
      {"position at the minimum", [](Splitter& s) { s.SetSplitterPosition(10); }, position, 10},
      {"position above the maximum", [](Splitter& s) { s.SetSplitterPosition(97); }, position, 90},
      {"position at the maximum", [](Splitter& s) { s.SetSplitterPosition(90); }, position, 90},
      {"maximum above 100", [](Splitter& s) { s.SetSplitterMax(150); }, max, 99},
      {"negative maximum",
       [](Splitter& s) {
         s.SetSplitterMin(0);
         s.SetSplitterMax(-3);
       },
       max, 1},
      {"maximum below the minimum", [](Splitter& s) { s.SetSplitterMax(5); }, max, 11},
      {"negative minimum", [](Splitter& s) { s.SetSplitterMin(-4); }, min, 1},
      {"minimum above 100, then above the maximum", [](Splitter& s) { s.SetSplitterMin(120); }, min,
       89},
      {"minimum above the maximum", [](Splitter& s) { s.SetSplitterMin(95); }, min, 89},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Splitter& splitter = Make(400, 300);
    c.act(splitter);
    EXPECT_EQ(c.read(splitter), c.expected);
  }
}

TEST_F(SplitterTest, PositionPlacesBarAndPanes) {
  const int bar = DefaultBarPixels();
  {
    SCOPED_TRACE("vertical bar");
    Splitter& splitter = Make(1000, 400);
    const Panes panes = AddPanes(splitter);
    splitter.SetSplitterPosition(33);
    EXPECT_EQ(splitter.Bar()->geometry(), QRect(330, 0, bar, 400));
    EXPECT_EQ(panes.first->geometry(), QRect(0, 0, 330, 400));
    EXPECT_EQ(panes.second->geometry(), QRect(330 + bar, 0, 1000 - 330 - bar, 400));
  }
  {
    SCOPED_TRACE("horizontal bar, position rounded down");
    Splitter& splitter = Make(300, 601, Splitter::kHorizontal);
    const Panes panes = AddPanes(splitter);
    EXPECT_EQ(splitter.Bar()->geometry(), QRect(0, 300, 300, bar));
    EXPECT_EQ(panes.first->geometry(), QRect(0, 0, 300, 300));
    EXPECT_EQ(panes.second->geometry(), QRect(0, 300 + bar, 300, 601 - 300 - bar));
    EXPECT_EQ(panes.first->parentWidget(), &splitter);
  }
}

TEST_F(SplitterTest, DragRaisesEventsAndPlacesPanesBeforeCompleting) {
  Splitter& splitter = Make(1000, 200);
  const Panes panes = AddPanes(splitter);
  std::vector<QString> events;
  QRect leftAtCompletion;
  QObject::connect(&splitter, &Splitter::SplitBegin, [&] { events.push_back("begin"); });
  QObject::connect(&splitter, &Splitter::SplitMove, [&] {
    events.push_back("move");
    // During the drag only the ghost moves.
    EXPECT_EQ(panes.first->width(), 500);
    EXPECT_EQ(splitter.Bar()->x(), 500);
  });
  QObject::connect(&splitter, &Splitter::SplitComplete, [&] {
    events.push_back("complete");
    leftAtCompletion = panes.first->geometry();
  });

  Drag(splitter, {400, 333});

  EXPECT_EQ(events, (std::vector<QString>{"begin", "move", "move", "complete"}));
  EXPECT_EQ(splitter.SplitterPosition(), 33);  // 100 / (1000 / 333) = 33.3
  EXPECT_EQ(splitter.Bar()->x(), 333);
  EXPECT_EQ(leftAtCompletion, QRect(0, 0, 333, 200));
  EXPECT_EQ(panes.second->x(), 333 + DefaultBarPixels());
  EXPECT_TRUE(splitter.Ghost()->isHidden());
}

TEST_F(SplitterTest, DragExcludesTheLimitsThatCodeMayReach) {
  Splitter& splitter = Make(1000, 200);
  QSignalSpy moves(&splitter, &Splitter::SplitMove);
  for (int limit : {100, 900, 50, 950}) {
    SCOPED_TRACE(limit);
    Drag(splitter, {limit});
    EXPECT_EQ(splitter.Bar()->x(), 500);
    EXPECT_EQ(splitter.SplitterPosition(), 50);
  }
  EXPECT_EQ(moves.count(), 4);  // raised whether or not the ghost moved

  Drag(splitter, {101});
  EXPECT_EQ(splitter.Bar()->x(), 101);
  Drag(splitter, {899});
  EXPECT_EQ(splitter.Bar()->x(), 899);

  splitter.SetSplitterPosition(10);
  EXPECT_EQ(splitter.Bar()->x(), 100);
  splitter.SetSplitterPosition(90);
  EXPECT_EQ(splitter.Bar()->x(), 900);
}

TEST_F(SplitterTest, HorizontalDragFollowsTheMouseDownward) {
  Splitter& splitter = Make(200, 500, Splitter::kHorizontal);
  const Panes panes = AddPanes(splitter);
  Drag(splitter, {125});
  EXPECT_EQ(splitter.SplitterPosition(), 25);
  EXPECT_EQ(panes.first->geometry(), QRect(0, 0, 200, 125));
  EXPECT_EQ(panes.second->y(), 125 + DefaultBarPixels());
}

TEST_F(SplitterTest, DragWithoutPanesStillMovesTheBar) {
  Splitter& splitter = Make(1000, 200);
  QSignalSpy begins(&splitter, &Splitter::SplitBegin);
  QSignalSpy completes(&splitter, &Splitter::SplitComplete);
  Drag(splitter, {700});
  EXPECT_EQ(splitter.Bar()->x(), 700);
  EXPECT_EQ(splitter.SplitterPosition(), 70);
  EXPECT_EQ(begins.count(), 1);
  EXPECT_EQ(completes.count(), 1);
}

TEST_F(SplitterTest, MouseWithoutButtonOrOnADisabledBarChangesNothing) {
  Splitter& splitter = Make(1000, 200);
  QSignalSpy begins(&splitter, &Splitter::SplitBegin);
  QSignalSpy moves(&splitter, &Splitter::SplitMove);
  QSignalSpy completes(&splitter, &Splitter::SplitComplete);

  SendMouse(splitter.Bar(), QEvent::MouseMove, PointAt(splitter, 300), Qt::NoButton);
  // A button pressed somewhere else and held over the bar is no drag either.
  SendMouse(splitter.Bar(), QEvent::MouseMove, PointAt(splitter, 300), Qt::LeftButton);
  SendMouse(splitter.Bar(), QEvent::MouseButtonRelease, PointAt(splitter, 300), Qt::NoButton);
  splitter.SetEnabled(false);
  Drag(splitter, {300});

  EXPECT_FALSE(splitter.Enabled());
  EXPECT_EQ(splitter.Bar()->x(), 500);
  EXPECT_EQ(splitter.SplitterPosition(), 50);
  EXPECT_TRUE(splitter.Ghost()->isHidden());
  EXPECT_EQ(begins.count(), 0);
  EXPECT_EQ(moves.count(), 0);
  EXPECT_EQ(completes.count(), 0);
}

TEST_F(SplitterTest, OrientationMovesTheBarButNotThePanes) {
  for (bool byResize : {false, true}) {
    SCOPED_TRACE(byResize ? "then resize" : "then Refresh");
    Splitter& splitter = Make(1000, 400);
    const Panes panes = AddPanes(splitter);
    splitter.SetOrientation(Splitter::kHorizontal);
    EXPECT_EQ(splitter.Bar()->geometry(), QRect(0, 200, 1000, DefaultBarPixels()));
    EXPECT_EQ(panes.first->geometry(), QRect(0, 0, 500, 400));

    if (byResize) {
      splitter.resize(1000, 600);
    } else {
      splitter.Refresh();
    }
    const int top = byResize ? 300 : 200;
    EXPECT_EQ(panes.first->geometry(), QRect(0, 0, 1000, top));
    EXPECT_EQ(panes.second->geometry().top(), top + DefaultBarPixels());
  }
}

TEST_F(SplitterTest, ResizeIsRaisedBeforeTheLayout) {
  Splitter& splitter = Make(1000, 400);
  const Panes panes = AddPanes(splitter);
  int widthWhenRaised = -1;
  QObject::connect(&splitter, &Splitter::Resize, [&] { widthWhenRaised = panes.first->width(); });
  splitter.resize(600, 400);
  EXPECT_EQ(widthWhenRaised, 500);
  EXPECT_EQ(panes.first->width(), 300);
}

TEST_F(SplitterTest, DesignTimeMovesOnlyTheBar) {
  Splitter& splitter = Make(1000, 400, Splitter::kVertical, false);
  QWidget* pane = new QWidget;
  splitter.SetLeftOrTopControl(pane);
  pane->setGeometry(7, 8, 9, 10);
  splitter.SetSplitterPosition(20);
  EXPECT_EQ(splitter.Bar()->x(), 200);
  EXPECT_EQ(pane->geometry(), QRect(7, 8, 9, 10));
}

TEST_F(SplitterTest, ControlNarrowerThanItsBarGivesTheFarPaneNoWidth) {
  Splitter& splitter = Make(400, 300);
  const Panes panes = AddPanes(splitter);
  ASSERT_GT(panes.second->width(), 0);
  const int narrow = DefaultBarPixels() - 1;
  splitter.resize(narrow, 300);
  EXPECT_EQ(panes.second->width(), 0);
  EXPECT_EQ(panes.second->height(), 300);
  EXPECT_EQ(panes.first->width(), narrow / 2);
}

TEST_F(SplitterTest, OuterDragResizesTheInnerSplittersPanes) {
  Splitter& outer = Make(1000, 600);
  auto* left = new QWidget;
  auto* inner = new Splitter(nullptr, true);
  inner->SetOrientation(Splitter::kHorizontal);
  outer.SetLeftOrTopControl(left);
  outer.SetRightOrBottomControl(inner);
  const Panes innerPanes = AddPanes(*inner);
  ASSERT_EQ(innerPanes.first->width(), 1000 - 500 - DefaultBarPixels());

  Drag(outer, {250});

  const int innerWidth = 1000 - 250 - DefaultBarPixels();
  EXPECT_EQ(inner->geometry(), QRect(250 + DefaultBarPixels(), 0, innerWidth, 600));
  EXPECT_EQ(innerPanes.first->geometry(), QRect(0, 0, innerWidth, 300));
  EXPECT_EQ(innerPanes.second->width(), innerWidth);
  EXPECT_EQ(inner->Bar()->width(), innerWidth);
}

TEST_F(SplitterTest, StoredPropertiesOmitDefaultsAndRoundTrip) {
  Splitter& first = Make(1000, 400);
  PropertyBag bag;
  first.WriteProperties(bag);
  EXPECT_TRUE(bag.Names().empty());

  const Panes panes = AddPanes(first);
  first.SetEnabled(false);
  first.SetOrientation(Splitter::kHorizontal);
  first.SetSplitterMax(80);
  first.SetSplitterMin(20);
  first.SetSplitterPosition(30);
  first.SetSplitterColor(0x123456);
  first.SetSplitterWidth(150);
  first.WriteProperties(bag);
  EXPECT_EQ(bag.Names(),
            (std::vector<QString>{"Enabled", "LeftOrTopControl", "Orientation",
                                  "RightOrBottomControl", "SplitterPosition", "SplitterMax",
                                  "SplitterMin", "SplitterColor", "SplitterWidth"}));

  Splitter second(nullptr, true);
  second.resize(1000, 400);
  second.ReadProperties(bag);
  EXPECT_FALSE(second.Enabled());
  EXPECT_EQ(second.LeftOrTopControl(), panes.first);
  EXPECT_EQ(second.RightOrBottomControl(), panes.second);
  EXPECT_EQ(second.Orientation(), Splitter::kHorizontal);
  EXPECT_EQ(second.SplitterMax(), 80);
  EXPECT_EQ(second.SplitterMin(), 20);
  EXPECT_EQ(second.SplitterPosition(), 30);
  EXPECT_EQ(second.SplitterColor(), 0x123456u);
  EXPECT_EQ(second.SplitterWidth(), 150);
  EXPECT_EQ(second.Bar()->geometry(), QRect(0, 120, 1000, TwipsToPixels(150)));
  EXPECT_EQ(second.Bar()->palette().color(QPalette::Window), QColor(0x56, 0x34, 0x12));

  // Limits below the current minimum, or above the current maximum, come back unchanged.
  for (const auto& [max, min] : {std::pair{5, 2}, std::pair{98, 95}}) {
    SCOPED_TRACE(testing::Message() << min << ".." << max);
    PropertyBag limits;
    limits.WriteProperty("SplitterMax", max);
    limits.WriteProperty("SplitterMin", min);
    Splitter fresh(nullptr, true);
    fresh.ReadProperties(limits);
    EXPECT_EQ(fresh.SplitterMax(), max);
    EXPECT_EQ(fresh.SplitterMin(), min);
  }

  // An empty bag gives every default back.
  second.ReadProperties(PropertyBag());
  PropertyBag rewritten;
  second.WriteProperties(rewritten);
  EXPECT_TRUE(rewritten.Names().empty());
  EXPECT_TRUE(second.Enabled());
  EXPECT_EQ(second.LeftOrTopControl(), nullptr);
}

}  // namespace
}  // namespace velmora
