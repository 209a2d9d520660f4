#pragma once

#include <map>
#include <string>
#include <vector>

#include "interchange/file_key.h"
#include "interchange/kdbx_open.h"
#include "tests/unit/core/scratch_dir.h"

// Runs real KeePass peers (keepassxc-cli, python3-pykeepass) in a scratch
// folder with a private home, so they read and write nothing of the user's.
class KdbxPeerTest : public ScratchDirTest {
 protected:
  // The command's standard output; its exit status in *status when given,
  // else the test fails on a non-zero one.
  std::string Run(const std::string& command, const std::string& input = "", int* status = nullptr);
  std::string ReadFile(const std::string& name) { return ReadTextFile(Path(name)); }
};

FileKey KeyOf(const std::string& password, const std::string* key_file_content = nullptr);

// The protected values of an opened file's XML, by the name of the field
// they are the value of, in order, with the inner stream taken off.
std::map<std::string, std::vector<std::string>> ProtectedValues(KdbxContent& content);
