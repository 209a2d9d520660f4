#include "tests/unit/update/loopback_server.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

extern char** environ;

namespace fs = std::filesystem;

LoopbackServer::LoopbackServer() {
  char pattern[] = "/tmp/quillbox-update-server.XXXXXX";
  if (mkdtemp(pattern) == nullptr) return;
  root_ = pattern;

  int toServer[2], fromServer[2];
  if (pipe2(toServer, O_CLOEXEC) != 0) return;
  if (pipe2(fromServer, O_CLOEXEC) != 0) {
    close(toServer[0]);
    close(toServer[1]);
    return;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, toServer[0], 0);
  posix_spawn_file_actions_adddup2(&actions, fromServer[1], 1);
  std::string script = UPDATE_SERVER_SCRIPT;
  std::string python = "python3";
  char* argv[] = {python.data(), script.data(), root_.data(), nullptr};
  const bool started = posix_spawnp(&pid_, "python3", &actions, nullptr, argv, environ) == 0;
  posix_spawn_file_actions_destroy(&actions);
  close(toServer[0]);
  close(fromServer[1]);
  input_ = toServer[1];
  if (started) {
    FILE* output = fdopen(fromServer[0], "r");
    if (output != nullptr) {
      if (std::fscanf(output, "%d", &port_) != 1) port_ = 0;
      std::fclose(output);
      return;
    }
  }
  close(fromServer[0]);
}

LoopbackServer::~LoopbackServer() {
  if (input_ >= 0) close(input_);
  if (pid_ > 0) {
    // The server exits when its input closes; a kill covers a hung one.
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }
  std::error_code ignored;
  if (!root_.empty()) fs::remove_all(root_, ignored);
}

std::string LoopbackServer::Host() const { return "127.0.0.1:" + std::to_string(port_); }

void LoopbackServer::Put(const std::string& path, const std::vector<unsigned char>& bytes) {
  const fs::path file = fs::path(root_) / path;
  fs::create_directories(file.parent_path());
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void LoopbackServer::Remove(const std::string& path) {
  std::error_code ignored;
  fs::remove(fs::path(root_) / path, ignored);
  fs::remove(fs::path(root_) / (path + ".mode"), ignored);
}

void LoopbackServer::SetMode(const std::string& path, const std::string& mode) {
  const fs::path file = fs::path(root_) / (path + ".mode");
  fs::create_directories(file.parent_path());
  std::ofstream(file) << mode;
}

std::string LoopbackServer::RequestLog() const {
  std::ifstream in(fs::path(root_) / "requests.log");
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}
