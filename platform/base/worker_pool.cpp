#include "platform/base/worker_pool.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/base/workers.h"

namespace plat {

namespace {

// True on a pool thread and on a caller while it runs its own ranges: nested calls stay serial,
// so a body never waits for threads that are all busy waiting themselves.
thread_local bool insideParallelWork = false;

// How long a thread that ran out of work keeps looking before it sleeps. An operation calls the
// pool many times in a row (each pass, each allocation of its result), and waking sleeping
// threads costs the caller tens of microseconds a call on a virtual machine. After a short busy
// spell the thread gives its core away between looks, so a busy machine loses little to it.
constexpr auto kBusyLook = std::chrono::microseconds(50);
constexpr auto kLook = std::chrono::microseconds(1000);

// Calls ready() until it gives true or kLook has passed; returns its last answer.
template <typename Ready>
bool LookUntil(Ready ready) {
  const auto start = std::chrono::steady_clock::now();
  while (!ready()) {
    const auto waited = std::chrono::steady_clock::now() - start;
    if (waited >= kLook) return false;
    if (waited >= kBusyLook) {
      std::this_thread::yield();
    } else {
#if defined(__x86_64__) || defined(__i386__)
      __builtin_ia32_pause();
#endif
    }
  }
  return true;
}

// One ParallelFor call: ranges are claimed through `next`, so whichever threads turn up share
// them, and a helper that arrives late finds nothing left and leaves.
struct Job {
  const std::function<void(int64_t, int64_t)>* body = nullptr;
  int64_t count = 0, chunk = 1, chunks = 0;
  std::atomic<int64_t> next{0};
  std::atomic<int64_t> done{0};
  std::mutex mutex;
  std::condition_variable finished;
  std::exception_ptr error;  // guarded by mutex

  void RunChunks() {
    for (int64_t i = next++; i < chunks; i = next++) {
      try {
        (*body)(i * chunk, std::min(count, (i + 1) * chunk));
      } catch (...) {
        std::lock_guard lock(mutex);
        if (!error) error = std::current_exception();
      }
      if (++done == chunks) {
        // Under the mutex, so a caller that has just found the job unfinished is already waiting.
        std::lock_guard lock(mutex);
        finished.notify_all();
      }
    }
  }

  bool Finished() const { return done.load() == chunks; }

  void Wait() {
    if (LookUntil([this] { return Finished(); })) return;
    std::unique_lock lock(mutex);
    finished.wait(lock, [this] { return Finished(); });
  }
};

class Pool {
 public:
  ~Pool() {
    {
      std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    wake_.notify_all();
    for (std::thread& t : threads_) t.join();
  }

  // Queues `helpers` visits to job, starting threads until there are that many.
  void Share(const std::shared_ptr<Job>& job, int helpers) {
    {
      std::lock_guard lock(mutex_);
      while (static_cast<int>(threads_.size()) < helpers)
        threads_.emplace_back([this] { Serve(); });
      for (int i = 0; i < helpers; ++i) queue_.push_back(job);
      queued_ += helpers;
    }
    wake_.notify_all();
  }

 private:
  void Serve() {
    insideParallelWork = true;
    for (;;) {
      std::shared_ptr<Job> job;
      LookUntil([this] { return queued_.load() > 0; });
      {
        std::unique_lock lock(mutex_);
        wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (queue_.empty()) return;
        job = std::move(queue_.front());
        queue_.pop_front();
        --queued_;
      }
      job->RunChunks();
    }
  }

  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::shared_ptr<Job>> queue_;
  std::atomic<int> queued_{0};  // queue_.size(), for the threads looking without the mutex
  std::vector<std::thread> threads_;
  bool stopping_ = false;
};

Pool& SharedPool() {
  static Pool pool;
  return pool;
}

}  // namespace

void ParallelFor(int64_t count, int64_t minChunk,
                 const std::function<void(int64_t begin, int64_t end)>& body) {
  if (count <= 0) return;
  const int64_t most = std::max<int64_t>(1, count / std::max<int64_t>(minChunk, 1));
  const int64_t threads = insideParallelWork ? 1 : std::min<int64_t>(WorkerCount(), most);
  if (threads == 1) {
    body(0, count);
    return;
  }
  // A few ranges a thread even out rows that cost more than others.
  auto job = std::make_shared<Job>();
  job->body = &body;
  job->count = count;
  job->chunks = std::min(most, threads * 4);
  job->chunk = (count + job->chunks - 1) / job->chunks;
  job->chunks = (count + job->chunk - 1) / job->chunk;
  SharedPool().Share(job, static_cast<int>(threads - 1));
  insideParallelWork = true;
  job->RunChunks();
  insideParallelWork = false;
  job->Wait();
  std::lock_guard lock(job->mutex);
  if (job->error) std::rethrow_exception(job->error);
}

}  // namespace plat
