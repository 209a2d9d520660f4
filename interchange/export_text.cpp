#include "interchange/export_text.h"

#include <cstring>

size_t LongestEntryLine(const cpStringArray& entries) {
  size_t longest = 0;
  for (uint32_t i = 0; i < entries.GetCount(); ++i) {
    size_t length = std::strlen(entries.GetAt(i));
    if (length > longest) longest = length;
  }
  return longest;
}

void ReserveForExport(const cpStringArray& entries, size_t per_entry, std::string* out) {
  out->reserve(out->size() + 6 * entries.TotalLength() + (entries.GetCount() + 1) * per_entry + 4096);
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
