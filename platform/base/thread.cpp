#include "platform/base/thread.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <algorithm>
#include <chrono>
#include <deque>
#include <exception>
#include <memory>

namespace plat {

namespace {

// The library is loaded by the main thread, so static initialisation runs there.
const std::thread::id kMainThread = std::this_thread::get_id();

// One call a thread waits for, or (without a call) a finished thread to join and free.
struct Request {
  TThread* owner = nullptr;
  const std::function<void()>* call = nullptr;
  bool running = false;
  bool done = false;
  std::exception_ptr failure;
};

struct SyncQueue {
  std::mutex mutex;
  std::condition_variable changed;
  std::deque<std::shared_ptr<Request>> requests;
};

SyncQueue& Queue() {
  static SyncQueue* queue = new SyncQueue;  // outlives every thread, also at exit
  return *queue;
}

// A running event loop serves the queue without anybody calling CheckSynchronize.
void WakeMainThread() {
  QCoreApplication* app = QCoreApplication::instance();
  if (app)
    QMetaObject::invokeMethod(
        app, [] { CheckSynchronize(); }, Qt::QueuedConnection);
}

std::shared_ptr<Request> MakeRequest(TThread* owner, const std::function<void()>* call) {
  auto request = std::make_shared<Request>();
  request->owner = owner;
  request->call = call;
  return request;
}

void Enqueue(std::shared_ptr<Request> request) {
  {
    std::lock_guard lock(Queue().mutex);
    Queue().requests.push_back(std::move(request));
  }
  WakeMainThread();
}

std::shared_ptr<Request> NextRequest() {
  std::lock_guard lock(Queue().mutex);
  if (Queue().requests.empty()) return nullptr;
  std::shared_ptr<Request> request = Queue().requests.front();
  Queue().requests.pop_front();
  request->running = true;
  return request;
}

void Serve(Request& request) {
  // A thread asked to stop has its waiting call dropped: it may refer to what is going away.
  if (request.call && !request.owner->Terminated()) {
    try {
      (*request.call)();
    } catch (...) {
      request.failure = std::current_exception();
    }
  }
  std::lock_guard lock(Queue().mutex);
  request.done = true;
  Queue().changed.notify_all();
}

}  // namespace

void TAutoResetEvent::Set() {
  std::lock_guard lock(mutex_);
  set_ = true;
  signalled_.notify_one();
}

bool TAutoResetEvent::WaitFor(int milliseconds) {
  std::unique_lock lock(mutex_);
  const auto is_set = [this] { return set_; };
  if (milliseconds < 0)
    signalled_.wait(lock, is_set);
  else if (!signalled_.wait_for(lock, std::chrono::milliseconds(milliseconds), is_set))
    return false;
  set_ = false;
  return true;
}

bool SynchronizePending() {
  std::lock_guard lock(Queue().mutex);
  return std::any_of(Queue().requests.begin(), Queue().requests.end(),
                     [](const std::shared_ptr<Request>& request) { return request->call; });
}

bool IsMainThread() {
  return std::this_thread::get_id() == kMainThread;
}

bool CheckSynchronize() {
  if (!IsMainThread()) return false;
  bool ran = false;
  while (std::shared_ptr<Request> request = NextRequest()) {
    ran = true;
    if (request->call) {
      Serve(*request);
    } else {
      request->owner->thread_.join();
      delete request->owner;
    }
  }
  return ran;
}

TThread::TThread() = default;

TThread::~TThread() {
  if (!thread_.joinable()) return;
  Terminate();
  WaitFor();
}

void TThread::Resume() {
  if (started_.exchange(true)) return;
  thread_ = std::thread([this] { Run(); });
}

void TThread::Terminate() {
  terminated_ = true;
  std::lock_guard lock(Queue().mutex);
  Queue().changed.notify_all();
}

void TThread::WaitFor() {
  while (!finished_) {
    if (!CheckSynchronize()) std::this_thread::yield();
  }
  if (thread_.joinable()) thread_.join();
}

void TThread::Run() {
  try {
    Execute();
  } catch (...) {
    // Execute keeps what it wants to report; nothing may leave a thread.
  }
  if (OnTerminate) OnTerminate();
  const bool free_self = FreeOnTerminate;
  finished_ = true;
  // From here on the object belongs to whoever frees it.
  if (free_self) Enqueue(MakeRequest(this, nullptr));
}

void TThread::Synchronize(const std::function<void()>& call) {
  if (IsMainThread()) {
    if (!Terminated()) call();
    return;
  }
  std::shared_ptr<Request> request = MakeRequest(this, &call);
  Enqueue(request);
  std::unique_lock lock(Queue().mutex);
  Queue().changed.wait(lock, [&] { return request->done || (Terminated() && !request->running); });
  if (!request->done) std::erase(Queue().requests, request);
  if (request->failure) std::rethrow_exception(request->failure);
}

}  // namespace plat
