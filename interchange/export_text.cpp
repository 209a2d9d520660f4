#include "interchange/export_text.h"

#include <algorithm>

#include <cstring>

size_t LongestEntryLine(const std::vector<Entry>& entries) {
  size_t longest = 0;
  for (const Entry& entry : entries) {
    longest = std::max(longest, entry.title.size() + entry.userName.size() + entry.password.size() + 2);
  }
  return longest;
}

void ReserveForExport(const std::vector<Entry>& entries, size_t per_entry, std::string* out) {
  size_t total = 0;
  for (const Entry& entry : entries) total += entry.title.size() + entry.userName.size() + entry.password.size() + 2;
  out->reserve(out->size() + 6 * total + (entries.size() + 1) * per_entry + 4096);
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
