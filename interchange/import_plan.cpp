#include "interchange/import_plan.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <unordered_set>

#include "interchange/url_host.h"
#include "safe/entry_field_rules.h"
#include "safe/legacy_fields_set.h"

namespace {

std::string_view DescriptionOf(const ForeignEntry& entry, bool titles_are_descriptions) {
  if (titles_are_descriptions || !entry.title.empty()) return entry.title;
  std::string_view host = HostOfUrl(entry.url);
  return host.empty() ? std::string_view(kUntitledDescription) : host;
}

// Null when the three fields make an entry the safe can hold.
const char* CheckFields(SafeFormat format, std::string_view description, const ForeignEntry& entry) {
  for (std::string_view field : {description, std::string_view(entry.user_name), std::string_view(entry.password)}) {
    if (field.find('\0') != std::string_view::npos) return "Fields cannot contain NUL bytes.";
  }
  const char* reason = CheckDesignedFields(format, description, entry.user_name, entry.password);
  if (reason == nullptr && description.empty() && entry.user_name.empty() && entry.password.empty()) {
    reason = kBlankEntryMessage;
  }
  return reason;
}

void AddLeftBehind(const ForeignEntry& entry, ImportSummary* summary) {
  summary->urls += entry.urls;
  summary->notes += entry.notes;
  summary->totp_secrets += entry.totp_secrets;
  summary->custom_fields += entry.custom_fields;
  summary->attachments += entry.attachments;
  summary->passkeys += entry.passkeys;
  summary->history_entries += entry.history_entries;
  summary->tags += entry.tags;
  summary->http_realms += entry.http_realms;
}

std::string Count(size_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

}  // namespace

void ImportPlan::Take(const ForeignEntry& entry, const ForeignFile& file) {
  ++summary_.read;
  std::string_view description = DescriptionOf(entry, file.titles_are_descriptions);
  if (const char* reason = CheckFields(format_, description, entry)) {
    if (summary_.invalid++ < kMaxKeptProblems) entry_problems_.emplace_back(entry.position, reason);
    return;
  }
  Entry& added = entries_.emplace_back();
  added.title = description;
  added.userName = entry.user_name;
  added.password = entry.password;
  if (!entry.group.empty()) groups_.emplace(entry.group);
  summary_.without_password += entry.password.empty();
  AddLeftBehind(entry, &summary_);
}

void ImportPlan::Finish(const ForeignFile& file, const char* format_name) {
  summary_.format_name = format_name;
  summary_.malformed = file.malformed_rows;
  summary_.other_items = file.other_items;
  summary_.recycled_items = file.recycled_items;
  summary_.collections = file.collections.size();
  summary_.group_paths = groups_.size();
  summary_.imported = entries_.size();
  // Both lists are in file order, so the first kept of each hold the first
  // kMaxKeptProblems of all.
  std::vector<std::pair<size_t, std::string>> problems;
  for (const ForeignProblem& problem : file.malformed) problems.emplace_back(problem.position, problem.reason);
  for (const auto& [position, reason] : entry_problems_) problems.emplace_back(position, reason);
  std::stable_sort(problems.begin(), problems.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  if (problems.size() > kMaxKeptProblems) problems.resize(kMaxKeptProblems);
  for (const auto& [position, reason] : problems) {
    problems_.push_back(std::string(file.position_name) + " " + std::to_string(position) + ": " + reason);
  }
}

void ImportPlan::SkipExisting(const std::vector<Entry>& safe_entries) {
  LegacyFieldsSet held;
  for (const Entry& entry : safe_entries) held.Insert(entry);
  std::erase_if(entries_, [&](const Entry& entry) {
    bool present = held.Contains(entry);
    if (present) {
      summary_.without_password -= entry.password.empty();
      ++summary_.already_in_safe;
    }
    return present;
  });
  summary_.imported = entries_.size();
}

std::string FormatImportSummary(const ImportSummary& s, ImportStage stage) {
  std::string text = Count(s.read, "entry", "entries") + " read as " + s.format_name + ".\n";
  text +=
      Count(s.imported, "new entry", "new entries") + (stage == ImportStage::kDone ? " imported.\n" : " to import.\n");
  if (s.without_password > 0) text += Count(s.without_password, "of them has", "of them have") + " no password.\n";
  if (s.already_in_safe > 0)
    text += Count(s.already_in_safe, "entry is", "entries are") + " already in the safe, skipped.\n";
  if (s.invalid > 0) text += Count(s.invalid, "entry cannot", "entries cannot") + " be stored, skipped.\n";
  if (s.malformed > 0) {
    text += Count(s.malformed, "malformed row", "malformed rows") + " (a wrong number of fields), skipped.\n";
  }
  if (s.other_items > 0) {
    text += Count(s.other_items, "item is", "items are") + " not a login (card, secure note, identity), skipped.\n";
  }
  if (s.recycled_items > 0) text += Count(s.recycled_items, "entry", "entries") + " in the recycle bin, skipped.\n";
  std::string left;
  auto add = [&](size_t count, const char* one, const char* many) {
    if (count > 0) left += (left.empty() ? "" : ", ") + Count(count, one, many);
  };
  add(s.group_paths, "group path", "group paths");
  add(s.urls, "URL", "URLs");
  add(s.notes, "note", "notes");
  add(s.totp_secrets, "TOTP secret", "TOTP secrets");
  add(s.custom_fields, "custom field", "custom fields");
  add(s.attachments, "attachment", "attachments");
  add(s.passkeys, "passkey", "passkeys");
  add(s.collections, "collection", "collections");
  add(s.history_entries, "password history entry", "password history entries");
  add(s.tags, "tag", "tags");
  add(s.http_realms, "HTTP realm", "HTTP realms");
  if (!left.empty()) text += "Left behind (the safe has no place for them): " + left + ".\n";
  return text;
}
