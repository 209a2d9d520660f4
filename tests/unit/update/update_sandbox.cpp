#include "tests/unit/update/update_sandbox.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/executable_path.h"

namespace fs = std::filesystem;

namespace {
constexpr const char* kIsolatedVariables[] = {"TMPDIR", "XDG_CONFIG_HOME", "XDG_CONFIG_DIRS"};
}  // namespace

UpdateSandbox::UpdateSandbox(const std::string& tempName) {
  char pattern[] = "/tmp/quillbox-update-test.XXXXXX";
  root_ = mkdtemp(pattern);
  tempDir_ = root_ + "/" + tempName;
  for (const char* name : kIsolatedVariables) {
    const char* value = std::getenv(name);
    savedEnvironment_.emplace_back(name, value != nullptr ? value : "");
  }
  fs::create_directories(tempDir_);
  fs::create_directories(root_ + "/user");
  fs::create_directories(root_ + "/machine");
  fs::create_directories(AppDir());
  setenv("TMPDIR", tempDir_.c_str(), 1);
  setenv("XDG_CONFIG_HOME", (root_ + "/user").c_str(), 1);
  setenv("XDG_CONFIG_DIRS", (root_ + "/machine").c_str(), 1);
  OverrideExecutablePath((AppDir() + "/quillbox").c_str());
}

UpdateSandbox::~UpdateSandbox() {
  OverrideExecutablePath(nullptr);
  for (const auto& [name, value] : savedEnvironment_) {
    if (value.empty()) {
      unsetenv(name.c_str());
    } else {
      setenv(name.c_str(), value.c_str(), 1);
    }
  }
  std::error_code ignored;
  fs::remove_all(root_, ignored);
}

std::string UpdateSandbox::PrivateDir() const { return tempDir_ + "/quillbox-" + std::to_string(geteuid()) + "/"; }

TestSettings::TestSettings() { BuildKeyName(); }

std::vector<unsigned char> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}
