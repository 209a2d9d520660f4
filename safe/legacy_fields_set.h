#pragma once

#include <cstddef>
#include <unordered_set>

#include "safe/entry.h"

// Entries told apart by their three designed fields, as a legacy safe tells
// them apart, without copies of the fields: the set points at the entries,
// which must outlive it and stay where they are.
class LegacyFieldsSet {
 public:
  void Insert(const Entry& entry) { entries_.insert(&entry); }
  bool Contains(const Entry& entry) const { return entries_.count(&entry) != 0; }

 private:
  struct Hash {
    size_t operator()(const Entry* entry) const;
  };
  struct Equal {
    bool operator()(const Entry* a, const Entry* b) const { return a->SameLegacyFields(*b); }
  };
  std::unordered_set<const Entry*, Hash, Equal> entries_;
};
