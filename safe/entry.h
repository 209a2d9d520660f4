#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "core/secret_text.h"

// What an entry is. The legacy format holds only the title (the designed
// "description"), the user name and the password; the strong format holds
// all of it (docs/safe-format.md).

inline constexpr size_t kEntryIdSize = 16;

struct EntryId {
  std::array<uint8_t, kEntryIdSize> bytes{};

  static EntryId Random();
  bool IsZero() const;
  auto operator<=>(const EntryId&) const = default;
};

// The strong format's limits; a file beyond them is damaged and input
// beyond them is refused with a message.
inline constexpr size_t kMaxEntryTextBytes = 64 * 1024;
inline constexpr size_t kMaxEntryNotesBytes = 1024 * 1024;
inline constexpr size_t kMaxCustomFields = 100;
inline constexpr size_t kMaxEntryTags = 100;
inline constexpr size_t kMaxPasswordHistory = 10;

struct CustomField {
  SecretText name;
  SecretText value;
  bool isProtected = false;

  bool operator==(const CustomField&) const = default;
  auto operator<=>(const CustomField&) const = default;
};

// The times an entry may hold: years 1 to 9999, KeePass's own range. A
// time from outside (an import, a damaged or older safe) is taken as the
// nearest of them, so that adding to it can never overflow.
inline constexpr int64_t kEarliestEntryTime = -62135596800;  // 0001-01-01T00:00:00Z
inline constexpr int64_t kLatestEntryTime = 253402300799;    // 9999-12-31T23:59:59Z
int64_t ClampEntryTime(int64_t seconds);
// seconds + 1 that stops at INT64_MAX.
int64_t OnePast(int64_t seconds);

struct PasswordHistoryItem {
  SecretText password;
  int64_t replacedAt = 0;  // seconds since 1970-01-01 UTC

  bool operator==(const PasswordHistoryItem&) const = default;
  auto operator<=>(const PasswordHistoryItem&) const = default;
};

// A field a newer version wrote: kept as read and written back unchanged.
struct UnknownEntryField {
  uint8_t kind = 0;
  SecretText bytes;

  bool operator==(const UnknownEntryField&) const = default;
  auto operator<=>(const UnknownEntryField&) const = default;
};

struct Entry {
  Entry() {}  // members' own initializers only: no zero-fill of the whole entry first
  EntryId id;
  SecretText title;
  SecretText userName;
  SecretText password;
  SecretText url;
  SecretText notes;
  SecretText totp;                  // an otpauth:// URI, or empty
  std::vector<SecretText> tags;     // ascending byte order, no repeats
  std::vector<CustomField> fields;  // in the user's order, names unique
  int64_t created = 0;              // seconds since 1970-01-01 UTC
  int64_t modified = 0;
  std::vector<PasswordHistoryItem> history;  // oldest first
  std::vector<UnknownEntryField> unknown;    // ascending kind

  bool operator==(const Entry&) const = default;

  // The three fields the legacy format holds are equal.
  bool SameLegacyFields(const Entry& other) const;

  // A new password: a different one sends the current one to the history,
  // which keeps the last kMaxPasswordHistory.
  void ChangePassword(std::string_view newPassword, int64_t now);
  void KeepInHistory(std::string_view oldPassword, int64_t replacedAt);

  // A change stamped now (safe/version_stamp.h): modified moves to now, and
  // past the time it had, so that a clock set back still makes this change
  // the later one in a merge.
  void MarkModified(int64_t now);

  bool HasTag(std::string_view tag) const;
  void AddTag(std::string_view tag);
  void RemoveTag(std::string_view tag);

  const CustomField* FindField(std::string_view name) const;
  // Replaces the field of that name in its place, else appends it.
  void SetField(std::string_view name, std::string_view value, bool isProtected);
  bool RemoveField(std::string_view name);
};

inline constexpr char kEntryTextTooLongMessage[] = "A field is longer than 64 KiB, more than an entry holds.";
inline constexpr char kEntryNotesTooLongMessage[] = "The notes are longer than 1 MiB, more than an entry holds.";
inline constexpr char kTooManyCustomFieldsMessage[] = "An entry holds at most 100 custom fields.";
inline constexpr char kTooManyTagsMessage[] = "An entry holds at most 100 tags.";
inline constexpr char kEntryTextHasNulMessage[] = "A field cannot hold a NUL character.";

// Gives each entry without an id a random one; one draw for them all, so
// that reading a large legacy safe costs no system call per entry.
void AssignMissingIds(std::span<Entry> entries);

// Null when the entry fits the strong format's limits, else why not.
const char* CheckEntryLimits(const Entry& entry);

// A deleted entry, remembered so that an older copy does not bring it back.
struct EntryTombstone {
  EntryId id;
  int64_t deletedAt = 0;

  bool operator==(const EntryTombstone&) const = default;
};

struct EntryList {
  std::vector<Entry> entries;
  std::vector<EntryTombstone> tombstones;  // strong safes only; ascending id

  bool operator==(const EntryList&) const = default;
};
