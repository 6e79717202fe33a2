#pragma once
// Threads that hand work to the main thread. A thread is created suspended and starts on
// Resume; Synchronize runs a call on the main thread and waits for it. The main thread runs
// waiting calls in CheckSynchronize, which its own waits call and which an ordinary Qt event
// loop reaches through a posted wake-up.
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace plat {

// Signalled by Set; a wait that sees the signal takes it away, releasing one waiter.
class TAutoResetEvent {
 public:
  void Set();
  // Whether the event (not the timeout) ended the wait; a negative timeout waits without end.
  bool WaitFor(int milliseconds);

 private:
  std::mutex mutex_;
  std::condition_variable signalled_;
  bool set_ = false;
};

class TThread {
 public:
  TThread();
  virtual ~TThread();
  TThread(const TThread&) = delete;
  TThread& operator=(const TThread&) = delete;

  // Starts the thread the first time; later calls do nothing.
  void Resume();
  // Asks the run to end; a Synchronize waiting for the main thread returns at once.
  void Terminate();
  bool Terminated() const { return terminated_; }
  bool Suspended() const { return !started_; }
  // Kept for the caller's bookkeeping: threads here all run at the system's normal priority.
  int Priority = 3;
  // Runs on the thread after Execute, also when Execute threw.
  std::function<void()> OnTerminate;
  // The thread deletes itself once it has ended: the main thread joins and frees it in
  // CheckSynchronize.
  bool FreeOnTerminate = false;
  // Waits for the thread to end (serving synchronised calls when called on the main thread);
  // not for a thread that frees itself.
  void WaitFor();

 protected:
  virtual void Execute() = 0;
  // Runs call on the main thread and waits for it; does not run it once terminated.
  void Synchronize(const std::function<void()>& call);

 private:
  friend bool CheckSynchronize();
  void Run();

  std::thread thread_;
  std::atomic<bool> terminated_{false};
  std::atomic<bool> started_{false};
  std::atomic<bool> finished_{false};
};

// Runs the calls other threads wait for, and joins and frees the threads that ended and free
// themselves; main thread only. Whether anything ran.
bool CheckSynchronize();
bool IsMainThread();
// Whether some thread waits in Synchronize for the main thread.
bool SynchronizePending();

}  // namespace plat
