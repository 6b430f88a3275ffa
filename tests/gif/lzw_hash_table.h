// The hashed string table of the tests' plain LZW coder, the oracle the
// encoder's direct-index table is checked against: keys prefix * 256 +
// pixel mapped to codes in 8009 open-addressed 32-bit slots.
#pragma once

#include <array>
#include <cstdint>

namespace tessory::test {

class THashTable {
 public:
  static constexpr int kSlots = 8009;

  THashTable() { Clear(); }

  // Empties every slot.
  void Clear() { slots_.fill(kEmpty); }

  // The slot holding `key`, or the first empty slot on its probe path
  // (where Store would put it).
  int FindSlot(std::uint32_t key) const {
    int h = Hash(key);
    if (Matches(h, key) || IsEmpty(h)) return h;
    return ProbeFrom(h, key);
  }
  bool IsEmpty(int slot) const { return (slots_[static_cast<std::size_t>(slot)] & kKeyMask) == kKeyMask; }
  int CodeAt(int slot) const { return static_cast<int>(slots_[static_cast<std::size_t>(slot)] & kCodeMask); }
  void Fill(int slot, std::uint32_t key, int code) {
    slots_[static_cast<std::size_t>(slot)] = (key << 12) | (static_cast<std::uint32_t>(code) & kCodeMask);
  }

  // The code stored for `key`, or -1.
  int Find(std::uint32_t key) const;
  void Store(std::uint32_t key, int code);

  static int Hash(std::uint32_t key) { return static_cast<int>((key ^ (key >> 4)) % kSlots); }
  static int NextProbe(int h) {
    const int d = h == 0 ? 1 : kSlots - h;
    h -= d;
    return h < 0 ? h + kSlots : h;
  }

 private:
  // An empty slot has all of its top 20 bits set; a filled slot holds the
  // key (below 4095 * 256, so never all ones) in the top 20 bits and the
  // code in the low 12.
  static constexpr std::uint32_t kEmpty = 0xFFFFFFFFu;
  static constexpr std::uint32_t kKeyMask = 0xFFFFF000u;
  static constexpr std::uint32_t kCodeMask = 0x00000FFFu;

  bool Matches(int slot, std::uint32_t key) const {
    return (slots_[static_cast<std::size_t>(slot)] & kKeyMask) == key << 12;
  }
  int ProbeFrom(int h, std::uint32_t key) const;

  std::array<std::uint32_t, kSlots> slots_;
};

}  // namespace tessory::test
