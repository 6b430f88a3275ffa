#include "gif/lzw_hash_table.h"

namespace tessory::test {

// Follows the probes after a collision at `h`. Probing doubles h modulo
// 8009, so the probes of one key cycle through 4004 slots. Only a table of
// more than 4004 entries, all in one cycle, could leave no empty slot
// there; the search then ends after kSlots probes instead of running
// forever (the key is absent, and Store leaves it out).
int THashTable::ProbeFrom(int h, std::uint32_t key) const {
  for (int probes = 1; probes < kSlots; ++probes) {
    h = NextProbe(h);
    if (Matches(h, key) || IsEmpty(h)) return h;
  }
  return -1;
}

int THashTable::Find(std::uint32_t key) const {
  const int slot = FindSlot(key);
  return slot < 0 || IsEmpty(slot) ? -1 : CodeAt(slot);
}

void THashTable::Store(std::uint32_t key, int code) {
  const int slot = FindSlot(key);
  if (slot >= 0) Fill(slot, key, code);
}

}  // namespace tessory::test
