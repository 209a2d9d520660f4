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
  EXPECT_EQ(add.arguments.command, "add");
  EXPECT_EQ(add.arguments.dir, "/safes");
  EXPECT_TRUE(add.arguments.password_stdin);
  EXPECT_EQ(add.arguments.user, "alice");
  EXPECT_EQ(add.arguments.description, "Bank");
  EXPECT_EQ(add.arguments.account_user, "jdoe");

  Parsed rm = Parse({"rm", "alice", "3", "1", "--yes", "12"});
  ASSERT_TRUE(rm.ok) << rm.error;
  EXPECT_EQ(rm.arguments.command, "rm");
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

  Parsed generate = Parse({"generate", "--length=8", "--no-symbols", "--count", "3", "--no-lookalikes"});
  ASSERT_TRUE(generate.ok) << generate.error;
  EXPECT_EQ(generate.arguments.command, "generate");
  EXPECT_EQ(generate.arguments.length, 8);
  EXPECT_EQ(generate.arguments.count, 3);
  EXPECT_TRUE(generate.arguments.no_symbols);
  EXPECT_TRUE(generate.arguments.no_lookalikes);
  Parsed defaults = Parse({"generate"});
  ASSERT_TRUE(defaults.ok) << defaults.error;
  EXPECT_EQ(defaults.arguments.length, 20);
  EXPECT_EQ(defaults.arguments.count, 1);

  Parsed clip = Parse({"clip", "alice", "2", "--user-name"});
  ASSERT_TRUE(clip.ok) << clip.error;
  EXPECT_EQ(clip.arguments.command, "clip");
  EXPECT_EQ(clip.arguments.indexes, std::vector<size_t>{2});
  EXPECT_TRUE(clip.arguments.clip_user_name);
  EXPECT_EQ(import.arguments.format, "");
  EXPECT_FALSE(import.arguments.skip_invalid || import.arguments.dry_run);

  Parsed options = Parse({"import", "--format", "keepass-xml", "--skip-invalid", "alice", "--dry-run", "db.xml"});
  ASSERT_TRUE(options.ok) << options.error;
  EXPECT_EQ(options.arguments.format, "keepass-xml");
  EXPECT_TRUE(options.arguments.skip_invalid && options.arguments.dry_run);
  EXPECT_EQ(options.arguments.file, "db.xml");

  Parsed to_stdout = Parse({"export", "alice"});
  ASSERT_TRUE(to_stdout.ok) << to_stdout.error;
  EXPECT_EQ(to_stdout.arguments.file, "");
  Parsed to_file = Parse({"export", "--format=bitwarden-json", "--force", "alice", "vault.json"});
  ASSERT_TRUE(to_file.ok) << to_file.error;
  EXPECT_EQ(to_file.arguments.format, "bitwarden-json");
  EXPECT_TRUE(to_file.arguments.force);
  EXPECT_EQ(to_file.arguments.file, "vault.json");
}

TEST(CliArguments, ReadsTheEntryFieldOptions) {
  Parsed edit = Parse({"edit", "alice", "2", "--url=https://a.example", "--tag", "Work/VPN", "--untag", "old",
                       "--tag=home", "--notes", "--totp"});
  ASSERT_TRUE(edit.ok) << edit.error;
  EXPECT_TRUE(edit.arguments.edit_url);
  EXPECT_EQ(edit.arguments.url, "https://a.example");
  EXPECT_EQ(edit.arguments.tags, (std::vector<std::string>{"Work/VPN", "home"}));
  EXPECT_EQ(edit.arguments.untags, std::vector<std::string>{"old"});
  EXPECT_TRUE(edit.arguments.read_notes && edit.arguments.read_totp);
  // An empty web address is one: it clears the entry's.
  Parsed clear = Parse({"edit", "alice", "2", "--url="});
  ASSERT_TRUE(clear.ok) << clear.error;
  EXPECT_TRUE(clear.arguments.edit_url);

  Parsed field = Parse({"field", "alice", "3", "PIN", "--protected"});
  ASSERT_TRUE(field.ok) << field.error;
  EXPECT_EQ(field.arguments.indexes, std::vector<size_t>{3});
  EXPECT_EQ(field.arguments.field_name, "PIN");
  EXPECT_TRUE(field.arguments.field_protected);
  EXPECT_FALSE(field.arguments.field_delete);

  Parsed list = Parse({"list", "alice", "--long", "--tag", "a", "--tag", "b"});
  ASSERT_TRUE(list.ok) << list.error;
  EXPECT_TRUE(list.arguments.long_listing);
  EXPECT_EQ(list.arguments.tags, (std::vector<std::string>{"a", "b"}));

  Parsed show = Parse({"show", "alice", "1", "--reveal"});
  ASSERT_TRUE(show.ok) << show.error;
  EXPECT_TRUE(show.arguments.reveal);
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
    EXPECT_EQ(parsed.arguments.command, "help");
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
      {{"export", "alice", "--dry-run"}, "option not used by export"},
      {{"import", "alice", "f.csv", "--force"}, "option not used by import"},
      {{"list", "alice", "--format", "x"}, "option not used by list"},
      {{"import", "alice", "f.csv", "--format"}, "option --format needs a value"},
      {{"export", "alice", "a", "b"}, "usage: quillbox-cli export USER [FILE] [--force] [--format NAME]"},
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
      {{"generate", "--length", "7"}, "--length takes a number from 8 to 128"},
      {{"generate", "--length=129"}, "--length takes a number from 8 to 128"},
      {{"generate", "--count=0"}, "--count takes a number from 1 to 1000"},
      {{"generate", "alice"}, "usage: quillbox-cli generate"},
      {{"show", "alice", "1", "--no-symbols"}, "option not used by show"},
      {{"clip", "alice"}, "usage: quillbox-cli clip USER INDEX"},
      {{"show", "alice", "1", "--user-name"}, "option not used by show"},
      {{"add", "alice", "a", "b", "--untag", "x"}, "option not used by add"},
      {{"add", "alice", "a", "b", "--tag="}, "a tag cannot be empty"},
      {{"edit", "alice", "1", "--untag", ""}, "a tag cannot be empty"},
      {{"add", "alice", "a", "b", "--notes=x"}, "--notes takes no value"},
      {{"add", "alice", "a", "b", "--totp=JBSWY3DPEHPK3PXP"}, "--totp takes no value"},
      {{"field", "alice", "1"}, "usage: quillbox-cli field USER INDEX NAME [--protected] [--delete]"},
      {{"totp", "alice", "1", "--reveal"}, "option not used by totp"},
      {{"list", "alice", "--reveal"}, "option not used by list"},
      {{"show", "alice", "1", "--long"}, "option not used by show"},
  };
  for (const Case& c : cases) {
    Parsed parsed = Parse(c.args);
    EXPECT_FALSE(parsed.ok) << c.error_part;
    EXPECT_NE(parsed.error.find(c.error_part), std::string::npos) << parsed.error;
    EXPECT_EQ(parsed.error.find('\n'), std::string::npos);
  }
}

}  // namespace
