#pragma once

#include <string_view>

#include "safe/entry.h"

// Sort orders of the entry list: 0/1 "Description", 2/3 "Username",
// 4/5 "Password", then the columns shown on request: 6/7 "Web Address",
// 8/9 "Tags", 10/11 "Modified"; ascending on even values, descending on
// odd ones.
inline constexpr int kSortOrderCount = 12;
inline constexpr int kDefaultSortOrder = 2;
inline constexpr int kResortColumn = -1;

// The order after a click on column 0-5: the same column reverses, another
// column starts ascending. kResortColumn (or any other value) keeps the
// order. The result is clamped to 0-11.
int NextSortOrder(int order, int column);

// The field of column 0-3 (title, user name, password, web address); not cut.
std::string_view DesignedField(const Entry& entry, int column);

// The order of two entries by column 4 (tags, in turn) or 5 (modified);
// negated for descending orders.
int CompareEntriesByColumn(const Entry& a, const Entry& b, int order);

// Compares the fields of two entries that the order sorts by, cut to 259
// characters like every entry field, byte by byte as unsigned values and
// case-sensitive; a prefix sorts first. Negated for descending orders; 0 for
// an order outside 0-11. There is no second key.
int CompareEntries(std::string_view fieldA, std::string_view fieldB, int order);
