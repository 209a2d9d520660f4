#include "safe/merge_by_id.h"

#include <string.h>

#include <algorithm>
#include <tuple>
#include <unordered_map>

namespace {

// Ids are random: their first bytes are a good hash.
struct IdHash {
  size_t operator()(const EntryId& id) const {
    size_t hash;
    memcpy(&hash, id.bytes.data(), sizeof hash);
    return hash;
  }
};

// Where each entry of a list is, so that merging two large lists does not
// search one for every entry of the other.
class EntryIndex {
 public:
  explicit EntryIndex(const EntryList& list) {
    places_.reserve(list.entries.size());
    for (size_t i = 0; i < list.entries.size(); ++i) places_.emplace(list.entries[i].id, i);
  }
  Entry* Find(EntryList& list, const EntryId& id) const {
    auto found = places_.find(id);
    return found == places_.end() || !(list.entries[found->second].id == id) ? nullptr : &list.entries[found->second];
  }
  void Added(const EntryList& list) { places_.emplace(list.entries.back().id, list.entries.size() - 1); }

 private:
  std::unordered_map<EntryId, size_t, IdHash> places_;
};

// Tombstones are kept in ascending id order.
std::vector<EntryTombstone>::iterator TombstonePlace(EntryList& list, const EntryId& id) {
  return std::lower_bound(list.tombstones.begin(), list.tombstones.end(), id,
                          [](const EntryTombstone& tombstone, const EntryId& wanted) { return tombstone.id < wanted; });
}

// Which of two versions of one entry is the later: the larger stamp
// (safe/version_stamp.h); equal stamps fall to every other field in turn,
// so that two copies holding the same two versions choose the same winner.
bool IsLater(const Entry& a, const Entry& b) {
  auto key = [](const Entry& entry) {
    return std::tie(entry.modified, entry.title, entry.userName, entry.password, entry.url, entry.notes, entry.totp,
                    entry.tags, entry.fields, entry.created, entry.history, entry.unknown);
  };
  return key(a) > key(b);
}

bool KnowsPassword(const Entry& entry, const SecretText& password) {
  if (entry.password == password) return true;
  return std::any_of(entry.history.begin(), entry.history.end(),
                     [&](const PasswordHistoryItem& item) { return item.password == password; });
}

// The losing version's password joins the winner's history in time order,
// which keeps its last kMaxPasswordHistory. True when it joined.
bool KeepLosersPassword(Entry& winner, const Entry& loser) {
  if (loser.password.empty() || KnowsPassword(winner, loser.password)) return false;
  auto place = std::upper_bound(winner.history.begin(), winner.history.end(), loser.modified,
                                [](int64_t time, const PasswordHistoryItem& item) { return time < item.replacedAt; });
  winner.history.insert(place, {loser.password, loser.modified});
  if (winner.history.size() > kMaxPasswordHistory) {
    winner.history.erase(winner.history.begin(),
                         winner.history.end() - static_cast<std::ptrdiff_t>(kMaxPasswordHistory));
  }
  return true;
}

// True when the list changed.
bool Put(EntryList& list, EntryIndex& index, const Entry& entry) {
  if (Entry* existing = index.Find(list, entry.id)) {
    if (*existing == entry) return false;
    if (IsLater(entry, *existing)) {
      Entry winner = entry;
      KeepLosersPassword(winner, *existing);
      *existing = std::move(winner);
      return true;
    }
    return KeepLosersPassword(*existing, entry);
  }
  auto tombstone = TombstonePlace(list, entry.id);
  if (tombstone != list.tombstones.end() && tombstone->id == entry.id) {
    if (tombstone->deletedAt >= entry.modified) return false;
    list.tombstones.erase(tombstone);
  }
  list.entries.push_back(entry);
  index.Added(list);
  return true;
}

// Appends the tombstone unsorted, so that many deletions cost one sort
// (SettleTombstones); entries are erased once all deletions are known, so
// that the index stays valid meanwhile. True when an entry goes.
bool MarkDeleted(EntryList& list, const EntryIndex& index, const EntryId& id, int64_t deletedAt) {
  Entry* existing = index.Find(list, id);
  // A change made after this deletion was decided stays.
  if (existing != nullptr && existing->modified > deletedAt) return false;
  list.tombstones.push_back({id, deletedAt});
  return existing != nullptr;
}

// Back to ascending ids, one tombstone an id with its latest time.
void SettleTombstones(EntryList& list) {
  std::sort(list.tombstones.begin(), list.tombstones.end(), [](const EntryTombstone& a, const EntryTombstone& b) {
    return a.id < b.id || (a.id == b.id && a.deletedAt > b.deletedAt);
  });
  auto sameId = [](const EntryTombstone& a, const EntryTombstone& b) { return a.id == b.id; };
  list.tombstones.erase(std::unique(list.tombstones.begin(), list.tombstones.end(), sameId), list.tombstones.end());
}

void EraseDeleted(EntryList& list) {
  std::erase_if(list.entries, [&](const Entry& entry) {
    auto place = TombstonePlace(list, entry.id);
    return place != list.tombstones.end() && place->id == entry.id;
  });
}

}  // namespace

void PutEntryById(EntryList& list, const Entry& entry) {
  EntryIndex index(list);
  Put(list, index, entry);
}

void DeleteEntryById(EntryList& list, const EntryId& id, int64_t deletedAt) {
  EntryList deletion;
  deletion.tombstones.push_back({id, deletedAt});
  MergeEntryLists(list, deletion);
}

size_t MergeEntryLists(EntryList& ours, const EntryList& theirs) {
  EntryIndex index(ours);
  size_t changed = 0;
  for (const Entry& entry : theirs.entries) changed += Put(ours, index, entry) ? 1 : 0;
  bool anyDeleted = false;
  for (const EntryTombstone& tombstone : theirs.tombstones) {
    anyDeleted |= MarkDeleted(ours, index, tombstone.id, tombstone.deletedAt);
  }
  SettleTombstones(ours);
  if (anyDeleted) EraseDeleted(ours);
  return changed;
}
