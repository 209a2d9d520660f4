#pragma once

#include <string_view>

#include "safe/entry.h"

// Sort orders of the entry list: 0/1 "Description", 2/3 "Username",
// 4/5 "Password", ascending on even values, descending on odd ones.
inline constexpr int kSortOrderCount = 6;
inline constexpr int kDefaultSortOrder = 2;
inline constexpr int kResortColumn = -1;

// The order after a click on column 0-2: the same column reverses, another
// column starts ascending. kResortColumn (or any other value) keeps the
// order. The result is clamped to 0-5.
int NextSortOrder(int order, int column);

// The field of column 0-2 (title, user name, password); not cut.
std::string_view DesignedField(const Entry& entry, int column);

// Compares the fields of two entries that the order sorts by, cut to 259
// characters like every entry field, byte by byte as unsigned values and
// case-sensitive; a prefix sorts first. Negated for descending orders; 0 for
// an order outside 0-5. There is no second key.
int CompareEntries(std::string_view fieldA, std::string_view fieldB, int order);
