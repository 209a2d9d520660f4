#include "secret_service/access_grants.h"

#include <string>

bool IsAlwaysAllowed(const Entry& entry, std::string_view program) {
  const CustomField* field = entry.FindField(kAccessFieldName);
  if (field == nullptr || program.empty()) return false;
  std::string_view rest = field->value.view();
  while (!rest.empty()) {
    const size_t end = rest.find('\n');
    if (rest.substr(0, end) == program) return true;
    if (end == std::string_view::npos) break;
    rest.remove_prefix(end + 1);
  }
  return false;
}

bool AllowAlways(std::string_view program, Entry* entry) {
  if (program.empty() || program.find('\n') != std::string_view::npos) return false;
  if (IsAlwaysAllowed(*entry, program)) return true;
  const CustomField* field = entry->FindField(kAccessFieldName);
  if (field == nullptr && entry->fields.size() >= kMaxCustomFields) return false;
  SecretText value = field != nullptr ? field->value : SecretText();
  if (!value.empty()) value.Append("\n");
  value.Append(program);
  if (value.size() > kMaxEntryTextBytes) return false;
  entry->SetField(kAccessFieldName, value.view(), true);
  return true;
}
