#include "secret_service/item_attributes.h"

#include <algorithm>

namespace {

bool IsDesignedName(std::string_view name) {
  return name == kTitleAttribute || name == kUserNameAttribute || name == kUrlAttribute;
}

const SecretText* FindWanted(const ItemAttributes& attributes, std::string_view name) {
  for (const ItemAttribute& attribute : attributes) {
    if (attribute.name == name) return &attribute.value;
  }
  return nullptr;
}

}  // namespace

bool IsServed(const Entry& entry) { return entry.HasTag(kSecretServiceTag); }

ItemAttributes AttributesOf(const Entry& entry) {
  ItemAttributes attributes;
  attributes.reserve(3 + entry.fields.size());
  attributes.push_back({SecretText(kTitleAttribute), entry.title});
  attributes.push_back({SecretText(kUserNameAttribute), entry.userName});
  attributes.push_back({SecretText(kUrlAttribute), entry.url});
  for (const CustomField& field : entry.fields) {
    if (field.isProtected || IsDesignedName(field.name.view())) continue;
    attributes.push_back({field.name, field.value});
  }
  return attributes;
}

const SecretText* AttributeValue(const Entry& entry, std::string_view name) {
  if (name == kTitleAttribute) return &entry.title;
  if (name == kUserNameAttribute) return &entry.userName;
  if (name == kUrlAttribute) return &entry.url;
  const CustomField* field = entry.FindField(name);
  return field == nullptr || field->isProtected ? nullptr : &field->value;
}

bool MatchesAll(const Entry& entry, const ItemAttributes& wanted) {
  return std::all_of(wanted.begin(), wanted.end(), [&](const ItemAttribute& attribute) {
    const SecretText* value = AttributeValue(entry, attribute.name.view());
    return value != nullptr && *value == attribute.value;
  });
}

const char* CheckClientAttributes(const ItemAttributes& attributes) {
  if (attributes.size() > kMaxItemAttributes) return kTooManyAttributesMessage;
  for (size_t i = 0; i < attributes.size(); ++i) {
    const SecretText& name = attributes[i].name;
    if (name.empty()) return kBadAttributeNameMessage;
    for (size_t j = 0; j < i; ++j) {
      if (attributes[j].name == name) return kBadAttributeNameMessage;
    }
  }
  return nullptr;
}

void ApplyAttributes(const ItemAttributes& attributes, Entry* entry) {
  std::erase_if(entry->fields, [](const CustomField& field) { return !field.isProtected; });
  for (const ItemAttribute& attribute : attributes) {
    const std::string_view name = attribute.name.view();
    if (name == kTitleAttribute) {
      entry->title = attribute.value;
    } else if (name == kUserNameAttribute) {
      entry->userName = attribute.value;
    } else if (name == kUrlAttribute) {
      entry->url = attribute.value;
    } else if (entry->FindField(name) == nullptr) {
      // A protected field of that name keeps its value: a client cannot
      // read it, so it may not overwrite it either.
      entry->fields.push_back({attribute.name, attribute.value, false});
    }
  }
}

Entry NewItemEntry(std::string_view label, const ItemAttributes& attributes, std::string_view secret) {
  Entry entry;
  ApplyAttributes(attributes, &entry);
  entry.title = label;
  entry.password = secret;
  entry.AddTag(kSecretServiceTag);
  return entry;
}

std::vector<size_t> SearchEntries(const std::vector<Entry>& entries, const ItemAttributes& wanted) {
  std::vector<size_t> found;
  // No entry has more attributes than this, so none can match them all.
  if (wanted.size() > kMaxItemAttributes) return found;
  for (size_t i = 0; i < entries.size(); ++i) {
    if (IsServed(entries[i]) && MatchesAll(entries[i], wanted)) found.push_back(i);
  }
  return found;
}

std::optional<size_t> FindSameItem(const std::vector<Entry>& entries, const ItemAttributes& attributes) {
  const bool anyValue = std::any_of(attributes.begin(), attributes.end(),
                                    [](const ItemAttribute& attribute) { return !attribute.value.empty(); });
  // No attributes name no item: "replace" then adds one.
  if (!anyValue) return std::nullopt;
  for (size_t i = 0; i < entries.size(); ++i) {
    const Entry& entry = entries[i];
    if (!IsServed(entry) || !MatchesAll(entry, attributes)) continue;
    const bool nothingBeyond = std::all_of(entry.fields.begin(), entry.fields.end(), [&](const CustomField& field) {
      return field.isProtected || FindWanted(attributes, field.name.view()) != nullptr;
    });
    if (nothingBeyond) return i;
  }
  return std::nullopt;
}
