#pragma once

#include <cstddef>
#include <deque>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "safe/entry.h"

// One record read from another program's file, before it becomes an entry.
// It holds a password: every string is wiped when the record dies.
struct ForeignEntry {
  size_t position = 0;  // line (or item number) where the record starts
  std::string title;
  std::string user_name;
  std::string password;
  std::string url;    // the first URL, for an entry without a title
  std::string group;  // group or folder path below the top one; empty at the top
  // What a strong safe keeps beyond the three fields, as the format has it:
  // web address, notes, tags, custom fields (a KeePass code's fields among
  // them), the code as written (URI, bare secret or steam://), times and
  // earlier passwords. The plan makes the entry of it.
  Entry kept;
  // The record's id in its program, led by the format ("keepass:"); empty without one.
  std::string source_id;
  bool note_only = false;  // a secure note: an entry only where notes have a place
  // What a legacy safe has no place for, counted for the summary.
  size_t urls = 0;
  size_t notes = 0;
  size_t totp_secrets = 0;
  size_t custom_fields = 0;
  size_t attachments = 0;
  size_t passkeys = 0;
  size_t history_entries = 0;  // earlier passwords or versions
  size_t tags = 0;
  size_t http_realms = 0;

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

// More records than any real export holds: the file is refused before its
// records can exhaust memory.
inline constexpr size_t kMaxImportRecords = 200000;
inline constexpr char kTooManyRecordsMessage[] =
    "the file holds more than 200000 records, more than an import takes; nothing was imported";
// Problems beyond this many are counted, not kept.
inline constexpr size_t kMaxKeptProblems = 100;

struct ForeignFile;

// Takes each login record as soon as the reader has read it whole, so that
// an import never holds all of a file's records at once.
class ForeignEntrySink {
 public:
  virtual void Take(const ForeignEntry& entry, const ForeignFile& file) = 0;

 protected:
  ~ForeignEntrySink() = default;
};

// What a reader takes from one file: the login records go to the sink one
// by one, the rest is counted here.
struct ForeignFile {
  explicit ForeignFile(ForeignEntrySink* sink) : sink_(sink) {}

  const char* position_name = "line";  // what ForeignEntry::position counts
  // The safe's own CSV: descriptions are kept as written, even empty ones.
  bool titles_are_descriptions = false;
  // Rows that are not records of the format (a wrong number of fields): the
  // first kMaxKeptProblems, and how many there were.
  std::vector<ForeignProblem> malformed;
  size_t malformed_rows = 0;
  size_t other_items = 0;             // cards, secure notes, identities: not logins
  size_t recycled_items = 0;          // entries in a recycle bin
  std::set<std::string> collections;  // organisation collections the logins are in
  size_t records = 0;

  // The record being read; Keep hands it to the sink, Drop forgets it.
  ForeignEntry& Start(size_t position);
  void Keep();
  void Drop();
  void AddMalformed(size_t position, std::string reason);
  // Counts one more record of any kind; false once there are more than
  // kMaxImportRecords.
  bool CountRecord() { return ++records <= kMaxImportRecords; }

 private:
  ForeignEntrySink* sink_;
  // Holds the one record being read; a deque never moves it, so no stale
  // copy of a password is left by growth.
  std::deque<ForeignEntry> current_;
};

// Appends to a string that may hold a secret; when it must grow, the old
// buffer is wiped instead of being left behind by the reallocation.
void AppendSecret(std::string* text, std::string_view more);
// Wipes the bytes and empties the string.
void WipeString(std::string* text);
