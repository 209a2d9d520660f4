#include "scratch_dir.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <vector>

ScratchDir::ScratchDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "quillbox-core-XXXXXX").string();
  if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
}

ScratchDir::~ScratchDir() {
  std::error_code ignored;
  if (path_.empty()) return;
  // A test may leave the folder read-only; it goes all the same.
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ignored);
  std::filesystem::remove_all(path_, ignored);
}

std::string ScratchDir::Path(const std::string& name) const { return path_ + "/" + name; }

std::string ScratchDir::Listing() const { return FolderListing(path_); }

std::string FolderListing(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  std::string listing;
  for (const auto& name : names) listing += (listing.empty() ? "" : " ") + name;
  return listing;
}

void WriteTextFile(const std::string& path, const std::string& contents) {
  std::ofstream(path, std::ios::binary) << contents;
}

std::string ReadTextFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream contents;
  contents << in.rdbuf();
  return contents.str();
}

unsigned FileMode(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 ? (info.st_mode & 07777) : 0;
}
