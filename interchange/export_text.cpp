#include "interchange/export_text.h"

#include <algorithm>

#include <cstring>

size_t EntryTextSize(const Entry& entry) {
  size_t size = entry.title.size() + entry.userName.size() + entry.password.size() + entry.url.size() +
                entry.notes.size() + entry.totp.size() + 2;
  for (const SecretText& tag : entry.tags) size += tag.size() + 1;
  for (const CustomField& field : entry.fields) size += field.name.size() + field.value.size() + 2;
  for (const PasswordHistoryItem& item : entry.history) size += item.password.size() + 24;
  return size;
}

size_t LongestEntryLine(const std::vector<Entry>& entries) {
  size_t longest = 0;
  for (const Entry& entry : entries) longest = std::max(longest, EntryTextSize(entry));
  return longest;
}

void ReserveForExport(const std::vector<Entry>& entries, size_t per_entry, std::string* out) {
  size_t total = 0;
  size_t parts = 0;
  for (const Entry& entry : entries) {
    total += EntryTextSize(entry);
    // A one-time code's URI is written again as the fields KeePass reads.
    total += 2 * entry.totp.size();
    parts += entry.tags.size() + entry.fields.size() + entry.history.size() + 8;
  }
  out->reserve(out->size() + 6 * total + (entries.size() + 1) * per_entry + parts * 160 + 4096);
}

bool AppendXmlEscaped(std::string_view utf8, std::string* out) {
  for (char c : utf8) {
    switch (c) {
      case '&':
        out->append("&amp;");
        break;
      case '<':
        out->append("&lt;");
        break;
      case '>':
        out->append("&gt;");
        break;
      case '"':
        out->append("&quot;");
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' && c != '\r') return false;
        out->push_back(c);
    }
  }
  return true;
}

void AppendJsonString(std::string_view utf8, std::string* out) {
  static const char kHex[] = "0123456789abcdef";
  out->push_back('"');
  for (char c : utf8) {
    unsigned char b = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out->push_back('\\');
      out->push_back(c);
    } else if (b < 0x20) {
      out->append("\\u00");
      out->push_back(kHex[b >> 4]);
      out->push_back(kHex[b & 0xF]);
    } else {
      out->push_back(c);
    }
  }
  out->push_back('"');
}
