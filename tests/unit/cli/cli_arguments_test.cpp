#include "cli/cli_arguments.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Parsed {
  bool ok;
  CliArguments arguments;
  std::string error;
};

Parsed Parse(std::vector<const char*> args) {
  args.insert(args.begin(), "quillbox-cli");
  Parsed parsed;
  parsed.ok = ParseCliArguments(static_cast<int>(args.size()), args.data(), &parsed.arguments, &parsed.error);
  return parsed;
}

TEST(CliArguments, ReadsEachCommandsOperands) {
  Parsed add = Parse({"--dir", "/safes", "add", "alice", "Bank", "jdoe", "--password-stdin"});
  ASSERT_TRUE(add.ok) << add.error;
  EXPECT_EQ(add.arguments.command, CliCommand::kAdd);
  EXPECT_EQ(add.arguments.dir, "/safes");
  EXPECT_TRUE(add.arguments.password_stdin);
  EXPECT_EQ(add.arguments.user, "alice");
  EXPECT_EQ(add.arguments.description, "Bank");
  EXPECT_EQ(add.arguments.account_user, "jdoe");

  Parsed rm = Parse({"rm", "alice", "3", "1", "--yes", "12"});
  ASSERT_TRUE(rm.ok) << rm.error;
  EXPECT_EQ(rm.arguments.command, CliCommand::kRemove);
  EXPECT_TRUE(rm.arguments.yes);
  EXPECT_EQ(rm.arguments.indexes, (std::vector<size_t>{3, 1, 12}));

  Parsed edit = Parse({"edit", "--dir=/d", "alice", "2", "--user=bob", "--password"});
  ASSERT_TRUE(edit.ok) << edit.error;
  EXPECT_EQ(edit.arguments.dir, "/d");
  EXPECT_EQ(edit.arguments.indexes, std::vector<size_t>{2});
  EXPECT_FALSE(edit.arguments.edit_description);
  EXPECT_TRUE(edit.arguments.edit_account_user);
  EXPECT_EQ(edit.arguments.account_user, "bob");
  EXPECT_TRUE(edit.arguments.edit_password);

  Parsed import = Parse({"import", "alice", "rows.csv"});
  ASSERT_TRUE(import.ok) << import.error;
  EXPECT_EQ(import.arguments.file, "rows.csv");
}

TEST(CliArguments, DoubleDashLetsOperandsStartWithADash) {
  Parsed add = Parse({"add", "alice", "--", "-minus-", "--yes"});
  ASSERT_TRUE(add.ok) << add.error;
  EXPECT_EQ(add.arguments.description, "-minus-");
  EXPECT_EQ(add.arguments.account_user, "--yes");
  EXPECT_FALSE(add.arguments.yes);
}

TEST(CliArguments, HelpWinsOverEverythingElse) {
  for (auto args : {std::vector<const char*>{"--help"}, {"show", "-h"}, {"help"}, {"bogus", "--help"}}) {
    Parsed parsed = Parse(args);
    EXPECT_TRUE(parsed.ok) << args[0];
    EXPECT_EQ(parsed.arguments.command, CliCommand::kHelp);
  }
}

TEST(CliArguments, RefusesMalformedCommandLines) {
  struct Case {
    std::vector<const char*> args;
    const char* error_part;
  };
  const Case cases[] = {
      {{}, "no command"},
      {{"frobnicate", "alice"}, "unknown command frobnicate"},
      {{"list"}, "usage: quillbox-cli list USER"},
      {{"list", "alice", "extra"}, "usage: quillbox-cli list USER"},
      {{"add", "alice", "Bank"}, "usage: quillbox-cli add"},
      {{"rm", "alice"}, "usage: quillbox-cli rm"},
      {{"show", "alice", "0"}, "invalid index 0"},
      {{"show", "alice", "x1"}, "invalid index x1"},
      {{"rm", "alice", "1", "+2"}, "invalid index +2"},
      {{"show", "alice", "99999999999999999999"}, "invalid index"},
      {{"edit", "alice", "1"}, "nothing to change"},
      {{"list", "alice", "--force"}, "option not used by list"},
      {{"create", "alice", "--yes"}, "option not used by create"},
      {{"add", "alice", "a", "b", "--password"}, "option not used by add"},
      {{"list", "alice", "--dir"}, "--dir needs a value"},
      {{"list", "alice", "--force=1"}, "--force takes no value"},
      {{"list", "alice", "--verbose"}, "unknown option --verbose"},
  };
  for (const Case& c : cases) {
    Parsed parsed = Parse(c.args);
    EXPECT_FALSE(parsed.ok) << c.error_part;
    EXPECT_NE(parsed.error.find(c.error_part), std::string::npos) << parsed.error;
    EXPECT_EQ(parsed.error.find('\n'), std::string::npos);
  }
}

}  // namespace
