#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "safe/entry.h"

// Where the served objects live on the bus. The collection is named after
// the safe's user, its items after their entries' ids, so a path a client
// kept stays good across restarts and syncs.
inline constexpr char kServicePath[] = "/org/freedesktop/secrets";
inline constexpr char kDefaultAliasPath[] = "/org/freedesktop/secrets/aliases/default";
inline constexpr char kNoObjectPath[] = "/";

// Object path elements hold only [A-Za-z0-9_]: every other byte of the
// user name is written as _xx (lower-case hex), and an empty name as "_".
std::string CollectionPath(std::string_view userName);
std::string ItemPath(std::string_view collectionPath, const EntryId& id);
std::string SessionPath(uint64_t number);
std::string PromptPath(uint64_t number);

// The entry id of an item path under collectionPath; nothing for any other path.
std::optional<EntryId> ItemIdFromPath(std::string_view collectionPath, std::string_view path);
// The number of a session or prompt path; nothing for any other path.
std::optional<uint64_t> SessionNumberFromPath(std::string_view path);
std::optional<uint64_t> PromptNumberFromPath(std::string_view path);
