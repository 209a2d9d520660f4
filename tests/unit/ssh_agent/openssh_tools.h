#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

// Debian's OpenSSH programs, run by the tests as a user would run them.

// Runs argv, standard input empty; its standard output (and error) and
// exit status.
struct ToolRun {
  int status = -1;
  std::string out;
};
ToolRun RunTool(const std::vector<std::string>& argv, const std::vector<std::string>& environment = {});

// `ssh-keygen -q -t TYPE ... -f PATH -N PASSPHRASE -C COMMENT` plus extra
// arguments (-b BITS, -m PEM, -Z CIPHER); the key's text.
std::string MakeKeyFile(const std::string& path, const std::vector<std::string>& typeAndExtras,
                        const std::string& passphrase, const std::string& comment);
// The fingerprint `ssh-keygen -lf PATH.pub` prints (its second word).
std::string KeygenFingerprint(const std::string& path);

// A private `ssh-agent -D -a SOCKET`, stopped by its process id.
class PrivateAgent {
 public:
  explicit PrivateAgent(const std::string& socketPath, const std::vector<std::string>& environment = {});
  ~PrivateAgent();
  PrivateAgent(const PrivateAgent&) = delete;
  PrivateAgent& operator=(const PrivateAgent&) = delete;

  const std::string& Socket() const { return socket_; }
  bool Started() const { return pid_ > 0; }
  void Stop();
  // `ssh-add -l` against it: each listed key's fingerprint, or its words
  // of refusal ("The agent has no identities.").
  std::vector<std::string> ListedFingerprints() const;

 private:
  std::string socket_;
  pid_t pid_ = -1;
};
