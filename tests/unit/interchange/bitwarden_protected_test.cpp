// Bitwarden's password-protected export, made by make_bitwarden_protected.py
// from bitwarden.json as Bitwarden's documentation describes it: read with
// its password into what the plain export gives; anything else imports
// nothing.
#include <gtest/gtest.h>

#include <string>

#include "interchange/import_file.h"
#include "tests/unit/safe/safe_test_dir.h"

namespace {

constexpr char kPassword[] = "fixture-export-password";

std::string Fixture(const std::string& name) { return ReadTextFile(QUILLBOX_TEST_DATA_DIR "/interchange/" + name); }

FileKey KeyOf(const char* password) { return FileKey{SecretText(password), std::nullopt}; }

struct Read {
  bool ok;
  std::string error;
  std::vector<std::string> entries;
  std::string summary;
};

Read Plan(const std::string& text, const char* password) {
  ImportPlan plan(SafeFormat::kStrong);
  FileKey key = KeyOf(password);
  Read read;
  read.ok = PlanImportText(text, "", &plan, &read.error, &key);
  read.entries = ToVector(plan.Entries());
  if (read.ok) read.summary = FormatImportSummary(plan.Summary(), ImportStage::kPreview);
  return read;
}

// Changes the character at offset into another base64 character.
std::string ChangedAt(std::string text, size_t offset) {
  text[offset] = text[offset] == 'A' ? 'B' : 'A';
  return text;
}

// Where the named cipher string's part starts (0: iv, 1: ciphertext, 2: MAC).
size_t PartOf(const std::string& text, const char* field, int part) {
  size_t at = text.find("\"2.", text.find(field)) + 3;
  for (int i = 0; i < part; ++i) at = text.find('|', at) + 1;
  return at;
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  return text.replace(at, from.size(), to);
}

TEST(BitwardenProtected, EachKeyDerivationReadsAsThePlainExport) {
  const Read plain = Plan(Fixture("bitwarden.json"), kPassword);
  ASSERT_TRUE(plain.ok) << plain.error;
  for (const char* name : {"bitwarden-protected-pbkdf2.json", "bitwarden-protected-argon2id.json"}) {
    SCOPED_TRACE(name);
    const std::string text = Fixture(name);
    EXPECT_EQ(ImportKeyNeeded(text, ""), ImportKey::kPassword);
    const Read read = Plan(text, kPassword);
    ASSERT_TRUE(read.ok) << read.error;
    EXPECT_EQ(read.entries, plain.entries);
    EXPECT_EQ(read.summary, plain.summary);
  }
  EXPECT_EQ(ImportKeyNeeded(Fixture("bitwarden.json"), ""), ImportKey::kNone);
}

TEST(BitwardenProtected, AWrongPasswordOrAChangedByteImportsNothing) {
  const std::string text = Fixture("bitwarden-protected-pbkdf2.json");
  const std::string wrong = "the file's password is wrong; nothing was imported";
  const std::string damaged = "the file is damaged; nothing was imported";
  const struct {
    const char* what;
    std::string text;
    const char* password;
    std::string error;
  } cases[] = {
      {"wrong password", text, "fixture-export-passwore", wrong},
      {"empty password", text, "", wrong},
      {"data's iv", ChangedAt(text, PartOf(text, "\"data\"", 0) + 5), kPassword, damaged},
      {"data's ciphertext", ChangedAt(text, PartOf(text, "\"data\"", 1) + 700), kPassword, damaged},
      {"data's MAC", ChangedAt(text, PartOf(text, "\"data\"", 2) + 5), kPassword, damaged},
      {"validation's ciphertext", ChangedAt(text, PartOf(text, "encKeyValidation", 1) + 5), kPassword, wrong},
      {"salt", ChangedAt(text, text.find("\"salt\": \"") + 12), kPassword, wrong},
      {"iterations", Replaced(text, "\"kdfIterations\": 5000", "\"kdfIterations\": 5001"), kPassword, wrong},
      {"cipher type", Replaced(text, "\"data\": \"2.", "\"data\": \"1."), kPassword, damaged},
      {"data cut short", Replaced(text, "\"data\": \"2.", "\"data\": \"2.|"), kPassword, damaged},
      {"no data", Replaced(text, "\"data\"", "\"dat\""), kPassword, damaged},
      {"not JSON after the flags", text.substr(0, 200), kPassword, damaged},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const Read read = Plan(c.text, c.password);
    EXPECT_FALSE(read.ok);
    EXPECT_EQ(read.error, c.error);
    EXPECT_TRUE(read.entries.empty());
  }
}

TEST(BitwardenProtected, AbsurdKeyDerivationsAreRefusedWithTheFigureBeforeAnyWork) {
  const std::string pbkdf2 = Fixture("bitwarden-protected-pbkdf2.json");
  const std::string argon2 = Fixture("bitwarden-protected-argon2id.json");
  const struct {
    std::string text;
    const char* error;
  } cases[] = {
      {Replaced(pbkdf2, "\"kdfIterations\": 5000", "\"kdfIterations\": 4000000000"),
       "the file's key derivation asks for 4000000000 PBKDF2 iterations; 1 to 10000000 can be read"},
      {Replaced(pbkdf2, "\"kdfIterations\": 5000", "\"kdfIterations\": 0"),
       "the file's key derivation asks for 0 PBKDF2 iterations"},
      {Replaced(argon2, "\"kdfMemory\": 16", "\"kdfMemory\": 8192"),
       "the file's key derivation asks for 8192 MiB of Argon2id memory; 1 to 4096 can be read"},
      {Replaced(argon2, "\"kdfIterations\": 3", "\"kdfIterations\": 100000"),
       "the file's key derivation asks for 100000 Argon2id iterations"},
      {Replaced(argon2, "\"kdfParallelism\": 4", "\"kdfParallelism\": 1000"),
       "the file's key derivation asks for 1000 Argon2id lanes"},
      {Replaced(argon2, "\"kdfType\": 1", "\"kdfType\": 7"), "the file's key derivation (kdfType 7) is not supported"},
      {Replaced(argon2, "\"kdfMemory\": 16", "\"kdfMemory\": null"), "the file is damaged"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.error);
    const Read read = Plan(c.text, kPassword);
    EXPECT_FALSE(read.ok);
    EXPECT_EQ(read.error.rfind(c.error, 0), 0u) << read.error;
    EXPECT_TRUE(read.entries.empty());
  }
}

TEST(BitwardenProtected, WithoutAPasswordTheFileIsToldProtected) {
  ImportPlan plan(SafeFormat::kStrong);
  std::string error;
  EXPECT_FALSE(PlanImportText(Fixture("bitwarden-protected-argon2id.json"), "", &plan, &error));
  EXPECT_EQ(error, "the file is protected by a password; nothing was imported");
}

}  // namespace
