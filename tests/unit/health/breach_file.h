#pragma once

#include <string>
#include <vector>

// Breach lists as the downloader writes them, made from chosen passwords.
struct BreachLine {
  std::string hash;  // upper-case hex SHA-1
  unsigned long long count;
};

std::string Sha1Hex(const std::string& text);
// Lines for the passwords (count = 1000 + position) and for filler
// texts, sorted by hash.
std::vector<BreachLine> SortedBreachLines(const std::vector<std::string>& passwords, int fillers);
std::string BreachFileText(const std::vector<BreachLine>& lines, const char* lineEnd = "\n");
