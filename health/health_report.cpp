#include "health/health_report.h"

#include <algorithm>
#include <numeric>

#include "health/breach_list.h"
#include "health/report_exclusion.h"

namespace {

constexpr int64_t kSecondsPerDay = 86400;

// Counts the entries sharing each password without copying one: indexes
// sorted by password, then runs of equal ones.
std::vector<int> SamePasswordCounts(std::span<const Entry> entries) {
  std::vector<size_t> order(entries.size());
  std::iota(order.begin(), order.end(), 0);
  std::sort(order.begin(), order.end(),
            [&](size_t a, size_t b) { return entries[a].password.view() < entries[b].password.view(); });
  std::vector<int> counts(entries.size(), 0);
  for (size_t run = 0; run < order.size();) {
    size_t end = run;
    while (end < order.size() && entries[order[end]].password == entries[order[run]].password) ++end;
    for (size_t i = run; i < end; ++i) counts[order[i]] = static_cast<int>(end - run);
    run = end;
  }
  return counts;
}

}  // namespace

int64_t PasswordChangedAt(const Entry& entry) {
  if (!entry.history.empty() && entry.history.back().replacedAt != 0) return entry.history.back().replacedAt;
  return entry.modified;
}

bool NeedsAttention(const EntryHealth& row) {
  return row.strength.strength < StrengthClass::kGood || row.reused > 0 || row.breached > 0 ||
         row.ageDays >= kOldPasswordDays;
}

bool IsWorse(const EntryHealth& a, const EntryHealth& b) {
  // Good and excellent need nothing; below that, weaker is worse.
  auto weakness = [](const EntryHealth& row) { return std::min(row.strength.strength, StrengthClass::kGood); };
  auto old = [](const EntryHealth& row) { return row.ageDays >= kOldPasswordDays; };
  if (a.breached != b.breached) return a.breached > b.breached;
  if (weakness(a) != weakness(b)) return weakness(a) < weakness(b);
  if (a.reused != b.reused) return a.reused > b.reused;
  if (old(a) != old(b)) return old(a);
  if (a.strength.bits != b.strength.bits) return a.strength.bits < b.strength.bits;
  if (a.ageDays != b.ageDays) return a.ageDays > b.ageDays;
  return a.entryIndex < b.entryIndex;
}

HealthReport MakeHealthReport(std::span<const Entry> entries, int64_t now, const BreachList* breaches) {
  HealthReport report;
  std::vector<int> sharing = SamePasswordCounts(entries);
  for (size_t i = 0; i < entries.size(); ++i) {
    const Entry& entry = entries[i];
    if (entry.password.empty() || IsExcludedFromReports(entry)) continue;
    EntryHealth row;
    row.entryIndex = i;
    const SecretText* userInputs[] = {&entry.title, &entry.userName};
    row.strength = EstimateStrength(entry.password, userInputs);
    row.reused = sharing[i] - 1;
    int64_t changedAt = PasswordChangedAt(entry);
    if (changedAt != 0) row.ageDays = std::max<int64_t>(0, (now - changedAt) / kSecondsPerDay);
    report.rows.push_back(row);
  }
  if (breaches != nullptr && breaches->IsOpen()) {
    for (EntryHealth& row : report.rows) {
      BreachList::Lookup found = breaches->Find(entries[row.entryIndex].password);
      if (!found.error.empty()) {
        // One bad line makes every answer from the file doubtful.
        report.breachError = found.error;
        for (EntryHealth& each : report.rows) each.breached = -1;
        break;
      }
      row.breached = static_cast<int64_t>(std::min<uint64_t>(found.count, INT64_MAX));
    }
  }
  std::sort(report.rows.begin(), report.rows.end(), IsWorse);
  return report;
}
