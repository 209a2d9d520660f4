#include "interchange/bitwarden_json.h"
#include "interchange/entry_fields.h"
#include "interchange/export_text.h"
#include "core/legacy_text.h"

namespace {

constexpr size_t kItemMarkup = 320;

void AppendField(std::string_view indent, const char* name, std::string_view value, std::string* converted,
                 std::string* out) {
  converted->clear();
  AppendFieldAsUtf8(value, converted);
  out->append(indent).append("\"").append(name).append("\": ");
  AppendJsonString(*converted, out);
  out->append(",\n");
}

}  // namespace

bool WriteBitwardenJson(const std::vector<Entry>& entries, std::string* out, std::string*) {
  ReserveForExport(entries, kItemMarkup, out);
  std::string converted;
  converted.reserve(3 * LongestEntryLine(entries) + 3);
  out->append("{\n  \"encrypted\": false,\n  \"folders\": [],\n  \"items\": [");
  for (size_t i = 0; i < entries.size(); ++i) {
    EntryFields entry = DesignedFieldsOf(entries[i]);
    out->append(i == 0 ? "\n" : ",\n");
    out->append(
        "    {\n      \"organizationId\": null,\n      \"folderId\": null,\n      \"type\": 1,\n"
        "      \"reprompt\": 0,\n");
    AppendField("      ", "name", entry.description, &converted, out);
    out->append(
        "      \"notes\": null,\n      \"favorite\": false,\n      \"login\": {\n"
        "        \"uris\": [],\n");
    AppendField("        ", "username", entry.account_user, &converted, out);
    AppendField("        ", "password", entry.password, &converted, out);
    out->append("        \"totp\": null\n      },\n      \"collectionIds\": null\n    }");
  }
  out->append(entries.empty() ? "]\n}\n" : "\n  ]\n}\n");
  WipeString(&converted);
  return true;
}
