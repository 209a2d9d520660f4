#pragma once

#include <string>
#include <vector>

// A stand-in installer: a shell script that writes its program name and
// arguments, one a line, to recordPath.
std::vector<unsigned char> RecordingInstaller(const std::string& recordPath);

// The record's lines once the script has written it (waits up to 10 s).
std::vector<std::string> WaitForRecord(const std::string& recordPath);
