#pragma once

#include <string>
#include <string_view>

#include "safe/entry.h"
#include "secret_service/process_identity.h"

// What a program asks to do with an entry, in the question the user answers.
enum class AccessKind { kRead, kChange, kDelete };

// The question in plain text: the entry as the user stored it (title, user
// name, web address) and the program as the system knows it (executable,
// process and command line). Every value is shown on a line of its own,
// cut to a readable length, with control and direction characters made
// visible, so a program cannot dress one line as another.
std::string AccessQuestionText(AccessKind kind, const Entry& entry, const ProcessIdentity& program);

// One value as the question shows it.
std::string ShownValue(std::string_view value);
inline constexpr size_t kMaxShownBytes = 200;
