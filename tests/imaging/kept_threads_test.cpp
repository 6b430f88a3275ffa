// Work handed to the threads the process keeps (imaging/kept_threads.h),
// and the PNG writer's parts when no thread can be had.
#include "imaging/kept_threads.h"

#include <gtest/gtest.h>

#include <array>
#include <condition_variable>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "imaging/png_deflate.h"

namespace tessory {
namespace {

// Work that waits until the gate opens.
class Gate {
 public:
  void Pass() {
    std::unique_lock lock(mutex_);
    opened_.wait(lock, [this] { return open_; });
  }
  void Open() {
    {
      std::lock_guard lock(mutex_);
      open_ = true;
    }
    opened_.notify_all();
  }

 private:
  std::mutex mutex_;
  std::condition_variable opened_;
  bool open_ = false;
};

// Every thread the process may keep, busy until the object goes (or
// Release is called), so that no thread can be had meanwhile.
class AllThreadsBusy {
 public:
  AllThreadsBusy() {
    for (KeptThreadTask& task : tasks_) started_ += task.Start([this] { gate_.Pass(); }) ? 1 : 0;
  }
  ~AllThreadsBusy() { Release(); }
  void Release() {
    gate_.Open();
    for (KeptThreadTask& task : tasks_) task.Wait();
  }
  std::size_t Started() const { return started_; }

 private:
  Gate gate_;
  std::array<KeptThreadTask, kMaxKeptThreads> tasks_;
  std::size_t started_ = 0;
};

TEST(KeptThreads, WorkRunsOnAnotherThreadAndIsDoneAfterWait) {
  std::thread::id ranOn;
  KeptThreadTask task;
  ASSERT_TRUE(task.Start([&] { ranOn = std::this_thread::get_id(); }));
  EXPECT_TRUE(task.Started());
  task.Wait();
  EXPECT_FALSE(task.Started());
  EXPECT_NE(ranOn, std::thread::id());
  EXPECT_NE(ranOn, std::this_thread::get_id());
}

// Where no thread can be had, Start says so and has run nothing: the
// caller runs the work itself, on its own thread. A thread that comes back
// serves again.
TEST(KeptThreads, WithNoThreadToBeHadTheCallerRunsTheWorkInline) {
  AllThreadsBusy busy;
  ASSERT_EQ(busy.Started(), kMaxKeptThreads);
  bool ran = false;
  std::thread::id ranOn;
  const auto work = [&] {
    ran = true;
    ranOn = std::this_thread::get_id();
  };
  KeptThreadTask task;
  EXPECT_FALSE(task.Start(work));
  EXPECT_FALSE(task.Started());
  task.Wait();  // at once: nothing was started
  EXPECT_FALSE(ran);
  work();
  EXPECT_EQ(ranOn, std::this_thread::get_id());

  busy.Release();
  ran = false;
  ASSERT_TRUE(task.Start(work));
  task.Wait();
  EXPECT_TRUE(ran);
  EXPECT_NE(ranOn, std::this_thread::get_id());
}

// Short pieces of work handed over one after another, each as soon as the
// one before is done (Start waits for it): every one runs once, in order,
// on the thread the one before gave back.
TEST(KeptThreads, ManyShortTasksInARowRunOnceEachInOrderOnOneKeptThread) {
  constexpr int kTasks = 2000;
  std::vector<int> order;
  std::set<std::thread::id> threads;
  KeptThreadTask task;
  for (int i = 0; i < kTasks; ++i) {
    ASSERT_TRUE(task.Start([&, i] {
      order.push_back(i);
      threads.insert(std::this_thread::get_id());
    }));
  }
  task.Wait();
  ASSERT_EQ(order.size(), static_cast<std::size_t>(kTasks));
  for (int i = 0; i < kTasks; ++i) ASSERT_EQ(order[i], i);
  EXPECT_EQ(threads.size(), 1u);
  EXPECT_FALSE(threads.contains(std::this_thread::get_id()));
}

// As a write in parts hands them over: seven at once, waited for together,
// many times in a row. Each piece runs once per round.
TEST(KeptThreads, ManyRoundsOfTasksAtOnceRunEachOnce) {
  constexpr int kRounds = 500;
  constexpr std::size_t kAtOnce = PngWorkspace::kMaxParts - 1;
  std::array<int, kAtOnce> runs{};
  std::array<KeptThreadTask, kAtOnce> tasks;
  for (int round = 0; round < kRounds; ++round) {
    for (std::size_t i = 0; i < kAtOnce; ++i) {
      int* const count = &runs[i];
      ASSERT_TRUE(tasks[i].Start([count] { ++*count; }));
    }
    for (KeptThreadTask& task : tasks) task.Wait();
    for (std::size_t i = 0; i < kAtOnce; ++i) ASSERT_EQ(runs[i], round + 1) << "task " << i;
  }
}

// With no thread to be had, a write in parts compresses every part on the
// caller's thread, and the stream is the one the threads make.
TEST(KeptThreads, PartsWithNoThreadToBeHadAreCompressedInlineAlike) {
  std::vector<std::uint8_t> data(200000);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>((i % 997) * (i % 13));
  PngWorkspace workspace;
  const std::span<const std::uint8_t> threaded = workspace.CompressZlibInParts(data, 5, PngWorkspace::kMaxParts);
  const std::vector<std::uint8_t> expected(threaded.begin(), threaded.end());
  AllThreadsBusy busy;
  ASSERT_EQ(busy.Started(), kMaxKeptThreads);
  const std::span<const std::uint8_t> inlineStream = workspace.CompressZlibInParts(data, 5, PngWorkspace::kMaxParts);
  EXPECT_EQ(workspace.Parts(), PngWorkspace::kMaxParts);
  EXPECT_EQ(std::vector<std::uint8_t>(inlineStream.begin(), inlineStream.end()), expected);
}

}  // namespace
}  // namespace tessory
