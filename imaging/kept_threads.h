// Work handed to threads the process keeps. Under Wine, starting a thread
// and ending it costs 4 to 11 ms, more than the work a writer hands over
// saves; waking a thread that waits costs under a millisecond. A thread
// started once serves one piece of work at a time for the rest of the
// process.
#pragma once

#include <functional>

namespace tessory {

// One piece of work on a kept thread, from Start to Wait.
class KeptThreadTask {
 public:
  KeptThreadTask() = default;
  ~KeptThreadTask() { Wait(); }
  KeptThreadTask(const KeptThreadTask&) = delete;
  KeptThreadTask& operator=(const KeptThreadTask&) = delete;

  // Runs `work` on a kept thread, starting one when none is free. False
  // when no thread can be had: `work` has not run then. Whatever `work`
  // throws is lost, so it must catch what it means to report.
  bool Start(std::function<void()> work) noexcept;
  // Returns once the work has run; at once when none was started.
  void Wait() noexcept;
  bool Started() const { return thread_ != nullptr; }

 private:
  struct KeptThread* thread_ = nullptr;
};

}  // namespace tessory
