// The LZW coder's string table as a direct index: one slot per string, a
// prefix code extended by one pixel, read in one step where the hashed
// table probes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "imaging/pixel_buffer.h"

namespace tessory {

// Maps each string in the table, a prefix code extended by one pixel, to
// its code. It holds exactly the strings entered since the last Restart,
// so it answers every lookup as a hashed 8009-slot table would with the
// same strings entered.
//
// Slots are never emptied. A slot keeps the code last entered under its
// key, and each code remembers the key it was entered under; a slot counts
// only while its code still names that key. A restart forgets the keys of
// the codes handed out since the previous one, so it costs what was used,
// not the 2 MB of slots.
//
// Beside it, for every pixel, the codes of the strings of that pixel alone
// (one, two, three ... times it), so that a run can be jumped over where
// the coder would otherwise look up each of its pixels in turn.
class LzwCodeTable {
 public:
  static constexpr int kCodes = 4096;  // 12-bit codes
  static constexpr int kPixels = 256;  // one palette index per byte

  LzwCodeTable()
      : codeOfKey_(static_cast<std::size_t>(kCodes) * kPixels),
        keyOfCode_(std::make_unique<std::uint32_t[]>(kCodes)),
        // Only the entries up to each pixel's run length are ever read,
        // and those are written first, so they need no clearing.
        runCode_(std::make_unique_for_overwrite<std::uint16_t[]>(static_cast<std::size_t>(kPixels) * kRunCodes)) {
    for (int code = 0; code < kCodes; ++code) keyOfCode_[static_cast<std::size_t>(code)] = kNoKey;
    Restart();
  }

  // The code of prefix extended by pixel, or -1 when that string is not in
  // the table. prefix is a code (below 4096), pixel a byte.
  int Find(int prefix, int pixel) const {
    const std::uint32_t key = Key(prefix, pixel);
    const std::uint16_t code = codeOfKey_[key];
    return keyOfCode_[code] == key ? code : -1;
  }

  // Enters prefix extended by pixel under `code` (below 4096). Codes come
  // in ascending order after each restart, and no string twice.
  void Add(int prefix, int pixel, int code) {
    const std::uint32_t key = Key(prefix, pixel);
    codeOfKey_[key] = static_cast<std::uint16_t>(code);
    keyOfCode_[static_cast<std::size_t>(code)] = key;
    if (code >= usedEnd_) usedEnd_ = code + 1;
    // The longest string of pixel alone, extended by pixel once more.
    int& length = runLength_[static_cast<std::size_t>(pixel)];
    if (length < kRunCodes - 1 && prefix == RunCode(pixel, length)) {
      ++length;
      RunCode(pixel, length) = static_cast<std::uint16_t>(code);
    }
  }

  // Empties the table.
  void Restart() {
    for (int code = 0; code < usedEnd_; ++code) keyOfCode_[static_cast<std::size_t>(code)] = kNoKey;
    usedEnd_ = 0;
    // The string of one pixel is the pixel's own code.
    for (int pixel = 0; pixel < kPixels; ++pixel) {
      runLength_[static_cast<std::size_t>(pixel)] = 1;
      RunCode(pixel, 1) = static_cast<std::uint16_t>(pixel);
    }
  }

  // With `prefix` the one-pixel string `pixel`, steps over the pixels of
  // `ahead` that repeat it, as far as the table knows strings of that pixel
  // alone, and sets `prefix` to the code reached: what looking up each of
  // them in turn would give. Returns the number of pixels stepped over.
  // Every code it steps through was entered as the one before it extended
  // by pixel, so each step is the answer of a lookup; the coder goes on
  // looking up from where it stops.
  std::size_t FollowRun(int pixel, const std::uint8_t* ahead, std::size_t available, int& prefix) const {
    // Runs shorter than three are left to the lookups, which are as quick
    // for them: one test of two pixels keeps the photo's short runs cheap,
    // and the rest stays out of line, away from the coder's registers.
    if (available < 2 || !RepeatsTwice(ahead, pixel)) return 0;
    return StepOverRun(pixel, ahead, available, prefix);
  }

 private:
  // Strings of one pixel are followed up to 255 pixels long; a longer run
  // goes on by lookups from there, which one emitted code per 255 pixels
  // makes rare, and the table stays at 128 KB instead of 2 MB.
  static constexpr int kRunCodes = 256;

  // No key reaches 2^20 (prefix below 4096, pixel below 256), so a code
  // carrying this one names no string: the codes never entered, and every
  // code of a slot never written (those hold 0).
  static constexpr std::uint32_t kNoKey = 0xFFFFFFFFu;

  // Slots are laid out pixel by pixel, each pixel's 4096 prefixes side by
  // side: the prefixes in use are the recent codes, close together, so the
  // lookups of a frame touch few cache lines and pages of the 2 MB (laid
  // out prefix by prefix, every code's row was touched, and the cold misses
  // cost the screenshot more than the lookups saved).
  static std::uint32_t Key(int prefix, int pixel) {
    return static_cast<std::uint32_t>(pixel) * kCodes + static_cast<std::uint32_t>(prefix);
  }

  std::size_t StepOverRun(int pixel, const std::uint8_t* ahead, std::size_t available, int& prefix) const;
  static bool RepeatsTwice(const std::uint8_t* ahead, int pixel) {
    std::uint16_t two;
    std::memcpy(&two, ahead, sizeof two);
    return two == static_cast<std::uint16_t>(pixel * 0x0101);
  }
  std::uint16_t& RunCode(int pixel, int length) {
    return runCode_[static_cast<std::size_t>(pixel) * kRunCodes + static_cast<std::size_t>(length)];
  }
  std::uint16_t RunCode(int pixel, int length) const {
    return runCode_[static_cast<std::size_t>(pixel) * kRunCodes + static_cast<std::size_t>(length)];
  }

  // kPixels * kCodes slots (2 MB), zeroed once; one large block, so
  // clearing it costs a page fault or two rather than hundreds.
  std::vector<std::uint16_t, LargeBlockAllocator<std::uint16_t>> codeOfKey_;
  std::unique_ptr<std::uint32_t[]> keyOfCode_;  // kCodes entries
  int usedEnd_ = 0;                             // codes at or above it carry kNoKey
  // Per pixel, the codes of the strings of it alone, by their length (1 to
  // runLength_, at most kRunCodes - 1); kRunCodes entries each.
  std::unique_ptr<std::uint16_t[]> runCode_;
  std::array<int, kPixels> runLength_{};
};

}  // namespace tessory
