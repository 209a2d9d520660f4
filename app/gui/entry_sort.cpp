#include "app/gui/entry_sort.h"

#include <algorithm>

#include "app/quillbox.h"

namespace {

constexpr size_t kFieldLimit = kEntryFieldCapacity - 1;

}  // namespace

int NextSortOrder(int order, int column) {
  if (column >= 0 && column < kSortOrderCount / 2) {
    const int ascending = column * 2;
    order = order == ascending ? ascending + 1 : ascending;
  }
  return std::clamp(order, 0, kSortOrderCount - 1);
}

std::string_view DesignedField(const Entry& entry, int column) {
  switch (column) {
    case 0:
      return entry.title.view();
    case 1:
      return entry.userName.view();
    case 3:
      return entry.url.view();
    default:
      return entry.password.view();
  }
}

int CompareEntriesByColumn(const Entry& a, const Entry& b, int order) {
  int result = 0;
  if (order / 2 == 5) {
    result = (a.modified > b.modified) - (a.modified < b.modified);
  } else {
    const auto less = [](const SecretText& x, const SecretText& y) { return x.view() < y.view(); };
    result = std::lexicographical_compare(b.tags.begin(), b.tags.end(), a.tags.begin(), a.tags.end(), less) -
             std::lexicographical_compare(a.tags.begin(), a.tags.end(), b.tags.begin(), b.tags.end(), less);
  }
  return order % 2 == 0 ? result : -result;
}

int CompareEntries(std::string_view fieldA, std::string_view fieldB, int order) {
  if (order < 0 || order >= kSortOrderCount) {
    return 0;
  }
  // char_traits<char> compares as unsigned char, so bytes above 0x7F sort last.
  const int sign = fieldA.substr(0, kFieldLimit).compare(fieldB.substr(0, kFieldLimit));
  const int result = (sign > 0) - (sign < 0);
  return order % 2 == 0 ? result : -result;
}
