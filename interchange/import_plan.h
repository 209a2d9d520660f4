#pragma once

#include <cstddef>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "safe/entry.h"
#include "safe/imported_id.h"
#include "safe/strong_format.h"
#include "interchange/foreign_entry.h"

// What an import does, counted for the summary both front ends show.
struct ImportSummary {
  std::string format_name;
  size_t read = 0;              // login records in the file
  size_t imported = 0;          // new entries (to be) added
  size_t updated = 0;           // entries of the safe a newer version of the same source record replaces
  size_t without_password = 0;  // of those, with an empty password
  size_t already_in_safe = 0;   // identical in all three fields to one there
  size_t invalid = 0;           // records that cannot be stored
  size_t malformed = 0;         // rows that are no record of the format
  size_t other_items = 0;       // not logins
  size_t recycled_items = 0;
  // Left behind: a legacy safe keeps a description, a user name and a
  // password; a strong one leaves only attachments, passkeys, collections
  // and HTTP realms.
  size_t group_paths = 0;
  size_t urls = 0;
  size_t notes = 0;
  size_t totp_secrets = 0;
  size_t custom_fields = 0;
  size_t attachments = 0;
  size_t passkeys = 0;
  size_t collections = 0;
  size_t history_entries = 0;
  size_t tags = 0;
  size_t http_realms = 0;
};

// Records turned into entries: the description is the title, else the
// URL's host, else "(untitled)"; every entry is checked against the rules of
// the entry dialog for the safe's format.
class ImportPlan : public ForeignEntrySink {
 public:
  explicit ImportPlan(SafeFormat format) : format_(format) {}
  // Owned through a pointer to this class; tests add to it.
  virtual ~ImportPlan() = default;
  ImportPlan(const ImportPlan&) = delete;
  ImportPlan& operator=(const ImportPlan&) = delete;

  // A reader fills the plan, once, through a ForeignFile that has the plan
  // as its sink; Finish then adds what the file counted.
  void Take(const ForeignEntry& entry, const ForeignFile& file) override;
  void Finish(const ForeignFile& file, const char* format_name);
  // Drops the entries the safe already holds, so an import run twice adds
  // nothing. An entry with a source id is the safe's entry of that id: a
  // newer version (later modified) takes that entry's id, so that adding it
  // updates the entry (the older password goes to its history); an older
  // or equal one is dropped. Others are matched by their three fields.
  void SkipExisting(const std::vector<Entry>& safe_entries);

  // Records that cannot be stored and malformed rows, in file order, each
  // "line 3: reason": the first kMaxKeptProblems of ProblemCount().
  const std::vector<std::string>& Problems() const { return problems_; }
  size_t ProblemCount() const { return summary_.invalid + summary_.malformed; }
  // New entries and updates (an update holds the id of the entry it replaces).
  std::vector<Entry>& Entries() { return entries_; }
  const ImportSummary& Summary() const { return summary_; }

 private:
  SafeFormat format_;
  std::vector<Entry> entries_;
  std::vector<std::pair<size_t, const char*>> entry_problems_;  // the first kMaxKeptProblems
  std::set<std::string> groups_;
  size_t notes_left_out_ = 0;  // secure notes, which a legacy safe has no place for
  std::vector<std::string> problems_;
  ImportSummary summary_;
};

enum class ImportStage { kPreview, kDone };
// Plain-text lines ending in "\n": what was read, what is (or was) added,
// what was skipped and what the safe has no place for.
std::string FormatImportSummary(const ImportSummary& summary, ImportStage stage);

inline constexpr char kUntitledDescription[] = "(untitled)";
// A one-time code the file holds in a form that cannot make codes, kept
// as written (protected).
inline constexpr char kUnreadOneTimeCodeField[] = "TOTP";
