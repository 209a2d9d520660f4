#pragma once

#include <string>
#include <vector>

// Runs the real quillbox-cli binary in a session of its own (so it has no
// controlling terminal), with TMPDIR pointed at temp_dir.
struct CliResult {
  int status = -1;  // exit status, or -1 when it did not exit normally
  std::string out;
  std::string err;
};

CliResult RunCliProcess(const std::vector<std::string>& args, const std::string& input,
                        const std::string& temp_dir);

// A fresh folder under the system's temp dir, removed with everything in it.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);
