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
