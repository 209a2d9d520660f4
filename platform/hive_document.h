#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/hive_value.h"

// A hive file's text as lines. Lines the store understands (key lines and
// value lines) are parsed; every line keeps its original bytes, so text
// that is not changed, understood or not, is written back exactly.
// Keys and value names compare without regard to ASCII case; when a key or
// value occurs more than once the last one counts, as on import.
class WHiveDocument {
 public:
  // Never fails: what cannot be parsed is kept as unknown text.
  void Parse(std::string_view text);
  std::string Format() const;

  bool HasKey(std::string_view key) const;
  // HasKey without building a document: key lines are recognised line by
  // line, since a continuation never swallows one.
  static bool TextHasKey(std::string_view text, std::string_view key);
  // False when the value (or its key) is not there.
  bool FindValue(std::string_view key, std::string_view name, WHiveValue* value) const;

  // Adds an empty key at the end when it is missing. False when the
  // document already had it (nothing changed).
  bool AddKey(std::string_view key);
  // Replaces the value's line, or adds it to the key (adding the key when
  // missing). False when the name cannot be written.
  bool SetValue(std::string_view key, std::string_view name, const WHiveValue& value);

 private:
  enum class LineKind { Other, Key, Value };
  struct Line {
    LineKind kind = LineKind::Other;
    std::string raw;   // original bytes, line terminators included
    std::string name;  // key path or value name
    WHiveValue value;
  };

  // Index of the last line of the given kind and name inside the key, or -1.
  long FindLast(std::string_view key, LineKind kind, std::string_view name) const;
  long LastLineOfKey(long keyLine) const;
  void StartNewLine();
  void Append(Line line);
  void InsertAt(size_t index, Line line);
  std::string Terminate(std::string text) const;

  std::vector<Line> lines_;
  std::string newline_ = "\n";
};
