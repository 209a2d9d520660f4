#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "health/password_strength.h"
#include "safe/entry.h"

class BreachList;

// Age at which a password counts as old and needs attention.
inline constexpr int64_t kOldPasswordDays = 365;

// One entry's row of the report.
struct EntryHealth {
  size_t entryIndex = 0;  // into the entries the report was made from
  PasswordStrength strength;
  int reused = 0;         // other entries with the same password
  int64_t ageDays = -1;   // since the password last changed; -1: unknown
  int64_t breached = -1;  // times in the breach list; -1: not checked
};

struct HealthReport {
  std::vector<EntryHealth> rows;  // worst first
  std::string breachError;        // why breached counts are missing, or empty
};

// Entries excluded from reports and entries without a password are left
// out; reuse still counts them, since their password is in the safe too.
// breaches may be null (no check) or an open list.
HealthReport MakeHealthReport(std::span<const Entry> entries, int64_t now, const BreachList* breaches);

// The time the entry's password took over: the newest history item's
// replacement, else the entry's last change; 0 when neither is known.
int64_t PasswordChangedAt(const Entry& entry);
bool NeedsAttention(const EntryHealth& row);
// Breached first, then below good (weakest first), reused, old; then by
// bits and age.
bool IsWorse(const EntryHealth& a, const EntryHealth& b);
