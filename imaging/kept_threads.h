// Work handed to threads the process keeps. Under Wine, starting a thread
// and ending it costs 4 to 11 ms, more than the work a writer hands over
// saves; waking a thread that waits costs under a millisecond. A thread
// started once serves one piece of work at a time for the rest of the
// process. The threads kept are bounded: past kMaxKeptThreads pieces of
// work at once, the caller does the work itself.
#pragma once

#include <cstddef>
#include <functional>

namespace tessory {

// Threads the process keeps at most: twice what a PNG write in parts
// hands over and a GIF frame's coder together.
inline constexpr std::size_t kMaxKeptThreads = 16;

// One piece of work on a kept thread, from Start to Wait.
class KeptThreadTask {
 public:
  KeptThreadTask() = default;
  ~KeptThreadTask() { Wait(); }
  KeptThreadTask(const KeptThreadTask&) = delete;
  KeptThreadTask& operator=(const KeptThreadTask&) = delete;

  // Runs `work` on a kept thread, starting one when none is free. False
  // when no thread can be had (none can be started, or kMaxKeptThreads
  // are busy): `work` has not run then, and the caller runs it itself or
  // goes without. Whatever `work` throws is lost, so it must catch what it
  // means to report.
  bool Start(std::function<void()> work) noexcept;
  // Returns once the work has run; at once when none was started.
  void Wait() noexcept;
  bool Started() const { return thread_ != nullptr; }

 private:
  struct KeptThread* thread_ = nullptr;
};

}  // namespace tessory
