#include "cli/line_reader.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <string>

namespace {

// Feeds text through a pipe and reads lines from its other end.
class PipeInput {
 public:
  explicit PipeInput(const std::string& text) {
    EXPECT_EQ(pipe(fds_), 0);
    EXPECT_EQ(write(fds_[1], text.data(), text.size()), static_cast<ssize_t>(text.size()));
    close(fds_[1]);
  }
  ~PipeInput() { close(fds_[0]); }
  int fd() const { return fds_[0]; }

 private:
  int fds_[2];
};

TEST(ReadSecretLine, TakesOneLineAtATime) {
  struct Case {
    std::string input;
    LineResult first;
    std::string first_line;
    LineResult second;
    std::string second_line;
  };
  const std::string longest(TypedSecret::kMaxLength, 'p');
  const Case cases[] = {
      {"one\ntwo\n", LineResult::kOk, "one", LineResult::kOk, "two"},
      {"crlf\r\nlast", LineResult::kOk, "crlf", LineResult::kOk, "last"},
      {"\n\n", LineResult::kOk, "", LineResult::kOk, ""},
      {"", LineResult::kEndOfInput, "", LineResult::kEndOfInput, ""},
      {longest + "\nnext\n", LineResult::kOk, longest, LineResult::kOk, "next"},
      {longest + "x\nnext\n", LineResult::kTooLong, "", LineResult::kOk, "next"},
  };
  for (const Case& c : cases) {
    PipeInput input(c.input);
    TypedSecret line;
    EXPECT_EQ(ReadSecretLine(input.fd(), &line), c.first) << c.input;
    EXPECT_EQ(line.c_str(), c.first_line);
    EXPECT_EQ(ReadSecretLine(input.fd(), &line), c.second) << c.input;
    EXPECT_EQ(line.c_str(), c.second_line);
  }
}

TEST(ReadSecretLine, TakesLinesUpToTheSecretsOwnLimit) {
  const std::string longest(2 * TypedSecret::kMaxLength, 'p');
  PipeInput input(longest + "\n" + longest + "x\nnext\n");
  TypedSecret line(longest.size());
  EXPECT_EQ(ReadSecretLine(input.fd(), &line), LineResult::kOk);
  EXPECT_EQ(line.view(), longest);
  EXPECT_EQ(ReadSecretLine(input.fd(), &line), LineResult::kTooLong);
  EXPECT_EQ(ReadSecretLine(input.fd(), &line), LineResult::kOk);
  EXPECT_EQ(line.view(), "next");
}

// Text of many lines to the end of input, up to the secret's limit (4 here)
// not counting the final line break.
TEST(ReadSecretRest, TakesAllToTheEndButTheFinalLineBreak) {
  struct Case {
    std::string input;
    LineResult result;
    std::string text;
  };
  const Case cases[] = {
      {"", LineResult::kOk, ""},
      {"\n", LineResult::kOk, ""},
      {"a\nb", LineResult::kOk, "a\nb"},
      {"a\nb\n", LineResult::kOk, "a\nb"},
      {"a\r\nb\r\n", LineResult::kOk, "a\r\nb"},
      {"a\n\n", LineResult::kOk, "a\n"},
      {"abc\r", LineResult::kOk, "abc\r"},
      {"abcd", LineResult::kOk, "abcd"},
      {"abcd\n", LineResult::kOk, "abcd"},
      {"abcd\r\n", LineResult::kOk, "abcd"},
      {"abc\r\n", LineResult::kOk, "abc"},
      {"abcde", LineResult::kTooLong, ""},
      {"abcd\r", LineResult::kTooLong, ""},
      {"abcd\n\n", LineResult::kTooLong, ""},
      {"abcd\nx", LineResult::kTooLong, ""},
  };
  for (const Case& c : cases) {
    PipeInput input(c.input);
    TypedSecret text(4);
    EXPECT_EQ(ReadSecretRest(input.fd(), &text), c.result) << c.input;
    EXPECT_EQ(text.view(), c.text) << c.input;
  }
}

// A pseudo-terminal: the test types on the master side while a child
// process reads the slave side as its terminal.
class PseudoTerminal : public ::testing::Test {
 protected:
  void SetUp() override {
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master_, 0);
    ASSERT_EQ(grantpt(master_), 0);
    ASSERT_EQ(unlockpt(master_), 0);
    slave_ = open(ptsname(master_), O_RDWR | O_NOCTTY);
    ASSERT_GE(slave_, 0);
  }
  void TearDown() override {
    close(slave_);
    close(master_);
  }

  // The child reads one hidden line and exits 0 when it is expected_line.
  pid_t StartReader(const char* expected_line) {
    pid_t pid = fork();
    if (pid == 0) {
      setpgid(0, 0);  // a group of its own that a stop signal can stop
      TypedSecret line;
      LineResult result = ReadHiddenLine(slave_, "Password: ", &line);
      _exit(result == LineResult::kOk && std::string(line.c_str()) == expected_line ? 0 : 1);
    }
    return pid;
  }

  bool Echoing() {
    termios settings;
    EXPECT_EQ(tcgetattr(slave_, &settings), 0);
    return (settings.c_lflag & ECHO) != 0;
  }

  // Waits (bounded) until the terminal's echo is as wanted.
  bool WaitForEcho(bool wanted) {
    for (int i = 0; i < 500; ++i) {
      if (Echoing() == wanted) return true;
      usleep(10000);
    }
    return false;
  }

  std::string ReadScreen() {
    std::string screen;
    pollfd p{master_, POLLIN, 0};
    char buffer[256];
    while (poll(&p, 1, 200) > 0) {
      ssize_t n = read(master_, buffer, sizeof(buffer));
      if (n <= 0) break;
      screen.append(buffer, static_cast<size_t>(n));
    }
    return screen;
  }

  void Type(const std::string& text) {
    ASSERT_EQ(write(master_, text.data(), text.size()), static_cast<ssize_t>(text.size()));
  }

  int master_ = -1;
  int slave_ = -1;
};

TEST_F(PseudoTerminal, ReadsWithoutEchoAndRestoresTheTerminal) {
  ASSERT_TRUE(Echoing());
  pid_t child = StartReader("s3cr3t!");
  ASSERT_TRUE(WaitForEcho(false));
  Type("s3cr3t!\n");
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_TRUE(Echoing());
  std::string screen = ReadScreen();
  EXPECT_NE(screen.find("Password: "), std::string::npos);
  EXPECT_EQ(screen.find("s3cr3t"), std::string::npos) << screen;
}

TEST_F(PseudoTerminal, TerminatingSignalRestoresEchoAndStillEndsTheProcess) {
  for (int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
    pid_t child = StartReader("never typed");
    ASSERT_TRUE(WaitForEcho(false));
    kill(child, signal_number);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), signal_number);
    EXPECT_TRUE(Echoing()) << strsignal(signal_number);
  }
}

TEST_F(PseudoTerminal, StopShowsEchoAndContinueHidesItAgain) {
  pid_t child = StartReader("after stop");
  ASSERT_TRUE(WaitForEcho(false));
  kill(child, SIGTSTP);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, WUNTRACED), child);
  ASSERT_TRUE(WIFSTOPPED(status));
  EXPECT_TRUE(Echoing());
  kill(child, SIGCONT);
  ASSERT_TRUE(WaitForEcho(false));
  Type("after stop\n");
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_TRUE(Echoing());
}

}  // namespace
