#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "cli_process.h"

namespace {

// quillbox-cli run with a pseudo-terminal as its controlling terminal and
// its standard streams, the way a person at a terminal runs it.
class TerminalRun {
 public:
  TerminalRun(const std::vector<std::string>& args, const std::string& temp_dir) {
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) return;
    std::string slave_name = ptsname(master_);
    std::vector<std::string> argv_text = {QUILLBOX_CLI_PATH};
    argv_text.insert(argv_text.end(), args.begin(), args.end());
    std::string tmpdir = "TMPDIR=" + temp_dir;
    pid_ = fork();
    if (pid_ == 0) {
      setsid();
      // The first terminal a session leader opens becomes its controlling one.
      int slave = open(slave_name.c_str(), O_RDWR);
      for (int fd = 0; fd < 3; ++fd) dup2(slave, fd);
      std::vector<char*> argv;
      for (std::string& arg : argv_text) argv.push_back(arg.data());
      argv.push_back(nullptr);
      putenv(tmpdir.data());
      execv(QUILLBOX_CLI_PATH, argv.data());
      _exit(127);
    }
  }
  ~TerminalRun() {
    // Only after a failed expectation: the program may still wait for typing.
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    if (master_ >= 0) close(master_);
  }

  // Reads what the program shows until text appears (bounded wait).
  bool WaitFor(const std::string& text) {
    for (int i = 0; i < 100 && screen_.find(text, seen_) == std::string::npos; ++i) {
      pollfd p{master_, POLLIN, 0};
      if (poll(&p, 1, 100) <= 0) continue;
      char buffer[512];
      ssize_t n = read(master_, buffer, sizeof buffer);
      if (n <= 0) break;
      screen_.append(buffer, static_cast<size_t>(n));
    }
    size_t at = screen_.find(text, seen_);
    if (at == std::string::npos) return false;
    seen_ = at + text.size();
    return true;
  }

  // Waits for prompt, then types text.
  bool Answer(const std::string& prompt, const std::string& text) {
    if (!WaitFor(prompt)) return false;
    Type(text);
    return true;
  }

  void Type(const std::string& text) {
    EXPECT_EQ(write(master_, text.data(), text.size()), static_cast<ssize_t>(text.size()));
  }

  int Finish() {
    WaitFor("\x01never shown");  // drain the rest of the output
    int status = 0;
    pid_t pid = pid_;
    pid_ = -1;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
  }

  const std::string& screen() const { return screen_; }
  pid_t pid() const { return pid_; }

 private:
  int master_ = -1;
  pid_t pid_ = -1;
  std::string screen_;
  size_t seen_ = 0;
};

class CliAtATerminal : public ::testing::Test {
 protected:
  std::vector<std::string> Args(std::vector<std::string> args) {
    args.insert(args.begin(), {"--dir", safes_.Root()});
    return args;
  }

  // The same folder driven by a script instead of a person.
  CliResult Script(std::vector<std::string> args, const std::string& input) {
    args.insert(args.begin(), "--password-stdin");
    return RunCliProcess(Args(args), input, temp_.Root());
  }

  ScratchDir safes_;
  ScratchDir temp_;
};

TEST_F(CliAtATerminal, PasswordsAreAskedWithoutEcho) {
  {
    TerminalRun create(Args({"create", "alice"}), temp_.Root());
    ASSERT_TRUE(create.Answer("Password: ", "zq9safe\n"));
    ASSERT_TRUE(create.Answer("Confirm Password: ", "zq9safe\n"));
    EXPECT_EQ(create.Finish(), 0) << create.screen();
  }
  {
    TerminalRun add(Args({"add", "alice", "Bank", "jdoe"}), temp_.Root());
    ASSERT_TRUE(add.Answer("Password: ", "zq9safe\n"));
    ASSERT_TRUE(add.Answer("Password for account: ", "xk7entry\n"));
    EXPECT_EQ(add.Finish(), 0) << add.screen();
    EXPECT_EQ(add.screen().find("zq9"), std::string::npos) << add.screen();
    EXPECT_EQ(add.screen().find("xk7"), std::string::npos) << add.screen();
  }
  TerminalRun show(Args({"show", "alice", "1"}), temp_.Root());
  ASSERT_TRUE(show.Answer("Password: ", "zq9safe\n"));
  EXPECT_TRUE(show.WaitFor("Password: xk7entry"));
  EXPECT_EQ(show.Finish(), 0);
}

// At a terminal the one-time-code secret and a protected value are asked
// like passwords; notes are typed in view and end with Ctrl-D.
TEST_F(CliAtATerminal, OtherSecretsAreAskedOnTheTerminal) {
  ASSERT_EQ(Script({"create", "alice"}, "pw\n").status, 0);
  {
    TerminalRun add(Args({"add", "alice", "Bank", "jdoe", "--totp", "--notes"}), temp_.Root());
    ASSERT_TRUE(add.Answer("Password: ", "pw\n"));
    ASSERT_TRUE(add.Answer("Password for account: ", "xk7entry\n"));
    ASSERT_TRUE(add.Answer("One-time-code secret: ", "JBSWY3DPEHPK3PXP\n"));
    ASSERT_TRUE(add.Answer("Type the notes, then Ctrl-D on a line of its own:", "first line\nsecond\n\x04"));
    EXPECT_EQ(add.Finish(), 0) << add.screen();
    EXPECT_EQ(add.screen().find("JBSWY3"), std::string::npos) << add.screen();
    EXPECT_NE(add.screen().find("second"), std::string::npos) << add.screen();
  }
  {
    TerminalRun field(Args({"field", "alice", "1", "PIN", "--protected"}), temp_.Root());
    ASSERT_TRUE(field.Answer("Password: ", "pw\n"));
    ASSERT_TRUE(field.Answer("Value of PIN: ", "4711\n"));
    EXPECT_EQ(field.Finish(), 0) << field.screen();
    EXPECT_EQ(field.screen().find("4711"), std::string::npos) << field.screen();
  }
  const std::string shown = Script({"show", "alice", "1", "--reveal"}, "pw\n").out;
  EXPECT_NE(shown.find("\nOne-time-code secret: otpauth://totp/?secret=JBSWY3DPEHPK3PXP\n"), std::string::npos)
      << shown;
  EXPECT_NE(shown.find("\nProtected field PIN: 4711\n"), std::string::npos) << shown;
  EXPECT_NE(shown.find("\nNotes: first line\n  second\n"), std::string::npos) << shown;
}

TEST_F(CliAtATerminal, NoCoreDumpWhileAPasswordIsHeld) {
  TerminalRun create(Args({"create", "alice"}), temp_.Root());
  ASSERT_TRUE(create.Answer("Password: ", "typed\n"));
  ASSERT_TRUE(create.WaitFor("Confirm Password: "));
  std::string limits = ReadTextFile("/proc/" + std::to_string(create.pid()) + "/limits");
  size_t line = limits.find("Max core file size");
  ASSERT_NE(line, std::string::npos) << limits;
  std::istringstream fields(limits.substr(line + std::strlen("Max core file size")));
  std::string soft, hard;
  fields >> soft >> hard;
  EXPECT_EQ(soft, "0");
  EXPECT_EQ(hard, "0");
  create.Type("typed\n");
  EXPECT_EQ(create.Finish(), 0);
}

TEST_F(CliAtATerminal, MismatchedConfirmationCreatesNothing) {
  TerminalRun create(Args({"create", "bob"}), temp_.Root());
  ASSERT_TRUE(create.Answer("Password: ", "one\n"));
  ASSERT_TRUE(create.Answer("Confirm Password: ", "two\n"));
  EXPECT_TRUE(create.WaitFor("Passwords do not match"));
  EXPECT_EQ(create.Finish(), 2);
  EXPECT_NE(access(safes_.Path("bob.SAFE").c_str(), F_OK), 0);
}

TEST_F(CliAtATerminal, DeletionIsConfirmedOnTheTerminal) {
  ASSERT_EQ(Script({"create", "carol"}, "pw\n").status, 0);
  ASSERT_EQ(Script({"add", "carol", "d", "u"}, "pw\np\n").status, 0);
  struct Case {
    std::string answer;
    int status;
    std::string listed;
  };
  for (const Case& c : {Case{"\n", 1, "1\td\tu\n"}, Case{"no\n", 1, "1\td\tu\n"}, Case{"y\n", 0, ""}}) {
    TerminalRun rm(Args({"rm", "carol", "1"}), temp_.Root());
    ASSERT_TRUE(rm.Answer("Password: ", "pw\n"));
    ASSERT_TRUE(rm.Answer("PERMANENT DELETE: Are you sure you want to delete the selected items? [y/N] ", c.answer));
    EXPECT_EQ(rm.Finish(), c.status) << rm.screen();
    EXPECT_EQ(Script({"list", "carol"}, "pw\n").out, c.listed);
  }
}

}  // namespace
