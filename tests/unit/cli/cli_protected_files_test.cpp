// Files another program protects with a password (and perhaps a key file),
// imported and exported through the real binary: the safe's password is
// asked first, then the file's.
#include <gtest/gtest.h>
#include <unistd.h>

#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "cli_process.h"

namespace {

constexpr char kFilePassword[] = "fixture-export-password";

std::string Fixture(const std::string& name) { return QUILLBOX_TEST_DATA_DIR "/interchange/" + name; }

// A listing's lines without their indexes, sorted.
std::multiset<std::string> Entries(const std::string& listing) {
  std::multiset<std::string> entries;
  std::istringstream lines(listing);
  for (std::string line; std::getline(lines, line);) entries.insert(line.substr(line.find('\t') + 1));
  return entries;
}

class CliProtectedFiles : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(Run({"create", "alice"}, "pw\n").status, 0); }

  CliResult Run(std::vector<std::string> args, const std::string& input) {
    args.insert(args.begin(), {"--dir", safes_.Root(), "--password-stdin"});
    return RunCliProcess(args, input, temp_.Root());
  }
  std::string List() { return Run({"list", "alice"}, "pw\n").out; }
  std::string SafeBytes() { return ReadTextFile(safes_.Path("alice.SAFE")); }

  ScratchDir safes_;
  ScratchDir temp_;
};

TEST_F(CliProtectedFiles, AProtectedBitwardenExportImportsAsThePlainOneAfterBothPasswords) {
  const std::string protected_file = Fixture("bitwarden-protected-argon2id.json");
  const std::string before = SafeBytes();
  CliResult dry = Run({"import", "--dry-run", "alice", protected_file}, std::string("pw\n") + kFilePassword + "\n");
  EXPECT_EQ(dry.status, 0) << dry.err;
  EXPECT_NE(dry.out.find("4 entries read as bitwarden-json.\n4 new entries to import.\n"), std::string::npos)
      << dry.out;
  EXPECT_EQ(SafeBytes(), before);

  CliResult imported = Run({"import", "alice", protected_file}, std::string("pw\n") + kFilePassword + "\n");
  EXPECT_EQ(imported.status, 0) << imported.err;
  EXPECT_EQ(imported.err, "");
  const std::string listing = List();
  ASSERT_EQ(Run({"create", "--force", "bob"}, "bobpw\n").status, 0);
  CliResult plain = Run({"import", "bob", Fixture("bitwarden.json")}, "bobpw\n");
  EXPECT_EQ(imported.out, plain.out);
  EXPECT_EQ(Run({"list", "bob"}, "bobpw\n").out, listing);
}

TEST_F(CliProtectedFiles, AnythingButTheRightPasswordsLeavesTheSafeByteIdentical) {
  const std::string file = Fixture("bitwarden-protected-pbkdf2.json");
  const std::string before = SafeBytes();
  const struct {
    const char* what;
    std::vector<std::string> args;
    std::string input;
    int status;
    std::string error;
  } cases[] = {
      {"wrong file password",
       {"import", "alice", file},
       "pw\nnot-it\n",
       2,
       file + ": the file's password is wrong; nothing was imported"},
      // The safe's password is asked first: a wrong one ends the run there.
      {"wrong safe password", {"import", "alice", file}, std::string("nope\n") + kFilePassword + "\n", 4, ""},
      {"no file password", {"import", "alice", file}, "pw\n", 2, "standard input ended before a password was read"},
      {"key file for a format without one",
       {"import", "--key-file", file, "alice", file},
       "",
       2,
       "bitwarden-json takes no key file"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    CliResult result = Run(c.args, c.input);
    EXPECT_EQ(result.status, c.status) << result.err;
    EXPECT_NE(result.err.find(c.error), std::string::npos) << result.err;
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(SafeBytes(), before);
  }
}

TEST_F(CliProtectedFiles, AKeyFileIsRefusedForAnExportFormatWithoutOne) {
  const std::string key = safes_.Path("key");
  WriteTextFile(key, "key");
  CliResult result = Run({"export", "--format", "bitwarden-json", "--key-file", key, "alice", safes_.Path("out")}, "");
  EXPECT_EQ(result.status, 2);
  EXPECT_NE(result.err.find("bitwarden-json takes no key file"), std::string::npos) << result.err;
  EXPECT_EQ(access(safes_.Path("out").c_str(), F_OK), -1);
}

// The test program writes databases with cheap Argon2id, as it makes safes.
TEST_F(CliProtectedFiles, AKdbxExportOpensOnlyWithItsPasswordAndKeyFile) {
  ASSERT_EQ(Run({"import", "alice", Fixture("bitwarden.json")}, "pw\n").status, 0);
  const std::string listing = List();
  const std::string key = safes_.Path("db.key");
  WriteTextFile(key, "a key file of any content");
  const std::string database = safes_.Path("out.kdbx");
  CliResult exported = Run({"export", "--format", "kdbx", "--key-file", key, "alice", database}, "pw\ndbpw\n");
  ASSERT_EQ(exported.status, 0) << exported.err;
  EXPECT_EQ(exported.err, "") << "no plain-text warning";
  EXPECT_EQ(FileMode(database) & 0777, 0600u);
  EXPECT_EQ(Run({"export", "--format", "kdbx", "--key-file", key, "alice", database}, "pw\ndbpw\n").status, 1);

  ASSERT_EQ(Run({"create", "--force", "bob"}, "bobpw\n").status, 0);
  const std::string before = ReadTextFile(safes_.Path("bob.SAFE"));
  const struct {
    const char* what;
    std::vector<std::string> args;
    std::string input;
    const char* error;
  } refused[] = {
      {"wrong password",
       {"import", "--key-file", key, "bob", database},
       "bobpw\nnope\n",
       "the database's password or key file is wrong"},
      {"no key file", {"import", "bob", database}, "bobpw\ndbpw\n", "the database's password or key file is wrong"},
      {"another key file",
       {"import", "--key-file", Fixture("bitwarden.json"), "bob", database},
       "bobpw\ndbpw\n",
       "the database's password or key file is wrong"},
      {"missing key file",
       {"import", "--key-file", safes_.Path("gone.key"), "bob", database},
       "bobpw\ndbpw\n",
       "No such file or directory"},
  };
  for (const auto& c : refused) {
    SCOPED_TRACE(c.what);
    CliResult result = Run(c.args, c.input);
    EXPECT_EQ(result.status, 2) << result.err;
    EXPECT_NE(result.err.find(c.error), std::string::npos) << result.err;
    EXPECT_EQ(ReadTextFile(safes_.Path("bob.SAFE")), before);
  }
  CliResult dry = Run({"import", "--dry-run", "--key-file", key, "bob", database}, "bobpw\ndbpw\n");
  EXPECT_EQ(dry.status, 0) << dry.err;
  EXPECT_NE(dry.out.find("entries read as kdbx.\n4 new entries to import.\n"), std::string::npos) << dry.out;
  EXPECT_EQ(ReadTextFile(safes_.Path("bob.SAFE")), before);
  CliResult imported = Run({"import", "--key-file", key, "bob", database}, "bobpw\ndbpw\n");
  EXPECT_EQ(imported.status, 0) << imported.err;
  // A database holds its entries group by group.
  EXPECT_EQ(Entries(Run({"list", "bob"}, "bobpw\n").out), Entries(listing));
}

TEST_F(CliProtectedFiles, AnEmptyDatabasePasswordNeedsAKeyFile) {
  const std::string database = safes_.Path("empty.kdbx");
  CliResult refused = Run({"export", "--format", "kdbx", "alice", database}, "pw\n\n");
  EXPECT_EQ(refused.status, 2);
  EXPECT_EQ(refused.err, "quillbox-cli: An empty password needs a key file.\n");
  EXPECT_EQ(access(database.c_str(), F_OK), -1);

  const std::string key = safes_.Path("db.key");
  WriteTextFile(key, "key");
  ASSERT_EQ(Run({"export", "--format", "kdbx", "--key-file", key, "alice", database}, "pw\n\n").status, 0);
  CliResult dry = Run({"import", "--dry-run", "--key-file", key, "alice", database}, "pw\n\n");
  EXPECT_EQ(dry.status, 0) << dry.err;
  EXPECT_NE(dry.out.find("0 entries read as kdbx."), std::string::npos) << dry.out;
}

}  // namespace
