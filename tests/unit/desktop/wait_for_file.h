#pragma once

#include <string>

// The text of path once it exists; empty when it has not appeared after
// ten seconds (a started process that never got there).
std::string WaitForFileText(const std::string& path);
