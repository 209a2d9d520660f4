#include "tests/unit/ssh_agent/openssh_tools.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace {

std::vector<char*> Pointers(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (std::string& text : texts) pointers.push_back(text.data());
  pointers.push_back(nullptr);
  return pointers;
}

// The test's environment with these NAME=VALUE texts in place.
std::vector<std::string> Environment(const std::vector<std::string>& changes) {
  std::vector<std::string> all;
  for (char** variable = environ; *variable != nullptr; ++variable) {
    std::string text = *variable;
    bool replaced = false;
    for (const std::string& change : changes) {
      replaced = replaced || text.substr(0, text.find('=') + 1) == change.substr(0, change.find('=') + 1);
    }
    if (!replaced) all.push_back(text);
  }
  all.insert(all.end(), changes.begin(), changes.end());
  return all;
}

pid_t Spawn(std::vector<std::string> argv, const std::vector<std::string>& environment, int outFd) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  if (outFd >= 0) {
    posix_spawn_file_actions_adddup2(&actions, outFd, 1);
    posix_spawn_file_actions_adddup2(&actions, outFd, 2);
  }
  std::vector<std::string> env = Environment(environment);
  std::vector<char*> args = Pointers(argv), envp = Pointers(env);
  pid_t pid = -1;
  if (posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), envp.data()) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

}  // namespace

ToolRun RunTool(const std::vector<std::string>& argv, const std::vector<std::string>& environment) {
  ToolRun run;
  int pipeFds[2];
  if (pipe2(pipeFds, O_CLOEXEC) != 0) return run;
  pid_t pid = Spawn(argv, environment, pipeFds[1]);
  close(pipeFds[1]);
  char buffer[4096];
  ssize_t got;
  while ((got = read(pipeFds[0], buffer, sizeof buffer)) > 0) run.out.append(buffer, static_cast<size_t>(got));
  close(pipeFds[0]);
  int status = 0;
  if (pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status)) run.status = WEXITSTATUS(status);
  return run;
}

std::string MakeKeyFile(const std::string& path, const std::vector<std::string>& typeAndExtras,
                        const std::string& passphrase, const std::string& comment) {
  std::vector<std::string> argv = {"ssh-keygen", "-q", "-t"};
  argv.insert(argv.end(), typeAndExtras.begin(), typeAndExtras.end());
  argv.insert(argv.end(), {"-f", path, "-N", passphrase, "-C", comment});
  if (RunTool(argv).status != 0) return {};
  std::ifstream file(path);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

std::string KeygenFingerprint(const std::string& path) {
  std::istringstream words(RunTool({"ssh-keygen", "-lf", path + ".pub"}).out);
  std::string bits, fingerprint;
  words >> bits >> fingerprint;
  return fingerprint;
}

PrivateAgent::PrivateAgent(const std::string& socketPath, const std::vector<std::string>& environment)
    : socket_(socketPath) {
  int quiet = open("/dev/null", O_WRONLY | O_CLOEXEC);
  pid_ = Spawn({"ssh-agent", "-D", "-a", socket_}, environment, quiet);
  close(quiet);
  struct stat info;
  for (int i = 0; i < 100 && stat(socket_.c_str(), &info) != 0; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

PrivateAgent::~PrivateAgent() { Stop(); }

void PrivateAgent::Stop() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  waitpid(pid_, nullptr, 0);
  pid_ = -1;
}

std::vector<std::string> PrivateAgent::ListedFingerprints() const {
  ToolRun run = RunTool({"ssh-add", "-l"}, {"SSH_AUTH_SOCK=" + socket_});
  std::vector<std::string> listed;
  std::istringstream lines(run.out);
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream words(line);
    std::string bits, fingerprint;
    words >> bits >> fingerprint;
    listed.push_back(fingerprint.starts_with("SHA256:") ? fingerprint : line);
  }
  return listed;
}
