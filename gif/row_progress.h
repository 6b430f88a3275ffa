// How many rows of a picture one thread has finished, for a second thread
// that reads them in order as they come.
#pragma once

#include <condition_variable>
#include <mutex>

#include "framework/error.h"

namespace tessory {

// Raised in the reading thread when the producer stops before the last
// row; it ends that thread's work and never reaches a user.
class ERowsAbandoned final : public Error {
 public:
  ERowsAbandoned() : Error("Rows abandoned") {}
};

// A mutex and a condition variable rather than an atomic's wait: the C++
// library's atomic wait, on systems without a futex (the Windows build),
// can miss a notification and leave the reader asleep for good. The
// producer publishes once per block of rows, so the lock costs nothing
// that shows.
class RowProgress {
 public:
  // Rows 0 to rows - 1 are final and stay unchanged; `rows` only grows.
  void Publish(int rows) noexcept { Set(rows); }
  // The producer will publish nothing more: a waiting reader is released.
  void Abandon() noexcept { Set(kAbandoned); }
  // Waits until more than `seen` rows are final and returns how many are.
  // Throws ERowsAbandoned when the producer stops first.
  int WaitBeyond(int seen) const {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return done_ == kAbandoned || done_ > seen; });
    if (done_ == kAbandoned) throw ERowsAbandoned();
    return done_;
  }

 private:
  static constexpr int kAbandoned = -1;

  void Set(int rows) noexcept {
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      done_ = rows;
    }
    changed_.notify_one();
  }

  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  int done_ = 0;
};

}  // namespace tessory
