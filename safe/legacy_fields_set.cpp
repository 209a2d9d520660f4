#include "safe/legacy_fields_set.h"

#include <functional>
#include <string_view>

size_t LegacyFieldsSet::Hash::operator()(const Entry* entry) const {
  std::hash<std::string_view> hash;
  return hash(entry->title.view()) ^ (hash(entry->userName.view()) * 31) ^ (hash(entry->password.view()) * 131);
}
