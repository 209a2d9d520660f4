#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

#include "core/secret_text.h"
#include "safe/entry.h"

// An entry seen as a Secret Service item: label = title, secret = password
// (text/plain), attributes = Title, UserName and URL plus the entry's custom
// fields that are not protected.

struct ItemAttribute {
  SecretText name;
  SecretText value;
};
using ItemAttributes = std::vector<ItemAttribute>;

inline constexpr char kTitleAttribute[] = "Title";
inline constexpr char kUserNameAttribute[] = "UserName";
inline constexpr char kUrlAttribute[] = "URL";
inline constexpr char kSecretContentType[] = "text/plain";
// Only entries carrying it are served: every entry a client creates gets
// it, and the user adds it to others. The rest are no items at all.
inline constexpr char kSecretServiceTag[] = "Secret Service";
// The three above and one per custom field an entry can hold.
inline constexpr size_t kMaxItemAttributes = kMaxCustomFields + 3;

bool IsServed(const Entry& entry);

// The three designed attributes first, then the custom fields in the
// user's order; a custom field named like a designed one is hidden by it.
ItemAttributes AttributesOf(const Entry& entry);
// The value a search compares, null when the entry has no such attribute.
const SecretText* AttributeValue(const Entry& entry, std::string_view name);
// Every wanted attribute is the entry's, with the same value; none wanted matches all.
bool MatchesAll(const Entry& entry, const ItemAttributes& wanted);

// Null when a client's attributes can be stored, else why not: too many,
// an empty or repeated name, or a name this program keeps for itself.
const char* CheckClientAttributes(const ItemAttributes& attributes);
inline constexpr char kTooManyAttributesMessage[] = "An item holds at most 103 attributes.";
inline constexpr char kBadAttributeNameMessage[] = "Attribute names must be present, unique and not reserved.";

// A client's attributes written into the entry: UserName and URL into
// their fields, Title into the title, every other one into a custom field;
// the entry's other unprotected custom fields go. Protected ones stay.
void ApplyAttributes(const ItemAttributes& attributes, Entry* entry);
// The entry a client's CreateItem makes; the label names it after the
// attributes did, so a label always wins over a Title attribute.
Entry NewItemEntry(std::string_view label, const ItemAttributes& attributes, std::string_view secret);

// The indexes of the served entries matching every wanted attribute, in list order.
std::vector<size_t> SearchEntries(const std::vector<Entry>& entries, const ItemAttributes& wanted);
// CreateItem's "replace": the served entry whose item has these same
// attributes (all of them match, and it has no unprotected custom field
// beyond them); none when no attribute has a value.
std::optional<size_t> FindSameItem(const std::vector<Entry>& entries, const ItemAttributes& attributes);
