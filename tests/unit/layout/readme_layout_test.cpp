// The README's layout section names every top-level folder and every
// feature's gui/ folder once, and no folder that is not there.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const fs::path kSourceDir = QUILLBOX_SOURCE_DIR;

std::string ReadSourceFile(const std::string& name) {
  std::ifstream file(kSourceDir / name, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

std::string LayoutSection() {
  const std::string readme = ReadSourceFile("README.md");
  const size_t start = readme.find("\n## Layout\n");
  if (start == std::string::npos) return {};
  return readme.substr(start, readme.find("\n## ", start + 1) - start);
}

// Every `folder/` the text writes, repeats included.
std::vector<std::string> NamedFolders(const std::string& text) {
  std::vector<std::string> names;
  size_t open = text.find('`');
  while (open != std::string::npos) {
    const size_t close = text.find('`', open + 1);
    if (close == std::string::npos) break;
    const std::string name = text.substr(open + 1, close - open - 1);
    if (name.ends_with('/')) names.push_back(name);
    open = text.find('`', close + 1);
  }
  return names;
}

// Build output and packages are git's "/name/" lines, no part of the layout.
std::set<std::string> IgnoredFolders() {
  std::set<std::string> ignored = {".git"};
  std::istringstream lines(ReadSourceFile(".gitignore"));
  for (std::string line; std::getline(lines, line);) {
    if (line.size() > 2 && line.front() == '/' && line.back() == '/') ignored.insert(line.substr(1, line.size() - 2));
  }
  return ignored;
}

// The top-level folders and each one's gui/ (tests/gui holds tests, not a
// feature's widgets).
std::set<std::string> FoldersOnDisk() {
  const std::set<std::string> ignored = IgnoredFolders();
  std::set<std::string> folders;
  for (const fs::directory_entry& entry : fs::directory_iterator(kSourceDir)) {
    const std::string name = entry.path().filename().string();
    if (!entry.is_directory() || ignored.contains(name)) continue;
    folders.insert(name + "/");
    if (name != "tests" && fs::is_directory(entry.path() / "gui")) folders.insert(name + "/gui/");
  }
  return folders;
}

TEST(ReadmeLayout, NamesEveryFolderOnce) {
  const std::vector<std::string> named = NamedFolders(LayoutSection());
  ASSERT_FALSE(named.empty()) << "README.md has no \"## Layout\" section naming folders";
  for (const std::string& folder : FoldersOnDisk()) {
    EXPECT_EQ(std::count(named.begin(), named.end(), folder), 1)
        << "README.md's layout should name `" << folder << "` once";
  }
}

TEST(ReadmeLayout, NamesOnlyFoldersThatExist) {
  for (const std::string& folder : NamedFolders(LayoutSection())) {
    EXPECT_TRUE(fs::is_directory(kSourceDir / folder))
        << "README.md's layout names `" << folder << "`, which is not there";
  }
}

// The rules the two tests above stand on.
TEST(ReadmeLayout, ReadsFolderNamesFromBackquotes) {
  EXPECT_EQ(NamedFolders("- `core/` strings; `app/gui/` its window, `quillbox-cli` and `core/wiping_heap.h`"),
            (std::vector<std::string>{"core/", "app/gui/"}));
  EXPECT_EQ(NamedFolders("an odd ` quote"), std::vector<std::string>{});
}

}  // namespace
