#include "interchange/import_plan.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <unordered_set>

#include "app/quillbox.h"
#include "app/quillbox_messages.h"
#include "core/heapstring.h"
#include "interchange/url_host.h"

namespace {

std::string_view DescriptionOf(const ForeignEntry& entry, bool titles_are_descriptions) {
  if (titles_are_descriptions || !entry.title.empty()) return entry.title;
  std::string_view host = HostOfUrl(entry.url);
  return host.empty() ? std::string_view(kUntitledDescription) : host;
}

// Null when the three fields make an entry the safe can hold.
const char* CheckFields(std::string_view description, const ForeignEntry& entry) {
  for (std::string_view field : {description, std::string_view(entry.user_name), std::string_view(entry.password)}) {
    if (field.find('\0') != std::string_view::npos) return "Fields cannot contain NUL bytes.";
  }
  std::string text(description);  // NUL-terminated for the dialog's rule
  const char* reason = Quillbox::CheckEntryFields(text.c_str(), entry.user_name.c_str(), entry.password.c_str());
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

bool HasEmptyPassword(const char* line) { return line[0] != '\0' && line[strlen(line) - 1] == '\t'; }

// "description\tuser\tpassword" as a heap string for the entry list.
char* JoinEntryLine(std::string_view description, std::string_view user_name, std::string_view password) {
  size_t length = description.size() + user_name.size() + password.size() + 2;
  char* line = static_cast<char*>(malloc(length + 1));
  if (line == nullptr) return nullptr;
  char* end = static_cast<char*>(mempcpy(line, description.data(), description.size()));
  *end++ = '\t';
  end = static_cast<char*>(mempcpy(end, user_name.data(), user_name.size()));
  *end++ = '\t';
  end = static_cast<char*>(mempcpy(end, password.data(), password.size()));
  *end = '\0';
  return line;
}

std::string Count(size_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

}  // namespace

ImportPlan::ImportPlan() { lines_.SetWipeOnRelease(true); }

void ImportPlan::Take(const ForeignEntry& entry, const ForeignFile& file) {
  ++summary_.read;
  std::string_view description = DescriptionOf(entry, file.titles_are_descriptions);
  if (const char* reason = CheckFields(description, entry)) {
    if (summary_.invalid++ < kMaxKeptProblems) entry_problems_.emplace_back(entry.position, reason);
    return;
  }
  char* line = JoinEntryLine(description, entry.user_name, entry.password);
  if (line == nullptr || lines_.AddOwned(line) == nullptr) {
    if (line != nullptr) WipeAndFree(line);
    out_of_memory_ = true;
    return;
  }
  if (!entry.group.empty()) groups_.emplace(entry.group);
  summary_.without_password += entry.password.empty();
  AddLeftBehind(entry, &summary_);
}

bool ImportPlan::Finish(const ForeignFile& file, const char* format_name) {
  summary_.format_name = format_name;
  summary_.malformed = file.malformed_rows;
  summary_.other_items = file.other_items;
  summary_.recycled_items = file.recycled_items;
  summary_.collections = file.collections.size();
  summary_.group_paths = groups_.size();
  summary_.imported = lines_.GetCount();
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
  return !out_of_memory_;
}

void ImportPlan::SkipExisting(const cpStringArray& safe_entries) {
  std::unordered_set<std::string_view> existing;
  for (uint32_t i = 0; i < safe_entries.GetCount(); ++i) existing.insert(safe_entries.GetAt(i));
  for (uint32_t i = lines_.GetCount(); i-- > 0;) {
    if (existing.count(lines_.GetAt(i)) != 0) {
      summary_.without_password -= HasEmptyPassword(lines_.GetAt(i));
      lines_.RemoveAt(i);
      ++summary_.already_in_safe;
    }
  }
  summary_.imported = lines_.GetCount();
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
