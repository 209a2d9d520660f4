#include "safe/entry.h"

#include <sodium.h>

#include <algorithm>

#include "crypto/sodium_init.h"

EntryId EntryId::Random() {
  EntryId id;
  do {
    randombytes_buf(id.bytes.data(), id.bytes.size());
  } while (id.IsZero());
  return id;
}

bool EntryId::IsZero() const {
  return std::all_of(bytes.begin(), bytes.end(), [](uint8_t byte) { return byte == 0; });
}

void AssignMissingIds(std::span<Entry> entries) {
  size_t missing = std::count_if(entries.begin(), entries.end(), [](const Entry& entry) { return entry.id.IsZero(); });
  if (missing == 0) return;
  std::vector<uint8_t> drawn(missing * kEntryIdSize);
  randombytes_buf(drawn.data(), drawn.size());
  auto next = drawn.begin();
  for (Entry& entry : entries) {
    if (!entry.id.IsZero()) continue;
    std::copy(next, next + kEntryIdSize, entry.id.bytes.begin());
    next += kEntryIdSize;
    // An all-zero draw (one chance in 2^128) still gets an id.
    if (entry.id.IsZero()) entry.id = EntryId::Random();
  }
}

bool Entry::SameLegacyFields(const Entry& other) const {
  return title == other.title && userName == other.userName && password == other.password;
}

void Entry::ChangePassword(std::string_view newPassword, int64_t now) {
  if (password == newPassword) return;
  if (!password.empty()) KeepInHistory(password.view(), now);
  password = newPassword;
}

void Entry::KeepInHistory(std::string_view oldPassword, int64_t replacedAt) {
  if (history.size() >= kMaxPasswordHistory) {
    history.erase(history.begin(),
                  history.begin() + static_cast<std::ptrdiff_t>(history.size() - kMaxPasswordHistory + 1));
  }
  history.push_back({SecretText(oldPassword), replacedAt});
}

int64_t ClampEntryTime(int64_t seconds) { return std::clamp(seconds, kEarliestEntryTime, kLatestEntryTime); }

int64_t OnePast(int64_t seconds) { return seconds == INT64_MAX ? seconds : seconds + 1; }

void Entry::MarkModified(int64_t now) { modified = std::max(now, OnePast(modified)); }

namespace {

std::vector<SecretText>::const_iterator FindTagPlace(const std::vector<SecretText>& tags, std::string_view tag) {
  return std::lower_bound(tags.begin(), tags.end(), tag,
                          [](const SecretText& have, std::string_view wanted) { return have.view() < wanted; });
}

}  // namespace

bool Entry::HasTag(std::string_view tag) const {
  auto place = FindTagPlace(tags, tag);
  return place != tags.end() && place->view() == tag;
}

void Entry::AddTag(std::string_view tag) {
  auto place = FindTagPlace(tags, tag);
  if (place == tags.end() || place->view() != tag) tags.insert(place, SecretText(tag));
}

void Entry::RemoveTag(std::string_view tag) {
  auto place = FindTagPlace(tags, tag);
  if (place != tags.end() && place->view() == tag) tags.erase(place);
}

const CustomField* Entry::FindField(std::string_view name) const {
  for (const CustomField& field : fields) {
    if (field.name == name) return &field;
  }
  return nullptr;
}

void Entry::SetField(std::string_view name, std::string_view value, bool isProtected) {
  for (CustomField& field : fields) {
    if (field.name == name) {
      field.value = value;
      field.isProtected = isProtected;
      return;
    }
  }
  fields.push_back({SecretText(name), SecretText(value), isProtected});
}

bool Entry::RemoveField(std::string_view name) {
  auto found = std::find_if(fields.begin(), fields.end(), [&](const CustomField& field) { return field.name == name; });
  if (found == fields.end()) return false;
  fields.erase(found);
  return true;
}

namespace {

const char* CheckText(const SecretText& text, size_t limit) {
  if (text.size() > limit) return limit == kMaxEntryNotesBytes ? kEntryNotesTooLongMessage : kEntryTextTooLongMessage;
  if (text.view().find('\0') != std::string_view::npos) return kEntryTextHasNulMessage;
  return nullptr;
}

}  // namespace

const char* CheckEntryLimits(const Entry& entry) {
  if (entry.fields.size() > kMaxCustomFields) return kTooManyCustomFieldsMessage;
  if (entry.tags.size() > kMaxEntryTags) return kTooManyTagsMessage;
  std::vector<std::pair<const SecretText*, size_t>> texts = {
      {&entry.title, kMaxEntryTextBytes}, {&entry.userName, kMaxEntryTextBytes}, {&entry.password, kMaxEntryTextBytes},
      {&entry.url, kMaxEntryTextBytes},   {&entry.notes, kMaxEntryNotesBytes},   {&entry.totp, kMaxEntryTextBytes}};
  for (const SecretText& tag : entry.tags) texts.emplace_back(&tag, kMaxEntryTextBytes);
  for (const CustomField& field : entry.fields) {
    texts.emplace_back(&field.name, kMaxEntryTextBytes);
    texts.emplace_back(&field.value, kMaxEntryTextBytes);
  }
  for (const PasswordHistoryItem& item : entry.history) texts.emplace_back(&item.password, kMaxEntryTextBytes);
  for (const auto& [text, limit] : texts) {
    if (const char* why = CheckText(*text, limit)) return why;
  }
  return nullptr;
}
