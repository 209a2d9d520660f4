// Files that are broken, hostile or not exports at all: each is refused
// with a reason that names the place, and nothing is read from it.
#include <gtest/gtest.h>

#include <string>

#include "app/quillbox_messages.h"
#include "interchange/import_file.h"
#include "tests/unit/core/scratch_dir.h"
#include "tests/unit/safe/safe_test_dir.h"

namespace {

const std::string kKeepassxcHeader = "\"Group\",\"Title\",\"Username\",\"Password\",\"URL\",\"Notes\"\n";

std::string XmlBomb() {
  std::string text = "<?xml version=\"1.0\"?>\n<!DOCTYPE KeePassFile [\n<!ENTITY a0 \"lol\">\n";
  for (int i = 1; i < 10; ++i) {
    text += "<!ENTITY a" + std::to_string(i) + " \"";
    for (int k = 0; k < 10; ++k) text += "&a" + std::to_string(i - 1) + ";";
    text += "\">\n";
  }
  return text +
         "]>\n<KeePassFile><Root><Group><Entry><String><Key>Title</Key><Value>&a9;</Value>"
         "</String></Entry></Group></Root></KeePassFile>\n";
}

std::string DeepJson(size_t depth) {
  return "{\"encrypted\": false, \"items\": " + std::string(depth, '[') + std::string(depth, ']') + "}";
}

struct BadFile {
  const char* what;
  std::string text;
  std::string format;  // empty: recognised from the text
  std::string error;   // the reason, or empty when the file reads but an entry is refused
  std::string problem = "";
};

TEST(BadInput, EachBrokenFileIsRefusedWithItsReason) {
  const BadFile cases[] = {
      {"unterminated quote", kKeepassxcHeader + "\"Root\",\"Bank, main\n", "", "line 2: a quoted field is not closed"},
      {"wrong column count", kKeepassxcHeader + "\"Root\",\"Bank\",\"u\"\n", "", "",
       "line 2: malformed row: 3 fields where the header has 6"},
      {"5 MB field", "Description,Username,Password\n" + std::string(5 << 20, 'x') + ",u,p\n", "", "",
       std::string("line 2: ") + kEntryFieldTooLongMessage},
      {"invalid UTF-8", kKeepassxcHeader + "\"Root\",\"Caf\xE9\",\"u\",\"p\",\"\",\"\"\n", "",
       "line 2: the text is not UTF-8"},
      {"overlong UTF-8", "name,url,username,password\n\xC0\xAF,,u,p\n", "", "line 2: the text is not UTF-8"},
      {"XML bomb", XmlBomb(), "", "line 2: the file declares a document type, which KeePass XML never has"},
      {"external entity", "<!DOCTYPE x SYSTEM \"file:///etc/passwd\"><KeePassFile/>", "", "declares a document type"},
      {"undeclared entity", "<KeePassFile><Root>&x;</Root></KeePassFile>", "",
       "line 1, column 20: an undefined entity is used (an & not written as &amp;?)"},
      {"XML not KeePass", "<html><body/></html>", "", "not a KeePass XML export"},
      {"malformed XML", "<KeePassFile>\n<Root></KeePassFile>", "",
       "line 2, column 9: an element is closed by the end tag of another (mismatched tag)"},
      {"XML cut short", "<KeePassFile>\n<Root><Group><Entry><String><Key>Ti", "",
       "line 2, column 36: the file ends in the middle of the XML (cut short?)"},
      {"inner XML of a database",
       "<KeePassFile><Meta><HeaderHash>aGFzaA==</HeaderHash></Meta><Root><Group><Entry>"
       "<String><Key>Title</Key><Value>Bank</Value></String>"
       "<String><Key>Password</Key><Value Protected=\"True\">3q2+7w==</Value></String>"
       "</Entry></Group></Root></KeePassFile>",
       "", "protected values are still encrypted"},
      {"JSON nested 10,000 deep", DeepJson(10000), "", "nested too deeply"},
      {"JSON array at the top", "[{\"items\": []}]", "", "not an object"},
      {"malformed JSON", "{\"items\": [\n{\"type\": 1,}]}", "", "line 2: the text is not valid JSON"},
      {"JSON without items", "{\"encrypted\": false}", "", "no items list"},
      {"password-protected Bitwarden export",
       "{\"encrypted\": true, \"passwordProtected\": true, \"salt\": \"c2FsdA==\", \"kdfType\": 0, "
       "\"kdfIterations\": 600000, \"encKeyValidation_DO_NOT_EDIT\": \"2.aa|bb|cc\", \"data\": \"2.dd|ee|ff\"}",
       "", "the file is protected by a password; nothing was imported"},
      {"account-restricted Bitwarden export",
       "{\"encrypted\": true, \"encKeyValidation_DO_NOT_EDIT\": \"2.aa|bb|cc\", \"folders\": [], "
       "\"items\": [{\"type\": 1, \"name\": \"2.dd|ee|ff\", \"login\": {\"password\": \"2.gg|hh|ii\"}}]}",
       "", "the file is an account-restricted Bitwarden export, which cannot be read outside Bitwarden"},
      {"unknown header", "Site,Login,Secret\na,b,c\n", "", "the format is not recognised"},
      {"forced format that does not fit", "Description,Username,Password\n", "chrome-csv",
       "the first line must be a header naming name,url,username,password"},
      {"XML as CSV", "<?xml version=\"1.0\"?>\n<KeePassFile/>", "keepassxc-csv", "the file looks like XML, not CSV"},
      {"JSON as CSV", "\xEF\xBB\xBF {\"items\": []}", "bitwarden-csv", "the file looks like JSON, not CSV"},
      {"UTF-16 cut in half", "\xFF\xFEn\0a\0m", "", "line 1: the text is not valid UTF-16"},
      {"unknown format name", "Description,Username,Password\n", "lastpass-csv", "unknown format lastpass-csv"},
      {"tab in a field", "name,url,username,password\n\"a\tb\",,u,p\n", "", "",
       "line 2: Fields cannot contain tabs or line breaks."},
      {"line break in a password", "{\"items\": [{\"type\": 1, \"login\": {\"password\": \"a\\r\\nb\"}}]}", "", "",
       "item 1: Fields cannot contain tabs or line breaks."},
      {"NUL in a field", std::string("{\"items\": [{\"type\": 1, \"name\": \"a\\u0000b\"}]}"), "", "",
       "item 1: Fields cannot contain NUL bytes."},
      {"blank row of the safe's own CSV", "Description,Username,Password\n,,\n", "", "",
       "line 2: All fields cannot be blank."},
  };
  for (const BadFile& c : cases) {
    SCOPED_TRACE(c.what);
    ImportPlan plan(SafeFormat::kLegacy);
    std::string error;
    bool read = PlanImportText(c.text, c.format, &plan, &error);
    if (!c.error.empty()) {
      EXPECT_FALSE(read);
      EXPECT_NE(error.find(c.error), std::string::npos) << error;
      EXPECT_EQ(error.find('\n'), std::string::npos) << error;
      continue;
    }
    ASSERT_TRUE(read) << error;
    EXPECT_EQ(plan.Problems(), std::vector<std::string>({c.problem}));
    EXPECT_EQ(plan.Entries().size(), 0u);
  }
}

TEST(BadInput, EmptyFilesAndFoldersAreNotRead) {
  ScratchDir dir;
  WriteTextFile(dir.Path("empty.csv"), "");
  for (const auto& [name, reason] : {std::pair<std::string, std::string>{dir.Path("empty.csv"), "the file is empty"},
                                     {dir.Root(), "is a folder, not a file"},
                                     {dir.Path("missing.csv"), "No such file or directory"}}) {
    ImportText text;
    std::string error;
    EXPECT_FALSE(ReadImportText(name, &text, &error));
    EXPECT_EQ(error, name + ": " + reason);
  }
}

TEST(BadInput, EveryEntryThatCannotBeStoredIsListedInFileOrder) {
  std::string text = "name,url,username,password\n" + std::string("ok,,u,p\n") + "\"two\nlines\",,u,p\n" +
                     "short,row\n" + "long," + std::string(300, 'h') + ",u," + std::string(260, 'p') + "\n" +
                     ",https://" + std::string(300, 'h') + "/,u,p\n";
  ImportPlan plan(SafeFormat::kLegacy);
  std::string error;
  ASSERT_TRUE(PlanImportText(text, "", &plan, &error)) << error;
  EXPECT_EQ(plan.Problems(), std::vector<std::string>({
                                 "line 3: Fields cannot contain tabs or line breaks.",
                                 "line 5: malformed row: 2 fields where the header has 4",
                                 std::string("line 6: ") + kEntryFieldTooLongMessage,
                                 std::string("line 7: ") + kEntryFieldTooLongMessage,
                             }));
  ASSERT_EQ(plan.Entries().size(), 1u);
  EXPECT_EQ(ToVector(plan.Entries())[0], "ok\tu\tp");
  // A malformed row is no record: not read, and told apart.
  EXPECT_EQ(plan.Summary().read, 4u);
  EXPECT_EQ(plan.Summary().invalid, 3u);
  EXPECT_EQ(plan.Summary().malformed, 1u);
  EXPECT_NE(FormatImportSummary(plan.Summary(), ImportStage::kPreview)
                .find("4 entries read as chrome-csv.\n1 new entry to import.\n3 entries cannot be stored, skipped.\n"
                      "1 malformed row (a wrong number of fields), skipped.\n"),
            std::string::npos);
}

TEST(BadInput, ProblemsBeyondTheFirstHundredAreCountedNotKept) {
  std::string text = "name,url,username,password\n";
  for (int i = 0; i < 150; ++i) text += "\"a\tb\",,u,p\nshort\n";
  ImportPlan plan(SafeFormat::kLegacy);
  std::string error;
  ASSERT_TRUE(PlanImportText(text, "", &plan, &error)) << error;
  ASSERT_EQ(plan.Problems().size(), kMaxKeptProblems);
  EXPECT_EQ(plan.ProblemCount(), 300u);
  EXPECT_EQ(plan.Problems()[0], "line 2: Fields cannot contain tabs or line breaks.");
  EXPECT_EQ(plan.Problems()[1], "line 3: malformed row: 1 field where the header has 4");
  EXPECT_EQ(plan.Problems().back(), "line 101: malformed row: 1 field where the header has 4");
}

TEST(BadInput, AFilePastTheRecordCapIsRefusedInEveryFormat) {
  const std::pair<const char*, std::string> cases[] = {
      {"CSV", "Description,Username,Password\n"},
      {"JSON", "{\"encrypted\": false, \"items\": ["},
      {"XML", "<KeePassFile><Root><Group>"},
  };
  for (const auto& [what, head] : cases) {
    SCOPED_TRACE(what);
    std::string text = head;
    const std::string record = what == std::string("CSV")    ? ",,\n"
                               : what == std::string("JSON") ? "{\"type\": 2},"
                                                             : "<Entry/>";
    text.reserve(head.size() + (kMaxImportRecords + 1) * record.size() + 64);
    for (size_t i = 0; i <= kMaxImportRecords; ++i) text += record;
    if (what == std::string("JSON")) text += "{\"type\": 2}]}";
    if (what == std::string("XML")) text += "</Group></Root></KeePassFile>";
    ImportPlan plan(SafeFormat::kLegacy);
    std::string error;
    EXPECT_FALSE(PlanImportText(text, "", &plan, &error));
    EXPECT_TRUE(error.ends_with(kTooManyRecordsMessage)) << error;
  }
}

}  // namespace
