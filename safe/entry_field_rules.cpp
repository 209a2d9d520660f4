#include "safe/entry_field_rules.h"

#include "safe/entry.h"
#include "safe/safe_format.h"

const char* CheckDesignedFields(SafeFormat format, std::string_view description, std::string_view userName,
                                std::string_view password) {
  for (std::string_view field : {description, userName, password}) {
    if (format == SafeFormat::kLegacy) {
      if (field.find_first_of("\t\r\n") != std::string_view::npos) return kEntryFieldSeparatorMessage;
      if (field.size() >= kSafeMaxFieldLength) return kEntryFieldTooLongMessage;
    } else {
      if (field.find('\0') != std::string_view::npos) return kEntryTextHasNulMessage;
      if (field.size() > kMaxEntryTextBytes) return kEntryTextTooLongMessage;
    }
  }
  return nullptr;
}

namespace {

bool HoldsMoreThanLegacyFields(const Entry& entry) {
  return !entry.url.empty() || !entry.notes.empty() || !entry.totp.empty() || !entry.tags.empty() ||
         !entry.fields.empty();
}

}  // namespace

const char* CheckWholeEntry(SafeFormat format, const Entry& entry) {
  if (const char* why = CheckDesignedFields(format, entry.title.view(), entry.userName.view(), entry.password.view())) {
    return why;
  }
  if (format == SafeFormat::kLegacy) return HoldsMoreThanLegacyFields(entry) ? kNeedsStrongFormatMessage : nullptr;
  return CheckEntryLimits(entry);
}
