// The key set of a search: open addressing over zeroed memory, doubled when it fills.
#include "midend/search_table.h"

bool InitKeySet(KeySet* set, std::uint64_t capacity, bool withIds) {
  set->mask = capacity - 1;
  set->count = 0;
  set->withIds = withIds;
  return MapArray(&set->slots, capacity, true) && (!withIds || MapArray(&set->ids, capacity, true));
}

std::uint64_t FindSlot(const KeySet& set, const SearchKey& key, std::uint64_t hash) {
  std::uint64_t i = hash & set.mask;
  while (!EmptySlot(set.slots.data[i]) && !SameKey(set.slots.data[i], key)) i = (i + 1) & set.mask;
  return i;
}

bool GrowKeySet(KeySet* set) {
  KeySet bigger;
  if (!InitKeySet(&bigger, (set->mask + 1) * 2, set->withIds)) return false;
  for (std::uint64_t i = 0; i <= set->mask; ++i) {
    const SearchKey& key = set->slots.data[i];
    if (EmptySlot(key)) continue;
    const std::uint64_t to = FindSlot(bigger, key, HashKey(key));
    bigger.slots.data[to] = key;
    if (set->withIds) bigger.ids.data[to] = set->ids.data[i];
    ++bigger.count;
  }
  SwapArrays(&set->slots, &bigger.slots);
  SwapArrays(&set->ids, &bigger.ids);
  set->mask = bigger.mask;
  set->count = bigger.count;
  return true;
}
