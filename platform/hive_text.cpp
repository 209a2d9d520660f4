#include "platform/hive_text.h"

#include <cstdio>

#include "core/byte_order.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool ConsumePrefix(std::string_view& text, std::string_view prefix) {
  if (text.size() < prefix.size() || !HiveNamesEqual(text.substr(0, prefix.size()), prefix)) {
    return false;
  }
  text.remove_prefix(prefix.size());
  return true;
}

// Up to eight hex digits as a 32-bit number; the whole text must be digits.
bool ParseHexNumber(std::string_view text, uint32_t* number) {
  if (text.empty() || text.size() > 8) return false;
  uint32_t result = 0;
  for (char c : text) {
    int digit = HexDigit(c);
    if (digit < 0) return false;
    result = (result << 4) | static_cast<uint32_t>(digit);
  }
  *number = result;
  return true;
}

// A quoted text at the start of *text with \\ and \" escapes; *text is left
// after the closing quote. Any other escape, or no closing quote, fails.
bool ParseQuoted(std::string_view* text, std::string* out) {
  std::string_view rest = *text;
  if (rest.empty() || rest.front() != '"') return false;
  rest.remove_prefix(1);
  out->clear();
  while (true) {
    size_t stop = rest.find_first_of("\"\\");
    if (stop == std::string_view::npos) return false;
    out->append(rest.substr(0, stop));
    char c = rest[stop];
    rest.remove_prefix(stop + 1);
    if (c == '"') {
      *text = rest;
      return true;
    }
    if (rest.empty() || (rest.front() != '\\' && rest.front() != '"')) return false;
    out->push_back(rest.front());
    rest.remove_prefix(1);
  }
}

void AppendQuoted(std::string_view text, std::string* line) {
  line->push_back('"');
  for (char c : text) {
    if (c == '\\' || c == '"') line->push_back('\\');
    line->push_back(c);
  }
  line->push_back('"');
}

// "01,ff , 2a" -> bytes; an empty list is valid.
bool ParseHexBytes(std::string_view text, std::string* bytes) {
  bytes->clear();
  text = TrimBlanks(text);
  if (text.empty()) return true;
  while (true) {
    size_t comma = text.find(',');
    std::string_view token = TrimBlanks(text.substr(0, comma));
    uint32_t byte;
    if (token.size() > 2 || !ParseHexNumber(token, &byte)) return false;
    bytes->push_back(static_cast<char>(byte));
    if (comma == std::string_view::npos) return true;
    text.remove_prefix(comma + 1);
  }
}

bool ParseValueData(std::string_view data, WHiveValue* value) {
  if (!data.empty() && data.front() == '"') {
    std::string text;
    if (!ParseQuoted(&data, &text) || !TrimBlanks(data).empty()) return false;
    value->type = kRegSz;
    value->data = text;
    value->data.push_back('\0');
    return true;
  }
  data = TrimBlanks(data);
  if (ConsumePrefix(data, "dword:")) {
    uint32_t number;
    if (!ParseHexNumber(data, &number)) return false;
    value->type = kRegDword;
    value->data.clear();
    AppendLittle(&value->data, number, 4);
    return true;
  }
  if (ConsumePrefix(data, "hex:")) {
    value->type = kRegBinary;
    return ParseHexBytes(data, &value->data);
  }
  if (ConsumePrefix(data, "hex(")) {
    size_t close = data.find("):");
    if (close == std::string_view::npos || !ParseHexNumber(data.substr(0, close), &value->type)) {
      return false;
    }
    return ParseHexBytes(data.substr(close + 2), &value->data);
  }
  return false;
}

// Text that reads back unchanged from the quoted form: one terminating zero
// byte at the end and no other zero byte or line break.
bool IsQuotableText(const WHiveValue& value) {
  const std::string& data = value.data;
  if (value.type != kRegSz || data.empty() || data.back() != '\0') return false;
  return data.find_first_of(std::string_view("\0\r\n", 3)) == data.size() - 1;
}

void AppendHexBytes(std::string_view bytes, std::string* line) {
  char digits[4];
  for (size_t i = 0; i < bytes.size(); ++i) {
    std::snprintf(digits, sizeof digits, "%02x", static_cast<unsigned char>(bytes[i]));
    if (i > 0) line->push_back(',');
    line->append(digits);
  }
}

// Name and the trimmed text after '='.
bool SplitValueLine(std::string_view line, std::string* name, std::string_view* data) {
  line = TrimBlanks(line);
  if (!line.empty() && line.front() == '@') {
    name->clear();
    line.remove_prefix(1);
  } else if (!ParseQuoted(&line, name)) {
    return false;
  }
  line = TrimBlanks(line);
  if (line.empty() || line.front() != '=') return false;
  line.remove_prefix(1);
  *data = TrimBlanks(line);
  return true;
}

}  // namespace

bool HiveNamesEqual(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

bool ParseHiveKeyLine(std::string_view line, std::string* key) {
  line = TrimBlanks(line);
  if (line.size() < 2 || line.front() != '[' || line.back() != ']') return false;
  key->assign(line.substr(1, line.size() - 2));
  return true;
}

std::string FormatHiveKeyLine(std::string_view key) {
  std::string line = "[";
  line.append(key);
  line.push_back(']');
  return line;
}

bool ParseHiveValueLine(std::string_view line, std::string* name, WHiveValue* value) {
  std::string_view data;
  return SplitValueLine(line, name, &data) && ParseValueData(data, value);
}

bool FormatHiveValueLine(std::string_view name, const WHiveValue& value, std::string* line) {
  if (name.find_first_of(std::string_view("\0\r\n", 3)) != std::string_view::npos) return false;
  line->clear();
  if (name.empty()) {
    line->push_back('@');
  } else {
    AppendQuoted(name, line);
  }
  line->push_back('=');
  if (IsQuotableText(value)) {
    AppendQuoted(std::string_view(value.data).substr(0, value.data.size() - 1), line);
  } else if (value.type == kRegDword && value.data.size() == 4) {
    uint32_t number = 0;
    for (int i = 3; i >= 0; --i) number = (number << 8) | static_cast<unsigned char>(value.data[i]);
    char text[16];
    std::snprintf(text, sizeof text, "dword:%08x", number);
    line->append(text);
  } else {
    char prefix[24];
    if (value.type == kRegBinary) {
      std::snprintf(prefix, sizeof prefix, "hex:");
    } else {
      std::snprintf(prefix, sizeof prefix, "hex(%x):", value.type);
    }
    line->append(prefix);
    AppendHexBytes(value.data, line);
  }
  return true;
}

bool HiveLineContinues(std::string_view line) {
  // Most lines end otherwise; skip splitting them.
  line = TrimBlanks(line);
  if (line.empty() || line.back() != '\\') return false;
  std::string name;
  std::string_view data;
  if (!SplitValueLine(line, &name, &data) || !ConsumePrefix(data, "hex")) return false;
  return !data.empty() && data.back() == '\\';
}
