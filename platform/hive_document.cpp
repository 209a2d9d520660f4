#include "platform/hive_document.h"

#include <algorithm>
#include <utility>

#include "platform/hive_text.h"

namespace {

// A physical line without its terminator ("\n" or "\r\n").
std::string_view Content(std::string_view raw) {
  if (!raw.empty() && raw.back() == '\n') raw.remove_suffix(1);
  if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
  return raw;
}

bool IsBlankText(std::string_view text) { return text.find_first_not_of(" \t\r\n") == std::string_view::npos; }

// The next physical line of text from *pos on, terminator included.
std::string_view NextPhysicalLine(std::string_view text, size_t* pos) {
  size_t end = text.find('\n', *pos);
  end = end == std::string_view::npos ? text.size() : end + 1;
  std::string_view line = text.substr(*pos, end - *pos);
  *pos = end;
  return line;
}

// Joins a value line's hex continuation: the trailing '\' goes, and so do
// the next line's leading blanks.
void JoinContinuation(std::string* logical, std::string_view next) {
  size_t end = logical->find_last_not_of(" \t");
  logical->erase(end == std::string::npos ? 0 : end);
  size_t start = next.find_first_not_of(" \t");
  logical->append(next.substr(start == std::string_view::npos ? next.size() : start));
}

}  // namespace

void WHiveDocument::Parse(std::string_view text) {
  lines_.clear();
  lines_.reserve(static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) + 1);
  newline_ = text.substr(0, text.find('\n') + 1).ends_with("\r\n") ? "\r\n" : "\n";
  size_t pos = 0;
  while (pos < text.size()) {
    Line& line = lines_.emplace_back();
    std::string_view first = NextPhysicalLine(text, &pos);
    line.raw = first;
    if (ParseHiveKeyLine(Content(first), &line.name)) {
      line.kind = LineKind::Key;
      continue;
    }
    std::string joined;
    std::string_view logical = Content(first);
    while (HiveLineContinues(logical) && pos < text.size()) {
      size_t nextPos = pos;
      std::string_view next = NextPhysicalLine(text, &nextPos);
      std::string ignored;
      if (IsBlankText(next) || ParseHiveKeyLine(Content(next), &ignored)) break;
      if (joined.empty()) joined = logical;
      JoinContinuation(&joined, Content(next));
      logical = joined;
      line.raw.append(next);
      pos = nextPos;
    }
    if (ParseHiveValueLine(logical, &line.name, &line.value)) line.kind = LineKind::Value;
  }
}

std::string WHiveDocument::Format() const {
  std::string text;
  for (const Line& line : lines_) text += line.raw;
  return text;
}

bool WHiveDocument::HasKey(std::string_view key) const { return FindLast(key, LineKind::Key, {}) >= 0; }

bool WHiveDocument::TextHasKey(std::string_view text, std::string_view key) {
  size_t pos = 0;
  std::string name;
  while (pos < text.size()) {
    std::string_view line = Content(NextPhysicalLine(text, &pos));
    if (ParseHiveKeyLine(line, &name) && HiveNamesEqual(name, key)) return true;
  }
  return false;
}

bool WHiveDocument::FindValue(std::string_view key, std::string_view name, WHiveValue* value) const {
  long index = FindLast(key, LineKind::Value, name);
  if (index < 0) return false;
  *value = lines_[index].value;
  return true;
}

bool WHiveDocument::AddKey(std::string_view key) {
  if (HasKey(key)) return false;
  if (lines_.empty()) {
    Append({LineKind::Other, Terminate(std::string(kHiveHeader)), {}, {}});
    Append({LineKind::Other, newline_, {}, {}});
  } else if (!IsBlankText(lines_.back().raw)) {
    StartNewLine();
    Append({LineKind::Other, newline_, {}, {}});
  }
  Append({LineKind::Key, Terminate(FormatHiveKeyLine(key)), std::string(key), {}});
  return true;
}

bool WHiveDocument::SetValue(std::string_view key, std::string_view name, const WHiveValue& value) {
  std::string text;
  if (!FormatHiveValueLine(name, value, &text)) return false;
  Line line{LineKind::Value, Terminate(std::move(text)), std::string(name), value};
  long index = FindLast(key, LineKind::Value, name);
  if (index >= 0) {
    lines_[index] = std::move(line);
    return true;
  }
  AddKey(key);
  InsertAt(LastLineOfKey(FindLast(key, LineKind::Key, {})) + 1, std::move(line));
  return true;
}

long WHiveDocument::FindLast(std::string_view key, LineKind kind, std::string_view name) const {
  long found = -1;
  bool inKey = false;
  for (size_t i = 0; i < lines_.size(); ++i) {
    const Line& line = lines_[i];
    if (line.kind == LineKind::Key) {
      inKey = HiveNamesEqual(line.name, key);
      if (inKey && kind == LineKind::Key) found = static_cast<long>(i);
    } else if (inKey && kind == LineKind::Value && line.kind == LineKind::Value && HiveNamesEqual(line.name, name)) {
      found = static_cast<long>(i);
    }
  }
  return found;
}

// The key line itself, or the last non-blank line before the next key that
// does not end in a continuation mark: a line added after such a line would
// be read as part of its value.
long WHiveDocument::LastLineOfKey(long keyLine) const {
  long last = keyLine;
  for (size_t i = keyLine + 1; i < lines_.size() && lines_[i].kind != LineKind::Key; ++i) {
    const std::string& raw = lines_[i].raw;
    if (!IsBlankText(raw) && !HiveLineContinues(Content(raw))) last = static_cast<long>(i);
  }
  return last;
}

// A file may end without a final line break; text added after it needs one.
void WHiveDocument::StartNewLine() {
  if (!lines_.empty() && !lines_.back().raw.ends_with('\n')) lines_.back().raw += newline_;
}

void WHiveDocument::Append(Line line) {
  StartNewLine();
  lines_.push_back(std::move(line));
}

void WHiveDocument::InsertAt(size_t index, Line line) {
  if (index > 0 && !lines_[index - 1].raw.ends_with('\n')) lines_[index - 1].raw += newline_;
  lines_.insert(lines_.begin() + static_cast<long>(index), std::move(line));
}

std::string WHiveDocument::Terminate(std::string text) const { return text + newline_; }
