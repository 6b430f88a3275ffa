#include "imaging/kept_threads.h"

#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace tessory {

// A thread that waits for work, runs it, and waits again.
struct KeptThread {
  std::mutex mutex;
  std::condition_variable changed;
  std::function<void()> work;  // set while work waits to be run
  bool done = true;
  bool free = true;  // guarded by the pool's mutex
  std::thread thread;

  void Serve() noexcept {
    std::unique_lock lock(mutex);
    for (;;) {
      changed.wait(lock, [this] { return static_cast<bool>(work); });
      const std::function<void()> next = std::move(work);
      work = nullptr;
      lock.unlock();
      try {
        next();
      } catch (...) {
        // Said above: work reports its own failures.
      }
      lock.lock();
      done = true;
      changed.notify_all();
    }
  }
};

namespace {

// Never destroyed: its threads wait to the end of the process.
struct Pool {
  std::mutex mutex;
  std::vector<KeptThread*> threads;

  // A free thread, taken; a new one where none is free. Null when no
  // thread can be started, or when kMaxKeptThreads are kept and busy.
  KeptThread* Take() noexcept {
    std::lock_guard lock(mutex);
    for (KeptThread* thread : threads) {
      if (thread->free) {
        thread->free = false;
        return thread;
      }
    }
    if (threads.size() >= kMaxKeptThreads) return nullptr;
    try {
      threads.reserve(threads.size() + 1);
      auto* thread = new KeptThread;
      try {
        thread->thread = std::thread(&KeptThread::Serve, thread);
      } catch (...) {
        delete thread;
        return nullptr;
      }
      thread->free = false;
      threads.push_back(thread);
      return thread;
    } catch (...) {
      return nullptr;
    }
  }

  void GiveBack(KeptThread* thread) noexcept {
    std::lock_guard lock(mutex);
    thread->free = true;
  }
};

Pool& ThePool() {
  static Pool* const pool = new Pool;
  return *pool;
}

}  // namespace

bool KeptThreadTask::Start(std::function<void()> work) noexcept {
  Wait();
  if (!work) return false;
  KeptThread* const thread = ThePool().Take();
  if (!thread) return false;
  {
    std::lock_guard lock(thread->mutex);
    thread->work = std::move(work);
    thread->done = false;
  }
  thread->changed.notify_all();
  thread_ = thread;
  return true;
}

void KeptThreadTask::Wait() noexcept {
  if (!thread_) return;
  {
    std::unique_lock lock(thread_->mutex);
    thread_->changed.wait(lock, [this] { return thread_->done; });
  }
  ThePool().GiveBack(thread_);
  thread_ = nullptr;
}

}  // namespace tessory
