#pragma once

#include <string>
#include <vector>

#include "settings/wreg.h"

// A private world for one test: its own temporary directory (TMPDIR), hive
// folders (XDG_CONFIG_HOME, XDG_CONFIG_DIRS) and executable folder, so the
// update files, settings and "current.sig" of one test never meet another's.
class UpdateSandbox {
 public:
  // tempName is the TMPDIR folder's name inside the sandbox (spaces allowed).
  explicit UpdateSandbox(const std::string& tempName = "tmp");
  ~UpdateSandbox();
  UpdateSandbox(const UpdateSandbox&) = delete;
  UpdateSandbox& operator=(const UpdateSandbox&) = delete;

  const std::string& Root() const { return root_; }
  // The folder of the (pretended) executable, where "current.sig" lives.
  std::string AppDir() const { return root_ + "/app"; }
  // The private update folder, with a trailing '/'.
  std::string PrivateDir() const;
  const std::string& TempDir() const { return tempDir_; }

 private:
  std::string root_;
  std::string tempDir_;
  std::vector<std::pair<std::string, std::string>> savedEnvironment_;
};

// The settings store under the application's key, in the sandbox's hives.
class TestSettings : public WReg {
 public:
  TestSettings();

 protected:
  const char* GetCompanyKey() const override { return "tarnwell"; }
  const char* GetProductKey() const override { return "Tarnwell Quillbox"; }
  const char* GetVersionKey() const override { return "2"; }
};

std::vector<unsigned char> ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::vector<unsigned char>& bytes);
