#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/secret_text.h"
#include "safe/entry.h"

inline constexpr char kDefaultAutoTypeSequence[] = "{USERNAME}{TAB}{PASSWORD}{ENTER}";
// The custom fields an entry may set its own sequence and windows in.
inline constexpr char kAutoTypeSequenceField[] = "AutoType";
inline constexpr char kAutoTypeWindowField[] = "Window";

enum class AutoTypeKey { kTab, kEnter, kSpace, kBackspace, kDelete, kUp, kDown, kLeft, kRight, kHome, kEnd };

// One step of typing. Text steps hold secrets, wiped with the step.
struct AutoTypeAction {
  enum class Kind { kText, kKey, kDelay, kKeyDelay };
  Kind kind = Kind::kText;
  SecretText text;       // kText: typed as it stands
  AutoTypeKey key{};     // kKey
  int milliseconds = 0;  // kDelay: a pause; kKeyDelay: between keys from then on
};

// The entry's own sequence, or the default.
std::string_view AutoTypeSequenceOf(const Entry& entry);

// The sequence as steps, with the entry's fields (and its one-time code
// for unixTime) put in. False with a message naming the fault, and no
// steps, when anything in it cannot be typed: nothing is ever typed half.
bool ParseAutoTypeSequence(std::string_view sequence, const Entry& entry, int64_t unixTime,
                           std::vector<AutoTypeAction>* actions, std::string* error);
