#include "auto_type/window_matcher.h"

#include <string>

#include "auto_type/auto_type_sequence.h"
#include "core/case_fold.h"
#include "core/url_host.h"

namespace {

std::string Folded(std::string_view text) {
  std::string folded;
  AppendFoldedText(text, folded);
  return folded;
}

bool Contains(std::string_view foldedTitle, std::string_view text) {
  return !text.empty() && foldedTitle.find(Folded(text)) != std::string_view::npos;
}

bool AnyPatternMatches(std::string_view patterns, std::string_view foldedTitle) {
  while (!patterns.empty()) {
    size_t end = patterns.find('\n');
    std::string_view line = patterns.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!line.empty() && WindowPatternMatches(Folded(line), foldedTitle)) return true;
    if (end == std::string_view::npos) break;
    patterns.remove_prefix(end + 1);
  }
  return false;
}

}  // namespace

bool WindowPatternMatches(std::string_view pattern, std::string_view title) {
  // Greedy wildcard match with one backtrack point: linear in practice and
  // never exponential, whatever the pattern.
  size_t p = 0, t = 0, star = std::string_view::npos, resume = 0;
  while (t < title.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      resume = t;
    } else if (p < pattern.size() && pattern[p] == title[t]) {
      ++p, ++t;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      t = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

std::vector<size_t> EntriesForWindow(std::string_view windowTitle, const std::vector<Entry>& entries) {
  std::vector<size_t> matches;
  if (windowTitle.empty()) return matches;
  const std::string title = Folded(windowTitle);
  for (size_t i = 0; i < entries.size(); ++i) {
    const Entry& entry = entries[i];
    const CustomField* windows = entry.FindField(kAutoTypeWindowField);
    if (Contains(title, entry.title.view()) || Contains(title, HostOfUrl(entry.url.view())) ||
        (windows != nullptr && AnyPatternMatches(windows->value.view(), title))) {
      matches.push_back(i);
    }
  }
  return matches;
}
