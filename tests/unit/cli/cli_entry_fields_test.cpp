// The entry fields beyond the designed three, through the real binary: the
// options of add and edit, field, show, list and totp.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <time.h>

#include <iterator>
#include <regex>
#include <string>
#include <vector>

#include "app/quillbox_messages.h"
#include "cli_process.h"
#include "safe/entry.h"
#include "safe/entry_field_rules.h"
#include "safe/one_time_code.h"

namespace {

// A message as printed: on one line.
std::string Message(std::string text) {
  for (size_t at; (at = text.find("\r\n")) != std::string::npos;) text.replace(at, 2, " ");
  return "quillbox-cli: " + text + "\n";
}

// Each UTC time in ISO 8601 from start until shortly after now becomes
// "NOW" (changes within one second move modified on by a second each); any
// other stays as it is, so a wrong time shows in the comparison.
std::string MarkTimesOfNow(const std::string& text, time_t start) {
  static const std::regex kIsoTime(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ)");
  std::string marked;
  auto end = std::sregex_iterator();
  size_t copied = 0;
  for (auto match = std::sregex_iterator(text.begin(), text.end(), kIsoTime); match != end; ++match) {
    struct tm parts = {};
    strptime(match->str().c_str(), "%Y-%m-%dT%H:%M:%SZ", &parts);
    time_t when = timegm(&parts);
    marked += text.substr(copied, match->position() - copied);
    marked += when >= start && when <= time(nullptr) + 10 ? "NOW" : match->str();
    copied = match->position() + match->length();
  }
  return marked + text.substr(copied);
}

class CliEntryFields : public ::testing::Test {
 protected:
  void SetUp() override {
    start_ = time(nullptr);
    Ok({"create", "alice"}, "pw\n");
  }

  CliResult Run(std::vector<std::string> args, const std::string& input = "pw\n",
                const char* program = QUILLBOX_CLI_PATH) {
    args.insert(args.begin(), {"--dir", safes_.Root(), "--password-stdin"});
    return RunCliProcess(args, input, temp_.Root(), program);
  }

  std::string Ok(const std::vector<std::string>& args, const std::string& input = "pw\n") {
    CliResult result = Run(args, input);
    EXPECT_EQ(result.status, 0) << args[0] << ": " << result.err;
    EXPECT_EQ(result.err, "") << args[0];
    return MarkTimesOfNow(result.out, start_);
  }

  // Refused with its status and one-line message, the safe as it was.
  void ExpectRefused(const std::vector<std::string>& args, const std::string& input, int status,
                     const std::string& message) {
    const std::string user = args[1];
    const std::string before = SafeBytes(user);
    CliResult result = Run(args, input);
    EXPECT_EQ(result.status, status) << args[0] << " " << args.back();
    EXPECT_EQ(result.err, Message(message)) << args[0] << " " << args.back();
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(SafeBytes(user), before) << args[0] << " " << args.back();
  }

  std::string SafeBytes(const std::string& user) { return ReadTextFile(safes_.Path(user + ".SAFE")); }

  time_t start_ = 0;
  ScratchDir safes_;
  ScratchDir temp_;
};

TEST_F(CliEntryFields, AddAndEditCarryEveryField) {
  Ok({"add", "alice", "Bank", "jdoe", "--url", "https://bank.example/login", "--tag", "bank", "--tag", "Work/VPN",
      "--totp", "--notes"},
     "pw\ns3cr3t!\njbsw y3dp ehpk 3pxp\nrecovery codes:\n1111\n\n2222\n");
  const std::string added =
      "Description: Bank\nUsername: jdoe\nPassword: s3cr3t!\n"
      "Web address: https://bank.example/login\n"
      "One-time-code secret: otpauth://totp/?secret=JBSWY3DPEHPK3PXP\n"
      "Tags: Work/VPN, bank\n"
      "Created: NOW\nModified: NOW\nEarlier passwords: 0\n"
      "Notes: recovery codes:\n  1111\n  \n  2222\n";
  EXPECT_EQ(Ok({"show", "alice", "1", "--reveal"}), added);

  // Options not given leave their fields alone.
  Ok({"edit", "alice", "1", "--description", "Big Bank"});
  EXPECT_EQ(Ok({"show", "alice", "1", "--reveal"}), "Description: Big Bank" + added.substr(17));

  // The password, then the one-time-code line (empty: none), then the notes.
  Ok({"edit", "alice", "1", "--password", "--url=", "--untag", "bank", "--tag", "home", "--totp", "--notes"},
     "pw\nn3w\n\nkept\r\n");
  EXPECT_EQ(Ok({"show", "alice", "1", "--reveal"}),
            "Description: Big Bank\nUsername: jdoe\nPassword: n3w\n"
            "Web address: \nOne-time-code secret: \nTags: Work/VPN, home\n"
            "Created: NOW\nModified: NOW\nEarlier passwords: 1\nNotes: kept\n");

  // Empty input empties the notes; a tag the entry lacks cannot be taken away.
  Ok({"edit", "alice", "1", "--notes"}, "pw\n");
  EXPECT_NE(Ok({"show", "alice", "1"}).find("\nNotes: \n"), std::string::npos);
  ExpectRefused({"edit", "alice", "1", "--untag", "bank"}, "pw\n", 2, "the entry has no tag bank");
}

TEST_F(CliEntryFields, ShowHidesProtectedFieldsAndTheOneTimeCodeSecretUnlessRevealed) {
  Ok({"add", "alice", "Mail", "mu", "--totp"}, "pw\nmail pass\nJBSWY3DPEHPK3PXP\n");
  Ok({"field", "alice", "1", "PIN", "--protected"}, "pw\n4711\n");
  Ok({"field", "alice", "1", "Account"}, "pw\nno 12\nbranch 3\n");
  const std::string hidden = Ok({"show", "alice", "1"});
  EXPECT_EQ(hidden,
            "Description: Mail\nUsername: mu\nPassword: mail pass\n"
            "Web address: \nOne-time-code secret: (hidden)\nTags: \n"
            "Protected field PIN: (hidden)\nField Account: no 12\n  branch 3\n"
            "Created: NOW\nModified: NOW\nEarlier passwords: 0\nNotes: \n");
  const std::string revealed = Ok({"show", "alice", "1", "--reveal"});
  EXPECT_NE(revealed.find("\nOne-time-code secret: otpauth://totp/?secret=JBSWY3DPEHPK3PXP\n"), std::string::npos);
  EXPECT_NE(revealed.find("\nProtected field PIN: 4711\nField Account: no 12\n"), std::string::npos);

  // Earlier passwords are counted, never printed.
  Ok({"edit", "alice", "1", "--password"}, "pw\nnewer pass\n");
  const std::string after = Ok({"show", "alice", "1", "--reveal"});
  EXPECT_NE(after.find("Earlier passwords: 1\n"), std::string::npos);
  EXPECT_EQ(after.find("mail pass"), std::string::npos);
}

TEST_F(CliEntryFields, FieldSetsReplacesAndDeletes) {
  Ok({"add", "alice", "Door", ""}, "pw\n1234\n");
  Ok({"field", "alice", "1", "PIN", "--protected"}, "pw\n1111\n");
  Ok({"field", "alice", "1", "Floor"}, "pw\n3\n");
  // Set again: in its place, with the new value and protection.
  Ok({"field", "alice", "1", "PIN"}, "pw\n2222\n");
  Ok({"field", "alice", "1", "Empty"}, "pw\n");
  const std::string shown = Ok({"show", "alice", "1"});
  EXPECT_NE(shown.find("\nField PIN: 2222\nField Floor: 3\nField Empty: \nCreated"), std::string::npos) << shown;

  Ok({"field", "alice", "1", "PIN", "--delete"});
  EXPECT_NE(Ok({"show", "alice", "1"}).find("\nTags: \nField Floor: 3\nField Empty: \nCreated"), std::string::npos);
  ExpectRefused({"field", "alice", "1", "PIN", "--delete"}, "pw\n", 2, "the entry has no field PIN");
  ExpectRefused({"field", "alice", "1", "PIN", "--delete", "--protected"}, "pw\n", 2,
                "--protected and --delete do not go together");
  ExpectRefused({"field", "alice", "1", ""}, "pw\nx\n", 2, "a custom field needs a name");
  ExpectRefused({"field", "alice", "2", "PIN"}, "pw\nx\n", 2, "there is no entry 2; the safe holds 1 entry");
  ExpectRefused({"field", "alice", "1", "PIN"}, "nope\nx\n", 4, kLogInFailedMessage);
}

TEST_F(CliEntryFields, ListLongAddsColumnsAndTagChoosesEntries) {
  Ok({"add", "alice", "Bank", "jdoe", "--url", "https://bank.example", "--tag", "bank", "--tag", "Work/VPN"},
     "pw\nb\n");
  Ok({"add", "alice", "Mail", "mu", "--tag", "home"}, "pw\nm\n");
  Ok({"add", "alice", "Door", ""}, "pw\nd\n");
  EXPECT_EQ(Ok({"list", "alice", "--long"}),
            "1\tBank\tjdoe\thttps://bank.example\tWork/VPN, bank\tNOW\n"
            "2\tMail\tmu\t\thome\tNOW\n"
            "3\tDoor\t\t\t\tNOW\n");
  // The indexes stay those of the whole list, for show and edit.
  const struct {
    std::vector<std::string> tags;
    std::string listed;
  } cases[] = {
      {{"home"}, "2\tMail\tmu\n"},
      {{"bank"}, "1\tBank\tjdoe\n"},
      {{"bank", "Work/VPN"}, "1\tBank\tjdoe\n"},
      {{"bank", "home"}, ""},
      {{"Bank"}, ""},
      {{"nothing"}, ""},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = {"list", "alice"};
    for (const std::string& tag : c.tags) args.insert(args.end(), {"--tag", tag});
    EXPECT_EQ(Ok(args), c.listed) << c.tags[0];
  }
  EXPECT_EQ(Ok({"list", "alice", "--tag", "home", "--long"}), "2\tMail\tmu\t\thome\tNOW\n");
}

// The codes oathtool makes for the same secret, settings and time; the test
// build takes the time from QUILLBOX_TEST_TIME.
TEST_F(CliEntryFields, TotpPrintsTheCodeOathtoolMakesAndTheSecondsLeft) {
  const std::string sha1_key = "GEZDGNBVGY3TQOJQGEZDGNBVGY3TQOJQ";  // RFC 6238's 20-byte key
  const std::string sha256_key = "GEZDGNBVGY3TQOJQGEZDGNBVGY3TQOJQGEZDGNBVGY3TQOJQGEZA";
  const std::string sha512_key =
      "GEZDGNBVGY3TQOJQGEZDGNBVGY3TQOJQGEZDGNBVGY3TQOJQGEZDGNBVGY3TQOJQGEZDGNBVGY3TQOJQGEZDGNBVGY3TQOJQGEZDGNBVGY3T"
      "QOJQGEZDGNA";
  const struct {
    std::string input;  // what --totp reads
    std::vector<std::string> oathtool;
    int64_t time;
    int period;
  } cases[] = {
      {"jbsw y3dp ehpk 3pxp", {"--totp", "-b", "JBSWY3DPEHPK3PXP"}, 59, 30},
      {"otpauth://totp/RFC:sha1?secret=" + sha1_key + "&digits=8",
       {"--totp=sha1", "-d", "8", "-b", sha1_key},
       1111111109,
       30},
      {"otpauth://totp/RFC:sha256?digits=8&algorithm=SHA256&secret=" + sha256_key,
       {"--totp=sha256", "-d", "8", "-b", sha256_key},
       20000000000,
       30},
      {"otpauth://totp/RFC:sha512?secret=" + sha512_key + "&algorithm=sha512&digits=8&period=60",
       {"--totp=sha512", "-d", "8", "-s", "60s", "-b", sha512_key},
       1111111109,
       60},
      {"otpauth://totp/Example:alice@example.com?secret=" + sha1_key + "&issuer=Example&digits=7&period=15",
       {"--totp", "-d", "7", "-s", "15s", "-b", sha1_key},
       1234567890,
       15},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    Ok({"add", "alice", "Code " + std::to_string(i + 1), "", "--totp"}, "pw\n\n" + cases[i].input + "\n");
  }
  for (size_t i = 0; i < std::size(cases); ++i) {
    const std::string at = std::to_string(cases[i].time);
    std::vector<std::string> oathtool = cases[i].oathtool;
    oathtool.insert(oathtool.end(), {"-N", "@" + at});
    CliResult expected = RunCliProcess(oathtool, "", temp_.Root(), "/usr/bin/oathtool");
    ASSERT_EQ(expected.status, 0) << expected.err;
    setenv("QUILLBOX_TEST_TIME", at.c_str(), 1);
    const std::string printed = Ok({"totp", "alice", std::to_string(i + 1)});
    unsetenv("QUILLBOX_TEST_TIME");
    const int seconds_left = cases[i].period - static_cast<int>(cases[i].time % cases[i].period);
    EXPECT_EQ(printed, expected.out.substr(0, expected.out.size() - 1) + "\t" + std::to_string(seconds_left) + "\n")
        << cases[i].input;
  }
}

// The shipped program reads the real clock whatever the environment says.
TEST_F(CliEntryFields, ShippedTotpFollowsTheRealClock) {
  Ok({"add", "alice", "Code", "", "--totp"}, "pw\n\nJBSWY3DPEHPK3PXP\n");
  setenv("QUILLBOX_TEST_TIME", "59", 1);
  bool compared = false;
  // A 30-second step may end between the two programs' runs: then again.
  for (int attempt = 0; attempt < 3 && !compared; ++attempt) {
    CliResult before = RunCliProcess({"--totp", "-b", "JBSWY3DPEHPK3PXP"}, "", temp_.Root(), "/usr/bin/oathtool");
    CliResult shipped = Run({"totp", "alice", "1"}, "pw\n", QUILLBOX_SHIPPED_CLI_PATH);
    CliResult after = RunCliProcess({"--totp", "-b", "JBSWY3DPEHPK3PXP"}, "", temp_.Root(), "/usr/bin/oathtool");
    ASSERT_EQ(shipped.status, 0) << shipped.err;
    if (before.out != after.out) continue;
    compared = true;
    const std::string code = before.out.substr(0, before.out.size() - 1);
    ASSERT_EQ(shipped.out.substr(0, code.size() + 1), code + "\t");
    const int seconds_left = std::stoi(shipped.out.substr(code.size() + 1));
    EXPECT_GE(seconds_left, 1);
    EXPECT_LE(seconds_left, 30);
  }
  unsetenv("QUILLBOX_TEST_TIME");
  EXPECT_TRUE(compared);
}

TEST_F(CliEntryFields, TotpOfAnEntryWithoutACodeFails) {
  Ok({"add", "alice", "Plain", "u"}, "pw\np\n");
  CliResult none = Run({"totp", "alice", "1"});
  EXPECT_EQ(none.status, 2);
  EXPECT_EQ(none.err, Message("entry 1 has no one-time code; edit --totp gives it one"));
  EXPECT_EQ(none.out, "");
  CliResult missing = Run({"totp", "alice", "2"});
  EXPECT_EQ(missing.status, 2);
  EXPECT_EQ(missing.err, Message("there is no entry 2; the safe holds 1 entry"));
  EXPECT_EQ(Run({"totp", "alice", "1"}, "nope\n").status, 4);
  EXPECT_EQ(Run({"totp", "nobody", "1"}).status, 3);
}

TEST_F(CliEntryFields, OneTimeCodeInputIsCheckedBeforeAnythingChanges) {
  Ok({"add", "alice", "Bank", "jdoe"}, "pw\np\n");
  SecretText uri;
  const char* not_base32 = NormalizeOneTimeCodeInput("not base32!", uri);
  ASSERT_NE(not_base32, nullptr);
  ExpectRefused({"edit", "alice", "1", "--totp"}, "pw\nnot base32!\n", 2, not_base32);
  ExpectRefused({"edit", "alice", "1", "--totp"}, "pw\notpauth://hotp/x?secret=JBSWY3DPEHPK3PXP\n", 2,
                kOtpHotpNotSupportedMessage);
  ExpectRefused({"edit", "alice", "1", "--totp"}, "pw\n", 2,
                "standard input ended before the one-time-code secret was read");
  ExpectRefused({"add", "alice", "New", "u", "--totp", "--notes"}, "pw\np\nnot base32!\nnotes\n", 2, not_base32);
}

// Every option for a field the legacy format has no place for is refused
// before the safe's password is read (so a wrong one is never asked for).
TEST_F(CliEntryFields, LegacySafeRefusesTheNewOptions) {
  Ok({"create", "old", "--legacy"}, "pw\n");
  Ok({"add", "old", "Bank", "jdoe"}, "pw\np\n");
  const std::vector<std::string> refused[] = {
      {"add", "old", "A", "u", "--url", "https://a.example"},
      {"add", "old", "A", "u", "--tag", "t"},
      {"add", "old", "A", "u", "--notes"},
      {"add", "old", "A", "u", "--totp"},
      {"edit", "old", "1", "--url="},
      {"edit", "old", "1", "--tag", "t"},
      {"edit", "old", "1", "--untag", "t"},
      {"edit", "old", "1", "--notes"},
      {"edit", "old", "1", "--totp"},
      {"edit", "old", "1", "--description", "B", "--notes"},
      {"field", "old", "1", "PIN"},
      {"field", "old", "1", "PIN", "--delete"},
  };
  for (const std::vector<std::string>& args : refused) {
    ExpectRefused(args, "nope\np\nJBSWY3DPEHPK3PXP\nnotes\n", 2, kNeedsStrongFormatMessage);
  }
  // Reading needs nothing new: the designed three lines, empty columns.
  EXPECT_EQ(Ok({"show", "old", "1", "--reveal"}), "Description: Bank\nUsername: jdoe\nPassword: p\n");
  EXPECT_EQ(Ok({"list", "old", "--long"}), "1\tBank\tjdoe\t\t\t\n");

  // Upgraded, the same safe takes them.
  Ok({"upgrade", "old"});
  Ok({"edit", "old", "1", "--url", "https://bank.example"});
  EXPECT_NE(Ok({"show", "old", "1"}).find("\nWeb address: https://bank.example\n"), std::string::npos);
}

// Values are read whole up to the format's limits, and longer ones refused
// with a message: nothing is cut.
TEST_F(CliEntryFields, ValuesAreReadWholeUpToTheFormatsLimits) {
  const std::string longest(kMaxEntryTextBytes, 'p');
  Ok({"add", "alice", "Long", "", "--notes"}, "pw\n" + longest + "\n" + std::string(kMaxEntryNotesBytes, 'n') + "\n");
  const std::string shown = Ok({"show", "alice", "1"});
  EXPECT_EQ(DesignedLines(shown), "Description: Long\nUsername: \nPassword: " + longest + "\n");
  EXPECT_NE(shown.find("\nNotes: " + std::string(kMaxEntryNotesBytes, 'n') + "\n"), std::string::npos);
  // Any text without NUL: a tab is a strong safe's to keep.
  Ok({"edit", "alice", "1", "--password"}, "pw\npa\tss\n");
  EXPECT_NE(Ok({"show", "alice", "1"}).find("\nPassword: pa\tss\n"), std::string::npos);

  ExpectRefused({"edit", "alice", "1", "--password"}, "pw\n" + longest + "p\n", 2, kEntryTextTooLongMessage);
  ExpectRefused({"edit", "alice", "1", "--password"}, std::string("pw\nab\0cd\n", 9), 2, kEntryTextHasNulMessage);
  ExpectRefused({"edit", "alice", "1", "--notes"}, "pw\n" + std::string(kMaxEntryNotesBytes + 1, 'n'), 2,
                kEntryNotesTooLongMessage);
  ExpectRefused({"field", "alice", "1", "Big"}, "pw\n" + longest + "v", 2, kEntryTextTooLongMessage);
  ExpectRefused({"edit", "alice", "1", "--totp"}, "pw\n" + longest + "A\n", 2, kEntryTextTooLongMessage);

  // A legacy safe keeps its limit of 259 bytes.
  Ok({"create", "old", "--legacy"}, "pw\n");
  Ok({"add", "old", "Fits", ""}, "pw\n" + std::string(259, 'p') + "\n");
  ExpectRefused({"add", "old", "Long", ""}, "pw\n" + std::string(260, 'p') + "\n", 2, kPasswordTooLongMessage);
}

}  // namespace
