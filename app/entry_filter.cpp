#include "app/entry_filter.h"

#include <string.h>

#include <algorithm>
#include <array>
#include <cstdint>

#include "core/case_fold.h"
#include "core/legacy_text.h"

namespace {

// Whether a field's folded bytes contain the folded filter text. The field
// is folded into a fixed window that is searched whenever it fills, keeping
// its last needle-1 bytes for a match across two fills: fields of any length
// (notes reach 1 MiB) match without allocating. The window may hold folded
// notes, so the part it used is wiped at the end.
class FoldedSearch {
 public:
  static constexpr size_t kWindow = 4096;
  // Longer filter texts fold the whole field instead.
  static constexpr size_t kLongestNeedle = kWindow / 2;

  explicit FoldedSearch(std::string_view needle) : needle_(needle) {}
  ~FoldedSearch() { explicit_bzero(window_, used_); }
  FoldedSearch(const FoldedSearch&) = delete;
  FoldedSearch& operator=(const FoldedSearch&) = delete;

  // A field that is not valid UTF-8 is read by the legacy field rule, as a
  // whole, as the list shows it.
  bool Contains(std::string_view field) {
    if (!Run(field, false)) Run(field, true);
    return found_;
  }

 private:
  bool Run(std::string_view field, bool legacy) {
    length_ = 0;
    found_ = false;
    const auto append = [this](const char* bytes, size_t n) {
      if (length_ + n > kWindow) Slide();
      memcpy(window_ + length_, bytes, n);
      length_ += n;
      return true;
    };
    if (!FoldText(field, legacy, append)) return false;
    Scan();
    return true;
  }

  void Scan() {
    used_ = std::max(used_, length_);
    if (!found_) found_ = memmem(window_, length_, needle_.data(), needle_.size()) != nullptr;
  }

  void Slide() {
    Scan();
    const size_t keep = std::min(length_, needle_.size() - 1);
    memmove(window_, window_ + length_ - keep, keep);
    length_ = keep;
  }

  std::string_view needle_;
  char window_[kWindow];
  size_t length_ = 0;
  size_t used_ = 0;
  bool found_ = false;
};

}  // namespace

void EntryFilter::SetText(std::string_view utf8) {
  folded_.clear();
  AppendFoldedText(utf8, folded_);
}

namespace {

// Rare: a filter text too long for the window folds each field whole.
bool LongNeedleContains(std::string_view field, std::string_view needle) {
  std::string folded;
  AppendFoldedText(field, folded);
  const bool found = folded.find(needle) != std::string::npos;
  explicit_bzero(folded.data(), folded.size());
  return found;
}

// The texts the filter looks at, notes last as they are the longest.
// Passwords, the one-time code and custom fields are never among them.
template <class Contains>
bool AnyField(const Entry& entry, Contains contains) {
  if (contains(entry.title.view()) || contains(entry.userName.view()) || contains(entry.url.view())) return true;
  for (const SecretText& tag : entry.tags) {
    if (contains(tag.view())) return true;
  }
  return contains(entry.notes.view());
}

}  // namespace

bool EntryFilter::Matches(const Entry& entry) const {
  if (folded_.empty()) return true;
  if (folded_.size() > FoldedSearch::kLongestNeedle) {
    return AnyField(entry, [this](std::string_view field) { return LongNeedleContains(field, folded_); });
  }
  FoldedSearch search(folded_);
  return AnyField(entry, [&search](std::string_view field) { return search.Contains(field); });
}
