#include "interchange/import_plan.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string_view>
#include <unordered_set>

#include "core/url_host.h"
#include "safe/entry_field_rules.h"
#include "interchange/keepass_one_time_code.h"
#include "safe/legacy_fields_set.h"
#include "safe/one_time_code.h"

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

// What only a strong safe keeps: the fields beside the three, the group
// path as one tag, the source id as its field and the code as one URI. A
// code that cannot be read stays as the field it came in, so nothing is lost.
void KeepWhole(const ForeignEntry& foreign, Entry* entry) {
  entry->url = foreign.kept.url;
  entry->notes = foreign.kept.notes;
  entry->tags = foreign.kept.tags;
  entry->created = foreign.kept.created;
  entry->modified = foreign.kept.modified;
  entry->history = foreign.kept.history;
  if (!foreign.group.empty()) entry->AddTag(foreign.group);
  std::vector<CustomField> code_fields;
  for (const CustomField& field : foreign.kept.fields) {
    if (IsKeePassOneTimeCodeField(field.name.view())) {
      code_fields.push_back(field);
    } else if (entry->fields.size() < kMaxCustomFields && entry->FindField(field.name.view()) == nullptr) {
      entry->fields.push_back(field);
    }
  }
  SecretText uri;
  if (!code_fields.empty() && OneTimeCodeFromKeePassFields(code_fields, uri) == nullptr && !uri.empty()) {
    entry->totp = uri;
  } else if (!foreign.kept.totp.empty() && NormalizeOneTimeCodeInput(foreign.kept.totp.view(), uri) == nullptr) {
    entry->totp = uri;
  } else if (!foreign.kept.totp.empty()) {
    entry->SetField(kUnreadOneTimeCodeField, foreign.kept.totp.view(), true);
  }
  if (entry->totp.empty()) {
    for (const CustomField& field : code_fields) entry->SetField(field.name.view(), field.value.view(), true);
  }
  if (!foreign.source_id.empty()) entry->SetField(kSourceIdField, foreign.source_id, false);
}

// A strong safe leaves behind only what no entry has a place for.
void AddStrongLeftBehind(const ForeignEntry& entry, ImportSummary* summary) {
  summary->attachments += entry.attachments;
  summary->passkeys += entry.passkeys;
  summary->http_realms += entry.http_realms;
}

const CustomField* SourceIdOf(const Entry& entry) { return entry.FindField(kSourceIdField); }

std::string Count(size_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

}  // namespace

void ImportPlan::Take(const ForeignEntry& entry, const ForeignFile& file) {
  if (entry.note_only && format_ == SafeFormat::kLegacy) {
    ++notes_left_out_;
    return;
  }
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
  summary_.without_password += entry.password.empty();
  if (format_ == SafeFormat::kStrong) {
    KeepWhole(entry, &added);
    AddStrongLeftBehind(entry, &summary_);
    if (const char* reason = CheckEntryLimits(added)) {
      entries_.pop_back();
      summary_.without_password -= entry.password.empty();
      if (summary_.invalid++ < kMaxKeptProblems) entry_problems_.emplace_back(entry.position, reason);
    }
    return;
  }
  if (!entry.group.empty()) groups_.emplace(entry.group);
  AddLeftBehind(entry, &summary_);
}

void ImportPlan::Finish(const ForeignFile& file, const char* format_name) {
  summary_.format_name = format_name;
  summary_.malformed = file.malformed_rows;
  summary_.other_items = file.other_items + notes_left_out_;
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
  std::map<std::string_view, const Entry*> by_source;
  for (const Entry& entry : safe_entries) {
    held.Insert(entry);
    if (const CustomField* source = SourceIdOf(entry)) by_source.emplace(source->value.view(), &entry);
  }
  std::erase_if(entries_, [&](Entry& entry) {
    const CustomField* source = SourceIdOf(entry);
    auto found = source == nullptr ? by_source.end() : by_source.find(source->value.view());
    bool present = found == by_source.end() ? held.Contains(entry) : found->second->modified >= entry.modified;
    if (present) {
      summary_.without_password -= entry.password.empty();
      ++summary_.already_in_safe;
    } else if (found != by_source.end()) {
      // The same record, changed since: it takes the entry's id, and the
      // safe's merge by id keeps the later version and the earlier password.
      entry.id = found->second->id;
      summary_.without_password -= entry.password.empty();
      ++summary_.updated;
    }
    return present;
  });
  summary_.imported = entries_.size() - summary_.updated;
}

std::string FormatImportSummary(const ImportSummary& s, ImportStage stage) {
  std::string text = Count(s.read, "entry", "entries") + " read as " + s.format_name + ".\n";
  text +=
      Count(s.imported, "new entry", "new entries") + (stage == ImportStage::kDone ? " imported.\n" : " to import.\n");
  if (s.updated > 0) {
    text += Count(s.updated, "entry", "entries") + (stage == ImportStage::kDone ? " updated" : " to update") +
            " from a newer version in the file.\n";
  }
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
