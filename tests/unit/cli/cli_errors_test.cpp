#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "app/quillbox_messages.h"
#include "cli_process.h"
#include "tests/unit/safe/safe_test_dir.h"
#include "platform/executable_path.h"
#include "safe/safe_lock.h"
#include "safe/safe_store.h"

namespace {

const std::string kLongField(260, 'x');

// Every failure: its exit status, its one-line message, and a safe folder
// left exactly as it was.
class CliErrors : public ::testing::Test {
 protected:
  void SetUp() override {
    // Safes made in this process go where the binary will look.
    OverrideExecutablePath(safes_.Path("quillbox-cli").c_str());
    setenv("TMPDIR", temp_.Root().c_str(), 1);
    EntryList entries;
    AddLine(entries, "Bank\tjdoe\ts3cr3t!");
    ASSERT_TRUE(SaveSafe("alice", "pw", entries));
    EntryList malformed;
    AddLine(malformed, "four\tfields\tin\tline");
    ASSERT_TRUE(SaveSafe("garbled", "pw", malformed));
    ASSERT_TRUE(SaveSafe("truncated", "pw", entries));
    std::string bytes = ReadTextFile(safes_.Path("truncated.SAFE"));
    WriteTextFile(safes_.Path("truncated.SAFE"), bytes.substr(0, bytes.size() - 7));
    WriteTextFile(safes_.Path("bad-row.csv"), "Description,Username,Password\r\nok,u,p\r\n\"tab\there\",u,p\r\n");
    WriteTextFile(safes_.Path("crlf-row.csv"), "Description,Username,Password\r\n\"two\r\nlines\",u,p\r\n");
    WriteTextFile(safes_.Path("blank-row.csv"), "Description,Username,Password\r\n,,\r\n");
    WriteTextFile(safes_.Path("short-row.csv"), "Description,Username,Password\r\na,b\r\n");
    WriteTextFile(safes_.Path("no-header.csv"), "Bank,jdoe,pw\r\n");
    WriteTextFile(safes_.Path("open-quote.csv"), "Description,Username,Password\r\n\"a,b,c\r\n");
  }
  void TearDown() override {
    OverrideExecutablePath(nullptr);
    unsetenv("TMPDIR");
  }

  std::vector<std::pair<std::string, std::string>> FolderSnapshot() {
    std::vector<std::pair<std::string, std::string>> files;
    for (const auto& entry : std::filesystem::directory_iterator(safes_.Root())) {
      // Lock files stay once made; they are not part of any safe.
      if (entry.path().extension() == ".lock") continue;
      files.emplace_back(entry.path().filename().string(), ReadTextFile(entry.path().string()));
    }
    std::sort(files.begin(), files.end());
    return files;
  }

  ScratchDir safes_;
  ScratchDir temp_;
};

enum class Setup { kNone, kLocked, kReadOnlySafe, kNoPasswordStdin };

struct ErrorCase {
  std::vector<std::string> args;
  std::string input;
  int status;
  std::string message;
  Setup setup = Setup::kNone;
};

TEST_F(CliErrors, EachFailureHasItsStatusAndMessageAndChangesNothing) {
  const ErrorCase cases[] = {
      // Bad arguments and input.
      {{"frobnicate"}, "", 2, "unknown command frobnicate"},
      {{"show", "alice"}, "", 2, "usage: quillbox-cli show USER INDEX"},
      {{"list", "al_ice"}, "", 2, "Must use only a-z, A-Z and 0-9 for user name"},
      {{"list", std::string(30, 'a')}, "", 2, "User names cannot be longer than 29 characters."},
      {{"show", "alice", "2"}, "pw\n", 2, "there is no entry 2; the safe holds 1 entry"},
      {{"rm", "alice", "1", "7", "--yes"}, "pw\n", 2, "there is no entry 7"},
      {{"add", "alice", "tab\there", "u"}, "pw\np\n", 2, "Fields cannot contain tabs or line breaks."},
      {{"add", "alice", "d", "u"}, "pw\nline\rbreak\n", 2, "Fields cannot contain tabs or line breaks."},
      {{"add", "alice", kLongField, "u"}, "pw\np\n", 2, kEntryFieldTooLongMessage},
      {{"edit", "alice", "1", "--user", kLongField}, "pw\n", 2, kEntryFieldTooLongMessage},
      {{"add", "alice", "", ""}, "pw\n\n", 2, "All fields cannot be blank."},
      {{"edit", "alice", "1", "--description=", "--user=", "--password"}, "pw\n\n", 2, "All fields cannot be blank."},
      {{"list", "alice"}, "", 2, "standard input ended before a password was read"},
      {{"list", "alice"},
       "",
       2,
       "no terminal to ask for the password on; use --password-stdin",
       Setup::kNoPasswordStdin},
      {{"list", "alice"}, std::string(300, 'p') + "\n", 2, kPasswordTooLongMessage},
      {{"create", "carol"}, "\n", 2, "You must enter a password"},
      {{"import", "alice", "bad-row.csv"},
       "pw\n",
       2,
       "bad-row.csv: line 3: Fields cannot contain tabs or line breaks."},
      {{"import", "alice", "crlf-row.csv"},
       "pw\n",
       2,
       "crlf-row.csv: line 2: Fields cannot contain tabs or line breaks."},
      {{"import", "alice", "blank-row.csv"}, "pw\n", 2, "blank-row.csv: line 2: All fields cannot be blank."},
      {{"import", "alice", "short-row.csv"},
       "pw\n",
       2,
       "short-row.csv: line 2: malformed row: 2 fields where the header has 3"},
      {{"import", "alice", "no-header.csv"}, "pw\n", 2, "the first line must be Description,Username,Password"},
      {{"import", "alice", "open-quote.csv"}, "pw\n", 2, "open-quote.csv: line 2: a quoted field is not closed"},
      {{"import", "alice", "missing.csv"}, "pw\n", 2, "missing.csv: No such file or directory"},
      {{"import", "alice", "-"}, "pw\n", 2, "cannot be combined with --password-stdin"},
      // Missing safe, wrong password, damaged safe.
      {{"list", "bob"}, "pw\n", 3, "User name could not be found. Please re-check user name or create a new user."},
      {{"passwd", "bob"}, "pw\nnew\n", 3, "User name could not be found."},
      {{"list", "alice"}, "PW\n", 4, "User could not be logged on. Please re-check password"},
      {{"add", "alice", "d", "u"}, "PW\np\n", 4, "User could not be logged on. Please re-check password"},
      {{"import", "alice", "no-header.csv"}, "PW\n", 2, "the first line must be"},
      {{"passwd", "alice"}, "PW\nnew\n", 4, "Old password incorrect. Please re-rcheck password"},
      {{"list", "garbled"}, "pw\n", 5, "The safe file is damaged"},
      {{"rm", "garbled", "1", "--yes"}, "pw\n", 5, "The safe file is damaged"},
      {{"show", "truncated", "1"}, "pw\n", 5, "The safe file is damaged"},
      // Another save holds the safe's lock past the short wait.
      {{"add", "alice", "d", "u"},
       "pw\np\n",
       6,
       "This safe is being saved by another program. Please try again.",
       Setup::kLocked},
      {{"passwd", "alice"},
       "pw\nnew\n",
       6,
       "This safe is being saved by another program. Please try again.",
       Setup::kLocked},
      {{"import", "alice", "lf.csv"},
       "pw\n",
       6,
       "This safe is being saved by another program. Please try again.",
       Setup::kLocked},
      {{"create", "alice", "--force"},
       "",
       6,
       "This safe is being saved by another program. Please try again.",
       Setup::kLocked},
      // Other failures.
      {{"create", "alice"}, "pw\n", 1, "a safe for alice already exists; --force replaces it with an empty one"},
      {{"rm", "alice", "1"}, "pw\n", 1, "nothing was deleted; --yes confirms the deletion"},
      {{"add", "alice", "d", "u"}, "pw\np\n", 1, "The safe could not be saved", Setup::kReadOnlySafe},
      {{"passwd", "alice"}, "pw\nnew\n", 1, "The new password could not be saved", Setup::kReadOnlySafe},
      {{"import", "alice", "lf.csv"}, "pw\n", 1, "The safe could not be saved", Setup::kReadOnlySafe},
  };
  WriteTextFile(safes_.Path("lf.csv"), "Description,Username,Password\nd,u,p\n");
  for (const ErrorCase& c : cases) {
    SCOPED_TRACE(c.args[0] + " " + (c.args.size() > 1 ? c.args[1] : "") + ": " + c.message);
    SafeLock lock;
    if (c.setup == Setup::kLocked) {
      ASSERT_EQ(lock.Acquire("alice"), SafeLock::Result::kAcquired);
    }
    if (c.setup == Setup::kReadOnlySafe) chmod(safes_.Path("alice.SAFE").c_str(), 0400);
    auto before = FolderSnapshot();

    std::vector<std::string> args = {"--dir", safes_.Root()};
    if (c.setup != Setup::kNoPasswordStdin) args.push_back("--password-stdin");
    for (const std::string& arg : c.args) {
      // Relative CSV names are resolved in the safe folder for the test.
      args.push_back(arg.ends_with(".csv") ? safes_.Path(arg) : arg);
    }
    CliResult result = RunCliProcess(args, c.input, temp_.Root());

    EXPECT_EQ(result.status, c.status) << result.err;
    EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
    EXPECT_TRUE(result.err.starts_with("quillbox-cli: ")) << result.err;
    EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << "one line: " << result.err;
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(FolderSnapshot(), before);
    chmod(safes_.Path("alice.SAFE").c_str(), 0600);
  }
}

// Every command that opens a safe ends with the status of why it could not:
// a missing user, a wrong password, a damaged safe, a folder that is not there.
TEST_F(CliErrors, EveryCommandOnASafeEndsWithItsFailuresStatus) {
  struct Command {
    std::vector<std::string> args;  // USER stands for the user
    std::string input_after_password;
    bool asks_password = true;
  };
  const Command commands[] = {
      {{"list", "USER"}, ""},
      {{"show", "USER", "1"}, ""},
      {{"totp", "USER", "1"}, ""},
      {{"clip", "USER", "1"}, ""},
      {{"add", "USER", "d", "u"}, "p\n"},
      {{"edit", "USER", "1", "--user", "x"}, ""},
      {{"rm", "USER", "1", "--yes"}, ""},
      {{"passwd", "USER"}, "new\n"},
      {{"export", "USER", temp_.Path("out.csv")}, ""},
      {{"import", "USER", safes_.Path("lf.csv")}, ""},
      {{"merge", "USER"}, ""},
      {{"upgrade", "USER"}, ""},
      {{"info", "USER"}, "", false},
  };
  struct Failure {
    const char* name;
    std::string user;
    std::string password;
    int status;
    bool needs_password;  // only a command that opens the safe can fail so
    bool missing_folder = false;
  };
  const Failure failures[] = {
      {"missing user", "bob", "pw\n", 3, false},
      {"wrong password", "alice", "PW\n", 4, true},
      {"damaged safe", "truncated", "pw\n", 5, true},  // info reads a legacy safe's header only
      {"no such safe folder", "alice", "pw\n", 2, false, true},
  };
  WriteTextFile(safes_.Path("lf.csv"), "Description,Username,Password\nd,u,p\n");
  for (const Command& command : commands) {
    for (const Failure& failure : failures) {
      if (failure.needs_password && !command.asks_password) continue;
      SCOPED_TRACE(command.args[0] + ": " + failure.name);
      auto before = FolderSnapshot();
      std::vector<std::string> args = {"--dir", failure.missing_folder ? safes_.Path("gone") : safes_.Root(),
                                       "--password-stdin"};
      for (const std::string& arg : command.args) args.push_back(arg == "USER" ? failure.user : arg);
      CliResult result = RunCliProcess(args, failure.password + command.input_after_password, temp_.Root());
      // clip needs a graphical session first; without one it ends with 1.
      if (command.args[0] == "clip" && result.err.find("no clipboard") != std::string::npos) {
        EXPECT_EQ(result.status, 1);
      } else {
        EXPECT_EQ(result.status, failure.status) << result.err;
      }
      EXPECT_TRUE(result.err.starts_with("quillbox-cli: ")) << result.err;
      EXPECT_EQ(FolderSnapshot(), before);
      EXPECT_FALSE(std::filesystem::exists(temp_.Path("out.csv")));
    }
  }
}

TEST_F(CliErrors, ReadingStillWorksWhileAnotherSaveHoldsTheLock) {
  SafeLock lock;
  ASSERT_EQ(lock.Acquire("alice"), SafeLock::Result::kAcquired);
  std::vector<std::string> dir = {"--dir", safes_.Root(), "--password-stdin"};
  auto run = [&](std::vector<std::string> args) {
    args.insert(args.begin(), dir.begin(), dir.end());
    return RunCliProcess(args, "pw\n", temp_.Root());
  };
  EXPECT_EQ(run({"list", "alice"}).out, "1\tBank\tjdoe\n");
  EXPECT_EQ(run({"show", "alice", "1"}).out, "Description: Bank\nUsername: jdoe\nPassword: s3cr3t!\n");
  EXPECT_EQ(run({"export", "alice"}).out, "Description,Username,Password\r\nBank,jdoe,s3cr3t!\r\n");
}

TEST_F(CliErrors, ForcedCreateReplacesTheSafeWithAnEmptyOne) {
  std::vector<std::string> args = {"--dir", safes_.Root(), "--password-stdin", "create", "alice", "--force"};
  CliResult created = RunCliProcess(args, "fresh\n", temp_.Root());
  EXPECT_EQ(created.status, 0) << created.err;
  EntryList entries;
  EXPECT_FALSE(LoadSafe("alice", "pw", entries));
  EXPECT_TRUE(LoadSafe("alice", "fresh", entries));
  EXPECT_EQ(entries.entries.size(), 0u);
}

}  // namespace
