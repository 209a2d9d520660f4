#include "tests/unit/safe/safe_test_dir.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/executable_path.h"
#include "safe/safe_folder.h"

SafeTestDir::SafeTestDir() {
  std::filesystem::create_directory(scratch_.Path("tmp"));
  if (const char* old = std::getenv("TMPDIR")) {
    hadTmpDir_ = true;
    oldTmpDir_ = old;
  }
  setenv("TMPDIR", scratch_.Path("tmp").c_str(), 1);
  // What a machine remembers of its safes stays with the test.
  if (const char* old = std::getenv("XDG_STATE_HOME")) {
    hadStateHome_ = true;
    oldStateHome_ = old;
  }
  setenv("XDG_STATE_HOME", state_.Root().c_str(), 1);
  OverrideExecutablePath(scratch_.Path("quillbox").c_str());
}

SafeTestDir::~SafeTestDir() {
  OverrideExecutablePath(nullptr);
  SetSafeFolder("");
  if (hadTmpDir_) {
    setenv("TMPDIR", oldTmpDir_.c_str(), 1);
  } else {
    unsetenv("TMPDIR");
  }
  if (hadStateHome_) {
    setenv("XDG_STATE_HOME", oldStateHome_.c_str(), 1);
  } else {
    unsetenv("XDG_STATE_HOME");
  }
}

std::vector<std::string> SafeTestDir::TempFiles() const {
  std::vector<std::string> names;
  std::error_code ignored;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(scratch_.Path("tmp"), ignored)) {
    if (entry.is_regular_file()) names.push_back(entry.path().filename().string());
  }
  return names;
}

std::vector<std::string> ToVector(const std::vector<Entry>& entries) {
  std::vector<std::string> lines;
  for (const Entry& entry : entries) {
    lines.push_back(std::string(entry.title.view()) + "\t" + std::string(entry.userName.view()) + "\t" +
                    std::string(entry.password.view()));
  }
  return lines;
}

std::vector<std::string> ToVector(const EntryList& list) { return ToVector(list.entries); }

void AddLine(EntryList& list, const std::string& line) {
  Entry& entry = list.entries.emplace_back();
  entry.id = EntryId::Random();
  entry.created = entry.modified = 1700000000;
  size_t first = line.find('\t');
  entry.title = line.substr(0, first);
  if (first == std::string::npos) return;
  size_t second = line.find('\t', first + 1);
  entry.userName = line.substr(first + 1, second == std::string::npos ? std::string::npos : second - first - 1);
  if (second != std::string::npos) entry.password = line.substr(second + 1);
}

void Fill(EntryList& list, const std::vector<std::string>& lines) {
  list = EntryList();
  for (const std::string& line : lines) AddLine(list, line);
}

EntryList ListOf(const std::vector<std::string>& lines) {
  EntryList list;
  Fill(list, lines);
  return list;
}

std::string ReadHexFixture(const std::string& name) {
  std::ifstream in(std::string(QUILLBOX_TEST_DATA_DIR) + "/safe/" + name);
  std::string hex;
  in >> hex;
  std::string bytes;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
  return bytes;
}
