#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "safe/entry.h"

// The rule of the filter field above the entry list: an entry is shown when
// its description, account user name, web address, a tag or its notes
// contain the filter text, compared after Unicode simple case folding.
// Passwords, the one-time code and custom fields are never looked at. Text is
// UTF-8; a field that is not valid UTF-8 is read by the legacy field rule
// (core/legacy_text.h), as the list shows it.
class EntryFilter {
 public:
  // Empty text lets every entry through.
  void SetText(std::string_view utf8);
  bool IsEmpty() const { return folded_.empty(); }
  bool Matches(const Entry& entry) const;

 private:
  std::string folded_;
};
