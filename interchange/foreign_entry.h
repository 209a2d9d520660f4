#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

// One record read from another program's file, before it becomes an entry.
// It holds a password: every string is wiped when the record dies.
struct ForeignEntry {
  size_t position = 0;  // line (or item number) where the record starts
  std::string title;
  std::string user_name;
  std::string password;
  std::string url;    // the first URL, for an entry without a title
  std::string group;  // group or folder path below the top one; empty at the top
  // What the safe has no place for, counted for the summary.
  size_t urls = 0;
  size_t notes = 0;
  size_t totp_secrets = 0;
  size_t custom_fields = 0;
  size_t attachments = 0;

  ForeignEntry() = default;
  ~ForeignEntry();
  ForeignEntry(const ForeignEntry&) = delete;
  ForeignEntry& operator=(const ForeignEntry&) = delete;
};

// A record that could not be read, with the reason (never its contents).
struct ForeignProblem {
  size_t position;
  std::string reason;
};

// Everything a reader took from one file.
struct ForeignFile {
  const char* position_name = "line";  // what ForeignEntry::position counts
  // The safe's own CSV: descriptions are kept as written, even empty ones.
  bool titles_are_descriptions = false;
  // A deque never moves its records, so no stale copy of a password is left.
  std::deque<ForeignEntry> entries;
  std::vector<ForeignProblem> problems;
  size_t other_items = 0;     // cards, secure notes, identities: not logins
  size_t recycled_items = 0;  // entries in a recycle bin

  ForeignEntry& Add(size_t position);
};

// Appends to a string that may hold a secret; when it must grow, the old
// buffer is wiped instead of being left behind by the reallocation.
void AppendSecret(std::string* text, std::string_view more);
// Wipes the bytes and empties the string.
void WipeString(std::string* text);
