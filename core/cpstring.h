#pragma once

#include <string>

// The library's string: a standard byte string with a few additions.
class cpString : public std::string {
 public:
  using std::string::operator=;

  cpString();
  cpString(const char* text);
  cpString(const std::string& text);
  // The signed decimal text of value; empty if formatting fails.
  explicit cpString(int value);
  cpString(const cpString&) = default;
  cpString(cpString&&) = default;
  cpString& operator=(const cpString&) = default;
  cpString& operator=(cpString&&) = default;
  virtual ~cpString();

  // Replaces the contents with a copy of text (null counts as empty). When
  // callerOwnsText is false, text is a heap string handed over to this call
  // and is released after the copy, also when the copy fails.
  bool AssignText(const char* text, bool callerOwnsText);
};
