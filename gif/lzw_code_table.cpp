#include "gif/lzw_code_table.h"

#include <algorithm>

namespace tessory {

// The pixels ahead start with two repeats of `pixel`; the strings of it
// alone known to the table reach up to runLength_ pixels.
std::size_t LzwCodeTable::StepOverRun(int pixel, const std::uint8_t* ahead, std::size_t available, int& prefix) const {
  const int longest = runLength_[static_cast<std::size_t>(pixel)];
  if (longest < 3) return 0;
  const std::size_t limit = std::min(available, static_cast<std::size_t>(longest - 1));
  std::size_t repeats = 2;
  while (repeats < limit && ahead[repeats] == pixel) ++repeats;
  prefix = RunCode(pixel, static_cast<int>(repeats) + 1);
  return repeats;
}

}  // namespace tessory
