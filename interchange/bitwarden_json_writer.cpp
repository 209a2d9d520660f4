#include <stdio.h>

#include <map>

#include "interchange/bitwarden_json.h"
#include "interchange/export_text.h"
#include "interchange/import_plan.h"
#include "interchange/utc_time.h"
#include "core/legacy_text.h"

namespace {

constexpr size_t kItemMarkup = 640;
constexpr std::string_view kBitwardenSource = "bitwarden:";
constexpr int kTextFieldType = 0;
constexpr int kHiddenFieldType = 1;

// Writes one item's texts as UTF-8 through a scratch buffer reserved for the
// longest entry, so a password is never copied by growth.
class ItemWriter {
 public:
  ItemWriter(const std::vector<Entry>& entries, std::string* out) : out_(out) {
    converted_.reserve(3 * LongestEntryLine(entries) + 3);
  }
  ~ItemWriter() { WipeString(&converted_); }

  void Write(const Entry& entry, std::string_view folder_id) {
    out_->append("    {\n");
    const CustomField* source = entry.FindField(kSourceIdField);
    if (source != nullptr && source->value.view().starts_with(kBitwardenSource)) {
      Member("      ", "id", source->value.view().substr(kBitwardenSource.size()));
    }
    out_->append("      \"organizationId\": null,\n");
    if (folder_id.empty()) {
      out_->append("      \"folderId\": null,\n");
    } else {
      out_->append("      \"folderId\": \"").append(folder_id).append("\",\n");
    }
    out_->append("      \"type\": 1,\n");
    out_->append("      \"reprompt\": 0,\n");
    Member("      ", "name", entry.title.view());
    OptionalMember("      ", "notes", entry.notes.view());
    out_->append("      \"favorite\": false,\n");
    if (entry.created != 0) Time("creationDate", entry.created);
    if (entry.modified != 0) Time("revisionDate", entry.modified);
    WriteFields(entry);
    WriteHistory(entry);
    out_->append("      \"login\": {\n        \"uris\": [");
    if (!entry.url.empty()) {
      out_->append("\n          {\n            \"match\": null,\n");
      Text("            ", "uri", entry.url.view());
      out_->append("\n          }\n        ");
    }
    out_->append("],\n");
    Member("        ", "username", entry.userName.view());
    Member("        ", "password", entry.password.view());
    OptionalMember("        ", "totp", entry.totp.view(), false);
    out_->append("      },\n      \"collectionIds\": null\n    }");
  }

 private:
  void Text(std::string_view indent, const char* name, std::string_view value) {
    converted_.clear();
    AppendFieldAsUtf8(value, &converted_);
    out_->append(indent).append("\"").append(name).append("\": ");
    AppendJsonString(converted_, out_);
  }
  void Member(std::string_view indent, const char* name, std::string_view value) {
    Text(indent, name, value);
    out_->append(",\n");
  }
  void OptionalMember(std::string_view indent, const char* name, std::string_view value, bool more = true) {
    if (value.empty()) {
      out_->append(indent).append("\"").append(name).append("\": null");
    } else {
      Text(indent, name, value);
    }
    out_->append(more ? ",\n" : "\n");
  }
  void Time(const char* name, int64_t seconds) {
    out_->append("      \"").append(name).append("\": \"").append(FormatUtcTime(seconds)).append("\",\n");
  }

  void WriteFields(const Entry& entry) {
    bool any = false;
    for (const CustomField& field : entry.fields) {
      if (field.name == kSourceIdField) continue;
      out_->append(any ? ",\n" : "      \"fields\": [\n");
      any = true;
      out_->append("        {\n");
      Member("          ", "name", field.name.view());
      Member("          ", "value", field.value.view());
      out_->append("          \"type\": ")
          .append(std::to_string(field.isProtected ? kHiddenFieldType : kTextFieldType))
          .append(",\n          \"linkedId\": null\n        }");
    }
    if (any) out_->append("\n      ],\n");
  }

  // Bitwarden lists the latest replaced password first.
  void WriteHistory(const Entry& entry) {
    if (entry.history.empty()) return;
    out_->append("      \"passwordHistory\": [\n");
    for (size_t h = entry.history.size(); h-- > 0;) {
      out_->append("        {\n");
      out_->append("          \"lastUsedDate\": \"").append(FormatUtcTime(entry.history[h].replacedAt)).append("\",\n");
      Text("          ", "password", entry.history[h].password.view());
      out_->append(h == 0 ? "\n        }\n" : "\n        },\n");
    }
    out_->append("      ],\n");
  }

  std::string* out_;
  std::string converted_;
};

// Ids only this file uses, in the form Bitwarden gives its own.
std::string FolderId(size_t number) {
  char id[40];
  snprintf(id, sizeof id, "00000000-0000-4000-8000-%012zx", number);
  return id;
}

}  // namespace

bool WriteBitwardenJson(const std::vector<Entry>& entries, std::string* out, std::string*) {
  ReserveForExport(entries, kItemMarkup, out);
  ItemWriter writer(entries, out);
  // An entry's first tag is its folder, as it is a KeePass group.
  std::map<std::string, std::string> folders;  // name to id
  for (const Entry& entry : entries) {
    if (entry.tags.empty()) continue;
    std::string name;
    AppendFieldAsUtf8(entry.tags[0].view(), &name);
    folders.emplace(name, FolderId(folders.size() + 1));
  }
  out->append("{\n  \"encrypted\": false,\n  \"folders\": [");
  bool first = true;
  for (const auto& [name, id] : folders) {
    out->append(first ? "\n" : ",\n").append("    {\n      \"id\": \"").append(id).append("\",\n      \"name\": ");
    AppendJsonString(name, out);
    out->append("\n    }");
    first = false;
  }
  out->append(folders.empty() ? "],\n  \"items\": [" : "\n  ],\n  \"items\": [");
  for (size_t i = 0; i < entries.size(); ++i) {
    out->append(i == 0 ? "\n" : ",\n");
    std::string folder;
    if (!entries[i].tags.empty()) AppendFieldAsUtf8(entries[i].tags[0].view(), &folder);
    writer.Write(entries[i], folder.empty() ? std::string_view() : std::string_view(folders[folder]));
  }
  out->append(entries.empty() ? "]\n}\n" : "\n  ]\n}\n");
  return true;
}
