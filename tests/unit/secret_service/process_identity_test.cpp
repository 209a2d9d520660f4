#include "secret_service/process_identity.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

namespace {

// A child that waits for a byte on a pipe, then runs program (or ends,
// when program is null). Stopped and reaped when the test ends.
class Child {
 public:
  explicit Child(const char* program) {
    EXPECT_EQ(pipe(go_), 0);
    pid_ = fork();
    if (pid_ == 0) {
      char byte;
      if (read(go_[0], &byte, 1) == 1 && program != nullptr) execl(program, program, "30", nullptr);
      _exit(0);
    }
    close(go_[0]);
  }
  ~Child() {
    close(go_[1]);
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  pid_t Pid() const { return pid_; }
  // Lets it run its program, and waits (bounded) until it does.
  bool Go(const std::string& program) {
    if (write(go_[1], "x", 1) != 1) return false;
    for (int i = 0; i < 500; ++i) {
      if (ReadProcessIdentity(pid_).executable == program) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  }

 private:
  int go_[2] = {-1, -1};
  pid_t pid_ = -1;
};

std::string OwnExecutable() {
  char target[4096];
  const ssize_t length = readlink("/proc/self/exe", target, sizeof target);
  return length > 0 ? std::string(target, static_cast<size_t>(length)) : std::string();
}

TEST(ProcessIdentity, InterpretersAreKnownByName) {
  struct Case {
    const char* executable;
    bool interpreter;
  };
  const Case cases[] = {
      {"/usr/bin/python3", true},
      {"/usr/bin/python3.11", true},
      {"/usr/bin/perl", true},
      {"/usr/bin/perl5.36.0", true},
      {"/bin/sh", true},
      {"/usr/bin/bash", true},
      {"/usr/bin/dash", true},
      {"/usr/bin/node", true},
      {"/usr/bin/ruby3.1", true},
      {"/lib64/ld-linux-x86-64.so.2", true},
      {"/usr/bin/secret-tool", false},
      {"/usr/bin/shred", false},
      {"/usr/bin/bashful", false},
      {"/opt/node/helper", false},
      {"", false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsInterpreter(c.executable), c.interpreter) << c.executable;
}

TEST(ProcessIdentity, ReadsTheExecutableAndCommandLineOfARunningProcess) {
  const ProcessIdentity self = ReadProcessIdentity(getpid());
  EXPECT_EQ(self.executable, OwnExecutable());
  EXPECT_TRUE(self.commandLine.find("secret_service_tests") != std::string::npos) << self.commandLine;
  EXPECT_NE(self.startTicks, 0u);
  EXPECT_FALSE(self.executableGone);
  EXPECT_TRUE(self.CanBeRemembered());
  EXPECT_FALSE(ReadProcessIdentity(0).IsKnown());
}

TEST(ProcessIdentity, AnExecutableDeletedOrReplacedSinceItStartedIsNotRemembered) {
  char folder[] = "/tmp/quillbox-identity-XXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  const std::string copy = std::string(folder) + "/sleeper";
  for (const bool replace : {false, true}) {
    ASSERT_EQ(std::system(("cp /bin/sleep " + copy).c_str()), 0);
    Child child(copy.c_str());
    ASSERT_TRUE(child.Go(copy));
    EXPECT_TRUE(ReadProcessIdentity(child.Pid()).CanBeRemembered());
    if (replace) {
      // An upgrade renames a new file over the old one.
      ASSERT_EQ(std::system(("cp /bin/sleep " + copy + ".new && mv " + copy + ".new " + copy).c_str()), 0);
    } else {
      ASSERT_EQ(unlink(copy.c_str()), 0);
    }
    const ProcessIdentity now = ReadProcessIdentity(child.Pid());
    EXPECT_EQ(now.executable, copy);
    EXPECT_TRUE(now.executableGone);
    EXPECT_FALSE(now.CanBeRemembered());
    unlink(copy.c_str());
  }
  rmdir(folder);
}

TEST(ProcessIdentity, AClientIsTheProcessFirstSeenOnlyWhileItStillIs) {
  int sockets[2];
  ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sockets), 0);
  Child child("/usr/bin/sleep");
  close(sockets[0]);
  close(sockets[1]);
  const ProcessIdentity first = ReadProcessIdentity(child.Pid());
  // The forked child holds the sockets: it is the program first seen.
  EXPECT_EQ(IdentifyClient(child.Pid(), first).executable, OwnExecutable());
  ProcessIdentity reused = first;
  ++reused.startTicks;
  EXPECT_FALSE(IdentifyClient(child.Pid(), reused).IsKnown());
  // It runs another program now: the connection stayed with whoever it was
  // forked to, and the pid is no longer the client.
  ASSERT_TRUE(child.Go("/usr/bin/sleep"));
  const ProcessIdentity after = IdentifyClient(child.Pid(), first);
  EXPECT_FALSE(after.IsKnown());
  EXPECT_EQ(after.pid, child.Pid());
  // Seen first only after the exec, it still holds no socket.
  EXPECT_FALSE(HoldsSocket(child.Pid()));
  EXPECT_FALSE(IdentifyClient(child.Pid(), ReadProcessIdentity(child.Pid())).IsKnown());
}

}  // namespace
