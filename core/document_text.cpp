#include "core/document_text.h"

std::string TroffText(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '-' || c == '\\') out += '\\';
    out += c;
  }
  return out;
}

std::string HtmlText(std::string_view text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}
