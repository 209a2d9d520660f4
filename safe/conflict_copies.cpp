#include "safe/conflict_copies.h"

#include <dirent.h>

#include <algorithm>
#include <regex>

#include "safe/safe_folder.h"

namespace {

constexpr char kSafeExtension[] = ".SAFE";

// What follows the user's name, ".SAFE" included.
const std::regex& ConflictTail() {
  static const std::regex tail(R"(\.sync-conflict-\d{8}-\d{6}-[A-Z0-9]+\.SAFE)"                           // Syncthing
                               R"(| \(conflicted copy (?:[^()]+ )?\d{4}-\d{2}-\d{2} \d{6}\)\.SAFE)"       // Nextcloud
                               R"(| \([^()]+'s conflicted copy \d{4}-\d{2}-\d{2}(?: \(\d+\))?\)\.SAFE)",  // Dropbox
                               std::regex::ECMAScript | std::regex::optimize);
  return tail;
}

}  // namespace

bool IsConflictCopyName(const std::string& fileName, const std::string& userName) {
  if (fileName.size() <= userName.size() || fileName.compare(0, userName.size(), userName) != 0) return false;
  return std::regex_match(fileName.begin() + static_cast<std::ptrdiff_t>(userName.size()), fileName.end(),
                          ConflictTail());
}

std::vector<std::string> FindConflictCopies(const char* userName) {
  std::vector<std::string> copies;
  std::string folder = GetSafeFolder().path;
  if (userName == nullptr || folder.empty()) return copies;
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return copies;
  while (const dirent* entry = readdir(dir)) {
    std::string name = entry->d_name;
    if (IsConflictCopyName(name, userName)) copies.push_back(name.substr(0, name.size() - (sizeof kSafeExtension - 1)));
  }
  closedir(dir);
  std::sort(copies.begin(), copies.end());
  return copies;
}
