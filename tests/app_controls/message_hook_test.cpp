#include "app/controls/message_hook.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTest>
#include <functional>
#include <vector>

namespace velmora {
namespace {

const auto kPing = static_cast<QEvent::Type>(QEvent::User + 1);
const auto kPong = static_cast<QEvent::Type>(QEvent::User + 2);

// A widget that records the events it handles itself; it reports kPing as handled and kPong as
// not handled.
class Target : public QWidget {
 public:
  using QWidget::QWidget;
  std::vector<int> handled;

 protected:
  bool event(QEvent* event) override {
    handled.push_back(event->type());
    if (event->type() == kPing || event->type() == kPong) return event->type() == kPing;
    return QWidget::event(event);
  }
};

struct Call {
  bool before;
  QWidget* widget;
  int type;
  int lReturn;
  size_t targetHandledSoFar;
};

class Recorder : public HookOwner {
 public:
  explicit Recorder(const Target* target = nullptr) : target_(target) {}
  std::vector<Call> calls;
  std::function<void(bool before, bool& handled)> react;

  void zSubclass_Proc(bool bBefore, bool& bHandled, int& lReturn, QWidget* widget,
                      QEvent* event) override {
    calls.push_back({bBefore, widget, event->type(), lReturn,
                     target_ != nullptr ? target_->handled.size() : 0});
    if (react) react(bBefore, bHandled);
  }

  int CountOf(int type) const {
    return static_cast<int>(
        std::count_if(calls.begin(), calls.end(), [&](const Call& c) { return c.type == type; }));
  }

 private:
  const Target* target_;
};

bool Send(QWidget* widget, QEvent::Type type) {
  QEvent event(type);
  return QCoreApplication::sendEvent(widget, &event);
}

// One hooked target whose owner records every call.
class HookedTarget : public testing::Test {
 protected:
  void Subscribe(int type, int when) {
    hook.HookWindow(&target);
    hook.HookMessage(&target, type, when);
  }

  Target target;
  Recorder owner{&target};
  MessageHook hook{owner};
};

TEST_F(HookedTarget, BeforeRunsAheadOfTheTargetAndAfterFollowsIt) {
  Subscribe(kPing, MessageHook::kBeforeAndAfter);

  EXPECT_TRUE(Send(&target, kPing));

  ASSERT_EQ(owner.calls.size(), 2u);
  EXPECT_TRUE(owner.calls[0].before);
  EXPECT_EQ(owner.calls[0].widget, &target);
  EXPECT_EQ(owner.calls[0].targetHandledSoFar, 0u);
  EXPECT_FALSE(owner.calls[1].before);
  EXPECT_EQ(owner.calls[1].targetHandledSoFar, 1u);
  EXPECT_EQ(owner.calls[1].lReturn, 1);  // the target's own result
  EXPECT_EQ(target.handled, std::vector<int>{kPing});

  // Only the subscribed type reaches the owner.
  Send(&target, kPong);
  EXPECT_EQ(owner.calls.size(), 2u);
  EXPECT_EQ(target.handled.back(), kPong);
}

TEST_F(HookedTarget, HandledBeforeSkipsTheTargetAndTheAfterPass) {
  owner.react = [](bool before, bool& handled) { handled = before; };
  Subscribe(kPong, MessageHook::kBeforeAndAfter);

  EXPECT_TRUE(Send(&target, kPong));

  ASSERT_EQ(owner.calls.size(), 1u);
  EXPECT_TRUE(owner.calls[0].before);
  EXPECT_TRUE(target.handled.empty());
}

TEST_F(HookedTarget, AllEventsAndDoubleSubscriptions) {
  Subscribe(kPong, MessageHook::kAfter);
  Subscribe(kPong, MessageHook::kAfter);
  Send(&target, kPong);
  EXPECT_EQ(owner.CountOf(kPong), 1);

  hook.HookMessage(&target, MessageHook::kAllEvents, MessageHook::kBefore);
  Send(&target, kPing);
  Send(&target, kPong);
  target.resize(30, 40);
  target.show();
  EXPECT_EQ(owner.CountOf(kPing), 1);
  EXPECT_EQ(owner.CountOf(kPong), 3);  // before and after for the second
  EXPECT_GE(owner.CountOf(QEvent::Show), 1);
}

TEST_F(HookedTarget, UnhookedWidgetBehavesAsBefore) {
  owner.react = [](bool, bool& handled) { handled = true; };
  Subscribe(MessageHook::kAllEvents, MessageHook::kBeforeAndAfter);
  Send(&target, kPong);
  ASSERT_TRUE(target.handled.empty());

  hook.UnhookWindow(&target);
  owner.calls.clear();
  EXPECT_FALSE(Send(&target, kPong));  // the target's own answer: not handled
  EXPECT_TRUE(Send(&target, kPing));
  EXPECT_TRUE(owner.calls.empty());
  EXPECT_EQ(target.handled, (std::vector<int>{kPong, kPing}));
  EXPECT_EQ(hook.FindHook(&target), -1);
}

TEST(MessageHook, EntriesAreFoundAndReused) {
  Target a, b, c;
  Recorder owner;
  MessageHook hook(owner);
  EXPECT_EQ(hook.HookWindow(&a), 0);
  EXPECT_EQ(hook.HookWindow(&b), 1);
  EXPECT_EQ(hook.HookWindow(&a), 0);
  EXPECT_EQ(hook.FindHook(&b), 1);

  // Subscribing for a widget that is not hooked does nothing.
  hook.HookMessage(&c, kPing, MessageHook::kBeforeAndAfter);
  Send(&c, kPing);
  EXPECT_TRUE(owner.calls.empty());

  hook.UnhookWindow(&a);
  EXPECT_EQ(hook.FindHook(nullptr, true), 0);
  EXPECT_EQ(hook.HookWindow(&c), 0);

  hook.UnhookAll();
  EXPECT_EQ(hook.FindHook(&b), -1);
  EXPECT_EQ(hook.FindHook(&c), -1);
}

TEST(MessageHook, EndOfMoveIsReportedOnceAfterASeriesOfMoves) {
  QWidget window;
  auto* child = new QWidget(&window);
  window.resize(300, 300);
  window.show();
  Recorder owner;
  MessageHook hook(owner);
  hook.HookWindow(child);
  hook.HookMessage(child, MessageHook::MoveResizeEnded(), MessageHook::kAfter);

  for (int step = 1; step <= 5; ++step) child->move(step * 10, step * 5);
  child->resize(50, 60);
  EXPECT_EQ(owner.CountOf(MessageHook::MoveResizeEnded()), 0);  // not while it is still moving

  EXPECT_TRUE(QTest::qWaitFor([&] { return !owner.calls.empty(); }, 5000));
  QTest::qWait(3 * MessageHook::kMoveResizeSettleMs);
  ASSERT_EQ(owner.calls.size(), 1u);
  EXPECT_EQ(owner.calls[0].type, MessageHook::MoveResizeEnded());
  EXPECT_EQ(owner.calls[0].widget, child);
  EXPECT_FALSE(owner.calls[0].before);
  EXPECT_EQ(owner.CountOf(QEvent::Move), 0);  // plain moves stay unsubscribed
}

}  // namespace
}  // namespace velmora
