// How many rows of a picture one thread has finished, for a second thread
// that reads them in order as they come.
#pragma once

#include <atomic>

#include "framework/error.h"

namespace tessory {

// Raised in the reading thread when the producer stops before the last
// row; it ends that thread's work and never reaches a user.
class ERowsAbandoned final : public Error {
 public:
  ERowsAbandoned() : Error("Rows abandoned") {}
};

class RowProgress {
 public:
  // Rows 0 to rows - 1 are final and stay unchanged; `rows` only grows.
  void Publish(int rows) noexcept {
    done_.store(rows, std::memory_order_release);
    done_.notify_one();
  }
  // The producer will publish nothing more: a waiting reader is released.
  void Abandon() noexcept {
    done_.store(kAbandoned, std::memory_order_release);
    done_.notify_one();
  }
  // Waits until more than `seen` rows are final and returns how many are.
  // Throws ERowsAbandoned when the producer stops first.
  int WaitBeyond(int seen) const {
    for (;;) {
      const int done = done_.load(std::memory_order_acquire);
      if (done == kAbandoned) throw ERowsAbandoned();
      if (done > seen) return done;
      done_.wait(done, std::memory_order_acquire);
    }
  }

 private:
  static constexpr int kAbandoned = -1;
  std::atomic<int> done_{0};
};

}  // namespace tessory
