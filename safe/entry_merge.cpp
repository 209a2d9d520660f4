#include "safe/entry_merge.h"

#include <algorithm>
#include <numeric>
#include <string_view>
#include <unordered_set>

#include "safe/legacy_fields_set.h"
#include "safe/merge_by_id.h"

namespace {

constexpr size_t kNotFound = SIZE_MAX;

// The hinted index when it holds the entry's fields, else the first entry
// with them.
size_t FindByFields(const std::vector<Entry>& entries, uint32_t hint, const Entry& wanted) {
  if (hint < entries.size() && entries[hint].SameLegacyFields(wanted)) return hint;
  for (size_t i = 0; i < entries.size(); ++i) {
    if (entries[i].SameLegacyFields(wanted)) return i;
  }
  return kNotFound;
}

bool HasId(const EntryList& list, const EntryId& id) {
  return std::any_of(list.entries.begin(), list.entries.end(), [&](const Entry& entry) { return entry.id == id; });
}

// The whole change as one list merged in, so that an import of many
// entries indexes the list once, not once an entry.
EntryChangeOutcome ApplyById(EntryList& list, const EntryChange& change) {
  EntryChangeOutcome outcome = EntryChangeOutcome::kApplied;
  if (change.isEdit && change.added.size() == 1 && !HasId(list, change.added[0].id)) {
    outcome = EntryChangeOutcome::kEditAddedAsNew;
  }
  EntryList incoming;
  incoming.entries = change.added;
  incoming.tombstones = change.deleted;
  // An edit replaces its entry by id; only a deletion removes one, as of the
  // version the user saw: a later change stays.
  if (!change.isEdit) {
    for (const Entry& entry : change.removed) {
      incoming.tombstones.push_back({entry.id, std::max(change.madeAt, entry.modified)});
    }
  }
  MergeEntryLists(list, incoming);
  return outcome;
}

EntryChangeOutcome ApplyByFields(EntryList& list, const EntryChange& change) {
  std::vector<Entry>& entries = list.entries;
  if (change.isEdit && change.removed.size() == 1 && change.added.size() == 1) {
    size_t at = FindByFields(entries, change.removedAt[0], change.removed[0]);
    if (at == kNotFound) {
      entries.push_back(change.added[0]);
      return EntryChangeOutcome::kEditAddedAsNew;
    }
    entries[at] = change.added[0];
    return EntryChangeOutcome::kApplied;
  }
  // From the highest index down, so the lower hints stay where they were.
  std::vector<size_t> order(change.removed.size());
  std::iota(order.begin(), order.end(), size_t{0});
  std::sort(order.begin(), order.end(),
            [&change](size_t a, size_t b) { return change.removedAt[a] > change.removedAt[b]; });
  for (size_t i : order) {
    size_t at = FindByFields(entries, change.removedAt[i], change.removed[i]);
    if (at != kNotFound) entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(at));
  }
  for (const Entry& entry : change.added) entries.push_back(entry);
  return EntryChangeOutcome::kApplied;
}

}  // namespace

void EntryChange::Remove(uint32_t index, const Entry& entry) {
  removed.push_back(entry);
  removedAt.push_back(index);
}

void EntryChange::Add(const Entry& entry) { added.push_back(entry); }

EntryChangeOutcome ApplyEntryChange(EntryList& list, const EntryChange& change, EntryMatch match) {
  return match == EntryMatch::kById ? ApplyById(list, change) : ApplyByFields(list, change);
}

size_t AddMissingEntries(EntryList& into, const EntryList& from, EntryMatch match) {
  if (match == EntryMatch::kById) return MergeEntryLists(into, from);
  // No reallocation while the set points into the list.
  into.entries.reserve(into.entries.size() + from.entries.size());
  LegacyFieldsSet present;
  for (const Entry& entry : into.entries) present.Insert(entry);
  size_t added = 0;
  for (const Entry& entry : from.entries) {
    if (present.Contains(entry)) continue;
    into.entries.push_back(entry);
    present.Insert(into.entries.back());
    ++added;
  }
  return added;
}
