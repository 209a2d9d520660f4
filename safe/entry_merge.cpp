#include "safe/entry_merge.h"

#include <algorithm>
#include <cstring>
#include <numeric>
#include <string_view>
#include <unordered_set>

#include "core/heapstring.h"

namespace {

constexpr uint32_t kNotFound = UINT32_MAX;

// The hinted index when it holds the line, else the first copy of it.
uint32_t FindLine(const cpStringArray& entries, uint32_t hint, const char* line) {
  const char* atHint = entries.GetAt(hint);
  if (atHint != nullptr && std::strcmp(atHint, line) == 0) return hint;
  for (uint32_t i = 0; i < entries.GetCount(); ++i) {
    if (std::strcmp(entries.GetAt(i), line) == 0) return i;
  }
  return kNotFound;
}

EntryChangeOutcome ApplyEdit(cpStringArray& entries, const EntryChange& change) {
  uint32_t at = FindLine(entries, change.removedAt[0], change.removed.GetAt(0));
  if (at == kNotFound) {
    return entries.Add(change.added.GetAt(0)) != nullptr ? EntryChangeOutcome::kEditAddedAsNew
                                                         : EntryChangeOutcome::kFailed;
  }
  const char* line = change.added.GetAt(0);
  char* copy = DupBytes(line, std::strlen(line));
  if (copy == nullptr) return EntryChangeOutcome::kFailed;
  WipeAndFree(entries.SetAt(at, copy));
  return EntryChangeOutcome::kApplied;
}

}  // namespace

EntryChange::EntryChange() {
  removed.SetWipeOnRelease(true);
  added.SetWipeOnRelease(true);
}

bool EntryChange::Remove(uint32_t index, const char* line) {
  if (removed.Add(line) == nullptr) return false;
  removedAt.push_back(index);
  return true;
}

bool EntryChange::Add(const char* line) { return added.Add(line) != nullptr; }

EntryChangeOutcome ApplyEntryChange(cpStringArray& entries, const EntryChange& change) {
  if (change.isEdit && change.removed.GetCount() == 1 && change.added.GetCount() == 1) {
    return ApplyEdit(entries, change);
  }
  // From the highest index down, so the lower hints stay where they were.
  std::vector<uint32_t> order(change.removed.GetCount());
  std::iota(order.begin(), order.end(), 0u);
  std::sort(order.begin(), order.end(),
            [&change](uint32_t a, uint32_t b) { return change.removedAt[a] > change.removedAt[b]; });
  for (uint32_t i : order) {
    uint32_t at = FindLine(entries, change.removedAt[i], change.removed.GetAt(i));
    if (at != kNotFound) entries.RemoveAt(at);
  }
  for (uint32_t i = 0; i < change.added.GetCount(); ++i) {
    if (entries.Add(change.added.GetAt(i)) == nullptr) return EntryChangeOutcome::kFailed;
  }
  return EntryChangeOutcome::kApplied;
}

size_t AddMissingEntries(cpStringArray& into, const cpStringArray& from) {
  std::unordered_set<std::string_view> present;
  for (uint32_t i = 0; i < into.GetCount(); ++i) present.insert(into.GetAt(i));
  size_t added = 0;
  for (uint32_t i = 0; i < from.GetCount(); ++i) {
    const char* line = from.GetAt(i);
    if (present.count(line) != 0) continue;
    const char* stored = into.Add(line);
    if (stored == nullptr) break;
    present.insert(stored);
    ++added;
  }
  return added;
}
