// Auto-type's inputs from elsewhere, split at NUL bytes: a sequence, a
// window title (another program chooses it) and an entry's title and
// Window patterns. Parsing never crashes and either gives steps or a
// message with none; text without braces types as it stands; the window
// matcher agrees with a plain dynamic-programming match, and an entry
// titled as the window, or with the pattern "*", is offered.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "auto_type/auto_type_sequence.h"
#include "auto_type/window_matcher.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

std::string_view NextPart(std::string_view& input) {
  size_t end = input.find('\0');
  std::string_view part = input.substr(0, end);
  input = end == std::string_view::npos ? std::string_view() : input.substr(end + 1);
  return part;
}

// Whether pattern ("*" any run) matches all of title, by a table of
// prefixes: slow, and plainly right.
bool ReferenceMatch(std::string_view pattern, std::string_view title) {
  std::vector<char> row(title.size() + 1, 0), next(title.size() + 1);
  row[0] = 1;
  for (char p : pattern) {
    next[0] = p == '*' && row[0];
    for (size_t t = 1; t <= title.size(); ++t) {
      next[t] = p == '*' ? (row[t] || next[t - 1]) : (row[t - 1] && title[t - 1] == p);
    }
    row.swap(next);
  }
  return row[title.size()];
}

void CheckSequence(std::string_view sequence, const Entry& entry) {
  std::vector<AutoTypeAction> actions;
  std::string error;
  if (!ParseAutoTypeSequence(sequence, entry, 1111111109, &actions, &error)) {
    Require(actions.empty() && !error.empty());
    return;
  }
  if (sequence.find_first_of("{}") != std::string_view::npos) return;
  std::string typed;
  for (const AutoTypeAction& action : actions) {
    Require(action.kind == AutoTypeAction::Kind::kText);
    typed += action.text.view();
  }
  Require(typed == sequence);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  std::string_view sequence = NextPart(input);
  std::string_view window = NextPart(input);
  std::string_view title = NextPart(input);
  std::string_view patterns = NextPart(input);

  std::vector<Entry> entries(3);
  entries[0].title = title;
  entries[0].userName = "user";
  entries[0].password = "pass";
  entries[0].SetField(kAutoTypeWindowField, patterns, false);
  entries[1].title = window;
  entries[2].SetField(kAutoTypeWindowField, "*", false);
  CheckSequence(sequence, entries[0]);

  if (window.size() <= 256 && patterns.size() <= 256)
    Require(WindowPatternMatches(patterns, window) == ReferenceMatch(patterns, window));
  std::vector<size_t> offered = EntriesForWindow(window, entries);
  for (size_t index : offered) Require(index < entries.size());
  if (!window.empty()) {
    Require(offered.size() >= 2 && offered[offered.size() - 2] == 1 && offered.back() == 2);
  } else {
    Require(offered.empty());
  }
  return 0;
}
