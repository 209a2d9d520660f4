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
}

std::vector<std::string> SafeTestDir::TempFiles() const {
  std::vector<std::string> names;
  std::error_code ignored;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(scratch_.Path("tmp"), ignored)) {
    if (entry.is_regular_file()) names.push_back(entry.path().filename().string());
  }
  return names;
}

std::vector<std::string> ToVector(const cpStringArray& entries) {
  std::vector<std::string> lines;
  for (uint32_t i = 0; i < entries.GetCount(); ++i) lines.emplace_back(entries.GetAt(i));
  return lines;
}

void Fill(cpStringArray& entries, const std::vector<std::string>& lines) {
  entries.RemoveAll();
  for (const auto& line : lines) entries.Add(line.c_str());
}

std::string ReadHexFixture(const std::string& name) {
  std::ifstream in(std::string(QUILLBOX_TEST_DATA_DIR) + "/safe/" + name);
  std::string hex;
  in >> hex;
  std::string bytes;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
  return bytes;
}
