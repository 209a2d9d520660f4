#pragma once

// Where a strong safe keeps the id an entry had in the program it came from
// ("keepass:" and the Base64 UUID, "bitwarden:" and the item id): a custom
// field of this name, which the exporters to that program turn back into
// its id and the others leave out. Field references find entries by it.
inline constexpr char kSourceIdField[] = "Imported ID";
inline constexpr char kKeepassSourcePrefix[] = "keepass:";
