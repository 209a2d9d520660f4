// KeePass field references from a database that holds them: kept as
// written through KeePass XML and KDBX, so that KeePass resolves them
// again, and written as the values they stand for in every other format.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "interchange/import_file.h"
#include "interchange/interchange_format.h"
#include "safe/field_reference.h"
#include "tests/unit/interchange/cheap_kdbx_settings.h"
#include "tests/unit/interchange/whole_entry_fixture.h"
#include "tests/unit/safe/safe_test_dir.h"

namespace {

constexpr char kBankUuid[] = "5060E2E0B4D7493FA1C05B3F1D2E8A90";

std::vector<Entry> Imported(const std::string& text, const std::string& format_name, const FileKey* key) {
  ImportPlan plan(SafeFormat::kStrong);
  std::string error;
  EXPECT_TRUE(PlanImportText(text, format_name, &plan, &error, key)) << format_name << ": " << error;
  return plan.Entries();
}

std::string Password(const std::vector<Entry>& entries, std::string_view title) {
  const Entry* entry = Titled(entries, title);
  return entry == nullptr ? "(none)" : std::string(entry->password.view());
}

TEST(FieldReferenceExport, KeepassFormatsKeepReferencesAndTheOthersGetTheirValues) {
  const std::string references = std::string("A{REF:P@I:") + kBankUuid + "}BC";
  std::vector<Entry> entries =
      Imported(ReadTextFile(QUILLBOX_TEST_DATA_DIR "/interchange/references.xml"), "", nullptr);
  ASSERT_EQ(Password(entries, "Bank app"), references);
  const FieldReferences resolver(entries);
  EXPECT_EQ(resolver.Resolve(Titled(entries, "Bank app")->userName.view()).view(), "alice");
  EXPECT_EQ(resolver.Resolve(Password(entries, "Loop one")).view(), Password(entries, "Loop one"));
  EXPECT_EQ(resolver.Resolve(Password(entries, "Gone")).view(), Password(entries, "Gone"));

  SetKdbxWriteSettings(CheapKdbxSettings());
  FileKey key;
  key.password = "export-pw";
  for (const InterchangeFormat& format : InterchangeFormats()) {
    if (format.write == nullptr && format.write_protected == nullptr) continue;
    SCOPED_TRACE(format.name);
    std::string written, error;
    ASSERT_TRUE(WriteInterchange(format, entries, key, &written, &error)) << error;
    std::vector<Entry> back = Imported(written, format.name, format.write_protected != nullptr ? &key : nullptr);
    if (format.keeps_references) {
      EXPECT_EQ(Password(back, "Bank app"), references);
      // The entry named keeps its UUID, so the reference still finds it.
      EXPECT_EQ(ResolveFieldReferences(references, back).view(), "Abank-pwBC");
    } else {
      EXPECT_EQ(Password(back, "Bank app"), "Abank-pwBC");
      EXPECT_EQ(written.find("{REF:P@I:" + std::string(kBankUuid)), std::string::npos);
    }
  }
}

}  // namespace
