// Import and export in other programs' formats through the real binary.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli_process.h"
#include "app/quillbox_messages.h"
#include "interchange/import_file.h"

namespace {

const std::string kWarning = std::string("quillbox-cli: warning: ") + kPlainTextWarning + "\n";

std::string Fixture(const std::string& name) { return QUILLBOX_TEST_DATA_DIR "/interchange/" + name; }

class CliInterchange : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(Run({"create", "alice"}, "pw\n").status, 0); }

  CliResult Run(std::vector<std::string> args, const std::string& input = "pw\n") {
    args.insert(args.begin(), {"--dir", safes_.Root(), "--password-stdin"});
    return RunCliProcess(args, input, temp_.Root());
  }
  std::string List() { return Run({"list", "alice"}).out; }
  std::string SafeBytes() { return ReadTextFile(safes_.Path("alice.SAFE")); }

  ScratchDir safes_;
  ScratchDir temp_;
};

TEST_F(CliInterchange, EveryFormatImportsAndASecondRunAddsNothing) {
  const char* files[] = {"quillbox.csv",  "keepassxc.csv",  "keepassxc-2.6.csv", "keepass.xml",
                         "bitwarden.csv", "bitwarden.json", "chrome.csv",        "firefox.csv"};
  for (const char* file : files) {
    CliResult result = Run({"import", "alice", Fixture(file)});
    EXPECT_EQ(result.status, 0) << file << ": " << result.err;
    EXPECT_EQ(result.err, "") << file;
  }
  // The formats that title entries alike give the same three entries; a
  // Bitwarden secure note is an entry with notes.
  const std::string expected =
      "1\tBank, \"main\"\tjdoe\n2\tCaf\xC3\xA9\t\n3\tmail.example.org\tmailuser\n4\tWifi\t\n"
      "5\tbank.example.com\tjdoe\n6\tcaf\xC3\xA9.example\t\n";
  EXPECT_EQ(List(), expected);
  EXPECT_EQ(DesignedLines(Run({"show", "alice", "1"}).out),
            "Description: Bank, \"main\"\nUsername: jdoe\nPassword: pa\"ss,1\n");

  std::string before = SafeBytes();
  CliResult again = Run({"import", "alice", Fixture("keepass.xml")});
  EXPECT_EQ(again.status, 0) << again.err;
  EXPECT_EQ(again.out,
            "3 entries read as keepass-xml.\n"
            "0 new entries imported.\n"
            "3 entries are already in the safe, skipped.\n"
            "1 entry in the recycle bin, skipped.\n"
            "Left behind (the safe has no place for them): 1 attachment.\n");
  EXPECT_EQ(SafeBytes(), before);
}

TEST_F(CliInterchange, LegacyBytesArePrintedAndExportedAlike) {
  // The safe's own CSV carries the bytes of an older safe as they are.
  std::string file = temp_.Path("legacy.csv");
  WriteTextFile(file, "Description,Username,Password\n\x80uro \x93q\x94,Caf\xE9,\x9Fx\n");
  ASSERT_EQ(Run({"import", "alice", file}).status, 0);
  const std::string shown =
      "\xE2\x82\xAC"
      "uro \xE2\x80\x9Cq\xE2\x80\x9D";
  EXPECT_EQ(List(), "1\t" + shown + "\tCaf\xC3\xA9\n");
  EXPECT_EQ(DesignedLines(Run({"show", "alice", "1"}).out),
            "Description: " + shown + "\nUsername: Caf\xC3\xA9\nPassword: \xC5\xB8x\n");
  CliResult exported = Run({"export", "alice", "--format", "keepassxc-csv"});
  EXPECT_NE(exported.out.find("Quillbox," + shown + ",Caf\xC3\xA9,\xC5\xB8x,"), std::string::npos) << exported.out;
}

TEST_F(CliInterchange, DryRunTellsAndChangesNothing) {
  std::string before = SafeBytes();
  CliResult result = Run({"import", "--dry-run", "alice", Fixture("bitwarden.json")});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_TRUE(result.out.starts_with("4 entries read as bitwarden-json.\n4 new entries to import.\n")) << result.out;
  EXPECT_EQ(SafeBytes(), before);
}

// A legacy safe keeps the designed field rules: records that would break
// its lines are refused, and with them the whole file unless skipped.
TEST_F(CliInterchange, AllOrNothingUnlessSkipInvalid) {
  ASSERT_EQ(Run({"create", "--legacy", "old"}, "pw\n").status, 0);
  WriteTextFile(safes_.Path("mixed.csv"), "name,url,username,password\nok,,u,p\n\"two\nlines\",,u,p\nshort\n" +
                                              std::string(300, 'x') + ",,u,p\n");
  std::string before = ReadTextFile(safes_.Path("old.SAFE"));
  CliResult refused = Run({"import", "old", safes_.Path("mixed.csv")});
  EXPECT_EQ(refused.status, 2);
  std::string file = safes_.Path("mixed.csv");
  EXPECT_EQ(refused.err, "quillbox-cli: " + file +
                             ": line 3: Fields cannot contain tabs or line breaks.\n"
                             "quillbox-cli: " +
                             file +
                             ": line 5: malformed row: 1 field where the header has 4\n"
                             "quillbox-cli: " +
                             file + ": line 6: " + kEntryFieldTooLongMessage +
                             "\n"
                             "quillbox-cli: " +
                             file +
                             ": 3 records cannot be imported; nothing was imported; "
                             "--skip-invalid imports the other entries\n");
  EXPECT_EQ(refused.out, "");
  EXPECT_EQ(ReadTextFile(safes_.Path("old.SAFE")), before);

  CliResult skipped = Run({"import", "--skip-invalid", "old", file});
  EXPECT_EQ(skipped.status, 0) << skipped.err;
  EXPECT_NE(skipped.err.find(file + ": line 5: malformed row: 1 field where the header has 4 (skipped)\n"),
            std::string::npos)
      << skipped.err;
  EXPECT_NE(skipped.out.find("1 new entry imported.\n2 entries cannot be stored, skipped.\n"
                             "1 malformed row (a wrong number of fields), skipped.\n"),
            std::string::npos)
      << skipped.out;
  EXPECT_EQ(Run({"list", "old"}).out, "1\tok\tu\n");

  // A strong safe takes the line break and the long title; only the row
  // that is no record is left out.
  CliResult strong = Run({"import", "--skip-invalid", "alice", file});
  EXPECT_EQ(strong.status, 0) << strong.err;
  EXPECT_NE(strong.out.find("3 new entries imported.\n"), std::string::npos) << strong.out;
  EXPECT_EQ(List(), "1\tok\tu\n2\ttwo\nlines\tu\n3\t" + std::string(300, 'x') + "\tu\n");
}

TEST_F(CliInterchange, BadInputIsRefusedAndTheSafeStaysByteIdentical) {
  std::string bomb =
      "<?xml version=\"1.0\"?><!DOCTYPE lolz [<!ENTITY lol \"lol\"><!ENTITY lol2 \"&lol;&lol;&lol;\">]>"
      "<KeePassFile><Root>&lol2;</Root></KeePassFile>";
  const std::pair<std::string, std::string> files[] = {
      {"\"Group\",\"Title\",\"Username\",\"Password\",\"URL\",\"Notes\"\n\"Root\",\"open",
       "a quoted field is not closed"},
      {"name,url,username,password\na,b\n", "line 2: malformed row: 2 fields where the header has 4"},
      {"Description,Username,Password\n" + std::string(5 << 20, 'x') + ",u,p\n", "longer than 64 KiB"},
      {"name,url,username,password\nCaf\xE9,,u,p\n", "line 2: the text is not UTF-8"},
      {bomb, "declares a document type"},
      {"{\"items\":" + std::string(10000, '[') + std::string(10000, ']') + "}", "nested too deeply"},
      {"", "the file is empty"},
  };
  std::string before = SafeBytes();
  int n = 0;
  for (const auto& [text, reason] : files) {
    std::string name = safes_.Path("bad" + std::to_string(n++));
    WriteTextFile(name, text);
    CliResult result = Run({"import", "alice", name});
    EXPECT_EQ(result.status, 2) << reason << ": " << result.err;
    EXPECT_NE(result.err.find(reason), std::string::npos) << result.err;
    EXPECT_EQ(SafeBytes(), before) << reason;
  }
  CliResult folder = Run({"import", "alice", temp_.Root()});
  EXPECT_EQ(folder.status, 2);
  EXPECT_EQ(folder.err, "quillbox-cli: " + temp_.Root() + ": is a folder, not a file\n");
  EXPECT_EQ(SafeBytes(), before);
}

TEST_F(CliInterchange, ExportWritesA0600FileOnlyOverAnotherWithForce) {
  ASSERT_EQ(Run({"import", "alice", Fixture("quillbox.csv")}).status, 0);
  std::string listing = List();
  for (const char* format : {"quillbox-csv", "keepassxc-csv", "keepass-xml", "bitwarden-csv", "bitwarden-json"}) {
    SCOPED_TRACE(format);
    std::string file = safes_.Path(std::string("out.") + format);
    CliResult written = Run({"export", "--format", format, "alice", file});
    EXPECT_EQ(written.status, 0) << written.err;
    EXPECT_EQ(written.err, kWarning);
    EXPECT_EQ(FileMode(file) & 0777, 0600u);

    std::string first = ReadTextFile(file);
    CliResult refused = Run({"export", "--format", format, "alice", file});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err, "quillbox-cli: " + file + " already exists; --force replaces it\n");
    EXPECT_EQ(ReadTextFile(file), first);
    EXPECT_EQ(Run({"export", "--force", "--format", format, "alice", file}).status, 0);

    ASSERT_EQ(Run({"create", "--force", "bob"}, "bobpw\n").status, 0);
    CliResult imported = Run({"import", "bob", file}, "bobpw\n");
    EXPECT_EQ(imported.status, 0) << imported.err;
    EXPECT_EQ(Run({"list", "bob"}, "bobpw\n").out, listing);
  }
  CliResult stdout_export = Run({"export", "--format=bitwarden-csv", "alice", "-"});
  EXPECT_EQ(stdout_export.status, 0);
  EXPECT_TRUE(stdout_export.out.starts_with("folder,favorite,type,name,notes,fields,reprompt,login_uri"))
      << stdout_export.out;
  EXPECT_EQ(stdout_export.err, kWarning);

  CliResult read_only = Run({"export", "--format", "chrome-csv", "alice", safes_.Path("c.csv")});
  EXPECT_EQ(read_only.status, 2);
  EXPECT_NE(read_only.err.find("chrome-csv can only be imported"), std::string::npos) << read_only.err;
  CliResult unknown = Run({"export", "--format", "xls", "alice"});
  EXPECT_EQ(unknown.status, 2);
  EXPECT_NE(unknown.err.find("unknown format xls"), std::string::npos) << unknown.err;
}

// A KeePass database's references are shown and copied as the values they
// stand for, kept as written in KeePass XML, resolved in other formats.
TEST_F(CliInterchange, ReferencesAreShownResolvedAndExportedAsEachFormatHoldsThem) {
  ASSERT_EQ(Run({"import", "alice", Fixture("references.xml")}).status, 0);
  const std::string list = List();
  EXPECT_NE(list.find("\tBank app\talice\n"), std::string::npos) << list;
  const size_t at = list.find("\tBank app");
  ASSERT_NE(at, std::string::npos);
  const std::string index = list.substr(list.rfind('\n', at) + 1, at - list.rfind('\n', at) - 1);
  EXPECT_EQ(DesignedLines(Run({"show", "alice", index}).out),
            "Description: Bank app\nUsername: alice\nPassword: Abank-pwBC\n");
  // A loop and a missing entry are shown as written.
  const std::string shown = Run({"show", "alice", std::to_string(std::stoi(index) + 1)}).out +
                            Run({"show", "alice", std::to_string(std::stoi(index) + 3)}).out;
  EXPECT_NE(shown.find("Password: {REF:P@I:"), std::string::npos) << shown;

  const std::string xml = Run({"export", "alice", "--format", "keepass-xml"}).out;
  EXPECT_NE(xml.find("A{REF:P@I:5060E2E0B4D7493FA1C05B3F1D2E8A90}BC"), std::string::npos);
  const std::string csv = Run({"export", "alice", "--format", "bitwarden-csv"}).out;
  EXPECT_NE(csv.find("Abank-pwBC"), std::string::npos) << csv;
  EXPECT_EQ(csv.find("{REF:P@I:5060E2E0B4D7493FA1C05B3F1D2E8A90}"), std::string::npos) << csv;
}

}  // namespace
