#include "safe/version_stamp.h"

#include <algorithm>

int64_t LargestStamp(const EntryList& list) {
  int64_t largest = 0;
  for (const Entry& entry : list.entries) largest = std::max(largest, entry.modified);
  for (const EntryTombstone& tombstone : list.tombstones) largest = std::max(largest, tombstone.deletedAt);
  return largest;
}

int64_t NextStamp(int64_t largestSeen, int64_t now) { return std::max(now, OnePast(largestSeen)); }
