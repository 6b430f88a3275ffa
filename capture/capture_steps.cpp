#include "capture/capture_steps.h"

#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace tessory::capture_steps {
namespace {

struct Step {
  std::chrono::system_clock::time_point time;
  const char* name;
};

// A capture has about a dozen steps; any beyond the room are dropped.
std::array<Step, 32> gSteps;
std::size_t gCount = 0;

const char* LogPath() {
  static const char* const path = std::getenv("TESSORY_STEP_LOG");
  return path && *path ? path : nullptr;
}

}  // namespace

void Begin(const char* step) {
  gCount = 0;
  Mark(step);
}

void Mark(const char* step) {
  if (!LogPath() || gCount == gSteps.size()) return;
  gSteps[gCount++] = {std::chrono::system_clock::now(), step};
}

void Write() {
  if (!LogPath() || gCount == 0) return;
  std::ofstream log(LogPath(), std::ios::app);
  for (std::size_t i = 0; i < gCount; ++i) {
    const auto micros =
        std::chrono::duration_cast<std::chrono::microseconds>(gSteps[i].time.time_since_epoch()).count();
    char line[96];
    std::snprintf(line, sizeof line, "%lld.%06lld %s\n", static_cast<long long>(micros / 1000000),
                  static_cast<long long>(micros % 1000000), gSteps[i].name);
    log << line;
  }
  gCount = 0;
}

}  // namespace tessory::capture_steps
