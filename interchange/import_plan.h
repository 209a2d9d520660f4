#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "core/cpstringarray.h"
#include "interchange/foreign_entry.h"

// What an import does, counted for the summary both front ends show.
struct ImportSummary {
  std::string format_name;
  size_t read = 0;             // login records in the file
  size_t imported = 0;         // new entries (to be) added
  size_t already_in_safe = 0;  // identical in all three fields to one there
  size_t invalid = 0;          // records that cannot be stored
  size_t other_items = 0;      // not logins
  size_t recycled_items = 0;
  // Left behind: the safe keeps a description, a user name and a password.
  size_t group_paths = 0;
  size_t urls = 0;
  size_t notes = 0;
  size_t totp_secrets = 0;
  size_t custom_fields = 0;
  size_t attachments = 0;
};

// Records turned into entry lines ("description\tuser\tpassword"): the
// description is the title, else the URL's host, else "(untitled)"; every
// line is checked against the rules of the entry dialog.
class ImportPlan {
 public:
  ImportPlan();
  ImportPlan(const ImportPlan&) = delete;
  ImportPlan& operator=(const ImportPlan&) = delete;

  // False only when memory runs out.
  bool Build(const ForeignFile& file, const char* format_name);
  // Drops the lines the safe already holds, so an import run twice adds nothing.
  void SkipExisting(const cpStringArray& safe_entries);

  // Records that cannot be stored, in file order, each "line 3: reason".
  const std::vector<std::string>& Problems() const { return problems_; }
  cpStringArray& Lines() { return lines_; }
  const ImportSummary& Summary() const { return summary_; }

 private:
  cpStringArray lines_;
  std::vector<std::string> problems_;
  ImportSummary summary_;
};

enum class ImportStage { kPreview, kDone };
// Plain-text lines ending in "\n": what was read, what is (or was) added,
// what was skipped and what the safe has no place for.
std::string FormatImportSummary(const ImportSummary& summary, ImportStage stage);

inline constexpr char kUntitledDescription[] = "(untitled)";
