#include "safe/entry_records.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "safe_test_dir.h"

namespace {

EntryId IdOf(std::vector<uint8_t> bytes) {
  EntryId id;
  std::copy(bytes.begin(), bytes.end(), id.bytes.begin());
  return id;
}

// The list entry_records_reference.py encodes into records_fixture.hex.
EntryList FixtureList() {
  EntryList list;
  Entry& bank = list.entries.emplace_back();
  bank.id = IdOf({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16});
  bank.created = 1700000000;
  bank.modified = 1760000000;
  bank.title = "Bank";
  bank.userName = "jdoe";
  bank.password = "s3cr3t!\ttab";
  bank.url = "https://bank.example.com/login";
  bank.notes = "recovery codes:\r\n1111 2222\n3333";
  bank.totp = "otpauth://totp/?secret=JBSWY3DPEHPK3PXP";
  bank.AddTag("Work/VPN");
  bank.AddTag("Money");
  bank.SetField("PIN", "0000", true);
  bank.SetField("Branch", "Main St", false);
  bank.history.push_back({SecretText("old one"), 1710000000});
  bank.history.push_back({SecretText("older\xe4"), 1720000000});
  bank.unknown.push_back({0x16, SecretText(std::string_view("\x01\x02newer", 7))});
  bank.unknown.push_back({0x50, SecretText()});
  Entry& door = list.entries.emplace_back();
  door.id = IdOf(std::vector<uint8_t>(16, 0xff));
  door.created = -1;
  door.title = "Door";
  door.password = "1234";
  std::vector<uint8_t> high(16, 0);
  high[0] = 0x80;
  list.tombstones.push_back({IdOf(high), 1765000000});
  list.tombstones.push_back({IdOf(std::vector<uint8_t>(16, 0x10)), 1764000000});
  return list;
}

std::string Encode(const EntryList& list) {
  WipingBytes bytes;
  EncodeEntryList(list, bytes);
  return std::string(bytes.begin(), bytes.end());
}

bool Decode(const std::string& bytes, EntryList& list) {
  return DecodeEntryList(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), list);
}

std::string Le32(uint32_t value) {
  std::string out;
  for (int i = 0; i < 4; ++i) out += static_cast<char>(value >> (8 * i));
  return out;
}

std::string Field(uint8_t kind, const std::string& value) {
  return std::string(1, static_cast<char>(kind)) + Le32(static_cast<uint32_t>(value.size())) + value;
}

std::string EntryRecord(const std::string& fields) { return Field(0x01, fields); }

const std::string kIdA = Field(0x01, std::string(16, 'a'));

}  // namespace

TEST(EntryRecords, TheFixtureReadsAsTheListAndTheListWritesAsTheFixture) {
  const std::string fixture = ReadHexFixture("records_fixture.hex");
  EntryList read;
  ASSERT_TRUE(Decode(fixture, read));
  EntryList expected = FixtureList();
  // Tombstones are written by id, whatever the list's order.
  std::swap(expected.tombstones[0], expected.tombstones[1]);
  EXPECT_EQ(read, expected);
  EXPECT_EQ(Encode(FixtureList()), fixture);
  EXPECT_EQ(Encode(read), fixture);
}

TEST(EntryRecords, FieldsOfANewerVersionSurviveAReadAndAnEdit) {
  EntryList list;
  ASSERT_TRUE(Decode(ReadHexFixture("records_fixture.hex"), list));
  list.entries[0].ChangePassword("n3w", 1770000000);
  EntryList again;
  ASSERT_TRUE(Decode(Encode(list), again));
  ASSERT_EQ(again.entries[0].unknown.size(), 2u);
  EXPECT_EQ(again.entries[0].unknown[0].kind, 0x16);
  EXPECT_EQ(again.entries[0].unknown[0].bytes.view(), std::string_view("\x01\x02newer", 7));
  EXPECT_EQ(again.entries[0].history.back().password, "s3cr3t!\ttab");
  EXPECT_EQ(Encode(again), Encode(list));
}

TEST(EntryRecords, AnEmptyListIsAnEmptyText) {
  EXPECT_EQ(Encode(EntryList()), "");
  EntryList list = FixtureList();
  ASSERT_TRUE(Decode("", list));
  EXPECT_EQ(list, EntryList());
}

TEST(EntryRecords, EveryBreachOfTheLayoutIsRefusedAndLeavesTheListEmpty) {
  const std::string title = Field(0x10, "T");
  const std::string bigText(64 * 1024 + 1, 'x');
  struct Case {
    const char* what;
    std::string text;
  } cases[] = {
      {"a record type no version knows", Field(0x03, "")},
      {"a head cut short", EntryRecord(kIdA).substr(0, 3)},
      {"a value past the end", EntryRecord(kIdA) + "\x01" + Le32(100) + "abc"},
      {"a field past its record", Field(0x01, kIdA.substr(0, 10))},
      {"no id", EntryRecord(title)},
      {"an all-zero id", EntryRecord(Field(0x01, std::string(16, '\0')))},
      {"an id of 15 bytes", EntryRecord(Field(0x01, std::string(15, 'a')))},
      {"two ids", EntryRecord(kIdA + Field(0x01, std::string(16, 'b')))},
      {"kinds going down", EntryRecord(kIdA + title + Field(0x02, std::string(8, '\0')))},
      {"a title twice", EntryRecord(kIdA + title + title)},
      {"a time of 4 bytes", EntryRecord(kIdA + Field(0x02, "1234"))},
      {"a NUL in a text", EntryRecord(kIdA + Field(0x12, std::string("a\0b", 3)))},
      {"a title over 64 KiB", EntryRecord(kIdA + Field(0x10, bigText))},
      {"notes over 1 MiB", EntryRecord(kIdA + Field(0x14, std::string(1024 * 1024 + 1, 'n')))},
      {"tags out of order", EntryRecord(kIdA + Field(0x20, "b") + Field(0x20, "a"))},
      {"a tag twice", EntryRecord(kIdA + Field(0x20, "a") + Field(0x20, "a"))},
      {"an empty tag", EntryRecord(kIdA + Field(0x20, ""))},
      {"a custom field with unknown flags", EntryRecord(kIdA + Field(0x30, "\x02" + Le32(1) + "nv"))},
      {"a custom field without a name", EntryRecord(kIdA + Field(0x30, std::string(1, '\0') + Le32(0) + "v"))},
      {"a custom field name past its value", EntryRecord(kIdA + Field(0x30, std::string(1, '\0') + Le32(9) + "n"))},
      {"a custom field name twice", EntryRecord(kIdA + Field(0x30, std::string(1, '\0') + Le32(1) + "n1") +
                                                Field(0x30, std::string(1, '\1') + Le32(1) + "n2"))},
      {"a history item without its time", EntryRecord(kIdA + Field(0x40, "1234567"))},
      {"an unknown field over 1 MiB", EntryRecord(kIdA + Field(0x60, std::string(1024 * 1024 + 1, 'u')))},
      {"two entries of one id", EntryRecord(kIdA) + EntryRecord(kIdA)},
      {"a tombstone of 23 bytes", Field(0x02, std::string(23, 'a'))},
      {"two tombstones of one id", Field(0x02, std::string(24, 'a')) + Field(0x02, std::string(24, 'a'))},
  };
  for (const Case& c : cases) {
    EntryList list = FixtureList();
    EXPECT_FALSE(Decode(c.text, list)) << c.what;
    EXPECT_EQ(list, EntryList()) << c.what;
  }
}

TEST(EntryRecords, CountLimitsAreRefusedOnReadAndOnWrite) {
  std::string tags, fields, history;
  for (int i = 0; i <= 100; ++i) {
    char name[8];
    snprintf(name, sizeof name, "%03d", i);
    tags += Field(0x20, name);
    fields += Field(0x30, std::string(1, '\0') + Le32(3) + name);
  }
  for (int i = 0; i <= 10; ++i) history += Field(0x40, std::string(8, '\0') + "p");
  for (const std::string& over : {tags, fields, history}) {
    EntryList list;
    EXPECT_FALSE(Decode(EntryRecord(kIdA + over), list));
  }
  EntryList list = FixtureList();
  EXPECT_EQ(CheckEntryListLimits(list), nullptr);
  for (int i = 0; i <= 100; ++i) list.entries[1].SetField(std::to_string(i), "v", false);
  EXPECT_STREQ(CheckEntryListLimits(list), kTooManyCustomFieldsMessage);
  list = FixtureList();
  list.entries[1].notes = std::string(1024 * 1024 + 1, 'n');
  EXPECT_STREQ(CheckEntryListLimits(list), kEntryNotesTooLongMessage);
  list = FixtureList();
  list.entries[1].title = std::string("a\0b", 3);
  EXPECT_STREQ(CheckEntryListLimits(list), kEntryTextHasNulMessage);
}

TEST(EntryRecords, AnEntryThatIsPresentWinsOverItsTombstone) {
  EntryList list;
  ASSERT_TRUE(Decode(EntryRecord(kIdA) + Field(0x02, std::string(16, 'a') + std::string(8, '\0')), list));
  EXPECT_EQ(list.entries.size(), 1u);
  EXPECT_TRUE(list.tombstones.empty());
}

TEST(EntryRecords, ThePasswordHistoryKeepsTheLastTen) {
  Entry entry;
  entry.password = "p0";
  for (int i = 1; i <= 12; ++i) entry.ChangePassword("p" + std::to_string(i), i);
  entry.ChangePassword("p12", 99);  // the same password is no change
  ASSERT_EQ(entry.history.size(), 10u);
  EXPECT_EQ(entry.history.front().password, "p2");
  EXPECT_EQ(entry.history.back().password, "p11");
  EXPECT_EQ(entry.history.back().replacedAt, 12);
}
