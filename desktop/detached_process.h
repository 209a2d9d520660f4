#pragma once

#include <string>
#include <vector>

// Starts program (looked up on PATH when it has no '/') with arguments,
// detached: the caller does not wait for it and no zombie is left behind.
// Its standard streams go to /dev/null. False when it cannot be started.
bool StartDetachedProcess(const std::string& program, const std::vector<std::string>& arguments);

// Full path of an executable named program on PATH; empty when there is none.
std::string FindOnPath(const std::string& program);
