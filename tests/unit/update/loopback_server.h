#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

// The loopback update server (update_server.py) serving a fresh folder. It
// runs for the life of the object and stops when it is destroyed.
class LoopbackServer {
 public:
  LoopbackServer();
  ~LoopbackServer();
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  bool IsRunning() const { return port_ != 0; }
  // "127.0.0.1:PORT", as the "Update_Server" setting holds it.
  std::string Host() const;

  // Serves bytes at path ("downloads/update10.sig"); Remove stops serving it.
  void Put(const std::string& path, const std::vector<unsigned char>& bytes);
  void Remove(const std::string& path);
  // One of the server's answer modes ("stall", "endless", "status 404", ...).
  void SetMode(const std::string& path, const std::string& mode);

  // The requests seen so far, one JSON object per line.
  std::string RequestLog() const;

 private:
  std::string root_;
  pid_t pid_ = 0;
  int input_ = -1;  // the server's standard input; closing it stops it
  int port_ = 0;
};
