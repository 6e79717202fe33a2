// Threads that hand calls to the main thread: run there, waited for, dropped once the thread
// is asked to stop, and reached by a plain Qt event loop.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>
#include <atomic>
#include <stdexcept>
#include <thread>

#include "platform/base/thread.h"

namespace plat {
namespace {

class TCallingThread : public TThread {
 public:
  std::function<void()> call;
  std::atomic<bool> returned{false};
  std::exception_ptr failure;

 protected:
  void Execute() override {
    try {
      Synchronize(call);
    } catch (...) {
      failure = std::current_exception();
    }
    returned = true;
  }
};

TEST(PlatformThread, SynchronizeRunsTheCallOnTheMainThreadAndWaits) {
  TCallingThread thread;
  std::thread::id ran_on;
  thread.call = [&] { ran_on = std::this_thread::get_id(); };
  EXPECT_TRUE(thread.Suspended());
  thread.Resume();
  while (!CheckSynchronize()) std::this_thread::yield();
  thread.WaitFor();
  EXPECT_TRUE(thread.returned);
  EXPECT_EQ(ran_on, std::this_thread::get_id());
  EXPECT_TRUE(IsMainThread());
}

TEST(PlatformThread, FailureOfTheCallReachesTheThread) {
  TCallingThread thread;
  thread.call = [] { throw std::runtime_error("refused"); };
  thread.Resume();
  thread.WaitFor();
  ASSERT_TRUE(thread.failure);
  EXPECT_THROW(std::rethrow_exception(thread.failure), std::runtime_error);
}

TEST(PlatformThread, TerminateReleasesAWaitingCallWithoutRunningIt) {
  TCallingThread thread;
  bool ran = false;
  thread.call = [&] { ran = true; };
  thread.Resume();
  thread.Terminate();
  while (!thread.returned) std::this_thread::yield();  // back without the main thread's help
  thread.WaitFor();
  CheckSynchronize();
  EXPECT_FALSE(ran);
}

TEST(PlatformThread, AnEventLoopServesCallsAndFreesEndedThreads) {
  int argc = 0;
  QCoreApplication app(argc, nullptr);
  static std::atomic<int> freed{0};
  struct TSelfFreeing : TCallingThread {
    ~TSelfFreeing() override { ++freed; }
  };
  auto* thread = new TSelfFreeing;
  bool ran = false;
  thread->call = [&] { ran = true; };
  thread->FreeOnTerminate = true;
  thread->Resume();
  while (freed == 0) app.processEvents(QEventLoop::WaitForMoreEvents);
  EXPECT_TRUE(ran);
}

TEST(PlatformThread, AutoResetEventReleasesOneWaitAndResets) {
  TAutoResetEvent event;
  EXPECT_FALSE(event.WaitFor(0));
  event.Set();
  EXPECT_TRUE(event.WaitFor(0));
  EXPECT_FALSE(event.WaitFor(0)) << "the wait took the signal";
  std::thread setter([&] { event.Set(); });
  EXPECT_TRUE(event.WaitFor(-1));
  setter.join();
}

}  // namespace
}  // namespace plat
