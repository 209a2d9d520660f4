#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cli_process.h"
#include "interchange/import_file.h"

namespace {

// A folder of safes plus a private temp dir, driven through the real binary.
class CliEndToEnd : public ::testing::Test {
 protected:
  CliResult Run(std::vector<std::string> args, const std::string& input = "", const char* program = QUILLBOX_CLI_PATH) {
    args.insert(args.begin(), {"--dir", safes_.Root(), "--password-stdin"});
    return RunCliProcess(args, input, temp_.Root(), program);
  }

  // Runs a command that must succeed; only export says anything on
  // standard error then, its plain-text warning.
  std::string Ok(const std::vector<std::string>& args, const std::string& input = "",
                 const char* program = QUILLBOX_CLI_PATH) {
    CliResult result = Run(args, input, program);
    EXPECT_EQ(result.status, 0) << args[0] << ": " << result.err;
    EXPECT_EQ(result.err, args[0] == "export" ? std::string("quillbox-cli: warning: ") + kPlainTextWarning + "\n" : "")
        << args[0];
    return result.out;
  }

  std::string SafeBytes(const std::string& user) { return ReadTextFile(safes_.Path(user + ".SAFE")); }

  ScratchDir safes_;
  ScratchDir temp_;
};

TEST_F(CliEndToEnd, EntryLifecycle) {
  Ok({"create", "alice"}, "pw\n");
  struct stat info;
  ASSERT_EQ(stat(safes_.Path("alice.SAFE").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  EXPECT_EQ(Ok({"list", "alice"}, "pw\n"), "");

  Ok({"add", "alice", "Bank", "jdoe"}, "pw\ns3cr3t!\n");
  Ok({"add", "alice", "Mail", "john@example.com"}, "pw\nmail pass\n");
  Ok({"add", "alice", "Door", ""}, "pw\n1234\n");
  EXPECT_EQ(Ok({"list", "alice"}, "pw\n"), "1\tBank\tjdoe\n2\tMail\tjohn@example.com\n3\tDoor\t\n");
  EXPECT_EQ(DesignedLines(Ok({"show", "alice", "2"}, "pw\n")),
            "Description: Mail\nUsername: john@example.com\nPassword: mail pass\n");

  Ok({"edit", "alice", "1", "--description", "Big Bank", "--password"}, "pw\nn3w\n");
  Ok({"edit", "alice", "2", "--user="}, "pw\n");
  EXPECT_EQ(DesignedLines(Ok({"show", "alice", "1"}, "pw\n")),
            "Description: Big Bank\nUsername: jdoe\nPassword: n3w\n");
  EXPECT_EQ(DesignedLines(Ok({"show", "alice", "2"}, "pw\n")), "Description: Mail\nUsername: \nPassword: mail pass\n");

  Ok({"rm", "alice", "3", "1", "--yes"}, "pw\n");
  EXPECT_EQ(Ok({"list", "alice"}, "pw\n"), "1\tMail\t\n");

  Ok({"passwd", "alice"}, "pw\nother\n");
  EXPECT_EQ(Run({"list", "alice"}, "pw\n").status, 4);
  EXPECT_EQ(Ok({"list", "alice"}, "other\n"), "1\tMail\t\n");

  Ok({"rm", "alice", "1", "--yes"}, "other\n");
  EXPECT_EQ(Ok({"export", "alice"}, "other\n"), "Description,Username,Password\r\n");
}

// A save killed before removing its temporary file leaves a whole safe in
// the private temp folder; the next start removes it.
TEST_F(CliEndToEnd, StartRemovesWhatKilledSavesLeftInThePrivateTempFolder) {
  const std::string folder = temp_.Path("quillbox-" + std::to_string(geteuid()));
  ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
  WriteTextFile(folder + "/tulvaneAb12Cd", "a whole safe");
  Ok({"generate"}, "", QUILLBOX_SHIPPED_CLI_PATH);
  struct stat info;
  EXPECT_NE(stat((folder + "/tulvaneAb12Cd").c_str(), &info), 0);
}

TEST_F(CliEndToEnd, GeneratePrintsCountPasswordsOfTheLengthAsked) {
  const std::string out = Ok({"generate", "--length", "12", "--no-symbols", "--count", "5"});
  size_t lines = 0;
  for (size_t start = 0; start < out.size(); ++lines) {
    const size_t end = out.find('\n', start);
    ASSERT_NE(end, std::string::npos) << out;
    const std::string password = out.substr(start, end - start);
    EXPECT_EQ(password.size(), 12u) << password;
    EXPECT_EQ(password.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789"),
              std::string::npos)
        << password;
    start = end + 1;
  }
  EXPECT_EQ(lines, 5u);
  EXPECT_EQ(Ok({"generate", "--no-lookalikes"}).find_first_of("0OoIl1|"), std::string::npos);
}

TEST_F(CliEndToEnd, ExportImportRoundTrip) {
  Ok({"create", "alice"}, "pw\n");
  const std::vector<std::vector<std::string>> entries = {
      {"Bank, main", "jdoe", "say \"hi\""},
      {"Mail", "", "pa\xE4ss"},
      {"", "", "only a password"},
  };
  for (const auto& entry : entries) Ok({"add", "alice", entry[0], entry[1]}, "pw\n" + entry[2] + "\n");
  std::string csv = Ok({"export", "alice"}, "pw\n");
  EXPECT_EQ(csv,
            "Description,Username,Password\r\n"
            "\"Bank, main\",jdoe,\"say \"\"hi\"\"\"\r\n"
            "Mail,,pa\xE4ss\r\n"
            ",,only a password\r\n");

  WriteTextFile(safes_.Path("rows.csv"), csv);
  Ok({"create", "bob"}, "bobpw\n");
  Ok({"add", "bob", "Kept", "first"}, "bobpw\nx\n");
  Ok({"import", "bob", safes_.Path("rows.csv")}, "bobpw\n");
  EXPECT_EQ(Ok({"export", "bob"}, "bobpw\n"), "Description,Username,Password\r\nKept,first,x\r\n" + csv.substr(31));

  // Files from elsewhere may end lines with LF only and lack the last one.
  WriteTextFile(safes_.Path("lf.csv"), "Description,Username,Password\n\"multi\",word,\"\"\nlast,u,p");
  Ok({"import", "alice", safes_.Path("lf.csv")}, "pw\n");
  EXPECT_EQ(Ok({"list", "alice"}, "pw\n"), "1\tBank, main\tjdoe\n2\tMail\t\n3\t\t\n4\tmulti\tword\n5\tlast\tu\n");
}

TEST_F(CliEndToEnd, OpensTheInteroperabilityFixture) {
  std::string hex = ReadTextFile(QUILLBOX_TEST_DATA_DIR "/safe/fixture.SAFE.hex");
  std::string bytes;
  for (size_t i = 0; i + 1 < hex.size(); i += 2)
    bytes.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  ASSERT_EQ(bytes.size(), 76u);
  WriteTextFile(safes_.Path("fixture.SAFE"), bytes);
  EXPECT_EQ(Ok({"list", "fixture"}, "password\n"), "1\tBank\tjdoe\n2\tMail\tjohn.doe@example.com\n");
  EXPECT_EQ(Ok({"show", "fixture", "1"}, "password\n"), "Description: Bank\nUsername: jdoe\nPassword: s3cr3t!\n");
  // The stored Windows-1252 byte is printed as UTF-8.
  EXPECT_EQ(Ok({"show", "fixture", "2"}, "password\n"),
            "Description: Mail\nUsername: john.doe@example.com\nPassword: pa\xC3\xA4ss\n");
  EXPECT_EQ(Run({"list", "fixture"}, "Password\n").status, 4);
}

TEST_F(CliEndToEnd, SettingsListsTheApplicationsSettings) {
  std::string listing = Ok({"settings"});
  for (const char* name : {"Last_Username", "Last_Sort", "Store_On_Taskbar_Only", "Update_Server", "Safe_Folder"}) {
    EXPECT_NE(listing.find(name), std::string::npos) << name;
  }
  EXPECT_NE(listing.find("Safe folder: " + safes_.Root() + "/ (--dir)\n"), std::string::npos) << listing;
}

// Without --dir the safes are where the "Safe_Folder" setting says, as in
// the window; `merge` folds a sync program's conflict copies in.
TEST_F(CliEndToEnd, SafeFolderSettingAndConflictCopies) {
  ScratchDir config;
  WriteTextFile(config.Path("no-machine-hive"), "");
  mkdir(config.Path("user").c_str(), 0700);
  mkdir(config.Path("user/tarnwell").c_str(), 0700);
  WriteTextFile(config.Path("user/tarnwell/HKEY_CURRENT_USER.reg"),
                "Windows Registry Editor Version 5.00\r\n\r\n"
                "[HKEY_CURRENT_USER\\Software\\tarnwell\\Tarnwell Quillbox\\2.x]\r\n"
                "\"Safe_Folder\"=\"" +
                    safes_.Root() + "\"\r\n");
  setenv("XDG_CONFIG_HOME", config.Path("user").c_str(), 1);
  setenv("XDG_CONFIG_DIRS", config.Path("no-machine-hive/xdg").c_str(), 1);
  auto run = [this](std::vector<std::string> args, const std::string& input) {
    args.insert(args.begin(), "--password-stdin");
    return RunCliProcess(args, input, temp_.Root());
  };
  EXPECT_EQ(run({"create", "bob"}, "pw\n").status, 0);
  EXPECT_NE(run({"settings"}, "").out.find("Safe folder: " + safes_.Root() + "/ (the Safe_Folder setting)\n"),
            std::string::npos);

  // Two sides' versions, as Syncthing keeps them, and one under another password.
  Ok({"add", "bob", "Bank", "jdoe"}, "pw\nb1\n");
  ASSERT_EQ(
      rename(safes_.Path("bob.SAFE").c_str(), safes_.Path("bob.sync-conflict-20250101-101010-ABCDEF7.SAFE").c_str()),
      0);
  Ok({"create", "bob"}, "pw\n");
  Ok({"add", "bob", "Mail", "jd"}, "pw\nm1\n");
  Ok({"create", "carol"}, "other\n");
  ASSERT_EQ(
      rename(safes_.Path("carol.SAFE").c_str(), safes_.Path("bob (conflicted copy 2025-01-02 101010).SAFE").c_str()),
      0);

  CliResult merged = run({"merge", "bob"}, "pw\n");
  EXPECT_EQ(merged.status, 0) << merged.err;
  EXPECT_EQ(merged.out, "1 entry came in from 1 conflict copy\n");
  EXPECT_EQ(merged.err,
            "quillbox-cli: bob (conflicted copy 2025-01-02 101010).SAFE does not open with this password and was "
            "left alone\n");
  EXPECT_EQ(run({"list", "bob"}, "pw\n").out, "1\tMail\tjd\n2\tBank\tjdoe\n");
  EXPECT_EQ(safes_.Listing(), "bob (conflicted copy 2025-01-02 101010).SAFE bob.SAFE bob.SAFE.lock carol.SAFE.lock");

  // Looking the setting up never creates a hive.
  setenv("XDG_CONFIG_HOME", config.Path("fresh").c_str(), 1);
  EXPECT_EQ(run({"settings"}, "").status, 0);
  EXPECT_EQ(run({"--dir", safes_.Root(), "list", "bob"}, "pw\n").status, 0);
  EXPECT_FALSE(std::filesystem::exists(config.Path("fresh")));
  unsetenv("XDG_CONFIG_HOME");
  unsetenv("XDG_CONFIG_DIRS");
}

constexpr char kLegacyInfo[] = "Format: legacy (AES-128, unsalted key, CRC-32; quillbox-cli upgrade makes it strong)\n";

// The one place the tests pay for the real parameters (a second or so).
TEST_F(CliEndToEnd, ShippedProgramCreatesStrongSafesWithTheDefaults) {
  Ok({"create", "alice"}, "pw\n", QUILLBOX_SHIPPED_CLI_PATH);
  EXPECT_EQ(Ok({"info", "alice"}, "", QUILLBOX_SHIPPED_CLI_PATH),
            "Format: strong (Argon2id, XChaCha20-Poly1305)\n"
            "Argon2id iterations: 3\n"
            "Argon2id memory: 262144 KiB\n");
  Ok({"create", "bob", "--legacy"}, "pw\n", QUILLBOX_SHIPPED_CLI_PATH);
  EXPECT_EQ(Ok({"info", "bob"}, "", QUILLBOX_SHIPPED_CLI_PATH), kLegacyInfo);
}

TEST_F(CliEndToEnd, UpgradeTurnsALegacySafeStrongOnce) {
  Ok({"create", "alice", "--legacy"}, "pw\n");
  Ok({"add", "alice", "Bank", "jdoe"}, "pw\ns3cr3t!\n");
  Ok({"add", "alice", "Caf\xE9", ""}, "pw\n\xFF\n");
  const std::string listing = Ok({"list", "alice"}, "pw\n");
  const std::string legacy = SafeBytes("alice");

  CliResult wrong = Run({"upgrade", "alice"}, "nope\n");
  EXPECT_EQ(wrong.status, 4);
  EXPECT_EQ(SafeBytes("alice"), legacy);

  Ok({"upgrade", "alice"}, "pw\n");
  EXPECT_EQ(Ok({"info", "alice"}),
            "Format: strong (Argon2id, XChaCha20-Poly1305)\nArgon2id iterations: 1\nArgon2id memory: 8 KiB\n");
  EXPECT_EQ(Ok({"list", "alice"}, "pw\n"), listing);
  EXPECT_EQ(DesignedLines(Ok({"show", "alice", "2"}, "pw\n")),
            "Description: Caf\xC3\xA9\nUsername: \nPassword: \xC3\xBF\n");
  EXPECT_EQ(Ok({"upgrade", "alice"}, "pw\n"), "The safe of alice already uses the strong format.\n");
  EXPECT_EQ(Run({"list", "alice"}, "nope\n").status, 4);
}

TEST_F(CliEndToEnd, InfoNeedsNoPasswordAndTellsDamage) {
  EXPECT_EQ(Run({"info", "nobody"}).status, 3);
  Ok({"create", "alice"}, "pw\n");
  std::string bytes = SafeBytes("alice");
  bytes[8] = 0;  // 0 iterations
  WriteTextFile(safes_.Path("alice.SAFE"), bytes);
  CliResult damaged = Run({"info", "alice"});
  EXPECT_EQ(damaged.status, 5);
  EXPECT_EQ(Run({"list", "alice"}, "pw\n").status, 5);
  EXPECT_EQ(Run({"add", "alice", "a", "b"}, "pw\nc\n").status, 5);
  EXPECT_EQ(SafeBytes("alice"), bytes);
}

}  // namespace
