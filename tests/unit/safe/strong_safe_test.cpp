#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <string>
#include <vector>

#include "safe/entry_records.h"
#include "safe/held_safe_key.h"
#include "safe/safe_store.h"
#include "safe/safe_text.h"
#include "safe/strong_record.h"
#include "tests/unit/safe/safe_test_dir.h"

namespace {

constexpr StrongSafeParams kTinyParams = kTinySafeParams;
constexpr char kPassword[] = "test only";

// Made by tests/unit/safe/strong_safe_reference.py, a second implementation:
// version 3 holding the records of records_fixture.hex (without its
// tombstones), and version 2, which earlier builds wrote.
std::string StrongFixtureBytes() { return ReadHexFixture("strong_fixture.SAFE.hex"); }

constexpr char kFixturePassword[] = "fixture password";
const std::vector<std::string> kVersion2Lines = {
    "Bank\tjdoe\ts3cr3t!",
    "Mail\tjohn.doe@example.com\tpa\xE4ss",
    "Door\t\t1234",
};

StrongSafeHeader FixtureHeader() {
  StrongSafeHeader header;
  header.params = {1, 8};
  for (size_t i = 0; i < kStrongSaltSize; ++i) header.salt[i] = static_cast<uint8_t>(i);
  for (size_t i = 0; i < kStrongNonceSize; ++i) header.nonce[i] = static_cast<uint8_t>(0x20 + i);
  return header;
}

const uint8_t* Bytes(const std::string& text) { return reinterpret_cast<const uint8_t*>(text.data()); }

void SaveStrong(const char* user, const std::vector<std::string>& lines, HeldSafeKey& key) {
  ASSERT_TRUE(DeriveNewSafeKey(kPassword, SafeFormat::kStrong, kTinyParams, key));
  EntryList entries;
  Fill(entries, lines);
  ASSERT_TRUE(SaveSafe(user, key, entries));
}

TEST(StrongSafe, ReadsAndWritesTheKnownAnswerFixture) {
  SafeTestDir dir;
  const std::string fixture = StrongFixtureBytes();
  WriteTextFile(dir.SafePath("fixture"), fixture);

  EntryList entries;
  EXPECT_EQ(LoadSafeWithResult("fixture", "Fixture password", entries), SafeLoadResult::kWrongPassword);
  ASSERT_TRUE(LoadSafe("fixture", kFixturePassword, entries));
  const std::string records = ReadHexFixture("records_fixture.hex");
  EntryList expected;
  ASSERT_TRUE(DecodeEntryList(Bytes(records), records.size(), expected));
  expected.tombstones.clear();
  EXPECT_EQ(entries, expected);
  SafeInfo info;
  ASSERT_TRUE(GetSafeInfo("fixture", info));
  EXPECT_EQ(info.format, SafeFormat::kStrong);
  EXPECT_EQ(info.params, (StrongSafeParams{1, 8}));

  // The writer, given the fixture's salt and nonce, makes the same bytes.
  const StrongSafeHeader header = FixtureHeader();
  HeldSafeKey key;
  ASSERT_TRUE(key.DeriveStrong(kFixturePassword, header.params, header.salt));
  SafeText text;
  ASSERT_TRUE(BuildSafeText(entries, SafeFormat::kStrong, text));
  std::string sealed(fixture.size(), '\0');
  SealStrongRecord(key.GetStrongKey(), header, text.bytes, text.length, reinterpret_cast<uint8_t*>(sealed.data()));
  EXPECT_EQ(sealed, fixture);
}

TEST(StrongSafe, AVersion2SafeReadsAndItsNextSaveIsVersion3WithEveryEntry) {
  SafeTestDir dir;
  WriteTextFile(dir.SafePath("old"), ReadHexFixture("strong_v2_fixture.SAFE.hex"));
  HeldSafeKey key;
  ASSERT_TRUE(DeriveKeyForSafe("old", kFixturePassword, key));
  EntryList entries;
  ASSERT_TRUE(LoadSafe("old", key, entries));
  EXPECT_EQ(ToVector(entries), kVersion2Lines);
  for (const Entry& entry : entries.entries) EXPECT_FALSE(entry.id.IsZero());
  ASSERT_TRUE(SaveSafe("old", key, entries));
  EXPECT_EQ(ReadTextFile(dir.SafePath("old")).substr(0, 8), std::string("QBXSAFE\x03", 8));
  EntryList reread;
  ASSERT_TRUE(LoadSafe("old", kFixturePassword, reread));
  EXPECT_EQ(reread, entries);
}

TEST(StrongSafe, SavesKeepTheFormatKeyAndSaltAndDrawNewNonces) {
  SafeTestDir dir;
  HeldSafeKey key;
  SaveStrong("alice", {"a\tb\tc"}, key);
  const std::string first = ReadTextFile(dir.SafePath("alice"));
  ASSERT_EQ(first.substr(0, 8), std::string("QBXSAFE\x03", 8));
  struct stat info;
  ASSERT_EQ(stat(dir.SafePath("alice").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  EXPECT_TRUE(dir.TempFiles().empty());

  // A held key opens and saves again with no password.
  EntryList entries;
  ASSERT_TRUE(LoadSafe("alice", key, entries));
  AddLine(entries, "d\te\tf");
  ASSERT_TRUE(SaveSafe("alice", key, entries));
  const std::string second = ReadTextFile(dir.SafePath("alice"));
  EXPECT_EQ(second.substr(0, 32), first.substr(0, 32));    // magic, parameters, salt
  EXPECT_NE(second.substr(32, 24), first.substr(32, 24));  // nonce

  // A save under the bare password keeps the format and parameters; the
  // same password keeps the salt, another one gets a new salt.
  ASSERT_TRUE(SaveSafe("alice", kPassword, entries));
  EXPECT_EQ(ReadTextFile(dir.SafePath("alice")).substr(0, 32), first.substr(0, 32));
  ASSERT_TRUE(LoadSafe("alice", key, entries));
  ASSERT_TRUE(SaveSafe("alice", "other", entries));
  const std::string third = ReadTextFile(dir.SafePath("alice"));
  EXPECT_EQ(third.substr(0, 16), first.substr(0, 16));
  EXPECT_NE(third.substr(16, 16), first.substr(16, 16));
  EXPECT_FALSE(LoadSafe("alice", key, entries));  // the held key was for the old salt
  EntryList reloaded;
  ASSERT_TRUE(LoadSafe("alice", "other", reloaded));
  EXPECT_EQ(ToVector(reloaded), (std::vector<std::string>{"a\tb\tc", "d\te\tf"}));

  // An empty list is an empty text: the header and the tag.
  ASSERT_TRUE(SaveSafe("empty", key, EntryList()));
  EXPECT_EQ(ReadTextFile(dir.SafePath("empty")).size(), 56u + 16u);
  AddLine(reloaded, "stale");
  ASSERT_TRUE(LoadSafe("empty", kPassword, reloaded));
  EXPECT_EQ(reloaded.entries.size(), 0u);
}

// Every single-byte change, every truncation (the cut tag among them) and a
// byte too many: refused, the list untouched, the file and folder unchanged.
TEST(StrongSafe, EveryDamagedFileIsRefusedAndLeftAlone) {
  SafeTestDir dir;
  HeldSafeKey key;
  SaveStrong("alice", {"Bank\tjdoe\ts3cr3t!"}, key);
  const std::string good = ReadTextFile(dir.SafePath("alice"));
  const std::string listing = dir.Listing();

  struct Damage {
    std::string name;
    std::string bytes;
  };
  std::vector<Damage> damages;
  for (size_t i = 0; i < good.size(); ++i) {
    std::string changed = good;
    changed[i] = static_cast<char>(changed[i] ^ 0x01);
    damages.push_back({"byte " + std::to_string(i) + " changed", changed});
  }
  for (size_t length = 0; length < good.size(); ++length) {
    damages.push_back({"cut to " + std::to_string(length) + " bytes", good.substr(0, length)});
  }
  damages.push_back({"one byte added", good + '\0'});

  for (const Damage& damage : damages) {
    SCOPED_TRACE(damage.name);
    WriteTextFile(dir.SafePath("alice"), damage.bytes);
    EntryList entries;
    AddLine(entries, "before");
    EXPECT_FALSE(LoadSafe("alice", kPassword, entries));
    EXPECT_FALSE(LoadSafe("alice", key, entries));
    EXPECT_EQ(ToVector(entries), std::vector<std::string>{"before\t\t"});
    EXPECT_EQ(ReadTextFile(dir.SafePath("alice")), damage.bytes);
    EXPECT_EQ(dir.Listing(), listing);
  }
}

TEST(StrongSafe, HeaderOutOfBoundsIsRefusedAsDamaged) {
  SafeTestDir dir;
  HeldSafeKey key;
  SaveStrong("alice", {"a\tb\tc"}, key);
  const std::string good = ReadTextFile(dir.SafePath("alice"));
  struct Bounds {
    const char* name;
    StrongSafeParams params;
    bool allowed;
  };
  const Bounds cases[] = {
      {"0 iterations", {0, 8}, false},
      {"65 iterations", {65, 8}, false},
      {"4 KiB", {1, 4}, false},
      {"4 GiB and 1 KiB", {1, 4u * 1024 * 1024 + 1}, false},
      {"4 TiB, the field's largest", {1, UINT32_MAX}, false},
      {"64 iterations", {64, 8}, true},
      {"4 GiB", {1, 4u * 1024 * 1024}, true},
  };
  for (const Bounds& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(AreStrongParamsAllowed(c.params), c.allowed);
    if (c.allowed) continue;
    std::string file = good;
    for (int i = 0; i < 4; ++i) {
      file[8 + i] = static_cast<char>(c.params.iterations >> (8 * i));
      file[12 + i] = static_cast<char>(c.params.memoryKiB >> (8 * i));
    }
    StrongSafeHeader header;
    EXPECT_FALSE(DecodeStrongHeader(Bytes(file), header));
    WriteTextFile(dir.SafePath("alice"), file);
    SafeInfo info;
    EXPECT_FALSE(GetSafeInfo("alice", info));
    EntryList entries;
    EXPECT_EQ(LoadSafeWithResult("alice", kPassword, entries), SafeLoadResult::kDamaged);
    EXPECT_FALSE(SaveSafe("alice", kPassword, entries));  // nor is it written over
    EXPECT_EQ(ReadTextFile(dir.SafePath("alice")), file);
  }
}

// The legacy key's password gives the strong key; the entries keep every byte.
TEST(StrongSafe, UpgradeKeepsEveryEntryByteForByte) {
  SafeTestDir dir;
  const std::vector<std::string> lines = {
      std::string(259, 'd') + "\t" + std::string(259, 'u') + "\t" + std::string(259, 'p'),
      "Caf\xE9\t\xFF\x01 odd bytes\t",
      "\t\t",
  };
  EntryList entries;
  Fill(entries, lines);
  ASSERT_TRUE(SaveSafe("old", kPassword, entries));
  SafeInfo info;
  ASSERT_TRUE(GetSafeInfo("old", info));
  ASSERT_EQ(info.format, SafeFormat::kLegacy);

  HeldSafeKey legacy;
  ASSERT_TRUE(DeriveKeyForSafe("old", kPassword, legacy));
  EntryList loaded;
  ASSERT_TRUE(LoadSafe("old", legacy, loaded));
  HeldSafeKey strong;
  ASSERT_TRUE(DeriveNewSafeKey(legacy.GetLegacyPassword(), SafeFormat::kStrong, kTinyParams, strong));
  ASSERT_TRUE(SaveSafe("old", strong, loaded));

  ASSERT_TRUE(GetSafeInfo("old", info));
  EXPECT_EQ(info.format, SafeFormat::kStrong);
  EXPECT_EQ(info.params, kTinyParams);
  EntryList upgraded;
  ASSERT_TRUE(LoadSafe("old", kPassword, upgraded));
  EXPECT_EQ(ToVector(upgraded), lines);
  EXPECT_FALSE(LoadSafe("old", legacy, upgraded));
}

TEST(StrongSafe, KeysOfNewPasswordsDifferBySalt) {
  HeldSafeKey first, second, copy;
  ASSERT_TRUE(DeriveNewSafeKey(kPassword, SafeFormat::kStrong, kTinyParams, first));
  ASSERT_TRUE(DeriveNewSafeKey(kPassword, SafeFormat::kStrong, kTinyParams, second));
  EXPECT_NE(std::memcmp(first.GetSalt(), second.GetSalt(), kStrongSaltSize), 0);
  EXPECT_NE(std::memcmp(first.GetStrongKey(), second.GetStrongKey(), kStrongKeySize), 0);
  ASSERT_TRUE(copy.CopyFrom(first));
  EXPECT_EQ(std::memcmp(copy.GetStrongKey(), first.GetStrongKey(), kStrongKeySize), 0);
  EXPECT_EQ(copy.GetLegacyPassword(), nullptr);
  first.Wipe();
  EXPECT_FALSE(first.IsHeld());
  EXPECT_EQ(first.GetStrongKey(), nullptr);
  // Parameters outside the bounds are refused before any work.
  EXPECT_FALSE(DeriveNewSafeKey(kPassword, SafeFormat::kStrong, {0, 8}, first));
}

}  // namespace
