#include "health/report_exclusion.h"

bool IsExcludedFromReports(const Entry& entry) {
  const CustomField* field = entry.FindField(kExcludeFromReportsField);
  return field != nullptr && field->value == std::string_view(kExcludeFromReportsValue);
}

bool SetExcludedFromReports(Entry& entry, bool excluded) {
  if (IsExcludedFromReports(entry) == excluded) return false;
  if (excluded) {
    entry.SetField(kExcludeFromReportsField, kExcludeFromReportsValue, false);
  } else {
    entry.RemoveField(kExcludeFromReportsField);
  }
  return true;
}
